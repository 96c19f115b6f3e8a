// The text of the lines of one fill, pooled so a million lines are not a
// million heap strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace tovo {

// Lines live in large blocks that never move once written, so a view
// returned by Line() stays valid across later Append calls until Clear().
// Rows of a RowModel point into these blocks.
//
// A line costs its text and 8 bytes: the end of its text in a position space
// where block k starts at a fixed multiple of the block size. A line never
// spans two blocks, so its start is the previous line's end or, when it
// opened a new block, that block's start.
class LineStore {
public:
    LineStore() = default;
    LineStore(const LineStore&) = delete;
    LineStore& operator=(const LineStore&) = delete;
    LineStore(LineStore&&) noexcept = default;
    LineStore& operator=(LineStore&&) noexcept = default;

    // Drops the lines and their memory; the allocation limit stays.
    void Clear();
    // Room for `lines` more lines holding `chars` more units in all, so a
    // fill whose size is known allocates its text once.
    void Reserve(size_t lines, size_t chars);
    // Throws std::bad_alloc when the memory runs out or the limit would be
    // passed; the store then holds exactly the lines it held before.
    void Append(std::u16string_view line);

    // Appending without a copy: room for up to `units` (at least 1) units at
    // the end of the store, for a reader to write a line into, then
    // AppendWritten with the line's length (at most `units`). Nothing may
    // change the store between the two calls.
    char16_t* AppendRoom(size_t units);
    void AppendWritten(size_t length);

    size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    std::u16string_view Line(size_t i) const;
    size_t MemoryBytes() const;

    // At most `bytes` of MemoryBytes() in all; 0 for no limit but the
    // system's. Lets a test run out of memory without exhausting a machine.
    void SetAllocationLimit(size_t bytes) { limit_ = bytes; }

private:
    struct Block {
        std::unique_ptr<char16_t[]> data;
        size_t capacity = 0;
        uint64_t base = 0;  // position of data[0]
    };
    void CheckLimit(size_t moreBytes) const;
    void NewBlock(size_t chars);
    void GrowEnds(size_t lines, bool exact);

    // 2 MB of text a block: large enough that block tails waste little,
    // small enough that a page-sized fill does not hold much unused memory.
    static constexpr unsigned kSlotBits = 20;
    static constexpr size_t kBlockChars = size_t{1} << kSlotBits;

    std::vector<Block> blocks_;
    std::vector<uint32_t> slotBlocks_;  // block of each kBlockChars span of positions
    size_t used_ = 0;                   // units used in blocks_.back()
    std::vector<uint64_t> ends_;
    size_t limit_ = 0;
};

}  // namespace tovo
