#include <gtest/gtest.h>

#include "core/TextFile.h"
#include "tests/Latin1.h"

using namespace tovo;

using tovotest::Latin1Decode;
using tovotest::Latin1Encode;

TEST(TextFile, DecodesEveryMarkAndLineEnd)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::u16string> lines;
    };
    const Case cases[] = {
        {"empty", "", {}},
        {"ansi crlf", "a\r\nb\r\n", {u"a", u"b"}},
        {"ansi lf no final", "a\nb", {u"a", u"b"}},
        {"ansi cr", "a\rb\r", {u"a", u"b"}},
        {"mixed ends and empty lines", "a\r\n\nb\r\r\n", {u"a", u"", u"b", u""}},
        {"only a break", "\r\n", {u""}},
        {"utf8 bom", "\xEF\xBB\xBF\xE6\xA4\x9C\xE7\xB4\xA2\r\nx", {u"検索", u"x"}},
        {"utf8 bom alone", "\xEF\xBB\xBF", {}},
        {"utf16le",
         std::string("\xFF\xFE"
                     "a\0\r\0\n\0\x1C\x69",
                     10),
         {u"a", u"\u691C"}},
        {"utf16be", std::string("\xFE\xFF\0a\0\n\x69\x1C", 8), {u"a", u"\u691C"}},
        {"utf16le odd byte dropped",
         std::string("\xFF\xFE"
                     "a\0b",
                     5),
         {u"a"}},
        {"latin1 high bytes", "\xE9t\xE9", {u"\u00E9t\u00E9"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeTextLines(c.bytes, Latin1Decode), c.lines) << c.name;
    }
}

TEST(TextFile, InvalidUtf8BecomesReplacementWithoutLosingTheRest)
{
    auto text = DecodeText(
        "\xEF\xBB\xBF"
        "a\xFF"
        "b\xE6\xA4"
        "c\xED\xA0\x80"
        "d",
        Latin1Decode);
    EXPECT_EQ(text, u"a\uFFFDb\uFFFDc\uFFFDd");
}

TEST(TextFile, EncodingChoosesAnsiThenUtf8ThenUtf16)
{
    EXPECT_EQ(EncodeTextLines({u"abc", u""}, Latin1Encode), "abc\r\n\r\n");
    EXPECT_EQ(EncodeTextLines({}, Latin1Encode), "");
    // A character the code page cannot hold: UTF-8 with a mark, nothing lost.
    EXPECT_EQ(EncodeTextLines({u"検索"}, Latin1Encode), "\xEF\xBB\xBF\xE6\xA4\x9C\xE7\xB4\xA2\r\n");
    // Text that fits but whose bytes would read as a mark: UTF-8 with a mark as well.
    EXPECT_EQ(EncodeTextLines({u"\u00FF\u00FE"}, Latin1Encode), "\xEF\xBB\xBF\xC3\xBF\xC3\xBE\r\n");
    // An unpaired surrogate survives only in UTF-16.
    auto bytes = EncodeTextLines({std::u16string(1, char16_t(0xD800))}, Latin1Encode);
    EXPECT_EQ(bytes, std::string("\xFF\xFE\x00\xD8\r\0\n\0", 8));
}

// The settings writer converts every old settings file with this: nothing may be lost.
TEST(TextFile, Utf16LeKeepsEveryUnit)
{
    EXPECT_EQ(ToUtf16LE({}), "\xFF\xFE");
    const std::u16string units = {u'a', 0, 0xD800, 0xFF21, 0xDC00, u'\r'};
    const std::string bytes = ToUtf16LE(units);
    EXPECT_EQ(bytes, std::string("\xFF\xFE"
                                 "a\0\0\0\x00\xD8\x21\xFF\x00\xDC\r\0",
                                 14));
    EXPECT_EQ(DecodeText(bytes, Latin1Decode), units);
}

TEST(TextFile, RoundTripsThroughEveryChosenEncoding)
{
    const std::vector<std::vector<std::u16string>> docs = {
        {u"plain", u"", u"x,y"},
        {u"ＭＳ ゴシック", u"\U0001F600 emoji"},
        {std::u16string(1, char16_t(0xDC00)) + u"tail", u"ok"},
        // Latin-1 text whose bytes begin like a mark (found by fuzzing: read back as UTF-16).
        {u"\u00FE\u00FF"},
        {u"\u00FF\u00FEab", u"c"},
        {u"\u00EF\u00BB\u00BFx"},
    };
    for (const auto& lines : docs) {
        EXPECT_EQ(DecodeTextLines(EncodeTextLines(lines, Latin1Encode), Latin1Decode), lines);
    }
}
