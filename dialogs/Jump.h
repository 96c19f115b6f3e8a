// The go-to-line dialog: asks for a line number and keeps it in the settings file, where the
// list window reads it back after the dialog has closed.
#pragma once
#include <string>

#include "dialogs/DecEdit.h"
#include "win/Form.h"

namespace tovo {

// Shows the dialog modally over `owner`. True when closed with OK: the number typed is then
// stored under Editor/Jump of `iniFile`.
bool ShowJumpDialog(HWND owner, const std::u16string& iniFile);

class TFormJump : public win::Form {
 public:
  explicit TFormJump(std::u16string iniFile);
  bool Create(HWND owner);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  bool PreviewMessage(MSG& msg) override;
  void FormShow() override;

 private:
  void FormCreate();
  bool DecEdit1KeyDown(WPARAM key);
  void ButtonOkClick();
  void ButtonCancelClick();
  void OnCommand(WORD id, WORD code);

  std::u16string iniFile_;
  HWND Label1 = nullptr;
  TDecEdit DecEdit1;
  HWND ButtonOk = nullptr;
  HWND ButtonCancel = nullptr;
};

}  // namespace tovo
