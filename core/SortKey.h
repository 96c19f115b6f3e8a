// The order rows take when sorted by one column.
//
// A field that reads as a number sorts by its value, before every text field; other fields sort
// as text by a collation key the caller supplies (the user's locale, case ignored); empty fields
// (IsEmptyField: nothing, or only ordinary and ideographic spaces) come last in both directions;
// rows whose fields compare equal keep line order.
//
// Reads as a number:
//   [spaces] [sign] integer-part [point fraction] [spaces]
//   [spaces] [sign] point fraction [spaces]
// - spaces: U+0020 or the ideographic space U+3000, any number, ignored.
// - sign: + or -, or full-width ＋ or －.
// - digits: 0-9 and full-width ０-９, freely mixed.
// - integer-part: digits, or digits grouped by commas (, or full-width ，): the first group 1 to 3
//   digits not starting with 0, every later group exactly 3. So "1,234", "12,345,678" and
//   "0012" are numbers; ",12", "1,23", "1,2345", "1234,567", "1,,234", "1," and "0,500" (a decimal
//   comma elsewhere) are text.
// - point: . or full-width ．, at most one; fraction: digits, no commas, may be empty.
// - at least one digit in all: "1." and ".5" and "-.5" are numbers; ".", "+", "-" and "" are not.
// No exponents, currency signs, percent or spaces inside. "-0", "+0" and "0.00" equal 0.
//
// Values compare exactly as decimals, however many digits they have: "12345678901234567" is
// below "12345678901234568" though a double holds both as the same value.
//
// Descending reverses the order of the non-empty fields (text first, then numbers from the
// largest); empty fields stay last and equal fields keep line order in both directions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tovo {

// Appends the text's collation key: comparing keys byte by byte orders the texts.
using CollationKeyFn = void (*)(std::u16string_view text, std::string& out);

// The portable text order: a-z and full-width ａ-ｚ folded to capitals, then code-unit order.
void AppendFoldedKey(std::u16string_view text, std::string& out);

bool ReadsAsNumber(std::u16string_view field);

// The digits of a field that reads as a number, as the rule reads them: full-width digits as
// ASCII ones into `digits` (cleared first), commas and spaces dropped, `integerDigits` of them
// before the point. False when the field is not a number. `digits` is the caller's, so a walk
// over many fields allocates nothing per field.
bool ReadNumberDigits(std::u16string_view field, bool& negative, std::string& digits, size_t& integerDigits);

// The field's place in the ascending order packed into 64 bits, compared as unsigned integers:
// the class (number, text, empty) in the top bits; for a number its sign, decimal exponent and
// first 13 significant digits, and a last bit set when digits were left out. Equal keys mean equal
// fields except for two texts, or two numbers whose keys have that last bit set (SortKeyNeedsText):
// those compare by their collation keys or AppendNumberKey's bytes.
uint64_t SortKeyOf(std::u16string_view field);

// Inline: a million-row sort asks these tens of millions of times.
inline constexpr int kSortClassShift = 62;
inline constexpr uint64_t kSortClassText = 1, kSortClassEmpty = 2;
inline bool SortKeyIsEmpty(uint64_t key)
{
    return key >> kSortClassShift == kSortClassEmpty;
}
inline bool SortKeyIsText(uint64_t key)
{
    return key >> kSortClassShift == kSortClassText;
}
inline bool SortKeyNeedsText(uint64_t key)
{
    if (SortKeyIsText(key)) return true;
    if (key >> kSortClassShift != 0) return false;
    // Numbers: sign 0 negative (the left-out flag stored inverted), 1 zero, 2 positive.
    const uint64_t sign = (key >> 58) & 3u;
    const bool lowBit = (key & 1u) != 0;
    return sign == 2 ? lowBit : sign == 0 && !lowBit;
}

// The exact counterpart of SortKeyOf for a field that reads as a number: bytes that, compared
// byte by byte, order numbers by their exact value, however many digits they have.
void AppendNumberKey(std::u16string_view number, std::string& out);

// The rule on two fields' keys: empty last in both directions, then the keys, and for equal keys
// that cannot settle it `tie()`, the ascending three-way order of the fields' collation keys
// (texts) or AppendNumberKey bytes (numbers).
template <class Tie>
int CompareSortKeys(uint64_t a, uint64_t b, bool descending, Tie&& tie)
{
    const bool ea = SortKeyIsEmpty(a), eb = SortKeyIsEmpty(b);
    if (ea || eb) return static_cast<int>(ea) - static_cast<int>(eb);
    int c = a != b ? (a < b ? -1 : 1) : SortKeyNeedsText(a) ? tie() : 0;
    return descending ? -c : c;
}

// The whole rule for two fields: negative when `a` sorts before `b`.
int CompareSortFields(std::u16string_view a, std::u16string_view b, bool descending, CollationKeyFn collate);
// The same, ascending, for fields whose keys (SortKeyOf) are known: a walk that compares many
// fields with one makes that one's key once.
int CompareKeyedFields(std::u16string_view a, uint64_t keyA, std::u16string_view b, uint64_t keyB,
                       CollationKeyFn collate);

}  // namespace tovo
