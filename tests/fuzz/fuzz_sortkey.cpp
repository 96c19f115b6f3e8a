// The column sort order: CompareSortFields must be a strict weak ordering in both directions
// (every pair and triple of a few fuzzed fields), and SortRows must give that order with ties in
// row order.
#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "core/SortKey.h"
#include "tests/fuzz/FuzzInput.h"

using namespace tovo;

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

void CheckOrdering(const std::vector<std::u16string>& fields, bool descending)
{
    const size_t n = fields.size();
    std::vector<int> cmp(n * n);
    for (size_t a = 0; a < n; ++a)
        for (size_t b = 0; b < n; ++b)
            cmp[a * n + b] = Sign(CompareSortFields(fields[a], fields[b], descending, CompareFoldedText));
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::u16string text = fuzz::Utf16FromBytes(data, size);
    const std::vector<std::u16string> fields = fuzz::SplitOn(text, u'\n', 256);
    const std::vector<std::u16string> few(fields.begin(), fields.begin() + std::min<size_t>(fields.size(), 8));
    for (const bool descending : {false, true}) {
        CheckOrdering(few, descending);

        std::vector<uint32_t> rows(fields.size());
        std::iota(rows.begin(), rows.end(), 0u);
        SortRows(rows, static_cast<uint32_t>(fields.size()),
                 [&](uint32_t row, std::u16string&) { return std::u16string_view(fields[row]); }, descending,
                 CompareFoldedText);
        std::vector<bool> seen(fields.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            FUZZ_CHECK(rows[i] < fields.size() && !seen[rows[i]]);
            seen[rows[i]] = true;
            if (i == 0) continue;
            const int c = CompareSortFields(fields[rows[i - 1]], fields[rows[i]], descending, CompareFoldedText);
            FUZZ_CHECK(c < 0 || (c == 0 && rows[i - 1] < rows[i]));
        }
    }
    for (const std::u16string& f : few) FUZZ_CHECK(ReadsAsNumber(f) == (SortKeyOf(f) >> 62 == 0 && !f.empty()));
    return 0;
}
