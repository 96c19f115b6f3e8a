// Page mode: which lines the list shows after each page command, the cells of a row, the status
// panels, the long-line message, the splitter switch and an editor that answers nonsense.
#include "driver/ListWindowTest.h"
#include "list/CsvListIds.h"

#include <commctrl.h>

#include <memory>

using namespace tovotest;

namespace {

constexpr wchar_t kLongLineText[] = L"１行の行数が 16384 文字を超えた行があります";

std::vector<std::wstring> NumberedLines(int count) {
  std::vector<std::wstring> lines;
  for (int i = 1; i <= count; ++i) lines.push_back(L"a" + std::to_wstring(i) + L",b" + std::to_wstring(i));
  return lines;
}

class Paging : public ListWindowTest {
 protected:
  // Opens the window on `lines` with 10 rows a page (the first entry of the rows-per-page box).
  // When a long-line message is expected at start, it is answered before the window shows.
  void Open(std::vector<std::wstring> lines, int currentLine = 0, bool expectLongLineMessage = false) {
    Start(std::move(lines), currentLine);
    if (expectLongLineMessage) {
      auto box = session->WaitMessageBox();
      ASSERT_TRUE(box) << session->DescribeWindows();
      EXPECT_EQ(box->text, kLongLineText);
      // Modal from the start: the editor takes no input (its command would open a second list).
      EXPECT_FALSE(IsWindowEnabled(host.Window()));
      ASSERT_TRUE(session->Answer(*box, IDOK));
    }
    FindWindowAndControls();
  }

  // Runs a menu command or clicks a button and waits until its handler has run.
  void Menu(const wchar_t* caption) {
    ASSERT_TRUE(session->MenuCommand(window, caption)) << Utf8(caption);
    ASSERT_TRUE(session->Sync());
  }
  void Click(const wchar_t* text) {
    ASSERT_TRUE(ClickButton(FindChildByText(window, text, L"Button"))) << Utf8(text);
    ASSERT_TRUE(session->Sync());
  }

  std::vector<std::wstring> Captions() const {
    std::vector<std::wstring> out;
    for (int r = 0, n = ListRowCount(list); r < n; ++r) out.push_back(ListCell(list, r, 0));
    return out;
  }
  static std::vector<std::wstring> Range(int first1, int last1) {
    std::vector<std::wstring> out;
    for (int i = first1; i <= last1; ++i) out.push_back(Caption(i));
    return out;
  }
};

TEST_F(Paging, WalksTwentyFiveLinesTenAtATime) {
  Open(NumberedLines(25));
  EXPECT_EQ(Captions(), Range(1, 10));
  EXPECT_EQ(StatusText(status, 3), L"00025");

  struct Step {
    const wchar_t* command;
    bool button;
    int first1, last1;
  };
  const Step steps[] = {
      {L"次ページ(&N)", false, 11, 20}, {L"次ﾍﾟｰｼﾞ(&E)", true, 21, 24},
      {L"次ページ(&N)", false, 25, 25}, {L"次ページ(&N)", false, 25, 25},  // at the last line: nothing happens
      {L"前ﾍﾟｰｼﾞ(&R)", true, 15, 24},   {L"先頭(&T)", false, 1, 10},
      {L"最後(&E)", false, 25, 25},     {L"前ページ(&P)", false, 15, 24},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(Utf8(step.command) + " -> " + std::to_string(step.first1));
    if (step.button) {
      Click(step.command);
    } else {
      Menu(step.command);
    }
    EXPECT_EQ(Captions(), Range(step.first1, step.last1));
    EXPECT_EQ(StatusText(status, 1), Caption(step.first1));
    EXPECT_EQ(StatusText(status, 2), Caption(step.last1));
    EXPECT_EQ(StatusText(status, 3), L"00025");
    EXPECT_EQ(ListSelected(list), 0);
    EXPECT_EQ(ListFocused(list), 0);
  }
}

TEST_F(Paging, CommandsThatDoNothingDoNotAskTheEditor) {
  Open(NumberedLines(25));
  host.ClearRequests();
  Menu(L"先頭(&T)");
  Menu(L"前ページ(&P)");
  EXPECT_EQ(host.CountRequests(tovo::kMsgGetLine), 0u);
  Menu(L"最後(&E)");
  host.ClearRequests();
  Menu(L"次ページ(&N)");
  Menu(L"最後(&E)");
  EXPECT_EQ(host.CountRequests(tovo::kMsgGetLine), 0u);
  // A page move asks for its lines only, twice each.
  Menu(L"前ページ(&P)");
  EXPECT_EQ(host.CountRequests(tovo::kMsgGetLine), 20u);
}

TEST_F(Paging, EmptyDocumentChangesNothing) {
  Open({});
  host.ClearRequests();
  for (const wchar_t* command : {L"次ページ(&N)", L"最後(&E)", L"前ページ(&P)", L"先頭(&T)", L"自動検出(&A)",
                                 L"全て表示(&A)", L"次ページ(&N)"}) {
    Menu(command);
  }
  EXPECT_EQ(ListRowCount(list), 0);
  EXPECT_EQ(StatusText(status, 3), L"行:      桁:  ");
  EXPECT_EQ(host.CountRequests(tovo::kMsgGetLine), 0u);
  EXPECT_TRUE(session->NoMessageBoxWithin(100));
}

TEST_F(Paging, CellsHoldTheFirstNinetySixFields) {
  std::wstring wide;
  for (int i = 1; i <= 100; ++i) wide += (i > 1 ? L"," : L"") + (L"f" + std::to_wstring(i));
  Open({wide, L"x,y,z", L"", L"\"q,1\",\"r\""});
  ASSERT_EQ(ListRowCount(list), 4);
  EXPECT_EQ(ListColumnCount(list), 97);
  struct Cell {
    int row, col;
    const wchar_t* text;
  };
  const Cell cells[] = {
      {0, 0, L"00001"}, {0, 1, L"f1"},    {0, 96, L"f96"}, {1, 1, L"x"}, {1, 3, L"z"},   {1, 4, L""},
      {1, 96, L""},     {2, 0, L"00003"}, {2, 1, L""},     {2, 96, L""}, {3, 1, L"q,1"}, {3, 2, L"r"},
  };
  for (const Cell& c : cells) EXPECT_EQ(ListCell(list, c.row, c.col), c.text) << c.row << "," << c.col;
}

TEST_F(Paging, LongLineMessageOncePerFill) {
  struct Case {
    int longLines;
    int length;
    bool message;
  };
  for (const Case& c : {Case{1, 16384, false}, Case{1, 16385, true}, Case{3, 16385, true}}) {
    SCOPED_TRACE(std::to_string(c.longLines) + " x " + std::to_string(c.length));
    std::vector<std::wstring> lines = NumberedLines(5);
    for (int i = 0; i < c.longLines; ++i)
      lines[static_cast<size_t>(i)] = std::wstring(static_cast<size_t>(c.length), L'x');
    Open(lines, 0, c.message);
    if (HasFatalFailure()) return;
    EXPECT_TRUE(session->NoMessageBoxWithin(200));
    EXPECT_EQ(ListCell(list, 0, 1).size(), static_cast<size_t>(c.length));  // kept whole

    // The next fill asks again, once.
    ASSERT_TRUE(session->MenuCommand(window, L"自動検出(&A)"));
    if (c.message) {
      auto box = session->WaitMessageBox();
      ASSERT_TRUE(box);
      EXPECT_EQ(box->text, kLongLineText);
      EXPECT_TRUE(box->hasOk);
      ASSERT_TRUE(session->Answer(*box, IDOK));
    }
    EXPECT_TRUE(session->NoMessageBoxWithin(200));
    session->CloseWindow(window);
    ASSERT_TRUE(session->WaitReturned());
    session.reset();
  }
}

TEST_F(Paging, SplitterSwitchRefillsAtOnce) {
  Open({L"11,\"22,22\",33"});
  EXPECT_EQ(ListCell(list, 0, 2), L"\"22");
  Menu(L"自動検出(&A)");
  EXPECT_FALSE(MenuItemState(window, L"自動検出(&A)").checked);
  EXPECT_EQ(ListCell(list, 0, 2), L"22,22");
  EXPECT_EQ(ListCell(list, 0, 3), L"33");
  Menu(L"自動検出(&A)");
  EXPECT_TRUE(MenuItemState(window, L"自動検出(&A)").checked);
  EXPECT_EQ(ListCell(list, 0, 2), L"\"22");

  const MenuItemInfo ex1 = MenuItemState(window, L"カンマ区切り 11,\"22,22\",33 (&M)");
  EXPECT_TRUE(ex1.exists && ex1.disabled && ex1.checked);
  EXPECT_FALSE(session->MenuCommand(window, L"カンマ区切り 11,\"22,22\",33 (&M)"));
}

TEST_F(Paging, BogusLengthsFromTheEditorAreClamped) {
  // Negative: every line reads as empty, nothing is asked for a negative size.
  host.forcedLength = -5;
  Open(NumberedLines(3));
  EXPECT_EQ(Captions(), Range(1, 3));
  EXPECT_EQ(ListCell(list, 0, 1), L"");
  for (const HostRequest& r : host.Requests()) {
    if (r.message == tovo::kMsgGetLine && r.lParam != 0) {
      EXPECT_EQ(r.capacity, 0u);
    }
  }
  session->CloseWindow(window);
  ASSERT_TRUE(session->WaitReturned());
  session.reset();

  // Huge: the buffer is capped, the real text still arrives, and the line counts as long.
  host.forcedLength = 0x7FFFFFFF;
  host.ClearRequests();
  Open(NumberedLines(2), 0, true);
  if (HasFatalFailure()) return;
  EXPECT_EQ(ListCell(list, 1, 2), L"b2");
  for (const HostRequest& r : host.Requests()) {
    if (r.message == tovo::kMsgGetLine && r.lParam != 0) {
      EXPECT_EQ(r.capacity, 16u * 1024 * 1024);
    }
  }
}

}  // namespace
