#pragma once
// Shortcut numbers and their text form ("Shift+Ctrl+Alt+Del").
// A shortcut number is a key code plus kShiftBit, kCtrlBit and kAltBit; 0 is no shortcut.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tovo {

inline constexpr uint16_t kShiftBit = 0x2000;
inline constexpr uint16_t kCtrlBit = 0x4000;
inline constexpr uint16_t kAltBit = 0x8000;
inline constexpr uint16_t kKeyCodeMask = 0x1FFF;

struct KeyNameEntry {
    std::u16string_view name;
    uint8_t keyCode;
};

inline constexpr size_t kKeyNameCount = 62;

// The key names a shortcut text can hold, in the settings dialog's key-list order.
const std::array<KeyNameEntry, kKeyNameCount>& KeyNameTable();

// Exact, case-sensitive lookup; 0 for any other name, the empty one included.
uint8_t KeyCodeFromName(std::u16string_view name);
// Empty for a key code that has no name.
std::u16string_view KeyNameFromCode(uint16_t keyCode);

constexpr uint16_t MakeShortCut(uint16_t keyCode, bool shift, bool ctrl, bool alt)
{
    return static_cast<uint16_t>((keyCode & kKeyCodeMask) | (shift ? kShiftBit : 0) | (ctrl ? kCtrlBit : 0) |
                                 (alt ? kAltBit : 0));
}
constexpr uint16_t ShortCutKeyCode(uint16_t shortCut)
{
    return shortCut & kKeyCodeMask;
}

// "Shift+", "Ctrl+", "Alt+" as set, then the key name. A key code without a name gives the
// empty text even with modifiers set: such a shortcut matches no key and shows nothing.
std::u16string ShortCutToText(uint16_t shortCut);

// The parts of a shortcut text: the modifiers by case-sensitive substring tests, and the key
// name that is left after removing every "Shift", then "Ctrl", "Alt" and "+", trimmed.
struct ShortCutParts {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    std::u16string keyName;
};
ShortCutParts SplitShortCutText(std::u16string_view text);

// Reads a stored shortcut text: the modifiers are found by case-sensitive substring tests,
// the key name is what is left after removing every "Shift", "Ctrl", "Alt" and "+" and
// trimming. An unknown key name gives key code 0 with the modifiers kept.
uint16_t TextToShortCut(std::u16string_view text);

// A shortcut with key code 0 matches no key press, whatever its modifiers.
constexpr bool IsWorkingShortCut(uint16_t shortCut)
{
    return ShortCutKeyCode(shortCut) != 0;
}

}  // namespace tovo
