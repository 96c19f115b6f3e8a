#include "core/LineStore.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace tovo {

void LineStore::Clear()
{
    blocks_.clear();
    used_ = 0;
    starts_.clear();
    lengths_.clear();
}

void LineStore::Reserve(size_t lines, size_t chars)
{
    starts_.reserve(starts_.size() + lines);
    lengths_.reserve(lengths_.size() + lines);
    if (chars != 0) Room(chars);
}

char16_t* LineStore::Room(size_t chars)
{
    if (blocks_.empty() || blocks_.back().capacity - used_ < chars) {
        const size_t capacity = std::max(chars, kBlockChars);
        blocks_.push_back({std::make_unique_for_overwrite<char16_t[]>(capacity), capacity});
        used_ = 0;
    }
    return blocks_.back().data.get() + used_;
}

void LineStore::Append(std::u16string_view line)
{
    if (line.size() > std::numeric_limits<uint32_t>::max()) throw std::length_error("line too long");
    // An empty line needs no room; any non-null pointer serves as its start.
    static constexpr char16_t kEmpty[1] = {};
    const char16_t* start = kEmpty;
    if (!line.empty()) {
        char16_t* dst = Room(line.size());
        std::memcpy(dst, line.data(), line.size() * sizeof(char16_t));
        used_ += line.size();
        start = dst;
    }
    starts_.push_back(start);
    try {
        lengths_.push_back(static_cast<uint32_t>(line.size()));
    } catch (...) {
        starts_.pop_back();
        throw;
    }
}

size_t LineStore::MemoryBytes() const
{
    size_t bytes = blocks_.capacity() * sizeof(Block);
    for (const Block& b : blocks_) bytes += b.capacity * sizeof(char16_t);
    bytes += starts_.capacity() * sizeof(const char16_t*) + lengths_.capacity() * sizeof(uint32_t);
    return bytes;
}

}  // namespace tovo
