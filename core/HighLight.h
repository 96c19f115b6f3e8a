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

#include "core/CsvSplit.h"

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
    // No later mark will be stored, so none can change what is drawn.
    bool Full() const { return count_ >= kMaxStored; }

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
    bool constructed_ = false;  // every entry has been set to -1 once
};

// The words of the word file, matched against a field by upper-casing only
// a to z on both sides. An empty word never matches.
//
// All words are matched in one pass over the field: an automaton over the
// upper-cased words (a trie whose states are numbered breadth-first, so each
// state's children are consecutive, with failure links), so a field costs
// about one step per unit whatever the number of words. Memory: 18 bytes per
// unit of distinct word prefix at most, a 512-byte table for each state with
// 16 children or more (at most 32 bytes a child) and 256 KB for the root.
class HighLightWords {
public:
    // Replaces the words; on an exception (no memory) the old ones stay.
    void Load(const std::vector<std::u16string>& words);
    bool empty() const { return states_.empty(); }
    size_t size() const { return wordCount_; }
    // Index of the first word in list order that occurs in the field, or -1.
    // Allocates nothing.
    int MatchField(std::u16string_view field) const;
    // Whether any word occurs in the field; stops at the first found.
    bool AnyInField(std::u16string_view field) const;
    // Marks each of the first `fields` fields of a line cut at every
    // `separator` that holds a word, without splitting the line into a row:
    // what AnyInField on each piece would mark.
    void MarkPieces(HighLightMarks& marks, int32_t rowKey, std::u16string_view line, char16_t separator,
                    int fields) const;

private:
    static constexpr uint32_t kNoWord = UINT32_MAX;
    static constexpr uint32_t kDenseUnits = 128;
    static constexpr uint32_t kDenseChildren = 16;
    struct State {
        uint32_t first;  // children are states first .. (next state's first) - 1
        uint32_t fail;   // longest proper suffix that is also a state
        uint32_t word;   // lowest word index ending here or along the fail chain
        uint32_t dense;  // 1 + the block of dense_ holding its steps on ASCII units, or 0
    };
    void Build(const std::vector<std::u16string>& words);
    uint32_t Child(uint32_t s, char16_t unit) const;
    uint32_t Next(uint32_t s, char16_t unit) const;

    std::vector<State> states_;    // plus one sentinel holding the end of the last children
    std::vector<char16_t> label_;  // the unit on the edge into each state
    std::vector<uint32_t> root_;   // the root's child for every unit, 0 for none
    std::vector<uint32_t> dense_;  // blocks of kDenseUnits steps by unit, fail links applied
    size_t wordCount_ = 0;
    size_t shortest_ = 0;  // units of the shortest non-empty word
};

// Marks every field (0..95, left to right) of one line split with `splitter`
// that holds a word: one mark per field. Nothing to do without words. Reads
// nothing but its arguments, so lines may be marked on another thread.
void MarkLine(HighLightMarks& marks, const HighLightWords& words, std::u16string_view line, Splitter splitter,
              int32_t rowKey);
// MarkLine for a row's line, split as the row is.
void MarkRow(HighLightMarks& marks, const HighLightWords& words, const RowModel& rows, int row, int32_t rowKey);

}  // namespace tovo
