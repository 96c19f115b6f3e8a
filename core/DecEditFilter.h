#pragma once
// Character filter of the numeric edit box and the conversion of the go-to-line number.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovo {

enum class TNumericalType { DecimalUnSigned, DecimalSigned, DoubleUnSigned, DoubleSigned };

// Whether a typed character may go into the box. Looks only at the caret (selection start)
// and the present text: a selection about to be replaced is not taken into account.
bool DecEditAccepts(TNumericalType type, char16_t ch, int caretPos, std::u16string_view text);

// Whole text as a 32-bit signed integer: decimal with an optional sign, or "$"/"0x"/"0X"
// followed by hexadecimal digits, read as the 32-bit pattern (so "$FFFFFFFF" is -1, as stored
// colour values need). No spaces, nothing else around it; values that do not fit are rejected.
std::optional<int32_t> ParseInt32Strict(std::u16string_view text);

// "'" + text + "' は整数ではありません."
std::u16string NotAnIntegerMessage(std::u16string_view text);

}  // namespace tovo
