// Shared by the fuzz programs: reading fuzzer bytes as UTF-16 and failing loudly on a broken
// invariant, so libFuzzer keeps the input as a crash file like any sanitizer finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// Not assert(): the fuzz preset builds with NDEBUG.
#define FUZZ_CHECK(cond)                                                                        \
    do {                                                                                        \
        if (!(cond)) {                                                                          \
            std::fprintf(stderr, "invariant failed: %s at %s:%d\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)

namespace fuzz {

// Byte pairs as little-endian code units, so any unit (unpaired surrogates too) can occur; an odd
// trailing byte is dropped.
inline std::u16string Utf16FromBytes(const uint8_t* data, size_t size)
{
    std::u16string out(size / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    return out;
}

// Pieces of `text` between occurrences of `sep` (empty pieces kept), at most `limit` of them;
// the last piece keeps the rest.
inline std::vector<std::u16string> SplitOn(std::u16string_view text, char16_t sep, size_t limit)
{
    std::vector<std::u16string> out;
    for (;;) {
        const size_t at = text.find(sep);
        if (at == std::u16string_view::npos || out.size() + 1 == limit) {
            out.emplace_back(text);
            return out;
        }
        out.emplace_back(text.substr(0, at));
        text.remove_prefix(at + 1);
    }
}

// Checks that compare (a three-way result, any sign) is a strict weak ordering over items: every
// pair and triple. a <= b <= c gives a <= c, strictly when either step is strict; this covers
// transitivity of both the order and the equivalence.
template <typename T, typename Compare>
void CheckStrictWeakOrdering(const std::vector<T>& items, Compare compare)
{
    const size_t n = items.size();
    std::vector<int> cmp(n * n);
    for (size_t a = 0; a < n; ++a)
        for (size_t b = 0; b < n; ++b) {
            const int v = compare(items[a], items[b]);
            cmp[a * n + b] = (v > 0) - (v < 0);
        }
    for (size_t a = 0; a < n; ++a) {
        FUZZ_CHECK(cmp[a * n + a] == 0);
        for (size_t b = 0; b < n; ++b) {
            FUZZ_CHECK(cmp[a * n + b] == -cmp[b * n + a]);
            for (size_t c = 0; c < n; ++c) {
                const int ab = cmp[a * n + b], bc = cmp[b * n + c], ac = cmp[a * n + c];
                if (ab <= 0 && bc <= 0) FUZZ_CHECK(ac <= 0 && (ac < 0 || (ab == 0 && bc == 0)));
            }
        }
    }
}

}  // namespace fuzz
