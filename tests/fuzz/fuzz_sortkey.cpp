// The column sort order and the filter: CompareSortFields must be a strict weak ordering in both
// directions (every pair and triple of a few fuzzed fields); SortRowsByField must give that order
// with ties in line order; MatchingRows must keep exactly the rows with a field holding the term.
#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "core/LineStore.h"
#include "core/RowModel.h"
#include "core/RowOrder.h"
#include "core/Search.h"
#include "tests/fuzz/FuzzInput.h"

using namespace tovo;

namespace {

void CheckOrdering(const std::vector<std::u16string>& fields, bool descending)
{
    fuzz::CheckStrictWeakOrdering(fields, [descending](const std::u16string& a, const std::u16string& b) {
        return CompareSortFields(a, b, descending, AppendFoldedKey);
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::u16string text = fuzz::Utf16FromBytes(data, size);
    const std::vector<std::u16string> lines = fuzz::SplitOn(text, u'\n', 256);
    const std::vector<std::u16string> few(lines.begin(), lines.begin() + std::min<size_t>(lines.size(), 8));
    for (const std::u16string& f : few) FUZZ_CHECK(ReadsAsNumber(f) == (SortKeyOf(f) >> 62 == 0 && !f.empty()));

    LineStore store;
    for (const auto& line : lines) store.Append(line);
    RowModel model;
    model.ShowLines(store, 0, size % 2 ? Splitter::QuoteAware : Splitter::Auto);
    for (size_t i = 0; i < lines.size(); ++i) model.AppendLineRow();
    FUZZ_CHECK(model.RowCount() == static_cast<int>(lines.size()));
    const int column = size % 3 == 0 ? 1 : 0;
    for (const bool descending : {false, true}) {
        CheckOrdering(few, descending);

        std::vector<uint32_t> rows(lines.size());
        std::iota(rows.begin(), rows.end(), 0u);
        std::reverse(rows.begin(), rows.end());
        SortRowsByField(rows, model, column, descending, AppendFoldedKey);
        std::vector<bool> seen(lines.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            FUZZ_CHECK(rows[i] < lines.size() && !seen[rows[i]]);
            seen[rows[i]] = true;
            if (i == 0) continue;
            const std::u16string a(model.Field(static_cast<int>(rows[i - 1]), column));
            const int c =
                CompareSortFields(a, model.Field(static_cast<int>(rows[i]), column), descending, AppendFoldedKey);
            FUZZ_CHECK(c < 0 || (c == 0 && rows[i - 1] < rows[i]));
        }
    }

    if (!lines.empty() && !lines[0].empty()) {
        const TermMatcher matcher(lines[0].substr(0, 4), &DefaultUpper);
        const std::vector<uint32_t> kept = MatchingRows(model, matcher);
        size_t next = 0;
        for (int r = 0; r < model.RowCount(); ++r) {
            bool hit = false;
            for (int c = 0; c < model.FieldCount(r) && !hit; ++c) hit = matcher.Matches(model.Field(r, c));
            FUZZ_CHECK(hit == (next < kept.size() && kept[next] == static_cast<uint32_t>(r)));
            if (hit) ++next;
        }
        FUZZ_CHECK(next == kept.size());
    }
    return 0;
}
