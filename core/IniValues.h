// Value forms of the settings file: integers (decimal, "$" hex, "0x" hex), flags, colours by name or
// "$" + eight hex digits, and the 52-entry colour-name table.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovo {

// Decimal with an optional sign, or "$"/"0x" followed by up to eight hex digits (a colour such as
// $FF00000F reads back as the same 32 bits). Anything else, surrounding spaces included, is no number.
std::optional<int32_t> ParseIniInteger(std::u16string_view text);
int32_t IniIntegerOr(std::u16string_view text, int32_t fallback);
bool IniFlagOr(std::u16string_view text, bool fallback);
std::u16string IniIntegerText(int32_t value);
std::u16string IniFlagText(bool value);

struct ColorName {
    std::u16string_view name;
    uint32_t value;
};
inline constexpr int kColorNameCount = 52;
const ColorName* ColorNames();  // kColorNameCount entries, in search order

// The first table name with the value, else "$" + eight upper-case hex digits.
std::u16string ColorToIniText(uint32_t color);
// A table name (a-z compared without case) or an integer form.
std::optional<uint32_t> ParseIniColor(std::u16string_view text);
uint32_t IniColorOr(std::u16string_view text, uint32_t fallback);

inline constexpr uint32_t kClBlack = 0x00000000;
inline constexpr uint32_t kClWhite = 0x00FFFFFF;
inline constexpr uint32_t kClRed = 0x000000FF;
inline constexpr uint32_t kClBlue = 0x00FF0000;
inline constexpr uint32_t kClAqua = 0x00FFFF00;

// Resolves a stored colour to an RGB value: 0xFF0000nn is system colour nn (looked up by the
// caller-supplied function), "no colour" and "default" take the fallback.
uint32_t ResolveColor(uint32_t color, uint32_t (*systemColor)(int index), uint32_t fallback);

}  // namespace tovo
