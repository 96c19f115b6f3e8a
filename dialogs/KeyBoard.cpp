// The keyboard settings dialog: a category, its commands, and four lists that compose a key.
#include "dialogs/KeyBoard.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "core/KeyBoardModel.h"
#include "core/KeyMapLine.h"
#include "win/Files.h"
#include "dialogs/KeyMap.h"
#include "win/Text.h"

namespace tovo {

using namespace win;

namespace {

constexpr SIZE kDesignClient{886, 423};
constexpr int kPanel1Height = 45;
constexpr win::FormDesign kDesign{kDesignClient, {900, 460}, /*escCloses=*/true};
// The list keeps these distances to the client area's right and bottom edges.
constexpr int kListLeft = 25, kListTop = 85, kListRightGap = 45, kListBottomGap = 145;
constexpr UINT kMsgNotice = WM_APP + 1;  // shows a message once the dialog is on screen

// Control ids: none is 1 or 2, which the dialog manager sends for Enter and Esc.
enum : int {
  KbIdButtonOK = 200,
  KbIdButtonCancel,
  KbIdButtonKeymap,
  KbIdLabel3,
  KbIdComboBox1,
  KbIdListView1,
  KbIdLabel1,
  KbIdComboBox2,
  KbIdComboBox3,
  KbIdComboBox4,
  KbIdComboBox5,
  KbIdButtonClear,
  KbIdButtonInit,
};

void AddEntries(HWND combo, auto const& entries) {
  for (std::u16string_view entry : entries) {
    std::u16string text(entry);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(text)));
  }
}

}  // namespace

TFormKeyBoard::TFormKeyBoard(const KeyMapFile& file) : Form(kDesign), file_(file) {}
TFormKeyBoard::~TFormKeyBoard() = default;

int ShowKeyBoard(HWND owner, const KeyMapFile& file) {
  TFormKeyBoard form(file);
  return form.Execute(owner);
}

int TFormKeyBoard::Execute(HWND owner) {
  if (!CreateTopLevel(L"キーボード設定", kSizableModalStyle, 0, owner, nullptr) || !CreateControls()) {
    ShowError(owner, u"キーボード設定の画面を作成できませんでした。");
    return IDCANCEL;
  }
  CenterOnPrimary(hwnd_);
  FormCreate();
  return ShowModal(owner);
}

bool TFormKeyBoard::CreateControls() {
  const DWORD dropList = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
  // Creation order is the tab order: the bottom panel first, then the upper one. Each label
  // stands just before its box so that its access key focuses the box.
  ButtonOK = CreateChild(L"BUTTON", L"保存(&S)", WS_TABSTOP | BS_PUSHBUTTON, 0, KbIdButtonOK);
  ButtonCancel = CreateChild(L"BUTTON", L"閉じる(&C)", WS_TABSTOP | BS_PUSHBUTTON, 0, KbIdButtonCancel);
  ButtonKeymap = CreateChild(L"BUTTON", L"キーボードマップを表示(&M)", WS_TABSTOP | BS_PUSHBUTTON, 0, KbIdButtonKeymap);
  Label3 = CreateChild(L"STATIC", L"カテゴリ(&L)", SS_LEFT, 0, KbIdLabel3);
  ComboBox1 = CreateChild(L"COMBOBOX", L"", dropList, 0, KbIdComboBox1);
  ListView1 = CreateChild(WC_LISTVIEWW, L"", WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                          WS_EX_CLIENTEDGE, KbIdListView1);
  Label1 = CreateChild(L"STATIC", L"新キー(&N)", SS_LEFT, 0, KbIdLabel1);
  ComboBox2 = CreateChild(L"COMBOBOX", L"", dropList, 0, KbIdComboBox2);
  ComboBox3 = CreateChild(L"COMBOBOX", L"", dropList, 0, KbIdComboBox3);
  ComboBox4 = CreateChild(L"COMBOBOX", L"", dropList, 0, KbIdComboBox4);
  ComboBox5 = CreateChild(L"COMBOBOX", L"", dropList, 0, KbIdComboBox5);
  ButtonClear = CreateChild(L"BUTTON", L"ｸﾘｱ(&R)", WS_TABSTOP | BS_PUSHBUTTON, 0, KbIdButtonClear);
  ButtonInit = CreateChild(L"BUTTON", L"初期化(&I)", WS_TABSTOP | BS_PUSHBUTTON, 0, KbIdButtonInit);
  for (HWND h : {ButtonOK, ButtonCancel, ButtonKeymap, Label3, ComboBox1, ListView1, Label1, ComboBox2, ComboBox3,
                 ComboBox4, ComboBox5, ButtonClear, ButtonInit}) {
    if (!h) return false;
  }
  ListView_SetExtendedListViewStyle(ListView1, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  GiveUiFont();
  aqua_ = UniqueBrush(CreateSolidBrush(RGB(0, 255, 255)));

  AddEntries(ComboBox2, kShiftListEntries);
  AddEntries(ComboBox3, kCtrlListEntries);
  AddEntries(ComboBox4, kAltListEntries);
  AddEntries(ComboBox5, KeyListEntries());
  SendMessageW(ComboBox1, CB_SETMINVISIBLE, 10, 0);
  SendMessageW(ComboBox5, CB_SETMINVISIBLE, 22, 0);

  // Places in 96-dpi pixels; a drop-down list's height includes its dropped rows.
  const int panel1Top = kDesignClient.cy - kPanel1Height;
  auto bottom = [&](HWND h, int l, int t, int w, int hgt) {
    layout_.push_back({h, l, panel1Top + t, w, hgt, kLeft | kBottom});
  };
  auto top = [&](HWND h, int l, int t, int w, int hgt) { layout_.push_back({h, l, t, w, hgt, kLeft | kTop}); };
  bottom(ButtonOK, 10, 10, 100, 25);
  bottom(ButtonCancel, 110, 10, 100, 25);
  bottom(ButtonKeymap, 210, 10, 260, 25);
  top(Label3, 150, 12, 110, 19);
  top(Label1, 530, 12, 90, 19);
  top(ComboBox1, 105, 40, 225, 27 + 10 * 19);
  top(ComboBox2, 420, 40, 75, 27 + 2 * 19);
  top(ComboBox3, 500, 40, 75, 27 + 2 * 19);
  top(ComboBox4, 580, 40, 75, 27 + 2 * 19);
  top(ComboBox5, 660, 40, 75, 27 + 22 * 19);
  top(ButtonInit, 760, 10, 100, 25);
  top(ButtonClear, 760, 40, 100, 25);
  // Panel2 holds everything above Panel1, which holds the buttons at the bottom.
  panels_ = {{0, 0, kDesignClient.cx, panel1Top, kLeft | kTop | kRight | kBottom},
             {0, panel1Top, kDesignClient.cx, kPanel1Height, kLeft | kRight | kBottom}};
  Layout();
  return true;
}

// The list follows the client area by fixed margins.
void TFormKeyBoard::FormResize() {
  RECT rc{};
  GetClientRect(hwnd_, &rc);
  SetWindowPos(ListView1, nullptr, Scale(kListLeft, dpi_), Scale(kListTop, dpi_),
               std::max<int>(0, rc.right - Scale(kListRightGap, dpi_)),
               std::max<int>(0, rc.bottom - Scale(kListBottomGap, dpi_)), SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------- creation and showing

void TFormKeyBoard::FormCreate() {
  ReadKeyMap();
  if (!StrListKeyMap.empty()) SetComboItems(ComboBox1, CategoryList(StrListKeyMap));

  const struct {
    const char16_t* caption;
    int width;
  } columns[] = {{u"コマンド", 445}, {u"現在のキー", 295}, {u"機能", 60}, {u"", 10}};
  ListView_DeleteAllItems(ListView1);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  for (int i = 0; i < 4; ++i) {
    col.pszText = const_cast<wchar_t*>(W(columns[i].caption));
    col.cx = Scale(columns[i].width, dpi_);
    col.iSubItem = i;
    ListView_InsertColumn(ListView1, i, &col);
  }
}

void TFormKeyBoard::FormShow() {
  // Programmatic selections send no CBN_SELCHANGE, so no change handler runs here.
  SendMessageW(ComboBox1, CB_SETCURSEL, 0, 0);
  SendMessageW(ComboBox2, CB_SETCURSEL, 0, 0);
  SendMessageW(ComboBox3, CB_SETCURSEL, 0, 0);
  SendMessageW(ComboBox4, CB_SETCURSEL, 0, 0);
  SendMessageW(ComboBox5, CB_SETCURSEL, 0, 0);
  SetCommand();
  FocusOnActivate(ComboBox1);  // given on activation, when the dialog is on screen
}

// ---------------------------------------------------------------- the lists

int TFormKeyBoard::SelectedRow() const {
  return static_cast<int>(SendMessageW(ListView1, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TFormKeyBoard::SelectRow(int row) {
  ListView_SetItemState(ListView1, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(ListView1, row, FALSE);
}

std::u16string TFormKeyBoard::RowText(int row, int column) const {
  // Texts are short; the buffer grows only for a hand-edited line that is not.
  std::wstring buf(64, L'\0');
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buf.data();
    item.cchTextMax = static_cast<int>(buf.size());
    const auto len =
        static_cast<size_t>(SendMessageW(ListView1, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    if (len + 1 < buf.size() || buf.size() >= (1u << 20))
      return U(std::wstring_view(buf.data(), std::min(len, buf.size())));
    buf.assign(buf.size() * 4, L'\0');
  }
}

std::u16string TFormKeyBoard::ComboChoice(HWND combo) const {
  const auto sel = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
  if (sel < 0) return {};
  const auto len = static_cast<int>(SendMessageW(combo, CB_GETLBTEXTLEN, sel, 0));
  if (len <= 0) return {};
  std::wstring text(static_cast<size_t>(len) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(len));
  return U(text);
}

void TFormKeyBoard::SetCommand() {
  {
    RedrawGuard noDraw(ListView1);
    ListView_DeleteAllItems(ListView1);
    // No category chosen (an empty key map) lists nothing.
    if (SendMessageW(ComboBox1, CB_GETCURSEL, 0, 0) >= 0) {
      const auto rows = CommandRowsOfCategory(StrListKeyMap, ComboChoice(ComboBox1));
      for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<wchar_t*>(W(rows[i].name));
        ListView_InsertItem(ListView1, &item);
        ListView_SetItemText(ListView1, i, 1, const_cast<wchar_t*>(W(rows[i].shortCut)));
        ListView_SetItemText(ListView1, i, 2, const_cast<wchar_t*>(W(rows[i].id)));
      }
      if (!rows.empty()) SelectRow(0);
    }
  }
  SetPresentKey();
}

void TFormKeyBoard::SetPresentKey() {
  if (ListView_GetItemCount(ListView1) == 0) return;
  int row = SelectedRow();
  if (row < 0) {
    row = 0;
    SelectRow(row);
  }
  const PresentKey key = DecomposeShortCutText(RowText(row, 1));
  SendMessageW(ComboBox2, CB_SETCURSEL, key.shift ? 1 : 0, 0);
  SendMessageW(ComboBox3, CB_SETCURSEL, key.ctrl ? 1 : 0, 0);
  SendMessageW(ComboBox4, CB_SETCURSEL, key.alt ? 1 : 0, 0);
  // A name that no entry has leaves the key list as it is.
  if (int index = KeyListIndexForName(key.keyName); index >= 0) SendMessageW(ComboBox5, CB_SETCURSEL, index, 0);
}

void TFormKeyBoard::ChangePresentKey() {
  const int count = ListView_GetItemCount(ListView1);
  const int selected = SelectedRow();
  const int row = count == 0 ? -1 : std::max(selected, 0);
  std::u16string id, rowKey;
  if (row >= 0) {
    id = RowText(row, 2);
    rowKey = RowText(row, 1);
  }
  const ChangeResult result = tovo::ChangePresentKey(
      StrListKeyMap, row >= 0 ? std::optional<std::u16string_view>(id) : std::nullopt, rowKey, ComboChoice(ComboBox2),
      ComboChoice(ComboBox3), ComboChoice(ComboBox4), ComboChoice(ComboBox5));
  if (result.kind == ChangeKind::Assigned) {
    ListView_SetItemText(ListView1, row, 1, const_cast<wchar_t*>(W(result.newText)));
  }
  // Only now, with the row's key in place: selecting it makes the lists show that key, as a
  // selection by the user does.
  if (row >= 0 && selected < 0 && result.kind != ChangeKind::NeedKey) SelectRow(row);
  if (!result.message.empty()) ShowMessage(hwnd_, result.message, MB_OK);
}

// ---------------------------------------------------------------- files

bool TFormKeyBoard::ReadKeyMap() {
  TextRead file = file_.Read();
  if (file.exists && !file.readable) {
    StrListKeyMap.clear();
    readFailed_ = true;
    notice_ = file_.Problem(true, file.error);
    PostMessageW(hwnd_, kMsgNotice, 0, 0);
    return false;
  }
  readFailed_ = false;
  StrListKeyMap = std::move(file.lines);  // a missing file gives empty lists
  return true;
}

bool TFormKeyBoard::WriteKeyMap(const std::vector<std::u16string>& lines) {
  if (DWORD err = file_.Write(lines)) {
    ShowMessage(hwnd_, file_.Problem(false, err), MB_OK | MB_ICONWARNING);
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- buttons

void TFormKeyBoard::ComboBox1Change() { SetCommand(); }

void TFormKeyBoard::ButtonOKClick() {
  // The dialog's key map is empty when the file could not be read; writing it would wipe the file.
  if (readFailed_) {
    ShowMessage(hwnd_, u"キーボード設定のファイルを読み込めなかったため、保存できません。", MB_OK | MB_ICONWARNING);
    return;
  }
  if (WriteKeyMap(StrListKeyMap)) EndModal(IDOK);
}

void TFormKeyBoard::ButtonCancelClick() { EndModal(IDCANCEL); }

void TFormKeyBoard::ButtonClearClick() {
  for (HWND combo : {ComboBox2, ComboBox3, ComboBox4, ComboBox5}) SendMessageW(combo, CB_SETCURSEL, 0, 0);
  ChangePresentKey();
}

void TFormKeyBoard::ButtonInitClick() {
  if (AskYesNo(hwnd_, u"設定を初期化して保存します。初期化を実行しますか？") != IDYES) return;
  if (!WriteKeyMap(CommandTableLines())) return;
  ReadKeyMap();
  SendMessageW(ComboBox1, CB_SETCURSEL, 0, 0);
  SetCommand();
  SetFocus(ComboBox1);
}

void TFormKeyBoard::ButtonKeymapClick() { ShowKeyMap(hwnd_, file_); }

// ---------------------------------------------------------------- drawing

LRESULT TFormKeyBoard::ListView1AdvancedCustomDrawItem(NMLVCUSTOMDRAW* draw) {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      const int row = static_cast<int>(draw->nmcd.dwItemSpec);
      if (GetFocus() == ListView1 || !(ListView_GetItemState(ListView1, row, LVIS_SELECTED) & LVIS_SELECTED)) {
        return CDRF_DODEFAULT;
      }
      // The chosen command stays plainly marked while the user works in the lists.
      HDC dc = draw->nmcd.hdc;
      RECT bounds{};
      ListView_GetItemRect(ListView1, row, &bounds, LVIR_BOUNDS);
      FillRect(dc, &bounds, aqua_.get());
      SelectGuard font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(ListView1, WM_GETFONT, 0, 0)));
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      SetBkMode(dc, TRANSPARENT);
      for (int column = 0; column < 3; ++column) {
        RECT cell{};
        if (column == 0) {
          ListView_GetItemRect(ListView1, row, &cell, LVIR_LABEL);
          cell.left += 3;
        } else {
          ListView_GetSubItemRect(ListView1, row, column, LVIR_LABEL, &cell);
          cell.left += 6;
        }
        const std::u16string text = RowText(row, column);
        // Names hold "&" literally: no access-key underlining.
        DrawTextW(dc, W(text), -1, &cell, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
      }
      return CDRF_SKIPDEFAULT;
    }
    default: return CDRF_DODEFAULT;
  }
}

// ---------------------------------------------------------------- dispatch

void TFormKeyBoard::OnCommand(WORD id, WORD code) {
  const bool click = code == BN_CLICKED, change = code == CBN_SELCHANGE;
  switch (id) {
    case KbIdButtonOK:
      if (click) ButtonOKClick();
      break;
    case KbIdButtonCancel:
      if (click) ButtonCancelClick();
      break;
    case KbIdButtonKeymap:
      if (click) ButtonKeymapClick();
      break;
    case KbIdButtonClear:
      if (click) ButtonClearClick();
      break;
    case KbIdButtonInit:
      if (click) ButtonInitClick();
      break;
    case KbIdComboBox1:
      if (change) ComboBox1Change();
      break;
    case KbIdComboBox2:
    case KbIdComboBox3:
    case KbIdComboBox4:
    case KbIdComboBox5:
      if (change) ChangePresentKey();
      break;
    default: break;  // IDOK from Enter: nothing
  }
}

LRESULT TFormKeyBoard::OnNotify(NMHDR* hdr) {
  if (hdr->idFrom != KbIdListView1) return 0;
  switch (hdr->code) {
    case NM_CUSTOMDRAW: return ListView1AdvancedCustomDrawItem(reinterpret_cast<NMLVCUSTOMDRAW*>(hdr));
    case NM_CLICK: SetPresentKey(); return 0;
    case LVN_ITEMCHANGED: {
      // The lists follow the selection after a key or click has moved it.
      const auto* change = reinterpret_cast<NMLISTVIEW*>(hdr);
      if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
          !(change->uOldState & LVIS_SELECTED)) {
        SetPresentKey();
      }
      return 0;
    }
    default: return 0;
  }
}

bool TFormKeyBoard::PreviewMessage(MSG& msg) {
  if (msg.message == WM_CHAR) {
    // The five lists discard Enter and Esc; other characters pick an entry as usual.
    const bool inList = msg.hwnd == ComboBox1 || msg.hwnd == ComboBox2 || msg.hwnd == ComboBox3 ||
                        msg.hwnd == ComboBox4 || msg.hwnd == ComboBox5;
    return inList && IsEnterOrEscChar(msg.wParam);
  }
  return false;
}

LRESULT TFormKeyBoard::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp)); return 0;
    case WM_NOTIFY: return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_CLOSE: ButtonCancelClick(); return 0;
    case kMsgNotice: ShowMessage(hwnd_, std::exchange(notice_, {}), MB_OK | MB_ICONWARNING); return 0;
    default: return Default(msg, wp, lp);
  }
}

}  // namespace tovo
