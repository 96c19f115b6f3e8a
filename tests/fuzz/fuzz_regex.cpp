// The regular-expression matcher on any pattern and fields: compiling never crashes (a pattern
// that is not valid gives a message), no call runs past its bound (libFuzzer's -timeout catches
// one that does), and the look at a whole line never hides a field that matches.
#include "core/RegexMatcher.h"
#include "core/RowModel.h"
#include "core/RowOrder.h"
#include "tests/fuzz/FuzzInput.h"

// Input: UTF-16 lines; the first is the pattern, the others are fields.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<std::u16string> lines = fuzz::SplitOn(fuzz::Utf16FromBytes(data, size), u'\n', 64);
    std::u16string error;
    const auto matcher = tovo::RegexMatcher::Compile(lines[0], tovo::DefaultUpper, error);
    FUZZ_CHECK(matcher || !error.empty());
    if (!matcher) return 0;
    tovo::RowModel rows;
    bool anyMatch = false;
    for (size_t i = 1; i < lines.size(); ++i) {
        const bool match = matcher->Matches(lines[i]);
        if (match) FUZZ_CHECK(matcher->MayMatchPieceOf(u"\t" + lines[i] + u"\t"));
        // Lines that split into one field, as they are, also make a row each.
        if (lines[i].empty() || lines[i].find_first_of(u",\"\t") != std::u16string::npos) continue;
        anyMatch = anyMatch || match;
        rows.AppendRow(static_cast<int32_t>(i), lines[i], tovo::Splitter::Auto);
    }
    // A count over those rows finds a row whenever one of their fields matched, unless a field ran away.
    const auto walker = tovo::RegexMatcher::Compile(lines[0], tovo::DefaultUpper, error);
    const tovo::MatchCount count = tovo::CountMatches(rows, tovo::RowOrder{}, *walker, tovo::kAllFields);
    FUZZ_CHECK(count.gaveUp || walker->Runaways() > 0 || (count.rows > 0) == anyMatch);
    return 0;
}
