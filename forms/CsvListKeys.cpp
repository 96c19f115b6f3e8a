// The command table, the key-assignment file, shortcut matching and the window's key handler.
#include "forms/CsvList.h"

namespace tovo {

void TFormCsvList::InitKeyMap() {}
void TFormCsvList::KeyMapStartUp() {}
void TFormCsvList::ApplyKeyMap() {}
void TFormCsvList::SetShortCutNew(const std::u16string&, UINT) {}
bool TFormCsvList::MatchShortCut(const MSG&) { return false; }
bool TFormCsvList::FormKeyDown(WPARAM key) {
  const bool modifier = GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
  if (key == VK_ESCAPE && !modifier) {
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    return true;
  }
  return false;
}
void TFormCsvList::Timer1Timer() { KillTimer(hwnd_, kTimer1); }
void TFormCsvList::MenuCsvListKeyBoardClick() {}
void TFormCsvList::UpdateMenuShortCutText(UINT) {}

}  // namespace tovo
