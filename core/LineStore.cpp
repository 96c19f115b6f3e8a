#include "core/LineStore.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace tovo {

namespace {

// Any non-null pointer serves as the start of an empty line.
constexpr char16_t kEmpty[1] = {};

// The capacity v takes for `more` elements and the bytes that adds, so growth is counted against
// the limit before it is taken. Growth by appending doubles, so its cost is amortised.
template <class T>
size_t GrowthBytes(const std::vector<T>& v, size_t more, size_t& capacity, bool exact = false)
{
    capacity = v.capacity();
    if (more <= v.capacity() - v.size()) return 0;
    capacity = exact ? v.size() + more : std::max(v.size() + more, v.capacity() * 2);
    return (capacity - v.capacity()) * sizeof(T);
}

}  // namespace

void LineStore::Clear()
{
    // swap, not clear: a cleared store gives its memory back.
    std::vector<Block>().swap(blocks_);
    std::vector<uint32_t>().swap(slotBlocks_);
    std::vector<uint64_t>().swap(ends_);
    used_ = 0;
}

void LineStore::CheckLimit(size_t moreBytes) const
{
    if (limit_ == 0) return;
    const size_t now = MemoryBytes();
    if (now > limit_ || moreBytes > limit_ - now) throw std::bad_alloc();
}

void LineStore::GrowEnds(size_t lines, bool exact)
{
    size_t capacity = 0;
    const size_t bytes = GrowthBytes(ends_, lines, capacity, exact);
    if (bytes == 0) return;
    CheckLimit(bytes);
    ends_.reserve(capacity);
}

void LineStore::NewBlock(size_t chars)
{
    const size_t capacity = std::max(chars, kBlockChars);
    const size_t slots = (capacity + kBlockChars - 1) / kBlockChars;
    size_t blocksCapacity = 0, slotsCapacity = 0;
    const size_t bookkeeping = GrowthBytes(blocks_, 1, blocksCapacity) + GrowthBytes(slotBlocks_, slots, slotsCapacity);
    CheckLimit(capacity * sizeof(char16_t) + bookkeeping);
    if (blocks_.size() >= std::numeric_limits<uint32_t>::max()) throw std::bad_alloc();
    Block block{std::make_unique_for_overwrite<char16_t[]>(capacity), capacity,
                uint64_t{slotBlocks_.size()} << kSlotBits};
    blocks_.reserve(blocksCapacity);
    slotBlocks_.reserve(slotsCapacity);
    blocks_.push_back(std::move(block));
    slotBlocks_.insert(slotBlocks_.end(), slots, static_cast<uint32_t>(blocks_.size() - 1));
    used_ = 0;
}

void LineStore::Reserve(size_t lines, size_t chars)
{
    GrowEnds(lines, true);
    if (chars != 0 && (blocks_.empty() || blocks_.back().capacity - used_ < chars)) NewBlock(chars);
}

void LineStore::Append(std::u16string_view line)
{
    GrowEnds(1, false);
    if (!line.empty() && (blocks_.empty() || blocks_.back().capacity - used_ < line.size())) NewBlock(line.size());
    if (line.empty()) {
        ends_.push_back(ends_.empty() ? 0 : ends_.back());
        return;
    }
    Block& block = blocks_.back();
    std::memcpy(block.data.get() + used_, line.data(), line.size() * sizeof(char16_t));
    used_ += line.size();
    ends_.push_back(block.base + used_);  // cannot throw: room was made above
}

char16_t* LineStore::AppendRoom(size_t units)
{
    units = std::max<size_t>(units, 1);
    GrowEnds(1, false);
    if (blocks_.empty() || blocks_.back().capacity - used_ < units) NewBlock(units);
    return blocks_.back().data.get() + used_;
}

void LineStore::AppendWritten(size_t length)
{
    if (length == 0) {
        ends_.push_back(ends_.empty() ? 0 : ends_.back());
        return;
    }
    used_ += length;
    ends_.push_back(blocks_.back().base + used_);
}

std::u16string_view LineStore::Line(size_t i) const
{
    const uint64_t end = ends_[i];
    const uint64_t previous = i == 0 ? 0 : ends_[i - 1];
    if (end == previous) return {kEmpty, 0};
    const Block& block = blocks_[slotBlocks_[static_cast<size_t>((end - 1) >> kSlotBits)]];
    const uint64_t start = std::max(previous, block.base);
    return {block.data.get() + (start - block.base), static_cast<size_t>(end - start)};
}

size_t LineStore::MemoryBytes() const
{
    size_t bytes = blocks_.capacity() * sizeof(Block) + slotBlocks_.capacity() * sizeof(uint32_t) +
                   ends_.capacity() * sizeof(uint64_t);
    for (const Block& b : blocks_) bytes += b.capacity * sizeof(char16_t);
    return bytes;
}

}  // namespace tovo
