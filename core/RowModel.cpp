#include "core/RowModel.h"

#include <limits>
#include <stdexcept>

namespace tovo {

// Stores the first 96 fields of the row being added and counts the rest.
class RowModel::RowSink final : public FieldSink {
public:
    RowSink(std::vector<PackedField>& fields) : fields_(fields) {}
    void OnField(FieldRef f) override
    {
        if (shown < static_cast<uint32_t>(kShownFields)) {
            fields_.push_back({f.offset, f.length | (f.inSide ? kSideBit : 0u)});
            ++shown;
        }
        ++total;
    }
    uint32_t shown = 0;
    uint32_t total = 0;

private:
    std::vector<PackedField>& fields_;
};

void RowModel::Clear()
{
    rows_.clear();
    fields_.clear();
    side_.clear();
}

void RowModel::Reserve(size_t rows, size_t fields)
{
    rows_.reserve(rows_.size() + rows);
    if (fields != 0) fields_.reserve(fields_.size() + fields);
}

// Per row: the split itself plus 8 bytes per stored field and one Row; no
// string is built unless the quote-aware splitter changes a field's text.
void RowModel::AppendRow(int32_t lineNumber0, std::u16string_view lineText, Splitter splitter)
{
    if (rows_.size() >= static_cast<size_t>(std::numeric_limits<int>::max()))
        throw std::length_error("too many rows");
    if (lineText.size() >= kSideBit) throw std::length_error("line too long for a row");
    if (fields_.size() + kShownFields > std::numeric_limits<uint32_t>::max())
        throw std::length_error("too many fields");

    const auto firstField = static_cast<uint32_t>(fields_.size());
    const size_t sideBefore = side_.size();
    RowSink sink(fields_);
    try {
        SplitLine(splitter, lineText, side_, sink);
        rows_.push_back({lineText.data(), lineNumber0, firstField, sink.total, static_cast<uint8_t>(sink.shown)});
    } catch (...) {
        // Keep the model as it was before this row.
        fields_.resize(firstField);
        side_.resize(sideBefore);
        throw;
    }
}

std::u16string RowModel::Caption(int row) const
{
    return DecimalText(int64_t{LineNumber(row)} + 1, 5);
}

std::u16string_view RowModel::Field(int row, int c) const
{
    const Row& r = rows_[static_cast<size_t>(row)];
    if (c < 0 || c >= r.shown) return {};
    const PackedField f = fields_[r.firstField + static_cast<uint32_t>(c)];
    const char16_t* base = (f.lengthAndSide & kSideBit) ? side_.data() : r.text;
    return {base + f.offset, f.lengthAndSide & ~kSideBit};
}

size_t RowModel::MemoryBytes() const
{
    return rows_.capacity() * sizeof(Row) + fields_.capacity() * sizeof(PackedField) +
           side_.capacity() * sizeof(char16_t);
}

}  // namespace tovo
