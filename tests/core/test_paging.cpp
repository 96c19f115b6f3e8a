#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/Paging.h"
#include "core/RowModel.h"

using tovo::PageBounds;

namespace {

enum class Command { Top, Prev, Next, End, SizeChange };

std::optional<PageBounds> RunCommand(Command c, PageBounds page, int32_t n, int32_t m)
{
    switch (c) {
        case Command::Top: return tovo::PageTop(page, n, m);
        case Command::Prev: return tovo::PagePrev(page, n, m);
        case Command::Next: return tovo::PageNext(page, n, m);
        case Command::End: return tovo::PageEnd(page, n, m);
        case Command::SizeChange: return tovo::PageSizeChanged(page, n, m);
    }
    return std::nullopt;
}

// Captions of the first and last rows a page shows, "" when it holds none.
std::pair<std::u16string, std::u16string> Shown(PageBounds page, int32_t n)
{
    const std::vector<int32_t> lines = tovo::PageLines(page, n);
    if (lines.empty()) return {};
    return {tovo::DecimalText(lines.front() + 1, 5), tovo::DecimalText(lines.back() + 1, 5)};
}

struct Step {
    Command command;
    bool acts;
    std::u16string first, last;
};

void Walk(PageBounds page, int32_t n, int32_t m, const std::vector<Step>& steps)
{
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        const std::optional<PageBounds> next = RunCommand(steps[i].command, page, n, m);
        ASSERT_EQ(next.has_value(), steps[i].acts);
        if (next) page = *next;
        EXPECT_EQ(Shown(page, n), std::make_pair(steps[i].first, steps[i].last));
    }
}

TEST(Paging, TwentyFiveLinesFromTheFirst)
{
    const PageBounds start = tovo::WindowStartPage(0, 25, 10);
    EXPECT_EQ(Shown(start, 25), std::make_pair(std::u16string(u"00001"), std::u16string(u"00010")));
    Walk(start, 25, 10,
         {{Command::Next, true, u"00011", u"00020"},
          {Command::Next, true, u"00021", u"00024"},
          {Command::Next, true, u"00025", u"00025"},
          {Command::Next, false, u"00025", u"00025"},
          {Command::Prev, true, u"00015", u"00024"},
          {Command::Top, true, u"00001", u"00010"},
          {Command::Top, false, u"00001", u"00010"},
          {Command::Prev, false, u"00001", u"00010"},
          {Command::End, true, u"00025", u"00025"},
          {Command::End, false, u"00025", u"00025"},
          {Command::SizeChange, true, u"00025", u"00025"}});
}

TEST(Paging, OpenedOnLine21ShowsTheLastLine)
{
    EXPECT_EQ(Shown(tovo::WindowStartPage(20, 25, 10), 25),
              std::make_pair(std::u16string(u"00021"), std::u16string(u"00025")));
}

TEST(Paging, OneLineDocument)
{
    const PageBounds start = tovo::WindowStartPage(0, 1, 10);
    EXPECT_EQ(Shown(start, 1), std::make_pair(std::u16string(u"00001"), std::u16string(u"00001")));
    Walk(start, 1, 10,
         {{Command::Top, false, u"00001", u"00001"},
          {Command::Prev, false, u"00001", u"00001"},
          {Command::Next, false, u"00001", u"00001"},
          {Command::End, false, u"00001", u"00001"},
          {Command::SizeChange, true, u"00001", u"00001"}});
}

TEST(Paging, EmptyDocumentNeverListsALine)
{
    PageBounds page = tovo::WindowStartPage(0, 0, 10);
    EXPECT_TRUE(tovo::PageLines(page, 0).empty());
    for (Command c : {Command::Next, Command::Prev, Command::Top, Command::End, Command::SizeChange, Command::Next}) {
        if (auto next = RunCommand(c, page, 0, 10)) page = *next;
        EXPECT_TRUE(tovo::PageLines(page, 0).empty());
    }
    EXPECT_EQ(tovo::JumpTargetLine(5, 0), -1);
    EXPECT_TRUE(tovo::PageLines(tovo::JumpPage(-1, 0, 10), 0).empty());
}

TEST(Paging, PageLinesBounds)
{
    EXPECT_EQ(tovo::PageLines({3, 3}), std::vector<int32_t>{3});
    EXPECT_EQ(tovo::PageLines({3, 6}), (std::vector<int32_t>{3, 4, 5}));
    EXPECT_TRUE(tovo::PageLines({6, 3}).empty());
    EXPECT_EQ(tovo::PageLines({-2, 2}, 10), (std::vector<int32_t>{0, 1}));
    EXPECT_TRUE(tovo::PageLines({INT32_MIN, INT32_MAX}, 0).empty());
}

TEST(Paging, GoToLineClampsAndStartsThePage)
{
    const struct {
        int32_t entered, line;
    } cases[] = {{1, 0}, {0, 0}, {-5, 0}, {7, 6}, {25, 24}, {26, 24}, {INT32_MIN, 0}, {INT32_MAX, 24}};
    for (const auto& c : cases) EXPECT_EQ(tovo::JumpTargetLine(c.entered, 25), c.line) << c.entered;
    EXPECT_EQ(tovo::JumpPage(0, 25, 10), (PageBounds{0, 10}));
    EXPECT_EQ(tovo::JumpPage(20, 25, 10), (PageBounds{20, 24}));
    EXPECT_EQ(tovo::JumpPage(24, 25, 10), (PageBounds{24, 24}));  // the last line alone
}

TEST(Paging, StartPositionAndOutOfRangeCurrentLine)
{
    EXPECT_EQ(tovo::StartPositionPage(20, 25, 10), (PageBounds{20, 24}));
    EXPECT_EQ(tovo::StartPositionPage(-3, 25, 10), (PageBounds{0, 10}));
    // A current line the host reports past the end still gives a page to show.
    EXPECT_EQ(tovo::WindowStartPage(40, 25, 10), (PageBounds{24, 25}));
    EXPECT_EQ(tovo::StartPositionPage(40, 25, 10), (PageBounds{24, 24}));
    // Near INT32_MAX the end does not wrap around.
    EXPECT_EQ(tovo::PageNext({INT32_MAX - 20, 0}, INT32_MAX, 100), (PageBounds{INT32_MAX - 1, INT32_MAX - 1}));
}

}  // namespace
