// A fixture for tests of the list window: one document in the stand-in editor, one run of the
// command, closed at the end of the test if the test left it open.
#pragma once

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "driver/Driver.h"

namespace tovotest {

inline constexpr wchar_t kListCaption[] = L"CsvList表示";

// A row's "No" text: the 1-based line number, at least five digits.
inline std::wstring Caption(int line1) {
  wchar_t buf[16];
  swprintf(buf, 16, L"%05d", line1);
  return buf;
}

class ListWindowTest : public WinTest {
 protected:
  void TearDown() override {
    if (session && !session->Returned()) {
      // A dialog the test left open keeps the list window disabled; the user would close it
      // first, and only then is the list window's own closing what ends the command.
      EXPECT_TRUE(session->CloseWindowsOver(window)) << session->DescribeWindows();
      session->CloseWindow(window);
      EXPECT_TRUE(session->WaitReturned());
    }
  }

  // Ends a run still going, as ~Session does (boxes answered, windows closed): before a test
  // changes the files for the next run.
  void EndSession() {
    session.reset();
    window = list = status = nullptr;
  }

  // Runs the command on `lines` as the settings file stands, the editor's caret on `currentLine`.
  void Launch(std::vector<std::wstring> lines, int currentLine = 0) {
    EndSession();
    host.lines = std::move(lines);
    host.currentLine = currentLine;
    session = std::make_unique<Session>(host);
  }

  // The same with ten rows a page (the first entry of the rows-per-page box).
  void Start(std::vector<std::wstring> lines, int currentLine = 0) {
    EndSession();
    IniWrite(L"CsvList", L"DispNum", L"0");
    Launch(std::move(lines), currentLine);
  }

  // Waits for the window and finds the list and the status bar.
  void FindWindowAndControls() {
    window = session->WaitWindow(kListCaption);
    ASSERT_TRUE(window) << session->DescribeWindows();
    list = FindChildByClass(window, L"SysListView32");
    status = FindChildByClass(window, L"msctls_statusbar32");
    ASSERT_TRUE(list && status);
  }

  void Open(std::vector<std::wstring> lines, int currentLine = 0) {
    Start(std::move(lines), currentLine);
    FindWindowAndControls();
  }

  FakeHost host;
  std::unique_ptr<Session> session;
  HWND window = nullptr, list = nullptr, status = nullptr;
};

}  // namespace tovotest
