#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

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
    for (size_t i = 0; i < store.size(); ++i) rows.AppendRow(static_cast<int32_t>(i), store.Line(i), Splitter::Auto);

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

// Line i of a store test: `length` units that differ from line to line.
std::u16string TestLine(size_t i, size_t length)
{
    std::u16string line(length, static_cast<char16_t>(u'a' + i % 26));
    if (length > 0) line.back() = static_cast<char16_t>(u'0' + i % 10);
    return line;
}

TEST(LineStore, KeepsEveryLineAcrossBlockEdges)
{
    constexpr size_t kBlock = size_t{1} << 20;  // the store's block size in units
    const std::vector<std::vector<size_t>> cases = {
        {kBlock, 0, 1},                      // a block filled exactly
        {kBlock - 1, 1, 0, 2},               // the last unit of a block, then a new one
        {kBlock - 1, 2, 0, 0, 5},            // a line that does not fit opens a block; empty lines after it
        {0, 0, 3, 0},                        // empty lines before any block
        {10, 3 * kBlock + 5, 7, 0, kBlock},  // a line larger than a block
    };
    // Copied in, or written by a reader into room one unit larger than the line, as a fill does.
    for (const bool written : {false, true}) {
        for (const auto& lengths : cases) {
            LineStore store;
            for (size_t i = 0; i < lengths.size(); ++i) {
                const std::u16string line = TestLine(i, lengths[i]);
                if (!written) {
                    store.Append(line);
                    continue;
                }
                char16_t* room = store.AppendRoom(line.size() + 1);
                std::copy(line.begin(), line.end(), room);
                room[line.size()] = u'\0';
                store.AppendWritten(line.size());
            }
            ASSERT_EQ(store.size(), lengths.size());
            for (size_t i = 0; i < lengths.size(); ++i) EXPECT_TRUE(store.Line(i) == TestLine(i, lengths[i])) << i;
        }
    }
}

TEST(LineStore, StopsAtItsAllocationLimitKeepingItsLines)
{
    const struct {
        size_t limit;
        size_t lines, length;
        bool allFit;
    } cases[] = {
        {0, 3000, 1000, true},           // no limit
        {8u << 20, 3000, 1000, true},    // 6 MB of text under 8 MB
        {1u << 20, 10, 100, false},      // not even the first block
        {5u << 20, 3000, 1000, false},   // the third block would pass it
        {5u << 20, 1, 3u << 20, false},  // one line larger than the limit
    };
    for (const auto& c : cases) {
        LineStore store;
        store.SetAllocationLimit(c.limit);
        size_t appended = 0;
        try {
            for (; appended < c.lines; ++appended) store.Append(TestLine(appended, c.length));
        } catch (const std::bad_alloc&) {
        }
        EXPECT_EQ(appended == c.lines, c.allFit) << c.limit;
        if (c.limit != 0) {
            EXPECT_LE(store.MemoryBytes(), c.limit);
        }
        ASSERT_EQ(store.size(), appended);
        for (size_t i = 0; i < appended; ++i) ASSERT_TRUE(store.Line(i) == TestLine(i, c.length)) << i;
        if (c.limit != 0) {
            EXPECT_THROW(store.Reserve(c.limit, 0), std::bad_alloc);
        }
        EXPECT_EQ(store.size(), appended);
        // Clear gives the memory back: the same lines fit again.
        store.Clear();
        EXPECT_EQ(store.MemoryBytes(), 0u);
        for (size_t i = 0; i < appended; ++i) store.Append(TestLine(i, c.length));
        EXPECT_EQ(store.size(), appended);
    }
}

TEST(RowModel, RowsOfAStoreCostLittleMoreThanTheirText)
{
    // The benchmark's kind of line; every row asked for its fields, as a search does.
    constexpr int kLines = 100'000;
    const std::u16string line =
        u"2024-01-01,東京都新宿区,12345,\"x,\"\"y\"\"\",0.5,ZZZZZZZZ,1,2,3,qwertyuiopasdf,カタカナ,end-of-line";
    LineStore store;
    store.Reserve(kLines, 0);
    for (int i = 0; i < kLines; ++i) store.Append(line);
    RowModel rows;
    rows.ShowLines(store, 7, Splitter::QuoteAware);
    for (int i = 0; i < kLines; ++i) rows.AppendLineRow();
    ASSERT_EQ(rows.RowCount(), kLines);
    for (int r = 0; r < kLines; ++r) ASSERT_EQ(rows.Field(r, 3), u"x,\"y\"");
    EXPECT_EQ(rows.LineNumber(kLines - 1), kLines + 6);
    EXPECT_EQ(rows.TotalFieldCount(kLines - 1), 12u);
    const size_t documentBytes = size_t{kLines} * line.size() * sizeof(char16_t);
    EXPECT_LE(store.MemoryBytes() + rows.MemoryBytes(), documentBytes * 5 / 4);
    EXPECT_THROW(rows.AppendLineRow(), std::logic_error);  // no line left
}

TEST(RowModel, RowsSharingACacheEntryKeepTheirOwnFields)
{
    const std::u16string quoted = u"\"a\"\"b\",c";  // "a""b",c: changed text in the side buffer
    const std::u16string plain = u"x,y,z,w";
    RowModel rows;
    for (int i = 0; i <= RowModel::kCachedRows; ++i)
        rows.AppendRow(i, i == 0 ? quoted : plain, i == 0 ? Splitter::QuoteAware : Splitter::Auto);
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(rows.Field(0, 0), u"a\"b");
        EXPECT_EQ(rows.TotalFieldCount(RowModel::kCachedRows), 4u);
        EXPECT_EQ(rows.Field(RowModel::kCachedRows, 3), u"w");
        EXPECT_EQ(rows.FieldCount(0), 2);
        EXPECT_EQ(rows.Field(0, 1), u"c");
    }
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
    const auto best = tovo::MaxFieldWidths(rows, tovo::RowOrder{}, widths);
    EXPECT_EQ(best[0], 21);
    EXPECT_EQ(best[1], 18);
    EXPECT_EQ(best[2], 16);
    EXPECT_EQ(best[95], 0);  // "f96": no width for f or digits in this table

    // A filter that hides the widest cells: only the rows shown count.
    tovo::RowOrder shown;
    shown.Assign({0}, rows.RowCount());
    const auto filtered = tovo::MaxFieldWidths(rows, shown, widths);
    EXPECT_EQ(filtered[0], 7);
    EXPECT_EQ(filtered[1], 18);

    widths.Set(u'x', INT32_MAX);
    EXPECT_EQ(tovo::MeasureText(widths, u"xx"), INT32_MAX);
}

}  // namespace
