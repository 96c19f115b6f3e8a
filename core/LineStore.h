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
class LineStore {
public:
    LineStore() = default;
    LineStore(const LineStore&) = delete;
    LineStore& operator=(const LineStore&) = delete;
    LineStore(LineStore&&) noexcept = default;
    LineStore& operator=(LineStore&&) noexcept = default;

    void Clear();
    // Room for `lines` more lines holding `chars` more units in all, so a
    // fill whose size is known allocates its text once.
    void Reserve(size_t lines, size_t chars);
    void Append(std::u16string_view line);

    size_t size() const { return starts_.size(); }
    bool empty() const { return starts_.empty(); }
    std::u16string_view Line(size_t i) const { return {starts_[i], lengths_[i]}; }
    size_t MemoryBytes() const;

private:
    struct Block {
        std::unique_ptr<char16_t[]> data;
        size_t capacity = 0;
    };
    char16_t* Room(size_t chars);

    // 2 MB of text a block: large enough that block tails waste little,
    // small enough that a page-sized fill does not hold much unused memory.
    static constexpr size_t kBlockChars = size_t{1} << 20;

    std::vector<Block> blocks_;
    size_t used_ = 0;  // units used in blocks_.back()
    std::vector<const char16_t*> starts_;
    std::vector<uint32_t> lengths_;
};

}  // namespace tovo
