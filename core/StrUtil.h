#pragma once
// Small string helpers shared by the portable code. UTF-16 throughout.

#include <cstdint>
#include <string>
#include <string_view>

namespace tovo {

// Strips every code unit <= U+0020 (spaces and control characters) from both ends.
std::u16string_view Trim(std::u16string_view text);

bool Contains(std::u16string_view text, std::u16string_view part);

// Removes every non-overlapping occurrence of `part`, scanning left to right once; text that
// the removal joins together is not searched again ("ShShiftift" minus "Shift" is "Shift").
std::u16string RemoveAll(std::u16string_view text, std::u16string_view part);

// Decimal with at least `digits` digits, zero-padded after the sign: the "%.0Nd" form.
std::u16string FormatZeroPadded(int64_t value, int digits);
inline std::u16string FormatTwoDigits(int64_t value) { return FormatZeroPadded(value, 2); }
inline std::u16string FormatFiveDigits(int64_t value) { return FormatZeroPadded(value, 5); }
inline std::u16string FormatDecimal(int64_t value) { return FormatZeroPadded(value, 1); }

// Widens 7-bit text; for building UTF-16 text from numbers and fixed ASCII words.
std::u16string AsciiToU16(std::string_view ascii);

}  // namespace tovo
