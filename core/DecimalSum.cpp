#include "core/DecimalSum.h"

#include <algorithm>

#include "core/SortKey.h"

namespace tovo {

namespace {

// Carries the places' totals into digits, least significant first, `scale` of them fractional.
std::vector<uint8_t> Carry(const std::vector<uint64_t>& whole, const std::vector<uint64_t>& fraction, size_t scale)
{
    std::vector<uint8_t> digits;
    digits.reserve(scale + whole.size() + 20);
    uint64_t carry = 0;
    const auto push = [&](uint64_t place) {
        carry += place;
        digits.push_back(static_cast<uint8_t>(carry % 10));
        carry /= 10;
    };
    for (size_t k = scale; k-- > 0;) push(k < fraction.size() ? fraction[k] : 0);
    for (const uint64_t place : whole) push(place);
    while (carry != 0) push(0);
    return digits;
}

// a - b for digit vectors (least significant first) with a >= b.
void SubtractFrom(std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    int borrow = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        int d = a[i] - borrow - (i < b.size() ? b[i] : 0);
        borrow = d < 0;
        a[i] = static_cast<uint8_t>(d + (borrow ? 10 : 0));
    }
}

// Compares digit vectors (least significant first) by value.
int CompareDigits(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    for (size_t i = std::max(a.size(), b.size()); i-- > 0;) {
        const int x = i < a.size() ? a[i] : 0, y = i < b.size() ? b[i] : 0;
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

// Digits (most significant first) as a plain decimal whose first digit stands for 10^exponent:
// zeros fill to the point, a fraction loses its trailing zeros.
std::u16string PlainDecimal(bool negative, std::string_view digits, int64_t exponent)
{
    while (!digits.empty() && digits.front() == '0') {
        digits.remove_prefix(1);
        --exponent;
    }
    if (digits.empty()) return u"0";
    std::u16string out = negative ? u"-" : u"";
    if (exponent < 0) out.append(u"0.").append(static_cast<size_t>(-exponent - 1), u'0');
    for (size_t i = 0; i < digits.size(); ++i) {
        if (exponent >= 0 && i == static_cast<size_t>(exponent) + 1) out += u'.';
        out += static_cast<char16_t>(digits[i]);
    }
    if (exponent >= 0 && digits.size() <= static_cast<size_t>(exponent))
        out.append(static_cast<size_t>(exponent) + 1 - digits.size(), u'0');
    if (out.find(u'.') != std::u16string::npos) {
        while (out.back() == u'0') out.pop_back();
        if (out.back() == u'.') out.pop_back();
    }
    return out;
}

}  // namespace

bool DecimalSum::Add(std::u16string_view field)
{
    bool negative = false;
    size_t integerDigits = 0;
    if (!ReadNumberDigits(field, negative, scratch_, integerDigits)) return false;
    ++count_;
    Places& places = negative ? negative_ : positive_;
    // Leading zeros and a fraction's trailing zeros reach no place.
    size_t first = 0;
    while (first < integerDigits && scratch_[first] == '0') ++first;
    size_t end = scratch_.size();
    while (end > integerDigits && scratch_[end - 1] == '0') --end;
    if (integerDigits - first > places.whole.size()) places.whole.resize(integerDigits - first);
    if (end > integerDigits && end - integerDigits > places.fraction.size())
        places.fraction.resize(end - integerDigits);
    for (size_t i = first; i < integerDigits; ++i)
        places.whole[integerDigits - 1 - i] += static_cast<uint64_t>(scratch_[i] - '0');
    for (size_t i = integerDigits; i < end; ++i)
        places.fraction[i - integerDigits] += static_cast<uint64_t>(scratch_[i] - '0');
    return true;
}

std::string DecimalSum::Digits(bool& negative, size_t& scale) const
{
    scale = std::max(positive_.fraction.size(), negative_.fraction.size());
    std::vector<uint8_t> plus = Carry(positive_.whole, positive_.fraction, scale);
    std::vector<uint8_t> minus = Carry(negative_.whole, negative_.fraction, scale);
    negative = CompareDigits(plus, minus) < 0;
    if (negative) plus.swap(minus);
    SubtractFrom(plus, minus);
    std::string digits;
    for (size_t i = plus.size(); i-- > 0;) digits.push_back(static_cast<char>('0' + plus[i]));
    if (digits.size() <= scale) digits.insert(0, scale + 1 - digits.size(), '0');  // a digit before the point
    return digits;
}

std::u16string DecimalSum::SumText() const
{
    bool negative = false;
    size_t scale = 0;
    const std::string digits = Digits(negative, scale);
    return PlainDecimal(negative, digits, static_cast<int64_t>(digits.size() - scale) - 1);
}

std::u16string DecimalSum::MeanText(int significant) const
{
    if (count_ == 0) return {};
    bool negative = false;
    size_t scale = 0;
    const std::string sum = Digits(negative, scale);
    // Long division by the count, the sum's digits then zeros, until one digit past those kept:
    // the remainder stays below the count, so each step fits 64 bits.
    const auto divisor = static_cast<uint64_t>(count_);
    const size_t kept = static_cast<size_t>(std::max(significant, 1));
    std::string quotient;
    int64_t exponent = static_cast<int64_t>(sum.size() - scale) - 1;  // of the next quotient digit
    int64_t firstExponent = 0;
    uint64_t remainder = 0;
    for (size_t i = 0; quotient.size() <= kept; ++i, --exponent) {
        if (i >= sum.size() && remainder == 0) break;
        remainder = remainder * 10 + (i < sum.size() ? static_cast<uint64_t>(sum[i] - '0') : 0);
        const auto digit = static_cast<char>('0' + remainder / divisor);
        remainder %= divisor;
        if (quotient.empty() && digit == '0') continue;
        if (quotient.empty()) firstExponent = exponent;
        quotient.push_back(digit);
    }
    if (quotient.empty()) return u"0";
    if (quotient.size() > kept) {
        const bool up = quotient.back() >= '5';
        quotient.pop_back();
        for (size_t i = quotient.size(); up && i-- > 0;) {
            if (quotient[i] != '9') {
                ++quotient[i];
                break;
            }
            quotient[i] = '0';
            if (i == 0) {
                quotient.insert(quotient.begin(), '1');
                quotient.pop_back();
                ++firstExponent;
            }
        }
    }
    return PlainDecimal(negative, quotient, firstExponent);
}

}  // namespace tovo
