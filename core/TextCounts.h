// Distinct texts with a count each, for counting a column's values over millions of rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovo {

// An open-addressing hash table over one buffer that holds each distinct text once. Per text
// counted: a hash and, mostly, one probe; nothing is allocated but for a new distinct text.
// Per distinct text: 16 bytes, its units, and 8 to 16 bytes of table.
class TextCounts {
public:
    // One more of `text`; a new text gets index size() and count 1. Returns its index.
    uint32_t Add(std::u16string_view text);
    // The text's index, -1 when it was never added.
    int64_t Find(std::u16string_view text) const;

    size_t size() const { return entries_.size(); }
    // Views stay valid until the next Add.
    std::u16string_view Text(size_t index) const
    {
        const Entry& e = entries_[index];
        return {texts_.data() + e.offset, e.length};
    }
    uint32_t Count(size_t index) const { return entries_[index].count; }

private:
    struct Entry {
        size_t offset;
        uint32_t length;
        uint32_t count;
    };
    // Slot: the hash's top 32 bits, then the entry's index + 1; 0 is a free slot.
    size_t SlotOf(std::u16string_view text, uint64_t hash) const;
    void Grow();

    std::u16string texts_;
    std::vector<Entry> entries_;
    std::vector<uint64_t> slots_;
};

}  // namespace tovo
