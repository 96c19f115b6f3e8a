// What the list shows beyond its cells: the "No" column kept in view while the fields scroll
// sideways, tooltips of cut-off cells and of lines with more fields than shown, and Ctrl+C.
// Locale-neutral: nothing here reads or writes Japanese text.
#include "driver/ListWindowTest.h"
#include "list/CsvListIds.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>

using namespace tovotest;

namespace {

// 25 lines of 40 fields: "r<line>c<field>", wide enough to scroll far right.
std::vector<std::wstring> WideLines(int count = 25) {
  std::vector<std::wstring> lines;
  for (int r = 1; r <= count; ++r) {
    std::wstring line;
    for (int c = 1; c <= 40; ++c)
      line += (c > 1 ? L"," : L"") + (L"r" + std::to_wstring(r) + L"c" + std::to_wstring(c));
    lines.push_back(line);
  }
  return lines;
}

int ScrollX(HWND list) { return -ListCellRect(list, ListTopIndex(list), 0).left; }

RECT HeaderRectInList(HWND list) {
  HWND header = FindChildByClass(list, L"SysHeader32");
  RECT r = WindowRectOf(header);
  MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Pixels of a rectangle that differ between two captures, counted; x of `b` shifted by `dx`.
int Differences(const Pixels& a, const Pixels& b, RECT r, int dx = 0) {
  int count = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) count += a.At(x, y) != b.At(x + dx, y);
  return count;
}

int RedPixels(const Pixels& p, RECT r) {
  int count = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = std::max<LONG>(r.left, 0); x < r.right; ++x) {
      const COLORREF c = p.At(x, y);
      count += GetRValue(c) >= 0xB0 && GetGValue(c) < 0x60 && GetBValue(c) < 0x60;
    }
  return count;
}

// The rows' number strip below the header: the first `rows` rows of the "No" column.
RECT NumberStrip(HWND list, int rows) {
  const RECT first = ListCellRect(list, ListTopIndex(list), 0);
  const int width = ListColumnWidth(list, 0);
  return {0, first.top, width, first.top + rows * (first.bottom - first.top)};
}

// ---- tooltips ----
HWND VisibleTip(Session& s) {
  for (HWND w : s.Windows())
    if (ClassName(w) == TOOLTIPS_CLASSW && IsWindowVisible(w)) return w;
  return nullptr;
}

std::wstring WithoutLineBreaks(std::wstring text) {
  text.erase(std::remove_if(text.begin(), text.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }), text.end());
  return text;
}

// Moves the real cursor over the middle of a cell, as the user's mouse would.
void HoverCell(HWND list, int row, int col) {
  const RECT r = ListCellRect(list, row, col);
  POINT p{std::max<LONG>(r.left, 0) + 8, (r.top + r.bottom) / 2};
  ClientToScreen(list, &p);
  SetCursorPos(p.x, p.y);
}

void MoveCursorAway(HWND window) {
  const RECT r = WindowRectOf(window);
  SetCursorPos(r.right + 40, r.bottom + 40);
}

// ---- clipboard ----
bool SetClipboard(const std::wstring& text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (auto* p = static_cast<wchar_t*>(GlobalLock(memory))) {
    std::copy(text.c_str(), text.c_str() + text.size() + 1, p);
    GlobalUnlock(memory);
  }
  const bool placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  return placed;
}

class Viewer : public ListWindowTest {
 protected:
  void OpenAndWait(std::vector<std::wstring> lines) {
    Open(std::move(lines));
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) > 0 && ListCell(list, 0, 0) == Caption(1); }));
  }
};

}  // namespace

TEST_F(Viewer, NumberColumnStaysInViewWhileTheFieldsScrollRight) {
  // Line 3 highlighted by row: its number is drawn in the highlight colour.
  WriteUtf8(L"words.txt", L"r3c1\r\n");
  IniWrite(L"CsvListHighLight", L"FileName", PluginFile(L"words.txt"));
  IniWrite(L"CsvListHighLight", L"None", L"0");
  IniWrite(L"CsvListHighLight", L"Row", L"1");
  OpenAndWait(WideLines());
  ASSERT_TRUE(session->PostKey(list, VK_DOWN));  // row 1 selected: a selected and a plain row in view
  ASSERT_TRUE(WaitUntil([&] { return ListSelected(list) == 1; }));
  const RECT strip = NumberStrip(list, 8);
  const RECT headerInList = HeaderRectInList(list);
  const RECT captionStrip{0, headerInList.top, strip.right, headerInList.bottom};
  const Pixels before = CaptureWindowPixels(list);
  ASSERT_GT(RedPixels(before, ListCellRect(list, 2, 0)), 0) << "the highlighted row's number is red";

  // Scrolled right in small steps and back, the strip always shows what it showed unscrolled, and
  // no scroll leaves stale pixels beside it.
  const struct {
    int dx;
    const char* what;
  } steps[] = {{30, "30 right"}, {37, "67 right"}, {200, "267 right"}, {-100, "167 right"}, {-167, "back home"}};
  int expected = 0;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    expected += step.dx;
    Send(list, LVM_SCROLL, static_cast<WPARAM>(step.dx), 0);
    ASSERT_TRUE(WaitUntil([&] { return ScrollX(list) == expected; })) << ScrollX(list);
    const Pixels shown = CaptureShownPixels(list);
    EXPECT_EQ(Differences(before, shown, strip), 0);
    EXPECT_EQ(Differences(before, shown, captionStrip), 0);
    // Just right of the strip the list shows the field columns as they now lie, nothing stale.
    const Pixels repainted = CaptureWindowPixels(list);
    const RECT beside{strip.right, headerInList.top, strip.right + 250, strip.bottom};
    EXPECT_EQ(Differences(repainted, shown, beside), 0);
  }

  // A drag on the frozen caption, where the divider of a column scrolled out of sight lies beneath,
  // resizes nothing.
  HWND header = FindChildByClass(list, L"SysHeader32");
  Send(list, LVM_SCROLL, 267, 0);
  ASSERT_TRUE(WaitUntil([&] { return ScrollX(list) == 267; }));
  RECT third{};
  Send(header, HDM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&third));
  ASSERT_LT(third.right - 267, ListColumnWidth(list, 0));  // its divider lies under "No"
  const int widthBefore = ListColumnWidth(list, 3);
  const int y = (third.top + third.bottom) / 2;
  PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(third.right, y));
  PostMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(third.right + 30, y));
  PostMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(third.right + 30, y));
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(ListColumnWidth(list, 3), widthBefore);
  Send(list, LVM_SCROLL, static_cast<WPARAM>(-267), 0);
  ASSERT_TRUE(WaitUntil([&] { return ScrollX(list) == 0; }));

  // The strip must really be drawn over what lies beneath: the fields there differ.
  Send(list, LVM_SCROLL, 300, 0);
  ASSERT_TRUE(WaitUntil([&] { return ScrollX(list) == 300; }));
  ASSERT_NE(ListCell(list, 0, 4), ListCell(list, 0, 0));

  // A click on the strip selects the row under it and leaves the list scrolled.
  const RECT row4 = ListCellRect(list, 4, 0);
  const LPARAM at = MAKELPARAM(5, (row4.top + row4.bottom) / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  EXPECT_TRUE(WaitUntil([&] { return ListSelected(list) == 4; })) << ListSelected(list);
  EXPECT_EQ(ScrollX(list), 300);

  // The next page, shown while scrolled, has its own numbers in the strip.
  ASSERT_TRUE(session->MenuCommand(window, L"次ページ(&N)"));
  ASSERT_TRUE(WaitUntil([&] { return ListCell(list, 0, 0) == Caption(11); }));
  ASSERT_GT(ScrollX(list), 0);
  const Pixels scrolled = CaptureShownPixels(list);
  Send(list, LVM_SCROLL, static_cast<WPARAM>(-ScrollX(list)), 0);
  ASSERT_TRUE(WaitUntil([&] { return ScrollX(list) == 0; }));
  EXPECT_EQ(Differences(CaptureWindowPixels(list), scrolled, strip), 0);
}

TEST_F(Viewer, CutOffCellsAndLinesWithHiddenFieldsShowTooltips) {
  const std::wstring longText = L"the whole text of a long field " + std::wstring(200, L'x') + L" end";
  std::wstring hundred;
  for (int c = 1; c <= 100; ++c) hundred += (c > 1 ? L"," : L"") + std::to_wstring(c);
  OpenAndWait({L"a,b", L"short," + longText + L",c", hundred, L"a," + std::wstring(16000, L'\xFF37')});
  // The window in front, under the real mouse.
  SetForegroundWindow(window);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }));

  // A short cell: no tooltip, also not after the delay a tooltip takes.
  HoverCell(list, 1, 1);
  EXPECT_FALSE(WaitUntil([&] { return VisibleTip(*session) != nullptr; }, 1500));

  // The cut-off cell: its column caption, then the whole text.
  HoverCell(list, 1, 2);
  HWND tip = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (tip = VisibleTip(*session)) != nullptr; })) << session->DescribeWindows();
  const std::wstring text = WindowText(tip);
  EXPECT_EQ(Utf8(text.substr(0, 4)), "02\r\n");
  EXPECT_EQ(Utf8(WithoutLineBreaks(text.substr(4))), Utf8(longText));
  // Not in the way of the mouse: below the cursor.
  POINT cursor{};
  GetCursorPos(&cursor);
  EXPECT_GT(WindowRectOf(tip).top, cursor.y);

  // Back to a cell that fits: the tooltip goes.
  HoverCell(list, 1, 1);
  EXPECT_TRUE(WaitUntil([&] { return VisibleTip(*session) == nullptr; }));

  // Any cell of the 100-field line tells how many fields are not shown.
  HoverCell(list, 2, 3);
  ASSERT_TRUE(WaitUntil([&] { return (tip = VisibleTip(*session)) != nullptr; }));
  EXPECT_EQ(Utf8(WindowText(tip).substr(0, 3)), "+4 ");

  // The mouse leaving the list takes the tooltip away.
  MoveCursorAway(window);
  EXPECT_TRUE(WaitUntil([&] { return VisibleTip(*session) == nullptr; }));

  // A cell of 16,000 units near the bottom of the screen: a capped text, above the cursor, on the
  // screen.
  const RECT outer = WindowRectOf(window);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  SetWindowPos(window, nullptr, 0, screenHeight - (outer.bottom - outer.top), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_TRUE(WaitUntil([&] { return WindowRectOf(window).bottom == screenHeight; }));
  HoverCell(list, 3, 2);
  ASSERT_TRUE(WaitUntil([&] { return (tip = VisibleTip(*session)) != nullptr; }));
  const std::wstring capped = WindowText(tip);
  EXPECT_LE(capped.size(), 1023u);  // what a tooltip control keeps, ellipsis included
  EXPECT_EQ(capped.back(), L'…');
  GetCursorPos(&cursor);
  const RECT placed = WindowRectOf(tip);
  EXPECT_LE(placed.bottom, cursor.y);
  EXPECT_GE(placed.top, 0);
}

TEST_F(Viewer, CommandsThatChangeCaptionsOrWidthsTakeTheTooltipAway) {
  // Keys for the header row (1003) and fitting (1002); the other lines give none.
  std::wstring keys;
  for (const wchar_t* id :
       {L"1001", L"1002", L"1003", L"1011", L"1101", L"1102", L"1201", L"1202", L"1203", L"1204", L"1205", L"1206",
        L"1301", L"1302", L"1303", L"1304", L"1305", L"1306", L"1307", L"1308", L"1401", L"1501", L"1601", L"1602"}) {
    const std::wstring key = std::wstring(id) == L"1003" ? L"F6" : std::wstring(id) == L"1002" ? L"F7" : L"";
    keys += L"c\tn\t" + key + L"\t" + id + L"\r\n";
  }
  WriteUtf8(L"TovoCsvList-KeyMap.txt", keys, true);
  OpenAndWait({L"a,long " + std::wstring(200, L'x') + L",c", L"d,e,f"});
  SetForegroundWindow(window);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }));
  HWND widthBox = FindChildById(window, tovo::IdComboBox2);
  // Fitting last: the cell is no longer cut off after it.
  const struct {
    const char* what;
    std::function<bool()> run;
  } cases[] = {{"header row by key", [&] { return session->PressKeys(window, VK_F6); }},
               {"width box", [&] { return ChooseCombo(widthBox, 0); }},
               {"fitting by key", [&] { return session->PressKeys(window, VK_F7); }}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HoverCell(list, 0, 2);
    ASSERT_TRUE(WaitUntil([&] { return VisibleTip(*session) != nullptr; })) << session->DescribeWindows();
    ASSERT_TRUE(c.run());
    EXPECT_TRUE(WaitUntil([&] { return VisibleTip(*session) == nullptr; }, 2000));
    MoveCursorAway(window);
    ASSERT_TRUE(WaitUntil([&] { return VisibleTip(*session) == nullptr; }));
  }
  EXPECT_NE(ListColumnCaption(list, 2), L"02");  // the commands did run
}

TEST_F(Viewer, CtrlCCopiesTheSelectedRowsFieldsUnlessACommandHasTheKey) {
  const struct {
    const char* what;
    bool assigned;
  } cases[] = {{"no command has Ctrl+C", false}, {"the next-page command has Ctrl+C", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ResetPluginsDir();
    if (c.assigned) {
      // The key map by identifier; the category and name texts are not read for the keys.
      std::wstring keys;
      for (const wchar_t* id : {L"1001", L"1002", L"1003", L"1011", L"1101", L"1102", L"1201", L"1202",
                                L"1203", L"1204", L"1205", L"1206", L"1301", L"1302", L"1303", L"1304",
                                L"1305", L"1306", L"1307", L"1308", L"1401", L"1501", L"1601", L"1602"}) {
        keys += std::wstring(L"c\tn\t") + (std::wstring(id) == L"1205" ? L"Ctrl+C" : L"") + L"\t" + id + L"\r\n";
      }
      WriteUtf8(L"TovoCsvList-KeyMap.txt", keys, true);
    }
    ASSERT_TRUE(SetClipboard(L"before"));
    std::vector<std::wstring> lines = WideLines();
    lines[2] = L"a,,b c,d";
    OpenAndWait(lines);
    ASSERT_TRUE(session->PostKey(list, VK_DOWN));
    ASSERT_TRUE(session->PostKey(list, VK_DOWN));
    ASSERT_TRUE(WaitUntil([&] { return ListSelected(list) == 2; }));

    ASSERT_TRUE(session->PressKeys(window, 'C', false, true));
    if (c.assigned) {
      EXPECT_TRUE(WaitUntil([&] { return ListCell(list, 0, 0) == Caption(11); }));
      EXPECT_EQ(Utf8(ClipboardText()), "before");
    } else {
      EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == L"a\t\tb c\td"; })) << Utf8(ClipboardText());
      EXPECT_EQ(ListCell(list, 0, 0), Caption(1));
    }
    session->CloseWindow(window);
    ASSERT_TRUE(session->WaitReturned());
    session.reset();
  }
}
