// Sorting the list by a column and showing only the rows that hold the search term.
//
// The session keeps its rows in line order and maps the rows shown to them. Every place that
// takes a row from the list (cells, drawing, tooltips, copying) goes through its ModelRow, so the
// rows keep their line numbers and marks wherever they stand.
#include "list/CsvList.h"

#include <algorithm>
#include <climits>

#include "core/Search.h"
#include "win/Handles.h"
#include "win/Text.h"

namespace tovo {

using namespace win;

namespace {

// Reordering or narrowing the rows waits for a fill: it is making them.
constexpr DuringFill kSortDuringFill = DuringFill::Refused;

constexpr char16_t kSorting[] = u"並べ替え中";

enum SortMenuId : UINT {
  SortMenuAscending = 1,
  SortMenuDescending,
  SortMenuLineOrder,
  SortMenuFilter,
  SortMenuShowAll,
  SortMenuColumnFilter,
  SortMenuColumnFilterClear,
  SortMenuColumnProfile,
};

}  // namespace

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

// ---------------------------------------------------------------- reordering

// Sorting and filtering ten million rows take seconds: they run as a fill, the window answering
// and Esc stopping them. The new order is shown inside the fill, while the list's count still
// covers the row selected before.
void TFormCsvList::Reorder(const char16_t* doing, const SessionOp& op) {
  if (!Allowed(kSortDuringFill)) return;
  ReadTestLimits();
  session_.Select(SelectedRow());
  const int keep = session_.ModelRow(session_.Selected());
  SessionResult result = SessionResult::Unchanged;
  {
    FillScope fill(*this, doing);
    result = op(FillProgress(false));
    if (Committed(result)) ShowReordered(keep);
    if (fill.CloseRequested()) return;
  }
  if (result == SessionResult::SortDropped) TellSortDropped();
}

void TFormCsvList::ShowReordered(int keptModelRow) {
  HideCellTip();
  // The old row is let go while the count still covers it (see SelectListRow).
  if (const int old = SelectedRow(); old >= 0) ListView_SetItemState(list_, old, 0, LVIS_SELECTED);
  // A sort keeps the count; setting it again costs tens of milliseconds under Wine.
  if (ListView_GetItemCount(list_) != session_.ViewRowCount()) {
    ListView_SetItemCountEx(list_, session_.ViewRowCount(), LVSICF_NOSCROLL);
  }
  InvalidateRect(list_, nullptr, TRUE);
  UpdateHeaderMarks();
  // While the bar shows, the fill's end paints panel 4 anyway.
  if (!fill_.barShown) ShowSearchPanel();
  if (session_.ViewRowCount() == 0) return;
  // The row that was selected stays selected wherever it now stands.
  const int view = keptModelRow >= 0 ? session_.ViewRow(keptModelRow) : -1;
  if (view >= 0) {
    CenterListRow(view);
  } else {
    SelectListRow(0);
    ListView_EnsureVisible(list_, 0, FALSE);
  }
}

// Out of memory, a sort costs only itself: the rows stay, in line order. Told after the
// operation, so no message box opens inside a fill.
void TFormCsvList::TellSortDropped() {
  ShowMessage(hwnd_, u"メモリが足りないため、並べ替えを保てませんでした。行番号順に表示します", MB_OK | MB_ICONWARNING);
}

void TFormCsvList::SortByColumn(int column, bool descending) {
  Reorder(kSorting, [&](const Progress& progress) { return session_.SortByColumn(column, descending, progress); });
}

void TFormCsvList::SortByLine() {
  Reorder(kSorting, [&](const Progress& progress) { return session_.SortByLine(progress); });
}

void TFormCsvList::FilterByTerm() {
  if (!Allowed(kSortDuringFill)) return;
  std::u16string term;
  const std::unique_ptr<FieldMatcher> matcher = SearchBoxMatcher(term);
  if (!matcher) return;
  SessionResult result = SessionResult::Unchanged;
  Reorder(u"絞り込み中", [&](const Progress& progress) { return result = session_.Filter(*matcher, progress); });
  if (result == SessionResult::NoMatch)
    ShowMessage(hwnd_, u"検索語を含む行がありません。表示はそのままです\r\n" + term);
  if (result == SessionResult::GaveUp) TellGaveUp(term);
}

void TFormCsvList::ShowAllRows() {
  Reorder(kSorting, [&](const Progress& progress) { return session_.ShowAllRows(progress); });
}

// ---------------------------------------------------------------- the header and the status bar

void TFormCsvList::ListView1ColumnClick(int column) {
  if (!MayRun(kSortDuringFill)) return;
  // Ascending, descending, then line order again; "No" is line order.
  Reorder(kSorting, [&](const Progress& progress) { return session_.ClickColumn(column, progress); });
}

// One press on a caption, however the header reports it: a click, a double click, or both for
// one press (counted once).
void TFormCsvList::ListView1ColumnPress(int column) {
  if (headerPressCounted_) return;
  headerPressCounted_ = true;
  ListView1ColumnClick(column);
}

// Panel 4: the last search's result or count, then the filter's notice while a filter is in
// force, the one column searched while "このカラムのみ" is on, then the notice of a command
// refused while a fill runs or of work stopped by Esc. While long work shows its bar: what is
// being done.
void TFormCsvList::ShowSearchPanel() {
  SetSearchPanelText();
  RepaintStatus();
}

void TFormCsvList::SetSearchPanelText() {
  if (fill_.barShown) {
    SetStatus(Panel::Search, WorkPanelText());
    return;
  }
  std::u16string scope;
  if (settings_.searchOneColumn) scope = u"  このカラムのみ: " + DecimalText(keyColumn_, 2);
  SetStatus(Panel::Search, session_.SearchStatus() + scope + refusedNotice_ + stoppedNotice_);
}

// ---------------------------------------------------------------- the context menu

// 0: "No"; -1: no column there.
int TFormCsvList::ColumnAt(POINT screen) const {
  HWND header = ListView_GetHeader(list_);
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
  ScreenToClient(list_, &hit.pt);
  if (ListView_SubItemHitTest(list_, &hit) < 0) return -1;
  // Over the frozen strip the user sees "No", whatever column lies beneath.
  if (hit.pt.x < ListView_GetColumnWidth(list_, 0) && ListOriginX() > 0) return 0;
  return hit.iSubItem;
}

bool TFormCsvList::ListView1SortMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      ClientToScreen(list_, &pt);
      // The keyboard's menu sorts by the column last clicked or found by a search; the one-column
      // search searches it.
      if (const int column = ColumnAt(pt); column >= 1 && column != keyColumn_) {
        keyColumn_ = column;
        if (settings_.searchOneColumn) ShowSearchPanel();
      }
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
    if (selected >= 0 && ListView_GetItemRect(list_, selected, &row, LVIR_LABEL)) {
      // A row scrolled out of view puts the menu at the list's nearest edge.
      RECT client{};
      GetClientRect(list_, &client);
      at = {std::clamp<LONG>(row.left, 0, client.right), std::clamp<LONG>(row.bottom, 0, client.bottom)};
    }
    ClientToScreen(list_, &at);
  }
  const bool field = column >= 1 && column <= kShownFields && session_.Rows().RowCount() > 0;
  const std::u16string name = field ? DecimalText(column, 2) : std::u16string(u"--");
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return;
  auto add = [&](UINT id, const std::u16string& caption, bool enabled) {
    AppendMenuW(menu.get(), MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), id, W(caption));
  };
  add(SortMenuAscending, u"「" + name + u"」で昇順に並べ替え(&A)", field);
  add(SortMenuDescending, u"「" + name + u"」で降順に並べ替え(&D)", field);
  add(SortMenuLineOrder, u"行番号順に戻す(&L)", session_.SortColumn() > 0);
  AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  add(SortMenuFilter, u"検索語を含む行だけ表示(&F)", session_.Rows().RowCount() > 0);
  add(SortMenuShowAll, u"全ての行を表示(&S)", session_.Filtered());
  AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  // The column's own items: the captions are the commands' (their shortcuts act on the key column).
  const bool column96 = column >= 1 && column <= kShownFields;
  add(SortMenuColumnFilter, std::u16string(CommandTable()[*CommandIndexOf(MenuColumnFilter)].caption), column96);
  if (column96 && session_.ColumnFilter(column))
    add(SortMenuColumnFilterClear, std::u16string(CommandTable()[*CommandIndexOf(MenuColumnFilterClear)].caption), true);
  add(SortMenuColumnProfile, std::u16string(CommandTable()[*CommandIndexOf(MenuColumnProfile)].caption), column96);
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, at.x, at.y, hwnd_, nullptr));
  switch (chosen) {
    case SortMenuAscending: SortByColumn(column, false); break;
    case SortMenuDescending: SortByColumn(column, true); break;
    case SortMenuLineOrder: SortByLine(); break;
    case SortMenuFilter: FilterByTerm(); break;
    case SortMenuShowAll: ShowAllRows(); break;
    case SortMenuColumnFilter: FilterByColumn(column); break;
    case SortMenuColumnFilterClear: ClearColumnFilterOf(column); break;
    case SortMenuColumnProfile: ShowColumnProfileOf(column); break;
    default: break;
  }
}

}  // namespace tovo
