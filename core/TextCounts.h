// Distinct texts with a count each, for counting a column's values over millions of rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Progress.h"

namespace tovo {

// An open-addressing hash table over one buffer that holds each distinct text once, its length
// and count just before it. A text counted again costs a hash, its slot and its place in the
// buffer (mostly one cache line); nothing is allocated but for a new distinct text.
// Per distinct text: its units, 12 bytes beside them, and 16 to 32 bytes of table.
class TextCounts {
public:
    // One more of `text`; a new text comes last, with count 1.
    void Add(std::u16string_view text);
    // Add for each of `count` texts (at most kBatch), in order. The table is far larger than a
    // cache when a column holds millions of distinct values: their slots are fetched all at once
    // first, so the waits for memory overlap instead of following each other.
    static constexpr size_t kBatch = 16;
    void AddMany(const std::u16string_view* texts, size_t count);
    bool Contains(std::u16string_view text) const;
    // Whether `count` more texts would make the table grow, and growing it ahead of them in steps
    // that ask `progress` (its figures are the growth's own): a table of millions of slots takes
    // a fresh block of memory and a walk over every slot. False when stopped, the table as it was.
    bool FullFor(size_t count) const { return (offsets_.size() + count) * 2 >= slots_.size(); }
    bool Grow(const Progress& progress);

    // In the order the texts first came. Views stay valid until the next Add.
    size_t size() const { return offsets_.size(); }
    std::u16string_view Text(size_t index) const { return TextAt(offsets_[index]); }
    uint32_t Count(size_t index) const { return Header(offsets_[index], 1); }

private:
    // Before each text: its length and count, two units each.
    static constexpr size_t kHeaderUnits = 4;
    // Texts are kept in blocks that never move: a block filled is never copied to grow, and
    // its pages are touched once. An offset is the block's number, then the place in it.
    static constexpr int kBlockBits = 20;
    static constexpr size_t kBlockUnits = size_t{1} << kBlockBits;
    char16_t* At(uint64_t offset) const
    {
        return blocks_[offset >> kBlockBits].get() + (offset & (kBlockUnits - 1));
    }
    uint32_t Header(uint64_t offset, size_t which) const
    {
        uint32_t value;
        std::memcpy(&value, At(offset) + 2 * which, sizeof value);
        return value;
    }
    std::u16string_view TextAt(uint64_t offset) const { return {At(offset) + kHeaderUnits, Header(offset, 0)}; }
    // The slot holding the text, or the free slot where it belongs.
    size_t SlotOf(std::u16string_view text, uint64_t hash) const;
    // Add with room in the table.
    void Insert(std::u16string_view text, uint64_t hash);

    std::vector<std::unique_ptr<char16_t[]>> blocks_;
    size_t blockUsed_ = kBlockUnits;  // units used in the last block
    std::vector<uint64_t> offsets_;
    // 0 is a free slot; a slot's home is the hash's top bits (hash >> shift_).
    std::vector<uint64_t> slots_;
    int shift_ = 64;
};

}  // namespace tovo
