#include "core/TextCounts.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace tovo {

namespace {

// Eight bytes a step, each mixed by one multiply: fields are short, and this runs once a field.
uint64_t HashText(std::u16string_view text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size() * sizeof(char16_t);
    uint64_t h = 0x9E3779B97F4A7C15u ^ n;
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        h = (h ^ word) * 0xFF51AFD7ED558CCDu;
        h ^= h >> 32;
    }
    uint64_t tail = 0;
    std::memcpy(&tail, p, n);
    // The table takes the low bits and the tag the high ones: every input bit must reach both.
    h = (h ^ tail) * 0xC4CEB9FE1A85EC53u;
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDu;
    return h ^ (h >> 33);
}

// A slot: the hash's top 26 bits over the text's offset + 1. The table is indexed by the hash's
// top bits too, so growing it up to 2^26 slots reads no text: each slot's new place is in its tag,
// and the old slots, read in order, are written nearly in order.
constexpr int kTagBits = 26;
constexpr uint64_t kOffsetBits = 64 - kTagBits;
constexpr uint64_t kOffsetMask = (uint64_t{1} << kOffsetBits) - 1;

constexpr uint64_t Tag(uint64_t hash)
{
    return hash & ~kOffsetMask;
}

}  // namespace

size_t TextCounts::SlotOf(std::u16string_view text, uint64_t hash) const
{
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash >> shift_;; i = (i + 1) & mask) {
        const uint64_t slot = slots_[i];
        if (slot == 0) return i;
        if (Tag(slot) == Tag(hash) && TextAt((slot & kOffsetMask) - 1) == text) return i;
    }
}

void TextCounts::Add(std::u16string_view text)
{
    AddMany(&text, 1);
}

void TextCounts::AddMany(const std::u16string_view* texts, size_t count)
{
    // At most half full, so a probe ends soon; grown first, so the slots fetched stay put.
    while (FullFor(count)) Grow({});
    uint64_t hashes[kBatch];
    count = std::min(count, kBatch);
    for (size_t i = 0; i < count; ++i) {
        hashes[i] = HashText(texts[i]);
        __builtin_prefetch(&slots_[hashes[i] >> shift_]);
    }
    // A text seen before: its count and text, next to each other.
    for (size_t i = 0; i < count; ++i) {
        const uint64_t slot = slots_[hashes[i] >> shift_];
        if (slot != 0 && Tag(slot) == Tag(hashes[i])) __builtin_prefetch(At((slot & kOffsetMask) - 1));
    }
    for (size_t i = 0; i < count; ++i) Insert(texts[i], hashes[i]);
}

void TextCounts::Insert(std::u16string_view text, uint64_t hash)
{
    const size_t at = SlotOf(text, hash);
    if (slots_[at] != 0) {
        const uint64_t offset = (slots_[at] & kOffsetMask) - 1;
        const uint32_t count = Header(offset, 1) + 1;
        std::memcpy(At(offset) + 2, &count, sizeof count);
        return;
    }
    if (text.size() > UINT32_MAX - kHeaderUnits) throw std::length_error("text too long to count");
    const size_t units = kHeaderUnits + text.size();
    if (blockUsed_ + units > kBlockUnits) {
        // A text longer than a block has one of its own.
        if ((blocks_.size() + 1) << kBlockBits > kOffsetMask) throw std::length_error("too many texts");
        blocks_.push_back(std::make_unique_for_overwrite<char16_t[]>(std::max(units, kBlockUnits)));
        blockUsed_ = 0;
    }
    const uint64_t offset = (uint64_t{blocks_.size() - 1} << kBlockBits) + blockUsed_;
    const uint32_t header[2] = {static_cast<uint32_t>(text.size()), 1};
    char16_t* to = At(offset);
    std::memcpy(to, header, sizeof header);
    std::copy(text.begin(), text.end(), to + kHeaderUnits);
    blockUsed_ += units;
    offsets_.push_back(offset);
    slots_[at] = Tag(hash) | (offset + 1);
}

bool TextCounts::Contains(std::u16string_view text) const
{
    return !slots_.empty() && slots_[SlotOf(text, HashText(text))] != 0;
}

bool TextCounts::Grow(const Progress& progress)
{
    const size_t size = slots_.empty() ? 1024 : slots_.size() * 2;
    std::vector<uint64_t> grown;
    if (!AppendInSteps(grown, size, [](size_t) { return uint64_t{0}; }, progress)) return false;
    const int shift = 64 - std::countr_zero(size);
    const size_t mask = size - 1;
    const bool tagHoldsPlace = 64 - shift <= kTagBits;
    for (size_t from = 0; from < slots_.size(); ++from) {
        if (!KeepGoing(progress, static_cast<int64_t>(from), static_cast<int64_t>(slots_.size()))) return false;
        const uint64_t slot = slots_[from];
        if (slot == 0) continue;
        const uint64_t hash = tagHoldsPlace ? slot : HashText(TextAt((slot & kOffsetMask) - 1));
        size_t i = hash >> shift;
        while (grown[i] != 0) i = (i + 1) & mask;
        grown[i] = slot;
    }
    slots_.swap(grown);
    shift_ = shift;
    return true;
}

}  // namespace tovo
