// What the list shows beyond its cells: the "No" column kept in view while the fields scroll
// sideways, tooltips of cut-off cells and of lines with more fields than shown, and Ctrl+C.
// Locale-neutral: nothing here reads or writes Japanese text.
#include "driver/ListWindowTest.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

using namespace tovotest;

namespace {

// 25 lines of 40 fields: "r<line>c<field>", wide enough to scroll far right.
std::vector<std::wstring> WideLines(int count = 25) {
  std::vector<std::wstring> lines;
  for (int r = 1; r <= count; ++r) {
    std::wstring line;
    for (int c = 1; c <= 40; ++c) line += (c > 1 ? L"," : L"") + (L"r" + std::to_wstring(r) + L"c" + std::to_wstring(c));
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

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return L"<clipboard busy>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
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
  OpenAndWait(WideLines());
  ASSERT_TRUE(session->PostKey(list, VK_DOWN));  // row 1 selected: a selected and a plain row in view
  ASSERT_TRUE(WaitUntil([&] { return ListSelected(list) == 1; }));
  const RECT strip = NumberStrip(list, 8);
  const RECT headerInList = HeaderRectInList(list);
  const RECT captionStrip{0, headerInList.top, strip.right, headerInList.bottom};
  const Pixels before = CaptureWindowPixels(list);

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
