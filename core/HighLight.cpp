#include "core/HighLight.h"

#include <algorithm>
#include <stdexcept>

#include "core/CsvSplit.h"
#include "core/RowModel.h"

namespace tovo {

namespace {

constexpr char16_t AsciiUpper(char16_t c)
{
    return static_cast<char16_t>(static_cast<unsigned>(c - u'a') < 26u ? c - 0x20 : c);
}

}  // namespace

HighLightMarks::HighLightMarks()
    : row_(std::make_unique_for_overwrite<int32_t[]>(kTableSize)),
      col_(std::make_unique_for_overwrite<int32_t[]>(kTableSize))
{
    Reset();
}

// Entries past the stored ones were never written since the last reset: a fill that marked
// little costs little to reset.
void HighLightMarks::Reset()
{
    const size_t written = constructed_ ? StoredCount() + 1 : kTableSize;
    std::fill_n(row_.get(), written, -1);
    std::fill_n(col_.get(), written, -1);
    constructed_ = true;
    count_ = 0;
    ordered_ = true;
}

void HighLightMarks::Add(int32_t rowKey, int32_t field)
{
    if (count_ < kMaxStored) {
        if (rowKey < 0) {
            ordered_ = false;
        } else if (count_ != 0) {
            const int32_t prevRow = row_[count_ - 1];
            const int32_t prevCol = col_[count_ - 1];
            if (rowKey < prevRow || (rowKey == prevRow && field < prevCol)) ordered_ = false;
        }
        row_[count_] = rowKey;
        col_[count_] = field;
    }
    ++count_;
}

size_t HighLightMarks::LowerBound(int32_t rowKey, int32_t field) const
{
    size_t lo = 0;
    size_t hi = StoredCount();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (row_[mid] < rowKey || (row_[mid] == rowKey && col_[mid] < field))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

bool HighLightMarks::HasRow(int32_t rowKey) const
{
    if (!ordered_) return WalkHasRow(rowKey);
    const size_t k = LowerBound(rowKey, INT32_MIN);
    return k < StoredCount() && row_[k] == rowKey;
}

bool HighLightMarks::HasCell(int32_t rowKey, int32_t field) const
{
    if (!ordered_) return WalkHasCell(rowKey, field);
    const size_t k = LowerBound(rowKey, field);
    return k < StoredCount() && row_[k] == rowKey && col_[k] == field;
}

HighLightMarks::RowMarks HighLightMarks::MarksOfRow(int32_t rowKey) const
{
    RowMarks marks;
    auto add = [&](size_t k) {
        marks.any = true;
        if (col_[k] >= 0 && static_cast<size_t>(col_[k]) < marks.fields.size())
            marks.fields.set(static_cast<size_t>(col_[k]));
    };
    if (!ordered_) {
        for (size_t k = 0; k < kTableSize && row_[k] != -1; ++k) {
            if (row_[k] == rowKey) add(k);
        }
        return marks;
    }
    // Ordered: the row's marks stand together, found with one search.
    for (size_t k = LowerBound(rowKey, INT32_MIN); k < StoredCount() && row_[k] == rowKey; ++k) add(k);
    return marks;
}

bool HighLightMarks::WalkHasRow(int32_t rowKey) const
{
    for (size_t k = 0; k < kTableSize && row_[k] != -1; ++k) {
        if (row_[k] == rowKey) return true;
    }
    return false;
}

bool HighLightMarks::WalkHasCell(int32_t rowKey, int32_t field) const
{
    for (size_t k = 0; k < kTableSize && row_[k] != -1; ++k) {
        if (row_[k] == rowKey && col_[k] == field) return true;
    }
    return false;
}

void HighLightWords::Load(const std::vector<std::u16string>& words)
{
    // Built aside: a list too large for memory leaves the old words whole.
    HighLightWords built;
    built.Build(words);
    *this = std::move(built);
}

void HighLightWords::Build(const std::vector<std::u16string>& words)
{
    wordCount_ = words.size();

    std::vector<uint32_t> ids;  // the non-empty words, sorted by their upper-cased text
    size_t units = 0;
    for (size_t i = 0; i < words.size(); ++i) {
        if (!words[i].empty()) ids.push_back(static_cast<uint32_t>(i));
        units += words[i].size();
    }
    if (ids.empty()) return;
    shortest_ = words[ids.front()].size();
    for (const uint32_t id : ids) shortest_ = std::min(shortest_, words[id].size());
    // State numbers are 32-bit; a word list this large would not fit in memory anyway.
    if (words.size() >= kNoWord || units >= kNoWord - 1) throw std::length_error("word list too large");
    // Equal words keep list order, so the first of them names the state.
    std::sort(ids.begin(), ids.end(), [&](uint32_t a, uint32_t b) {
        const std::u16string& x = words[a];
        const std::u16string& y = words[b];
        const size_t n = std::min(x.size(), y.size());
        for (size_t i = 0; i < n; ++i) {
            const char16_t p = AsciiUpper(x[i]), q = AsciiUpper(y[i]);
            if (p != q) return p < q;
        }
        return x.size() != y.size() ? x.size() < y.size() : a < b;
    });
    // The upper-cased words back to back in sorted order: the levels below read unit `depth` of
    // every word in a range, which must not cost a cache miss per word.
    std::vector<char16_t> text;
    std::vector<uint32_t> start;
    text.reserve(units);
    start.reserve(ids.size() + 1);
    for (const uint32_t id : ids) {
        start.push_back(static_cast<uint32_t>(text.size()));
        for (const char16_t c : words[id]) text.push_back(AsciiUpper(c));
    }
    start.push_back(static_cast<uint32_t>(text.size()));

    // The trie, one depth at a time: a state stands for the range of sorted words that share its
    // prefix, and its children are that range's runs of equal units at the next position. Building
    // the levels in order numbers the states breadth-first.
    struct Range {
        uint32_t lo, hi;
    };
    std::vector<Range> level{{0, static_cast<uint32_t>(ids.size())}}, next;
    states_.push_back({0, 0, kNoWord, 0});
    label_.push_back(0);
    uint32_t levelFirst = 0;
    for (uint32_t depth = 0; !level.empty(); ++depth) {
        next.clear();
        for (size_t k = 0; k < level.size(); ++k) {
            const size_t s = levelFirst + k;
            auto [lo, hi] = level[k];
            // Words ending at this depth sort first in the range.
            if (start[lo + 1] - start[lo] == depth) states_[s].word = ids[lo];
            while (lo < hi && start[lo + 1] - start[lo] == depth) ++lo;
            states_[s].first = static_cast<uint32_t>(states_.size());
            while (lo < hi) {
                const char16_t c = text[start[lo] + depth];
                uint32_t end = lo + 1;
                while (end < hi && text[start[end] + depth] == c) ++end;
                states_.push_back({0, 0, kNoWord, 0});
                label_.push_back(c);
                next.push_back({lo, end});
                lo = end;
            }
        }
        levelFirst += static_cast<uint32_t>(level.size());
        std::swap(level, next);
    }
    text = {};
    start = {};
    const auto count = static_cast<uint32_t>(states_.size());
    states_.push_back({count, 0, kNoWord, 0});

    root_.assign(65536, 0);
    for (uint32_t c = states_[0].first; c < states_[1].first; ++c) root_[label_[c]] = c;
    // States with many children are where text walks most (near the root): their ASCII children
    // get a direct table; only states with at least kDenseChildren children, so a table costs at
    // most 32 bytes a child.
    for (uint32_t s = 1; s < count; ++s) {
        const uint32_t lo = states_[s].first, hi = states_[s + 1].first;
        if (hi - lo < kDenseChildren) continue;
        states_[s].dense = static_cast<uint32_t>(dense_.size() / kDenseUnits) + 1;
        dense_.resize(dense_.size() + kDenseUnits, 0);
        uint32_t* table = dense_.data() + dense_.size() - kDenseUnits;
        for (uint32_t c = lo; c < hi && label_[c] < kDenseUnits; ++c) table[label_[c]] = c;
    }
    // Breadth-first order: a child's fail state is shallower than the child, so its own fail
    // link and word are final by the time the child needs them.
    for (uint32_t s = 1; s < count; ++s) {
        // A table's missing units get the state the fail links lead to, so a step from a state
        // with a table never walks the chain. Its fail state is shallower and already complete.
        if (states_[s].dense != 0) {
            uint32_t* table = dense_.data() + size_t{states_[s].dense - 1} * kDenseUnits;
            for (uint32_t u = 0; u < kDenseUnits; ++u) {
                if (table[u] == 0) table[u] = Next(states_[s].fail, static_cast<char16_t>(u));
            }
        }
        for (uint32_t c = states_[s].first; c < states_[s + 1].first; ++c) {
            const uint32_t f = Next(states_[s].fail, label_[c]);
            states_[c].fail = f;
            states_[c].word = std::min(states_[c].word, states_[f].word);
        }
    }
}

inline uint32_t HighLightWords::Child(uint32_t s, char16_t unit) const
{
    const uint32_t lo = states_[s].first;
    const uint32_t hi = states_[s + 1].first;
    // Deep states have one or two children: a scan beats a binary search there.
    if (hi - lo <= 8) {
        for (uint32_t c = lo; c < hi; ++c) {
            if (label_[c] == unit) return c;
        }
        return 0;
    }
    const auto at = std::lower_bound(label_.begin() + lo, label_.begin() + hi, unit);
    return at != label_.begin() + hi && *at == unit ? static_cast<uint32_t>(at - label_.begin()) : 0;
}

inline uint32_t HighLightWords::Next(uint32_t s, char16_t unit) const
{
    // Falling back along the fail links costs no more in total than the steps forward.
    while (s != 0) {
        if (states_[s].dense != 0 && unit < kDenseUnits)
            return dense_[size_t{states_[s].dense - 1} * kDenseUnits + unit];
        if (const uint32_t c = Child(s, unit)) return c;
        s = states_[s].fail;
    }
    return root_[unit];
}

int HighLightWords::MatchField(std::u16string_view field) const
{
    if (empty()) return -1;
    uint32_t best = kNoWord;
    uint32_t s = 0;
    for (const char16_t c : field) {
        s = Next(s, AsciiUpper(c));
        best = std::min(best, states_[s].word);
        if (best == 0) break;
    }
    return best == kNoWord ? -1 : static_cast<int>(best);
}

bool HighLightWords::AnyInField(std::u16string_view field) const
{
    // A field shorter than every word holds none, and costs no walk.
    if (empty() || field.size() < shortest_) return false;
    uint32_t s = 0;
    for (const char16_t c : field) {
        s = Next(s, AsciiUpper(c));
        if (states_[s].word != kNoWord) return true;
    }
    return false;
}

void HighLightWords::MarkPieces(HighLightMarks& marks, int32_t rowKey, std::u16string_view line, char16_t separator,
                                int fields) const
{
    if (empty()) return;
    const char16_t* p = line.data();
    const char16_t* const end = p + line.size();
    for (int field = 0; field < fields; ++field) {
        const char16_t* const stop = std::find(p, end, separator);
        if (AnyInField({p, static_cast<size_t>(stop - p)})) marks.Add(rowKey, field);
        if (stop == end) break;
        p = stop + 1;
    }
}

namespace {

// Marks the first kShownFields fields as the splitter gives them.
class MarkingSink final : public FieldSink {
public:
    MarkingSink(HighLightMarks& marks, const HighLightWords& words, std::u16string_view line,
                const std::u16string& side, int32_t rowKey)
        : marks_(marks), words_(words), line_(line), side_(side), rowKey_(rowKey)
    {
    }
    void OnField(FieldRef f) override
    {
        // side is read now, before the splitter grows it for the next field.
        const std::u16string_view text = f.inSide ? std::u16string_view(side_) : line_;
        if (field_ < kShownFields && words_.AnyInField(text.substr(f.offset, f.length))) marks_.Add(rowKey_, field_);
        ++field_;
    }

private:
    HighLightMarks& marks_;
    const HighLightWords& words_;
    std::u16string_view line_;
    const std::u16string& side_;
    int32_t rowKey_;
    int field_ = 0;
};

}  // namespace

void MarkLine(HighLightMarks& marks, const HighLightWords& words, std::u16string_view line, Splitter splitter,
              int32_t rowKey)
{
    // An empty line has no fields.
    if (words.empty() || line.empty()) return;
    if (splitter == Splitter::Auto) {
        // Cut at one unit: the pieces are matched straight from the line, and nothing is split.
        if (const char16_t separator = AutoSeparator(line)) {
            words.MarkPieces(marks, rowKey, line, separator, kShownFields);
            return;
        }
    }
    std::u16string side;
    MarkingSink sink(marks, words, line, side, rowKey);
    SplitLine(splitter, line, side, sink);
}

void MarkRow(HighLightMarks& marks, const HighLightWords& words, const RowModel& rows, int row, int32_t rowKey)
{
    MarkLine(marks, words, rows.LineText(row), rows.RowSplitter(row), rowKey);
}

}  // namespace tovo
