#include "core/ColumnFit.h"

#include <algorithm>
#include <limits>

namespace tovo {

int MeasureText(const CharWidthTable& widths, std::u16string_view text)
{
    int64_t sum = 0;
    for (char16_t c : text) sum += widths.Width(c);
    return static_cast<int>(std::clamp<int64_t>(sum, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

namespace {

void WidenToRow(std::array<int, kShownFields>& widest, const RowModel& rows, int row, const CharWidthTable& widths,
                size_t maxUnits)
{
    const int fields = rows.FieldCount(row);
    for (int c = 0; c < fields; ++c)
        widest[c] = std::max(widest[c], MeasureText(widths, rows.Field(row, c).substr(0, maxUnits)));
}

}  // namespace

std::optional<std::array<int, kShownFields>> MaxFieldWidths(const RowModel& rows, const RowOrder& shown,
                                                            const CharWidthTable& widths, size_t maxUnits,
                                                            const Progress& progress)
{
    std::array<int, kShownFields> best{};
    const int rowCount = rows.RowCount();
    // In line order, each row split once; rows a filter hides are not measured.
    for (int r = 0; r < rowCount; ++r) {
        if (!KeepGoing(progress, r, rowCount)) return std::nullopt;
        if (shown.Identity() || shown.ViewRow(r) >= 0) WidenToRow(best, rows, r, widths, maxUnits);
    }
    return best;
}

}  // namespace tovo
