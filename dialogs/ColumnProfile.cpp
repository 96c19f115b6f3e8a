// A column's profile window.
#include "dialogs/ColumnProfile.h"

#include <commctrl.h>

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "core/StrUtil.h"
#include "win/Form.h"
#include "win/Text.h"

namespace tovo {

using namespace win;

namespace {

constexpr SIZE kDesignClient{640, 600};
constexpr int kPanel1Height = 45;
constexpr win::FormDesign kDesign{kDesignClient, {480, 440}, /*escCloses=*/true};
// The first column of each table takes the client width less this (the others' widths, the
// margins, a scroll bar and the borders).
constexpr int kSummaryNameWidth = 130;
constexpr int kCountWidth = 100, kShareWidth = 80;
constexpr int kSummaryValueGap = kSummaryNameWidth + 50;
constexpr int kValueGap = kCountWidth + kShareWidth + 50;
// A value's cell shows at most this much of it (no cell is that wide, and a hundred long values
// would each be copied into the list view); the clipboard and the value returned keep it whole.
constexpr size_t kShownUnits = 1000;

enum : int {
  IdLabelScope = 300,
  IdListSummary,
  IdListValues,
  IdButtonCopyToClip,
  IdButtonClose = IDCANCEL,
};

using Row = std::vector<std::u16string>;

// A tab or line break inside a cell would start a new cell or row where the text is pasted (a
// spreadsheet, an editor's table): each becomes a space, so every line keeps its columns.
std::u16string TsvCell(std::u16string_view text) {
  std::u16string cell(text);
  std::replace_if(cell.begin(), cell.end(), [](char16_t c) { return c == u'\t' || c == u'\r' || c == u'\n'; }, u' ');
  return cell;
}

void AppendTsv(std::u16string& text, const Row& header, const std::vector<Row>& rows) {
  const auto line = [&text](const Row& cells) {
    for (size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) text += u'\t';
      text += TsvCell(cells[i]);
    }
    text += u"\r\n";
  };
  line(header);
  for (const Row& row : rows) line(row);
}

std::u16string Count(int64_t n) { return DecimalText(n, 1); }

class TFormColumnProfile : public win::Form {
 public:
  explicit TFormColumnProfile(const ColumnProfileRequest& request) : Form(kDesign), request_(request) {}
  std::optional<std::u16string> Execute(HWND owner);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  bool PreviewMessage(MSG& msg) override;
  void FormShow() override;
  void FormResize() override;

 private:
  bool CreateControls();
  void MakeRows();
  void ShowRows(HWND list, const std::vector<Row>& rows);
  void ListValuesDblClick(int row);
  void ButtonCopyToClipClick();

  HWND LabelScope = nullptr, ListSummary = nullptr, ListValues = nullptr;
  HWND ButtonCopyToClip = nullptr, ButtonClose = nullptr;

  const ColumnProfileRequest& request_;
  std::vector<Row> summary_;  // name, value
  std::vector<Row> values_;   // value, count, share; the values first, then the line of those left out
  size_t valueRows_ = 0;      // the rows of values_ that are values
  std::optional<std::u16string> chosen_;
};

const Row kSummaryHeader{u"項目", u"値"};
const Row kValuesHeader{u"値", u"件数", u"割合"};

std::optional<std::u16string> TFormColumnProfile::Execute(HWND owner) {
  const std::u16string caption = u"カラム " + DecimalText(request_.column, 2) + u" の統計";
  if (!CreateTopLevel(W(caption), kSizableModalStyle, 0, owner, nullptr) || !CreateControls()) {
    ShowError(owner, u"カラムの統計の画面を作成できませんでした。");
    return std::nullopt;
  }
  CenterOnPrimary(hwnd_);
  FocusOnActivate(ListValues);
  ShowModal(owner);
  return chosen_;
}

bool TFormColumnProfile::CreateControls() {
  // The scope is the caller's text: no "&" in it may become an access key.
  LabelScope = CreateChild(L"STATIC", W(request_.scope), SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0, IdLabelScope);
  const DWORD listStyle = WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;
  ListSummary = CreateChild(WC_LISTVIEWW, L"", listStyle, WS_EX_CLIENTEDGE, IdListSummary);
  ListValues = CreateChild(WC_LISTVIEWW, L"", listStyle, WS_EX_CLIENTEDGE, IdListValues);
  ButtonCopyToClip = CreateChild(L"BUTTON", L"ｸﾘｯﾌﾟへｺﾋﾟｰ(&C)", WS_TABSTOP | BS_PUSHBUTTON, 0, IdButtonCopyToClip);
  ButtonClose = CreateChild(L"BUTTON", L"閉じる", WS_TABSTOP | BS_PUSHBUTTON, 0, IdButtonClose);
  for (HWND h : {LabelScope, ListSummary, ListValues, ButtonCopyToClip, ButtonClose}) {
    if (!h) return false;
  }
  for (HWND list : {ListSummary, ListValues}) {
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  }
  GiveUiFont();

  const int panelTop = kDesignClient.cy - kPanel1Height;
  const int inner = kDesignClient.cx - 20;
  layout_ = {
      {LabelScope, 10, 10, inner, 19, kLeft | kTop | kRight},
      {ListSummary, 10, 36, inner, 212, kLeft | kTop | kRight},  // eight lines, no scroll bar
      {ListValues, 10, 258, inner, panelTop - 268, kLeft | kTop | kRight | kBottom},
      {ButtonCopyToClip, 10, panelTop + 10, 160, 25, kLeft | kBottom},
      {ButtonClose, 170, panelTop + 10, 100, 25, kLeft | kBottom},
  };
  panels_ = {{0, panelTop, kDesignClient.cx, kPanel1Height, kLeft | kRight | kBottom}};
  Layout();
  return true;
}

void TFormColumnProfile::FormShow() {
  for (const auto& [list, header] : {std::pair{ListSummary, &kSummaryHeader}, std::pair{ListValues, &kValuesHeader}}) {
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_FMT | LVCF_SUBITEM;
    for (int i = 0; i < static_cast<int>(header->size()); ++i) {
      col.pszText = const_cast<wchar_t*>(W((*header)[i]));
      // Counts and shares line up on the right; the value's column is text.
      col.fmt = list == ListValues && i > 0 ? LVCFMT_RIGHT : LVCFMT_LEFT;
      col.iSubItem = i;
      ListView_InsertColumn(list, i, &col);
    }
  }
  FormResize();
  MakeRows();
  ShowRows(ListSummary, summary_);
  ShowRows(ListValues, values_);
  if (valueRows_ > 0) ListView_SetItemState(ListValues, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

// The first column of each table takes what the others leave of the client width.
void TFormColumnProfile::FormResize() {
  RECT rc{};
  GetClientRect(hwnd_, &rc);
  const auto rest = [&](int gap) { return std::max<int>(Scale(60, dpi_), rc.right - Scale(gap, dpi_)); };
  ListView_SetColumnWidth(ListSummary, 0, Scale(kSummaryNameWidth, dpi_));
  ListView_SetColumnWidth(ListSummary, 1, rest(kSummaryValueGap));
  ListView_SetColumnWidth(ListValues, 0, rest(kValueGap));
  ListView_SetColumnWidth(ListValues, 1, Scale(kCountWidth, dpi_));
  ListView_SetColumnWidth(ListValues, 2, Scale(kShareWidth, dpi_));
}

// What both tables show and the clipboard gets. No line reaching the column, or every field
// empty, gives zeros and no value.
void TFormColumnProfile::MakeRows() {
  static const ColumnValues kNothing = [] {
    ColumnValues none;
    none.Finish();
    return none;
  }();
  const ColumnValues& v = request_.values ? *request_.values : kNothing;
  const int64_t rows = v.Rows();
  summary_ = {{u"行数", Count(rows)}, {u"空欄", Count(v.EmptyFields())},
              {u"異なる値", Count(static_cast<int64_t>(v.DistinctCount()))}};
  const NumberSummary& n = v.Numbers();
  if (n.count > 0) {
    summary_.insert(summary_.end(), {{u"数値の数", Count(n.count)},
                                     {u"最小", n.least},
                                     {u"最大", n.greatest},
                                     {u"合計", n.sum},
                                     {u"平均", n.mean}});
  }

  valueRows_ = std::min(v.DistinctCount(), kProfileValueLimit);
  values_.clear();
  int64_t shownRows = 0;
  for (size_t rank = 0; rank < valueRows_; ++rank) {
    values_.push_back({std::u16string(v.Text(rank)), Count(v.Count(rank)), ShareText(v.Count(rank), rows)});
    shownRows += v.Count(rank);
  }
  if (const size_t leftOut = v.DistinctCount() - valueRows_; leftOut > 0) {
    // Every row not empty holds one value: what the shown values leave is the others' rows.
    const int64_t leftRows = rows - v.EmptyFields() - shownRows;
    values_.push_back({u"ほか " + Count(static_cast<int64_t>(leftOut)) + u" 個の値", Count(leftRows),
                       ShareText(leftRows, rows)});
  }
}

void TFormColumnProfile::ShowRows(HWND list, const std::vector<Row>& rows) {
  RedrawGuard noDraw(list);
  ListView_DeleteAllItems(list);
  std::u16string shown;
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    for (int c = 0; c < static_cast<int>(rows[r].size()); ++c) {
      shown = rows[r][c].substr(0, kShownUnits);
      if (c == 0) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = r;
        item.pszText = const_cast<wchar_t*>(W(shown));
        ListView_InsertItem(list, &item);
      } else {
        ListView_SetItemText(list, r, c, const_cast<wchar_t*>(W(shown)));
      }
    }
  }
}

// ---------------------------------------------------------------- the user's actions

void TFormColumnProfile::ListValuesDblClick(int row) {
  if (row < 0 || static_cast<size_t>(row) >= valueRows_) return;  // the line of values left out is none
  chosen_ = values_[static_cast<size_t>(row)][0];
  EndModal(IDOK);
}

void TFormColumnProfile::ButtonCopyToClipClick() {
  std::u16string text;
  AppendTsv(text, kSummaryHeader, summary_);
  text += u"\r\n";
  AppendTsv(text, kValuesHeader, values_);
  if (!CopyTextToClipboard(hwnd_, text)) {
    ShowMessage(hwnd_, u"クリップボードにコピーできませんでした。", MB_OK | MB_ICONWARNING);
  }
}

// ---------------------------------------------------------------- dispatch

// Ctrl+C copies wherever the focus is; Enter on the values table takes the selected value.
bool TFormColumnProfile::PreviewMessage(MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
  if (msg.wParam == 'C' && ctrl && !shift) {
    ButtonCopyToClipClick();
    return true;
  }
  if (msg.wParam == VK_RETURN && msg.hwnd == ListValues && !ModifierHeld()) {
    ListValuesDblClick(ListView_GetNextItem(ListValues, -1, LVNI_SELECTED));
    return true;
  }
  return false;
}

LRESULT TFormColumnProfile::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) != BN_CLICKED) return 0;
      switch (LOWORD(wp)) {
        case IdButtonCopyToClip: ButtonCopyToClipClick(); break;
        case IdButtonClose: PostMessageW(hwnd_, WM_CLOSE, 0, 0); break;
        default: break;  // IDOK from Enter elsewhere: nothing
      }
      return 0;
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (hdr->hwndFrom == ListValues && hdr->code == NM_DBLCLK) {
        ListValuesDblClick(reinterpret_cast<const NMITEMACTIVATE*>(lp)->iItem);
      }
      return 0;
    }
    case WM_CLOSE: EndModal(IDCANCEL); return 0;
    default: return Default(msg, wp, lp);
  }
}

}  // namespace

std::optional<std::u16string> ShowColumnProfile(HWND owner, const ColumnProfileRequest& request) {
  // The tables are made before the window shows, outside any window procedure: memory running
  // short there is said here, and the list stays as it is.
  try {
    TFormColumnProfile form(request);
    return form.Execute(owner);
  } catch (const std::bad_alloc&) {
    ShowError(owner, u"メモリが足りないため、カラムの統計を表示できませんでした。");
    return std::nullopt;
  }
}

}  // namespace tovo
