#include "core/SortKey.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>

namespace tovo {

namespace {

constexpr uint64_t kClassNumber = 0;
constexpr uint64_t kClassText = 1;
constexpr uint64_t kClassEmpty = 2;
constexpr int kClassShift = 62;
constexpr int kSignShift = 58;  // 0 negative, 1 zero, 2 positive
constexpr uint64_t kMagnitudeMask = (uint64_t{1} << kSignShift) - 1;
// Magnitude bits: decimal exponent (13 bits), 13 significant digits (44 bits), left-out flag.
constexpr int kKeptDigits = 13;
constexpr int kDigitShift = 1;
constexpr int kExponentShift = 45;
constexpr int64_t kExponentBias = 4096;
constexpr int64_t kExponentMax = 8191;  // 0 and 8191: below or above every exponent kept exactly

int DigitOf(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'０' && c <= u'９') return c - u'０';
    return -1;
}
bool IsSpace(char16_t c) { return c == u' ' || c == u'\u3000'; }
bool IsComma(char16_t c) { return c == u',' || c == u'，'; }
bool IsPoint(char16_t c) { return c == u'.' || c == u'．'; }

int Sign(int v) { return (v > 0) - (v < 0); }

// Reads `s` as a number, reporting each digit in order with whether it follows the point.
template <class OnDigit>
bool ScanNumber(std::u16string_view s, bool& negative, OnDigit&& onDigit)
{
    size_t i = 0, n = s.size();
    while (i < n && IsSpace(s[i])) ++i;
    while (n > i && IsSpace(s[n - 1])) --n;
    negative = false;
    if (i < n && (s[i] == u'+' || s[i] == u'＋')) {
        ++i;
    } else if (i < n && (s[i] == u'-' || s[i] == u'－')) {
        negative = true;
        ++i;
    }
    size_t digits = 0;
    size_t group = 0;  // digits since the start or the last comma
    bool grouped = false;
    bool leadingZero = false;
    for (; i < n; ++i) {
        const int d = DigitOf(s[i]);
        if (d >= 0) {
            if (digits == 0) leadingZero = d == 0;
            ++group;
            ++digits;
            onDigit(d, false);
        } else if (IsComma(s[i])) {
            if (group == 0) return false;
            if (!grouped && (group > 3 || leadingZero)) return false;
            if (grouped && group != 3) return false;
            grouped = true;
            group = 0;
        } else {
            break;
        }
    }
    if (grouped && group != 3) return false;
    if (i < n && IsPoint(s[i])) {
        for (++i; i < n; ++i) {
            const int d = DigitOf(s[i]);
            if (d < 0) break;
            ++digits;
            onDigit(d, true);
        }
    }
    return i == n && digits > 0;
}

// A number as its sign and its digits without leading or trailing zeros.
struct Decimal {
    bool negative = false;
    std::string whole;     // no leading zeros
    std::string fraction;  // no trailing zeros
    bool IsZero() const { return whole.empty() && fraction.empty(); }
};

Decimal ReadDecimal(std::u16string_view s)
{
    Decimal d;
    ScanNumber(s, d.negative, [&](int digit, bool fraction) {
        if (fraction) {
            d.fraction += static_cast<char>('0' + digit);
        } else if (digit != 0 || !d.whole.empty()) {
            d.whole += static_cast<char>('0' + digit);
        }
    });
    while (!d.fraction.empty() && d.fraction.back() == '0') d.fraction.pop_back();
    return d;
}

// Only for two numbers whose keys could not tell them apart: rare, so allocating is fine.
int CompareNumbersExactly(std::u16string_view a, std::u16string_view b)
{
    const Decimal x = ReadDecimal(a), y = ReadDecimal(b);
    const int sx = x.IsZero() ? 0 : x.negative ? -1 : 1;
    const int sy = y.IsZero() ? 0 : y.negative ? -1 : 1;
    if (sx != sy || sx == 0) return Sign(sx - sy);
    int magnitude = Sign(static_cast<int>(x.whole.size()) - static_cast<int>(y.whole.size()));
    if (magnitude == 0) magnitude = Sign(x.whole.compare(y.whole));
    if (magnitude == 0) magnitude = Sign(x.fraction.compare(y.fraction));
    return sx * magnitude;
}

uint64_t ClassOf(uint64_t key) { return key >> kClassShift; }

char16_t FoldCase(char16_t c)
{
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
    if (c >= u'ａ' && c <= u'ｚ') return static_cast<char16_t>(c - 0x20);
    return c;
}

}  // namespace

int CompareFoldedText(std::u16string_view a, std::u16string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char16_t x = FoldCase(a[i]), y = FoldCase(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return Sign(static_cast<int>(a.size() > b.size()) - static_cast<int>(a.size() < b.size()));
}

bool ReadsAsNumber(std::u16string_view field)
{
    bool negative = false;
    return ScanNumber(field, negative, [](int, bool) {});
}

uint64_t SortKeyOf(std::u16string_view field)
{
    if (field.empty()) return kClassEmpty << kClassShift;
    bool negative = false;
    int significant = 0;
    int64_t exponent = 0;  // the value is 0.d1d2d3... x 10^exponent
    uint64_t digits = 0;
    bool leftOut = false;
    const bool number = ScanNumber(field, negative, [&](int d, bool fraction) {
        if (significant == 0 && d == 0) {
            if (fraction) --exponent;
            return;
        }
        if (!fraction) ++exponent;
        if (significant < kKeptDigits) {
            digits = digits * 10 + static_cast<uint64_t>(d);
        } else if (d != 0) {
            leftOut = true;
        }
        ++significant;
    });
    if (!number) return kClassText << kClassShift;
    if (significant == 0) return (kClassNumber << kClassShift) | (uint64_t{1} << kSignShift);
    for (int k = significant; k < kKeptDigits; ++k) digits *= 10;

    int64_t code = exponent + kExponentBias;
    if (code < 1 || code > kExponentMax - 1) {
        // Beyond the kept exponents: all such values share one key and compare by their text.
        code = code < 1 ? 0 : kExponentMax;
        digits = 0;
        leftOut = true;
    }
    uint64_t magnitude = (static_cast<uint64_t>(code) << kExponentShift) | (digits << kDigitShift) | (leftOut ? 1u : 0u);
    if (negative) magnitude = kMagnitudeMask - magnitude;  // larger magnitude, earlier
    return (kClassNumber << kClassShift) | (uint64_t{negative ? 0u : 2u} << kSignShift) | magnitude;
}

bool SortKeyNeedsText(uint64_t key)
{
    if (ClassOf(key) == kClassText) return true;
    if (ClassOf(key) != kClassNumber) return false;
    const uint64_t sign = (key >> kSignShift) & 3u;
    if (sign == 1) return false;
    const bool lowBit = (key & 1u) != 0;
    return sign == 2 ? lowBit : !lowBit;  // negatives store the flag inverted
}

namespace {

// Three-way order of two fields with equal keys.
int CompareEqualKeys(uint64_t key, std::u16string_view a, std::u16string_view b, const SortTextCompare& text)
{
    if (!SortKeyNeedsText(key)) return 0;
    return ClassOf(key) == kClassText ? Sign(text(a, b)) : CompareNumbersExactly(a, b);
}

}  // namespace

int CompareSortFields(std::u16string_view a, std::u16string_view b, bool descending, const SortTextCompare& text)
{
    const uint64_t ka = SortKeyOf(a), kb = SortKeyOf(b);
    const bool ea = ClassOf(ka) == kClassEmpty, eb = ClassOf(kb) == kClassEmpty;
    if (ea || eb) return static_cast<int>(ea) - static_cast<int>(eb);
    const int c = ka != kb ? (ka < kb ? -1 : 1) : CompareEqualKeys(ka, a, b, text);
    return descending ? -c : c;
}

namespace {

// Heterogeneous lookup, so finding a field allocates nothing.
struct TextHash {
    using is_transparent = void;
    size_t operator()(std::u16string_view s) const { return std::hash<std::u16string_view>{}(s); }
};

// Replaces the text keys of `rows` by their rank among the column's distinct texts, so the sort
// compares texts only while ranking the distinct ones. False (keys unchanged) when the column
// holds more than `maxRanked` distinct texts: then the sort compares the fields themselves.
bool RankTexts(const std::vector<uint32_t>& rows, std::vector<uint64_t>& keys, const SortFieldOf& fieldOf,
               const SortTextCompare& text, size_t maxRanked)
{
    std::unordered_map<std::u16string, uint32_t, TextHash, std::equal_to<>> ids;
    std::vector<const std::u16string*> distinct;
    std::u16string scratch;
    for (const uint32_t r : rows) {
        if (ClassOf(keys[r]) != kClassText) continue;
        const std::u16string_view field = fieldOf(r, scratch);
        auto it = ids.find(field);
        if (it == ids.end()) {
            if (distinct.size() == maxRanked) {
                for (const uint32_t k : rows) {
                    if (ClassOf(keys[k]) == kClassText) keys[k] = kClassText << kClassShift;
                }
                return false;
            }
            it = ids.emplace(std::u16string(field), static_cast<uint32_t>(distinct.size())).first;
            distinct.push_back(&it->first);
        }
        keys[r] = (kClassText << kClassShift) | it->second;
    }
    std::vector<uint32_t> order(distinct.size());
    for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return text(*distinct[a], *distinct[b]) < 0; });
    // Texts the comparison calls equal share a rank.
    std::vector<uint32_t> rank(distinct.size());
    uint32_t current = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && text(*distinct[order[i - 1]], *distinct[order[i]]) != 0) ++current;
        rank[order[i]] = current;
    }
    for (const uint32_t r : rows) {
        if (ClassOf(keys[r]) == kClassText) keys[r] = (kClassText << kClassShift) | rank[keys[r] & 0xFFFFFFFFu];
    }
    return true;
}

}  // namespace

void SortRows(std::vector<uint32_t>& rows, uint32_t rowCount, const SortFieldOf& fieldOf, bool descending,
              const SortTextCompare& text, size_t maxRankedTexts)
{
    std::vector<uint64_t> keys(rowCount);
    std::u16string scratchA, scratchB;
    for (const uint32_t r : rows) {
        if (r >= rowCount) throw std::out_of_range("row index past the row count");
        keys[r] = SortKeyOf(fieldOf(r, scratchA));
    }
    const bool ranked = RankTexts(rows, keys, fieldOf, text, maxRankedTexts);
    // The keys settle numbers (but those too long for them) and, once ranked, texts; otherwise
    // text against text reads both fields again.
    std::sort(rows.begin(), rows.end(), [&](uint32_t a, uint32_t b) {
        const uint64_t ka = keys[a], kb = keys[b];
        int c = 0;
        if (ka != kb) {
            const bool ea = ClassOf(ka) == kClassEmpty, eb = ClassOf(kb) == kClassEmpty;
            if (ea || eb) return eb;
            c = ka < kb ? -1 : 1;
        } else if (SortKeyNeedsText(ka) && !(ranked && ClassOf(ka) == kClassText)) {
            c = CompareEqualKeys(ka, fieldOf(a, scratchA), fieldOf(b, scratchB), text);
        }
        if (descending) c = -c;
        return c != 0 ? c < 0 : a < b;
    });
}

}  // namespace tovo
