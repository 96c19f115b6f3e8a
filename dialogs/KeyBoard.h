// The keyboard settings dialog: assigns shortcut keys to the list window's commands and saves
// them to the key-assignment file.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "dialogs/KeyMapFile.h"
#include "win/Form.h"

namespace tovo {

class TFormKeyBoard : public win::Form {
 public:
  explicit TFormKeyBoard(const KeyMapFile& file);
  ~TFormKeyBoard() override;
  // Creates the dialog, shows it modally over `owner`; IDOK after a save, IDCANCEL otherwise.
  int Execute(HWND owner);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  bool PreviewMessage(MSG& msg) override;
  void FormShow() override;
  void FormResize() override;

 private:
  bool CreateControls();
  void FormCreate();
  void OnCommand(WORD id, WORD code);
  LRESULT OnNotify(NMHDR* hdr);

  void ComboBox1Change();
  void ButtonOKClick();
  void ButtonCancelClick();
  void ButtonClearClick();
  void ButtonInitClick();
  void ButtonKeymapClick();
  LRESULT ListView1AdvancedCustomDrawItem(NMLVCUSTOMDRAW* draw);

  void SetCommand();
  void SetPresentKey();
  void ChangePresentKey();

  int SelectedRow() const;  // -1: none
  void SelectRow(int row);
  std::u16string RowText(int row, int column) const;
  std::u16string ComboChoice(HWND combo) const;
  bool ReadKeyMap();  // false (with a message) when the file exists but cannot be read
  bool WriteKeyMap(const std::vector<std::u16string>& lines);  // false with a message

  HWND ButtonOK = nullptr, ButtonCancel = nullptr, ButtonKeymap = nullptr;
  HWND Label1 = nullptr, Label3 = nullptr;
  HWND ComboBox1 = nullptr, ComboBox2 = nullptr, ComboBox3 = nullptr, ComboBox4 = nullptr, ComboBox5 = nullptr;
  HWND ListView1 = nullptr;
  HWND ButtonClear = nullptr, ButtonInit = nullptr;
  win::UniqueBrush aqua_;

  const KeyMapFile& file_;
  std::vector<std::u16string> StrListKeyMap;
  bool readFailed_ = false;  // the file was there but unreadable: saving would lose it
  std::u16string notice_;    // a message waiting for the dialog to appear
};

// Shows the dialog modally and returns its result when it has closed.
int ShowKeyBoard(HWND owner, const KeyMapFile& file);

}  // namespace tovo
