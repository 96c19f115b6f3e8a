#pragma once
// Small string helpers shared by the portable code. UTF-16 throughout.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tovo {

// Strips every code unit <= U+0020 (spaces and control characters) from both ends.
std::u16string_view Trim(std::u16string_view text);

bool Contains(std::u16string_view text, std::u16string_view part);

// A field the list shows as blank: nothing, or only ordinary (U+0020) and ideographic (U+3000)
// spaces. The sort puts such fields last, as users look for them with the empty ones.
bool IsEmptyField(std::u16string_view field);

// Removes every non-overlapping occurrence of `part`, scanning left to right once; text that
// the removal joins together is not searched again ("ShShiftift" minus "Shift" is "Shift").
std::u16string RemoveAll(std::u16string_view text, std::u16string_view part);

// Room for any 64-bit value written by WriteDecimal, terminator included.
inline constexpr size_t kDecimalBufferSize = 21;

// printf "%.0Nd": at least minDigits digits (at most 19 count), zero-padded after a leading '-'.
// Writes a terminated string into out (kDecimalBufferSize units) and returns its length without
// the terminator; allocates nothing, for the per-cell paths.
int WriteDecimal(int64_t value, int minDigits, char16_t* out);
std::u16string DecimalText(int64_t value, int minDigits);

}  // namespace tovo
