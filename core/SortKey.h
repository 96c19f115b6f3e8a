// The order rows take when sorted by one column.
//
// A field that reads as a number sorts by its value, before every text field; other fields sort
// as text by a comparison the caller supplies (the user's locale, case ignored); empty fields come
// last in both directions; rows whose fields compare equal keep line order.
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
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tovo {

// Three-way text comparison: negative, zero or positive. Must be a consistent order (as
// CompareStringEx is); equal results keep line order.
using SortTextCompare = std::function<int(std::u16string_view, std::u16string_view)>;

// The portable text order: a-z and full-width ａ-ｚ folded to capitals, then code-unit order.
int CompareFoldedText(std::u16string_view a, std::u16string_view b);

bool ReadsAsNumber(std::u16string_view field);

// The field's place in the ascending order packed into 64 bits, compared as unsigned integers:
// the class (number, text, empty) in the top bits; for a number its sign, decimal exponent and
// first 13 significant digits, and a last bit set when digits were left out. Equal keys mean equal
// fields except for two texts, or two numbers whose keys have that last bit set: those compare by
// their text (CompareSortFields).
uint64_t SortKeyOf(std::u16string_view field);
bool SortKeyNeedsText(uint64_t key);

// The whole rule for two fields: negative when `a` sorts before `b`.
int CompareSortFields(std::u16string_view a, std::u16string_view b, bool descending, const SortTextCompare& text);

// The column's field of a row: a view of the field, which may point into `scratch`. Two views
// from different scratch strings are in use at once.
using SortFieldOf = std::function<std::u16string_view(uint32_t row, std::u16string& scratch)>;

// Sorts `rows` (row indexes, each below `rowCount`, else std::out_of_range) by the column; equal
// fields in ascending row index. Each row's field is read for its key, and its text once more to
// rank the column's distinct texts (the text comparison then runs only between distinct texts);
// a column of more than `maxRankedTexts` distinct texts is sorted by comparing its fields
// instead, reading them per comparison. Memory while sorting: 8 bytes a row of `rowCount` and the
// distinct texts (at most `maxRankedTexts`); nothing after. The sort needs no buffer: the row
// index breaks ties, so an unstable sort is stable.
void SortRows(std::vector<uint32_t>& rows, uint32_t rowCount, const SortFieldOf& fieldOf, bool descending,
              const SortTextCompare& text, size_t maxRankedTexts = 65'536);

}  // namespace tovo
