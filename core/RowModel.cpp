#include "core/RowModel.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace tovo {

// Keeps the first 96 fields of the row being split and counts the rest.
class RowModel::RowSink final : public FieldSink {
public:
    explicit RowSink(std::vector<PackedField>& fields) : fields_(fields) {}
    void OnField(FieldRef f) override
    {
        if (fields_.size() < static_cast<size_t>(kShownFields))
            fields_.push_back({f.offset, f.length | (f.inSide ? kSideBit : 0u)});
        ++total;
    }
    uint32_t total = 0;

private:
    std::vector<PackedField>& fields_;
};

void RowModel::Clear()
{
    // swap, not clear: rows of a loaded document give their memory back.
    std::vector<Row>().swap(rows_);
    cache_.clear();
    store_ = nullptr;
    storeRows_ = 0;
}

void RowModel::Reserve(size_t rows)
{
    if (!store_) rows_.reserve(rows_.size() + rows);
}

void RowModel::ShowLines(const LineStore& lines, int32_t firstLineNumber0, Splitter splitter)
{
    Clear();
    store_ = &lines;
    storeFirstLine_ = firstLineNumber0;
    storeSplitter_ = splitter;
}

// Nothing stored and nothing split, so a load of ten million lines costs only their reading.
void RowModel::AppendLineRow()
{
    if (!store_ || storeRows_ >= store_->size()) throw std::logic_error("no line for the row");
    if (storeRows_ >= static_cast<size_t>(std::numeric_limits<int>::max())) throw std::length_error("too many rows");
    ++storeRows_;
}

int32_t RowModel::LineNumber(int row) const
{
    if (!store_) return rows_[static_cast<size_t>(row)].lineNumber;
    return static_cast<int32_t>(std::min<int64_t>(int64_t{storeFirstLine_} + row, std::numeric_limits<int32_t>::max()));
}

std::u16string_view RowModel::Text(int row) const
{
    // A store emptied before its rows reads as empty lines rather than past its end.
    if (store_) return static_cast<size_t>(row) < store_->size() ? store_->Line(static_cast<size_t>(row)) : u"";
    const Row& r = rows_[static_cast<size_t>(row)];
    return {r.text, r.lengthAndQuoteAware & ~kSideBit};
}

bool RowModel::FieldsArePiecesOfLine(int row) const
{
    if (store_) return storeSplitter_ == Splitter::Auto;
    return (rows_[static_cast<size_t>(row)].lengthAndQuoteAware & kSideBit) == 0;
}

// Per row: 16 bytes and no split.
void RowModel::AppendRow(int32_t lineNumber0, std::u16string_view lineText, Splitter splitter)
{
    if (store_) throw std::logic_error("rows of a line store take no other rows");
    if (rows_.size() >= static_cast<size_t>(std::numeric_limits<int>::max())) throw std::length_error("too many rows");
    if (lineText.size() >= kSideBit) throw std::length_error("line too long for a row");
    const uint32_t quoteAware = splitter == Splitter::QuoteAware ? kSideBit : 0u;
    rows_.push_back({lineText.data(), static_cast<uint32_t>(lineText.size()) | quoteAware, lineNumber0});
}

// A row split again costs its length once; a row in the cache costs a compare.
const RowModel::SplitRow& RowModel::Split(int row) const
{
    if (cache_.empty()) cache_.resize(kCachedRows);
    SplitRow& entry = cache_[static_cast<size_t>(row) % kCachedRows];
    if (entry.row == row) return entry;
    entry.row = -1;  // half-split if SplitLine throws
    entry.fields.clear();
    // The changed text of a huge line is not kept for the next row to use.
    if (entry.side.capacity() > 65536)
        std::u16string().swap(entry.side);
    else
        entry.side.clear();
    entry.total = 0;
    const std::u16string_view text = Text(row);
    if (!text.empty()) {
        const bool quoteAware = store_ ? storeSplitter_ == Splitter::QuoteAware
                                       : (rows_[static_cast<size_t>(row)].lengthAndQuoteAware & kSideBit) != 0;
        RowSink sink(entry.fields);
        SplitLine(quoteAware ? Splitter::QuoteAware : Splitter::Auto, text, entry.side, sink);
        entry.total = sink.total;
    }
    entry.text = text.data();
    entry.shown = static_cast<uint8_t>(entry.fields.size());
    entry.row = row;
    return entry;
}

std::u16string RowModel::Caption(int row) const
{
    return DecimalText(int64_t{LineNumber(row)} + 1, 5);
}

std::u16string_view RowModel::Field(int row, int c) const
{
    const SplitRow& s = Split(row);
    if (c < 0 || c >= s.shown) return {};
    const PackedField f = s.fields[static_cast<size_t>(c)];
    const char16_t* base = (f.lengthAndSide & kSideBit) ? s.side.data() : s.text;
    return {base + f.offset, f.lengthAndSide & ~kSideBit};
}

std::u16string_view RowModel::OneField(int row, int c) const
{
    if (c < 0 || c >= kShownFields) return {};
    const std::u16string_view text = Text(row);
    const bool quoteAware = store_ ? storeSplitter_ == Splitter::QuoteAware
                                   : (rows_[static_cast<size_t>(row)].lengthAndQuoteAware & kSideBit) != 0;
    const char16_t sep = quoteAware || text.empty() ? 0 : AutoSeparator(text);
    if (sep == 0) return Field(row, c);
    // Every separator ends a field (CutAt in CsvSplit.cpp).
    size_t start = 0;
    for (int field = 0; field < c; ++field) {
        const size_t at = text.find(sep, start);
        if (at == std::u16string_view::npos) return {};
        start = at + 1;
    }
    const size_t end = text.find(sep, start);
    return text.substr(start, end == std::u16string_view::npos ? text.size() - start : end - start);
}

size_t RowModel::MemoryBytes() const
{
    size_t bytes = rows_.capacity() * sizeof(Row) + cache_.capacity() * sizeof(SplitRow);
    for (const SplitRow& s : cache_)
        bytes += s.fields.capacity() * sizeof(PackedField) + s.side.capacity() * sizeof(char16_t);
    return bytes;
}

}  // namespace tovo
