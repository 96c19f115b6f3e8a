#include "core/RowOrder.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <numeric>
#include <string_view>
#include <unordered_map>

#include "core/RowModel.h"
#include "core/Search.h"

namespace tovo {

namespace {

constexpr uint32_t kHidden = UINT32_MAX;

// Made once before sorting, so a comparison costs no splitting and no collation call.
struct Key {
    uint64_t key;
    uint64_t offset;  // into the sort's bytes: a text's collation key or a long number's exact key
    uint32_t length;
    uint32_t row;
};

// Puts each text's rank among the column's distinct texts into its key: a column holds few
// distinct texts as a rule (names, places, codes), and ranking them once lets the sort compare
// integers instead of collation keys scattered over memory. False, keys unchanged, past
// `maxRanked` distinct texts, where ranking would cost what it saves.
bool RankTexts(std::vector<Key>& keys, const std::string& bytes, size_t maxRanked)
{
    std::unordered_map<std::string_view, uint32_t> ids;
    std::vector<std::string_view> distinct;
    for (Key& k : keys) {
        if (!SortKeyIsText(k.key)) continue;
        const auto [it, fresh] =
            ids.try_emplace(std::string_view(bytes).substr(k.offset, k.length), static_cast<uint32_t>(distinct.size()));
        if (fresh) {
            if (distinct.size() == maxRanked) {
                for (Key& t : keys) {
                    if (SortKeyIsText(t.key)) t.key = uint64_t{kSortClassText} << kSortClassShift;
                }
                return false;
            }
            distinct.push_back(it->first);
        }
        k.key |= it->second;
    }
    std::vector<uint32_t> order(distinct.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return distinct[a] < distinct[b]; });
    std::vector<uint32_t> rank(distinct.size());
    for (uint32_t i = 0; i < order.size(); ++i) rank[order[i]] = i;
    const uint64_t text = uint64_t{kSortClassText} << kSortClassShift;
    for (Key& k : keys) {
        if (SortKeyIsText(k.key)) k.key = text | rank[static_cast<uint32_t>(k.key)];
    }
    return true;
}

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

void RowOrder::ToModelOrder()
{
    std::sort(order_.begin(), order_.end());
    std::vector<uint32_t>().swap(inverse_);
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

bool SortRowsByField(std::vector<uint32_t>& rows, const RowModel& model, int field, bool descending,
                     CollationKeyFn collate, size_t maxRankedTexts, size_t maxKeyBytes, const Progress& progress)
{
    const auto checkKeyBytes = [&](size_t textBytes) {
        if (maxKeyBytes != 0 && rows.size() * sizeof(Key) + textBytes > maxKeyBytes) throw std::bad_alloc();
    };
    checkKeyBytes(0);
    // Reading in line order splits each row once and leaves the model's cache of recent rows to
    // the rows on screen; the result does not depend on the order given.
    if (rows.size() == static_cast<size_t>(model.RowCount())) {
        std::iota(rows.begin(), rows.end(), 0u);  // every row, each once: line order needs no sort
    } else if (!std::is_sorted(rows.begin(), rows.end())) {
        std::sort(rows.begin(), rows.end());
    }
    std::vector<Key> keys(rows.size());
    // The texts' collation keys and the exact keys of numbers the 8-byte key cannot settle.
    std::string bytes;
    for (size_t i = 0; i < rows.size(); ++i) {
        // Reading the fields (splitting, collation keys) is the sort's cost; the sort below is not.
        if (!KeepGoing(progress, static_cast<int64_t>(i), static_cast<int64_t>(rows.size()))) return false;
        const std::u16string_view text = model.Field(static_cast<int>(rows[i]), field);
        Key& k = keys[i];
        k = {SortKeyOf(text), bytes.size(), 0, rows[i]};
        if (!SortKeyNeedsText(k.key)) continue;
        (SortKeyIsText(k.key) ? collate : AppendNumberKey)(text, bytes);
        k.length = static_cast<uint32_t>(bytes.size() - k.offset);
        checkKeyBytes(bytes.size());
    }
    const bool ranked = RankTexts(keys, bytes, maxRankedTexts);
    // The row breaks ties, so an unstable sort gives the stable order.
    std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        const int c = CompareSortKeys(a.key, b.key, descending, [&] {
            if (ranked && SortKeyIsText(a.key)) return 0;
            const int order =
                std::memcmp(bytes.data() + a.offset, bytes.data() + b.offset, std::min(a.length, b.length));
            if (order != 0) return order;
            return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
        });
        return c != 0 ? c < 0 : a.row < b.row;
    });
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = keys[i].row;
    return true;
}

std::optional<std::vector<uint32_t>> MatchingRows(const RowModel& model, const FieldMatcher& matcher,
                                                  const Progress& progress)
{
    std::vector<uint32_t> rows;
    const int count = model.RowCount();
    for (int r = 0; r < count; ++r) {
        if (!KeepGoing(progress, r, count) || matcher.GaveUp()) return std::nullopt;
        if (RowMatches(model, r, matcher)) rows.push_back(static_cast<uint32_t>(r));
    }
    return rows;
}

bool RowMatches(const RowModel& model, int row, const FieldMatcher& matcher)
{
    // Most rows of a narrow filter hold the term nowhere: those are never split.
    if (model.FieldsArePiecesOfLine(row) && !matcher.MayMatchPieceOf(model.LineText(row))) return false;
    const int fields = model.FieldCount(row);
    for (int c = 0; c < fields; ++c) {
        if (matcher.Matches(model.Field(row, c))) return true;
    }
    return false;
}

}  // namespace tovo
