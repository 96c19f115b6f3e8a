// Page arithmetic of page mode: which lines a page holds and where the page
// commands move it. N is the document's line count, M the rows per page.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace tovo {

// IntLineStart and IntLineEnd: the page holds lines start..end-1, or the one
// line start when end == start.
struct PageBounds {
    int32_t start;
    int32_t end;
    bool operator==(const PageBounds&) const = default;
};

// Page commands; nullopt when the command does nothing. Their end is capped
// at N - 1, so the last line is reached alone by the next "next page" or by
// "last". Arithmetic is done in 64 bits, so any int32 input is safe; with
// N == 0 the bounds change as for any document but no line exists to read.
std::optional<PageBounds> PageTop(PageBounds current, int32_t lineCount, int32_t rowsPerPage);
std::optional<PageBounds> PagePrev(PageBounds current, int32_t lineCount, int32_t rowsPerPage);
std::optional<PageBounds> PageNext(PageBounds current, int32_t lineCount, int32_t rowsPerPage);
std::optional<PageBounds> PageEnd(PageBounds current, int32_t lineCount, int32_t rowsPerPage);
// The rows-per-page box changed: same start, end = start + M capped at N - 1.
std::optional<PageBounds> PageSizeChanged(PageBounds current, int32_t lineCount, int32_t rowsPerPage);

// The first page when the window opens: it starts at the editor's current
// line and, unlike the page commands, its end is capped at N so it includes
// the last line. A current line outside the document is brought into it.
PageBounds WindowStartPage(int32_t currentLine, int32_t lineCount, int32_t rowsPerPage);

// "開始時へ移動": the page that starts at the line where the window opened.
PageBounds StartPositionPage(int32_t startLine, int32_t lineCount, int32_t rowsPerPage);

// Go to line: the 1-based number typed by the user becomes a 0-based line
// clamped to 0..N-1 (-1 only when N == 0, where no row exists to show).
int32_t JumpTargetLine(int32_t enteredNumber, int32_t lineCount);
// The page that starts at that line, end capped at N - 1.
PageBounds JumpPage(int32_t targetLine, int32_t lineCount, int32_t rowsPerPage);

// The 0-based line indexes a page holds, in order: start..end-1, the one line
// start when end == start, none when end < start.
std::vector<int32_t> PageLines(PageBounds page);
// The same, keeping only lines that exist (0..N-1), so a fill never asks the
// host for a line outside the document.
std::vector<int32_t> PageLines(PageBounds page, int32_t lineCount);

}  // namespace tovo
