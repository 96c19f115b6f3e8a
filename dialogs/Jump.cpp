// The go-to-line dialog.
#include "dialogs/Jump.h"

#include <utility>

#include "win/Files.h"
#include "win/Text.h"

namespace tovo {

using namespace win;

namespace {

constexpr SIZE kDesignClient{329, 106};
constexpr win::FormDesign kDesign{kDesignClient, {0, 0}, /*escCloses=*/true};
constexpr char16_t kSection[] = u"Editor";
constexpr char16_t kKey[] = u"Jump";
// Enter and Esc reach the dialog as IDOK and IDCANCEL too (the dialog manager's own keys).
enum : int { IdDecEdit1 = 100, IdLabel1 = 101, IdButtonOk = IDOK, IdButtonCancel = IDCANCEL };

}  // namespace

bool ShowJumpDialog(HWND owner, const std::u16string& iniFile) {
  TFormJump form(iniFile);
  if (!form.Create(owner)) {
    ShowError(owner, u"行へ移動のウィンドウを作成できませんでした。");
    return false;
  }
  return form.ShowModal(owner) == 1;
}

TFormJump::TFormJump(std::u16string iniFile) : Form(kDesign), iniFile_(std::move(iniFile)) {}

bool TFormJump::Create(HWND owner) {
  // A tool-window frame: small caption, no resizing.
  if (!CreateTopLevel(L"行へ移動", WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, owner, nullptr)) {
    return false;
  }
  // Creation order is the tab order; the label stands just before the box its key focuses.
  Label1 = CreateChild(L"STATIC", L"行番号(&N)", SS_LEFT, 0, IdLabel1);
  if (!DecEdit1.Create(hwnd_, IdDecEdit1)) return false;
  ButtonOk = CreateChild(L"BUTTON", L"OK(&O)", WS_TABSTOP | BS_PUSHBUTTON, 0, IdButtonOk);
  ButtonCancel = CreateChild(L"BUTTON", L"ｷｬﾝｾﾙ(&C)", WS_TABSTOP | BS_PUSHBUTTON, 0, IdButtonCancel);
  if (!Label1 || !ButtonOk || !ButtonCancel) return false;

  layout_ = {
      {Label1, 30, 15, 90, 19, kLeft | kTop},
      {DecEdit1.Handle(), 20, 54, 121, 27, kLeft | kTop},
      {ButtonOk, 165, 13, 140, 25, kLeft | kTop},
      {ButtonCancel, 165, 55, 140, 25, kLeft | kTop},
  };
  // Panel1: a lowered bevel round the whole client area.
  panels_ = {{0, 0, kDesignClient.cx, kDesignClient.cy, kLeft | kTop | kRight | kBottom}};
  GiveUiFont();
  Layout();
  CenterOnPrimary(hwnd_);
  FormCreate();
  return true;
}

// ---------------------------------------------------------------- handlers

void TFormJump::FormCreate() { SetText(DecEdit1.Handle(), IniRead(iniFile_, kSection, kKey, u"1")); }

void TFormJump::FormShow() {
  // The stored number is selected, so typing replaces it.
  SendMessageW(DecEdit1.Handle(), EM_SETSEL, 0, -1);
  FocusOnActivate(DecEdit1.Handle());
}

bool TFormJump::DecEdit1KeyDown(WPARAM key) {
  if (key != VK_RETURN) return false;
  ButtonOkClick();
  return true;
}

void TFormJump::ButtonOkClick() {
  IniWriter ini(iniFile_);
  ini.Set(kSection, kKey, WindowText(DecEdit1.Handle()));
  if (DWORD error = ini.Commit()) {
    // The list reads the number back from the file: closing with OK now would move it to an
    // older number. The dialog stays open; the user may retry or cancel.
    ShowError(hwnd_, u"設定ファイルに書き込めませんでした:\r\n" + iniFile_ + u"\r\n" + ErrorText(error));
    return;
  }
  EndModal(1);
}

void TFormJump::ButtonCancelClick() { EndModal(IDCANCEL); }

void TFormJump::OnCommand(WORD id, WORD code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case IdButtonOk: ButtonOkClick(); break;
    case IdButtonCancel: ButtonCancelClick(); break;
    default: break;
  }
}

bool TFormJump::PreviewMessage(MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  // Enter and Esc act alone only. With Shift, Ctrl or Alt they go no further: the dialog
  // manager would take them as OK and Cancel.
  if ((msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE) && ModifierHeld()) return true;
  if (msg.hwnd == DecEdit1.Handle()) return DecEdit1KeyDown(msg.wParam);
  // Enter on a focused button presses that button, not the OK button.
  if (msg.wParam == VK_RETURN && (msg.hwnd == ButtonOk || msg.hwnd == ButtonCancel)) {
    msg.hwnd == ButtonOk ? ButtonOkClick() : ButtonCancelClick();
    return true;
  }
  return false;
}

LRESULT TFormJump::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp)); return 0;
    case WM_CLOSE: ButtonCancelClick(); return 0;
    default: return Default(msg, wp, lp);
  }
}

}  // namespace tovo
