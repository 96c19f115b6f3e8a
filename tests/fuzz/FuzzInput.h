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

}  // namespace fuzz
