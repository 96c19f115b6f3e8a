// Highlight marks recorded while the list is filled, and the word test that
// makes them.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tovo {

class RowModel;

// The mark table: entry k is (row key, field index), -1 in the row array
// ends the table, and entry 65535 is never written, so at most 65535 marks
// are stored (later ones are counted only).
class HighLightMarks {
public:
    static constexpr size_t kTableSize = 65536;
    static constexpr size_t kMaxStored = kTableSize - 1;

    HighLightMarks();

    // All entries to -1 and the count to 0, as at the start of every fill.
    void Reset();
    void Add(int32_t rowKey, int32_t field);
    // Marks made since Reset, including those past the table's end.
    size_t Count() const { return count_; }
    size_t StoredCount() const { return count_ < kMaxStored ? count_ : kMaxStored; }

    // Lookups answer what a walk from entry 0 to the first -1 would.
    // Fills add marks row by row (row keys non-decreasing, fields rising within
    // a row); while that holds a binary search does the lookup in O(log n).
    // Marks added out of that order (or with a negative key, which a walk
    // would take for the end) switch both lookups to the walk itself.
    bool HasRow(int32_t rowKey) const;
    bool HasCell(int32_t rowKey, int32_t field) const;
    // One row's marks at once, for drawing its cells: whether it has any, and which of the
    // fields 0..127 (the list shows 96) are marked.
    struct RowMarks {
        bool any = false;
        std::bitset<128> fields;
    };
    RowMarks MarksOfRow(int32_t rowKey) const;

    const int32_t* ArrayListHighLightRow() const { return row_.get(); }
    const int32_t* ArrayListHighLightCol() const { return col_.get(); }

private:
    bool WalkHasRow(int32_t rowKey) const;
    bool WalkHasCell(int32_t rowKey, int32_t field) const;
    // First stored entry not ordered before (rowKey, field).
    size_t LowerBound(int32_t rowKey, int32_t field) const;

    // Heap tables: 512 KB would be a hazard on a 1 MB Windows thread stack.
    std::unique_ptr<int32_t[]> row_;
    std::unique_ptr<int32_t[]> col_;
    size_t count_ = 0;
    bool ordered_ = true;
};

// The words of the word file, matched against a field by upper-casing only
// a to z on both sides. An empty word never matches.
class HighLightWords {
public:
    void Load(std::vector<std::u16string> words);
    bool empty() const { return !anyWord_; }
    size_t size() const { return words_.size(); }
    // Index of the first word found in the field, or -1. Allocates nothing;
    // costs up to (words x field length x word length) unit compares, in
    // practice about one pass over the field per word.
    int MatchField(std::u16string_view field) const;

private:
    std::vector<std::u16string> words_;  // already upper-cased
    bool anyWord_ = false;
};

// Marks every field (0..95, left to right) of one row that holds a word:
// one mark per field. Nothing to do without words.
void MarkRow(HighLightMarks& marks, const HighLightWords& words, const RowModel& rows, int row, int32_t rowKey);

}  // namespace tovo
