#include "core/HighLight.h"

#include <algorithm>

#include "core/RowModel.h"

namespace tovo {

namespace {

constexpr char16_t AsciiUpper(char16_t c)
{
    return static_cast<char16_t>(static_cast<unsigned>(c - u'a') < 26u ? c - 0x20 : c);
}

bool ContainsUpperedWord(std::u16string_view field, std::u16string_view word)
{
    const size_t n = field.size();
    const size_t m = word.size();
    if (m == 0 || m > n) return false;
    const char16_t first = word[0];
    for (size_t i = 0; i + m <= n; ++i) {
        if (AsciiUpper(field[i]) != first) continue;
        size_t k = 1;
        while (k < m && AsciiUpper(field[i + k]) == word[k]) ++k;
        if (k == m) return true;
    }
    return false;
}

}  // namespace

HighLightMarks::HighLightMarks()
    : row_(std::make_unique_for_overwrite<int32_t[]>(kTableSize)),
      col_(std::make_unique_for_overwrite<int32_t[]>(kTableSize))
{
    Reset();
}

void HighLightMarks::Reset()
{
    std::fill_n(row_.get(), kTableSize, -1);
    std::fill_n(col_.get(), kTableSize, -1);
    count_ = 0;
    ordered_ = true;
}

void HighLightMarks::Add(int32_t rowKey, int32_t field)
{
    if (count_ < kMaxStored) {
        if (rowKey < 0) {
            ordered_ = false;
        } else if (count_ != 0) {
            const int32_t prevRow = row_[count_ - 1];
            const int32_t prevCol = col_[count_ - 1];
            if (rowKey < prevRow || (rowKey == prevRow && field < prevCol)) ordered_ = false;
        }
        row_[count_] = rowKey;
        col_[count_] = field;
    }
    ++count_;
}

size_t HighLightMarks::LowerBound(int32_t rowKey, int32_t field) const
{
    size_t lo = 0;
    size_t hi = StoredCount();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (row_[mid] < rowKey || (row_[mid] == rowKey && col_[mid] < field))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

bool HighLightMarks::HasRow(int32_t rowKey) const
{
    if (!ordered_) return WalkHasRow(rowKey);
    const size_t k = LowerBound(rowKey, INT32_MIN);
    return k < StoredCount() && row_[k] == rowKey;
}

bool HighLightMarks::HasCell(int32_t rowKey, int32_t field) const
{
    if (!ordered_) return WalkHasCell(rowKey, field);
    const size_t k = LowerBound(rowKey, field);
    return k < StoredCount() && row_[k] == rowKey && col_[k] == field;
}

HighLightMarks::RowMarks HighLightMarks::MarksOfRow(int32_t rowKey) const
{
    RowMarks marks;
    auto add = [&](size_t k) {
        marks.any = true;
        if (col_[k] >= 0 && static_cast<size_t>(col_[k]) < marks.fields.size()) marks.fields.set(static_cast<size_t>(col_[k]));
    };
    if (!ordered_) {
        for (size_t k = 0; k < kTableSize && row_[k] != -1; ++k) {
            if (row_[k] == rowKey) add(k);
        }
        return marks;
    }
    // Ordered: the row's marks stand together, found with one search.
    for (size_t k = LowerBound(rowKey, INT32_MIN); k < StoredCount() && row_[k] == rowKey; ++k) add(k);
    return marks;
}

bool HighLightMarks::WalkHasRow(int32_t rowKey) const
{
    for (size_t k = 0; k < kTableSize && row_[k] != -1; ++k) {
        if (row_[k] == rowKey) return true;
    }
    return false;
}

bool HighLightMarks::WalkHasCell(int32_t rowKey, int32_t field) const
{
    for (size_t k = 0; k < kTableSize && row_[k] != -1; ++k) {
        if (row_[k] == rowKey && col_[k] == field) return true;
    }
    return false;
}

void HighLightWords::Load(std::vector<std::u16string> words)
{
    words_ = std::move(words);
    anyWord_ = false;
    for (std::u16string& w : words_) {
        for (char16_t& c : w) c = AsciiUpper(c);
        anyWord_ = anyWord_ || !w.empty();
    }
}

int HighLightWords::MatchField(std::u16string_view field) const
{
    for (size_t i = 0; i < words_.size(); ++i) {
        if (ContainsUpperedWord(field, words_[i])) return static_cast<int>(i);
    }
    return -1;
}

void MarkRow(HighLightMarks& marks, const HighLightWords& words, const RowModel& rows, int row, int32_t rowKey)
{
    if (words.empty()) return;
    // Cells past FieldCount are empty and hold no word.
    const int stop = rows.FieldCount(row);
    for (int c = 0; c < stop; ++c) {
        if (words.MatchField(rows.Field(row, c)) >= 0) marks.Add(rowKey, c);
    }
}

}  // namespace tovo

