#include "core/RowText.h"

#include <algorithm>

namespace tovo {

namespace {

bool NeedsQuotes(std::u16string_view field)
{
    if (!field.empty() && field.front() == u'"') return true;
    return field.find_first_of(u"\t\r\n") != std::u16string_view::npos;
}

bool IsHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// A control character would break the tooltip's lines or draw as a box.
char16_t Shown(char16_t c)
{
    return c < 0x20 ? u' ' : c;
}

}  // namespace

std::u16string RowCopyText(const RowModel& rows, int row)
{
    if (row < 0 || row >= rows.RowCount()) return {};
    const int count = rows.FieldCount(row);
    size_t size = 0;
    for (int c = 0; c < count; ++c) size += rows.Field(row, c).size() + 1;
    std::u16string text;
    text.reserve(size);
    for (int c = 0; c < count; ++c) {
        if (c > 0) text += u'\t';
        const std::u16string_view field = rows.Field(row, c);
        if (!NeedsQuotes(field)) {
            text += field;
            continue;
        }
        text += u'"';
        for (char16_t ch : field) {
            if (ch == u'"') text += u'"';
            text += ch;
        }
        text += u'"';
    }
    return text;
}

bool CellTextCut(const CharWidthTable& widths, std::u16string_view text, int columnWidth, int padding,
                 size_t drawnUnits)
{
    if (text.empty()) return false;  // nothing to show, however narrow the column
    if (text.size() > drawnUnits) return true;
    return int64_t{MeasureText(widths, text)} + padding > columnWidth;
}

std::u16string WrapTipText(std::u16string_view text, const CharWidthTable& widths, const TipLimits& limits)
{
    const size_t lineUnits = std::max<size_t>(limits.maxLineUnits, 2);
    const int maxLines = std::max(limits.maxLines, 1);
    std::u16string out;
    size_t pos = 0;
    size_t budget = std::max<size_t>(limits.maxUnits, 1);
    // Per line: at most lineUnits units looked at, so a text of millions of units costs no more
    // than maxLines short lines.
    for (int line = 0; line < maxLines && pos < text.size() && budget > 0; ++line) {
        size_t end = pos;
        size_t afterSpace = std::u16string_view::npos;
        int64_t width = 0;
        while (end < text.size() && end - pos < std::min(lineUnits, budget)) {
            const char16_t c = text[end];
            const bool pair = IsHighSurrogate(c) && end + 1 < text.size() && IsLowSurrogate(text[end + 1]);
            int64_t w = widths.Width(Shown(c));
            if (pair) w += widths.Width(text[end + 1]);
            // Every line takes at least one character, however wide.
            if (end > pos && width + w > limits.maxLineWidth) break;
            width += w;
            end += pair ? 2 : 1;
            if (c == u' ') afterSpace = end;
        }
        // A full line breaks after its last space when that keeps at least half of it.
        if (end < text.size() && afterSpace != std::u16string_view::npos && afterSpace - pos > (end - pos) / 2) {
            end = afterSpace;
        }
        if (line > 0) out += u"\r\n";
        for (size_t i = pos; i < end; ++i) out += Shown(text[i]);
        budget -= std::min(budget, end - pos);
        pos = end;
    }
    if (pos < text.size()) out += u'…';
    return out;
}

std::u16string HiddenFieldsText(uint32_t totalFields)
{
    if (totalFields <= static_cast<uint32_t>(kShownFields)) return {};
    return u"+" + DecimalText(totalFields - static_cast<uint32_t>(kShownFields), 1) +
           u" フィールドは表示されていません";
}

std::u16string CellTipText(std::u16string_view caption, std::u16string_view text, bool textCut, uint32_t totalFields,
                           const CharWidthTable& widths, const TipLimits& limits)
{
    std::u16string tip;
    if (textCut) {
        TipLimits oneLine = limits;
        oneLine.maxLines = 1;
        tip = WrapTipText(caption, widths, oneLine);
        tip += u"\r\n";
        tip += WrapTipText(text, widths, limits);
    }
    const std::u16string hidden = HiddenFieldsText(totalFields);
    if (!hidden.empty()) {
        if (!tip.empty()) tip += u"\r\n";
        tip += hidden;
    }
    return tip;
}

}  // namespace tovo
