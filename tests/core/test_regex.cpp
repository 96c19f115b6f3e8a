#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/RegexMatcher.h"
#include "core/RowModel.h"
#include "core/RowOrder.h"
#include "core/Search.h"

using tovo::RegexMatcher;

namespace {

std::unique_ptr<RegexMatcher> Compile(std::u16string_view pattern)
{
    std::u16string error;
    auto m = RegexMatcher::Compile(pattern, tovo::DefaultUpper, error);
    EXPECT_TRUE(m) << std::string(error.begin(), error.end());
    return m;
}

// A pattern that backtracks without end on a run of x's with no y after it.
constexpr std::u16string_view kRunaway = u"(x+x+)+y";

TEST(RegexMatcher, PatternsAgainstFields)
{
    const struct {
        std::u16string pattern, field;
        bool match;
    } cases[] = {
        {u"needle-zz[0-9]", u"a needle-zz7", true}, {u"needle-zz[0-9]", u"NEEDLE-ZZ", false},
        {u"NeEdLe", u"xneedlex", true},               {u"^$", u"", true},
        {u"^$", u" ", false},                         {u"x*", u"", true},
        {u"\\d+", u"abc", false},                     {u"\\d+", u"ab1", true},  // \d is never \D
        {u"[a-c]{2}", u"XBC", true},                  {u"^[0-9]{3}[a-z]{9}$", u"123abcdefghi", true},
        {u"^[0-9]{3}[a-z]{9}$", u"123abcdefgh", false}, {u"ä", u"Ä", true},  // folded as the plain search
        {u"жук", u"ЖУК", true},                       {u"ｘ", u"Ｘ", true},
        {u"東京", u"東京都", true},                   {u"a.c", u"ABC", true},
        {u"(ab)\\1", u"abAB", true},                  {u"colou?r", u"COLOR", true},
    };
    for (const auto& c : cases) {
        const auto m = Compile(c.pattern);
        ASSERT_TRUE(m);
        EXPECT_EQ(m->Matches(c.field), c.match) << std::string(c.pattern.begin(), c.pattern.end());
        // The cheap look at a line never hides a field that matches.
        if (c.match) {
            EXPECT_TRUE(m->MayMatchPieceOf(u"q," + c.field + u",r"));
        }
    }
}

TEST(RegexMatcher, InvalidPatternsSayWhatIsWrong)
{
    const struct {
        std::u16string pattern, says;
    } cases[] = {
        {u"(abc", u"( と )"}, {u"[a-", u"["}, {u"a{3,1}", u"{"}, {u"*a", u"繰り返し"}, {u"\\", u"\\"},
        {std::u16string(500, u'(') + std::u16string(500, u')'), u"正規表現"},
    };
    for (const auto& c : cases) {
        std::u16string error;
        EXPECT_FALSE(RegexMatcher::Compile(c.pattern, tovo::DefaultUpper, error));
        EXPECT_NE(error.find(c.says), std::u16string::npos) << std::string(c.pattern.begin(), c.pattern.end());
        EXPECT_NE(error.find(u"文字目"), std::u16string::npos);
    }
}

TEST(RegexMatcher, RequiredLiteral)
{
    const struct {
        std::u16string pattern, literal;
    } cases[] = {
        {u"needle-zz[0-9]", u"needle-zz"}, {u"ab?cdef", u"cdef"}, {u"a|bcd", u""},
        {u"(?x)ab cd", u""},               {u"x\\d+yz", u"x"},     {u"[ab]c{2}de", u"de"},
        {u"(abc)de", u"de"},               {u"ab\\.cd", u"ab"},   {u"[[:alpha:]]xy", u"xy"},
    };
    for (const auto& c : cases) EXPECT_EQ(RegexMatcher::RequiredLiteral(c.pattern), c.literal);
}

// Each call gives up at its bound; a walk whose calls keep giving up stops and says so.
TEST(RegexMatcher, RunawayCallsAreBoundedAndStopTheWalk)
{
    const auto m = Compile(kRunaway);
    ASSERT_TRUE(m);
    EXPECT_FALSE(m->Matches(std::u16string(40, u'x')));
    EXPECT_EQ(m->Runaways(), 1);

    tovo::RowModel rows;
    // Each line holds the "y" the pattern needs, only not after the x's.
    std::vector<std::u16string> lines(6, u"y" + std::u16string(40, u'x'));
    lines.push_back(u"xxy");
    for (size_t i = 0; i < lines.size(); ++i) rows.AppendRow(int32_t(i), lines[i], tovo::Splitter::Auto);
    const auto walk = Compile(kRunaway);
    const tovo::SearchResult r = tovo::SearchForward(rows, tovo::RowOrder{}, 0, -1, *walk);
    EXPECT_TRUE(r.gaveUp);
    EXPECT_FALSE(r.found);
    EXPECT_EQ(walk->Runaways(), tovo::FieldMatcher::kRunawayLimit);
    EXPECT_FALSE(tovo::MatchingRows(rows, *Compile(kRunaway), {}));
    rows.Clear();
    rows.AppendRow(0, lines[0], tovo::Splitter::Auto);
    rows.AppendRow(1, u"xxy", tovo::Splitter::Auto);
    const tovo::MatchCount count = tovo::CountMatches(rows, tovo::RowOrder{}, *Compile(kRunaway), tovo::kAllFields);
    EXPECT_EQ(tovo::MatchCountText(count), u"一致: 1 行 / 1 セル (複雑すぎて調べきれなかったセル: 1)");
}

// Long lines and long fields: no recursion per unit, so no stack to overflow.
TEST(RegexMatcher, LongFieldsAndLines)
{
    std::u16string field(100'000, u'a');
    field += u"needle-zz5";
    const struct {
        std::u16string pattern;
        bool match;
    } cases[] = {{u"needle-zz[0-9]", true}, {u"^a*needle", true}, {u"(a|b)*c", false}, {u"^(a?){50}a{50}$", false}};
    for (const auto& c : cases) {
        const auto m = Compile(c.pattern);
        EXPECT_EQ(m->Matches(field), c.match) << std::string(c.pattern.begin(), c.pattern.end());
    }
    std::u16string line;
    while (line.size() < 16'384) line += u"abc,def,";
    tovo::RowModel rows;
    rows.AppendRow(0, line, tovo::Splitter::Auto);
    const tovo::MatchCount count = tovo::CountMatches(rows, tovo::RowOrder{}, *Compile(u"^(d|e|f)+$"), tovo::kAllFields);
    EXPECT_EQ(count.rows, 1);
    EXPECT_EQ(count.fields, 48);  // the row shows 96 fields, every second one "def"
}

// One column, and a count: an empty-matching pattern finds each field once.
TEST(RegexMatcher, OneFieldAndCount)
{
    tovo::RowModel rows;
    const std::vector<std::u16string> lines = {u"a1,b,", u"c,a2,a3", u"x,,z"};
    for (size_t i = 0; i < lines.size(); ++i) rows.AppendRow(int32_t(i), lines[i], tovo::Splitter::Auto);
    const struct {
        std::u16string pattern;
        int onlyField;
        int64_t rows, fields;
    } cases[] = {
        {u"a\\d", tovo::kAllFields, 2, 3}, {u"a\\d", 1, 1, 1}, {u"^$", tovo::kAllFields, 2, 2},
        {u"z*", tovo::kAllFields, 3, 9},   {u"z*", 2, 3, 3},   {u"q", tovo::kAllFields, 0, 0},
    };
    for (const auto& c : cases) {
        const tovo::MatchCount n = tovo::CountMatches(rows, tovo::RowOrder{}, *Compile(c.pattern), c.onlyField);
        EXPECT_EQ(n.rows, c.rows) << std::string(c.pattern.begin(), c.pattern.end()) << c.onlyField;
        EXPECT_EQ(n.fields, c.fields) << std::string(c.pattern.begin(), c.pattern.end()) << c.onlyField;
    }
    const tovo::SearchResult r = tovo::SearchForward(rows, tovo::RowOrder{}, 0, -1, *Compile(u"a"), {}, 2);
    EXPECT_EQ(r.row, 1);
    EXPECT_EQ(tovo::HitColumnsText(r.cols), u"03");
}

}  // namespace
