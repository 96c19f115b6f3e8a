// Header row, column fitting, the start position and row centring.
#include "list/CsvList.h"

#include <algorithm>
#include <climits>
#include <limits>
#include <tuple>
#include <utility>

#include "core/Paging.h"
#include "win/Handles.h"
#include "win/Text.h"

namespace tovo {

using namespace win;

namespace {

constexpr int32_t kFitQuestionAbove = 500;

int ClampToInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, 0, std::numeric_limits<int>::max())); }

void SetColumnCaption(HWND list, int column, const std::u16string& caption) {
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = const_cast<wchar_t*>(W(caption));
  ListView_SetColumn(list, column, &col);
}

// Widths of captions in the font the header draws them with (the list gives it its own).
class CaptionMeasure {
 public:
  explicit CaptionMeasure(HWND header) : dc_(header), font_(dc_.get(), HeaderFont(header)) {}
  int Width(const std::u16string& caption) const {
    SIZE size{};
    const int length = static_cast<int>(std::min<size_t>(caption.size(), INT_MAX));
    return GetTextExtentPoint32W(dc_.get(), W(caption), length, &size) ? size.cx : 0;
  }

 private:
  static HGDIOBJ HeaderFont(HWND header) {
    auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(header, WM_GETFONT, 0, 0));
    return font ? font : GetStockObject(DEFAULT_GUI_FONT);
  }
  WindowDC dc_;
  SelectGuard font_;
};

// The header draws a caption inside margins of three edge widths on each side and cuts it
// short with "..." when it does not fit: a fitted column must leave at least that room.
int HeaderTextMargins() { return 6 * GetSystemMetrics(SM_CXEDGE); }

// What the list view's own auto-size (header included) adds to text widths, found by asking a
// hidden list with the same font: one column whose cell is wider than its caption, then the other
// way round. Column 1 of three, as the last column is stretched to the edge instead.
std::pair<int, int> MeasureAutoSizePadding(HWND parent, HFONT font, const CharWidthTable& widths) {
  std::pair<int, int> padding{12, HeaderTextMargins()};
  HWND probe = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 400, 200, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(0xFFF0)), ThisModule(), nullptr);
  if (!probe) return padding;
  UniqueWindow owner(probe);
  SendMessageW(probe, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  const std::u16string wide = u"MMMMWWWW0123", narrow = u"i";
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.cx = 50;
  for (int c = 0; c < 3; ++c) {
    col.pszText = const_cast<wchar_t*>(W(narrow));
    ListView_InsertColumn(probe, c, &col);
  }
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.pszText = const_cast<wchar_t*>(W(narrow));
  ListView_InsertItem(probe, &item);
  auto autoWidth = [&](const std::u16string& cell, const std::u16string& caption) {
    ListView_SetItemText(probe, 0, 1, const_cast<wchar_t*>(W(cell)));
    SetColumnCaption(probe, 1, caption);
    ListView_SetColumnWidth(probe, 1, LVSCW_AUTOSIZE_USEHEADER);
    return ListView_GetColumnWidth(probe, 1);
  };
  const int cellPad = autoWidth(wide, narrow) - MeasureText(widths, wide);
  const int captionPad = autoWidth(narrow, wide) - CaptionMeasure(ListView_GetHeader(probe)).Width(wide);
  // A platform whose auto-size does not answer as expected keeps the usual paddings. Wine's
  // leaves the caption a pixel short of its margins: the caption is cut then, so never less.
  if (cellPad >= 0 && cellPad <= 64) padding.first = cellPad;
  if (captionPad >= 0 && captionPad <= 64) padding.second = std::max(captionPad, HeaderTextMargins());
  return padding;
}

}  // namespace

// ---------------------------------------------------------------- header row

void TFormCsvList::MenuAddHeaderClick() {
  const int selected = ModelRow(SelectedRow());
  if (rows_.RowCount() == 0 || selected < 0 || selected >= rows_.RowCount()) return;
  HideCellTip();  // it names the caption about to change

  // Built before the loop: a command handled inside it may replace the rows.
  std::vector<std::u16string> captions(kShownFields);
  for (int i = 0; i < kShownFields; ++i) {
    captions[static_cast<size_t>(i)] = DecimalText(i + 1, 2) + u" " + std::u16string(rows_.Field(selected, i));
  }

  int set = 0;
  bool stopped = false;
  {
    FillScope fill(*this);
    // Captions change only the header, a window of its own: unsuspended, it would repaint at
    // every column. The rows need no suspending here.
    RedrawGuard redrawHeader(ListView_GetHeader(ListView1));
    for (; set < kShownFields; ++set) {
      SetColumnCaption(ListView1, set + 1, captions[static_cast<size_t>(set)]);
      if (!fill.PumpNow()) {
        ++set;
        stopped = true;
        break;
      }
      if (set % 10 == 0) {
        SetStatus(1, DecimalText(set + 1, 2));
        SetStatus(2, DecimalText(kShownFields, 2));
        RepaintStatus();
      }
    }
  }
  // Remember what the header shows; fitting measures these captions.
  if (headerCaptions_.empty()) {
    for (int i = 0; i < kShownFields; ++i) headerCaptions_.push_back(DecimalText(i + 1, 2));
  }
  for (int i = 0; i < set; ++i) headerCaptions_[static_cast<size_t>(i)] = std::move(captions[static_cast<size_t>(i)]);
  if (stopped) return;
  SetFocus(ListView1);
  SetStatus(1, DecimalText(kShownFields, 2));
  SetStatus(2, DecimalText(kShownFields, 2));
  RepaintStatus();
}

std::u16string TFormCsvList::ColumnCaption(int column) const {
  const auto i = static_cast<size_t>(column - 1);
  if (i < headerCaptions_.size()) return headerCaptions_[i];
  return DecimalText(column, 2);
}

// ---------------------------------------------------------------- column fitting

void TFormCsvList::EnsureCharWidths() {
  if (charWidthsValid_) return;
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(ListView1, WM_GETFONT, 0, 0));
  WindowDC dc(ListView1);
  {
    SelectGuard select(dc.get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    // One call for the whole range: 0.05 s once per font, then every cell is table look-ups.
    if (!GetCharWidth32W(dc.get(), 0, 0xFFFF, reinterpret_cast<INT*>(charWidths_.data()))) {
      // Per character as a fallback, should a platform refuse the whole range at once.
      for (UINT ch = 0; ch <= 0xFFFF; ++ch) {
        INT w = 0;
        GetCharWidth32W(dc.get(), ch, ch, &w);
        charWidths_.Set(static_cast<char16_t>(ch), w);
      }
    }
  }
  std::tie(itemTextPadding_, headerTextPadding_) = MeasureAutoSizePadding(hwnd_, font, charWidths_);
  charWidthsValid_ = true;
}

std::array<int, kShownFields> TFormCsvList::FittedColumnWidths() {
  EnsureCharWidths();
  // One pass over every stored character of the rows shown, a table look-up each.
  const std::array<int, kShownFields> cells = MaxFieldWidths(rows_, order_, charWidths_, kListCellUnits);
  const CaptionMeasure captions(ListView_GetHeader(ListView1));
  std::array<int, kShownFields> widths{};
  for (int i = 0; i < kShownFields; ++i) {
    const int64_t cell = int64_t{cells[static_cast<size_t>(i)]} + itemTextPadding_;
    const int64_t caption = int64_t{captions.Width(ColumnCaption(i + 1))} + headerTextPadding_;
    widths[static_cast<size_t>(i)] = ClampToInt(std::max(cell, caption));
  }
  return widths;
}

void TFormCsvList::MenuCsvListFitColumnWidthClick() {
  HideCellTip();  // whether its cell is cut off may change
  if (BoolLoadAll && IntEditorAllCount > kFitQuestionAbove) {
    const std::u16string question = u"500行以上では時間がかかります(500行で約10秒)\r\nこのファイルは " +
                                    DecimalText(IntEditorAllCount, 1) + u" 行ですが、実行しますか？";
    if (AskYesNo(hwnd_, question) != IDYES) return;
  }
  // Measured before the loop, from the rows in the list now.
  const std::array<int, kShownFields> widths = FittedColumnWidths();

  bool completed = true;
  {
    FillScope fill(*this);
    RedrawGuard redraw(ListView1);
    // The header is a window of its own: unsuspended, it would repaint at every column.
    RedrawGuard redrawHeader(ListView_GetHeader(ListView1));
    for (int i = 0; i < kShownFields; ++i) {
      if (!fill.PumpNow()) {
        completed = false;
        break;
      }
      if (i % 10 == 0) {
        SetStatus(0, DecimalText(i + 1, 2));
        RepaintStatus();
      }
      ListView_SetColumnWidth(ListView1, i + 1, widths[static_cast<size_t>(i)]);
    }
    if (completed) {
      SetStatus(0, DecimalText(kShownFields, 2));
      RepaintStatus();
    }
  }
  if (completed) SetFocus(ListView1);
}

void TFormCsvList::ButtonFitColumnWidthClick() { RunCommand(MenuCsvListFitColumnWidth); }

// ---------------------------------------------------------------- start position and centring

void TFormCsvList::MenuMoveStartPositionClick() {
  if (BoolLoadAll) {
    CenterListRow(ViewRowOfLine(IntStartNum));
    if (rows_.RowCount() > 0) {
      SetStatus(1, rows_.Caption(0));
      SetStatus(2, rows_.Caption(rows_.RowCount() - 1));
      RepaintStatus();
    }
    return;
  }
  const PageBounds page = StartPositionPage(IntStartNum, IntEditorAllCount, IntMoveNum);
  IntLineStart = page.start;
  IntLineEnd = page.end;
  SetListData();
  if (!order_.Identity()) CenterListRow(ViewRowOfLine(IntStartNum));  // a sorted page puts it elsewhere
}

void TFormCsvList::CenterListRow(int row) {
  if (row < 0 || row >= ListView_GetItemCount(ListView1)) return;
  // No WM_SETREDRAW round the moves: the list only invalidates here and paints once when
  // messages are next handled.
  SelectListRow(row);

  const int top = ListView_GetTopIndex(ListView1);
  RECT item{};
  if (!ListView_GetItemRect(ListView1, 0, &item, LVIR_BOUNDS)) return;
  RECT client{};
  GetClientRect(ListView1, &client);
  // Pixels, rounded by the list to whole rows. In 64 bits: far rows times the row height
  // overflow 32; the list cannot scroll further than its end anyway.
  const int64_t dy = (int64_t{row} - top + 1) * (item.bottom - item.top) - (client.bottom - client.top) / 2;
  ListView_Scroll(ListView1, 0,
                  static_cast<int>(std::clamp<int64_t>(dy, std::numeric_limits<int>::min() / 2,
                                                       std::numeric_limits<int>::max() / 2)));
}

void TFormCsvList::ListView1Click() { IntSearchCol = 0; }

}  // namespace tovo
