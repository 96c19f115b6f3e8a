// The key map file, shortcut matching and the window's key handler.
#include <algorithm>
#include <optional>

#include "core/Commands.h"
#include "core/KeyMapLine.h"
#include "core/ShortCut.h"
#include "core/StrUtil.h"
#include "list/CsvList.h"
#include "win/Files.h"
#include "dialogs/KeyBoard.h"
#include "dialogs/KeyMapFile.h"
#include "win/Text.h"

namespace tovo {

using namespace win;

namespace {

constexpr char16_t kKeyMapResetMessage[] = u"キーボード設定項目が変更になったので、キーボード設定を初期化しました";

// Row of the command table that a menu item stands for (its identifier is the item's id).
std::optional<size_t> RowOfMenuItem(UINT item) { return CommandIndexOf(item); }

// The item's caption without the shortcut text shown after the tab.
std::u16string MenuCaption(HMENU menu, UINT item) {
  int len = GetMenuStringW(menu, item, nullptr, 0, MF_BYCOMMAND);
  if (len <= 0) return {};
  std::wstring buf(static_cast<size_t>(len) + 1, L'\0');
  len = GetMenuStringW(menu, item, buf.data(), len + 1, MF_BYCOMMAND);
  buf.resize(static_cast<size_t>(std::max(len, 0)));
  if (size_t tab = buf.find(L'\t'); tab != std::wstring::npos) buf.resize(tab);
  return U(buf);
}

bool IsModifierKey(WPARAM vk) {
  switch (vk) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_LSHIFT:
    case VK_RSHIFT:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_LMENU:
    case VK_RMENU: return true;
    default: return false;
  }
}

bool Held(int vk) { return GetKeyState(vk) < 0; }

}  // namespace

void TFormCsvList::KeyMapStartUp() {
  // The items carry the menu definition's shortcuts until the key map is applied.
  shortCuts_ = DefaultCommandShortCuts();
  for (const CommandInfo& command : CommandTable()) UpdateMenuShortCutText(command.number);
  startUpNotices_.clear();

  TextRead file = keyMapFile_.Read();
  if (file.exists && !file.readable) {
    // Overwriting a file we could not read might destroy the user's keys: leave it alone.
    keyMapLines_ = CommandTableLines();
    startUpNotices_.push_back(keyMapFile_.Problem(true, file.error) + u"\r\n既定のキーの割り当てで続けます。");
  } else if (std::optional<std::vector<std::u16string>> taken = file.exists ? KeyMapFromFile(file.lines) : std::nullopt) {
    // An earlier version's file keeps its keys and gains the new commands' lines at once, so
    // both key dialogs show every command.
    const bool grown = taken->size() != file.lines.size();
    keyMapLines_ = std::move(*taken);
    if (DWORD err = grown ? keyMapFile_.Write(keyMapLines_) : 0) startUpNotices_.push_back(keyMapFile_.Problem(false, err));
  } else {
    keyMapLines_ = CommandTableLines();
    if (file.exists) startUpNotices_.push_back(kKeyMapResetMessage);  // a missing file is created silently
    if (DWORD err = keyMapFile_.Write(keyMapLines_)) startUpNotices_.push_back(keyMapFile_.Problem(false, err));
  }
  // The messages wait until the window has appeared.
  if (!startUpNotices_.empty()) SetTimer(hwnd_, kTimer1, 100, nullptr);
  if (!keyMapLines_.empty()) ApplyKeyMap();
}

void TFormCsvList::ApplyKeyMap() {
  for (const CommandInfo& command : CommandTable()) {
    SetShortCutNew(std::u16string(command.id), command.number);
  }
}

void TFormCsvList::SetShortCutNew(const std::u16string& number, UINT menuItem) {
  const std::optional<size_t> row = RowOfMenuItem(menuItem);
  if (!row) return;
  const std::optional<uint16_t> shortCut = ShortCutForId(keyMapLines_, number);
  if (!shortCut) return;  // no line for it: the item keeps its shortcut
  shortCuts_[*row] = *shortCut;
  UpdateMenuShortCutText(menuItem);
}

void TFormCsvList::UpdateMenuShortCutText(UINT menuItem) {
  const std::optional<size_t> row = RowOfMenuItem(menuItem);
  if (!row || !menu_) return;
  std::u16string text = MenuCaption(menu_, menuItem);
  // A key code 0 (an unknown name, modifiers or not) gives the empty text: nothing is shown.
  const std::u16string shortCutText = ShortCutToText(shortCuts_[*row]);
  if (!shortCutText.empty()) text += u"\t" + shortCutText;
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = const_cast<wchar_t*>(W(text));
  SetMenuItemInfoW(menu_, menuItem, FALSE, &info);
}

UINT TFormCsvList::FindShortCutItem(HMENU menu, uint16_t pressed) const {
  // Menu order: the bar left to right, each menu top to bottom, depth first. About 30 items,
  // walked once per key press.
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      if (UINT found = FindShortCutItem(sub, pressed)) return found;
      continue;
    }
    const UINT id = GetMenuItemID(menu, i);
    if (id == 0 || id == static_cast<UINT>(-1)) continue;
    const std::optional<size_t> row = RowOfMenuItem(id);
    if (row && IsWorkingShortCut(shortCuts_[*row]) && shortCuts_[*row] == pressed) return id;
  }
  return 0;
}

bool TFormCsvList::MatchShortCut(const MSG& msg) {
  // Self-posted keys (lParam == kSelfPostedKey) are let through by PreviewMessage before this.
  if (msg.wParam == 0 || msg.wParam > 0xFF || IsModifierKey(msg.wParam) || !menu_) return false;
  const uint16_t pressed =
      MakeShortCut(static_cast<uint16_t>(msg.wParam), Held(VK_SHIFT), Held(VK_CONTROL), Held(VK_MENU));
  const UINT item = FindShortCutItem(menu_, pressed);
  if (!item) return false;
  // Found means consumed; a disabled item swallows its key.
  if (!(GetMenuState(menu_, item, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED))) RunCommand(item);
  return true;
}

bool TFormCsvList::FormKeyDown(WPARAM key) {
  switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
      // Moving the selection by hand restarts the search at the row's first field.
      session_.ResetSearchColumn();
      return false;
    default: return false;
  }
}

void TFormCsvList::Timer1Timer() {
  KillTimer(hwnd_, kTimer1);  // before the box: its loop would let the timer fire again
  std::vector<std::u16string> notices = std::move(startUpNotices_);
  startUpNotices_.clear();
  for (const auto& text : notices) {
    ShowMessage(hwnd_, text, text == kKeyMapResetMessage ? MB_OK : MB_OK | MB_ICONWARNING);
  }
}

void TFormCsvList::MenuCsvListKeyBoardClick() {
  ShowKeyBoard(hwnd_, keyMapFile_);
  // Read again whatever the dialog did: saved keys and a reset take effect at once.
  TextRead file = keyMapFile_.Read();
  if (file.exists && !file.readable) {
    ShowMessage(hwnd_, keyMapFile_.Problem(true, file.error) + u"\r\nキーの割り当ては変わりません。",
                MB_OK | MB_ICONWARNING);
    return;
  }
  keyMapLines_ = file.exists ? std::move(file.lines) : CommandTableLines();
  if (!keyMapLines_.empty()) ApplyKeyMap();
}

}  // namespace tovo
