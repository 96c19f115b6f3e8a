// Header row, column fitting, the start position and row centring.
#include "list/CsvList.h"

#include <algorithm>
#include <climits>
#include <limits>
#include <optional>
#include <tuple>
#include <utility>

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
  // Taken before the loop: a command handled inside it may change the rows.
  session_.Select(SelectedRow());
  if (!session_.SetHeaderRow()) return;
  HideCellTip();  // it names the caption about to change

  {
    // A few milliseconds that cannot be taken back halfway: Esc does not stop it.
    FillScope fill(*this, u"見出しを設定中", false);
    // Captions change only the header, a window of its own: unsuspended, it would repaint at
    // every column. The rows need no suspending here.
    RedrawGuard redrawHeader(ListView_GetHeader(list_));
    for (int set = 0; set < kShownFields; ++set) {
      SetColumnCaption(list_, set + 1, session_.ColumnCaption(set + 1));
      if (!fill.PumpNow()) return;
      if (set % 10 == 0) {
        SetStatus(Panel::FirstLine, DecimalText(set + 1, 2));
        SetStatus(Panel::LastLine, DecimalText(kShownFields, 2));
        RepaintStatus();
      }
    }
  }
  SetFocus(list_);
  SetStatus(Panel::FirstLine, DecimalText(kShownFields, 2));
  SetStatus(Panel::LastLine, DecimalText(kShownFields, 2));
  RepaintStatus();
}

// ---------------------------------------------------------------- column fitting

bool TFormCsvList::EnsureCharWidths(const Progress& progress) {
  if (measure_.valid) return true;
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0));
  WindowDC dc(list_);
  {
    SelectGuard select(dc.get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    // A few calls for the whole range: 0.05 s once per font, then every cell is table look-ups.
    // In steps, so long work pumps between them.
    constexpr UINT kStep = 0x1000;
    for (UINT first = 0; first <= 0xFFFF; first += kStep) {
      if (progress && !progress(first, 0x10000)) return false;
      if (GetCharWidth32W(dc.get(), first, first + kStep - 1,
                          reinterpret_cast<INT*>(measure_.charWidths.data()) + first))
        continue;
      // Per character as a fallback, should a platform refuse a range at once.
      for (UINT ch = first; ch < first + kStep; ++ch) {
        INT w = 0;
        GetCharWidth32W(dc.get(), ch, ch, &w);
        measure_.charWidths.Set(static_cast<char16_t>(ch), w);
      }
    }
  }
  // The probe list view's creation is a stretch of its own (tens of milliseconds under Wine).
  if (!ReportEnd(progress, 0x10000)) return false;
  std::tie(measure_.itemTextPadding, measure_.headerTextPadding) =
      MeasureAutoSizePadding(hwnd_, font, measure_.charWidths);
  measure_.valid = true;
  if (!ReportEnd(progress, 0x10000)) return false;
  return true;
}

std::optional<std::array<int, kShownFields>> TFormCsvList::FittedColumnWidths(const Progress& progress) {
  if (!EnsureCharWidths(progress)) return std::nullopt;
  // One pass over every stored character of the rows shown, a table look-up each.
  const std::optional<std::array<int, kShownFields>> cells =
      session_.WidestCells(measure_.charWidths, kListCellUnits, progress);
  if (!cells) return std::nullopt;
  const CaptionMeasure captions(ListView_GetHeader(list_));
  std::array<int, kShownFields> widths{};
  for (int i = 0; i < kShownFields; ++i) {
    const int64_t cell = int64_t{(*cells)[static_cast<size_t>(i)]} + measure_.itemTextPadding;
    const int64_t caption = int64_t{captions.Width(session_.ColumnCaption(i + 1))} + measure_.headerTextPadding;
    widths[static_cast<size_t>(i)] = ClampToInt(std::max(cell, caption));
  }
  return widths;
}

void TFormCsvList::MenuCsvListFitColumnWidthClick() {
  HideCellTip();  // whether its cell is cut off may change
  if (session_.LoadedAll() && session_.LineCount() > kFitQuestionAbove) {
    const std::u16string question = u"500行以上では時間がかかります(500行で約10秒)\r\nこのファイルは " +
                                    DecimalText(session_.LineCount(), 1) + u" 行ですが、実行しますか？";
    if (AskYesNo(hwnd_, question) != IDYES) return;
  }
  bool completed = false;
  {
    FillScope fill(*this, u"カラム幅を計測中");
    // Measured from the rows in the list now, before any width changes.
    const std::optional<std::array<int, kShownFields>> widths = FittedColumnWidths(FillProgress(false));
    if (widths) completed = SetFittedWidths(fill, *widths);
  }
  if (completed) SetFocus(list_);
}

// False when stopped: the widths set so far are taken back.
bool TFormCsvList::SetFittedWidths(FillScope& fill, const std::array<int, kShownFields>& widths) {
  std::array<int, kShownFields> before{};
  for (int i = 0; i < kShownFields; ++i) before[static_cast<size_t>(i)] = ListView_GetColumnWidth(list_, i + 1);
  RedrawGuard redraw(list_);
  // The header is a window of its own: unsuspended, it would repaint at every column.
  RedrawGuard redrawHeader(ListView_GetHeader(list_));
  for (int i = 0; i < kShownFields; ++i) {
    if (!fill.PumpNow()) {
      for (int j = 0; j < i; ++j) ListView_SetColumnWidth(list_, j + 1, before[static_cast<size_t>(j)]);
      return false;
    }
    if (i % 10 == 0) {
      SetStatus(Panel::FitProgress, DecimalText(i + 1, 2));
      RepaintStatus();
    }
    ListView_SetColumnWidth(list_, i + 1, widths[static_cast<size_t>(i)]);
  }
  SetStatus(Panel::FitProgress, DecimalText(kShownFields, 2));
  RepaintStatus();
  return true;
}

void TFormCsvList::ButtonFitColumnWidthClick() { RunCommand(MenuCsvListFitColumnWidth); }

// ---------------------------------------------------------------- start position and centring

void TFormCsvList::MenuMoveStartPositionClick() {
  GoToLine([&](const Progress& progress) { return session_.GoToStart(progress); });
  // In load-all mode the panels show the list's lines again, whatever showed there meanwhile.
  if (session_.LoadedAll()) ShowLineRange();
}

// A page that starts at the line, or in load-all mode the line's row selected; a sorted page
// puts the line elsewhere. A line the filter hides shows all rows again.
void TFormCsvList::GoToLine(const SessionOp& go) {
  if (!session_.LoadedAll()) {
    if (RunFill(go) && session_.SortColumn() > 0) CenterListRow(session_.Selected());
    return;
  }
  ReadTestLimits();
  session_.Select(SelectedRow());
  const int keep = session_.ModelRow(session_.Selected());
  const bool filtered = session_.Filtered();
  SessionResult result = SessionResult::Unchanged;
  {
    // A line the filter hides shows every row again, sorted: as long as a sort.
    FillScope fill(*this, u"並べ替え中");
    result = go(FillProgress(false));
    if (filtered && !session_.Filtered()) ShowReordered(keep);
    if (fill.CloseRequested()) return;
  }
  if (result == SessionResult::SortDropped) TellSortDropped();
  if (result != SessionResult::Unchanged && result != SessionResult::Stopped) CenterListRow(session_.Selected());
}

void TFormCsvList::CenterListRow(int row) {
  if (row < 0 || row >= ListView_GetItemCount(list_)) return;
  // No WM_SETREDRAW round the moves: the list only invalidates here and paints once when
  // messages are next handled.
  SelectListRow(row);

  const int top = ListView_GetTopIndex(list_);
  RECT item{};
  if (!ListView_GetItemRect(list_, 0, &item, LVIR_BOUNDS)) return;
  RECT client{};
  GetClientRect(list_, &client);
  // Pixels, rounded by the list to whole rows. In 64 bits: far rows times the row height
  // overflow 32; the list cannot scroll further than its end anyway.
  const int64_t dy = (int64_t{row} - top + 1) * (item.bottom - item.top) - (client.bottom - client.top) / 2;
  ListView_Scroll(list_, 0,
                  static_cast<int>(std::clamp<int64_t>(dy, std::numeric_limits<int>::min() / 2,
                                                       std::numeric_limits<int>::max() / 2)));
}

void TFormCsvList::ListView1Click() { session_.ResetSearchColumn(); }

}  // namespace tovo
