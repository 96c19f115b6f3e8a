// The keyboard map window: every command with its key, as stored, in file order or grouped by
// modifiers and sorted by key; the list can be copied to the clipboard. It never writes.
#pragma once
#include <string>
#include <vector>

#include "core/KeySort.h"
#include "dialogs/KeyMapFile.h"
#include "win/Form.h"

namespace tovo {

class TFormKeyMap : public win::Form {
 public:
  explicit TFormKeyMap(const KeyMapFile& file);
  ~TFormKeyMap() override;
  void Execute(HWND owner);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void FormShow() override;
  void FormResize() override;

 private:
  bool CreateControls();
  void Timer1Timer();
  void OnCommand(WORD id, WORD code);
  void ButtonSort0Click() { SetKeySort0(); }
  void ButtonSort1Click() { SetKeySort1(); }
  void ButtonCopyToClipClick();

  void GetKeySort1();
  void SetKeySort0();
  void SetKeySort1();
  void ShowLines(const std::vector<std::u16string>& lines);

  HWND ListView1 = nullptr;
  HWND ButtonSort0 = nullptr, ButtonSort1 = nullptr, ButtonCopyToClip = nullptr;

  const KeyMapFile& file_;
  bool BoolFileExist = false;
  std::vector<std::u16string> StrListKeyMap;
  std::vector<std::u16string> StrListKeyMapClip;
  KeyGroups StrListKeyMapKey;  // StrListKeyMapKey0 .. StrListKeyMapKey8
  std::u16string timerMessage_;
  static constexpr UINT_PTR kTimer1 = 1;
};

// Shows the window modally over `owner` and returns when it has closed.
void ShowKeyMap(HWND owner, const KeyMapFile& file);

}  // namespace tovo
