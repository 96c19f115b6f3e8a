#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/CsvSplit.h"
#include "tests/core/CsvSplitReference.h"

using tovo::Splitter;
using Fields = std::vector<std::u16string>;
using tovo::reference::AutoReference;
using tovo::reference::Ex1Reference;

namespace {

struct SplitCase {
    std::u16string line;
    Fields autoFields;
    Fields ex1Fields;
};

// Worked examples and edge cases; \t is TAB, \f is U+000C.
const SplitCase kCases[] = {
    {u"a,b,c", {u"a", u"b", u"c"}, {u"a", u"b", u"c"}},
    {u"a,,c,", {u"a", u"", u"c", u""}, {u"a", u"", u"c", u""}},
    {u"x", {u"x"}, {u"x"}},
    {u"a\tb,c\t", {u"a", u"b,c", u""}, {u"a\tb", u"c\t"}},
    {u"\"a\",\"b,c\",\"d\"", {u"a", u"b,c", u"d"}, {u"a", u"b,c", u"d"}},
    {u"\"a,b\"", {u"a,b"}, {u"a,b"}},
    {u"11,\"22,22\",33", {u"11", u"\"22", u"22\"", u"33"}, {u"11", u"22,22", u"33"}},
    {u"\"a\"\"b\"", {u"a\"\"b"}, {u"a\"b"}},
    {u"\"x\"\"y\",z", {u"x\"\"y\","}, {u"x\"y", u"z"}},
    {u"a,\"\",b", {u"a", u"\"\"", u"b"}, {u"a", u"\"", u"b"}},
    {u"\"a\", \"b\"", {u"a\", \"b"}, {u"a", u" \"b\""}},
    {u"\"abc", {u"ab"}, {u"\"abc"}},
    {u"\"\"", {u""}, {u"\""}},
    // A TAB wins over commas and quotes.
    {u"\"a\"\t\"b,c\"", {u"\"a\"", u"\"b,c\""}, {u"a\"\t\"b,c"}},
    {u"\t", {u"", u""}, {u"\t"}},
    {u",", {u"", u""}, {u"", u""}},
    {u"\"a\",b", {u"a\","}, {u"a", u"b"}},
    {u"\"a\",\"b\",", {u"a", u"b\""}, {u"a", u"b", u""}},
    {u"\"", {u""}, {u"\""}},
    // The rest after the last "," is empty: one empty field, nothing dropped.
    {u"\"a\",\"", {u"a", u""}, {u"\"a\",\""}},
    {u"a\fb", {u"a\fb"}, {u"a\"b"}},
    {u"\"a\fb\",c", {u"a\fb\","}, {u"a\"b", u"c"}},
    {u"\"a,1\",x,\"b,2\"", {u"a,1\",x,\"b,2"}, {u"a,1", u"x", u"b,2"}},
    {u"1,\"a,b\",\"c,d\",2", {u"1", u"\"a", u"b\"", u"\"c", u"d\"", u"2"}, {u"1", u"a,b", u"c,d", u"2"}},
    {u"\"\"\"a\"", {u"\"\"a"}, {u"\"a"}},
    {u"\"a\"\"\",b", {u"a\"\"\","}, {u"a\"", u"b"}},
    {u"a,\"b", {u"a", u"\"b"}, {u"a,\"b"}},
    {u"\"a\"\"", {u"a\""}, {u"\"a\""}},
    {u"日本,\"語,テ\"", {u"日本", u"\"語", u"テ\""}, {u"日本", u"語,テ"}},
};

TEST(CsvSplit, WorkedExamplesAndEdgeCases)
{
    for (const SplitCase& c : kCases) {
        SCOPED_TRACE(std::string(c.line.begin(), c.line.end()));
        EXPECT_EQ(tovo::StringToCsvList(c.line), c.autoFields);
        EXPECT_EQ(tovo::StringToCsvListEx1(c.line), c.ex1Fields);
    }
}

TEST(CsvSplit, ChooseSplitterFollowsCheckMarks)
{
    EXPECT_EQ(tovo::ChooseSplitter(true, true), Splitter::Auto);
    EXPECT_EQ(tovo::ChooseSplitter(true, false), Splitter::Auto);
    EXPECT_EQ(tovo::ChooseSplitter(false, true), Splitter::QuoteAware);
    EXPECT_EQ(tovo::ChooseSplitter(false, false), Splitter::Auto);
}

TEST(CsvSplit, AgreesWithPlainAlgorithmOnAllShortLines)
{
    const char16_t alphabet[] = {u'a', u',', u'"', u'\t', u'\f'};
    constexpr int kMaxLen = 7;
    std::u16string line;
    std::vector<int> digits;
    for (int len = 1; len <= kMaxLen; ++len) {
        digits.assign(static_cast<size_t>(len), 0);
        for (;;) {
            line.clear();
            for (int d : digits) line += alphabet[d];
            ASSERT_EQ(tovo::StringToCsvList(line), AutoReference(line)) << std::string(line.begin(), line.end());
            ASSERT_EQ(tovo::StringToCsvListEx1(line), Ex1Reference(line)) << std::string(line.begin(), line.end());
            size_t i = 0;
            while (i < digits.size() && ++digits[i] == 5) digits[i++] = 0;
            if (i == digits.size()) break;
        }
    }
}

}  // namespace
