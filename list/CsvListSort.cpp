// Sorting the list by a column and showing only the rows that hold the search term.
//
// The model keeps its rows in line order; order_ maps the rows shown to them. Every place that
// takes a row from the list (cells, drawing, tooltips, copying, search, go-to) goes through
// ModelRow or ViewRow, so the rows keep their line numbers and marks wherever they stand.
#include "list/CsvList.h"

#include <algorithm>
#include <climits>
#include <new>
#include <numeric>
#include <utility>

#include "core/Search.h"
#include "win/Handles.h"
#include "win/Text.h"

namespace tovo {

using namespace win;

namespace {

// Reordering or narrowing the rows waits for a fill: it is making them.
constexpr DuringFill kSortDuringFill = DuringFill::Refused;

enum SortMenuId : UINT {
  SortMenuAscending = 1,
  SortMenuDescending,
  SortMenuLineOrder,
  SortMenuFilter,
  SortMenuShowAll,
};

// The platform's collation key for the user's locale without regard to case: comparing two keys
// byte by byte orders as comparing the texts would, and each row is mapped once, not once per
// comparison.
void UserLocaleKey(std::u16string_view text, std::string& out) {
  constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int length = static_cast<int>(std::min<size_t>(text.size(), INT_MAX / 16));
  const wchar_t* source = WV(text).data();
  const size_t at = out.size();
  int size = length * 6 + 16;
  out.resize(at + static_cast<size_t>(size));
  int written = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, kFlags, source, length,
                              reinterpret_cast<wchar_t*>(out.data() + at), size, nullptr, nullptr, 0);
  if (written == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    size = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, kFlags, source, length, nullptr, 0, nullptr, nullptr, 0);
    out.resize(at + static_cast<size_t>(std::max(size, 0)));
    written = size > 0 ? LCMapStringEx(LOCALE_NAME_USER_DEFAULT, kFlags, source, length,
                                       reinterpret_cast<wchar_t*>(out.data() + at), size, nullptr, nullptr, 0)
                       : 0;
  }
  if (written <= 0) {
    // Refused: the text's own units, high byte first, still give one fixed order.
    out.resize(at);
    for (char16_t c : text) {
      out.push_back(static_cast<char>(c >> 8));
      out.push_back(static_cast<char>(c & 0xFF));
    }
    return;
  }
  // The key ends with a zero byte, which would only lengthen the comparisons.
  out.resize(at + static_cast<size_t>(written) - 1);
}

// A sort of a million rows takes a second or so.
struct WaitCursor {
  HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  ~WaitCursor() { SetCursor(old); }
};

std::vector<uint32_t> AllRows(int count) {
  std::vector<uint32_t> rows(static_cast<size_t>(std::max(count, 0)));
  std::iota(rows.begin(), rows.end(), 0u);
  return rows;
}

}  // namespace

// ---------------------------------------------------------------- mapping

int TFormCsvList::ViewRowCount() const { return order_.Count(rows_.RowCount()); }

int TFormCsvList::ModelRow(int viewRow) const {
  const int row = order_.ModelRow(viewRow);
  return row < rows_.RowCount() ? row : -1;
}

int TFormCsvList::ViewRow(int modelRow) const {
  if (modelRow < 0 || modelRow >= rows_.RowCount()) return -1;
  return order_.ViewRow(modelRow);
}

int TFormCsvList::ViewRowOfLine(int32_t line) {
  const int count = rows_.RowCount();
  if (count == 0) return -1;
  // The model holds consecutive lines in line order.
  const int64_t model = int64_t{line} - rows_.LineNumber(0);
  if (model < 0 || model >= count || rows_.LineNumber(static_cast<int>(model)) != line) return -1;
  // Asked for by number, a line the filter hides is shown again with all the others.
  if (ViewRow(static_cast<int>(model)) < 0) ShowAllRows();
  return ViewRow(static_cast<int>(model));
}

// ---------------------------------------------------------------- reordering

// Out of memory, a sort costs only itself: the rows stay, in line order. Told after the
// operation, so no message box opens inside a fill.
bool TFormCsvList::SortRows(std::vector<uint32_t>& rows, int column, bool descending) {
  try {
    WaitCursor wait;
    SortRowsByField(rows, rows_, column - 1, descending, &UserLocaleKey, 65'536,
                    TestMemoryLimit(L"TOVO_TEST_SORT_KEY_LIMIT"));
    return true;
  } catch (const std::bad_alloc&) {
    std::sort(rows.begin(), rows.end());  // allocates nothing
    DropSort();
    return false;
  }
}

void TFormCsvList::DropSort() {
  sortColumn_ = 0;
  sortDescending_ = false;
  UpdateSortArrow();
  sortDropped_ = true;
}

void TFormCsvList::TellSortDropped() {
  if (!std::exchange(sortDropped_, false)) return;
  ShowMessage(hwnd_, u"メモリが足りないため、並べ替えを保てませんでした。行番号順に表示します", MB_OK | MB_ICONWARNING);
}

void TFormCsvList::ReorderAfterFill() {
  const bool wasFiltered = filtered_;
  filtered_ = false;
  order_.Reset();
  if (sortColumn_ > 0) {
    try {
      std::vector<uint32_t> rows = AllRows(rows_.RowCount());
      if (SortRows(rows, sortColumn_, sortDescending_)) order_.Assign(std::move(rows), rows_.RowCount());
    } catch (const std::bad_alloc&) {
      DropSort();
    }
  }
  if (wasFiltered) ShowSearchPanel();
}

void TFormCsvList::ApplyOrder(std::vector<uint32_t> rows, bool identity, int keepModelRow) {
  HideCellTip();
  // The old row is let go while the count still covers it (see SelectListRow).
  if (const int old = SelectedRow(); old >= 0) ListView_SetItemState(ListView1, old, 0, LVIS_SELECTED);
  if (identity) {
    order_.Reset();
  } else {
    order_.Assign(std::move(rows), rows_.RowCount());
  }
  ListView_SetItemCountEx(ListView1, ViewRowCount(), LVSICF_NOSCROLL);
  InvalidateRect(ListView1, nullptr, TRUE);
  UpdateSortArrow();
  ShowSearchPanel();
  if (ViewRowCount() == 0) return;
  // The row that was selected stays selected wherever it now stands.
  const int view = ViewRow(keepModelRow);
  if (view >= 0) {
    CenterListRow(view);
  } else {
    SelectListRow(0);
    ListView_EnsureVisible(ListView1, 0, FALSE);
  }
}

std::vector<uint32_t> TFormCsvList::ShownModelRows() const {
  return order_.Identity() ? AllRows(rows_.RowCount()) : order_.Rows();
}

void TFormCsvList::SortByColumn(int column, bool descending) {
  if (!Allowed(kSortDuringFill) || column < 1 || column > kShownFields) return;
  const int keep = ModelRow(SelectedRow());
  std::vector<uint32_t> rows = ShownModelRows();
  const bool sorted = SortRows(rows, column, descending);
  if (sorted) {
    sortColumn_ = column;
    sortDescending_ = descending;
  }
  ApplyOrder(std::move(rows), !sorted && !filtered_, keep);
  TellSortDropped();
}

void TFormCsvList::SortByLine() {
  if (!Allowed(kSortDuringFill)) return;
  const int keep = ModelRow(SelectedRow());
  sortColumn_ = 0;
  sortDescending_ = false;
  if (!filtered_) {
    ApplyOrder({}, true, keep);
    return;
  }
  std::vector<uint32_t> rows = order_.Rows();
  std::sort(rows.begin(), rows.end());
  ApplyOrder(std::move(rows), false, keep);
}

void TFormCsvList::FilterByTerm() {
  if (!Allowed(kSortDuringFill)) return;
  const std::u16string term = WindowText(ComboBox3);
  if (term.empty()) {
    ShowMessage(hwnd_, u"検索語が設定されていません");
    return;
  }
  std::vector<uint32_t> rows;
  {
    WaitCursor wait;
    rows = MatchingRows(rows_, MakeSearchMatcher(term));
  }
  if (rows.empty()) {
    ShowMessage(hwnd_, u"検索語を含む行がありません。表示はそのままです\r\n" + term);
    return;
  }
  if (sortColumn_ > 0) SortRows(rows, sortColumn_, sortDescending_);
  const int keep = ModelRow(SelectedRow());
  filtered_ = true;
  ApplyOrder(std::move(rows), false, keep);
  TellSortDropped();
}

void TFormCsvList::ShowAllRows() {
  if (!Allowed(kSortDuringFill) || !filtered_) return;
  const int keep = ModelRow(SelectedRow());
  filtered_ = false;
  if (sortColumn_ == 0) {
    ApplyOrder({}, true, keep);
    return;
  }
  std::vector<uint32_t> rows = AllRows(rows_.RowCount());
  const bool sorted = SortRows(rows, sortColumn_, sortDescending_);
  ApplyOrder(std::move(rows), !sorted, keep);
  TellSortDropped();
}

// ---------------------------------------------------------------- the header and the status bar

void TFormCsvList::ListView1ColumnClick(int column) {
  if (!MayRun(kSortDuringFill)) return;
  // Ascending, descending, then line order again; "No" is line order.
  if (column <= 0 || column > kShownFields) {
    SortByLine();
  } else if (column != sortColumn_) {
    SortByColumn(column, false);
  } else if (!sortDescending_) {
    SortByColumn(column, true);
  } else {
    SortByLine();
  }
}

// One press on a caption, however the header reports it: a click, a double click, or both for
// one press (counted once).
void TFormCsvList::ListView1ColumnPress(int column) {
  if (headerPressCounted_) return;
  headerPressCounted_ = true;
  ListView1ColumnClick(column);
}

void TFormCsvList::UpdateSortArrow() {
  HWND header = ListView_GetHeader(ListView1);
  for (int column = 0; column <= kShownFields; ++column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    if (!Header_GetItem(header, column, &item)) continue;
    int format = item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN);
    if (column == sortColumn_ && column > 0) format |= sortDescending_ ? HDF_SORTDOWN : HDF_SORTUP;
    if (format == item.fmt) continue;
    item.fmt = format;
    Header_SetItem(header, column, &item);
  }
}

std::u16string TFormCsvList::FilterNotice() const {
  if (!filtered_) return {};
  return u"  絞り込み中: " + DecimalText(ViewRowCount(), 1) + u" 行を表示 (全 " + DecimalText(IntEditorAllCount, 1) +
         u" 行)";
}

// Panel 4: the last search's result, then the filter's notice while a filter is in force, then
// the notice of a command refused while a fill runs.
void TFormCsvList::ShowSearchPanel() {
  SetStatus(4, searchStatus_ + FilterNotice() + refusedNotice_);
  RepaintStatus();
}

// ---------------------------------------------------------------- the context menu

// 0: "No"; -1: no column there.
int TFormCsvList::ColumnAt(POINT screen) const {
  HWND header = ListView_GetHeader(ListView1);
  POINT inHeader = screen;
  ScreenToClient(header, &inHeader);
  RECT headerRect{};
  GetClientRect(header, &headerRect);
  if (PtInRect(&headerRect, inHeader)) {
    if (InFrozenHeader(header, inHeader)) return 0;
    HDHITTESTINFO hit{};
    hit.pt = inHeader;
    const int item = static_cast<int>(SendMessageW(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return item;
  }
  LVHITTESTINFO hit{};
  hit.pt = screen;
  ScreenToClient(ListView1, &hit.pt);
  if (ListView_SubItemHitTest(ListView1, &hit) < 0) return -1;
  // Over the frozen strip the user sees "No", whatever column lies beneath.
  if (hit.pt.x < ListView_GetColumnWidth(ListView1, 0) && ListOriginX() > 0) return 0;
  return hit.iSubItem;
}

bool TFormCsvList::ListView1SortMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      ClientToScreen(ListView1, &pt);
      // The keyboard's menu sorts by the column last clicked or found by a search.
      if (const int column = ColumnAt(pt); column >= 1) keyColumn_ = column;
      return false;
    }
    case WM_KEYDOWN:
      if (wp != VK_APPS) return false;
      ShowListContextMenu(nullptr);
      return true;
    case WM_SYSKEYDOWN:
      if (wp != VK_F10 || GetKeyState(VK_SHIFT) >= 0) return false;
      ShowListContextMenu(nullptr);
      return true;
    case WM_CONTEXTMENU: {
      // The keyboard's menu came with its key above; the system sends this again at the key's
      // release, which must not open a second menu.
      if (lp == -1) return true;
      const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      ShowListContextMenu(&pt);
      return true;
    }
    default: return false;
  }
}

void TFormCsvList::ShowListContextMenu(const POINT* mouse) {
  if (!MayRun(kSortDuringFill)) return;
  HideCellTip();
  int column = keyColumn_;
  POINT at{};
  if (mouse) {
    at = *mouse;
    column = ColumnAt(at);
  } else {
    // Beside the selected row, or the list's corner without one.
    RECT row{};
    const int selected = SelectedRow();
    if (selected >= 0 && ListView_GetItemRect(ListView1, selected, &row, LVIR_LABEL)) {
      // A row scrolled out of view puts the menu at the list's nearest edge.
      RECT client{};
      GetClientRect(ListView1, &client);
      at = {std::clamp<LONG>(row.left, 0, client.right), std::clamp<LONG>(row.bottom, 0, client.bottom)};
    }
    ClientToScreen(ListView1, &at);
  }
  const bool field = column >= 1 && column <= kShownFields && rows_.RowCount() > 0;
  const std::u16string name = field ? DecimalText(column, 2) : std::u16string(u"--");
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return;
  auto add = [&](UINT id, const std::u16string& caption, bool enabled) {
    AppendMenuW(menu.get(), MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), id, W(caption));
  };
  add(SortMenuAscending, u"「" + name + u"」で昇順に並べ替え(&A)", field);
  add(SortMenuDescending, u"「" + name + u"」で降順に並べ替え(&D)", field);
  add(SortMenuLineOrder, u"行番号順に戻す(&L)", sortColumn_ > 0);
  AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  add(SortMenuFilter, u"検索語を含む行だけ表示(&F)", rows_.RowCount() > 0);
  add(SortMenuShowAll, u"全ての行を表示(&S)", filtered_);
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, at.x, at.y, hwnd_, nullptr));
  switch (chosen) {
    case SortMenuAscending: SortByColumn(column, false); break;
    case SortMenuDescending: SortByColumn(column, true); break;
    case SortMenuLineOrder: SortByLine(); break;
    case SortMenuFilter: FilterByTerm(); break;
    case SortMenuShowAll: ShowAllRows(); break;
    default: break;
  }
}

}  // namespace tovo
