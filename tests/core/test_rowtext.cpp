#include <gtest/gtest.h>

#include <string>

#include "core/LineStore.h"
#include "core/RowModel.h"
#include "core/RowText.h"
#include "tests/core/FieldLines.h"

using tovo::CharWidthTable;
using tovo::RowModel;
using tovo::Splitter;
using tovo::TipLimits;

namespace {

// Every unit 10 pixels wide, "W" 30 and the low surrogates 0, as a font might measure them.
CharWidthTable TenPixels()
{
    CharWidthTable widths;
    for (int c = 0; c < 65536; ++c) widths.Set(static_cast<char16_t>(c), 10);
    widths.Set(u'W', 30);
    for (int c = 0xDC00; c <= 0xDFFF; ++c) widths.Set(static_cast<char16_t>(c), 0);
    return widths;
}

TEST(RowCopyText, JoinsTheShownFieldsWithTabs)
{
    const struct {
        const char* what;
        std::u16string line;
        Splitter splitter;
        std::u16string copied;
    } cases[] = {
        {"plain fields", u"a,b,c", Splitter::Auto, u"a\tb\tc"},
        {"empty fields kept in place", u"a,,c,", Splitter::Auto, u"a\t\tc\t"},
        {"an empty line has no fields", u"", Splitter::Auto, u""},
        {"fields as shown, quotes removed", u"\"x,y\",z", Splitter::QuoteAware, u"x,y\tz"},
        {"a quote inside a field stays bare", u"say \"hi\",z", Splitter::QuoteAware, u"say \"hi\"\tz"},
        {"a field starting with a quote is quoted", u"\"\"\"q\"\"\",z", Splitter::QuoteAware, u"\"\"\"q\"\"\"\tz"},
        {"a tab inside a field is quoted", u"\"p\tq\",r", Splitter::QuoteAware, u"\"p\tq\"\tr"},
        {"only the 96 shown fields", NumberedFields(100), Splitter::Auto, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RowModel rows;
        rows.AppendRow(0, c.line, c.splitter);
        std::u16string expected = c.copied;
        if (expected.empty() && !c.line.empty()) {
            for (int i = 1; i <= 96; ++i) expected += (i > 1 ? u"\t" : u"") + (u"f" + tovo::DecimalText(i, 0));
        }
        EXPECT_EQ(tovo::RowCopyText(rows, 0), expected);
    }
    RowModel rows;
    rows.AppendRow(0, u"a", Splitter::Auto);
    EXPECT_EQ(tovo::RowCopyText(rows, 1), u"");
    EXPECT_EQ(tovo::RowCopyText(rows, -1), u"");
}

TEST(CellTextCut, ComparesTheMeasuredTextAndPaddingWithTheColumn)
{
    const CharWidthTable widths = TenPixels();
    const struct {
        std::u16string text;
        int column;
        size_t drawn;
        bool cut;
    } cases[] = {
        {u"abcd", 52, 259, false},  // 40 + 12 fits exactly
        {u"abcd", 51, 259, true},  {u"", 0, 259, false},     {u"W", 42, 259, false},
        {u"W", 41, 259, true},     {u"abcd", 1000, 3, true},  // more than the list draws, however wide the column
        {u"abc", 1000, 3, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tovo::CellTextCut(widths, c.text, c.column, 12, c.drawn), c.cut)
            << std::string(c.text.begin(), c.text.end()) << " in " << c.column;
    }
}

TEST(WrapTipText, BreaksByWidthAndCapsTheText)
{
    const CharWidthTable widths = TenPixels();
    const struct {
        const char* what;
        std::u16string text;
        TipLimits limits;
        std::u16string wrapped;
    } cases[] = {
        {"fits on one line", u"abcde", {50, 3, 100}, u"abcde"},
        {"wraps by width", u"abcdefghijk", {50, 3, 100}, u"abcde\r\nfghij\r\nk"},
        {"capped with an ellipsis", u"abcdefghijklmnop", {50, 3, 100}, u"abcde\r\nfghij\r\nklmno…"},
        {"exactly full has no ellipsis", u"abcdefghij", {50, 2, 100}, u"abcde\r\nfghij"},
        {"wide characters", u"WWab", {50, 3, 100}, u"W\r\nWab"},
        {"one character wider than a line still shows", u"Wa", {20, 3, 100}, u"W\r\na"},
        {"breaks after a space in the second half", u"abc defgh", {60, 3, 100}, u"abc \r\ndefgh"},
        {"not after a space early in the line", u"a bcdefgh", {60, 3, 100}, u"a bcde\r\nfgh"},
        {"units per line cap zero-width text",
         std::u16string(10, u'\xDC00'),
         {50, 2, 4},
         std::u16string(4, u'\xDC00') + u"\r\n" + std::u16string(4, u'\xDC00') + u"…"},
        {"a surrogate pair stays on one line", u"abcd\xD83D\xDE00x", {50, 3, 100}, u"abcd\xD83D\xDE00\r\nx"},
        {"control characters become spaces", u"a\tb\rc\n", {100, 3, 100}, u"a b c "},
        {"empty", u"", {50, 3, 100}, u""},
        {"capped in all units", u"abcdefghij", {50, 5, 100, 7}, u"abcde\r\nfg…"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(tovo::WrapTipText(c.text, widths, c.limits), c.wrapped);
    }
}

TEST(CellTipText, HugeCaptionAndTextStayWithinWhatATooltipKeeps)
{
    // Zero-width units make every line as long in units as it may be.
    CharWidthTable widths = TenPixels();
    widths.Set(u'x', 0);
    const std::u16string huge(10'000'000, u'x');
    const std::u16string tip = tovo::CellTipText(huge, huge, true, 4'000'000'000u, widths, TipLimits{});
    EXPECT_LE(tip.size(), 1023u);
    EXPECT_NE(tip.find(u"…\r\n+3999999904 "), std::u16string::npos);
}

TEST(CellTipText, CaptionTextAndHiddenFields)
{
    const CharWidthTable widths = TenPixels();
    const TipLimits limits{100, 3, 100};
    const struct {
        const char* what;
        std::u16string caption, text;
        bool cut;
        uint32_t total;
        std::u16string tip;
    } cases[] = {
        {"a cell that fits has none", u"01", u"abc", false, 3, u""},
        {"96 fields hide none", u"01", u"abc", false, 96, u""},
        {"cut text under its caption", u"05 name", u"long text", true, 5, u"05 name\r\nlong text"},
        {"hidden fields on a fitting cell", u"01", u"abc", false, 100, u"+4 フィールドは表示されていません"},
        {"both", u"02", u"xyz", true, 97, u"02\r\nxyz\r\n+1 フィールドは表示されていません"},
        {"a long caption keeps one line", u"01 abcdefghijklmn", u"t", true, 1, u"01 abcdefg…\r\nt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(tovo::CellTipText(c.caption, c.text, c.cut, c.total, widths, limits), c.tip);
    }
    EXPECT_EQ(tovo::HiddenFieldsText(4000000000u), u"+3999999904 フィールドは表示されていません");
}

}  // namespace
