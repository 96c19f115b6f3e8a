#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/HighLight.h"
#include "core/RowModel.h"

using tovo::HighLightMarks;
using tovo::HighLightWords;

namespace {

TEST(HighLightWords, MarkingRule)
{
    const struct {
        std::vector<std::u16string> words;
        std::u16string field;
        int match;
    } cases[] = {
        {{u"abc"}, u"ABC", 0},
        {{u"abc"}, u"xAbCx", 0},
        {{u"ＡＢＣ"}, u"ＡＢＣ", 0},
        {{u"ａｂｃ"}, u"ＡＢＣ", -1},  // full-width letters keep their case
        {{u"é"}, u"É", -1},
        {{u""}, u"anything", -1},
        {{u"", u"y"}, u"xyz", 1},
        {{u"x", u"z"}, u"xyz", 0},  // the first word that matches
        {{u"a b"}, u"A B", 0},      // spaces are part of the word
        {{u"abc"}, u"", -1},
        {{}, u"abc", -1},
        {{u"abcd", u"bce"}, u"xabce", 1},  // found only by falling back from a longer word
        {{u"abc", u"ab"}, u"ab", 1},
        {{u"b", u"abc"}, u"abc", 0},  // list order, not position in the field
        {{u"zz", u"AB", u"ab"}, u"xaB", 1},
        {{u"aa"}, u"a", -1},
        {{u"\xFFFF\xD800"}, u"a\xFFFF\xD800", 0},
    };
    for (const auto& c : cases) {
        HighLightWords words;
        words.Load(c.words);
        EXPECT_EQ(words.MatchField(c.field), c.match) << std::string(c.field.begin(), c.field.end());
    }
}

// The rule written out word by word, to hold the automaton to it.
int FirstWordByWord(const std::vector<std::u16string>& words, std::u16string_view field)
{
    auto upper = [](std::u16string_view s) {
        std::u16string u(s);
        for (char16_t& c : u) c = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
        return u;
    };
    const std::u16string f = upper(field);
    for (size_t i = 0; i < words.size(); ++i) {
        if (!words[i].empty() && f.find(upper(words[i])) != std::u16string::npos) return static_cast<int>(i);
    }
    return -1;
}

TEST(HighLightWords, AgreesWithWordByWordOnRandomLists)
{
    std::mt19937 rng(7);
    // A narrow alphabet makes overlaps and shared prefixes common; a wide one, with words that
    // mostly begin alike, gives states with many children (the ASCII tables and the search).
    for (const std::u16string& alphabet : {std::u16string(u"abAB"), std::u16string(u"abcdefghijklmnopqrstXYZ\x3042")}) {
        auto text = [&](size_t maxLength, bool alike) {
            std::u16string s(rng() % (maxLength + 1), u' ');
            for (char16_t& c : s) c = alphabet[rng() % alphabet.size()];
            if (alike && !s.empty() && rng() % 4) s[0] = u'a';
            return s;
        };
        for (int round = 0; round < 300; ++round) {
            std::vector<std::u16string> words(rng() % 60);
            for (auto& w : words) w = text(5, true);
            HighLightWords matcher;
            matcher.Load(words);
            for (int f = 0; f < 20; ++f) {
                const std::u16string field = text(12, false);
                const int expected = FirstWordByWord(words, field);
                ASSERT_EQ(matcher.MatchField(field), expected);
                ASSERT_EQ(matcher.AnyInField(field), expected >= 0);
            }
        }
    }
}

TEST(HighLightMarks, OneMarkPerFieldAndNoneWithoutWords)
{
    std::vector<std::u16string> lines = {u"foo bar,x,barfoo", u"", u"nothing"};
    std::u16string wide;
    for (int i = 0; i < 97; ++i) wide += u"bar,";
    lines.push_back(wide);
    tovo::RowModel rows;
    for (size_t i = 0; i < lines.size(); ++i) rows.AppendRow(static_cast<int32_t>(i), lines[i], tovo::Splitter::Auto);

    HighLightWords words;
    words.Load({u"foo", u"BAR"});
    HighLightMarks marks;
    for (int r = 0; r < rows.RowCount(); ++r) tovo::MarkRow(marks, words, rows, r, 100 + r);
    EXPECT_EQ(marks.Count(), 2u + 96u);  // fields past 96 are not marked
    EXPECT_TRUE(marks.HasCell(100, 0));
    EXPECT_FALSE(marks.HasCell(100, 1));
    EXPECT_TRUE(marks.HasCell(100, 2));
    EXPECT_FALSE(marks.HasRow(101));
    EXPECT_FALSE(marks.HasRow(102));
    EXPECT_TRUE(marks.HasCell(103, 95));
}

// Lines cut at one separator are marked without being split; the marks must be the split's.
TEST(HighLightMarks, MarksOfUnsplitLinesAreThoseOfTheirFields)
{
    HighLightWords words;
    words.Load({u"ab", u"a,b", u"a\tb", u"long word"});
    const struct {
        std::u16string line;
        std::vector<int> marked;
    } cases[] = {
        {u"xab,a,b,ab", {0, 3}},       // no word runs across a comma
        {u"a,b\tab\ta\tb", {0, 1}},    // tab mode: commas are text
        {u"a\tb", {}},                 // nor across a tab
        {u",,ab,", {2}},               // empty fields count
        {u"\"ab\",\"a,b\"", {0, 1}},   // quoted mode: split as before
        {u"long wor,long word", {1}},  // a field shorter than the word
        {u"", {}},
    };
    for (const auto& c : cases) {
        tovo::RowModel rows;
        rows.AppendRow(0, c.line, tovo::Splitter::Auto);
        HighLightMarks marks;
        tovo::MarkRow(marks, words, rows, 0, 7);
        std::vector<int> got;
        for (int f = 0; f < 8; ++f)
            if (marks.HasCell(7, f)) got.push_back(f);
        EXPECT_EQ(got, c.marked) << std::string(c.line.begin(), c.line.end());
    }
}

// The table as drawing reads it: entry by entry to the first -1. Returns
// the fields 0..31 marked for the key as bits, and whether any mark exists.
std::pair<bool, uint32_t> Walk(const HighLightMarks& m, int32_t key)
{
    bool any = false;
    uint32_t fields = 0;
    for (size_t k = 0; k < HighLightMarks::kTableSize && m.ArrayListHighLightRow()[k] != -1; ++k) {
        if (m.ArrayListHighLightRow()[k] != key) continue;
        any = true;
        const int32_t f = m.ArrayListHighLightCol()[k];
        if (f >= 0 && f < 32) fields |= 1u << f;
    }
    return {any, fields};
}

void ExpectAgreesWithWalk(const HighLightMarks& m, const std::vector<int32_t>& keys)
{
    for (int32_t key : keys) {
        const auto [any, fields] = Walk(m, key);
        const HighLightMarks::RowMarks row = m.MarksOfRow(key);
        ASSERT_EQ(m.HasRow(key), any) << key;
        ASSERT_EQ(row.any, any) << key;
        for (int32_t f = 0; f < 8; ++f) {
            const bool marked = ((fields >> f) & 1u) != 0;
            ASSERT_EQ(m.HasCell(key, f), marked) << key << ',' << f;
            ASSERT_EQ(row.fields.test(static_cast<size_t>(f)), marked) << key << ',' << f;
        }
    }
}

TEST(HighLightMarks, SeventyThousandMarksKeepTheFirst65535)
{
    HighLightMarks marks;
    // 7 fields a row, 10,000 rows starting at key 5: 70,000 marks.
    for (int32_t row = 0; row < 10'000; ++row)
        for (int32_t f = 0; f < 7; ++f) marks.Add(5 + row, f);
    EXPECT_EQ(marks.Count(), 70'000u);
    EXPECT_EQ(marks.StoredCount(), 65'535u);
    EXPECT_EQ(marks.ArrayListHighLightRow()[65'534], 5 + 65'534 / 7);
    EXPECT_EQ(marks.ArrayListHighLightCol()[65'534], 65'534 % 7);
    EXPECT_EQ(marks.ArrayListHighLightRow()[65'535], -1);
    EXPECT_TRUE(marks.HasCell(5 + 65'534 / 7, 65'534 % 7));
    EXPECT_FALSE(marks.HasCell(5 + 65'534 / 7, 65'534 % 7 + 1));
    ExpectAgreesWithWalk(marks, {-1, 0, 4, 5, 6, 4000, 9365, 9366, 9367, 9368, 10'004, 10'005});

    marks.Reset();
    EXPECT_EQ(marks.Count(), 0u);
    EXPECT_FALSE(marks.HasRow(5));
    EXPECT_EQ(marks.ArrayListHighLightCol()[65'534], -1);
}

TEST(HighLightMarks, OutOfOrderMarksStillAnswerAsTheWalk)
{
    const std::vector<std::vector<std::pair<int32_t, int32_t>>> fills = {
        {{3, 1}, {3, 4}, {7, 0}},
        {{7, 2}, {3, 1}, {9, 0}},   // a key going back
        {{4, 5}, {4, 2}, {4, 5}},   // fields going back, a duplicate
        {{2, 0}, {-1, 0}, {5, 1}},  // a -1 key ends the table for the walk
    };
    for (const auto& fill : fills) {
        HighLightMarks marks;
        for (const auto& [key, field] : fill) marks.Add(key, field);
        ExpectAgreesWithWalk(marks, {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    }
}

}  // namespace
