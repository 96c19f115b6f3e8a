// What one column holds over the rows shown: its distinct values with their counts, for the
// filter dialog's list and the column's profile, and for the fields that read as numbers (by
// the sort's rule, SortKey.h) their count, least, greatest, exact sum and mean.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/DecimalSum.h"
#include "core/Progress.h"
#include "core/Search.h"
#include "core/TextCounts.h"

namespace tovo {

class RowModel;
class RowOrder;

// Display texts; all empty when no field reads as a number. The least and greatest are the
// fields as written (spaces around them dropped); the sum is exact, the mean rounded to 15
// significant digits.
struct NumberSummary {
    int64_t count = 0;
    std::u16string least, greatest, sum, mean;
};

class ColumnValues {
public:
    // Counts one row's field. Per field: a sort key, a hash look-up, and for a number a pass
    // over its digits; a copy only of a text not seen before.
    // The view must stay valid for TextCounts::kBatch more calls (RowModel::Field's does).
    void Add(std::u16string_view field);
    // Grows the table of values ahead of the next Add when it must, asking `progress`; false when
    // stopped (the values are then of no use).
    bool MakeRoom(const Progress& progress)
    {
        return !values_.FullFor(pendingCount_ + 1) || values_.Grow(progress);
    }
    // After the last Add: ranks the values and sums up the numbers. False when `progress` stopped it.
    bool Finish(const Progress& progress = {});

    int64_t Rows() const { return rows_; }
    // Fields the list shows as blank (IsEmptyField), rows with no such field among them; they
    // are not values.
    int64_t EmptyFields() const { return empty_; }
    size_t DistinctCount() const { return values_.size(); }
    // By rank: the most frequent first, values as frequent in the order they first came.
    std::u16string_view Text(size_t rank) const { return values_.Text(ranks_[rank]); }
    int64_t Count(size_t rank) const { return values_.Count(ranks_[rank]); }
    const NumberSummary& Numbers() const { return numbers_; }

    // The ranks of the values holding `part` (case folded as the search folds a term; every
    // value for an empty part), at most `limit` of them, and how many more hold it.
    struct Listed {
        std::vector<uint32_t> ranks;
        size_t leftOut = 0;
    };
    Listed List(std::u16string_view part, UpperFn upper, size_t limit) const;

private:
    void TakeNumber(std::u16string_view field, uint64_t key);
    void CountPending();

    TextCounts values_;
    std::u16string_view pending_[TextCounts::kBatch];  // values not yet counted
    size_t pendingCount_ = 0;
    std::vector<uint32_t> ranks_;
    int64_t rows_ = 0;
    int64_t empty_ = 0;
    DecimalSum sum_;
    uint64_t leastKey_ = 0, greatestKey_ = 0;
    std::u16string least_, greatest_;
    NumberSummary numbers_;
};

// Field `field` (0-based; past the 96th, or reached by no line, every field is empty) of the
// rows `order` shows, read in line order. nullopt when `progress` stopped it.
std::optional<ColumnValues> CountColumn(const RowModel& model, const RowOrder& order, int field,
                                        const Progress& progress = {});

// A count's share of the rows as a percentage with one decimal, "33.3%", rounded half up.
std::u16string ShareText(int64_t count, int64_t rows);

// Lists of values shown at once: a column of millions of distinct values keeps the window
// quick, and the values left out are counted.
inline constexpr size_t kFilterValueLimit = 10'000;
inline constexpr size_t kProfileValueLimit = 100;

}  // namespace tovo
