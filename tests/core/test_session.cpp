#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>
#include <tuple>

#include "core/ListSession.h"

using namespace tovo;
using R = SessionResult;

namespace {

// Line i: "i,<(i * 7) % 10>,w<i % 3>", so column 2 orders the lines differently from line order.
std::vector<std::u16string> Doc(int n)
{
    std::vector<std::u16string> lines;
    for (int i = 0; i < n; ++i)
        lines.push_back(DecimalText(i, 1) + u"," + DecimalText(i * 7 % 10, 1) + u",w" + DecimalText(i % 3, 1));
    return lines;
}

bool g_collateThrows = false;
void Collate(std::u16string_view text, std::string& out)
{
    if (g_collateThrows) throw std::bad_alloc();
    AppendFoldedKey(text, out);
}

struct Fixture {
    VectorLineSource source;
    ListSession s{source, &Collate};
    Fixture(int n, int current, int perPage = 10) : source(Doc(n), current) { s.Open(perPage, Splitter::Auto); }
    // The lines shown, in view order.
    std::vector<int32_t> Shown() const
    {
        std::vector<int32_t> lines;
        for (int v = 0; v < s.ViewRowCount(); ++v) lines.push_back(s.Rows().LineNumber(s.ModelRow(v)));
        return lines;
    }
    int32_t SelectedLine() const { return s.Selected() < 0 ? -1 : s.Rows().LineNumber(s.ModelRow(s.Selected())); }
    std::vector<int64_t> State() const
    {
        std::vector<int64_t> v{s.Page().start, s.Page().end, s.RowsPerPage(), s.LoadedAll(), s.SortColumn()};
        v.insert(v.end(), {s.Filtered(), s.Selected(), s.SearchColumn(), static_cast<int>(s.CurrentSplitter())});
        for (int32_t line : Shown()) v.push_back(line);
        return v;
    }
};

TermMatcher Term(std::u16string_view t)
{
    return TermMatcher(t, &DefaultUpper);
}

TEST(ListSession, PagesReadOnlyTheirLines)
{
    Fixture f(25, 12);
    EXPECT_EQ(f.s.FirstLineCaption() + u"-" + f.s.LastLineCaption() + DecimalText(f.source.Reads(), 1),
              u"00013-0002210");
    using Op = std::function<R(ListSession&)>;
    const std::tuple<Op, R, std::u16string, std::u16string> steps[] = {
        {[](ListSession& s) { return s.TurnPage(PageStep::Next); }, R::Done, u"00023", u"00024"},
        {[](ListSession& s) { return s.TurnPage(PageStep::End); }, R::Done, u"00025", u"00025"},
        {[](ListSession& s) { return s.TurnPage(PageStep::End); }, R::Unchanged, u"00025", u"00025"},
        {[](ListSession& s) { return s.TurnPage(PageStep::Prev); }, R::Done, u"00015", u"00024"},
        {[](ListSession& s) { return s.SetRowsPerPage(4); }, R::Done, u"00015", u"00018"},
        {[](ListSession& s) { return s.TurnPage(PageStep::Top); }, R::Done, u"00001", u"00004"},
        {[](ListSession& s) { return s.GoToLine(20); }, R::Done, u"00020", u"00023"},
        {[](ListSession& s) { return s.GoToStart(); }, R::Done, u"00013", u"00016"},
        {[](ListSession& s) { return s.LoadAll(); }, R::Done, u"00001", u"00025"},
        {[](ListSession& s) { return s.TurnPage(PageStep::Next); }, R::Unchanged, u"00001", u"00025"},
        {[](ListSession& s) { return s.SetRowsPerPage(10); }, R::Unchanged, u"00001", u"00025"},
    };
    for (const auto& [op, result, first, last] : steps) {
        EXPECT_EQ(op(f.s), result);
        EXPECT_EQ(f.s.FirstLineCaption() + u"-" + f.s.LastLineCaption(), first + u"-" + last);
    }
    EXPECT_EQ(f.s.Page(), (PageBounds{12, 16}));  // load-all keeps the page it left

    Fixture g(25, 20);  // the first page includes the last line, which the page commands stop before
    EXPECT_EQ(g.Shown(), (std::vector<int32_t>{20, 21, 22, 23, 24}));
}

// A move that cannot go anywhere asks the source for nothing; one that does reads its page once.
TEST(ListSession, MovesThatGoNowhereReadNothing)
{
    using Op = std::function<R(ListSession&)>;
    const Op top = [](ListSession& s) { return s.TurnPage(PageStep::Top); };
    const Op prev = [](ListSession& s) { return s.TurnPage(PageStep::Prev); };
    const Op next = [](ListSession& s) { return s.TurnPage(PageStep::Next); };
    const Op end = [](ListSession& s) { return s.TurnPage(PageStep::End); };
    const Op thirty = [](ListSession& s) { return s.SetRowsPerPage(30); };
    const Op loadAll = [](ListSession& s) { return s.LoadAll(); };
    const Op auto_ = [](ListSession& s) { return s.SetSplitter(Splitter::Auto); };
    const struct {
        int lines;
        std::vector<Op> ops;
        int64_t reads;  // lines read by the last op
        std::u16string shown;
    } cases[] = {
        {25, {top, prev}, 0, u"00001-00010"},
        {25, {end, next, end}, 0, u"00025-00025"},
        {25, {end, prev}, 10, u"00015-00024"},
        {25, {thirty}, 24, u"00001-00024"},  // the start stays; a page stops before the last line
        {1, {thirty, next, prev, top, end}, 0, u"00001-00001"},
        {0, {next, end, prev, top, auto_, loadAll, next}, 0, u"-"},
    };
    for (const auto& c : cases) {
        Fixture f(c.lines, 0);
        int64_t before = 0;
        for (const Op& op : c.ops) {
            before = f.source.Reads();
            op(f.s);
        }
        EXPECT_EQ(f.source.Reads() - before, c.reads) << c.lines << ' ' << c.ops.size();
        EXPECT_EQ(f.s.FirstLineCaption() + u"-" + f.s.LastLineCaption(), c.shown) << c.lines << ' ' << c.ops.size();
    }
}

// Each hit names every matching field of its row; the next walk starts after the hit's last one.
TEST(ListSession, SearchHitsNameEveryFieldOfTheirRow)
{
    VectorLineSource source({u"k,k,k", u"a,b,k,d,e,f,k,h,i", u"z", u"k", u"k,x"});
    ListSession s{source, &Collate};
    s.Open(10, Splitter::Auto);
    const std::tuple<bool, R, std::u16string, int> steps[] = {
        {true, R::Done, u"行:00001 桁:02/03", 0},  // the selected row's first field is passed over
        {true, R::Done, u"行:00002 桁:03/07", 1},
        {true, R::Done, u"行:00004 桁:01", 3},
        {false, R::Done, u"行:00002 桁:03/07", 1},
        {false, R::Done, u"行:00001 桁:01/02/03", 0},
        {false, R::NoMatch, std::u16string(kBlankSearchStatus), 0},  // a failed search leaves the selection
    };
    for (const auto& [forward, result, status, selected] : steps) {
        EXPECT_EQ(s.Search(Term(u"k"), forward), result);
        EXPECT_EQ(s.SearchStatus(), status);
        EXPECT_EQ(s.Selected(), selected);
    }
}

TEST(ListSession, SortFilterSearchAndGoToFollowTheLines)
{
    Fixture f(20, 0);
    ASSERT_EQ(f.s.LoadAll(), R::Done);
    f.s.Select(3);
    EXPECT_EQ(f.s.ClickColumn(2), R::Done);  // ascending by (i * 7) % 10, ties in line order
    EXPECT_EQ(f.Shown(), (std::vector<int32_t>{0, 10, 3, 13, 6, 16, 9, 19, 2, 12, 5, 15, 8, 18, 1, 11, 4, 14, 7, 17}));
    EXPECT_EQ(f.SelectedLine(), 3);  // the selection follows its line
    EXPECT_EQ(f.s.Filter(Term(u"W1")), R::Done);
    EXPECT_EQ(f.Shown(), (std::vector<int32_t>{10, 13, 16, 19, 1, 4, 7}));
    EXPECT_EQ(f.SelectedLine(), 10);  // line 3 is hidden: the first row
    EXPECT_EQ(f.s.FilterNotice(), u"  絞り込み中: 7 行を表示 (全 20 行)");
    CharWidthTable widths;  // fitting measures only the rows shown: column 2 holds no 4, 5 or 6 now
    widths.Set(u'5', 50);
    EXPECT_EQ((*f.s.WidestCells(widths, 100))[1], 0);

    // The walk goes in view order from the field after the cursor; the hit selects its row.
    const std::tuple<bool, R, int32_t> searches[] = {
        {true, R::Done, 10}, {true, R::Done, 13}, {false, R::Done, 10}, {false, R::NoMatch, 10}};
    f.s.Select(0);
    for (const auto& [forward, result, line] : searches) {
        EXPECT_EQ(f.s.Search(Term(u"w"), forward), result);
        EXPECT_TRUE(f.SelectedLine() == line && f.s.SearchColumn() == 2) << line;
    }
    EXPECT_EQ(f.s.SearchStatus(), std::u16string(kBlankSearchStatus) + f.s.FilterNotice());

    ASSERT_EQ(f.s.GoToLine(9), R::Done);  // line 8, hidden: every row again, still sorted
    EXPECT_TRUE(!f.s.Filtered() && f.s.SortColumn() == 2 && f.s.Selected() == 12 && f.SelectedLine() == 8);

    EXPECT_TRUE(f.s.SetHeaderRow());
    EXPECT_EQ(f.s.ColumnCaption(2), u"02 6");
    EXPECT_EQ(f.s.ColumnCaption(4), u"04 ");
}

TEST(ListSession, GoToFindsTheLineInASortedPage)
{
    Fixture f(30, 0);
    ASSERT_EQ(f.s.Search(Term(u"w"), true), R::Done);
    const std::u16string hit = f.s.SearchStatus();
    ASSERT_EQ(f.s.SortByColumn(2, true), R::Done);
    ASSERT_EQ(f.s.GoToLine(12), R::Done);  // line 11 starts the page and is sorted third
    EXPECT_TRUE(f.SelectedLine() == 11 && f.s.Selected() == 2);
    // The hit is named as it was found, not by the row now standing where it stood.
    EXPECT_TRUE(hit.find(u"00001") != std::u16string::npos && f.s.SearchStatus() == hit) << hit.size();
}

TEST(ListSession, AStoppedOperationLeavesTheSessionAsItWas)
{
    const std::function<R(ListSession&, const Progress&)> ops[] = {
        [](ListSession& s, const Progress& p) { return s.TurnPage(PageStep::Next, p); },
        [](ListSession& s, const Progress& p) { return s.SetRowsPerPage(1200, p); },
        [](ListSession& s, const Progress& p) { return s.SetSplitter(Splitter::QuoteAware, p); },
        [](ListSession& s, const Progress& p) { return s.GoToLine(40, p); },
        [](ListSession& s, const Progress& p) { return s.LoadAll(p); },
        [](ListSession& s, const Progress& p) { return s.SortByColumn(3, false, p); },
        [](ListSession& s, const Progress& p) { return s.Filter(Term(u"w2"), p); },
        [](ListSession& s, const Progress& p) { return s.ShowAllRows(p); },
        [](ListSession& s, const Progress& p) { return s.SortByLine(p); },
        [](ListSession& s, const Progress& p) { return s.Search(Term(u"zzz"), true, p); },
        [](ListSession& s, const Progress& p) { return s.FilterColumn(1, ColumnCondition::NotEmpty(), p); },
        [](ListSession& s, const Progress& p) { return s.FilterColumn(3, ColumnCondition::Values({u"w1"}), p); },
    };
    for (const bool loadAll : {false, true}) {
        for (const auto& op : ops) {
            SCOPED_TRACE(testing::Message() << loadAll << ' ' << &op - ops);
            Fixture f(2000, 5, 1000);
            if (loadAll) {
                ASSERT_EQ(f.s.LoadAll(), R::Done);
            }
            ASSERT_EQ(f.s.SortByColumn(2, false), R::Done);
            ASSERT_EQ(f.s.Filter(Term(u"1")), R::Done);
            ASSERT_EQ(f.s.FilterColumn(3, ColumnCondition::NotEmpty()), R::Done);  // changed below: every row walked; column 1 narrows
            const std::vector<int64_t> before = f.State();
            int calls = 0;  // the second report stops it: walks of more than kProgressRows rows stop midway
            const R result = op(f.s, [&](int64_t, int64_t) { return ++calls < 2; });
            EXPECT_TRUE(result == R::Stopped || result == R::Unchanged) << static_cast<int>(result);
            EXPECT_EQ(f.State(), before);
        }
    }
}

// Operations that take rows report their walk's end before taking them (the window pumps there):
// a stop asked at that last report still leaves the session as it was.
TEST(ListSession, AStopAtTheWalksEndLeavesTheSessionAsItWas)
{
    const std::function<R(ListSession&, const Progress&)> ops[] = {
        [](ListSession& s, const Progress& p) { return s.TurnPage(PageStep::Next, p); },
        [](ListSession& s, const Progress& p) { return s.LoadAll(p); },
        [](ListSession& s, const Progress& p) { return s.SortByColumn(3, true, p); },
    };
    for (const bool sorted : {false, true}) {
        for (const auto& op : ops) {
            SCOPED_TRACE(testing::Message() << sorted << ' ' << &op - ops);
            Fixture f(2000, 5, 1000);
            if (sorted) {
                ASSERT_EQ(f.s.SortByColumn(2, false), R::Done);
            }
            const std::vector<int64_t> before = f.State();
            bool ended = false;
            EXPECT_EQ(op(f.s, [&](int64_t done, int64_t total) { return !(ended = done == total); }), R::Stopped);
            EXPECT_TRUE(ended);
            EXPECT_EQ(f.State(), before);
        }
    }
}

TEST(ListSession, MemoryRunningOutLosesNoLines)
{
    Fixture f(50, 0);
    ASSERT_EQ(f.s.LoadAll(), R::Done);
    ASSERT_EQ(f.s.Filter(Term(u"w1")), R::Done);
    g_collateThrows = true;  // texts need collation keys: column 3 holds "w0".."w2"
    EXPECT_EQ(f.s.SortByColumn(3, false), R::SortDropped);
    g_collateThrows = false;
    EXPECT_TRUE(f.s.SortColumn() == 0 && f.Shown().size() == 17 && f.Shown()[1] == 4 && f.s.Rows().RowCount() == 50);

    Fixture h(50, 0);  // a sorted page turned with too little room for the sort: line order
    ASSERT_EQ(h.s.SortByColumn(3, false), R::Done);
    h.s.SetSortKeyLimit(64);
    EXPECT_EQ(h.s.TurnPage(PageStep::Next), R::SortDropped);
    EXPECT_TRUE(h.s.SortColumn() == 0 && h.Shown().front() == 10 && h.Shown().back() == 19);

    Fixture g(50, 20);
    g.s.SetLineStoreLimit(256);
    const std::vector<int64_t> before = g.State();
    EXPECT_EQ(g.s.LoadAll(), R::OutOfMemory);
    EXPECT_EQ(g.State(), before);
}

}  // namespace

namespace {

TEST(ListSession, ColumnFiltersJoinTheTermFilterAndKeepTheSort)
{
    Fixture f(20, 0);
    ASSERT_EQ(f.s.LoadAll(), R::Done);
    ASSERT_EQ(f.s.SortByColumn(2, false), R::Done);
    ASSERT_EQ(f.s.Filter(Term(u"W1")), R::Done);  // sorted: 10, 13, 16, 19, 1, 4, 7
    const auto range = [](std::u16string_view least, std::u16string_view most) {
        return *ColumnCondition::Range(least, most);
    };
    struct Step {
        std::function<R(ListSession&)> op;
        R result;
        std::vector<int32_t> shown;
        std::vector<int> columns;
    };
    const Step steps[] = {
        {[&](ListSession& s) { return s.FilterColumn(2, range(u"3", u"7")); }, R::Done, {19, 1}, {2}},
        {[](ListSession& s) { return s.FilterColumn(3, ColumnCondition::Values({u"w0"})); }, R::NoMatch, {19, 1}, {2}},
        {[&](ListSession& s) { return s.FilterColumn(2, range(u"0", u"3")); }, R::Done, {10, 13, 16, 19}, {2}},
        {[](ListSession& s) { return s.FilterColumn(1, *ColumnCondition::Text(TextMatch::BeginsWith, u"1", &DefaultUpper)); },
         R::Done, {10, 13, 16, 19}, {1, 2}},
        {[](ListSession& s) { return s.ClearColumnFilter(2); }, R::Done, {10, 13, 16, 19, 1}, {1}},
        {[](ListSession& s) { return s.ClearColumnFilter(2); }, R::Unchanged, {10, 13, 16, 19, 1}, {1}},
        {[](ListSession& s) { return s.Filter(Term(u"w2")); }, R::Done, {11, 14, 17}, {1}},
        {[](ListSession& s) { return s.FilterColumn(97, ColumnCondition::Empty()); }, R::Unchanged, {11, 14, 17}, {1}},
        {[](ListSession& s) { return s.ClearColumnFilter(1); }, R::Done, {2, 5, 8, 11, 14, 17}, {}},
        {[](ListSession& s) { return s.FilterColumn(3, ColumnCondition::NotEmpty()); }, R::Done,
         {2, 5, 8, 11, 14, 17}, {3}},
        {[](ListSession& s) { return s.ShowAllRows(); }, R::Done,
         {0, 10, 3, 13, 6, 16, 9, 19, 2, 12, 5, 15, 8, 18, 1, 11, 4, 14, 7, 17}, {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(&step - steps);
        EXPECT_EQ(step.op(f.s), step.result);
        EXPECT_EQ(f.Shown(), step.shown);
        EXPECT_EQ(f.s.FilteringColumns(), step.columns);
        EXPECT_TRUE(f.s.SortColumn() == 2 && f.s.Selected() >= 0);
    }
    EXPECT_FALSE(f.s.Filtered() || f.s.TermFiltered());

    ASSERT_EQ(f.s.FilterColumn(3, ColumnCondition::Values({u"w0"})), R::Done);
    EXPECT_EQ(f.s.FilterNotice(), u"  絞り込み中 (カラム 03): 7 行を表示 (全 20 行)");
    const ColumnValues values = *f.s.CountColumn(2);  // over the rows shown: lines 0, 3, ... 18
    EXPECT_TRUE(values.Rows() == 7 && values.DistinctCount() == 7 && values.Numbers().sum == u"21");
    // The filter dialog of the filtering column lists the values its condition hides too.
    const ColumnValues toFilter = *f.s.CountColumn(3, ListSession::CountedRows::ToFilter);
    EXPECT_TRUE(toFilter.Rows() == 20 && toFilter.DistinctCount() == 3) << toFilter.Rows();
    ASSERT_EQ(f.s.GoToLine(2), R::Done);  // line 1 is hidden: every row again
    EXPECT_TRUE(!f.s.Filtered() && f.s.FilteringColumns().empty() && f.SelectedLine() == 1);

    Fixture g(30, 0);  // a page turned ends the column filters, not the sort
    ASSERT_EQ(g.s.SortByColumn(2, true), R::Done);
    ASSERT_EQ(g.s.FilterColumn(2, ColumnCondition::Values({u"7"})), R::Done);
    EXPECT_EQ(g.Shown(), (std::vector<int32_t>{1}));
    ASSERT_EQ(g.s.TurnPage(PageStep::Next), R::Done);
    EXPECT_TRUE(!g.s.Filtered() && g.s.FilteringColumns().empty() && g.s.SortColumn() == 2 && g.Shown().size() == 10);
}

}  // namespace
