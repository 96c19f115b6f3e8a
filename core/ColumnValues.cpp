#include "core/ColumnValues.h"

#include <algorithm>

#include "core/RowModel.h"
#include "core/RowOrder.h"
#include "core/SortKey.h"
#include "core/StrUtil.h"

namespace tovo {

void ColumnValues::Add(std::u16string_view field)
{
    ++rows_;
    const uint64_t key = SortKeyOf(field);
    if (SortKeyIsEmpty(key)) {
        ++empty_;
        return;
    }
    pending_[pendingCount_++] = field;
    if (pendingCount_ == TextCounts::kBatch) CountPending();
    if (!SortKeyIsText(key)) TakeNumber(field, key);
}

void ColumnValues::CountPending()
{
    values_.AddMany(pending_, pendingCount_);
    pendingCount_ = 0;
}

void ColumnValues::TakeNumber(std::u16string_view field, uint64_t key)
{
    const bool first = sum_.Count() == 0;
    sum_.Add(field);
    // assign() into the kept string: a column of rising numbers allocates nothing a row.
    if (first || CompareKeyedFields(field, key, least_, leastKey_, &AppendFoldedKey) < 0) {
        leastKey_ = key;
        least_.assign(field);
    }
    if (first || CompareKeyedFields(field, key, greatest_, greatestKey_, &AppendFoldedKey) > 0) {
        greatestKey_ = key;
        greatest_.assign(field);
    }
}

bool ColumnValues::Finish(const Progress& progress)
{
    CountPending();
    // A counting sort, stable, the higher count first: the counts are read three times, in the
    // order they lie in memory (beside their texts), and millions of values cost no comparison
    // sort. Each walk asks `progress`: millions of values take a few hundred milliseconds.
    const size_t size = values_.size();
    const auto total = static_cast<int64_t>(size);
    uint32_t most = 0;
    for (size_t i = 0; i < size; ++i) {
        if (!KeepGoing(progress, static_cast<int64_t>(i), total)) return false;
        most = std::max(most, values_.Count(i));
    }
    // [c]: the first rank of count most - c. One value in ten million rows makes it that long.
    std::vector<uint32_t> start;
    if (!AppendInSteps(start, size_t{most} + 2, [](size_t) { return uint32_t{0}; }, progress)) return false;
    for (size_t i = 0; i < size; ++i) {
        if (!KeepGoing(progress, static_cast<int64_t>(i), total)) return false;
        ++start[most - values_.Count(i) + 1];
    }
    for (size_t c = 1; c < start.size(); ++c) {
        if (!KeepGoing(progress, static_cast<int64_t>(c), static_cast<int64_t>(start.size()))) return false;
        start[c] += start[c - 1];
    }
    ranks_.clear();
    if (!AppendInSteps(ranks_, size, [](size_t) { return uint32_t{0}; }, progress)) return false;
    for (size_t i = 0; i < size; ++i) {
        if (!KeepGoing(progress, static_cast<int64_t>(i), total)) return false;
        ranks_[start[most - values_.Count(i)]++] = static_cast<uint32_t>(i);
    }
    numbers_ = {};
    numbers_.count = sum_.Count();
    if (numbers_.count == 0) return true;
    const auto trimmed = [](std::u16string_view text) {
        while (!text.empty() && (text.front() == u' ' || text.front() == u'\u3000')) text.remove_prefix(1);
        while (!text.empty() && (text.back() == u' ' || text.back() == u'\u3000')) text.remove_suffix(1);
        return std::u16string(text);
    };
    numbers_.least = trimmed(least_);
    numbers_.greatest = trimmed(greatest_);
    numbers_.sum = sum_.SumText();
    numbers_.mean = sum_.MeanText(15);
    return true;
}

ColumnValues::Listed ColumnValues::List(std::u16string_view part, UpperFn upper, size_t limit) const
{
    Listed listed;
    const TermMatcher matcher(part, upper);
    for (size_t rank = 0; rank < ranks_.size(); ++rank) {
        if (!part.empty() && !matcher.Matches(Text(rank))) continue;
        if (listed.ranks.size() < limit) {
            listed.ranks.push_back(static_cast<uint32_t>(rank));
        } else {
            ++listed.leftOut;
        }
    }
    return listed;
}

std::optional<ColumnValues> CountColumn(const RowModel& model, const RowOrder& order, int field,
                                        const Progress& progress)
{
    ColumnValues values;
    const int count = model.RowCount();
    const int shown = order.Count(count);
    // A filter's rows are marked, one bit a row, and read in line order: each line once, in the
    // order it lies in memory, whatever the sort.
    std::vector<bool> marked;
    if (!order.Identity()) {
        marked.assign(static_cast<size_t>(count), false);
        for (const uint32_t r : order.Rows()) {
            if (r < marked.size()) marked[r] = true;
        }
    }
    int64_t done = 0;
    // The table's growth and the ranking report as the walk's place, so the bar never runs back.
    const Progress paced = [&](int64_t, int64_t) { return !progress || progress(done, shown); };
    for (int r = 0; r < count; ++r) {
        if (!marked.empty() && !marked[static_cast<size_t>(r)]) continue;
        if (!KeepGoing(progress, done++, shown)) return std::nullopt;
        if (!values.MakeRoom(paced)) return std::nullopt;
        values.Add(model.OneField(r, field));
    }
    if (!values.Finish(paced)) return std::nullopt;
    return values;
}

std::u16string ShareText(int64_t count, int64_t rows)
{
    if (rows <= 0) return u"0.0%";
    const int64_t tenths = (count * 2000 + rows) / (2 * rows);
    return DecimalText(tenths / 10, 1) + u"." + DecimalText(tenths % 10, 1) + u"%";
}

}  // namespace tovo
