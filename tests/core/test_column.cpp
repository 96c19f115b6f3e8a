#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/ColumnFilter.h"
#include "core/ColumnValues.h"
#include "core/DecimalSum.h"
#include "core/RowModel.h"
#include "core/RowOrder.h"
#include "core/TextCounts.h"

using namespace tovo;

namespace {

TEST(DecimalSum, AddsExactlyAndRoundsTheMeanTo15Digits)
{
    struct Case {
        std::vector<std::u16string> fields;
        int64_t count;
        std::u16string sum, mean;
    };
    const Case cases[] = {
        {{u"1", u"2", u"3"}, 3, u"6", u"2"},
        {{u"１,２３４", u" 1，000 ", u"－0.5"}, 3, u"2233.5", u"744.5"},  // full-width, grouping commas
        {{u"abc", u"", u"1,23", u"0012", u"1.", u".5"}, 3, u"13.5", u"4.5"},  // text is not added
        {{u"-0", u"+0.00"}, 2, u"0", u"0"},
        {{u"-1.5", u"0.25"}, 2, u"-1.25", u"-0.625"},
        {{u"1", u"0", u"0"}, 3, u"1", u"0.333333333333333"},
        {{u"2", u"0", u"0"}, 3, u"2", u"0.666666666666667"},
        // Past a double's 17 digits; the mean rounds below and, carried through nines, above.
        {{u"12345678901234567890.1", u"0.0000000001", u"-1"}, 3, u"12345678901234567889.1000000001",
         u"4115226300411520000"},
        {{u"19.99999999999999999", u"20"}, 2, u"39.99999999999999999", u"20"},
        {{u"0.000001", u"0.000002"}, 2, u"0.000003", u"0.0000015"},
        {{}, 0, u"0", u""},
    };
    for (const Case& c : cases) {
        DecimalSum sum;
        for (const auto& f : c.fields) sum.Add(f);
        EXPECT_EQ(sum.Count(), c.count) << c.fields.size();
        EXPECT_EQ(sum.SumText(), c.sum) << c.fields.size();
        EXPECT_EQ(sum.MeanText(), c.mean) << c.fields.size();
    }
}

TEST(TextCounts, KeepsEveryTextAndItsCountAcrossGrowth)
{
    TextCounts counts;  // past several growths of the table, a text longer than a block among them
    const std::u16string huge(1 << 21, u'x');
    for (int round = 1; round <= 3; ++round) {
        for (int i = 0; i < 5000; i += round) counts.Add(DecimalText(i, 1));
        counts.Add(huge);
    }
    ASSERT_EQ(counts.size(), 5001u);
    EXPECT_TRUE(counts.Text(4999) == u"4999" && counts.Count(0) == 3 && counts.Count(1) == 1 && counts.Count(2) == 2);
    EXPECT_TRUE(counts.Text(5000) == huge && counts.Count(5000) == 3 && counts.Contains(u"17") && !counts.Contains(u"5000"));
}

TEST(ColumnCondition, TellsWhichFieldsMeetIt)
{
    const auto text = [](TextMatch how, std::u16string_view term) {
        return *ColumnCondition::Text(how, term, &DefaultUpper);
    };
    struct Case {
        ColumnCondition condition;
        std::vector<std::u16string> meet, fail;
    };
    const Case cases[] = {
        {*ColumnCondition::Range(u"10", u"1,000"), {u"10", u" 500 ", u"1,000", u"１０００", u"999.999"},
         {u"９．５", u"1000.0001", u"abc", u"", u"1,00", u"-10"}},
        {*ColumnCondition::Range(u"12345678901234567", u""), {u"12345678901234567", u"12345678901234567.0000001"},
         {u"12345678901234566.9999999"}},
        {*ColumnCondition::Range(u"0", u"0"), {u"-0", u"0.000", u"＋0"}, {u"0.0000000000000000001", u"  "}},
        {*ColumnCondition::Range(u"", u""), {u"-.5", u"1."}, {u".", u"-", u"1 2"}},
        {text(TextMatch::Contains, u"ab"), {u"xABy", u"ab"}, {u"", u"a b"}},
        {text(TextMatch::Equals, u"ab"), {u"AB", u"aB"}, {u"abc", u"xab", u""}},
        {text(TextMatch::Equals, u"ｓｍｉｔｈ"), {u"ＳＭＩＴＨ"}, {u"SMITH", u"ＳＭＩＴＨＳ"}},
        {text(TextMatch::BeginsWith, u"ab"), {u"Abc", u"ab"}, {u"cab", u"a"}},
        {text(TextMatch::BeginsWith, u"山田"), {u"山田太郎"}, {u"小山田"}},
        {text(TextMatch::Pattern, u"^a\\d+$"), {u"A12", u"a0"}, {u"a", u"xa1", u"a1 "}},
        {ColumnCondition::Empty(), {u"", u"  ", u"　"}, {u"a", u" ,"}},
        {ColumnCondition::NotEmpty(), {u"a", u"0"}, {u"", u" "}},
        {ColumnCondition::Values({u"a", u"B", u""}), {u"a", u"B", u"", u"  "}, {u"A", u"b", u"c", u"a "}},
    };
    for (const Case& c : cases) {
        for (const auto& f : c.meet) EXPECT_TRUE(c.condition.Meets(f)) << &c - cases << ' ' << f.size();
        for (const auto& f : c.fail) EXPECT_FALSE(c.condition.Meets(f)) << &c - cases << ' ' << f.size();
    }
    EXPECT_FALSE(ColumnCondition::Range(u"abc", u""));
    EXPECT_FALSE(ColumnCondition::Range(u"", u"1,2"));
    EXPECT_FALSE(ColumnCondition::Text(TextMatch::Equals, u"", &DefaultUpper));
    EXPECT_FALSE(ColumnCondition::Text(TextMatch::Pattern, u"a(", &DefaultUpper));
    // Shown again, a pattern must not read as a plain "contains" of its text.
    EXPECT_EQ(text(TextMatch::Pattern, u"a.c").How(), TextMatch::Pattern);
}

TEST(ColumnValues, CountsTheRowsShownMostFrequentFirst)
{
    LineStore store;
    for (const char16_t* line : {u"b,1", u"a,x", u"b,", u"c,2.5", u"a,１０", u"b, ", u"d,-3", u"a"})
        store.Append(line);
    RowModel model;
    model.ShowLines(store, 0, Splitter::Auto);
    for (size_t i = 0; i < store.size(); ++i) model.AppendLineRow();

    const ColumnValues first = *CountColumn(model, RowOrder{}, 0);
    ASSERT_EQ(first.DistinctCount(), 4u);  // a and b three times, a came first; then c, d
    EXPECT_TRUE(first.Text(0) == u"b" && first.Count(0) == 3 && first.Text(1) == u"a" && first.Text(3) == u"d");
    EXPECT_EQ(ShareText(first.Count(0), first.Rows()), u"37.5%");
    const ColumnValues::Listed listed = first.List(u"B", &DefaultUpper, 10);
    EXPECT_TRUE(listed.ranks == std::vector<uint32_t>{0} && listed.leftOut == 0);
    const ColumnValues::Listed capped = first.List(u"", &DefaultUpper, 3);
    EXPECT_TRUE(capped.ranks.size() == 3 && capped.leftOut == 1);

    RowOrder order;  // rows shown in another order, some hidden: counted in line order all the same
    order.Assign({6, 4, 0, 3}, 8);
    const ColumnValues second = *CountColumn(model, order, 1);
    EXPECT_TRUE(second.Rows() == 4 && second.EmptyFields() == 0 && second.DistinctCount() == 4);
    EXPECT_EQ(second.Text(0), u"1");
    const NumberSummary& n = second.Numbers();
    EXPECT_TRUE(n.count == 4 && n.least == u"-3" && n.greatest == u"１０" && n.sum == u"10.5" && n.mean == u"2.625");

    const ColumnValues all = *CountColumn(model, RowOrder{}, 1);
    EXPECT_TRUE(all.EmptyFields() == 3 && all.Numbers().count == 4 && all.DistinctCount() == 5);
    for (const int field : {5, 96}) {  // reached by no line, or not a column: only empty fields
        const ColumnValues none = *CountColumn(model, RowOrder{}, field);
        EXPECT_TRUE(none.Rows() == 8 && none.EmptyFields() == 8 && none.DistinctCount() == 0);
        EXPECT_TRUE(none.Numbers().count == 0 && none.Numbers().sum.empty());
    }
    int calls = 0;
    EXPECT_FALSE(CountColumn(model, RowOrder{}, 0, [&](int64_t, int64_t) { return ++calls < 1; }));
}

}  // namespace

// Counting pumps through the table's growth and the ranking too: a stop at any report gives no
// values, and the reports past the rows' walk stand at its end (the bar never runs back).
TEST(ColumnValues, StopsAtAnyReportAndNeverReportsBackwards)
{
    LineStore store;
    for (int i = 0; i < 3000; ++i) store.Append(u"v" + std::u16string(1, char16_t(u'a' + i % 26)) + DecimalText(i, 1));
    RowModel model;
    model.ShowLines(store, 0, Splitter::Auto);
    for (size_t i = 0; i < store.size(); ++i) model.AppendLineRow();
    int reports = 0;
    int64_t last = -1;
    ASSERT_TRUE(CountColumn(model, RowOrder{}, 0, [&](int64_t done, int64_t total) {
        EXPECT_TRUE(done >= last && done <= total && total == 3000) << done;
        last = done;
        return ++reports > 0;
    }));
    ASSERT_GT(reports, 3000 / 64);
    // Only the one report says stop: a walk that went on past it would finish the count.
    for (int stopAt = 1; stopAt <= reports; ++stopAt) {
        int calls = 0;
        EXPECT_FALSE(CountColumn(model, RowOrder{}, 0, [&](int64_t, int64_t) { return ++calls != stopAt; })) << stopAt;
    }
}
