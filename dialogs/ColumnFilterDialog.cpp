// The filter dialog of one column.
#include "dialogs/ColumnFilterDialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/RegexMatcher.h"
#include "core/StrUtil.h"
#include "win/Form.h"
#include "win/Text.h"

namespace tovo {

using namespace win;

namespace {

constexpr SIZE kDesignClient{620, 460};
// Below this the condition column would run into the list and the buttons.
constexpr win::FormDesign kDesign{kDesignClient, {560, 480}, /*escCloses=*/true};
constexpr int kCountColumnWidth = 90;

// The kinds offered, one radio button each, in this order (their identifiers follow it too).
enum class Choice : int { Values, Contains, Equals, BeginsWith, Pattern, Empty, NotEmpty, Range };
constexpr int kChoiceCount = 8;
constexpr const wchar_t* kChoiceCaptions[kChoiceCount] = {
    L"チェックした値(&V)", L"を含む(&I)", L"と等しい(&E)", L"で始まる(&B)",
    L"正規表現に一致(&X)", L"空欄(&K)",   L"空欄以外(&M)", L"範囲(&R)",
};
constexpr int kChoiceTops[kChoiceCount] = {68, 126, 150, 174, 198, 228, 252, 282};

enum : int {
  IdScope = 100,
  IdNarrowLabel,
  IdNarrow,
  IdValues,
  IdMore,
  IdCheckAll,
  IdUncheckAll,
  IdTermLabel,
  IdTerm,
  IdRangeHint,
  IdAtLeast,
  IdAtLeastLabel,
  IdAtMost,
  IdAtMostLabel,
  IdFirstChoice = 200,
  IdOk = IDOK,
  IdCancel = IDCANCEL,
};

// The row of the empty fields: ColumnValues counts them apart, and the condition takes them as
// the empty text.
constexpr uint32_t kEmptyRow = UINT32_MAX;
constexpr char16_t kEmptyCaption[] = u"(空欄)";

bool IsTextChoice(Choice c) { return c >= Choice::Contains && c <= Choice::Pattern; }
TextMatch HowOf(Choice c) { return static_cast<TextMatch>(static_cast<int>(c) - static_cast<int>(Choice::Contains)); }
Choice ChoiceOf(TextMatch how) { return static_cast<Choice>(static_cast<int>(how) + static_cast<int>(Choice::Contains)); }
static_assert(static_cast<int>(Choice::Pattern) - static_cast<int>(Choice::Contains) ==
              static_cast<int>(TextMatch::Pattern));

void CopyText(std::u16string_view text, LVITEMW& item) {
  if (!item.pszText || item.cchTextMax <= 0) return;
  const size_t n = std::min<size_t>(text.size(), static_cast<size_t>(item.cchTextMax) - 1);
  std::copy_n(WV(text).data(), n, item.pszText);
  item.pszText[n] = L'\0';
}

class TFormColumnFilter : public win::Form {
 public:
  explicit TFormColumnFilter(const ColumnFilterRequest& request)
      : Form(kDesign),
        request_(request),
        values_(*request.values),
        upper_(request.upper ? request.upper : &DefaultUpper),
        checked_(values_.DistinctCount(), false) {}
  bool Create(HWND owner);
  std::optional<ColumnCondition> TakeResult() { return std::move(result_); }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  bool PreviewMessage(MSG& msg) override;
  void FormShow() override;
  void FormResize() override;

 private:
  bool CreateControls();
  void ShowCurrent();
  void ShowListed();
  void ValuesGetDispInfo(LVITEMW& item) const;
  LRESULT ValuesFindItem(const NMLVFINDITEMW& find) const;
  void ValuesClick(const NMITEMACTIVATE& click);
  bool RowChecked(uint32_t row) const { return row == kEmptyRow ? emptyChecked_ : checked_[row] != 0; }
  void ToggleRow(int index);
  void CheckListed(bool checked);
  void Choose(Choice choice);
  Choice Chosen() const;
  bool Offered(Choice choice) const { return IsWindowEnabled(choices_[static_cast<int>(choice)]) != FALSE; }
  std::optional<ColumnCondition> ReadCondition();
  std::optional<ColumnCondition> Refuse(std::u16string_view text, HWND focus);
  void ButtonOkClick();
  void OnCommand(WORD id, WORD code);
  LRESULT OnNotify(const NMHDR& hdr);

  const ColumnFilterRequest& request_;
  const ColumnValues& values_;
  UpperFn upper_;
  HWND scopeLabel_ = nullptr, narrowLabel_ = nullptr, narrowBox_ = nullptr, valueList_ = nullptr;
  HWND moreLabel_ = nullptr, checkAllButton_ = nullptr, uncheckAllButton_ = nullptr;
  HWND choices_[kChoiceCount] = {};
  HWND termLabel_ = nullptr, termBox_ = nullptr, rangeHint_ = nullptr;
  HWND atLeastBox_ = nullptr, atLeastLabel_ = nullptr, atMostBox_ = nullptr, atMostLabel_ = nullptr;
  HWND okButton_ = nullptr, cancelButton_ = nullptr;

  std::vector<uint32_t> listed_;  // the rows shown: ranks, kEmptyRow first when it shows
  // Checks by rank, so they outlive a narrowing.
  std::vector<char> checked_;
  bool emptyChecked_ = false;
  // Checked values of the condition in force that the rows counted no longer hold (hidden by
  // another filter): kept, so OK without a change keeps the condition as it was.
  std::vector<std::u16string> carried_;
  std::optional<ColumnCondition> result_;
};

bool TFormColumnFilter::Create(HWND owner) {
  const std::u16string caption = u"カラム " + DecimalText(request_.column, 2) + u" の絞り込み";
  if (!CreateTopLevel(W(caption), kSizableModalStyle, 0, owner, nullptr) || !CreateControls()) return false;
  CenterOnPrimary(hwnd_);
  ShowCurrent();
  return true;
}

bool TFormColumnFilter::CreateControls() {
  // Creation order is the tab order; a label stands just before the box its key focuses.
  scopeLabel_ = CreateChild(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0, IdScope);
  narrowLabel_ = CreateChild(L"STATIC", L"絞り込む文字(&N)", SS_LEFT, 0, IdNarrowLabel);
  narrowBox_ = CreateChild(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, IdNarrow);
  valueList_ = CreateChild(WC_LISTVIEWW, L"",
                           WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                               LVS_NOSORTHEADER,
                           WS_EX_CLIENTEDGE, IdValues);
  moreLabel_ = CreateChild(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 0, IdMore);
  checkAllButton_ = CreateChild(L"BUTTON", L"全て選択(&A)", WS_TABSTOP | BS_PUSHBUTTON, 0, IdCheckAll);
  uncheckAllButton_ = CreateChild(L"BUTTON", L"全て解除(&U)", WS_TABSTOP | BS_PUSHBUTTON, 0, IdUncheckAll);
  // One group; Choose keeps the tab stop on the checked one, as a radio button that takes the
  // focus unchecked clicks itself.
  for (int i = 0; i < kChoiceCount; ++i) {
    choices_[i] = CreateChild(L"BUTTON", kChoiceCaptions[i], BS_RADIOBUTTON | (i == 0 ? WS_GROUP : 0), 0,
                              IdFirstChoice + i);
    if (!choices_[i]) return false;
  }
  termLabel_ = CreateChild(L"STATIC", L"文字(&T)", SS_LEFT | WS_GROUP, 0, IdTermLabel);
  termBox_ = CreateChild(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, IdTerm);
  rangeHint_ = CreateChild(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 0, IdRangeHint);
  atLeastBox_ = CreateChild(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, IdAtLeast);
  atLeastLabel_ = CreateChild(L"STATIC", L"以上", SS_LEFT, 0, IdAtLeastLabel);
  atMostBox_ = CreateChild(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, IdAtMost);
  atMostLabel_ = CreateChild(L"STATIC", L"以下", SS_LEFT, 0, IdAtMostLabel);
  okButton_ = CreateChild(L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, IdOk);
  cancelButton_ = CreateChild(L"BUTTON", L"ｷｬﾝｾﾙ", WS_TABSTOP | BS_PUSHBUTTON, 0, IdCancel);
  for (HWND h : {scopeLabel_, narrowLabel_, narrowBox_, valueList_, moreLabel_, checkAllButton_, uncheckAllButton_,
                 termLabel_, termBox_, rangeHint_, atLeastBox_, atLeastLabel_, atMostBox_, atMostLabel_, okButton_,
                 cancelButton_}) {
    if (!h) return false;
  }
  ListView_SetExtendedListViewStyle(valueList_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  // The check marks are ours (by rank): the list asks for them with the texts.
  SendMessageW(valueList_, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
  GiveUiFont();

  constexpr int kSide = 360;  // the condition column's left edge
  layout_ = {
      {scopeLabel_, 10, 10, 600, 19, kLeft | kTop | kRight},
      {narrowLabel_, 10, 40, 130, 19, kLeft | kTop},
      {narrowBox_, 140, 37, 200, 25, kLeft | kTop | kRight},
      {valueList_, 10, 68, 330, 320, kLeft | kTop | kRight | kBottom},
      {moreLabel_, 10, 394, 330, 19, kLeft | kRight | kBottom},
      {checkAllButton_, 10, 420, 110, 27, kLeft | kBottom},
      {uncheckAllButton_, 126, 420, 110, 27, kLeft | kBottom},
      {termLabel_, kSide, 100, 70, 19, kTop | kRight},
      {termBox_, kSide + 70, 96, 180, 25, kTop | kRight},
      {rangeHint_, kSide + 20, 306, 230, 19, kTop | kRight},
      {atLeastBox_, kSide + 20, 328, 150, 25, kTop | kRight},
      {atLeastLabel_, kSide + 176, 331, 60, 19, kTop | kRight},
      {atMostBox_, kSide + 20, 356, 150, 25, kTop | kRight},
      {atMostLabel_, kSide + 176, 359, 60, 19, kTop | kRight},
      {okButton_, 400, 420, 100, 27, kRight | kBottom},
      {cancelButton_, 510, 420, 100, 27, kRight | kBottom},
  };
  for (int i = 0; i < kChoiceCount; ++i) {
    const int indent = i == 0 ? 0 : 10;  // the text choices read on from the term above them
    layout_.push_back({choices_[i], kSide + indent, kChoiceTops[i], 250 - indent, 22, kTop | kRight});
  }

  const struct {
    const wchar_t* caption;
    int format;
  } columns[] = {{L"値", LVCFMT_LEFT}, {L"件数", LVCFMT_RIGHT}};
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
  for (int i = 0; i < 2; ++i) {
    col.pszText = const_cast<wchar_t*>(columns[i].caption);
    col.fmt = columns[i].format;
    col.cx = Scale(kCountColumnWidth, dpi_);
    col.iSubItem = i;
    ListView_InsertColumn(valueList_, i, &col);
  }
  Layout();
  return true;
}

// The condition in force, or the defaults: checked values, none checked yet.
void TFormColumnFilter::ShowCurrent() {
  SetText(scopeLabel_, u"対象: " + request_.scope + u"  " + DecimalText(values_.Rows(), 1) + u" 行");
  const NumberSummary& numbers = values_.Numbers();
  SetText(rangeHint_, numbers.count > 0 ? u"数値 " + numbers.least + u" ～ " + numbers.greatest : u"数値の値がありません");
  const ColumnCondition* current = request_.current;
  const auto kind = current ? current->GetKind() : ColumnCondition::Kind::Values;
  const bool pattern = current && kind == ColumnCondition::Kind::Text && current->How() == TextMatch::Pattern;
  // A pattern in force is shown again even once the search has left regular expressions.
  if (!request_.regex && !pattern) {
    ShowWindow(choices_[static_cast<int>(Choice::Pattern)], SW_HIDE);
    EnableWindow(choices_[static_cast<int>(Choice::Pattern)], FALSE);
  }
  if (numbers.count == 0 && kind != ColumnCondition::Kind::Range) {
    for (HWND h : {choices_[static_cast<int>(Choice::Range)], atLeastBox_, atMostBox_}) EnableWindow(h, FALSE);
  }

  Choice choice = Choice::Values;
  if (current) {
    switch (kind) {
      case ColumnCondition::Kind::Values: {
        std::unordered_map<std::u16string_view, bool> wanted;  // text -> found among the values
        for (const std::u16string& v : current->CheckedValues()) {
          if (IsEmptyField(v) && values_.EmptyFields() > 0) {
            emptyChecked_ = true;
          } else {
            wanted.emplace(v, false);
          }
        }
        for (size_t rank = 0; rank < values_.DistinctCount() && !wanted.empty(); ++rank) {
          const auto it = wanted.find(values_.Text(rank));
          if (it == wanted.end()) continue;
          checked_[rank] = true;
          it->second = true;
        }
        for (const auto& [text, found] : wanted) {
          if (!found) carried_.emplace_back(text);
        }
        break;
      }
      case ColumnCondition::Kind::Text:
        SetText(termBox_, current->Term());
        choice = ChoiceOf(current->How());
        break;
      case ColumnCondition::Kind::Empty: choice = Choice::Empty; break;
      case ColumnCondition::Kind::NotEmpty: choice = Choice::NotEmpty; break;
      case ColumnCondition::Kind::Range:
        SetText(atLeastBox_, current->AtLeast());
        SetText(atMostBox_, current->AtMost());
        choice = Choice::Range;
        break;
    }
  }
  ShowListed();
  Choose(choice);  // after the texts, whose changes choose too
}

void TFormColumnFilter::FormShow() {
  const Choice choice = Chosen();
  HWND focus = IsTextChoice(choice)          ? termBox_
               : choice == Choice::Range     ? atLeastBox_
               : choice == Choice::Values    ? narrowBox_
                                             : choices_[static_cast<int>(choice)];
  if (focus == termBox_ || focus == atLeastBox_) SendMessageW(focus, EM_SETSEL, 0, -1);
  FocusOnActivate(focus);
}

// The value column takes what the count leaves of the list's width.
void TFormColumnFilter::FormResize() {
  RECT rc{};
  GetClientRect(valueList_, &rc);
  const int count = Scale(kCountColumnWidth, dpi_);
  ListView_SetColumnWidth(valueList_, 1, count);
  ListView_SetColumnWidth(valueList_, 0, std::max<int>(Scale(60, dpi_), rc.right - count));
}

// ---------------------------------------------------------------- the values

void TFormColumnFilter::ShowListed() {
  const std::u16string part = WindowText(narrowBox_);
  ColumnValues::Listed listed = values_.List(part, upper_, kFilterValueLimit);
  listed_.clear();
  // Empty fields hold no text to narrow by: their row shows only while nothing narrows.
  if (part.empty() && values_.EmptyFields() > 0) listed_.push_back(kEmptyRow);
  listed_.insert(listed_.end(), listed.ranks.begin(), listed.ranks.end());

  ListView_SetItemState(valueList_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemCountEx(valueList_, static_cast<int>(listed_.size()), 0);
  if (!listed_.empty()) {
    ListView_SetItemState(valueList_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(valueList_, 0, FALSE);
  }
  InvalidateRect(valueList_, nullptr, TRUE);
  std::u16string more;
  if (listed.leftOut > 0) {
    more = u"ほか " + DecimalText(static_cast<int64_t>(listed.leftOut), 1) + u" 個の値";
  } else if (listed_.empty()) {
    more = part.empty() ? u"値がありません" : u"該当する値はありません";
  }
  SetText(moreLabel_, more);
}

void TFormColumnFilter::ValuesGetDispInfo(LVITEMW& item) const {
  if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= listed_.size()) return;
  const uint32_t row = listed_[static_cast<size_t>(item.iItem)];
  if (item.mask & LVIF_STATE) {
    item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(RowChecked(row) ? 2 : 1);
    item.stateMask |= LVIS_STATEIMAGEMASK;
  }
  if (!(item.mask & LVIF_TEXT)) return;
  if (item.iSubItem == 1) {
    CopyText(DecimalText(row == kEmptyRow ? values_.EmptyFields() : values_.Count(row), 1), item);
  } else {
    CopyText(row == kEmptyRow ? std::u16string_view(kEmptyCaption) : values_.Text(row), item);
  }
}

// Typing in the list goes to the next value that begins with what was typed; -1 tells an
// owner-data list that none does (it would select the first row otherwise).
LRESULT TFormColumnFilter::ValuesFindItem(const NMLVFINDITEMW& find) const {
  if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz || listed_.empty()) return -1;
  const std::u16string typed = upper_(U(find.lvfi.psz));
  const size_t count = listed_.size();
  const size_t start = find.iStart >= 0 ? static_cast<size_t>(find.iStart) % count : 0;
  for (size_t i = 0; i < count; ++i) {
    const size_t index = (start + i) % count;
    const uint32_t row = listed_[index];
    const std::u16string_view text = row == kEmptyRow ? std::u16string_view(kEmptyCaption) : values_.Text(row);
    if (upper_(text.substr(0, typed.size())) == typed) return static_cast<LRESULT>(index);
  }
  return -1;
}

// A click on a check box turns it; the rest of the row only selects it.
void TFormColumnFilter::ValuesClick(const NMITEMACTIVATE& click) {
  LVHITTESTINFO hit{};
  hit.pt = click.ptAction;
  const int index = ListView_HitTest(valueList_, &hit);
  if (index >= 0 && (hit.flags & LVHT_ONITEMSTATEICON)) ToggleRow(index);
}

void TFormColumnFilter::ToggleRow(int index) {
  if (index < 0 || static_cast<size_t>(index) >= listed_.size()) return;
  const uint32_t row = listed_[static_cast<size_t>(index)];
  if (row == kEmptyRow) {
    emptyChecked_ = !emptyChecked_;
  } else {
    checked_[row] = !checked_[row];
  }
  ListView_RedrawItems(valueList_, index, index);
  Choose(Choice::Values);
}

// The rows listed, not the values left out or narrowed away; unchecking with nothing narrowing
// drops the values carried from the condition in force too.
void TFormColumnFilter::CheckListed(bool checked) {
  for (const uint32_t row : listed_) {
    if (row == kEmptyRow) {
      emptyChecked_ = checked;
    } else {
      checked_[row] = checked;
    }
  }
  if (!checked && WindowText(narrowBox_).empty()) carried_.clear();
  InvalidateRect(valueList_, nullptr, FALSE);
  Choose(Choice::Values);
}

// ---------------------------------------------------------------- the condition

void TFormColumnFilter::Choose(Choice choice) {
  const int chosen = static_cast<int>(choice);
  for (int i = 0; i < kChoiceCount; ++i) {
    SendMessageW(choices_[i], BM_SETCHECK, i == chosen ? BST_CHECKED : BST_UNCHECKED, 0);
    auto style = static_cast<DWORD>(GetWindowLongPtrW(choices_[i], GWL_STYLE));
    style = i == chosen ? style | WS_TABSTOP : style & ~static_cast<DWORD>(WS_TABSTOP);
    SetWindowLongPtrW(choices_[i], GWL_STYLE, static_cast<LONG_PTR>(style));
  }
}

Choice TFormColumnFilter::Chosen() const {
  for (int i = 0; i < kChoiceCount; ++i) {
    if (SendMessageW(choices_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return static_cast<Choice>(i);
  }
  return Choice::Values;
}

std::optional<ColumnCondition> TFormColumnFilter::Refuse(std::u16string_view text, HWND focus) {
  ShowMessage(hwnd_, text, MB_OK | MB_ICONWARNING);
  SetFocus(focus);
  if (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(focus, EM_SETSEL, 0, -1);
  return std::nullopt;
}

// The condition the dialog shows; nullopt, once the user was told why, when it is no condition.
std::optional<ColumnCondition> TFormColumnFilter::ReadCondition() {
  const Choice choice = Chosen();
  switch (choice) {
    case Choice::Values: {
      std::vector<std::u16string> values;
      if (emptyChecked_) values.emplace_back();
      for (size_t rank = 0; rank < checked_.size(); ++rank) {
        if (checked_[rank]) values.emplace_back(values_.Text(rank));
      }
      values.insert(values.end(), carried_.begin(), carried_.end());
      if (values.empty()) return Refuse(u"表示する値にチェックを付けてください。", valueList_);
      return ColumnCondition::Values(std::move(values));
    }
    case Choice::Contains:
    case Choice::Equals:
    case Choice::BeginsWith:
    case Choice::Pattern: {
      const std::u16string term = WindowText(termBox_);
      if (term.empty()) return Refuse(u"文字を入力してください。", termBox_);
      if (choice != Choice::Pattern) return ColumnCondition::Text(HowOf(choice), term, upper_);
      std::u16string error;
      std::shared_ptr<const FieldMatcher> matcher = MakeFieldMatcher(term, true, upper_, error);
      if (!matcher) return Refuse(u"正規表現が正しくありません:\r\n" + error, termBox_);
      return ColumnCondition::Text(std::move(matcher), TextMatch::Pattern, term);
    }
    case Choice::Empty: return ColumnCondition::Empty();
    case Choice::NotEmpty: return ColumnCondition::NotEmpty();
    case Choice::Range: {
      const std::u16string atLeast = WindowText(atLeastBox_), atMost = WindowText(atMostBox_);
      if (atLeast.empty() && atMost.empty()) return Refuse(u"範囲の下限か上限を入力してください。", atLeastBox_);
      for (HWND box : {atLeastBox_, atMostBox_}) {
        const std::u16string bound = WindowText(box);
        if (!bound.empty() && !ColumnCondition::Range(bound, u"")) {
          return Refuse(u"数値ではありません: " + bound, box);
        }
      }
      return ColumnCondition::Range(atLeast, atMost);
    }
  }
  return std::nullopt;
}

void TFormColumnFilter::ButtonOkClick() {
  result_ = ReadCondition();
  if (result_) EndModal(IDOK);
}

// ---------------------------------------------------------------- dispatch

bool TFormColumnFilter::PreviewMessage(MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  // Enter and Esc act alone only: the dialog manager would read them as OK and Cancel.
  if ((msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE) && ModifierHeld()) return true;
  if (msg.hwnd == valueList_ && msg.wParam == VK_SPACE) {
    ToggleRow(ListView_GetNextItem(valueList_, -1, LVNI_FOCUSED));
    return true;
  }
  if (msg.wParam != VK_RETURN) return false;
  // Enter after typing a narrowing text goes on to the values it left, not to OK.
  if (msg.hwnd == narrowBox_) {
    SetFocus(valueList_);
    return true;
  }
  // A focused button is pressed, not OK.
  for (HWND button : {checkAllButton_, uncheckAllButton_, cancelButton_}) {
    if (msg.hwnd == button) {
      OnCommand(static_cast<WORD>(GetDlgCtrlID(button)), BN_CLICKED);
      return true;
    }
  }
  ButtonOkClick();
  return true;
}

void TFormColumnFilter::OnCommand(WORD id, WORD code) {
  if (code == EN_CHANGE) {
    if (id == IdNarrow) {
      ShowListed();
    } else if (id == IdTerm && !IsTextChoice(Chosen())) {
      Choose(Choice::Contains);
    } else if ((id == IdAtLeast || id == IdAtMost) && Offered(Choice::Range)) {
      Choose(Choice::Range);
    }
    return;
  }
  if (code != BN_CLICKED) return;
  if (id >= IdFirstChoice && id < IdFirstChoice + kChoiceCount) {
    Choose(static_cast<Choice>(id - IdFirstChoice));
    return;
  }
  switch (id) {
    case IdCheckAll: CheckListed(true); break;
    case IdUncheckAll: CheckListed(false); break;
    case IdOk: ButtonOkClick(); break;
    case IdCancel: EndModal(IDCANCEL); break;
    default: break;
  }
}

LRESULT TFormColumnFilter::OnNotify(const NMHDR& hdr) {
  if (hdr.hwndFrom != valueList_) return 0;
  switch (hdr.code) {
    case LVN_GETDISPINFOW: ValuesGetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&hdr))->item); return 0;
    case LVN_ODFINDITEMW: return ValuesFindItem(reinterpret_cast<const NMLVFINDITEMW&>(hdr));
    case NM_CLICK: ValuesClick(reinterpret_cast<const NMITEMACTIVATE&>(hdr)); return 0;
    default: return 0;
  }
}

LRESULT TFormColumnFilter::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp)); return 0;
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lp));
    case WM_CLOSE: EndModal(IDCANCEL); return 0;
    default: return Default(msg, wp, lp);
  }
}

}  // namespace

std::optional<ColumnCondition> ShowColumnFilterDialog(HWND owner, const ColumnFilterRequest& request) {
  if (!request.values) return std::nullopt;
  TFormColumnFilter form(request);
  if (!form.Create(owner)) {
    ShowError(owner, u"絞り込みのウィンドウを作成できませんでした。");
    return std::nullopt;
  }
  if (form.ShowModal(owner) != IDOK) return std::nullopt;
  return form.TakeResult();
}

}  // namespace tovo
