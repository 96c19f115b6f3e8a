// Windows-side test driver: loads TovoCsvList.dll, stands in for the editor, and plays the user.
//
// ---------------------------------------------------------------------------------------------
// How a test uses it
//
//   class ListWindow : public tovotest::WinTest {};     // SetUp empties the Plugins folder
//
//   TEST_F(ListWindow, ShowsTheCurrentLine) {
//     tovotest::FakeHost host;
//     host.lines = {L"a,b", L"c,d"};
//     host.currentLine = 1;
//     tovotest::Session s(host);                        // UI thread calls OnCommand(host window)
//     HWND w = s.WaitWindow(L"CsvList表示");
//     ASSERT_TRUE(w) << s.DescribeWindows();
//     HWND list = tovotest::FindChildByClass(w, L"SysListView32");
//     EXPECT_EQ(tovotest::ListCell(list, 0, 1), L"c");
//     ASSERT_TRUE(s.MenuCommand(w, L"終了(&X)"));
//     ASSERT_TRUE(s.WaitReturned());
//   }
//
// Every wait polls every 5 ms and gives up after the timeout (default kTimeoutMs, 10 s); it
// returns false / nullptr / std::nullopt instead of failing, so the test decides what to assert.
// Nothing here sleeps a fixed time to "let things settle": use WaitUntil or Session::Sync.
//
// ---------------------------------------------------------------------------------------------
// The plug-in DLL
//   Plugin()               the seven exports of TovoCsvList.dll, loaded once from the exe's folder;
//                          throws std::runtime_error (a test failure) when it cannot be loaded.
//
// Files (names are relative to PluginsDir(); an absolute path is used as it is)
//   ExeDir()               folder of the test exe, with a trailing backslash
//   PluginsDir()           ExeDir() + "Plugins\" (the plug-in's own folder, as it computes it)
//   PluginFile(name)       PluginsDir() + name
//   ResetPluginsDir()      deletes everything in it (read-only files too) and creates it
//   WriteBytes / WriteUtf8 (optional BOM) / WriteAnsi (the ANSI code page: 932 or 1252 by locale)
//   WriteText              as the plug-in writes text: ANSI when the code page holds every
//                          character, otherwise UTF-8 with a mark
//   JapaneseCodePage()     whether the ANSI code page is 932 (the tests also run under 1252)
//   ReadBytes -> optional  (nullopt when the file is missing), FileExists, DeleteFileIn
//   ReadText / ReadLines   decode as the product does: UTF-8 / UTF-16 LE / UTF-16 BE by BOM, else
//                          ANSI; lines end at CR LF, LF or CR; a final break adds no empty line
//   IniRead(section, key) -> optional, IniWrite  (TovoCsvList.ini through the profile functions;
//                          IniWrite creates a missing file with a UTF-16 mark, as the plug-in does)
//
// WinTest                  gtest fixture base: ResetPluginsDir() before every test.
//
// FakeHost                 the editor window. Set the fields, then hand it to a Session:
//   lines, currentLine     the document; currentLine may be anything (outside 0..count-1 too)
//   forcedLineCount        answer to every kMsgGetLineCount instead of lines.size()
//   forcedLength           answer to every kMsgGetLine length query (lParam 0), e.g. -1 or 0x7FFFFFFF;
//                          a copy request still copies the real text, at most `capacity` units
//   Requests()             every request answered, in order (message, wParam, lParam, the line
//                          request's fields, answer); CountRequests(msg); ClearRequests()
//   Lock()                 hold it to change the fields while a session runs (send nothing to
//                          the UI thread meanwhile: its answers wait for the same lock)
//   The window answers the three messages of core/HostMessages.h as the editor does; kMsgGetLine
//   with a buffer copies at most `capacity` units and adds a terminator only when it fits.
//
// Session(host [, body])   starts a UI thread that creates the host window and calls
//                          Plugin().OnCommand(hostWindow) (or `body(hostWindow)` for driver
//                          self-tests); the test body plays the user from the main thread.
//   Returned(), WaitReturned(timeout), ReturnedAt()  whether / when OnCommand came back
//   HostWindow(), UiThreadId(), Windows()            top-level windows of the UI thread
//   WaitWindow(caption)    visible top-level window of the UI thread with that caption and with
//                          children (FindWindow can match before the children exist)
//   Sync()                 returns when the UI thread has taken every message posted before the
//                          call (its handler ran, or opened a modal loop that took the marker)
//   WaitMessageBox()       first visible #32770 of the UI thread -> MessageBoxInfo {hwnd, caption,
//                          text, hasOk/Cancel/Yes/No, icon}; also finds common dialogs
//   Answer(box, IDYES...)  clicks that button; true when it existed and the box has gone
//   NoMessageBoxWithin(ms) true if no box became visible in that time
//   PostKey(hwnd, vk)      posts WM_KEYDOWN + WM_KEYUP and waits until the UI thread took the up
//   PressKeys(window, vk, shift, ctrl, alt)
//                          real key presses: SetForegroundWindow + SendInput, waits until the UI
//                          thread took every key-up (GetKeyState sees the modifiers); also done
//                          when the key's down destroyed `window` or ended OnCommand, as the
//                          up then reaches nobody
//   MenuCommand(window, caption)  finds the menu item (depth first; caption compared exactly,
//                          "&" included, the "\tShortcut" part of the item ignored) and posts its
//                          WM_COMMAND; false when missing or disabled (a user could not click it)
//   CloseWindow(window)    posts WM_CLOSE
//   DescribeWindows()      UTF-8 dump of the UI thread's windows, for failure messages
//   ~Session               if OnCommand has not returned: answers boxes (Cancel, No, OK) and
//                          closes the enabled windows until it returns; after 10 s it reports a
//                          failure and ends the process (a hung window fails, never hangs)
//
// Controls (any thread; sends use a 10 s SendMessageTimeout, a timeout is a test failure)
//   FindChildByClass(parent, cls, n = 0), FindChildById, FindChildByText(parent, text, cls),
//   OpenPopupMenu(thread)
//   Children(parent, cls)  every descendant of that class (all when cls is empty)
//   WindowText, ClassName, WindowRectOf, ClientSizeOf, IsVisibleEnabled
//   ListRowCount, ListCell(list, row, col), ListSelected (-1: none), ListFocused, ListTopIndex,
//   ListCountPerPage, ListColumnCount, ListColumnCaption, ListColumnWidth, ListCellRect,
//   ListTextColor, ListBkColor
//   StatusText(bar, panel), StatusPartsWidths(bar) (the last part reaches the bar's right edge)
//   ComboItems, ComboSelected, ComboText
//   ClickButton(button)    posts BN_CLICKED to the parent as a click does; false if disabled/hidden
//   ChooseCombo(combo, i)  CB_SETCURSEL, then posts CBN_SELCHANGE to the parent
//   SetComboText(combo, t) sets the text, then posts CBN_EDITCHANGE to the parent
//   TypeChars(hwnd, text)  posts WM_CHAR per unit (to the Edit inside an editable combo box)
//   MenuItemState(window, caption) -> {exists, checked, disabled, id, text}; MenuItemText
//   MenuCaptions(window)   every item's full text, depth first (for failure messages)
//   WindowFont(hwnd)       LOGFONTW of WM_GETFONT
//   CaptureWindowPixels(hwnd) -> Pixels of the client area; Pixels::At(x, y) is 0x00BBGGRR
//   CaptureShownPixels(hwnd)  the same without repainting the window whole first: shows what
//                          stale pixels a scroll or a wrong invalidation left on the screen
//
// Helpers
//   WaitUntil(pred, timeout)  polls every 5 ms; false on timeout
//   Utf8(wstring_view)        for failure messages (msvcrt's %ls stops at Japanese text); gtest
//                             prints wide strings as escapes, so compare Japanese texts as
//                             EXPECT_EQ(Utf8(actual), Utf8(L"...")) to read the failure
//
// Posted actions (ClickButton, ChooseCombo, SetComboText, TypeChars, MenuCommand, CloseWindow)
// return at once; wait for their effect with WaitUntil, or call Session::Sync() before checking
// that something did NOT happen.
// ---------------------------------------------------------------------------------------------
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "plugin/Exports.h"
#include "core/HostMessages.h"

namespace tovotest {

inline constexpr DWORD kTimeoutMs = 10000;

// ---- helpers ----
std::string Utf8(std::wstring_view text);
// The clipboard's Unicode text, "<clipboard busy>" when another window holds it open.
std::wstring ClipboardText();
std::wstring Wide(std::string_view utf8);
bool WaitUntil(const std::function<bool()>& predicate, DWORD timeoutMs = kTimeoutMs);

// ---- the DLL ----
struct PluginExports : PluginExportTable {
  HMODULE module = nullptr;
};
const PluginExports& Plugin();

// ---- files ----
std::wstring ExeDir();
std::wstring PluginsDir();
std::wstring PluginFile(std::wstring_view name);
void ResetPluginsDir();
bool FileExists(std::wstring_view name);
bool DeleteFileIn(std::wstring_view name);
void WriteBytes(std::wstring_view name, std::string_view bytes);
void WriteUtf8(std::wstring_view name, std::wstring_view text, bool bom = false);
void WriteAnsi(std::wstring_view name, std::wstring_view text);
void WriteText(std::wstring_view name, std::wstring_view text);
bool JapaneseCodePage();
std::optional<std::string> ReadBytes(std::wstring_view name);
std::wstring DecodeText(std::string_view bytes);
std::vector<std::wstring> SplitLines(std::wstring_view text);
std::optional<std::wstring> ReadText(std::wstring_view name);
std::vector<std::wstring> ReadLines(std::wstring_view name);
std::optional<std::wstring> IniRead(std::wstring_view section, std::wstring_view key,
                                    std::wstring_view file = L"TovoCsvList.ini");
void IniWrite(std::wstring_view section, std::wstring_view key, std::wstring_view value,
              std::wstring_view file = L"TovoCsvList.ini");

class WinTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetPluginsDir(); }
};

// ---- the stand-in editor ----
struct HostRequest {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  // The line request's fields (kMsgGetLine only).
  uint32_t capacity = 0;
  int32_t flags = 0;
  int32_t line = 0;
  uint8_t reserved = 0;
  LRESULT answer = 0;
};

class FakeHost {
 public:
  FakeHost();
  ~FakeHost();
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  std::vector<std::wstring> lines;
  int currentLine = 0;
  std::optional<LRESULT> forcedLineCount;
  std::optional<LRESULT> forcedLength;

  std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(mutex_); }
  std::vector<HostRequest> Requests() const;
  size_t CountRequests(UINT message) const;
  void ClearRequests();

  // Called on the thread that is to own the window (Session's UI thread).
  HWND CreateHostWindow();
  void DestroyHostWindow();
  HWND Window() const { return hwnd_.load(); }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Answer(UINT msg, WPARAM wParam, LPARAM lParam);

  mutable std::mutex mutex_;
  std::vector<HostRequest> requests_;
  std::atomic<HWND> hwnd_{nullptr};
};

// ---- message boxes ----
enum class BoxIcon { None, Information, Warning, Error, Question, Other };
struct MessageBoxInfo {
  HWND hwnd = nullptr;
  std::wstring caption;
  std::wstring text;
  bool hasOk = false, hasCancel = false, hasYes = false, hasNo = false;
  BoxIcon icon = BoxIcon::None;
};

// ---- a run of OnCommand ----
struct UiProbe;  // what the UI thread's message hook has seen

class Session {
 public:
  using Body = std::function<void(HWND hostWindow)>;
  explicit Session(FakeHost& host, Body body = {});
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  HWND HostWindow() const { return host_.Window(); }
  DWORD UiThreadId() const { return uiThreadId_.load(); }
  bool Returned() const { return returned_.load(); }
  bool WaitReturned(DWORD timeoutMs = kTimeoutMs) const;
  ULONGLONG ReturnedAt() const { return returnedAt_.load(); }  // GetTickCount64 at the return

  std::vector<HWND> Windows() const;
  HWND WaitWindow(std::wstring_view caption, DWORD timeoutMs = kTimeoutMs) const;
  std::string DescribeWindows() const;
  bool Sync(DWORD timeoutMs = kTimeoutMs);

  std::optional<MessageBoxInfo> WaitMessageBox(DWORD timeoutMs = kTimeoutMs) const;
  bool Answer(const MessageBoxInfo& box, int buttonId, DWORD timeoutMs = kTimeoutMs) const;
  bool NoMessageBoxWithin(DWORD ms) const;

  bool PostKey(HWND hwnd, UINT vk, DWORD timeoutMs = kTimeoutMs);
  bool PressKeys(HWND window, UINT vk, bool shift = false, bool ctrl = false, bool alt = false,
                 DWORD timeoutMs = kTimeoutMs);
  bool MenuCommand(HWND window, std::wstring_view caption) const;
  // A member: a free CloseWindow would collide with the Win32 function through ADL.
  void CloseWindow(HWND window) const;
  // Closes what is open over `window` (message boxes answered, dialogs closed, innermost first)
  // until it is enabled again, leaving `window` itself open. False when it stays disabled.
  bool CloseWindowsOver(HWND window) const;

 private:
  // Answers a message box, or asks an enabled window to close; the host window is left alone.
  void CloseOne(HWND w) const;
  void Run(Body body);
  struct KeyCounts {
    uint32_t downs = 0;  // of the last key of the list
    std::vector<uint32_t> ups;
  };
  KeyCounts CountKeys(const std::vector<UINT>& vks) const;
  bool WaitKeyUps(HWND window, const std::vector<UINT>& vks, const KeyCounts& before, DWORD timeoutMs) const;
  void CloseEverything();

  FakeHost& host_;
  std::shared_ptr<UiProbe> probe_;
  std::atomic<DWORD> uiThreadId_{0};
  std::atomic<bool> started_{false};
  std::atomic<bool> returned_{false};
  std::atomic<ULONGLONG> returnedAt_{0};
  std::thread thread_;
};

// ---- controls ----
LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
std::wstring WindowText(HWND hwnd, DWORD timeoutMs = kTimeoutMs);
std::wstring ClassName(HWND hwnd);
RECT WindowRectOf(HWND hwnd);
SIZE ClientSizeOf(HWND hwnd);
bool IsVisibleEnabled(HWND hwnd);
std::vector<HWND> Children(HWND parent, std::wstring_view cls = {});
HWND FindChildByClass(HWND parent, std::wstring_view cls, int index = 0);
HWND FindChildById(HWND parent, int id);
HWND FindChildByText(HWND parent, std::wstring_view text, std::wstring_view cls = {});
// The visible popup menu (#32768) of that thread, if any.
HWND OpenPopupMenu(DWORD thread);

int ListRowCount(HWND list);
std::wstring ListCell(HWND list, int row, int col);
int ListSelected(HWND list);
int ListFocused(HWND list);
int ListTopIndex(HWND list);
int ListCountPerPage(HWND list);
int ListColumnCount(HWND list);
std::wstring ListColumnCaption(HWND list, int col);
int ListColumnWidth(HWND list, int col);
RECT ListCellRect(HWND list, int row, int col);
COLORREF ListTextColor(HWND list);
COLORREF ListBkColor(HWND list);

std::wstring StatusText(HWND statusBar, int panel);
std::vector<int> StatusPartsWidths(HWND statusBar);

std::vector<std::wstring> ComboItems(HWND combo);
int ComboSelected(HWND combo);
std::wstring ComboText(HWND combo);

bool ClickButton(HWND button);
bool ChooseCombo(HWND combo, int index);
bool SetComboText(HWND combo, std::wstring_view text);
void TypeChars(HWND hwnd, std::wstring_view text);

struct MenuItemInfo {
  bool exists = false;
  bool checked = false;
  bool disabled = false;
  UINT id = 0;
  std::wstring text;  // full text, "\tShortcut" included
};
MenuItemInfo MenuItemState(HWND window, std::wstring_view caption);
std::wstring MenuItemText(HWND window, std::wstring_view caption);
std::vector<std::wstring> MenuCaptions(HWND window);

LOGFONTW WindowFont(HWND hwnd);

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> data;  // top-down rows, 0x00RRGGBB as the DIB holds them
  COLORREF At(int x, int y) const;
};
Pixels CaptureWindowPixels(HWND hwnd);
Pixels CaptureShownPixels(HWND hwnd);

}  // namespace tovotest
