#include "core/Search.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "core/RowModel.h"
#include "core/RowOrder.h"

namespace tovo {

namespace {

constexpr char16_t AsciiUpper(char16_t c)
{
    return static_cast<char16_t>(static_cast<unsigned>(c - u'a') < 26u ? c - 0x20 : c);
}

// OR of all units in blocks: vectorises, and long fields still stop early.
bool IsAscii(std::u16string_view s)
{
    const char16_t* p = s.data();
    size_t n = s.size();
    constexpr size_t kBlock = 32;
    while (n >= kBlock) {
        unsigned acc = 0;
        for (size_t i = 0; i < kBlock; ++i) acc |= p[i];
        if (acc >= 0x80) return false;
        p += kBlock;
        n -= kBlock;
    }
    unsigned acc = 0;
    for (; n != 0; --n, ++p) acc |= *p;
    return acc < 0x80;
}

// Blocks without case in any locale (CJK, kana, Hangul, full- and half-width
// forms, whose letters map to full-width ones): their upper case is never
// ASCII, so next to an ASCII term they behave like non-matching units.
bool CaselessNonAscii(char16_t c)
{
    return (c >= 0x3000 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF);
}

bool AsciiOrCaseless(std::u16string_view s)
{
    for (char16_t c : s) {
        if (c >= 0x80 && !CaselessNonAscii(c)) return false;
    }
    return true;
}

char16_t UpperUnit(char16_t c)
{
    if (c < 0x80) return AsciiUpper(c);
    if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);  // full-width a-z
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF) return 0x178;
    if (c == 0xB5) return 0x39C;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs upper/lower, except where the pairing shifts.
        if (c == 0x131) return u'I';
        if (c == 0x17F) return u'S';
        const bool oddLower = (c <= 0x137) || (c >= 0x14A && c <= 0x177);
        const bool evenLower = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if ((oddLower && (c & 1)) || (evenLower && !(c & 1))) return static_cast<char16_t>(c - 1);
        return c;
    }
    if (c >= 0x3B1 && c <= 0x3C9) return c == 0x3C2 ? char16_t{0x3A3} : static_cast<char16_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
    return c;
}

// The fields of row `r` a walk tries: [first, stop), narrowed to `onlyField` unless kAllFields.
struct FieldSpan {
    int first, stop;
};
FieldSpan FieldsToTry(const RowModel& rows, int r, int first, int onlyField)
{
    // Cells past FieldCount are empty and never match: they are not tried.
    int stop = rows.FieldCount(r);
    if (onlyField != kAllFields) {
        first = std::max(first, onlyField);
        stop = std::min(stop, onlyField + 1);
    }
    return {first, stop};
}

// Whether the row's line can hold a match in the fields tried: most rows of a long walk cannot,
// and those are never split.
bool MayMatchRow(const RowModel& rows, int r, const FieldMatcher& matcher)
{
    return !rows.FieldsArePiecesOfLine(r) || matcher.MayMatchPieceOf(rows.LineText(r));
}

// Whether a walk stops before row `done`: its caller asked it to, or the matcher kept giving up.
bool WalkStops(const Progress& progress, int64_t done, int64_t total, const FieldMatcher& matcher, bool& stopped,
               bool& gaveUp)
{
    stopped = !KeepGoing(progress, done, total);
    gaveUp = !stopped && matcher.GaveUp();
    return stopped || gaveUp;
}

// step: +1 forward, -1 backward.
SearchResult SearchRows(const RowModel& rows, const RowOrder& order, int selectedRow, int searchCol,
                        const FieldMatcher& matcher, const Progress& progress, int step, int onlyField)
{
    SearchResult result;
    // Rows are walked in the order shown; selectedRow and the hit are rows shown.
    const int count = order.Count(rows.RowCount());
    if (selectedRow < 0 || selectedRow >= count) return result;
    // Past field 96 (or a corrupt negative column) the selected row is
    // skipped or searched whole, never indexed out of range.
    const int firstCol =
        static_cast<int>(std::clamp<long long>(static_cast<long long>(searchCol) + 1, 0, kShownFields));
    const int64_t reachable = step > 0 ? int64_t{count} - selectedRow : int64_t{selectedRow} + 1;
    for (int v = selectedRow; v >= 0 && v < count; v += step) {
        if (WalkStops(progress, (int64_t{v} - selectedRow) * step, reachable, matcher, result.stopped, result.gaveUp))
            return result;
        const int r = order.ModelRow(v);
        if (r < 0 || r >= rows.RowCount()) continue;
        if (!MayMatchRow(rows, r, matcher)) continue;
        const FieldSpan span = FieldsToTry(rows, r, v == selectedRow ? firstCol : 0, onlyField);
        for (int c = span.first; c < span.stop; ++c) {
            if (matcher.Matches(rows.Field(r, c))) result.cols.push_back(c);
        }
        if (!result.cols.empty()) {
            result.found = true;
            result.row = v;
            result.lastCol = result.cols.back();
            return result;
        }
    }
    return result;
}

// The units past ASCII that `upper` maps to ASCII, sorted; null when it maps some unit to more
// or fewer than one. Once per mapping: it maps every unit of the plane.
std::shared_ptr<const std::vector<char16_t>> UnitsUpperCasedToAscii(UpperFn upper)
{
    static std::mutex lock;
    static std::vector<std::pair<UpperFn, std::shared_ptr<const std::vector<char16_t>>>> known;
    const std::lock_guard<std::mutex> guard(lock);
    for (const auto& [fn, units] : known) {
        if (fn == upper) return units;
    }
    std::u16string all;
    all.reserve(0x10000 - 0x80);
    // Surrogates stand alone here; no character past the plane has an ASCII capital.
    for (unsigned c = 0x80; c <= 0xFFFF; ++c) all.push_back((c >= 0xD800 && c <= 0xDFFF) ? u'?' : char16_t(c));
    const std::u16string mapped = upper(all);
    std::shared_ptr<std::vector<char16_t>> units;
    if (mapped.size() == all.size()) {
        units = std::make_shared<std::vector<char16_t>>();
        for (size_t i = 0; i < all.size(); ++i) {
            if (mapped[i] < 0x80 && all[i] != u'?') units->push_back(all[i]);
        }
    }
    known.emplace_back(upper, units);
    return units;
}

}  // namespace

void FileSearchTerm(std::vector<std::u16string>& history, std::u16string_view term)
{
    if (term.empty()) return;
    const auto same = std::find(history.begin(), history.end(), term);
    if (same != history.end()) history.erase(same);
    history.insert(history.begin(), std::u16string(term));
    if (history.size() > kSearchHistoryMax) history.pop_back();
}

std::u16string DefaultUpper(std::u16string_view text)
{
    std::u16string out(text);
    for (char16_t& c : out) c = UpperUnit(c);
    return out;
}

TermMatcher::TermMatcher(std::u16string_view term, UpperFn upper) : upper_(upper), term_(upper(term))
{
    termAscii_ = IsAscii(term_);
    std::u16string ascii;
    for (char16_t c = 1; c < 0x80; ++c) ascii.push_back(c);
    const std::u16string mapped = upper(ascii);
    asciiFastPath_ = mapped.size() == ascii.size();
    for (size_t i = 0; asciiFastPath_ && i < ascii.size(); ++i) asciiFastPath_ = mapped[i] == AsciiUpper(ascii[i]);
    if (asciiFastPath_ && termAscii_) {
        asciiBound_ = UnitsUpperCasedToAscii(upper);
        if (asciiBound_ && !asciiBound_->empty()) {
            asciiBoundLow_ = asciiBound_->front();
            asciiBoundSpan_ = static_cast<char16_t>(asciiBound_->back() - asciiBound_->front());
        }
    }
    // Kana and ideographs have no case, and no letter's capital is one, so only the unit itself
    // maps to it.
    for (const char16_t c : term_) {
        if ((c >= 0x3040 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x9FFF)) {
            if (upper(std::u16string_view(&c, 1)) == std::u16string_view(&c, 1)) anchor_ = c;
            break;
        }
    }
}

// Per field: one pass to classify, then a first-unit scan; nothing allocated.
bool TermMatcher::MatchesAscii(std::u16string_view field) const
{
    // An ASCII field upper-cases to ASCII, which cannot hold a non-ASCII term.
    // Caseless non-ASCII units never equal a unit of an ASCII term.
    if (!termAscii_) return false;
    const size_t n = field.size();
    const size_t m = term_.size();
    if (m > n) return false;
    const char16_t first = term_[0];
    // The units whose ASCII capital is the first unit: itself and, for a letter, its small form.
    const char16_t firstSmall = (first >= u'A' && first <= u'Z') ? static_cast<char16_t>(first + 0x20) : first;
    const size_t lastStart = n - m;
    constexpr size_t kBlock = 16;
    for (size_t i = 0; i <= lastStart;) {
        // Blocks holding neither form of the first unit are passed in one vectorised test each:
        // most of a line is.
        if (lastStart - i >= kBlock) {
            unsigned seen = 0;
            for (size_t k = 0; k < kBlock; ++k)
                seen |= unsigned{field[i + k] == first} | unsigned{field[i + k] == firstSmall};
            if (seen == 0) {
                i += kBlock;
                continue;
            }
        }
        for (const size_t stop = std::min(lastStart + 1, i + kBlock); i < stop; ++i) {
            if (AsciiUpper(field[i]) != first) continue;
            size_t k = 1;
            while (k < m && AsciiUpper(field[i + k]) == term_[k]) ++k;
            if (k == m) return true;
        }
    }
    return false;
}

bool TermMatcher::Matches(std::u16string_view field) const
{
    if (field.empty()) return false;
    if (term_.empty()) return true;
    if (asciiFastPath_) {
        if (IsAscii(field)) return MatchesAscii(field);
        // Japanese text next to an ASCII term need not go through the
        // platform mapping (and its allocation) either.
        if (termAscii_ && AsciiOrCaseless(field)) return MatchesAscii(field);
    }
    return upper_(field).find(term_) != std::u16string::npos;
}

// Where Matches takes the ASCII path for the line it takes it for every piece of it, and a piece
// holding the term means the line holds it.
bool TermMatcher::MayMatchPieceOf(std::u16string_view line) const
{
    if (term_.empty()) return true;
    if (anchor_ != 0) return line.find(anchor_) != std::u16string_view::npos;
    if (!asciiFastPath_ || !termAscii_) return true;
    if (asciiBound_) {
        // One OR per unit over the line (vectorised), then the ASCII scan: a line with "Müller"
        // in it is told here, not split.
        if (!asciiBound_->empty()) {
            unsigned near = 0;
            for (const char16_t c : line) near |= static_cast<char16_t>(c - asciiBoundLow_) <= asciiBoundSpan_;
            if (near != 0) {
                for (const char16_t c : line) {
                    if (std::binary_search(asciiBound_->begin(), asciiBound_->end(), c)) return true;
                }
            }
        }
        return MatchesAscii(line);
    }
    if (!IsAscii(line) && !AsciiOrCaseless(line)) return true;
    return MatchesAscii(line);
}

SearchResult SearchForward(const RowModel& rows, int selectedRow, int searchCol, const FieldMatcher& matcher)
{
    return SearchForward(rows, RowOrder{}, selectedRow, searchCol, matcher);
}

SearchResult SearchBackward(const RowModel& rows, int selectedRow, int searchCol, const FieldMatcher& matcher)
{
    return SearchBackward(rows, RowOrder{}, selectedRow, searchCol, matcher);
}

SearchResult SearchForward(const RowModel& rows, const RowOrder& order, int selectedRow, int searchCol,
                           const FieldMatcher& matcher, const Progress& progress, int onlyField)
{
    return SearchRows(rows, order, selectedRow, searchCol, matcher, progress, 1, onlyField);
}

SearchResult SearchBackward(const RowModel& rows, const RowOrder& order, int selectedRow, int searchCol,
                            const FieldMatcher& matcher, const Progress& progress, int onlyField)
{
    return SearchRows(rows, order, selectedRow, searchCol, matcher, progress, -1, onlyField);
}

MatchCount CountMatches(const RowModel& rows, const RowOrder& order, const FieldMatcher& matcher, int onlyField,
                        const Progress& progress)
{
    MatchCount result;
    const int count = order.Count(rows.RowCount());
    for (int v = 0; v < count; ++v) {
        if (WalkStops(progress, v, count, matcher, result.stopped, result.gaveUp)) return result;
        const int r = order.ModelRow(v);
        if (r < 0 || r >= rows.RowCount() || !MayMatchRow(rows, r, matcher)) continue;
        const FieldSpan span = FieldsToTry(rows, r, 0, onlyField);
        int64_t hits = 0;
        for (int c = span.first; c < span.stop; ++c) hits += matcher.Matches(rows.Field(r, c)) ? 1 : 0;
        result.rows += hits != 0 ? 1 : 0;
        result.fields += hits;
    }
    result.runaways = matcher.Runaways();
    return result;
}

std::u16string MatchCountText(const MatchCount& count)
{
    std::u16string text = u"一致: " + DecimalText(count.rows, 1) + u" 行 / " + DecimalText(count.fields, 1) + u" セル";
    // A count that skipped fields is not the whole count: say so.
    if (count.runaways > 0) text += u" (複雑すぎて調べきれなかったセル: " + DecimalText(count.runaways, 1) + u")";
    return text;
}

int FindRowByCaption(const RowModel& rows, const RowOrder& order, int start, std::u16string_view prefix, bool wrap)
{
    const int count = order.Count(rows.RowCount());
    // Captions are decimal digits: anything else starts none, and costs no walk.
    if (count <= 0 || prefix.empty() || prefix.size() >= kDecimalBufferSize) return -1;
    for (const char16_t c : prefix) {
        if (c < u'0' || c > u'9') return -1;
    }
    if (start < 0 || start >= count) start = 0;
    // Per row: one caption written into a buffer on the stack and compared, nothing allocated.
    auto matches = [&](int view) {
        const int row = order.ModelRow(view);
        if (row < 0 || row >= rows.RowCount()) return false;
        char16_t caption[kDecimalBufferSize];
        const int length = RowModel::FormatCaption(rows.LineNumber(row) + 1, caption);
        return std::u16string_view(caption, static_cast<size_t>(length)).starts_with(prefix);
    };
    for (int view = start; view < count; ++view) {
        if (matches(view)) return view;
    }
    for (int view = 0; wrap && view < start; ++view) {
        if (matches(view)) return view;
    }
    return -1;
}

std::u16string HitColumnsText(const std::vector<int>& cols)
{
    std::u16string text;
    for (size_t i = 0; i < cols.size(); ++i) {
        if (i != 0) text += u'/';
        text += DecimalText(int64_t{cols[i]} + 1, 2);
    }
    return text;
}

std::u16string HitStatusText(std::u16string_view caption, const std::vector<int>& cols)
{
    std::u16string text(u"行:");
    text += caption;
    text += u" 桁:";
    text += HitColumnsText(cols);
    return text;
}

}  // namespace tovo
