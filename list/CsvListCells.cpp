// What the list shows beyond its cells: the "No" column kept in view while the fields scroll
// sideways, the tooltip of a cell cut short, and the selected row copied with Ctrl+C.
//
// The list and its header are subclassed. The list view itself keeps column 0 where it is (the
// fitting, the tests and the hit testing all see the ordinary column); when the list is scrolled
// right, the visible rows' numbers are drawn again at its left edge after it has painted, and the
// header's "No" item likewise.
#include <algorithm>

#include "core/RowText.h"
#include "list/CsvList.h"
#include "win/Handles.h"
#include "win/Text.h"

namespace tovo {

using namespace win;

namespace {

// Where the list view starts a row's number inside the column, from its left edge.
constexpr int kNumberTextInset = 5;
// The tooltip below the cursor, clear of the arrow, so it never takes the mouse from the list.
constexpr int kTipBelowCursor96 = 20;
constexpr int kTipLineWidth96 = 640;

}  // namespace

// ---------------------------------------------------------------- set-up

void TFormCsvList::CreateListAids() {
  // Subclassed through the window procedure, not SetWindowSubclass: under Wine that one looks the
  // chain up in a window property on every message, and the list sends itself one per row on a
  // page key (25 s instead of 0.5 s at a million rows).
  SetWindowLongPtrW(ListView1, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  listProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(ListView1, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TFormCsvList::ListView1Proc)));
  if (HWND header = ListView_GetHeader(ListView1)) {
    SetWindowLongPtrW(header, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    headerProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(header, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TFormCsvList::HeaderProc)));
  }
  // Owned by the window, so it goes when the window does; tracked, so it shows exactly where and
  // when the list's mouse moves say.
  ToolTip1 =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, ThisModule(), nullptr);
  if (!ToolTip1) return;  // the list works without tooltips
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_IDISHWND | TTF_TRANSPARENT;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(ListView1);
  tool.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(ToolTip1, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

namespace {
// Puts a control's own procedure back, if ours is still the one it runs.
void Unsubclass(HWND hwnd, WNDPROC ours, WNDPROC& original) {
  if (!hwnd || !original || !IsWindow(hwnd)) return;
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) == ours) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  }
  original = nullptr;
}
}  // namespace

void TFormCsvList::RemoveListAids() {
  if (hwnd_) KillTimer(hwnd_, kTimerTip);
  if (!ListView1 || !IsWindow(ListView1)) return;
  Unsubclass(ListView_GetHeader(ListView1), &TFormCsvList::HeaderProc, headerProc_);
  Unsubclass(ListView1, &TFormCsvList::ListView1Proc, listProc_);
}

// The list's and the header's procedures: the same guard around their own handler.
LRESULT TFormCsvList::ForwardSubclassed(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC ours,
                                        WNDPROC TFormCsvList::*original, ControlHandler handler) {
  auto* self = reinterpret_cast<TFormCsvList*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  WNDPROC theirs = self ? self->*original : nullptr;
  if (!theirs) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    Unsubclass(hwnd, ours, self->*original);
    return CallWindowProcW(theirs, hwnd, msg, wp, lp);
  }
  try {
    return (self->*handler)(hwnd, msg, wp, lp);
  } catch (...) {
    // Nothing may leave a window procedure. The handlers act before passing the message on.
    return CallWindowProcW(theirs, hwnd, msg, wp, lp);
  }
}

LRESULT CALLBACK TFormCsvList::ListView1Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return ForwardSubclassed(hwnd, msg, wp, lp, &TFormCsvList::ListView1Proc, &TFormCsvList::listProc_,
                           &TFormCsvList::ListView1Message);
}

LRESULT CALLBACK TFormCsvList::HeaderProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return ForwardSubclassed(hwnd, msg, wp, lp, &TFormCsvList::HeaderProc, &TFormCsvList::headerProc_,
                           &TFormCsvList::HeaderMessage);
}

LRESULT TFormCsvList::ListView1Message(HWND, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: ListView1BeforePaint(); break;
    case WM_MOUSEMOVE: ListView1MouseMove({static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))}); break;
    case WM_MOUSELEAVE:
      tipTrackingLeave_ = false;
      HideCellTip();
      break;
    // Whatever moves the cells or the selection takes the tooltip away; the next mouse move
    // finds the cell under the cursor again.
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case LVM_SCROLL:
    case WM_KILLFOCUS: HideCellTip(); break;
    default: break;
  }
  // A header that turns a quick second press into a double click sends no click for it, and the
  // list does not pass the double click on: it is taken from the header's notice here.
  if (msg == WM_NOTIFY) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
    if (hdr->hwndFrom == ListView_GetHeader(ListView1) &&
        (hdr->code == HDN_ITEMDBLCLICKW || hdr->code == HDN_ITEMDBLCLICKA)) {
      ListView1ColumnPress(reinterpret_cast<const NMHEADERW*>(lp)->iItem);
    }
  }
  if (ListView1SortMessage(msg, wp, lp)) return 0;
  if (MayMoveSelection(msg, wp)) return ListView1MoveSelection(msg, wp, lp);
  return CallWindowProcW(listProc_, ListView1, msg, wp, lp);
}

// ---------------------------------------------------------------- moving the selection

// The keys, characters and clicks with which the list itself selects another row. Ctrl with
// Space or a click toggles a row's selection: that is left to the list as it comes.
bool TFormCsvList::MayMoveSelection(UINT msg, WPARAM wp) const {
  switch (msg) {
    case WM_KEYDOWN:
      switch (wp) {
        case VK_UP:
        case VK_DOWN:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END: return true;
        case VK_SPACE: return GetKeyState(VK_CONTROL) >= 0;
        default: return false;
      }
    case WM_CHAR: return wp >= 0x20 && wp != 0x7F;  // a letter: the list finds the row it starts
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: return !(wp & MK_CONTROL);
    default: return false;
  }
}

// Wine's owner-data list view deselects the old row by visiting every row, unless none is
// selected: 0.6 us a row, most of a second per key or click at a million rows. So the one
// selected row is let go first and the list then moves as it always does; a key that moved
// nothing gets its row back (a click outside the rows leaves none, as the list would).
LRESULT TFormCsvList::ListView1MoveSelection(UINT msg, WPARAM wp, LPARAM lp) {
  const int old = SelectedRow();
  if (old < 0) return CallWindowProcW(listProc_, ListView1, msg, wp, lp);
  ListView_SetItemState(ListView1, old, 0, LVIS_SELECTED);
  const LRESULT result = CallWindowProcW(listProc_, ListView1, msg, wp, lp);
  const bool key = msg == WM_KEYDOWN || msg == WM_CHAR;
  if (key && ListView_GetSelectedCount(ListView1) == 0 && old < ListView_GetItemCount(ListView1)) {
    ListView_SetItemState(ListView1, old, LVIS_SELECTED, LVIS_SELECTED);
  }
  return result;
}

// Type-ahead: the list gathers quickly typed characters and asks which row they lead to. Left
// unanswered, the 0 that comes back would select the first row.
LRESULT TFormCsvList::ListView1FindItem(const NMLVFINDITEMW& find) const {
  const LVFINDINFOW& info = find.lvfi;
  if (!(info.flags & (LVFI_STRING | LVFI_PARTIAL)) || !info.psz) return -1;
  return FindRowByCaption(rows_, order_, find.iStart, U(info.psz), (info.flags & LVFI_WRAP) != 0);
}

int TFormCsvList::SelectedRow() const {
  // The focused row and the selection mark are held by the list; the first selected row is
  // searched for from row 0.
  for (const int row : {ListView_GetNextItem(ListView1, -1, LVNI_FOCUSED), ListView_GetSelectionMark(ListView1)}) {
    if (row >= 0 && (ListView_GetItemState(ListView1, row, LVIS_SELECTED) & LVIS_SELECTED)) return row;
  }
  // Only a row selected from outside the window lacks both; found the slow way, but found.
  if (ListView_GetSelectedCount(ListView1) == 0) return -1;
  return ListView_GetNextItem(ListView1, -1, LVNI_SELECTED);
}

void TFormCsvList::SelectListRow(int row) {
  // The old row goes first, so the list has no other to deselect (see ListView1MoveSelection).
  if (const int old = SelectedRow(); old >= 0) ListView_SetItemState(ListView1, old, 0, LVIS_SELECTED);
  constexpr UINT kSelectFocus = LVIS_SELECTED | LVIS_FOCUSED;
  ListView_SetItemState(ListView1, row, kSelectFocus, kSelectFocus);
  ListView_SetSelectionMark(ListView1, row);
}

// ---------------------------------------------------------------- the frozen "No" column

int TFormCsvList::ListOriginX() const {
  // The left of a row's bounds is minus the horizontal scroll position, on every platform.
  const int top = ListView_GetTopIndex(ListView1);
  RECT bounds{};
  if (top < 0 || !ListView_GetItemRect(ListView1, top, &bounds, LVIR_BOUNDS)) return 0;
  return std::max<int>(-bounds.left, 0);
}

void TFormCsvList::ListView1BeforePaint() {
  // The list moves its pixels when it scrolls sideways, the copied numbers with them: the strip,
  // and where the old strip went, are painted again whenever the scroll position has changed.
  const int origin = ListOriginX();
  const int width = ListView_GetColumnWidth(ListView1, 0);
  if (origin == paintedOriginX_ && width == paintedNumberWidth_) return;
  if (origin > 0 || paintedOriginX_ > 0) {
    RECT client{};
    GetClientRect(ListView1, &client);
    RECT strip{0, 0, std::max(width, paintedNumberWidth_) + std::abs(origin - paintedOriginX_), client.bottom};
    strip.right = std::min<LONG>(strip.right, client.right);
    InvalidateRect(ListView1, &strip, TRUE);
  }
  paintedOriginX_ = origin;
  paintedNumberWidth_ = width;
}

// Runs once per paint, after the list has drawn, when it is scrolled right: one filled rectangle
// and one short text per visible row, clipped to what the paint updates.
void TFormCsvList::ListView1PaintFrozenNumbers(HDC dc) {
  const int origin = ListOriginX();
  if (origin <= 0 || rows_.RowCount() == 0) return;
  const int top = ListView_GetTopIndex(ListView1);
  const int last = std::min(ListView_GetItemCount(ListView1), ViewRowCount()) - 1;
  RECT client{}, first{};
  GetClientRect(ListView1, &client);
  if (top < 0 || top > last || !ListView_GetItemRect(ListView1, top, &first, LVIR_BOUNDS)) return;
  const int rowHeight = first.bottom - first.top;
  if (rowHeight <= 0) return;
  const int width = std::min<int>(ListView_GetColumnWidth(ListView1, 0), client.right);
  if (width <= 0) return;
  // The list starts a row's selection colour at its label and the text a little inside it.
  RECT label{};
  ListView_GetSubItemRect(ListView1, top, 0, LVIR_LABEL, &label);
  const int labelLeft = std::clamp<int>(label.left + origin, 0, width);
  const int textLeft = labelLeft + kNumberTextInset;

  const int saved = SaveDC(dc);
  ScopeExit restore([&] { RestoreDC(dc, saved); });
  // Below the header only: the header is a child the list's paint does not cover.
  IntersectClipRect(dc, 0, 0, width, client.bottom);
  if (HWND header = ListView_GetHeader(ListView1); header && IsWindowVisible(header)) {
    RECT h{};
    GetWindowRect(header, &h);
    MapWindowPoints(nullptr, ListView1, reinterpret_cast<POINT*>(&h), 2);
    ExcludeClipRect(dc, 0, client.top, width, h.bottom);
  }
  if (listFont_) SelectObject(dc, listFont_.get());
  SetBkMode(dc, OPAQUE);

  const bool focused = GetFocus() == ListView1;
  // The list hides its focus frame until the keyboard is used; the copy follows it.
  const bool focusFrame = focused && !(SendMessageW(ListView1, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
  const COLORREF back = ListView_GetTextBkColor(ListView1);
  char16_t caption[kDecimalBufferSize];
  for (int row = top, y = first.top; row <= last && y < client.bottom; ++row, y += rowHeight) {
    const UINT state = ListView_GetItemState(ListView1, row, LVIS_SELECTED | LVIS_FOCUSED);
    COLORREF text = NumberCellTextColor(row), fill = back;
    RECT cell{0, y, width, y + rowHeight};
    if (state & LVIS_SELECTED) {
      // The colours the list itself gives a selected row, focused or not, from its label on.
      fill = GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
      text = GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
      const RECT margin{0, y, labelLeft, y + rowHeight};
      SetBkColor(dc, back);
      ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &margin, nullptr, 0, nullptr);
      cell.left = labelLeft;
    }
    SetBkColor(dc, fill);
    SetTextColor(dc, text);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &cell, nullptr, 0, nullptr);
    // Drawn as the list draws its text, so placing and the ellipsis of a narrow column match.
    const int length = RowModel::FormatCaption(rows_.LineNumber(ModelRow(row)) + 1, caption);
    RECT textRect{textLeft, y, width, y + rowHeight};
    DrawTextW(dc, W(caption), length, &textRect, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if ((state & LVIS_FOCUSED) && focusFrame) {
      // The focus frame runs along the whole row: its left end and edges show in the strip.
      RECT frame{labelLeft, y, width + 2, y + rowHeight};
      DrawFocusRect(dc, &frame);
    }
  }
}

bool TFormCsvList::InFrozenHeader(HWND header, POINT pt) const {
  POINT listLeft{0, 0};
  MapWindowPoints(ListView1, header, &listLeft, 1);
  return listLeft.x > 0 && pt.x >= listLeft.x && pt.x < listLeft.x + ListView_GetColumnWidth(ListView1, 0);
}

LRESULT TFormCsvList::HeaderMessage(HWND header, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      // The list moves its header left as it scrolls right: where the list's left edge lies in
      // the header, the "No" item is painted again by the header itself, offset and clipped.
      POINT listLeft{0, 0};
      MapWindowPoints(ListView1, header, &listLeft, 1);
      RECT item{};
      if (listLeft.x <= 0 || !Header_GetItemRect(header, 0, &item)) break;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(header, &ps);
      RECT client{};
      GetClientRect(header, &client);
      const RECT frozen{listLeft.x, 0, listLeft.x + (item.right - item.left), client.bottom};
      // Every item painted once: the header's own around the frozen place (the item beneath it
      // never shows), then "No" moved into it. The header skips items outside the clipping.
      const int saved = SaveDC(dc);
      ExcludeClipRect(dc, frozen.left, frozen.top, frozen.right, frozen.bottom);
      CallWindowProcW(headerProc_, header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
      RestoreDC(dc, saved);
      if (RectVisible(dc, &frozen)) {
        const int savedNo = SaveDC(dc);
        IntersectClipRect(dc, frozen.left, frozen.top, frozen.right, frozen.bottom);
        SetViewportOrgEx(dc, listLeft.x - item.left, 0, nullptr);
        CallWindowProcW(headerProc_, header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
        RestoreDC(dc, savedNo);
      }
      EndPaint(header, &ps);
      return 0;
    }
    // Over the frozen caption the mouse meets "No", not the divider or item hidden beneath it.
    case WM_SETCURSOR: {
      POINT pt{};
      GetCursorPos(&pt);
      ScreenToClient(header, &pt);
      if (LOWORD(lp) != HTCLIENT || !InFrozenHeader(header, pt)) break;
      SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      return TRUE;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
      if (InFrozenHeader(header, {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))})) {
        if (msg != WM_RBUTTONDOWN) ListView1ColumnClick(0);  // the "No" the user sees
        return 0;
      }
      // A second quick press comes as a double click; each press is one step of the sort.
      if (msg != WM_RBUTTONDOWN) headerPressCounted_ = false;
      break;
    case WM_WINDOWPOSCHANGED: {
      // Moved sideways by a scroll: the copied pixels carry the old frozen item along.
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
      const LRESULT result = CallWindowProcW(headerProc_, header, msg, wp, lp);
      if (!(pos->flags & SWP_NOMOVE) && pos->x != headerLeft_) {
        headerLeft_ = pos->x;
        InvalidateRect(header, nullptr, TRUE);
      }
      return result;
    }
    default: break;
  }
  return CallWindowProcW(headerProc_, header, msg, wp, lp);
}

// ---------------------------------------------------------------- cell tooltips

TFormCsvList::CellRef TFormCsvList::CellAt(POINT pt) const {
  LVHITTESTINFO hit{};
  hit.pt = pt;
  if (ListView_SubItemHitTest(ListView1, &hit) < 0 || hit.iItem < 0 || hit.iItem >= ViewRowCount()) return {};
  if (!(hit.flags & LVHT_ONITEM)) return {};
  int column = hit.iSubItem;
  // Over the frozen strip the user sees the row's number, whatever column lies beneath.
  if (pt.x < ListView_GetColumnWidth(ListView1, 0) && ListOriginX() > 0) column = 0;
  if (column < 0 || column > kShownFields) return {};
  return {hit.iItem, column};
}

void TFormCsvList::ListView1MouseMove(POINT pt) {
  if (!ToolTip1) return;
  if (!tipTrackingLeave_) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = ListView1;
    tipTrackingLeave_ = TrackMouseEvent(&track) != FALSE;
  }
  // Per move: one hit test. The text is built only when the cell under the mouse changes.
  const CellRef cell = CellAt(pt);
  if (cell.row == tipCell_.row && cell.column == tipCell_.column) return;
  HideCellTip();
  tipCell_ = cell;
  if (cell.row < 0) return;
  tipText_ = CellTipTextAt(cell);
  if (tipText_.empty()) return;
  const UINT delay = static_cast<UINT>(SendMessageW(ToolTip1, TTM_GETDELAYTIME, TTDT_INITIAL, 0));
  SetTimer(hwnd_, kTimerTip, std::clamp<UINT>(delay, USER_TIMER_MINIMUM, 5000), nullptr);
}

std::u16string TFormCsvList::CellTipTextAt(CellRef cell) {
  cell.row = ModelRow(cell.row);
  if (cell.row < 0 || cell.row >= rows_.RowCount()) return {};
  EnsureCharWidths();
  char16_t number[kDecimalBufferSize];
  std::u16string_view text;
  std::u16string caption;
  if (cell.column == 0) {
    text = {number, static_cast<size_t>(RowModel::FormatCaption(rows_.LineNumber(cell.row) + 1, number))};
    caption = u"No";
  } else {
    text = rows_.Field(cell.row, cell.column - 1);
    caption = ColumnCaption(cell.column);
  }
  const bool cut =
      CellTextCut(charWidths_, text, ListView_GetColumnWidth(ListView1, cell.column), itemTextPadding_, kListCellUnits);
  TipLimits limits;
  limits.maxLineWidth = Scale(kTipLineWidth96, dpi_);
  return CellTipText(caption, text, cut, rows_.TotalFieldCount(cell.row), charWidths_, limits);
}

void TFormCsvList::TimerTipTimer() {
  KillTimer(hwnd_, kTimerTip);
  // Not over a dialog or message box that has the window disabled.
  if (!ToolTip1 || tipCell_.row < 0 || tipText_.empty() || !IsWindowEnabled(hwnd_)) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(ListView1);
  tool.lpszText = const_cast<wchar_t*>(W(tipText_));
  SendMessageW(ToolTip1, TTM_SETMAXTIPWIDTH, 0, Scale(kTipLineWidth96, dpi_) + Scale(32, dpi_));
  SendMessageW(ToolTip1, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  // Below the cursor; above it where the screen ends first, and never past the screen's right.
  // The control tells its size only once shown, so the size is worked out as it works it out.
  RECT size{0, 0, Scale(kTipLineWidth96, dpi_) + Scale(32, dpi_), 0};
  {
    WindowDC dc(ToolTip1);
    auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(ToolTip1, WM_GETFONT, 0, 0));
    SelectGuard select(dc.get(), font ? font : GetStockObject(DEFAULT_GUI_FONT));
    DrawTextW(dc.get(), W(tipText_), static_cast<int>(tipText_.size()), &size,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXTERNALLEADING);
  }
  SendMessageW(ToolTip1, TTM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&size));
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT work = monitor.rcWork;
  const int below = Scale(kTipBelowCursor96, dpi_), above = Scale(4, dpi_);
  auto place = [&](SIZE tip) {
    POINT at{cursor.x, cursor.y + below};
    if (at.y + tip.cy > work.bottom) at.y = std::max<LONG>(work.top, cursor.y - tip.cy - above);
    if (at.x + tip.cx > work.right) at.x = std::max<LONG>(work.left, work.right - tip.cx);
    SendMessageW(ToolTip1, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
  };
  const SIZE estimate{size.right - size.left, size.bottom - size.top};
  place(estimate);
  SendMessageW(ToolTip1, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  // A few pixels off the estimate could still cover the cursor or cross the screen's edge: a
  // shown tracking tooltip moves at once.
  RECT shown{};
  GetWindowRect(ToolTip1, &shown);
  const SIZE actual{shown.right - shown.left, shown.bottom - shown.top};
  if (actual.cx != estimate.cx || actual.cy != estimate.cy) place(actual);
}

void TFormCsvList::HideCellTip() {
  KillTimer(hwnd_, kTimerTip);
  tipCell_ = {};
  if (!ToolTip1 || !IsWindowVisible(ToolTip1)) return;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(ListView1);
  SendMessageW(ToolTip1, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

// ---------------------------------------------------------------- copying the selected row

bool TFormCsvList::ListView1KeyDown(WPARAM key) {
  // Ctrl+C alone; a command given Ctrl+C in the key map has already taken the key.
  if (key != 'C' || GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_MENU) < 0) {
    return false;
  }
  CopySelectedRow();
  return true;
}

void TFormCsvList::CopySelectedRow() {
  const int row = ModelRow(SelectedRow());
  if (row < 0 || row >= rows_.RowCount()) return;  // nothing selected: the clipboard keeps its text
  if (!CopyTextToClipboard(hwnd_, RowCopyText(rows_, row))) MessageBeep(MB_ICONWARNING);
}

}  // namespace tovo
