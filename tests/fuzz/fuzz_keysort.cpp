// The key-map sort: KeySortCompare must be a strict weak ordering (checked on every pair and
// triple of a few fuzzed lines), and sorting and grouping many lines must keep every line once.
#include <algorithm>
#include <string>
#include <vector>

#include "core/KeySort.h"
#include "tests/fuzz/FuzzInput.h"

using namespace tovo;

namespace {

void CheckOrdering(const std::vector<std::u16string>& lines)
{
    fuzz::CheckStrictWeakOrdering(
        lines, [](const std::u16string& a, const std::u16string& b) { return KeySortCompare(a, b); });
}

void CheckGrouping(const std::vector<std::u16string>& lines)
{
    const KeyGroups groups = GroupAndSortKeyMap(lines);
    std::vector<std::u16string> all;
    for (size_t g = 0; g < kKeyGroupCount; ++g) {
        for (size_t i = 0; i < groups[g].size(); ++i) {
            FUZZ_CHECK(KeyGroupOf(groups[g][i]) == static_cast<int>(g));
            FUZZ_CHECK((g == 0) == KeyTextOfLine(groups[g][i]).empty());
            if (g != 0 && i > 0) FUZZ_CHECK(KeySortCompare(groups[g][i - 1], groups[g][i]) <= 0);
        }
        all.insert(all.end(), groups[g].begin(), groups[g].end());
    }
    // Group 0 keeps file order.
    std::vector<std::u16string> keyless;
    for (const std::u16string& line : lines)
        if (KeyGroupOf(line) == 0) keyless.push_back(line);
    FUZZ_CHECK(groups[0] == keyless);

    const std::vector<std::u16string> view = SortedKeyMapView(groups);
    FUZZ_CHECK(view.size() == lines.size());
    std::vector<std::u16string> sortedLines = lines;
    std::sort(all.begin(), all.end());
    std::sort(sortedLines.begin(), sortedLines.end());
    FUZZ_CHECK(all == sortedLines);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::u16string text = fuzz::Utf16FromBytes(data, size);
    const std::vector<std::u16string> lines = fuzz::SplitOn(text, u'\n', 256);

    CheckOrdering(std::vector<std::u16string>(lines.begin(), lines.begin() + std::min<size_t>(lines.size(), 8)));

    std::vector<std::u16string> sorted = lines;
    std::sort(sorted.begin(), sorted.end(),
              [](const std::u16string& a, const std::u16string& b) { return KeySortCompare(a, b) < 0; });
    for (size_t i = 1; i < sorted.size(); ++i) FUZZ_CHECK(KeySortCompare(sorted[i - 1], sorted[i]) <= 0);

    CheckGrouping(lines);
    return 0;
}
