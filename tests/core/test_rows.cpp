#include <gtest/gtest.h>

#include <string>

#include "core/ColumnFit.h"
#include "core/LineStore.h"
#include "core/RowModel.h"
#include "tests/core/FieldLines.h"

using tovo::LineStore;
using tovo::RowModel;
using tovo::Splitter;

namespace {


TEST(RowModel, CaptionsArePaddedToFiveDigits)
{
    const struct {
        int32_t line0;
        std::u16string caption;
    } cases[] = {{0, u"00001"}, {119, u"00120"}, {99998, u"99999"}, {99999, u"100000"}, {2147483646, u"2147483647"}};
    RowModel rows;
    for (const auto& c : cases) rows.AppendRow(c.line0, u"", Splitter::Auto);
    for (int r = 0; r < rows.RowCount(); ++r) {
        EXPECT_EQ(rows.Caption(r), cases[r].caption);
        char16_t buffer[tovo::kDecimalBufferSize];
        const int len = RowModel::FormatCaption(cases[r].line0 + 1, buffer);
        EXPECT_EQ(std::u16string(buffer, static_cast<size_t>(len)), cases[r].caption);
        EXPECT_EQ(buffer[len], u'\0');
    }
    // The row after INT32_MAX - 1 must not overflow while formatting.
    rows.AppendRow(INT32_MAX, u"", Splitter::Auto);
    EXPECT_EQ(rows.Caption(rows.RowCount() - 1), u"2147483648");
}

TEST(RowModel, ShowsFirst96FieldsAndCountsTheRest)
{
    LineStore store;
    store.Append(NumberedFields(100));
    store.Append(u"");
    store.Append(u"a,b,c");
    RowModel rows;
    for (size_t i = 0; i < store.size(); ++i)
        rows.AppendRow(static_cast<int32_t>(i), store.Line(i), Splitter::Auto);

    EXPECT_EQ(rows.FieldCount(0), 96);
    EXPECT_EQ(rows.TotalFieldCount(0), 100u);
    EXPECT_EQ(rows.Field(0, 0), u"f1");
    EXPECT_EQ(rows.Field(0, 95), u"f96");
    EXPECT_EQ(rows.Field(0, 96), u"");

    EXPECT_EQ(rows.FieldCount(1), 0);
    EXPECT_EQ(rows.TotalFieldCount(1), 0u);
    for (int c = 0; c < tovo::kShownFields; ++c) EXPECT_TRUE(rows.Field(1, c).empty());
    EXPECT_EQ(rows.Caption(1), u"00002");

    EXPECT_EQ(rows.FieldCount(2), 3);
    EXPECT_EQ(rows.Field(2, 2), u"c");
    EXPECT_EQ(rows.Field(2, 3), u"");
    EXPECT_EQ(rows.Field(2, -1), u"");
}

TEST(RowModel, ChangedTextSurvivesLaterRows)
{
    // Many rows with "" pairs grow the side buffer past several reallocations.
    LineStore store;
    for (int i = 0; i < 2000; ++i) store.Append(u"\"a\"\"" + tovo::DecimalText(i, 0) + u"\",x");
    RowModel rows;
    for (size_t i = 0; i < store.size(); ++i)
        rows.AppendRow(static_cast<int32_t>(i), store.Line(i), Splitter::QuoteAware);
    for (int r : {0, 999, 1999}) {
        EXPECT_EQ(rows.Field(r, 0), u"a\"" + tovo::DecimalText(r, 0));
        EXPECT_EQ(rows.Field(r, 1), u"x");
    }
}

TEST(LineStore, ViewsStayValidWhileAppending)
{
    LineStore store;
    store.Append(u"first");
    const std::u16string_view first = store.Line(0);
    const std::u16string big(3'000'000, u'x');  // forces new blocks
    store.Append(big);
    for (int i = 0; i < 1000; ++i) store.Append(u"line");
    EXPECT_EQ(first, u"first");
    EXPECT_EQ(store.Line(1).size(), big.size());
    EXPECT_EQ(store.Line(1000), u"line");
    EXPECT_EQ(store.size(), 1002u);
    store.Clear();
    EXPECT_EQ(store.size(), 0u);
}

TEST(LineStore, HoldsATenMillionCharacterLine)
{
    std::u16string line(10'000'000, u'a');
    for (size_t i = 1000; i < line.size(); i += 1000) line[i] = u',';
    LineStore store;
    store.Append(line);
    RowModel rows;
    rows.AppendRow(0, store.Line(0), Splitter::Auto);
    EXPECT_EQ(rows.TotalFieldCount(0), 10'000u);
    EXPECT_EQ(rows.FieldCount(0), 96);
    EXPECT_EQ(rows.Field(0, 1).size(), 999u);
    // The quote-aware splitter takes an unmatched quote as one whole field.
    line[0] = u'"';
    rows.AppendRow(1, line, Splitter::QuoteAware);
    EXPECT_EQ(rows.Field(1, 0).size(), line.size());
}

TEST(RowModel, MillionRowsStayUnderThreeTimesTheDocument)
{
    // 12 fields, about 80 units a line: the document as the host holds it.
    constexpr int kLines = 1'000'000;
    const std::u16string line = u"2024-01-01,東京都,12345,abcdefgh,\"x,y\",0.5,ZZZZZZZZ,1,2,3,qwertyuiopasdf,end";
    LineStore store;
    store.Reserve(kLines, size_t{kLines} * line.size());
    for (int i = 0; i < kLines; ++i) store.Append(line);
    RowModel rows;
    rows.Reserve(kLines);
    for (int i = 0; i < kLines; ++i) rows.AppendRow(i, store.Line(static_cast<size_t>(i)), Splitter::Auto);
    EXPECT_EQ(rows.FieldCount(kLines - 1), 13);
    const size_t documentBytes = size_t{kLines} * line.size() * sizeof(char16_t);
    EXPECT_LT(store.MemoryBytes() + rows.MemoryBytes(), 3 * documentBytes);
}

TEST(ColumnFit, WidestCellPerColumn)
{
    tovo::CharWidthTable widths;
    widths.Set(u'a', 7);
    widths.Set(u'b', 9);
    widths.Set(u'日', 16);
    EXPECT_EQ(tovo::MeasureText(widths, u"ab日"), 32);
    EXPECT_EQ(tovo::MeasureText(widths, u""), 0);

    RowModel rows;
    const std::u16string lines[] = {u"a,bb,日", u"", u"aaa,b", NumberedFields(97)};
    for (int i = 0; i < 4; ++i) rows.AppendRow(i, lines[i], Splitter::Auto);
    const auto best = tovo::MaxFieldWidths(rows, widths);
    EXPECT_EQ(best[0], 21);
    EXPECT_EQ(best[1], 18);
    EXPECT_EQ(best[2], 16);
    EXPECT_EQ(best[95], 0);  // "f96": no width for f or digits in this table

    widths.Set(u'x', INT32_MAX);
    EXPECT_EQ(tovo::MeasureText(widths, u"xx"), INT32_MAX);
}

}  // namespace
