// Column widths measured from a table of character advances, so fitting a
// million rows need not ask the list view about every cell.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/RowModel.h"
#include "core/RowOrder.h"

namespace tovo {

// Advance width in pixels of every UTF-16 unit in the list's font, filled by
// the platform once per font. A surrogate pair counts as its two units.
class CharWidthTable {
public:
    CharWidthTable() : widths_(65536, 0) {}
    void Set(char16_t unit, int32_t width) { widths_[unit] = width; }
    int32_t Width(char16_t unit) const { return widths_[unit]; }
    int32_t* data() { return widths_.data(); }

private:
    std::vector<int32_t> widths_;
};

// Sum of the advances, saturated at INT32_MAX for absurdly long text.
int MeasureText(const CharWidthTable& widths, std::u16string_view text);

// Widest cell of each of the 96 data columns over the rows `shown` shows,
// in one pass: the cost is one table look-up per character of each stored
// field. The caller adds the caption and the cell padding. Only the first
// maxUnits units of a field are measured (a list view draws no more of a cell).
// nullopt when `progress` stopped the walk.
std::optional<std::array<int, kShownFields>> MaxFieldWidths(const RowModel& rows, const RowOrder& shown,
                                                            const CharWidthTable& widths, size_t maxUnits,
                                                            const Progress& progress);
inline std::array<int, kShownFields> MaxFieldWidths(const RowModel& rows, const RowOrder& shown,
                                                    const CharWidthTable& widths, size_t maxUnits = SIZE_MAX)
{
    return *MaxFieldWidths(rows, shown, widths, maxUnits, Progress{});
}

}  // namespace tovo
