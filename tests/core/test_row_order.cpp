#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "core/LineStore.h"
#include "core/RowModel.h"
#include "core/RowOrder.h"
#include "core/Search.h"

using namespace tovo;

namespace {

struct Table {
    LineStore store;
    RowModel rows;
    explicit Table(const std::vector<std::u16string>& lines, Splitter splitter = Splitter::Auto)
    {
        for (const auto& line : lines) store.Append(line);
        for (size_t i = 0; i < lines.size(); ++i) rows.AppendRow(static_cast<int32_t>(i), store.Line(i), splitter);
    }
    std::vector<uint32_t> Sorted(int field, bool descending, std::vector<uint32_t> order = {}) const
    {
        if (order.empty()) {
            order.resize(static_cast<size_t>(rows.RowCount()));
            std::iota(order.begin(), order.end(), 0u);
        }
        SortRowsByField(order, rows, field, descending, &AppendFoldedKey);
        return order;
    }
};

TEST(SortRows, NumbersBeforeTextEmptiesLastTiesInLineOrder)
{
    const Table mixed({u"b,x", u"10,x", u"", u"apple,x", u"9,x", u"B,x", u"\"1,000\",x", u"ａ"});
    const Table column({u"b", u"", u"10", u"B", u"2", u"1.0", u"", u"a", u"+1", u"-5"});
    // Neighbours that round to one double must still sort by value, large or small.
    const Table longNumbers({u"12345678901234567891", u"12345678901234567890", u"-99999999999999999999", u"5",
                             u"12345678901234567890.5", u"-0099999999999999999998", u"0.12345678901234568",
                             u"0.12345678901234567"});
    const struct {
        const Table& table;
        int field;
        bool descending;
        std::vector<uint32_t> given, sorted;
    } cases[] = {
        // "b" and "B" tie without regard to case and keep line order both ways; empties stay last.
        {mixed, 0, false, {}, {4, 1, 6, 3, 0, 5, 7, 2}},        {mixed, 0, true, {}, {7, 0, 5, 3, 6, 1, 4, 2}},
        {mixed, 5, false, {}, {0, 1, 2, 3, 4, 5, 6, 7}},  // a column no row has: all tie
        {column, 0, false, {}, {9, 5, 8, 4, 2, 7, 0, 3, 1, 6}}, {column, 0, true, {}, {0, 3, 7, 2, 4, 5, 8, 9, 1, 6}},
        {column, 0, false, {8, 6, 3, 0, 5}, {5, 8, 0, 3, 6}},  // a subset, given out of line order
        {longNumbers, 0, false, {}, {2, 5, 7, 6, 3, 1, 4, 0}},  {longNumbers, 0, true, {}, {0, 4, 1, 3, 6, 7, 5, 2}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.table.Sorted(c.field, c.descending, c.given), c.sorted)
            << &c - cases << (c.descending ? " descending" : "");
    }
}

// Random columns, long numbers among them, against a plain stable sort by CompareSortFields.
TEST(SortRows, MatchesAStableSortOnRandomColumns)
{
    std::mt19937 rng(14);
    const std::u16string pieces[] = {u"",
                                     u"1",
                                     u"-2",
                                     u"10",
                                     u"2.5",
                                     u"a",
                                     u"B",
                                     u"b",
                                     u"１",
                                     u"\"1,000\"",
                                     u"x y",
                                     u"12345678901234567890",
                                     u"12345678901234567891",
                                     u"-1" + std::u16string(30, u'0'),
                                     u"1e5"};
    std::vector<std::u16string> lines;
    for (int i = 0; i < 2000; ++i) lines.push_back(pieces[rng() % std::size(pieces)] + u",z");
    const Table t(lines);
    for (const bool descending : {false, true}) {
        std::vector<uint32_t> expected(lines.size());
        std::iota(expected.begin(), expected.end(), 0u);
        std::stable_sort(expected.begin(), expected.end(), [&](uint32_t a, uint32_t b) {
            return CompareSortFields(t.rows.Field(static_cast<int>(a), 0), t.rows.Field(static_cast<int>(b), 0),
                                     descending, &AppendFoldedKey) < 0;
        });
        for (const size_t maxRanked : {size_t{65'536}, size_t{3}}) {  // texts ranked, or compared
            std::vector<uint32_t> sorted(lines.size());
            std::iota(sorted.begin(), sorted.end(), 0u);
            SortRowsByField(sorted, t.rows, 0, descending, &AppendFoldedKey, maxRanked);
            EXPECT_EQ(sorted, expected) << descending << ' ' << maxRanked;
        }
    }
    // Keys past their limit stop the sort as running out of memory does, every row still there once.
    std::vector<uint32_t> rows(lines.size()), all(lines.size());
    std::iota(all.begin(), all.end(), 0u);
    rows = all;
    EXPECT_THROW(SortRowsByField(rows, t.rows, 0, false, &AppendFoldedKey, 65'536, 50'000), std::bad_alloc);
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, all);
}

// Past a few ten thousand keys the sort partitions in steps, over more than one block of keys: the
// same stable order, a stop in any of its three walks leaves the rows given (any subset, any
// order) in model order, and the walk's end is reported last.
TEST(SortRows, LargeSortsKeepTheOrderAndStopInEveryWalk)
{
    std::mt19937 rng(7);
    const std::u16string pieces[] = {u"cat", u"Dog", u"7", u"-3.5", u"", u"12345678901234567890", u"ｂｉｒｄ"};
    std::vector<std::u16string> lines;
    for (int i = 0; i < 67'000; ++i)
        lines.push_back(pieces[rng() % std::size(pieces)] + u"," + std::u16string(1, u'a' + rng() % 26));
    const Table t(lines);
    std::vector<uint32_t> subset;
    for (uint32_t r = 0; r < lines.size(); r += 2) subset.push_back(r);
    std::vector<uint32_t> shuffled = subset;
    std::shuffle(shuffled.begin(), shuffled.end(), rng);
    for (const int field : {0, 1}) {
        for (const bool descending : {false, true}) {
            std::vector<uint32_t> expected = subset;
            std::stable_sort(expected.begin(), expected.end(), [&](uint32_t a, uint32_t b) {
                return CompareSortFields(t.rows.Field(static_cast<int>(a), field),
                                         t.rows.Field(static_cast<int>(b), field), descending, &AppendFoldedKey) < 0;
            });
            for (const size_t maxRanked : {size_t{65'536}, size_t{3}}) {
                std::vector<uint32_t> sorted = shuffled;
                int64_t last = -1, end = 0;
                ASSERT_TRUE(SortRowsByField(sorted, t.rows, field, descending, &AppendFoldedKey, maxRanked, 0,
                                            [&](int64_t done, int64_t total) {
                                                EXPECT_TRUE(done >= last && done <= total) << done;
                                                last = done;
                                                end = total;
                                                return true;
                                            }));
                EXPECT_EQ(sorted, expected) << field << descending << maxRanked;
                EXPECT_EQ(last, end);
            }
        }
    }
    // Every row: more keys than one block holds. Sorted and stable, pair by pair.
    std::vector<uint32_t> all(lines.size());
    std::iota(all.begin(), all.end(), 0u);
    std::shuffle(all.begin(), all.end(), rng);
    ASSERT_TRUE(SortRowsByField(all, t.rows, 0, false, &AppendFoldedKey, 65'536, 0, [](int64_t, int64_t) { return true; }));
    std::vector<uint32_t> seen = all;
    std::sort(seen.begin(), seen.end());
    EXPECT_TRUE(seen.size() == lines.size() && seen.front() == 0 && seen.back() == lines.size() - 1 &&
                std::adjacent_find(seen.begin(), seen.end()) == seen.end());
    for (size_t i = 1; i < all.size(); ++i) {
        const int c = CompareSortFields(t.rows.Field(static_cast<int>(all[i - 1]), 0),
                                        t.rows.Field(static_cast<int>(all[i]), 0), false, &AppendFoldedKey);
        ASSERT_TRUE(c < 0 || (c == 0 && all[i - 1] < all[i])) << i;
    }
    const auto n = static_cast<int64_t>(subset.size());
    for (const int64_t stopAt : {n / 2, n + n / 2, 2 * n + n / 2}) {
        std::vector<uint32_t> rows = shuffled;
        EXPECT_FALSE(SortRowsByField(rows, t.rows, 0, false, &AppendFoldedKey, 65'536, 0,
                                     [&](int64_t done, int64_t) { return done < stopAt; }));
        EXPECT_EQ(rows, subset) << stopAt;
    }
}

TEST(RowOrder, MapsBothWaysAndHidesFilteredRows)
{
    RowOrder order;
    EXPECT_TRUE(order.Identity());
    EXPECT_EQ(order.ModelRow(7), 7);
    EXPECT_EQ(order.ViewRow(7), 7);
    order.Assign({4, 0, 2}, 5);
    EXPECT_EQ(order.Count(5), 3);
    const int model[] = {4, 0, 2, -1, -1};
    for (int v = -1; v < 4; ++v) EXPECT_EQ(order.ModelRow(v), v < 0 ? -1 : model[v]) << v;
    const int view[] = {1, -1, 2, -1, 0};
    for (int m = 0; m < 5; ++m) EXPECT_EQ(order.ViewRow(m), view[m]) << m;
    EXPECT_EQ(order.ViewRow(5), -1);
    // A new order replaces the lazily built inverse.
    order.Assign({1, 4}, 5);
    EXPECT_EQ(order.ViewRow(4), 1);
    EXPECT_EQ(order.ViewRow(0), -1);
    order.Reset();
    EXPECT_EQ(order.Count(5), 5);
}

TEST(RowOrder, SearchAndFilterWalkTheRowsShown)
{
    const Table t({u"cat,1", u"dog,2", u"CAT,3", u"bird,4", u"", u"cat,5"});
    const TermMatcher matcher(u"cat", &DefaultUpper);
    std::vector<uint32_t> shown = MatchingRows(t.rows, matcher);
    EXPECT_EQ(shown, (std::vector<uint32_t>{0, 2, 5}));
    SortRowsByField(shown, t.rows, 1, true, &AppendFoldedKey);  // 5, 2, 0
    RowOrder order;
    order.Assign(shown, t.rows.RowCount());
    SearchResult hit = SearchForward(t.rows, order, 0, 0, matcher);
    ASSERT_TRUE(hit.found);
    EXPECT_EQ(order.ModelRow(hit.row), 2);  // the next row shown, not the next line
    hit = SearchBackward(t.rows, order, 2, 0, matcher);
    ASSERT_TRUE(hit.found);
    EXPECT_EQ(order.ModelRow(hit.row), 2);
    EXPECT_FALSE(SearchForward(t.rows, order, 3, -1, matcher).found);  // past the rows shown
}

// The filter skips rows by their line; it must keep exactly the rows a field-by-field look keeps:
// quotes the splitter removes, fields past the shown 96, kana and full-width letters.
TEST(RowOrder, FilterKeepsTheRowsWhoseFieldsHoldTheTerm)
{
    std::u16string wide;
    for (int i = 0; i < 97; ++i) wide += u"f,";
    wide += u"山田 late";
    const std::vector<std::u16string> lines = {
        u"\"ca\"\"t\",1", u"山田太郎,2", u"やまだ,Ｙａｍａｄａ", wide, u"yamada,ｃａｔ", u"Ａ山,\"a,b\"", u""};
    const std::u16string terms[] = {u"a\"t", u"CA", u"山田", u"ｙａｍａ", u"ａ山", u"LATE", u"a,b", u"だ"};
    for (const Splitter splitter : {Splitter::Auto, Splitter::QuoteAware}) {
        const Table t(lines, splitter);
        for (const auto& term : terms) {
            const TermMatcher matcher(term, &DefaultUpper);
            std::vector<uint32_t> expected;
            for (int r = 0; r < t.rows.RowCount(); ++r) {
                bool hit = false;
                for (int c = 0; c < t.rows.FieldCount(r); ++c) hit = hit || matcher.Matches(t.rows.Field(r, c));
                if (hit) expected.push_back(static_cast<uint32_t>(r));
            }
            EXPECT_EQ(MatchingRows(t.rows, matcher), expected)
                << std::string(term.begin(), term.end()) << ' ' << static_cast<int>(splitter);
        }
    }
}

}  // namespace
