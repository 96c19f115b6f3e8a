#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/RegexMatcher.h"
#include "core/RowModel.h"
#include "core/RowOrder.h"
#include "core/Search.h"

using tovo::RegexMatcher;

namespace {

std::string Narrow(std::u16string_view s) { return std::string(s.begin(), s.end()); }

std::unique_ptr<RegexMatcher> Compile(std::u16string_view pattern)
{
    std::u16string error;
    auto m = RegexMatcher::Compile(pattern, tovo::DefaultUpper, error);
    EXPECT_TRUE(m) << Narrow(error);
    return m;
}

// The rows view the lines: they must outlive them.
tovo::RowModel Rows(const std::vector<std::u16string>& lines)
{
    tovo::RowModel rows;
    for (size_t i = 0; i < lines.size(); ++i) rows.AppendRow(int32_t(i), lines[i], tovo::Splitter::Auto);
    return rows;
}

// Backtracks without end on x's with no y after them; the y it needs is in the field.
constexpr std::u16string_view kRunaway = u"(x+x+)+y";

TEST(RegexMatcher, PatternsAgainstFields)
{
    const struct {
        std::u16string pattern, field;
        bool match;
    } cases[] = {
        {u"needle-zz[0-9]", u"a needle-zz7", true}, {u"NeEdLe", u"xneedlex", true}, {u"^$", u"", true},
        {u"^$", u" ", false}, {u"x*", u"", true}, {u"\\d+", u"abc", false}, {u"\\d+", u"ab1", true},
        {u"[a-c]{2}", u"XBC", true}, {u"^[0-9]{3}[a-z]{9}$", u"123abcdefghi", true},
        {u"^[0-9]{3}[a-z]{9}$", u"123abcdefgh", false}, {u"ä", u"Ä", true}, {u"жук", u"ЖУК", true},
        {u"ｘ", u"Ｘ", true}, {u"(ab)\\1", u"abAB", true}, {u"colou?r", u"COLOR", true}, {u"ab?cd", u"xacd", true},
    };
    for (const auto& c : cases) {
        const auto m = Compile(c.pattern);
        EXPECT_EQ(m->Matches(c.field), c.match) << Narrow(c.pattern);
        // The look at a whole line never hides a field that matches.
        EXPECT_TRUE(!c.match || m->MayMatchPieceOf(u"q," + c.field + u",r")) << Narrow(c.pattern);
    }
    EXPECT_EQ(RegexMatcher::RequiredLiteral(u"(?x)ab cd"), u"");  // spaces would mean nothing
}

TEST(RegexMatcher, InvalidPatternsSayWhatIsWrong)
{
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"(abc", u"( と )"}, {u"[a-", u"["}, {u"a{3,1}", u"{"}, {u"*a", u"繰り返し"}, {u"\\", u"\\"},
        {std::u16string(500, u'(') + std::u16string(500, u')'), u"正規表現"},  // no recursion per group
    };
    for (const auto& [pattern, says] : cases) {
        std::u16string error;
        EXPECT_FALSE(RegexMatcher::Compile(pattern, tovo::DefaultUpper, error));
        EXPECT_NE(error.find(says), std::u16string::npos) << Narrow(pattern);
        EXPECT_NE(error.find(u"文字目"), std::u16string::npos);
    }
}

// Each call gives up at its bound; a walk whose calls keep giving up stops and says so, and a
// count says which fields it could not tell.
TEST(RegexMatcher, RunawayCallsAreBoundedAndStopTheWalk)
{
    std::vector<std::u16string> lines(6, u"y" + std::u16string(40, u'x'));
    const tovo::RowModel rows = Rows(lines);
    const auto walk = Compile(kRunaway);
    const tovo::SearchResult r = tovo::SearchForward(rows, tovo::RowOrder{}, 0, -1, *walk);
    EXPECT_TRUE(r.gaveUp);
    EXPECT_EQ(walk->Runaways(), tovo::FieldMatcher::kRunawayLimit);
    EXPECT_FALSE(tovo::MatchingRows(rows, *Compile(kRunaway), {}));

    lines = {lines[0], u"xxy"};
    const tovo::MatchCount count = tovo::CountMatches(Rows(lines), tovo::RowOrder{}, *Compile(kRunaway), tovo::kAllFields);
    EXPECT_EQ(tovo::MatchCountText(count), u"一致: 1 行 / 1 セル (複雑すぎて調べきれなかったセル: 1)");
}

// Long fields and lines: no recursion per unit, so no stack to overflow.
TEST(RegexMatcher, LongFieldsAndLines)
{
    const std::u16string field = std::u16string(100'000, u'a') + u"needle-zz5";
    for (const auto& [pattern, match] : {std::pair<std::u16string, bool>{u"needle-zz[0-9]", true}, {u"^a*needle", true},
                                         {u"(a|b)*c", false}, {u"^(a?){50}a{50}$", false}})
        EXPECT_EQ(Compile(pattern)->Matches(field), match) << Narrow(pattern);
    std::vector<std::u16string> line(1);
    while (line[0].size() < 16'384) line[0] += u"abc,def,";
    const tovo::MatchCount count =
        tovo::CountMatches(Rows(line), tovo::RowOrder{}, *Compile(u"^(d|e|f)+$"), tovo::kAllFields);
    EXPECT_EQ(count.fields, 48);  // the row shows 96 fields, every second one "def"
}

// One field, and a count: an empty-matching pattern finds each field once.
TEST(RegexMatcher, OneFieldAndCount)
{
    const std::vector<std::u16string> lines = {u"a1,b,", u"c,a2,a3", u"x,,z"};
    const tovo::RowModel rows = Rows(lines);
    const struct {
        std::u16string pattern;
        int onlyField;
        int64_t rows, fields;
    } cases[] = {{u"a\\d", tovo::kAllFields, 2, 3}, {u"a\\d", 1, 1, 1}, {u"^$", tovo::kAllFields, 2, 2},
                 {u"z*", tovo::kAllFields, 3, 9}, {u"z*", 2, 3, 3}};
    for (const auto& c : cases) {
        const tovo::MatchCount n = tovo::CountMatches(rows, tovo::RowOrder{}, *Compile(c.pattern), c.onlyField);
        EXPECT_EQ(std::pair(n.rows, n.fields), std::pair(c.rows, c.fields)) << Narrow(c.pattern) << c.onlyField;
    }
    const tovo::SearchResult r = tovo::SearchForward(rows, tovo::RowOrder{}, 0, -1, *Compile(u"a"), {}, 2);
    EXPECT_EQ(std::pair(r.row, tovo::HitColumnsText(r.cols)), std::pair(1, std::u16string(u"03")));
}

}  // namespace
