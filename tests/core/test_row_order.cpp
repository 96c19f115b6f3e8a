#include <gtest/gtest.h>

#include <numeric>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/LineStore.h"
#include "core/RowModel.h"
#include "core/RowOrder.h"
#include "core/Search.h"

using namespace tovo;

namespace {

// Case-folded UTF-16 units, high byte first: byte order is then the folded text's order.
void FoldedKey(std::u16string_view text, std::string& out)
{
    for (char16_t c : DefaultUpper(text)) {
        out.push_back(static_cast<char>(c >> 8));
        out.push_back(static_cast<char>(c & 0xFF));
    }
}

struct Table {
    LineStore store;
    RowModel rows;
    explicit Table(const std::vector<std::u16string>& lines)
    {
        for (const auto& line : lines) store.Append(line);
        for (size_t i = 0; i < lines.size(); ++i) rows.AppendRow(static_cast<int32_t>(i), store.Line(i), Splitter::Auto);
    }
    std::vector<uint32_t> Sorted(int field, bool descending) const
    {
        std::vector<uint32_t> order(static_cast<size_t>(rows.RowCount()));
        std::iota(order.begin(), order.end(), 0u);
        SortRowsByField(order, rows, field, descending, &FoldedKey);
        return order;
    }
};

TEST(SortNumber, WhatReadsAsANumber)
{
    const struct {
        std::u16string text;
        std::optional<double> value;
    } cases[] = {
        {u"42", 42},         {u"-3.5", -3.5},   {u"+7", 7},           {u" 12 ", 12},
        {u"1,234,567", 1234567}, {u"12,345.25", 12345.25}, {u"．５", 0.5},
        {u"１２３", 123},   {u"－１，０００", -1000}, {u"1.", 1},
        {u"1,23", std::nullopt}, {u"1234,567", std::nullopt}, {u",123", std::nullopt},
        {u"1.2.3", std::nullopt}, {u"1.2,3", std::nullopt}, {u"-", std::nullopt}, {u"", std::nullopt},
        {u"12a", std::nullopt},   {u"+-1", std::nullopt},    {u"1e5", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        EXPECT_EQ(ParseSortNumber(c.text), c.value);
    }
}

TEST(SortRows, NumbersBeforeTextEmptiesLastTiesInLineOrder)
{
    //                          0       1       2        3      4      5         6     7
    const Table t({u"b,x", u"10,x", u"", u"apple,x", u"9,x", u"B,x", u"\"1,000\",x", u"ａ"});
    // "b" and "B" tie without regard to case and keep line order in both directions; the empty
    // line stays last.
    EXPECT_EQ(t.Sorted(0, false), (std::vector<uint32_t>{4, 1, 6, 3, 0, 5, 7, 2}));
    EXPECT_EQ(t.Sorted(0, true), (std::vector<uint32_t>{7, 0, 5, 3, 6, 1, 4, 2}));
    // A column most rows lack: all tie as empty, so line order.
    EXPECT_EQ(t.Sorted(5, false), (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST(SortRows, LongNumbersCompareByEveryDigit)
{
    // Beyond 2^53 neighbours round to one double; they must still sort by value.
    const Table t({u"12345678901234567891", u"12345678901234567890", u"-99999999999999999999", u"5",
                   u"12345678901234567890.5", u"-0099999999999999999998"});
    EXPECT_EQ(t.Sorted(0, false), (std::vector<uint32_t>{2, 5, 3, 1, 4, 0}));
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
    SortRowsByField(shown, t.rows, 1, true, &FoldedKey);  // 5, 2, 0
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

// Random columns against a plain stable sort on the same rule.
TEST(SortRows, MatchesAStableSortOnRandomColumns)
{
    std::mt19937 rng(14);
    const std::u16string pieces[] = {u"", u"1", u"-2", u"10", u"2.5", u"a", u"B", u"b", u"１", u"1,000", u"x y"};
    std::vector<std::u16string> lines;
    for (int i = 0; i < 500; ++i) lines.push_back(pieces[rng() % std::size(pieces)] + u",z");
    const Table t(lines);
    for (bool descending : {false, true}) {
        std::vector<uint32_t> expected(lines.size());
        std::iota(expected.begin(), expected.end(), 0u);
        auto rank = [&](uint32_t r) {
            const std::u16string_view f = t.rows.Field(static_cast<int>(r), 0);
            std::string key;
            if (!f.empty() && !ParseSortNumber(f)) FoldedKey(f, key);
            return std::tuple(f.empty() ? 2 : ParseSortNumber(f) ? 0 : 1, ParseSortNumber(f).value_or(0), key);
        };
        std::stable_sort(expected.begin(), expected.end(), [&](uint32_t a, uint32_t b) {
            const auto ka = rank(a), kb = rank(b);
            if ((std::get<0>(ka) == 2) != (std::get<0>(kb) == 2)) return std::get<0>(kb) == 2;
            return descending ? kb < ka : ka < kb;
        });
        EXPECT_EQ(t.Sorted(0, descending), expected) << descending;
    }
}

}  // namespace
