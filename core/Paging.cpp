#include "core/Paging.h"

#include <algorithm>

namespace tovo {

namespace {

int32_t Narrow(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

int32_t CappedEnd(int64_t start, int32_t rowsPerPage, int64_t cap)
{
    return Narrow(std::min(start + rowsPerPage, cap));
}

int64_t LastLine(int32_t lineCount)
{
    return int64_t{lineCount} - 1;
}

// A start inside the document, or 0 for an empty one.
int32_t StartInDocument(int32_t line, int32_t lineCount)
{
    return Narrow(std::clamp<int64_t>(line, 0, std::max<int64_t>(LastLine(lineCount), 0)));
}

}  // namespace

std::optional<PageBounds> PageTop(PageBounds current, int32_t lineCount, int32_t rowsPerPage)
{
    if (current.start == 0) return std::nullopt;
    return PageBounds{0, CappedEnd(0, rowsPerPage, LastLine(lineCount))};
}

std::optional<PageBounds> PagePrev(PageBounds current, int32_t lineCount, int32_t rowsPerPage)
{
    if (current.start == 0) return std::nullopt;
    const int64_t start = std::max<int64_t>(int64_t{current.start} - rowsPerPage, 0);
    return PageBounds{Narrow(start), CappedEnd(start, rowsPerPage, LastLine(lineCount))};
}

std::optional<PageBounds> PageNext(PageBounds current, int32_t lineCount, int32_t rowsPerPage)
{
    const int64_t last = LastLine(lineCount);
    if (current.start == last) return std::nullopt;
    const int64_t start = std::min<int64_t>(int64_t{current.start} + rowsPerPage, last);
    return PageBounds{Narrow(start), CappedEnd(start, rowsPerPage, last)};
}

std::optional<PageBounds> PageEnd(PageBounds current, int32_t lineCount, int32_t /*rowsPerPage*/)
{
    const int64_t last = LastLine(lineCount);
    if (current.start == last) return std::nullopt;
    return PageBounds{Narrow(last), Narrow(last)};
}

std::optional<PageBounds> PageSizeChanged(PageBounds current, int32_t lineCount, int32_t rowsPerPage)
{
    return PageBounds{current.start, CappedEnd(current.start, rowsPerPage, LastLine(lineCount))};
}

PageBounds WindowStartPage(int32_t currentLine, int32_t lineCount, int32_t rowsPerPage)
{
    const int32_t start = StartInDocument(currentLine, lineCount);
    return {start, CappedEnd(start, rowsPerPage, lineCount)};
}

PageBounds StartPositionPage(int32_t startLine, int32_t lineCount, int32_t rowsPerPage)
{
    const int32_t start = StartInDocument(startLine, lineCount);
    return {start, CappedEnd(start, rowsPerPage, LastLine(lineCount))};
}

int32_t JumpTargetLine(int32_t enteredNumber, int32_t lineCount)
{
    int64_t n = int64_t{enteredNumber} - 1;
    if (n < 0) n = 0;
    if (n > LastLine(lineCount)) n = LastLine(lineCount);
    return Narrow(n);
}

PageBounds JumpPage(int32_t targetLine, int32_t lineCount, int32_t rowsPerPage)
{
    const int32_t start = std::max(targetLine, 0);
    return {start, CappedEnd(start, rowsPerPage, LastLine(lineCount))};
}

std::vector<int32_t> PageLines(PageBounds page)
{
    std::vector<int32_t> lines;
    if (page.end == page.start) {
        lines.push_back(page.start);
    } else if (page.end > page.start) {
        lines.reserve(static_cast<size_t>(int64_t{page.end} - page.start));
        for (int32_t i = page.start; i < page.end; ++i) lines.push_back(i);
    }
    return lines;
}

std::vector<int32_t> PageLines(PageBounds page, int32_t lineCount)
{
    // Intersect before listing, so absurd bounds cannot ask for a huge list.
    const int64_t first = std::max<int64_t>(page.start, 0);
    const int64_t stop = page.end == page.start ? int64_t{page.start} + 1 : int64_t{page.end};
    std::vector<int32_t> lines;
    for (int64_t i = first; i < std::min<int64_t>(stop, lineCount); ++i) lines.push_back(static_cast<int32_t>(i));
    return lines;
}

}  // namespace tovo
