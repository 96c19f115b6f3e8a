// The keyboard map window.
#include "dialogs/KeyMap.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "win/Files.h"
#include "win/Text.h"

namespace tovo {

using namespace win;

namespace {

constexpr SIZE kDesignClient{637, 356};
constexpr int kPanel1Height = 45;
constexpr win::FormDesign kDesign{kDesignClient, {800, 480}, /*escCloses=*/true};
constexpr int kCommandColumnGap = 420;  // the command column takes the client width less this

enum : int { IdListView1 = 300, IdButtonSort0, IdButtonSort1, IdButtonCopyToClip };

}  // namespace

TFormKeyMap::TFormKeyMap(const KeyMapFile& file) : Form(kDesign), file_(file) {}
TFormKeyMap::~TFormKeyMap() = default;

void ShowKeyMap(HWND owner, const KeyMapFile& file) {
  TFormKeyMap form(file);
  form.Execute(owner);
}

void TFormKeyMap::Execute(HWND owner) {
  if (!CreateTopLevel(L"キーボードマップ", kSizableModalStyle, 0, owner, nullptr) || !CreateControls()) {
    ShowError(owner, u"キーボードマップの画面を作成できませんでした。");
    return;
  }
  CenterOnPrimary(hwnd_);
  FocusOnActivate(ListView1);
  ShowModal(owner);
}

bool TFormKeyMap::CreateControls() {
  ListView1 = CreateChild(WC_LISTVIEWW, L"", WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                          WS_EX_CLIENTEDGE, IdListView1);
  ButtonSort0 = CreateChild(L"BUTTON", L"ソート無(&N)", WS_TABSTOP | BS_PUSHBUTTON, 0, IdButtonSort0);
  ButtonSort1 = CreateChild(L"BUTTON", L"ソート有(&K)", WS_TABSTOP | BS_PUSHBUTTON, 0, IdButtonSort1);
  ButtonCopyToClip = CreateChild(L"BUTTON", L"ｸﾘｯﾌﾟへｺﾋﾟｰ(&C)", WS_TABSTOP | BS_PUSHBUTTON, 0, IdButtonCopyToClip);
  for (HWND h : {ListView1, ButtonSort0, ButtonSort1, ButtonCopyToClip}) {
    if (!h) return false;
  }
  ListView_SetExtendedListViewStyle(ListView1, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  GiveUiFont();

  const int panelTop = kDesignClient.cy - kPanel1Height;
  layout_ = {
      {ListView1, 0, 0, kDesignClient.cx, panelTop, kLeft | kTop | kRight | kBottom},
      {ButtonSort0, 10, panelTop + 10, 140, 25, kLeft | kBottom},
      {ButtonSort1, 150, panelTop + 10, 140, 25, kLeft | kBottom},
      {ButtonCopyToClip, 290, panelTop + 10, 160, 25, kLeft | kBottom},
  };
  panels_ = {{0, panelTop, kDesignClient.cx, kPanel1Height, kLeft | kRight | kBottom}};
  Layout();
  return true;
}

void TFormKeyMap::FormShow() {
  const struct {
    const char16_t* caption;
    int width;  // 96 dpi; the command column's is set by FormResize
  } columns[] = {{u"カテゴリ", 110}, {u"コマンド", 0}, {u"現在のキー", 200}, {u"機能", 60}, {u"", 10}};
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  for (int i = 0; i < 5; ++i) {
    col.pszText = const_cast<wchar_t*>(W(columns[i].caption));
    col.cx = Scale(columns[i].width, dpi_);
    col.iSubItem = i;
    ListView_InsertColumn(ListView1, i, &col);
  }
  FormResize();

  TextRead file = file_.Read();
  BoolFileExist = file.exists;
  if (file.readable) {
    StrListKeyMap = std::move(file.lines);
    GetKeySort1();
  }
  SetKeySort0();
  // The message waits until the (empty) window is on screen.
  if (!file.exists) {
    timerMessage_ = u"キーボード設定のファイルが在りませんでした";
  } else if (!file.readable) {
    timerMessage_ = file_.Problem(true, file.error);
  }
  if (!timerMessage_.empty()) SetTimer(hwnd_, kTimer1, 100, nullptr);
}

// The command column takes what the others leave of the client width.
void TFormKeyMap::FormResize() {
  RECT rc{};
  GetClientRect(hwnd_, &rc);
  const int fixed[] = {110, -1, 200, 60, 10};
  for (int i = 0; i < 5; ++i) {
    const int width =
        fixed[i] >= 0 ? Scale(fixed[i], dpi_) : std::max<int>(0, rc.right - Scale(kCommandColumnGap, dpi_));
    ListView_SetColumnWidth(ListView1, i, width);
  }
}

void TFormKeyMap::Timer1Timer() {
  KillTimer(hwnd_, kTimer1);  // before the box, whose loop would let it fire again
  const std::u16string text = std::exchange(timerMessage_, {});
  if (!text.empty()) ShowMessage(hwnd_, text, BoolFileExist ? MB_OK | MB_ICONWARNING : MB_OK);
}

// ---------------------------------------------------------------- the views

void TFormKeyMap::GetKeySort1() { StrListKeyMapKey = GroupAndSortKeyMap(StrListKeyMap); }

void TFormKeyMap::ShowLines(const std::vector<std::u16string>& lines) {
  {
    RedrawGuard noDraw(ListView1);
    ListView_DeleteAllItems(ListView1);
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
      const KeyMapColumns columns = SplitKeyMapColumns(lines[i]);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = i;
      item.pszText = const_cast<wchar_t*>(W(columns.category));
      ListView_InsertItem(ListView1, &item);
      ListView_SetItemText(ListView1, i, 1, const_cast<wchar_t*>(W(columns.command)));
      ListView_SetItemText(ListView1, i, 2, const_cast<wchar_t*>(W(columns.key)));
      ListView_SetItemText(ListView1, i, 3, const_cast<wchar_t*>(W(columns.id)));
    }
  }
  if (!lines.empty()) {
    ListView_SetItemState(ListView1, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(ListView1, 0, FALSE);
  }
  StrListKeyMapClip = lines;
}

void TFormKeyMap::SetKeySort0() { ShowLines(StrListKeyMap); }

void TFormKeyMap::SetKeySort1() { ShowLines(SortedKeyMapView(StrListKeyMapKey)); }

void TFormKeyMap::ButtonCopyToClipClick() {
  if (StrListKeyMapClip.empty()) return;  // nothing to copy: the clipboard keeps what it has
  std::u16string text;
  for (const auto& line : StrListKeyMapClip) text += line + u"\r\n";
  if (!CopyTextToClipboard(hwnd_, text)) {
    ShowMessage(hwnd_, u"クリップボードにコピーできませんでした。", MB_OK | MB_ICONWARNING);
  }
}

// ---------------------------------------------------------------- dispatch

void TFormKeyMap::OnCommand(WORD id, WORD code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case IdButtonSort0: ButtonSort0Click(); break;
    case IdButtonSort1: ButtonSort1Click(); break;
    case IdButtonCopyToClip: ButtonCopyToClipClick(); break;
    default: break;  // IDOK from Enter: nothing
  }
}

LRESULT TFormKeyMap::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp)); return 0;
    case WM_TIMER:
      if (wp == kTimer1) Timer1Timer();
      return 0;
    case WM_CLOSE: EndModal(IDCANCEL); return 0;
    default: return Default(msg, wp, lp);
  }
}

}  // namespace tovo
