#include "core/TextCounts.h"

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
    h = (h ^ tail) * 0xC4CEB9FE1A85EC53u;
    return h ^ (h >> 29);
}

constexpr uint64_t Tag(uint64_t hash)
{
    return hash & 0xFFFFFFFF00000000u;
}

}  // namespace

// The slot holding the text, or the free slot where it belongs.
size_t TextCounts::SlotOf(std::u16string_view text, uint64_t hash) const
{
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const uint64_t slot = slots_[i];
        if (slot == 0) return i;
        if (Tag(slot) == Tag(hash) && Text(static_cast<uint32_t>(slot) - 1) == text) return i;
    }
}

uint32_t TextCounts::Add(std::u16string_view text)
{
    // At most half full, so a probe ends soon.
    if (entries_.size() * 2 >= slots_.size()) Grow();
    const uint64_t hash = HashText(text);
    const size_t at = SlotOf(text, hash);
    if (slots_[at] != 0) {
        const auto index = static_cast<uint32_t>(slots_[at]) - 1;
        ++entries_[index].count;
        return index;
    }
    if (entries_.size() >= UINT32_MAX - 1 || text.size() > UINT32_MAX) throw std::length_error("too many texts");
    entries_.push_back({texts_.size(), static_cast<uint32_t>(text.size()), 1});
    texts_.append(text);
    slots_[at] = Tag(hash) | entries_.size();
    return static_cast<uint32_t>(entries_.size() - 1);
}

int64_t TextCounts::Find(std::u16string_view text) const
{
    if (slots_.empty()) return -1;
    const uint64_t slot = slots_[SlotOf(text, HashText(text))];
    return slot == 0 ? -1 : static_cast<int64_t>(static_cast<uint32_t>(slot) - 1);
}

void TextCounts::Grow()
{
    std::vector<uint64_t> old(slots_.empty() ? 1024 : slots_.size() * 2);
    old.swap(slots_);
    const size_t mask = slots_.size() - 1;
    for (const uint64_t slot : old) {
        if (slot == 0) continue;
        // The tag is the hash's top half; the rest of the hash is computed again.
        const uint64_t hash = HashText(Text(static_cast<uint32_t>(slot) - 1));
        size_t i = hash & mask;
        while (slots_[i] != 0) i = (i + 1) & mask;
        slots_[i] = slot;
    }
}

}  // namespace tovo
