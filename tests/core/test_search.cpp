#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/RowModel.h"
#include "core/RowOrder.h"
#include "core/Search.h"

using tovo::RowModel;
using tovo::SearchResult;
using tovo::TermMatcher;

namespace {

std::vector<std::u16string> Entries(int count, const std::u16string& prefix)
{
    std::vector<std::u16string> list;
    for (int i = 0; i < count; ++i) list.push_back(prefix + tovo::DecimalText(i, 0));
    return list;
}

TEST(SearchHistory, FilingRules)
{
    std::vector<std::u16string> h;
    tovo::FileSearchTerm(h, u"abc");
    tovo::FileSearchTerm(h, u"ABC");
    tovo::FileSearchTerm(h, u"abc");
    EXPECT_EQ(h, (std::vector<std::u16string>{u"abc", u"ABC"}));
    tovo::FileSearchTerm(h, u"");
    EXPECT_EQ(h.size(), 2u);

    const struct {
        int loaded;
        std::u16string term;
        size_t size;
        std::u16string last;
    } cases[] = {
        {32, u"new", 32, u"e30"},  // the oldest entry is pushed out
        {40, u"new", 40, u"e38"},  // a long file keeps its length
        {40, u"e5", 39, u"e38"},   // a known term moves up and the end still loses one
    };
    for (const auto& c : cases) {
        h = Entries(c.loaded, u"e");
        tovo::FileSearchTerm(h, c.term);
        EXPECT_EQ(h.front(), c.term);
        EXPECT_EQ(h.size(), c.size);
        EXPECT_EQ(h.back(), c.last);
    }
    // Only the first equal entry goes.
    h = {u"x", u"a", u"x"};
    tovo::FileSearchTerm(h, u"x");
    EXPECT_EQ(h, (std::vector<std::u16string>{u"x", u"a", u"x"}));
}

int g_upperCalls = 0;
std::u16string CountingUpper(std::u16string_view s)
{
    ++g_upperCalls;
    return tovo::DefaultUpper(s);
}

// A locale where i upper-cases to İ: ASCII fields must not take the shortcut.
std::u16string TurkishUpper(std::u16string_view s)
{
    std::u16string out = tovo::DefaultUpper(s);
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i] == u'i') out[i] = u'\u0130';
    return out;
}

TEST(TermMatcher, CaseInsensitiveSubstring)
{
    const struct {
        std::u16string term, field;
        bool match;
    } cases[] = {
        {u"abc", u"xxABCxx", true}, {u"abc", u"aBc", true},     {u"ABC", u"abc", true},       {u"abc", u"ab", false},
        {u"abc", u"", false},       {u"ab", u"a", false},       {u"ａｂｃ", u"ＡＢＣ", true}, {u"ä", u"Ä", true},
        {u"жук", u"ЖУК!", true},    {u"日本", u"東日本", true}, {u"é", u"e", false},          {u"a", u"日本a", true},
        {u"aab", u"aaab", true},    {u"x", u"y", false},        {u"ab", u"ａb", false},       {u"ı", u"I", true},
        {u"i", u"ı", true},
    };
    for (const auto& c : cases) {
        const TermMatcher m(c.term, tovo::DefaultUpper);
        EXPECT_EQ(m.Matches(c.field), c.match) << std::string(c.term.begin(), c.term.end());
    }
}

TEST(TermMatcher, AsciiFieldsSkipThePlatformMappingOnlyWhenItIsPlain)
{
    const TermMatcher m(u"abc", CountingUpper);
    const int afterSetup = g_upperCalls;
    EXPECT_TRUE(m.Matches(u"zzABC"));
    EXPECT_FALSE(m.Matches(u"zzzz"));
    EXPECT_EQ(g_upperCalls, afterSetup);
    EXPECT_TRUE(m.Matches(u"日本ＡＢＣabc"));
    EXPECT_EQ(g_upperCalls, afterSetup);
    EXPECT_TRUE(m.Matches(u"éABC"));
    EXPECT_EQ(g_upperCalls, afterSetup + 1);
    // Letters that are not ASCII still go through the mapping.
    EXPECT_TRUE(TermMatcher(u"ｘ", CountingUpper).Matches(u"日Ｘ"));

    const TermMatcher turkish(u"i", TurkishUpper);
    EXPECT_TRUE(turkish.Matches(u"pi"));
    EXPECT_FALSE(TermMatcher(u"i", TurkishUpper).Matches(u"PI"));
}

// Rows of fields given as comma-joined lines; the model views the strings.
struct Sheet {
    explicit Sheet(std::vector<std::u16string> l) : lines(std::move(l))
    {
        for (size_t i = 0; i < lines.size(); ++i)
            rows.AppendRow(static_cast<int32_t>(i), lines[i], tovo::Splitter::Auto);
    }
    std::vector<std::u16string> lines;
    RowModel rows;
};

TEST(Search, Walks)
{
    const Sheet sheet({u"key,a,b", u"x,y", u"a,b,key,d,e,f,KEY,h", u"", u"key,zz", u"q,key"});
    const TermMatcher key(u"key", tovo::DefaultUpper);
    const struct {
        const char* name;
        bool forward;
        int selected, searchCol;
        bool found;
        int row, lastCol;
        std::u16string cols;
    } cases[] = {
        // Field 1 of the selected row is skipped after a reset to 0.
        {"reset skips field 1", true, 0, 0, true, 2, 6, u"03/07"},
        {"after the hit row", true, 2, 6, true, 4, 0, u"01"},
        {"rest of selected row", true, 2, 2, true, 2, 6, u"07"},
        {"nothing below", true, 5, 1, false, -1, -1, u""},
        {"no selection forward", true, -1, 0, false, -1, -1, u""},
        {"selection past rows", true, 6, 0, false, -1, -1, u""},
        {"past field 96", true, 4, 95, true, 5, 1, u"02"},
        {"backward after a forward hit", false, 2, 6, true, 0, 0, u"01"},
        {"backward rest of row first", false, 2, 0, true, 2, 6, u"03/07"},
        {"backward no selection", false, -1, 0, false, -1, -1, u""},
        {"backward from the top", false, 0, 0, false, -1, -1, u""},
        {"negative column", false, 0, -9, true, 0, 0, u"01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SearchResult r = c.forward ? tovo::SearchForward(sheet.rows, c.selected, c.searchCol, key)
                                         : tovo::SearchBackward(sheet.rows, c.selected, c.searchCol, key);
        EXPECT_EQ(r.found, c.found);
        EXPECT_EQ(r.row, c.row);
        EXPECT_EQ(r.lastCol, c.lastCol);
        EXPECT_EQ(tovo::HitColumnsText(r.cols), c.cols);
    }
}

// Rows are looked at whole before they are split: that look must never hide a hit.
TEST(Search, LineLookNeverHidesAHit)
{
    const struct {
        std::u16string line, term;
        tovo::Splitter splitter;
        bool found;
    } cases[] = {
        {u"ab,\"x\"\"y\"", u"x\"y", tovo::Splitter::QuoteAware, true},  // only the unquoted text holds it
        {u"ab,ké,y", u"KÉ", tovo::Splitter::Auto, true},                // through the platform mapping
        {u"東京,Key", u"kEY", tovo::Splitter::Auto, true},
        {u"Müller,xıd", u"ID", tovo::Splitter::Auto, true},  // ı upper-cases to I
        {u"Müller,x", u"mu", tovo::Splitter::Auto, false},
        {u"ke,y", u"ke,y", tovo::Splitter::Auto, false},  // the line holds it, no field does
        {u"ab,cd", u"x", tovo::Splitter::Auto, false},
    };
    for (const auto& c : cases) {
        RowModel rows;
        rows.AppendRow(0, u"start", tovo::Splitter::Auto);
        rows.AppendRow(1, c.line, c.splitter);
        const SearchResult r = tovo::SearchForward(rows, 0, 0, TermMatcher(c.term, tovo::DefaultUpper));
        EXPECT_EQ(r.found, c.found) << std::string(c.line.begin(), c.line.end());
    }
}

// Type-ahead in the list: captions are the line numbers as shown, five digits at least.
TEST(Search, FindRowByCaption)
{
    RowModel rows;
    for (const int32_t line : {9, 10, 11, 19, 99999, 1099}) rows.AppendRow(line, u"x", tovo::Splitter::Auto);
    tovo::RowOrder reversed;
    reversed.Assign({5, 4, 3, 2, 1, 0}, rows.RowCount());
    const struct {
        const char* name;
        int start;
        std::u16string prefix;
        bool wrap, sorted;
        int found;
    } cases[] = {
        {"typed whole", 0, u"00012", true, false, 2},
        {"from the start row on", 2, u"000", true, false, 2},
        {"wraps round", 4, u"0001", true, false, 0},
        {"no wrap", 4, u"0001", false, false, -1},
        {"a longer caption", 0, u"1", true, false, 4},
        {"no caption starts so", 0, u"0003", true, false, -1},
        {"a letter", 0, u"k", true, false, -1},
        {"nothing typed", 0, u"", true, false, -1},
        {"start past the rows", 99, u"000", true, false, 0},
        {"view rows of a sort", 0, u"0001", true, true, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(tovo::FindRowByCaption(rows, c.sorted ? reversed : tovo::RowOrder{}, c.start, c.prefix, c.wrap),
                  c.found);
    }
}

TEST(Search, StatusTexts)
{
    EXPECT_EQ(tovo::HitStatusText(u"00012", {2, 6}), u"行:00012 桁:03/07");
    EXPECT_EQ(tovo::HitStatusText(u"100000", {95}), u"行:100000 桁:96");
    EXPECT_EQ(tovo::kBlankSearchStatus, u"行:      桁:  ");
}

}  // namespace
