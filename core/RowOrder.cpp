#include "core/RowOrder.h"

#include <algorithm>
#include <compare>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <numeric>
#include <optional>
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
    uint64_t offset;  // into the sort's KeyBytes: a text's collation key or a long number's exact key
    uint32_t length;
    uint32_t row;
};

// The keys, in blocks of 64 Ki keys (1.5 MB): one vector of ten million, 240 MB, costs tens of
// milliseconds to free under Wine; blocks are freed a step at a time as their rows are taken.
class KeyBlocks {
public:
    static constexpr unsigned kShift = 16;
    static constexpr size_t kPerBlock = size_t{1} << kShift, kMask = kPerBlock - 1;

    // A random-access iterator for std::sort and the partitions: a key's index over the blocks.
    class Iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = Key;
        using difference_type = ptrdiff_t;
        using pointer = Key*;
        using reference = Key&;

        Iterator() = default;
        Iterator(const std::unique_ptr<Key[]>* blocks, ptrdiff_t i) : blocks_(blocks), i_(i) {}
        Key& operator*() const { return blocks_[static_cast<size_t>(i_) >> kShift][static_cast<size_t>(i_) & kMask]; }
        Key* operator->() const { return &**this; }
        Key& operator[](ptrdiff_t n) const { return *(*this + n); }
        Iterator& operator++() { return ++i_, *this; }
        Iterator& operator--() { return --i_, *this; }
        Iterator operator++(int) { return {blocks_, i_++}; }
        Iterator operator--(int) { return {blocks_, i_--}; }
        Iterator& operator+=(ptrdiff_t n) { return i_ += n, *this; }
        Iterator& operator-=(ptrdiff_t n) { return i_ -= n, *this; }
        friend Iterator operator+(Iterator a, ptrdiff_t n) { return a += n; }
        friend Iterator operator-(Iterator a, ptrdiff_t n) { return a -= n; }
        friend ptrdiff_t operator-(const Iterator& a, const Iterator& b) { return a.i_ - b.i_; }
        friend auto operator<=>(const Iterator& a, const Iterator& b) { return a.i_ <=> b.i_; }
        friend bool operator==(const Iterator& a, const Iterator& b) { return a.i_ == b.i_; }
        ptrdiff_t Index() const { return i_; }

    private:
        const std::unique_ptr<Key[]>* blocks_ = nullptr;
        ptrdiff_t i_ = 0;
    };

    explicit KeyBlocks(size_t count) : blocks_((count + kMask) >> kShift) {}
    void push_back(const Key& k)
    {
        std::unique_ptr<Key[]>& block = blocks_[size_ >> kShift];
        if (!block) block = std::make_unique_for_overwrite<Key[]>(kPerBlock);
        block[size_ & kMask] = k;
        ++size_;
    }
    Key& operator[](size_t i) { return blocks_[i >> kShift][i & kMask]; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    size_t BlockCount() const { return blocks_.size(); }
    void FreeBlock(size_t b) { blocks_[b].reset(); }
    Iterator begin() const { return {blocks_.data(), 0}; }
    Iterator end() const { return {blocks_.data(), static_cast<ptrdiff_t>(size_)}; }

private:
    std::vector<std::unique_ptr<Key[]>> blocks_;
    size_t size_ = 0;
};

// The texts' collation keys and long numbers' exact keys, in blocks of about a megabyte: one
// string of them all, hundreds of megabytes at ten million rows, would be copied whole as it grew
// and freed in one go (tens of milliseconds under Wine); blocks are freed a step at a time. An
// offset is the block in its high 32 bits, the place in the block in its low 32.
class KeyBytes {
public:
    // Appends by `append(text, block)`; the offset of what it appended.
    template <class Append>
    uint64_t Add(std::u16string_view text, Append append)
    {
        if (blocks_.empty() || blocks_.back().size() >= kBlockBytes) {
            blocks_.emplace_back().reserve(kBlockBytes + kBlockBytes / 8);
        }
        std::string& block = blocks_.back();
        const size_t at = block.size();
        append(text, block);
        total_ += block.size() - at;
        return (uint64_t{blocks_.size() - 1} << 32) | at;
    }
    const char* At(uint64_t offset) const { return blocks_[offset >> 32].data() + static_cast<uint32_t>(offset); }
    size_t Total() const { return total_; }
    // Frees the last block; false when none was left.
    bool FreeOne()
    {
        if (blocks_.empty()) return false;
        blocks_.pop_back();
        return true;
    }

private:
    static constexpr size_t kBlockBytes = size_t{1} << 20;
    std::vector<std::string> blocks_;
    size_t total_ = 0;
};

// Puts each text's rank among the column's distinct texts into its key: a column holds few
// distinct texts as a rule (names, places, codes), and ranking them once lets the sort compare
// integers instead of collation keys scattered over memory. False, keys unchanged, past
// `maxRanked` distinct texts, where ranking would cost what it saves.
// nullopt when `keepGoing(i)` stopped it (a hash look-up a row: seconds for ten million rows),
// asked with i counting up to twice the keys over its two walks.
template <class Step>
std::optional<bool> RankTexts(KeyBlocks& keys, const KeyBytes& bytes, size_t maxRanked, Step keepGoing)
{
    std::unordered_map<std::string_view, uint32_t> ids;
    std::vector<std::string_view> distinct;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!keepGoing(i)) return std::nullopt;
        Key& k = keys[i];
        if (!SortKeyIsText(k.key)) continue;
        const auto [it, fresh] =
            ids.try_emplace(std::string_view(bytes.At(k.offset), k.length), static_cast<uint32_t>(distinct.size()));
        if (fresh) {
            if (distinct.size() == maxRanked) {
                for (size_t t = 0; t < keys.size(); ++t) {
                    if (SortKeyIsText(keys[t].key)) keys[t].key = uint64_t{kSortClassText} << kSortClassShift;
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
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!keepGoing(keys.size() + i)) return std::nullopt;
        if (SortKeyIsText(keys[i].key)) keys[i].key = text | rank[static_cast<uint32_t>(keys[i].key)];
    }
    return true;
}

// Ranges up to this many keys go to std::sort whole: a millisecond or so each.
constexpr ptrdiff_t kLeafKeys = 16'384;

// Sorts keys (all distinct: the row breaks ties) by `less`, in steps: std::sort of ten million
// keys would run for seconds with no word to the caller. Larger ranges are partitioned here,
// `keepGoing(sorted)` asked every kProgressRows keys looked at, with the keys already in their
// final place; false when it stopped the sort, the keys then in no particular order. Pivots are
// the median of three keys at pseudo-random places, so no input order makes it quadratic.
template <class Less, class Step>
bool SortInSteps(const KeyBlocks& keys, Less less, Step keepGoing)
{
    using It = KeyBlocks::Iterator;
    struct Range {
        It first;
        It last;
    };
    std::vector<Range> todo;
    if (!keys.empty()) todo.push_back({keys.begin(), keys.end()});
    size_t sorted = 0, looked = 0;
    uint32_t seed = 0x9E3779B9u;
    const auto tick = [&] { return ++looked % kProgressRows != 0 || keepGoing(sorted); };
    const auto randomIn = [&seed](It first, ptrdiff_t n) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return first + static_cast<ptrdiff_t>(seed % static_cast<uint32_t>(n));
    };
    while (!todo.empty()) {
        auto [first, last] = todo.back();
        todo.pop_back();
        // The smaller part is sorted first and the larger waits: the stack stays log2 n deep.
        while (last - first > kLeafKeys) {
            const ptrdiff_t n = last - first;
            const It a = randomIn(first, n);
            const It b = randomIn(first, n);
            const It c = randomIn(first, n);
            const It median = less(*a, *b) ? (less(*b, *c) ? b : (less(*a, *c) ? c : a))
                                       : (less(*a, *c) ? a : (less(*b, *c) ? c : b));
            std::swap(*first, *median);
            // Hoare's partition around the first key: both parts non-empty. The two cursors keep
            // their key's address and look the block up only when they cross into another.
            const Key pivot = *first;
            ptrdiff_t i = first.Index() - 1, j = last.Index();
            Key* atI = nullptr;
            Key* atJ = nullptr;
            for (;;) {
                do {
                    ++i;
                    atI = atI && (static_cast<size_t>(i) & KeyBlocks::kMask) != 0 ? atI + 1 : &*(first + (i - first.Index()));
                    if (!tick()) return false;
                } while (less(*atI, pivot));
                do {
                    --j;
                    atJ = atJ && (static_cast<size_t>(j) & KeyBlocks::kMask) != KeyBlocks::kMask
                              ? atJ - 1
                              : &*(first + (j - first.Index()));
                    if (!tick()) return false;
                } while (less(pivot, *atJ));
                if (i >= j) break;
                std::swap(*atI, *atJ);
            }
            const It split = first + (j + 1 - first.Index());
            if (split - first < last - split) {
                todo.push_back({split, last});
                last = split;
            } else {
                todo.push_back({first, split});
                first = split;
            }
        }
        // Most leaves lie in one block: sorted there through plain pointers.
        if (first.Index() >> KeyBlocks::kShift == (last.Index() - 1) >> KeyBlocks::kShift) {
            std::sort(&*first, &*(last - 1) + 1, less);
        } else {
            std::sort(first, last, less);
        }
        sorted += static_cast<size_t>(last - first);
        if (!keepGoing(sorted)) return false;
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

bool RowOrder::Assign(std::vector<uint32_t> rows, int modelRows, const Progress& progress)
{
    const auto count = static_cast<size_t>(std::max(modelRows, 0));
    const auto total = static_cast<int64_t>(count + rows.size());
    std::vector<uint32_t> inverse;
    if (!AppendInSteps(inverse, count, [](size_t) { return kHidden; }, progress)) return false;
    for (size_t v = 0; v < rows.size(); ++v) {
        if (!KeepGoing(progress, static_cast<int64_t>(count + v), total)) return false;
        if (rows[v] < count) inverse[rows[v]] = static_cast<uint32_t>(v);
    }
    // Taken only after the caller has handled its messages: what follows (showing the order) is
    // a stretch of its own.
    if (!ReportEnd(progress, total)) return false;
    order_ = std::move(rows);
    inverse_ = std::move(inverse);
    modelRows_ = static_cast<int>(count);
    active_ = true;
    return true;
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

bool InModelOrder(std::vector<uint32_t>& rows, int modelRows, const Progress& progress)
{
    if (rows.size() == static_cast<size_t>(modelRows)) {
        std::iota(rows.begin(), rows.end(), 0u);  // every row, each once
        return true;
    }
    if (std::is_sorted(rows.begin(), rows.end())) return true;
    std::vector<uint8_t> shown;
    if (!AppendInSteps(shown, static_cast<size_t>(std::max(modelRows, 0)), [](size_t) { return uint8_t{0}; }, progress))
        return false;
    for (uint32_t r : rows) {
        if (r < shown.size()) shown[r] = 1;
    }
    size_t at = 0;
    for (size_t r = 0; r < shown.size() && at < rows.size(); ++r) {
        if (shown[r]) rows[at++] = static_cast<uint32_t>(r);
    }
    return true;
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
    // Its steps report as the start of the first walk, so a progress bar does not run back.
    const auto total = 3 * static_cast<int64_t>(rows.size());
    const Progress atStart = [&](int64_t, int64_t) { return progress(0, total); };
    if (!InModelOrder(rows, model.RowCount(), progress ? atStart : Progress{})) return false;
    // Three walks of the rows for the caller's progress: reading, ranking, sorting.
    const auto n = static_cast<int64_t>(rows.size());
    const auto step = [&](int64_t phase, size_t done) {
        return !progress || progress(phase * n + static_cast<int64_t>(done), 3 * n);
    };
    KeyBlocks keys(rows.size());  // not value-initialised: the pages are touched as keys are made
    // The texts' collation keys and the exact keys of numbers the 8-byte key cannot settle.
    KeyBytes bytes;
    for (size_t i = 0; i < rows.size(); ++i) {
        // Reading the fields (splitting, collation keys) is the sort's main cost.
        if (!KeepGoing(progress, static_cast<int64_t>(i), 3 * n)) return false;
        const std::u16string_view text = model.Field(static_cast<int>(rows[i]), field);
        keys.push_back(Key{SortKeyOf(text), 0, 0, rows[i]});
        Key& k = keys[i];
        if (!SortKeyNeedsText(k.key)) continue;
        const size_t before = bytes.Total();
        k.offset = bytes.Add(text, SortKeyIsText(k.key) ? collate : AppendNumberKey);
        k.length = static_cast<uint32_t>(bytes.Total() - before);
        checkKeyBytes(bytes.Total());
    }
    const std::optional<bool> ranked =
        RankTexts(keys, bytes, maxRankedTexts, [&](size_t i) { return i % kProgressRows != 0 || step(1, i / 2); });
    if (!ranked) return false;
    // The row breaks ties, so the order is the stable one whatever the sort.
    const auto less = [&, ranked = *ranked](const Key& a, const Key& b) {
        const int c = CompareSortKeys(a.key, b.key, descending, [&] {
            if (ranked && SortKeyIsText(a.key)) return 0;
            const int order =
                std::memcmp(bytes.At(a.offset), bytes.At(b.offset), std::min(a.length, b.length));
            if (order != 0) return order;
            return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
        });
        return c != 0 ? c < 0 : a.row < b.row;
    };
    // The third walk: sorting up to half way, then taking the rows and freeing the bytes.
    if (!SortInSteps(keys, less, [&](size_t sorted) { return step(2, sorted / 2); })) return false;
    // From here `rows` change and cannot be taken back: the walk goes on to its end (tens of
    // milliseconds) and says false after it if a stop was asked for meanwhile.
    bool goOn = true;
    for (size_t b = 0; b < keys.BlockCount(); ++b) {
        const size_t first = b * KeyBlocks::kPerBlock, last = std::min(rows.size(), first + KeyBlocks::kPerBlock);
        const Key* block = &keys[first];
        for (size_t i = first; i < last; ++i) rows[i] = block[i - first].row;
        keys.FreeBlock(b);
        goOn = step(2, (rows.size() + first) / 2) && goOn;
    }
    while (bytes.FreeOne()) goOn = step(2, n - 1) && goOn;
    return ReportEnd(progress, 3 * n) && goOn;
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
