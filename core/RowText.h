// Text built from one row for the user outside the cells: the line copied to the clipboard and
// the tooltip of a cell the list cannot show whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/ColumnFit.h"
#include "core/RowModel.h"

namespace tovo {

// The row's shown fields (at most 96; the "No" column is not a field) joined by tabs. A field
// holding a tab, CR or LF, or starting with a double quote, is put in double quotes with its
// quotes doubled, so a spreadsheet pasting the line finds the same fields; others go as they are.
// An empty line gives the empty text.
std::u16string RowCopyText(const RowModel& rows, int row);

// Whether a cell shows less than its whole text: the list draws at most drawnUnits units of a
// cell, and text wider than the column less its padding is cut short. Measures at most
// drawnUnits + 1 units, however long the text.
bool CellTextCut(const CharWidthTable& widths, std::u16string_view text, int columnWidth, int padding,
                 size_t drawnUnits);

// How much of a cell a tooltip shows: lines of at most maxLineWidth pixels (and maxLineUnits
// units, for characters that measure 0), at most maxLines of them and maxUnits units in all;
// text beyond ends with "…". A tooltip control keeps about a thousand units of text (1023 under
// Wine): the defaults leave a whole tooltip (caption, text, hidden fields) below that.
struct TipLimits {
    int maxLineWidth = 600;
    int maxLines = 24;
    size_t maxLineUnits = 200;
    size_t maxUnits = 700;
};

// Text wrapped into lines joined by CR LF, as limited above. Control characters show as spaces
// (a CR in the text must not start a line of its own). The cost is bounded by the limits, not by
// the length of the text.
std::u16string WrapTipText(std::u16string_view text, const CharWidthTable& widths, const TipLimits& limits);

// "+N フィールドは表示されていません" for a line with N fields past the 96 shown; empty for none.
std::u16string HiddenFieldsText(uint32_t totalFields);

// The tooltip of a cell: the column caption on the first line and the whole text wrapped below
// it when the text is cut; the hidden-fields line when the row has more fields than are shown.
// Empty when there is nothing the cell does not already show: then no tooltip appears.
std::u16string CellTipText(std::u16string_view caption, std::u16string_view text, bool textCut, uint32_t totalFields,
                           const CharWidthTable& widths, const TipLimits& limits);

}  // namespace tovo
