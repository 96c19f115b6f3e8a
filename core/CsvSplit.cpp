#include "core/CsvSplit.h"

#include <limits>
#include <stdexcept>

namespace tovo {

namespace {

constexpr char16_t kTab = u'\t';
constexpr char16_t kComma = u',';
constexpr char16_t kQuote = u'"';
constexpr char16_t kPlaceholder = u'\f';

// Branch-free inner block so the compiler can vectorise the common case of a
// line without the character; blocks keep the early exit for long lines.
bool Contains(const char16_t* p, size_t n, char16_t ch)
{
    constexpr size_t kBlock = 32;
    while (n >= kBlock) {
        unsigned hit = 0;
        for (size_t i = 0; i < kBlock; ++i) hit |= static_cast<unsigned>(p[i] == ch);
        if (hit) return true;
        p += kBlock;
        n -= kBlock;
    }
    for (; n != 0; --n, ++p) {
        if (*p == ch) return true;
    }
    return false;
}

// Tab and comma modes: every separator ends a field, empty pieces included.
// Per line: one compare per unit and one sink call per field.
void CutAt(const char16_t* s, uint32_t n, char16_t sep, FieldSink& sink)
{
    uint32_t start = 0;
    for (uint32_t i = 0; i < n; ++i) {
        if (s[i] == sep) {
            sink.OnField({start, i - start, false});
            start = i + 1;
        }
    }
    sink.OnField({start, n - start, false});
}

// Quoted mode of the automatic splitter: the line starts with a quote and only
// the sequence "," separates; quotes are never unescaped.
void SplitQuotedMode(const char16_t* s, uint32_t n, FieldSink& sink)
{
    // R is s[1..n).
    if (n == 1) {
        sink.OnField({1, 0, false});
        return;
    }
    uint32_t firstQuote = 1;
    while (firstQuote < n && s[firstQuote] != kQuote) ++firstQuote;
    if (firstQuote == n - 1) {
        sink.OnField({1, n - 2, false});
        return;
    }
    uint32_t start = 1;
    for (uint32_t i = 1; i + 2 < n; ++i) {
        if (s[i + 1] == kComma && s[i] == kQuote && s[i + 2] == kQuote) {
            sink.OnField({start, i - start, false});
            start = i + 3;
            i = start - 1;
        }
    }
    // The rest loses its last character whatever it is; a rest that is
    // already empty (a line ending in ",") stays one empty field.
    const uint32_t rest = n - start;
    sink.OnField({start, rest == 0 ? 0 : rest - 1, false});
}

void SplitAuto(const char16_t* s, uint32_t n, FieldSink& sink)
{
    if (const char16_t sep = AutoSeparator({s, n}))
        CutAt(s, n, sep, sink);
    else
        SplitQuotedMode(s, n, sink);
}

uint32_t SideOffset(const std::u16string& side)
{
    if (side.size() > std::numeric_limits<uint32_t>::max()) throw std::length_error("field side buffer too large");
    return static_cast<uint32_t>(side.size());
}

// A field of the quote-aware splitter, s[begin..end). Unchanged text stays a
// view into the line; only a field holding "" pairs or U+000C is copied.
void EmitQuoteAwareField(const char16_t* s, uint32_t begin, uint32_t end, bool changed, std::u16string& side,
                         FieldSink& sink)
{
    if (!changed) {
        const uint32_t len = end - begin;
        if (len >= 3 && s[begin] == kQuote && s[end - 1] == kQuote)
            sink.OnField({begin + 1, len - 2, false});
        else
            sink.OnField({begin, len, false});
        return;
    }
    const uint32_t start = SideOffset(side);
    for (uint32_t j = begin; j < end; ++j) {
        const char16_t c = s[j];
        if (c == kQuote && j + 1 < end && s[j + 1] == kQuote) {
            side.push_back(kQuote);
            ++j;
        } else {
            side.push_back(c == kPlaceholder ? kQuote : c);
        }
    }
    const uint32_t len = SideOffset(side) - start;
    if (len >= 3 && side[start] == kQuote && side.back() == kQuote)
        sink.OnField({start + 1, len - 2, true});
    else
        sink.OnField({start, len, true});
}

// The line is read as if a comma stood before it, so the first field always
// starts at 0. Two passes: whether the quote count is odd decides everything
// before the first field may be given out.
void SplitQuoteAware(const char16_t* s, uint32_t n, std::u16string& side, FieldSink& sink)
{
    uint32_t loneQuotes = 0;
    bool anyChange = false;
    for (uint32_t i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c == kQuote) {
            if (i + 1 < n && s[i + 1] == kQuote) {
                anyChange = true;
                ++i;
            } else {
                ++loneQuotes;
            }
        } else if (c == kPlaceholder) {
            anyChange = true;
        }
    }
    if (loneQuotes % 2 != 0) {
        // An unclosed quoted stretch: the whole line is the field, never stripped.
        if (!anyChange) {
            sink.OnField({0, n, false});
            return;
        }
        const uint32_t start = SideOffset(side);
        for (uint32_t j = 0; j < n; ++j) {
            const char16_t c = s[j];
            if (c == kQuote && j + 1 < n && s[j + 1] == kQuote) ++j;
            side.push_back(c == kPlaceholder ? kQuote : c);
        }
        sink.OnField({start, SideOffset(side) - start, true});
        return;
    }

    bool inQuote = false;
    bool changed = false;
    uint32_t start = 0;
    for (uint32_t i = 0; i < n; ++i) {
        switch (s[i]) {
            case kQuote:
                if (i + 1 < n && s[i + 1] == kQuote) {
                    changed = true;
                    ++i;
                } else {
                    inQuote = !inQuote;
                }
                break;
            case kPlaceholder: changed = true; break;
            case kComma:
                if (!inQuote) {
                    EmitQuoteAwareField(s, start, i, changed, side, sink);
                    start = i + 1;
                    changed = false;
                }
                break;
            default: break;
        }
    }
    EmitQuoteAwareField(s, start, n, changed, side, sink);
}

class StringCollector final : public FieldSink {
public:
    StringCollector(std::u16string_view line, const std::u16string& side) : line_(line), side_(side) {}
    void OnField(FieldRef f) override
    {
        const std::u16string_view base = f.inSide ? std::u16string_view(side_) : line_;
        fields.emplace_back(base.substr(f.offset, f.length));
    }
    std::vector<std::u16string> fields;

private:
    std::u16string_view line_;
    const std::u16string& side_;
};

}  // namespace

Splitter ChooseSplitter(bool autoChecked, bool ex1Checked)
{
    return !autoChecked && ex1Checked ? Splitter::QuoteAware : Splitter::Auto;
}

char16_t AutoSeparator(std::u16string_view line)
{
    if (Contains(line.data(), line.size(), kTab)) return kTab;
    return !line.empty() && line[0] == kQuote ? 0 : kComma;
}

void SplitLine(Splitter splitter, std::u16string_view line, std::u16string& side, FieldSink& sink)
{
    if (line.empty()) return;
    if (line.size() > std::numeric_limits<uint32_t>::max()) throw std::length_error("line too long to split");
    const auto n = static_cast<uint32_t>(line.size());
    if (splitter == Splitter::QuoteAware)
        SplitQuoteAware(line.data(), n, side, sink);
    else
        SplitAuto(line.data(), n, sink);
}

std::vector<std::u16string> SplitToStrings(Splitter splitter, std::u16string_view line)
{
    std::u16string side;
    // The collector reads side only after SplitLine has finished growing it
    // for the current field, so its reference stays valid.
    StringCollector collector(line, side);
    SplitLine(splitter, line, side, collector);
    return std::move(collector.fields);
}

std::vector<std::u16string> StringToCsvList(std::u16string_view line)
{
    return SplitToStrings(Splitter::Auto, line);
}

std::vector<std::u16string> StringToCsvListEx1(std::u16string_view line)
{
    return SplitToStrings(Splitter::QuoteAware, line);
}

}  // namespace tovo
