// The driver checked against windows of its own, so a failing plug-in test means the plug-in.
#include "driver/Driver.h"

#include <commctrl.h>

#include <mutex>

using namespace tovotest;

namespace {

constexpr wchar_t kCaption[] = L"ドライバ自己診断";
constexpr COLORREF kFill = RGB(0x12, 0x34, 0x56);
enum : int { kList = 100, kCombo = 101, kButton = 102, kStatus = 103 };
enum : int { kMenuOpen = 201, kMenuChecked = 202, kMenuDisabled = 203, kMenuDeep = 204 };

// What the self-test window saw, written on the UI thread and read by the test.
struct Seen {
  std::mutex mutex;
  std::vector<std::pair<int, int>> commands;  // control or menu id, notification code
  UINT key = 0;
  bool shift = false, ctrl = false, alt = false;
  int keyDowns = 0;
};
Seen seen;

LRESULT CALLBACK SelfTestProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND: {
      std::lock_guard<std::mutex> lock(seen.mutex);
      seen.commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
      return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      std::lock_guard<std::mutex> lock(seen.mutex);
      seen.key = static_cast<UINT>(wParam);
      seen.shift = GetKeyState(VK_SHIFT) < 0;
      seen.ctrl = GetKeyState(VK_CONTROL) < 0;
      seen.alt = GetKeyState(VK_MENU) < 0;
      ++seen.keyDowns;
      // Esc alone closes, as the plug-in's windows do; its key-up then reaches nobody.
      if (wParam == VK_ESCAPE && !seen.shift && !seen.ctrl && !seen.alt) DestroyWindow(hwnd);
      return 0;
    }
    case WM_SYSKEYUP:
    case WM_SYSCHAR: return 0;  // no menu mode from Alt in the self-test
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      HBRUSH brush = CreateSolidBrush(kFill);
      FillRect(dc, &ps.rcPaint, brush);
      DeleteObject(brush);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

HMENU BuildMenu() {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  HMENU sub = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, kMenuOpen, L"開く(&O)\tCtrl+O");
  AppendMenuW(file, MF_STRING | MF_CHECKED, kMenuChecked, L"チェック(&C)");
  AppendMenuW(file, MF_STRING | MF_GRAYED, kMenuDisabled, L"無効(&D)");
  AppendMenuW(sub, MF_STRING, kMenuDeep, L"深い(&Z)");
  AppendMenuW(file, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"サブ(&S)");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"ファイル(&F)");
  return bar;
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, RECT r) {
  return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right, r.bottom, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

// Stands in for the plug-in's modal window: runs until the window is destroyed.
void SelfTestWindow(HWND owner) {
  {
    std::lock_guard<std::mutex> lock(seen.mutex);
    seen.commands.clear();
    seen.key = 0;
    seen.shift = seen.ctrl = seen.alt = false;
    seen.keyDowns = 0;
  }
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = SelfTestProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TovoDriverSelfTest";
  RegisterClassExW(&wc);
  HWND w = CreateWindowExW(0, wc.lpszClassName, kCaption, WS_OVERLAPPEDWINDOW, 0, 0, 640, 400, owner, BuildMenu(),
                           wc.hInstance, nullptr);

  HWND list = Child(w, WC_LISTVIEWW, L"", LVS_REPORT, kList, {0, 0, 300, 200});
  const wchar_t* captions[] = {L"No", L"01", L"02"};
  for (int c = 0; c < 3; ++c) {
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<wchar_t*>(captions[c]);
    col.cx = 50 + 10 * c;
    SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&col));
  }
  const std::wstring longText(3000, L'長');
  const std::wstring cells[2][3] = {{L"00001", L"日本語", L""}, {L"00002", longText, L"x"}};
  for (int r = 0; r < 2; ++r) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = r;
    item.pszText = const_cast<wchar_t*>(cells[r][0].c_str());
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    for (int c = 1; c < 3; ++c) {
      item.iSubItem = c;
      item.pszText = const_cast<wchar_t*>(cells[r][c].c_str());
      SendMessageW(list, LVM_SETITEMTEXTW, r, reinterpret_cast<LPARAM>(&item));
    }
  }
  HWND combo = Child(w, WC_COMBOBOXW, L"", CBS_DROPDOWNLIST, kCombo, {310, 0, 100, 200});
  for (const wchar_t* text : {L"10", L"20", L"30"})
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  Child(w, WC_BUTTONW, L"押す(&P)", BS_PUSHBUTTON, kButton, {310, 40, 100, 25});
  HWND status = Child(w, STATUSCLASSNAMEW, L"", 0, kStatus, {0, 0, 0, 0});
  int parts[] = {70, 140, -1};
  SendMessageW(status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
  SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L"行: 12"));

  ShowWindow(w, SW_SHOW);
  SetFocus(w);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::vector<std::pair<int, int>> Commands() {
  std::lock_guard<std::mutex> lock(seen.mutex);
  return seen.commands;
}

bool SawCommand(int id, int code) {
  return WaitUntil([&] {
    for (auto& c : Commands())
      if (c == std::pair{id, code}) return true;
    return false;
  });
}

class Driver : public WinTest {};

TEST_F(Driver, HostAnswersTheThreeQueriesAndRecordsThem) {
  FakeHost host;
  host.lines = {L"abc", L"日本語", L""};
  host.currentLine = 1;
  Session s(host, SelfTestWindow);
  HWND h = s.HostWindow();
  ASSERT_TRUE(h);
  EXPECT_EQ(SendMessageW(h, tovo::kMsgGetLineCount, 1, 0), 3);
  EXPECT_EQ(SendMessageW(h, tovo::kMsgGetCurrentLine, 1, -1), 1);

  struct Case {
    int line;
    uint32_t capacity;
    LRESULT answer;
    std::wstring expected;  // what the buffer holds, up to 8 units; '#' = untouched
  };
  const Case cases[] = {
      {0, 0, 3, L""},
      {1, 0, 3, L""},
      {2, 0, 0, L""},
      {3, 0, 0, L""},
      {-1, 0, 0, L""},
      {0, 3, 3, L"abc#####"},
      {0, 2, 2, L"ab######"},
      {0, 6, 3, std::wstring(L"abc\0####", 8)},
      {1, 3, 3, L"日本語#####"},
      {2, 1, 0, std::wstring(L"\0#######", 8)},
      {7, 4, 0, std::wstring(L"\0#######", 8)},
  };
  for (const Case& c : cases) {
    tovo::LineRequest request{c.capacity, 1, c.line, 0, {}};
    std::wstring buffer(8, L'#');
    const LPARAM target = c.capacity ? reinterpret_cast<LPARAM>(buffer.data()) : 0;
    EXPECT_EQ(SendMessageW(h, tovo::kMsgGetLine, reinterpret_cast<WPARAM>(&request), target), c.answer)
        << "line " << c.line << " capacity " << c.capacity;
    if (c.capacity) {
      std::wstring expected = c.expected;
      expected.resize(8, L'#');
      EXPECT_EQ(buffer, expected) << "line " << c.line << " capacity " << c.capacity;
    }
  }

  const auto requests = host.Requests();
  ASSERT_EQ(requests.size(), 2 + std::size(cases));
  EXPECT_EQ(requests[0].message, tovo::kMsgGetLineCount);
  EXPECT_EQ(requests[1].lParam, -1);
  const HostRequest& cut = requests[2 + 6];  // line 0 copied with capacity 2
  EXPECT_EQ(cut.message, tovo::kMsgGetLine);
  EXPECT_EQ(cut.line, 0);
  EXPECT_EQ(cut.capacity, 2u);
  EXPECT_EQ(cut.flags, 1);
  EXPECT_EQ(cut.answer, 2);
  EXPECT_EQ(host.CountRequests(tovo::kMsgGetLine), std::size(cases));
  s.CloseWindow(s.WaitWindow(kCaption));
  EXPECT_TRUE(s.WaitReturned());
}

TEST_F(Driver, HostGivesTheForcedStrangeAnswers) {
  FakeHost host;
  host.lines = {L"abcdef"};
  host.currentLine = 5;
  host.forcedLineCount = 0x7FFFFFFF;
  host.forcedLength = -1;
  Session s(host, SelfTestWindow);
  HWND h = s.HostWindow();
  EXPECT_EQ(SendMessageW(h, tovo::kMsgGetLineCount, 1, 0), 0x7FFFFFFF);
  EXPECT_EQ(SendMessageW(h, tovo::kMsgGetCurrentLine, 1, -1), 5);
  tovo::LineRequest request{0, 1, 0, 0, {}};
  EXPECT_EQ(SendMessageW(h, tovo::kMsgGetLine, reinterpret_cast<WPARAM>(&request), 0), -1);
  // A copy still stops at the capacity, whatever length was claimed.
  std::wstring buffer(8, L'#');
  request.capacity = 4;
  EXPECT_EQ(
      SendMessageW(h, tovo::kMsgGetLine, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(buffer.data())),
      4);
  EXPECT_EQ(buffer, L"abcd####");
}

TEST_F(Driver, WaitUntilPollsAndTimesOut) {
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(WaitUntil([] { return false; }, 200));
  const ULONGLONG took = GetTickCount64() - start;
  EXPECT_GE(took, 190u);
  EXPECT_LT(took, 2000u);
  int calls = 0;
  EXPECT_TRUE(WaitUntil([&] { return ++calls == 3; }, 5000));
  EXPECT_EQ(calls, 3);
}

TEST_F(Driver, MessageBoxesAreFoundReadAndAnswered) {
  struct Case {
    UINT style;
    int answer;
    bool ok, cancel, yes, no;
    BoxIcon icon;
  };
  const Case cases[] = {
      {MB_YESNO | MB_ICONINFORMATION, IDNO, false, false, true, true, BoxIcon::Information},
      {MB_YESNO | MB_ICONINFORMATION, IDYES, false, false, true, true, BoxIcon::Information},
      {MB_OK | MB_ICONSTOP, IDOK, true, false, false, false, BoxIcon::Error},
      {MB_OKCANCEL | MB_ICONWARNING, IDCANCEL, true, true, false, false, BoxIcon::Warning},
  };
  for (const Case& c : cases) {
    FakeHost host;
    std::atomic<int> result{0};
    Session s(host,
              [&](HWND owner) { result = MessageBoxW(owner, L"行 12 が見つかりません", L"CsvList表示", c.style); });
    auto box = s.WaitMessageBox();
    ASSERT_TRUE(box) << s.DescribeWindows();
    EXPECT_EQ(Utf8(box->caption), Utf8(L"CsvList表示"));
    EXPECT_EQ(Utf8(box->text), Utf8(L"行 12 が見つかりません"));
    EXPECT_EQ(box->hasOk, c.ok);
    EXPECT_EQ(box->hasCancel, c.cancel);
    EXPECT_EQ(box->hasYes, c.yes);
    EXPECT_EQ(box->hasNo, c.no);
    EXPECT_EQ(box->icon, c.icon);
    EXPECT_TRUE(s.Answer(*box, c.answer));
    ASSERT_TRUE(s.WaitReturned());
    EXPECT_EQ(result.load(), c.answer);
  }
}

TEST_F(Driver, SessionEndsWindowsLeftOpen) {
  for (UINT style : {UINT(MB_YESNO), UINT(MB_OK)}) {
    FakeHost host;
    std::atomic<bool> ended{false};
    {
      Session s(host, [&](HWND owner) {
        MessageBoxW(owner, L"放置", L"box", style);
        ended = true;
      });
      ASSERT_TRUE(s.WaitMessageBox());
    }
    EXPECT_TRUE(ended.load());
  }
  FakeHost host;
  std::atomic<bool> ended{false};
  {
    Session s(host, [&](HWND owner) {
      SelfTestWindow(owner);
      ended = true;
    });
    ASSERT_TRUE(s.WaitWindow(kCaption));
  }
  EXPECT_TRUE(ended.load());
}

TEST_F(Driver, WindowIsFoundAndReturnIsSeenOnlyAfterClose) {
  FakeHost host;
  Session s(host, SelfTestWindow);
  HWND w = s.WaitWindow(kCaption);
  ASSERT_TRUE(w) << s.DescribeWindows();
  EXPECT_EQ(s.WaitWindow(L"ありません", 50), nullptr);
  EXPECT_TRUE(s.NoMessageBoxWithin(100));
  ASSERT_TRUE(s.Sync());
  EXPECT_FALSE(s.Returned());
  const ULONGLONG closed = GetTickCount64();
  s.CloseWindow(w);
  ASSERT_TRUE(s.WaitReturned());
  EXPECT_GE(s.ReturnedAt(), closed);
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(Driver, ReadsAndWorksControls) {
  FakeHost host;
  Session s(host, SelfTestWindow);
  HWND w = s.WaitWindow(kCaption);
  ASSERT_TRUE(w) << s.DescribeWindows();

  HWND list = FindChildByClass(w, L"SysListView32");
  ASSERT_TRUE(list);
  EXPECT_EQ(ListRowCount(list), 2);
  EXPECT_EQ(ListColumnCount(list), 3);
  EXPECT_EQ(ListColumnCaption(list, 2), L"02");
  EXPECT_EQ(ListColumnWidth(list, 1), 60);
  EXPECT_EQ(ListCell(list, 0, 1), L"日本語");
  EXPECT_EQ(ListCell(list, 0, 2), L"");
  EXPECT_EQ(ListCell(list, 1, 1), std::wstring(3000, L'長'));
  EXPECT_EQ(ListSelected(list), -1);
  EXPECT_EQ(ListTopIndex(list), 0);
  const RECT cell = ListCellRect(list, 1, 1);
  EXPECT_EQ(cell.right - cell.left, 60);

  HWND status = FindChildById(w, kStatus);
  ASSERT_TRUE(status);
  EXPECT_EQ(StatusText(status, 1), L"行: 12");
  EXPECT_EQ(StatusText(status, 0), L"");
  const auto widths = StatusPartsWidths(status);
  ASSERT_EQ(widths.size(), 3u);
  EXPECT_EQ(widths[0], 70);
  EXPECT_EQ(widths[1], 70);
  EXPECT_EQ(widths[2], ClientSizeOf(status).cx - 140);

  HWND combo = FindChildByClass(w, L"ComboBox");
  EXPECT_EQ(ComboItems(combo), (std::vector<std::wstring>{L"10", L"20", L"30"}));
  EXPECT_TRUE(ChooseCombo(combo, 2));
  EXPECT_EQ(ComboSelected(combo), 2);
  EXPECT_EQ(ComboText(combo), L"30");
  EXPECT_TRUE(SawCommand(kCombo, CBN_SELCHANGE));

  HWND button = FindChildByText(w, L"押す(&P)", L"Button");
  ASSERT_TRUE(button);
  EXPECT_TRUE(ClickButton(button));
  EXPECT_TRUE(SawCommand(kButton, BN_CLICKED));
  EnableWindow(button, FALSE);
  EXPECT_FALSE(ClickButton(button));
}

TEST_F(Driver, FindsMenuItemsByCaption) {
  FakeHost host;
  Session s(host, SelfTestWindow);
  HWND w = s.WaitWindow(kCaption);
  ASSERT_TRUE(w);
  EXPECT_EQ(MenuItemText(w, L"開く(&O)"), L"開く(&O)\tCtrl+O");
  const MenuItemInfo checked = MenuItemState(w, L"チェック(&C)");
  EXPECT_TRUE(checked.exists && checked.checked && !checked.disabled);
  EXPECT_TRUE(MenuItemState(w, L"無効(&D)").disabled);
  EXPECT_FALSE(MenuItemState(w, L"開く").exists);  // the "&" is part of the caption

  EXPECT_TRUE(s.MenuCommand(w, L"開く(&O)"));
  EXPECT_TRUE(SawCommand(kMenuOpen, 0));
  EXPECT_TRUE(s.MenuCommand(w, L"深い(&Z)"));
  EXPECT_TRUE(SawCommand(kMenuDeep, 0));
  EXPECT_FALSE(s.MenuCommand(w, L"無効(&D)"));
  ASSERT_TRUE(s.Sync());
  for (auto& c : Commands()) EXPECT_NE(c.first, kMenuDisabled);
}

TEST_F(Driver, PostedKeysAndRealKeyPresses) {
  FakeHost host;
  Session s(host, SelfTestWindow);
  HWND w = s.WaitWindow(kCaption);
  ASSERT_TRUE(w);
  ASSERT_TRUE(s.PostKey(w, VK_F5));
  {
    std::lock_guard<std::mutex> lock(seen.mutex);
    EXPECT_EQ(seen.key, UINT(VK_F5));
    EXPECT_FALSE(seen.ctrl);
    EXPECT_EQ(seen.keyDowns, 1);
  }
  struct Case {
    UINT vk;
    bool shift, ctrl, alt;
  };
  for (const Case c : {Case{'G', false, true, false}, Case{VK_ESCAPE, true, false, false},
                       Case{VK_F5, true, true, true}, Case{VK_HOME, false, false, false}}) {
    ASSERT_TRUE(s.PressKeys(w, c.vk, c.shift, c.ctrl, c.alt)) << c.vk;
    std::lock_guard<std::mutex> lock(seen.mutex);
    EXPECT_EQ(seen.key, c.vk);
    // A posted key could never show these.
    EXPECT_EQ(seen.shift, c.shift) << c.vk;
    EXPECT_EQ(seen.ctrl, c.ctrl) << c.vk;
    EXPECT_EQ(seen.alt, c.alt) << c.vk;
  }
  EXPECT_FALSE(s.Returned());
  const ULONGLONG start = GetTickCount64();
  ASSERT_TRUE(s.PressKeys(w, VK_ESCAPE));
  EXPECT_LT(GetTickCount64() - start, 5000u) << "waited for a key-up that could not come";
  EXPECT_TRUE(s.WaitReturned());
}

TEST_F(Driver, CapturesPaintedPixels) {
  FakeHost host;
  Session s(host, SelfTestWindow);
  HWND w = s.WaitWindow(kCaption);
  ASSERT_TRUE(w);
  const Pixels pixels = CaptureWindowPixels(w);
  const SIZE client = ClientSizeOf(w);
  ASSERT_EQ(pixels.width, client.cx);
  ASSERT_EQ(pixels.height, client.cy);
  EXPECT_EQ(pixels.At(500, 120), kFill);  // clear of every child
  EXPECT_EQ(pixels.At(-1, 0), CLR_INVALID);
}

TEST_F(Driver, FilesDecodeAsTheProductReadsThem) {
  struct Case {
    std::string bytes;
    std::vector<std::wstring> lines;
  };
  const Case cases[] = {
      {"a\r\nb\nc\rd", {L"a", L"b", L"c", L"d"}},
      {"a\r\n", {L"a"}},
      {"a\r\n\r\n", {L"a", L""}},
      {"", {}},
      {"\xEF\xBB\xBF\xE6\x97\xA5\r\n", {L"日"}},
      {std::string("\xFF\xFE\xE5\x65\r\0x\0", 8), {L"日", L"x"}},
      {std::string("\xFE\xFF\x65\xE5\0\n\0y", 8), {L"日", L"y"}},
      // No mark: the ANSI code page.
      {"\x93\xfa\x96\x7b", {JapaneseCodePage() ? L"日本" : L"\x201C\x00FA\x2013{"}},
  };
  for (const Case& c : cases) {
    WriteBytes(L"t.txt", c.bytes);
    EXPECT_EQ(ReadLines(L"t.txt"), c.lines) << Utf8(Wide(c.bytes));
  }
  WriteAnsi(L"a.txt", L"日本");
  EXPECT_EQ(ReadBytes(L"a.txt"), std::optional<std::string>(JapaneseCodePage() ? "\x93\xfa\x96\x7b" : "??"));
  WriteText(L"a.txt", L"日本");
  EXPECT_EQ(ReadLines(L"a.txt"), std::vector<std::wstring>{L"日本"});
  EXPECT_FALSE(ReadBytes(L"none.txt"));
  IniWrite(L"CsvList", L"DispNum", L"7");
  EXPECT_EQ(IniRead(L"CsvList", L"DispNum"), std::optional<std::wstring>(L"7"));
  EXPECT_FALSE(IniRead(L"CsvList", L"ColWidth"));

  SetFileAttributesW(PluginFile(L"a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  CreateDirectoryW(PluginFile(L"sub").c_str(), nullptr);
  WriteBytes(L"sub\\x.txt", "x");
  ResetPluginsDir();
  EXPECT_FALSE(FileExists(L"a.txt"));
  EXPECT_FALSE(FileExists(L"sub\\x.txt"));
  EXPECT_EQ(GetFileAttributesW(PluginsDir().c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD(FILE_ATTRIBUTE_DIRECTORY));
}

}  // namespace
