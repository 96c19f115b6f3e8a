// The order in which the list shows its rows: a map from the rows shown ("view rows") to the
// rows of the model, for a sort by a column and for showing only some rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/Progress.h"
#include "core/SortKey.h"

namespace tovo {

class RowModel;
class FieldMatcher;

// Rows shown in model order, some of them or all in another order. With neither, no vector is
// held at all; otherwise 4 bytes a shown row, and 4 a model row once a model row is looked up (at
// once when the order comes with its map: Assign with a progress).
class RowOrder {
public:
    bool Identity() const { return !active_; }
    void Reset();
    // modelRows: the model's row count. rows: model rows, each at most once.
    void Assign(std::vector<uint32_t> rows, int modelRows);
    // The same with the map back from model rows made now (a tenth of a second for ten million
    // rows), in steps that ask `progress`; false, the order unchanged, when it stopped.
    bool Assign(std::vector<uint32_t> rows, int modelRows, const Progress& progress);

    // The same rows shown, in model order: sorted in place, nothing allocated (for memory that
    // ran out while sorting).
    void ToModelOrder();

    int Count(int modelRows) const { return active_ ? static_cast<int>(order_.size()) : modelRows; }
    // -1 outside the rows shown.
    int ModelRow(int viewRow) const;
    // -1 when the model row is not shown.
    int ViewRow(int modelRow) const;
    // The model rows shown, in view order; only while not the identity.
    const std::vector<uint32_t>& Rows() const { return order_; }

private:
    std::vector<uint32_t> order_;
    mutable std::vector<uint32_t> inverse_;  // built at the first ViewRow, not before
    int modelRows_ = 0;
    bool active_ = false;
};

// Puts `rows` (model rows below modelRows, each at most once) in model order in linear time, with
// a byte a model row for the while: a sort of ten million could itself take a second. False,
// `rows` unchanged, when `progress` stopped it.
bool InModelOrder(std::vector<uint32_t>& rows, int modelRows, const Progress& progress = {});

// Orders `rows` (model rows, each at most once) by field `field` (0-based) as CompareSortFields
// orders two fields, text by `collate`; equal fields in model row order. Each row's field is read
// once, in model row order. The column's distinct texts are ranked once, unless there are more
// than `maxRankedTexts`; then texts compare by their collation keys. While sorting: 24 bytes a
// row, the texts' collation keys and the ranking; nothing after. Throws std::bad_alloc when memory
// runs out, or when the keys would pass `maxKeyBytes` (0: no limit); `rows` then holds each of
// its rows once, in no particular order. `progress` sees three walks of the rows (reading the
// fields, ranking, sorting) and is asked at least every kProgressRows keys in each; false when
// it stopped the sort: `rows` are then in model order, or sorted when the stop came while the
// sorted rows were being taken (the last milliseconds).
bool SortRowsByField(std::vector<uint32_t>& rows, const RowModel& model, int field, bool descending,
                     CollationKeyFn collate, size_t maxRankedTexts = 65'536, size_t maxKeyBytes = 0,
                     const Progress& progress = {});

// The model rows with a shown field the matcher accepts, in model order. Rows whose line cannot
// hold the term are not split. Empty when none does; nullopt when `progress` stopped the walk or
// the matcher gave up (FieldMatcher::GaveUp).
std::optional<std::vector<uint32_t>> MatchingRows(const RowModel& model, const FieldMatcher& matcher,
                                                  const Progress& progress);
inline std::vector<uint32_t> MatchingRows(const RowModel& model, const FieldMatcher& matcher)
{
    return *MatchingRows(model, matcher, Progress{});
}
// Whether one of the row's shown fields is accepted; a line that cannot hold the term is not split.
bool RowMatches(const RowModel& model, int row, const FieldMatcher& matcher);

}  // namespace tovo
