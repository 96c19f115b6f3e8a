// The exact sum and mean of numbers as the sort reads them (SortKey.h), however many digits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovo {

// Each digit is added to the running total of its decimal place, positive and negative numbers
// apart, and carried only when the result is asked for: a number costs a pass over its digits
// and no allocation once the places it reaches exist. A place's total cannot overflow: it grows
// by at most 9 a number, and a list holds fewer than 2^31 rows.
class DecimalSum {
public:
    // False, nothing added, when the field does not read as a number.
    bool Add(std::u16string_view field);
    int64_t Count() const { return count_; }
    // "-1234.5": ASCII digits, a point only before a fraction that is not all zeros; "0" for none.
    std::u16string SumText() const;
    // The sum divided by the count, rounded half away from zero to `significant` significant
    // digits, written out without an exponent; empty when nothing was added.
    std::u16string MeanText(int significant = 15) const;

private:
    struct Places {
        std::vector<uint64_t> whole;     // [k]: 10^k
        std::vector<uint64_t> fraction;  // [k]: 10^-(k+1)
    };
    // The exact sum: its digits, most significant first, the last `scale` of them after the point.
    std::string Digits(bool& negative, size_t& scale) const;

    Places positive_, negative_;
    int64_t count_ = 0;
    std::string scratch_;
};

}  // namespace tovo
