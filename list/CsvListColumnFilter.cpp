// Filtering by a column, the column's profile, and the header's marks of the columns that filter.
//
// Both count the column (on the page, or over every line after load-all) as long work, then open
// their window: the profile over the rows shown, the filter dialog over the rows every other
// filter lets through. The condition chosen runs as a reorder, so Esc, the progress bar and a
// stopped filter behave as the term filter's.
#include "list/CsvList.h"

#include <array>
#include <iterator>
#include <new>

#include "core/StrUtil.h"
#include "dialogs/ColumnFilterDialog.h"
#include "dialogs/ColumnProfile.h"
#include "win/Handles.h"

namespace tovo {

using namespace win;

namespace {

constexpr char16_t kCounting[] = u"カラムを集計中";
constexpr char16_t kFiltering[] = u"絞り込み中";

}  // namespace

bool TFormCsvList::IsFieldColumn(int column) const { return column >= 1 && column <= kShownFields; }

std::u16string TFormCsvList::CountedScope() const {
  std::u16string scope = session_.LoadedAll() ? u"全ての行" : u"このページ";
  if (session_.Filtered()) scope += u" (絞り込み後の表示行)";
  return scope;
}

// The column's values; nullopt when stopped, the window is closing, or memory ran out (said then).
std::optional<ColumnValues> TFormCsvList::CountColumnValues(int column, ListSession::CountedRows rows) {
  std::optional<ColumnValues> values;
  SessionResult result = SessionResult::Unchanged;
  try {
    if (!RunSearchWalk(kCounting,
                       [&](const Progress& progress) {
                         values = session_.CountColumn(column, rows, progress);
                         return values ? SessionResult::Done : SessionResult::Stopped;
                       },
                       result))
      return std::nullopt;
  } catch (const std::bad_alloc&) {
    // Millions of distinct long values: the list stays as it was.
    ShowMessage(hwnd_, u"メモリが足りないため、カラムを集計できませんでした。表示はそのままです", MB_OK | MB_ICONWARNING);
    return std::nullopt;
  }
  return values;
}

void TFormCsvList::FilterByColumn(int column) {
  if (!MayRun(DuringFill::Refused) || !IsFieldColumn(column)) return;
  const std::optional<ColumnValues> values = CountColumnValues(column, ListSession::CountedRows::ToFilter);
  if (!values) return;
  ColumnFilterRequest request;
  request.column = column;
  request.scope = CountedScope();
  request.values = &*values;
  request.current = session_.ColumnFilter(column);
  request.upper = SearchUpper();
  request.regex = settings_.searchRegEx;
  std::optional<ColumnCondition> condition = ShowColumnFilterDialog(hwnd_, request);
  if (condition) ApplyColumnFilter(column, std::move(*condition));
}

void TFormCsvList::ApplyColumnFilter(int column, ColumnCondition condition) {
  SessionResult result = SessionResult::Unchanged;
  Reorder(kFiltering,
          [&](const Progress& progress) { return result = session_.FilterColumn(column, condition, progress); });
  if (result == SessionResult::NoMatch)
    ShowMessage(hwnd_, u"条件に合う行がありません。表示はそのままです\r\nカラム " + DecimalText(column, 2));
  if (result == SessionResult::GaveUp) TellGaveUp(condition.Term());
}

void TFormCsvList::ClearColumnFilterOf(int column) {
  if (!IsFieldColumn(column) || !session_.ColumnFilter(column)) return;
  Reorder(kFiltering, [&](const Progress& progress) { return session_.ClearColumnFilter(column, progress); });
}

void TFormCsvList::ShowColumnProfileOf(int column) {
  if (!MayRun(DuringFill::Refused) || !IsFieldColumn(column)) return;
  const std::optional<ColumnValues> values = CountColumnValues(column, ListSession::CountedRows::Shown);
  if (!values) return;
  ColumnProfileRequest request;
  request.column = column;
  request.scope = CountedScope();
  request.values = &*values;
  // A value double-clicked: the list shows only its rows, as if it alone were checked.
  if (std::optional<std::u16string> chosen = ShowColumnProfile(hwnd_, request))
    ApplyColumnFilter(column, ColumnCondition::Values({std::move(*chosen)}));
}

// From the menu bar or a shortcut: the column last clicked or found.
void TFormCsvList::MenuColumnFilterClick() { FilterByColumn(keyColumn_); }
void TFormCsvList::MenuColumnFilterClearClick() { ClearColumnFilterOf(keyColumn_); }
void TFormCsvList::MenuColumnProfileClick() { ShowColumnProfileOf(keyColumn_); }

// ---------------------------------------------------------------- the header's marks

// A small funnel in the caption's colour, drawn for the window's DPI: a filtering column is told
// by it, its caption's text unchanged.
void TFormCsvList::MakeFilterMark() {
  HWND header = ListView_GetHeader(list_);
  if (!header) return;
  const int size = Scale(12, dpi_);
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 1, 0);
  if (!images) return;
  WindowDC screen(nullptr);
  UniqueMemoryDC dc(CreateCompatibleDC(screen.get()));
  UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), size, size));
  if (dc && bitmap) {
    constexpr COLORREF kTransparent = RGB(255, 0, 255);
    SelectGuard selected(dc.get(), bitmap.get());
    UniqueBrush background(CreateSolidBrush(kTransparent));
    const RECT all{0, 0, size, size};
    FillRect(dc.get(), &all, background.get());
    // The funnel: a wide top narrowing to a stem, in 12 units of the mark's size.
    auto at = [&](int x, int y) { return POINT{x * size / 12, y * size / 12}; };
    const POINT funnel[] = {at(1, 2), at(11, 2), at(7, 7), at(7, 11), at(5, 10), at(5, 7)};
    UniqueBrush ink(CreateSolidBrush(GetSysColor(COLOR_BTNTEXT)));
    SelectGuard brush(dc.get(), ink.get());
    SelectGuard pen(dc.get(), GetStockObject(NULL_PEN));
    Polygon(dc.get(), funnel, static_cast<int>(std::size(funnel)));
  }
  // The image list copies the bitmap, once it is out of the memory context.
  if (dc && bitmap) ImageList_AddMasked(images, bitmap.get(), RGB(255, 0, 255));
  // The header lets go of the old list before it is destroyed.
  Header_SetImageList(header, images);
  filterMark_.reset(images);
}

void TFormCsvList::UpdateHeaderMarks() {
  HWND header = ListView_GetHeader(list_);
  const int sortColumn = session_.SortColumn();
  std::array<bool, kShownFields + 1> filtering{};
  for (int column : session_.FilteringColumns()) {
    if (IsFieldColumn(column)) filtering[static_cast<size_t>(column)] = true;
  }
  filterMarksShown_ = false;
  for (int column = 0; column <= kShownFields; ++column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT | HDI_IMAGE;
    if (!Header_GetItem(header, column, &item)) continue;
    int format = item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN | HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
    if (column == sortColumn && column > 0) format |= session_.SortDescending() ? HDF_SORTDOWN : HDF_SORTUP;
    if (filtering[static_cast<size_t>(column)]) {
      format |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
      filterMarksShown_ = true;
    }
    if (format == item.fmt && item.iImage == 0) continue;
    item.fmt = format;
    item.iImage = 0;
    Header_SetItem(header, column, &item);
  }
}

}  // namespace tovo
