#include "core/RowOrder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include "core/RowModel.h"
#include "core/Search.h"

namespace tovo {

namespace {

constexpr uint32_t kHidden = UINT32_MAX;

// Full-width forms of the characters a number may hold map to ASCII; the rest stay.
char16_t NarrowUnit(char16_t c)
{
    if (c >= 0xFF10 && c <= 0xFF19) return static_cast<char16_t>(u'0' + (c - 0xFF10));
    switch (c) {
        case 0xFF0B: return u'+';
        case 0xFF0D: case 0x2212: return u'-';
        case 0xFF0C: return u',';
        case 0xFF0E: return u'.';
        case 0x3000: return u' ';
        default: return c;
    }
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Beyond this a double no longer holds every integer: such numbers are compared digit by digit,
// or long identifiers would tie or swap.
constexpr double kExactDoubleLimit = 9007199254740992.0;  // 2^53

struct NumberDigits {
    bool negative = false;
    std::string integer;   // no leading zeros
    std::string fraction;  // no trailing zeros
};

// Of a field ParseSortNumber accepts.
NumberDigits DigitsOf(std::u16string_view field)
{
    NumberDigits d;
    bool inFraction = false;
    for (char16_t unit : field) {
        const char16_t c = NarrowUnit(unit);
        if (c == u'-') d.negative = true;
        if (c == u'.') inFraction = true;
        if (!IsDigit(c)) continue;
        if (inFraction) {
            d.fraction.push_back(static_cast<char>(c));
        } else if (!d.integer.empty() || c != u'0') {
            d.integer.push_back(static_cast<char>(c));
        }
    }
    while (!d.fraction.empty() && d.fraction.back() == '0') d.fraction.pop_back();
    if (d.integer.empty() && d.fraction.empty()) d.negative = false;  // -0 is 0
    return d;
}

int CompareExact(std::u16string_view a, std::u16string_view b)
{
    const NumberDigits x = DigitsOf(a), y = DigitsOf(b);
    if (x.negative != y.negative) return x.negative ? -1 : 1;
    int c = 0;
    if (x.integer.size() != y.integer.size()) {
        c = x.integer.size() < y.integer.size() ? -1 : 1;
    } else if (const int i = x.integer.compare(y.integer); i != 0) {
        c = i < 0 ? -1 : 1;
    } else if (const int f = x.fraction.compare(y.fraction); f != 0) {
        c = f < 0 ? -1 : 1;
    }
    return x.negative ? -c : c;
}

enum class KeyKind : uint8_t { Number, Text, Empty };

// One per row, made once before sorting: a comparison then costs no splitting and no
// collation call.
struct SortKey {
    double value;
    uint32_t offset;  // into the collation bytes
    uint32_t length;
    uint32_t row;
    KeyKind kind;
};

}  // namespace

void RowOrder::Reset()
{
    // Released, not kept: a million-row order is 4 MB nobody needs in line order.
    std::vector<uint32_t>().swap(order_);
    std::vector<uint32_t>().swap(inverse_);
    modelRows_ = 0;
    active_ = false;
}

void RowOrder::Assign(std::vector<uint32_t> rows, int modelRows)
{
    order_ = std::move(rows);
    std::vector<uint32_t>().swap(inverse_);
    modelRows_ = std::max(modelRows, 0);
    active_ = true;
}

int RowOrder::ModelRow(int viewRow) const
{
    if (!active_) return viewRow;
    if (viewRow < 0 || static_cast<size_t>(viewRow) >= order_.size()) return -1;
    return static_cast<int>(order_[static_cast<size_t>(viewRow)]);
}

int RowOrder::ViewRow(int modelRow) const
{
    if (!active_) return modelRow;
    if (modelRow < 0 || modelRow >= modelRows_) return -1;
    if (inverse_.empty()) {
        inverse_.assign(static_cast<size_t>(modelRows_), kHidden);
        for (size_t v = 0; v < order_.size(); ++v) {
            if (order_[v] < inverse_.size()) inverse_[order_[v]] = static_cast<uint32_t>(v);
        }
    }
    const uint32_t v = inverse_[static_cast<size_t>(modelRow)];
    return v == kHidden ? -1 : static_cast<int>(v);
}

std::optional<double> ParseSortNumber(std::u16string_view field)
{
    size_t i = 0, n = field.size();
    while (i < n && NarrowUnit(field[i]) == u' ') ++i;
    while (n > i && NarrowUnit(field[n - 1]) == u' ') --n;
    if (i == n) return std::nullopt;
    bool negative = false;
    if (const char16_t c = NarrowUnit(field[i]); c == u'+' || c == u'-') {
        negative = c == u'-';
        ++i;
    }
    double value = 0;
    int digits = 0, groupDigits = 0;
    bool grouped = false;
    for (; i < n; ++i) {
        const char16_t c = NarrowUnit(field[i]);
        if (IsDigit(c)) {
            value = value * 10 + (c - u'0');
            ++digits;
            ++groupDigits;
        } else if (c == u',') {
            // Separators stand between groups of three, the first group of one to three.
            if (groupDigits == 0 || (grouped ? groupDigits != 3 : groupDigits > 3)) return std::nullopt;
            grouped = true;
            groupDigits = 0;
        } else {
            break;
        }
    }
    if (grouped && groupDigits != 3) return std::nullopt;
    if (i < n && NarrowUnit(field[i]) == u'.') {
        double scale = 0.1;
        for (++i; i < n && IsDigit(NarrowUnit(field[i])); ++i, scale /= 10) {
            value += (NarrowUnit(field[i]) - u'0') * scale;
            ++digits;
        }
    }
    if (i != n || digits == 0) return std::nullopt;
    return negative ? -value : value;
}

void SortRowsByField(std::vector<uint32_t>& rows, const RowModel& model, int field, bool descending,
                     CollationKeyFn collate)
{
    std::vector<SortKey> keys(rows.size());
    std::string bytes;
    for (size_t i = 0; i < rows.size(); ++i) {
        SortKey& key = keys[i];
        key = {0, 0, 0, rows[i], KeyKind::Empty};
        const std::u16string_view text = model.Field(static_cast<int>(rows[i]), field);
        if (text.empty()) continue;
        if (const auto number = ParseSortNumber(text)) {
            key.kind = KeyKind::Number;
            key.value = *number;
            continue;
        }
        key.kind = KeyKind::Text;
        key.offset = static_cast<uint32_t>(bytes.size());
        collate(text, bytes);
        key.length = static_cast<uint32_t>(bytes.size() - key.offset);
    }
    // <0, 0, >0 as a precedes, ties or follows b in ascending order.
    auto ascending = [&](const SortKey& a, const SortKey& b) -> int {
        if (a.kind != b.kind) return a.kind < b.kind ? -1 : 1;
        if (a.kind == KeyKind::Number) {
            if (std::fabs(a.value) >= kExactDoubleLimit || std::fabs(b.value) >= kExactDoubleLimit) {
                return CompareExact(model.Field(static_cast<int>(a.row), field),
                                    model.Field(static_cast<int>(b.row), field));
            }
            return a.value < b.value ? -1 : (b.value < a.value ? 1 : 0);
        }
        const int c = std::memcmp(bytes.data() + a.offset, bytes.data() + b.offset, std::min(a.length, b.length));
        if (c != 0) return c;
        return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
    };
    // The row number breaks ties, so an unstable sort gives the stable order.
    std::sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
        const bool aEmpty = a.kind == KeyKind::Empty, bEmpty = b.kind == KeyKind::Empty;
        if (aEmpty != bEmpty) return bEmpty;
        int c = aEmpty ? 0 : ascending(a, b);
        if (descending) c = -c;
        return c != 0 ? c < 0 : a.row < b.row;
    });
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = keys[i].row;
}

std::vector<uint32_t> MatchingRows(const RowModel& model, const TermMatcher& matcher)
{
    std::vector<uint32_t> rows;
    const int count = model.RowCount();
    for (int r = 0; r < count; ++r) {
        const int fields = model.FieldCount(r);
        for (int c = 0; c < fields; ++c) {
            if (matcher.Matches(model.Field(r, c))) {
                rows.push_back(static_cast<uint32_t>(r));
                break;
            }
        }
    }
    return rows;
}

}  // namespace tovo
