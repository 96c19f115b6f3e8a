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
  SetWindowLongPtrW(list_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ownProcs_.list = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TFormCsvList::ListView1Proc)));
  if (HWND header = ListView_GetHeader(list_)) {
    SetWindowLongPtrW(header, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ownProcs_.header = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(header, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TFormCsvList::HeaderProc)));
  }
  // Owned by the window, so it goes when the window does; tracked, so it shows exactly where and
  // when the list's mouse moves say.
  tip_.window =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, ThisModule(), nullptr);
  if (!tip_.window) return;  // the list works without tooltips
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_IDISHWND | TTF_TRANSPARENT;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(list_);
  tool.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(tip_.window, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
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
  if (!list_ || !IsWindow(list_)) return;
  Unsubclass(ListView_GetHeader(list_), &TFormCsvList::HeaderProc, ownProcs_.header);
  Unsubclass(list_, &TFormCsvList::ListView1Proc, ownProcs_.list);
}

// The list's and the header's procedures: the same guard around their own handler.
LRESULT TFormCsvList::ForwardSubclassed(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC ours,
                                        WNDPROC OwnProcs::*original, ControlHandler handler) {
  auto* self = reinterpret_cast<TFormCsvList*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  WNDPROC theirs = self ? self->ownProcs_.*original : nullptr;
  if (!theirs) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    Unsubclass(hwnd, ours, self->ownProcs_.*original);
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
  return ForwardSubclassed(hwnd, msg, wp, lp, &TFormCsvList::ListView1Proc, &OwnProcs::list,
                           &TFormCsvList::ListView1Message);
}

LRESULT CALLBACK TFormCsvList::HeaderProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return ForwardSubclassed(hwnd, msg, wp, lp, &TFormCsvList::HeaderProc, &OwnProcs::header,
                           &TFormCsvList::HeaderMessage);
}

LRESULT TFormCsvList::ListView1Message(HWND, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: ListView1BeforePaint(); break;
    case WM_MOUSEMOVE: ListView1MouseMove({static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))}); break;
    case WM_MOUSELEAVE:
      tip_.trackingLeave = false;
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
    if (hdr->hwndFrom == ListView_GetHeader(list_) &&
        (hdr->code == HDN_ITEMDBLCLICKW || hdr->code == HDN_ITEMDBLCLICKA)) {
      ListView1ColumnPress(reinterpret_cast<const NMHEADERW*>(lp)->iItem);
    }
  }
  if (ListView1SortMessage(msg, wp, lp)) return 0;
  if (MayMoveSelection(msg, wp)) return ListView1MoveSelection(msg, wp, lp);
  return CallWindowProcW(ownProcs_.list, list_, msg, wp, lp);
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
  if (old < 0) return CallWindowProcW(ownProcs_.list, list_, msg, wp, lp);
  ListView_SetItemState(list_, old, 0, LVIS_SELECTED);
  const LRESULT result = CallWindowProcW(ownProcs_.list, list_, msg, wp, lp);
  const bool key = msg == WM_KEYDOWN || msg == WM_CHAR;
  if (key && ListView_GetSelectedCount(list_) == 0 && old < ListView_GetItemCount(list_)) {
    ListView_SetItemState(list_, old, LVIS_SELECTED, LVIS_SELECTED);
  }
  return result;
}

// Type-ahead: the list gathers quickly typed characters and asks which row they lead to. Left
// unanswered, the 0 that comes back would select the first row.
LRESULT TFormCsvList::ListView1FindItem(const NMLVFINDITEMW& find) const {
  const LVFINDINFOW& info = find.lvfi;
  if (!(info.flags & (LVFI_STRING | LVFI_PARTIAL)) || !info.psz) return -1;
  return session_.FindRowByCaption(find.iStart, U(info.psz), (info.flags & LVFI_WRAP) != 0);
}

int TFormCsvList::SelectedRow() const {
  // The focused row and the selection mark are held by the list; the first selected row is
  // searched for from row 0.
  for (const int row : {ListView_GetNextItem(list_, -1, LVNI_FOCUSED), ListView_GetSelectionMark(list_)}) {
    if (row >= 0 && (ListView_GetItemState(list_, row, LVIS_SELECTED) & LVIS_SELECTED)) return row;
  }
  // Only a row selected from outside the window lacks both; found the slow way, but found.
  if (ListView_GetSelectedCount(list_) == 0) return -1;
  return ListView_GetNextItem(list_, -1, LVNI_SELECTED);
}

void TFormCsvList::SelectListRow(int row) {
  // The old row goes first, so the list has no other to deselect (see ListView1MoveSelection).
  if (const int old = SelectedRow(); old >= 0) ListView_SetItemState(list_, old, 0, LVIS_SELECTED);
  constexpr UINT kSelectFocus = LVIS_SELECTED | LVIS_FOCUSED;
  ListView_SetItemState(list_, row, kSelectFocus, kSelectFocus);
  ListView_SetSelectionMark(list_, row);
}

// ---------------------------------------------------------------- the frozen "No" column

int TFormCsvList::ListOriginX() const {
  // The left of a row's bounds is minus the horizontal scroll position, on every platform.
  const int top = ListView_GetTopIndex(list_);
  RECT bounds{};
  if (top < 0 || !ListView_GetItemRect(list_, top, &bounds, LVIR_BOUNDS)) return 0;
  return std::max<int>(-bounds.left, 0);
}

void TFormCsvList::ListView1BeforePaint() {
  // The list moves its pixels when it scrolls sideways, the copied numbers with them: the strip,
  // and where the old strip went, are painted again whenever the scroll position has changed.
  const int origin = ListOriginX();
  const int width = ListView_GetColumnWidth(list_, 0);
  if (origin == frozen_.paintedOriginX && width == frozen_.paintedNumberWidth) return;
  if (origin > 0 || frozen_.paintedOriginX > 0) {
    RECT client{};
    GetClientRect(list_, &client);
    RECT strip{0, 0, std::max(width, frozen_.paintedNumberWidth) + std::abs(origin - frozen_.paintedOriginX),
               client.bottom};
    strip.right = std::min<LONG>(strip.right, client.right);
    InvalidateRect(list_, &strip, TRUE);
  }
  frozen_.paintedOriginX = origin;
  frozen_.paintedNumberWidth = width;
}

// Runs once per paint, after the list has drawn, when it is scrolled right: one filled rectangle
// and one short text per visible row, clipped to what the paint updates.
void TFormCsvList::ListView1PaintFrozenNumbers(HDC dc) {
  const int origin = ListOriginX();
  if (origin <= 0 || session_.Rows().RowCount() == 0) return;
  const int top = ListView_GetTopIndex(list_);
  const int last = std::min(ListView_GetItemCount(list_), session_.ViewRowCount()) - 1;
  RECT client{}, first{};
  GetClientRect(list_, &client);
  if (top < 0 || top > last || !ListView_GetItemRect(list_, top, &first, LVIR_BOUNDS)) return;
  const int rowHeight = first.bottom - first.top;
  if (rowHeight <= 0) return;
  const int width = std::min<int>(ListView_GetColumnWidth(list_, 0), client.right);
  if (width <= 0) return;
  // The list starts a row's selection colour at its label and the text a little inside it.
  RECT label{};
  ListView_GetSubItemRect(list_, top, 0, LVIR_LABEL, &label);
  const int labelLeft = std::clamp<int>(label.left + origin, 0, width);
  const int textLeft = labelLeft + kNumberTextInset;

  const int saved = SaveDC(dc);
  ScopeExit restore([&] { RestoreDC(dc, saved); });
  // Below the header only: the header is a child the list's paint does not cover.
  IntersectClipRect(dc, 0, 0, width, client.bottom);
  if (HWND header = ListView_GetHeader(list_); header && IsWindowVisible(header)) {
    RECT h{};
    GetWindowRect(header, &h);
    MapWindowPoints(nullptr, list_, reinterpret_cast<POINT*>(&h), 2);
    ExcludeClipRect(dc, 0, client.top, width, h.bottom);
  }
  if (listFont_) SelectObject(dc, listFont_.get());
  SetBkMode(dc, OPAQUE);

  const bool focused = GetFocus() == list_;
  // The list hides its focus frame until the keyboard is used; the copy follows it.
  const bool focusFrame = focused && !(SendMessageW(list_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
  const COLORREF back = ListView_GetTextBkColor(list_);
  char16_t caption[kDecimalBufferSize];
  for (int row = top, y = first.top; row <= last && y < client.bottom; ++row, y += rowHeight) {
    const UINT state = ListView_GetItemState(list_, row, LVIS_SELECTED | LVIS_FOCUSED);
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
    const int length = RowModel::FormatCaption(session_.Rows().LineNumber(session_.ModelRow(row)) + 1, caption);
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
  MapWindowPoints(list_, header, &listLeft, 1);
  return listLeft.x > 0 && pt.x >= listLeft.x && pt.x < listLeft.x + ListView_GetColumnWidth(list_, 0);
}

LRESULT TFormCsvList::HeaderMessage(HWND header, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      // The list moves its header left as it scrolls right: where the list's left edge lies in
      // the header, the "No" item is painted again by the header itself, offset and clipped.
      POINT listLeft{0, 0};
      MapWindowPoints(list_, header, &listLeft, 1);
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
      CallWindowProcW(ownProcs_.header, header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
                      PRF_CLIENT | PRF_ERASEBKGND);
      RestoreDC(dc, saved);
      if (RectVisible(dc, &frozen)) {
        const int savedNo = SaveDC(dc);
        IntersectClipRect(dc, frozen.left, frozen.top, frozen.right, frozen.bottom);
        SetViewportOrgEx(dc, listLeft.x - item.left, 0, nullptr);
        CallWindowProcW(ownProcs_.header, header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
                        PRF_CLIENT | PRF_ERASEBKGND);
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
      const LRESULT result = CallWindowProcW(ownProcs_.header, header, msg, wp, lp);
      if (!(pos->flags & SWP_NOMOVE) && pos->x != frozen_.headerLeft) {
        frozen_.headerLeft = pos->x;
        InvalidateRect(header, nullptr, TRUE);
      }
      return result;
    }
    default: break;
  }
  return CallWindowProcW(ownProcs_.header, header, msg, wp, lp);
}

// ---------------------------------------------------------------- cell tooltips

TFormCsvList::CellRef TFormCsvList::CellAt(POINT pt) const {
  LVHITTESTINFO hit{};
  hit.pt = pt;
  if (ListView_SubItemHitTest(list_, &hit) < 0 || hit.iItem < 0 || hit.iItem >= session_.ViewRowCount()) return {};
  if (!(hit.flags & LVHT_ONITEM)) return {};
  int column = hit.iSubItem;
  // Over the frozen strip the user sees the row's number, whatever column lies beneath.
  if (pt.x < ListView_GetColumnWidth(list_, 0) && ListOriginX() > 0) column = 0;
  if (column < 0 || column > kShownFields) return {};
  return {hit.iItem, column};
}

void TFormCsvList::ListView1MouseMove(POINT pt) {
  if (!tip_.window) return;
  if (!tip_.trackingLeave) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = list_;
    tip_.trackingLeave = TrackMouseEvent(&track) != FALSE;
  }
  // Per move: one hit test. The text is built only when the cell under the mouse changes.
  const CellRef cell = CellAt(pt);
  if (cell.row == tip_.cell.row && cell.column == tip_.cell.column) return;
  HideCellTip();
  tip_.cell = cell;
  if (cell.row < 0) return;
  tip_.text = CellTipTextAt(cell);
  if (tip_.text.empty()) return;
  const UINT delay = static_cast<UINT>(SendMessageW(tip_.window, TTM_GETDELAYTIME, TTDT_INITIAL, 0));
  SetTimer(hwnd_, kTimerTip, std::clamp<UINT>(delay, USER_TIMER_MINIMUM, 5000), nullptr);
}

std::u16string TFormCsvList::CellTipTextAt(CellRef cell) {
  const RowModel& rows = session_.Rows();
  cell.row = session_.ModelRow(cell.row);
  if (cell.row < 0 || cell.row >= rows.RowCount()) return {};
  EnsureCharWidths();
  char16_t number[kDecimalBufferSize];
  std::u16string_view text;
  std::u16string caption;
  if (cell.column == 0) {
    text = {number, static_cast<size_t>(RowModel::FormatCaption(rows.LineNumber(cell.row) + 1, number))};
    caption = u"No";
  } else {
    text = rows.Field(cell.row, cell.column - 1);
    caption = session_.ColumnCaption(cell.column);
  }
  const bool cut = CellTextCut(measure_.charWidths, text, ListView_GetColumnWidth(list_, cell.column),
                               measure_.itemTextPadding, kListCellUnits);
  TipLimits limits;
  limits.maxLineWidth = Scale(kTipLineWidth96, dpi_);
  return CellTipText(caption, text, cut, rows.TotalFieldCount(cell.row), measure_.charWidths, limits);
}

void TFormCsvList::TimerTipTimer() {
  KillTimer(hwnd_, kTimerTip);
  // Not over a dialog or message box that has the window disabled.
  if (!tip_.window || tip_.cell.row < 0 || tip_.text.empty() || !IsWindowEnabled(hwnd_)) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(list_);
  tool.lpszText = const_cast<wchar_t*>(W(tip_.text));
  SendMessageW(tip_.window, TTM_SETMAXTIPWIDTH, 0, Scale(kTipLineWidth96, dpi_) + Scale(32, dpi_));
  SendMessageW(tip_.window, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  // Below the cursor; above it where the screen ends first, and never past the screen's right.
  // The control tells its size only once shown, so the size is worked out as it works it out.
  RECT size{0, 0, Scale(kTipLineWidth96, dpi_) + Scale(32, dpi_), 0};
  {
    WindowDC dc(tip_.window);
    auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(tip_.window, WM_GETFONT, 0, 0));
    SelectGuard select(dc.get(), font ? font : GetStockObject(DEFAULT_GUI_FONT));
    DrawTextW(dc.get(), W(tip_.text), static_cast<int>(tip_.text.size()), &size,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXTERNALLEADING);
  }
  SendMessageW(tip_.window, TTM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&size));
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT work = monitor.rcWork;
  const int below = Scale(kTipBelowCursor96, dpi_), above = Scale(4, dpi_);
  auto place = [&](SIZE tip) {
    POINT at{cursor.x, cursor.y + below};
    if (at.y + tip.cy > work.bottom) at.y = std::max<LONG>(work.top, cursor.y - tip.cy - above);
    if (at.x + tip.cx > work.right) at.x = std::max<LONG>(work.left, work.right - tip.cx);
    SendMessageW(tip_.window, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
  };
  const SIZE estimate{size.right - size.left, size.bottom - size.top};
  place(estimate);
  SendMessageW(tip_.window, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  // A few pixels off the estimate could still cover the cursor or cross the screen's edge: a
  // shown tracking tooltip moves at once.
  RECT shown{};
  GetWindowRect(tip_.window, &shown);
  const SIZE actual{shown.right - shown.left, shown.bottom - shown.top};
  if (actual.cx != estimate.cx || actual.cy != estimate.cy) place(actual);
}

void TFormCsvList::HideCellTip() {
  KillTimer(hwnd_, kTimerTip);
  tip_.cell = {};
  if (!tip_.window || !IsWindowVisible(tip_.window)) return;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(list_);
  SendMessageW(tip_.window, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
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
  const int row = session_.ModelRow(SelectedRow());
  if (row < 0) return;  // nothing selected: the clipboard keeps its text
  if (!CopyTextToClipboard(hwnd_, RowCopyText(session_.Rows(), row))) MessageBeep(MB_ICONWARNING);
}

}  // namespace tovo
