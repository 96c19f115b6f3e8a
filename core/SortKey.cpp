#include "core/SortKey.h"

#include <string>

#include "core/StrUtil.h"

namespace tovo {

namespace {

constexpr uint64_t kClassNumber = 0;
constexpr uint64_t kClassText = kSortClassText;
constexpr uint64_t kClassEmpty = kSortClassEmpty;
constexpr int kClassShift = kSortClassShift;
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
bool IsSpace(char16_t c)
{
    return c == u' ' || c == u'\u3000';
}
bool IsComma(char16_t c)
{
    return c == u',' || c == u'，';
}
bool IsPoint(char16_t c)
{
    return c == u'.' || c == u'．';
}

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

char16_t FoldCase(char16_t c)
{
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
    if (c >= u'ａ' && c <= u'ｚ') return static_cast<char16_t>(c - 0x20);
    return c;
}

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

}  // namespace

void AppendNumberKey(std::u16string_view number, std::string& out)
{
    const size_t at = out.size();
    out.append(9, '\0');  // sign, then the decimal exponent
    bool negative = false;
    bool significant = false;
    int64_t exponent = 0;  // the value is 0.d1d2d3... x 10^exponent
    ScanNumber(number, negative, [&](int d, bool fraction) {
        if (!significant && d == 0) {
            if (fraction) --exponent;
            return;
        }
        significant = true;
        if (!fraction) ++exponent;
        out.push_back(static_cast<char>('0' + d));
    });
    while (out.size() > at + 9 && out.back() == '0') out.pop_back();
    if (!significant) {
        out[at] = 1;
        out.resize(at + 1);
        return;
    }
    out[at] = negative ? 0 : 2;
    const uint64_t biased = static_cast<uint64_t>(exponent) ^ (uint64_t{1} << 63);
    for (int k = 0; k < 8; ++k) out[at + 1 + static_cast<size_t>(k)] = static_cast<char>(biased >> (56 - 8 * k));
    // Below every digit, so a number that is a prefix of another is the smaller.
    out.push_back('\0');
    // A larger magnitude is a smaller negative number: every byte after the sign reversed.
    if (negative) {
        for (size_t i = at + 1; i < out.size(); ++i)
            out[i] = static_cast<char>(0xFF - static_cast<unsigned char>(out[i]));
    }
}

void AppendFoldedKey(std::u16string_view text, std::string& out)
{
    for (const char16_t unit : text) {
        const char16_t c = FoldCase(unit);
        out.push_back(static_cast<char>(c >> 8));
        out.push_back(static_cast<char>(c & 0xFF));
    }
}

bool ReadsAsNumber(std::u16string_view field)
{
    bool negative = false;
    return ScanNumber(field, negative, [](int, bool) {});
}

bool ReadNumberDigits(std::u16string_view field, bool& negative, std::string& digits, size_t& integerDigits)
{
    digits.clear();
    integerDigits = 0;
    return ScanNumber(field, negative, [&](int d, bool fraction) {
        if (!fraction) ++integerDigits;
        digits.push_back(static_cast<char>('0' + d));
    });
}

uint64_t SortKeyOf(std::u16string_view field)
{
    if (IsEmptyField(field)) return kClassEmpty << kClassShift;
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
    uint64_t magnitude =
        (static_cast<uint64_t>(code) << kExponentShift) | (digits << kDigitShift) | (leftOut ? 1u : 0u);
    if (negative) magnitude = kMagnitudeMask - magnitude;  // larger magnitude, earlier
    return (kClassNumber << kClassShift) | (uint64_t{negative ? 0u : 2u} << kSignShift) | magnitude;
}

// Two fields whose keys are equal and cannot settle it: by their collation keys or exact bytes.
static int CompareTie(std::u16string_view a, uint64_t key, std::u16string_view b, CollationKeyFn collate)
{
    std::string x, y;
    (SortKeyIsText(key) ? collate : AppendNumberKey)(a, x);
    (SortKeyIsText(key) ? collate : AppendNumberKey)(b, y);
    return Sign(x.compare(y));
}

int CompareSortFields(std::u16string_view a, std::u16string_view b, bool descending, CollationKeyFn collate)
{
    const uint64_t ka = SortKeyOf(a);
    return CompareSortKeys(ka, SortKeyOf(b), descending, [&] { return CompareTie(a, ka, b, collate); });
}

int CompareKeyedFields(std::u16string_view a, uint64_t keyA, std::u16string_view b, uint64_t keyB,
                       CollationKeyFn collate)
{
    return CompareSortKeys(keyA, keyB, false, [&] { return CompareTie(a, keyA, b, collate); });
}

}  // namespace tovo
