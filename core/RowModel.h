// The rows the list shows: one per document line, up to 96 fields each,
// stored as offsets into the line text rather than as strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/CsvSplit.h"
#include "core/StrUtil.h"

namespace tovo {

inline constexpr int kShownFields = 96;

class RowModel {
public:
    void Clear();
    void Reserve(size_t rows, size_t fields = 0);

    // Adds the row of 0-based document line lineNumber0. The row keeps views
    // into lineText: the caller keeps that text alive and unmoved while the
    // row exists (a LineStore does so until its Clear). An empty line is not
    // split and shows 96 empty cells. Only the first 96 fields are stored;
    // the rest are counted.
    void AppendRow(int32_t lineNumber0, std::u16string_view lineText, Splitter splitter);

    int RowCount() const { return static_cast<int>(rows_.size()); }
    int32_t LineNumber(int row) const { return rows_[static_cast<size_t>(row)].lineNumber; }
    // The "No" column: line number + 1 as "%.05d".
    std::u16string Caption(int row) const;
    // Fast caption for owner-data display: line1 as "%.05d" into out (at least
    // kDecimalBufferSize units), terminated; returns the length.
    static int FormatCaption(int32_t line1, char16_t* out) { return WriteDecimal(line1, 5, out); }

    // Sub-item c (0..95); empty past the stored fields. The view into the
    // model's own text is invalidated by the next AppendRow.
    std::u16string_view Field(int row, int c) const;
    int FieldCount(int row) const { return rows_[static_cast<size_t>(row)].shown; }
    uint32_t TotalFieldCount(int row) const { return rows_[static_cast<size_t>(row)].total; }

    size_t MemoryBytes() const;

private:
    // 8 bytes a field; the top bit of lengthAndSide says the text is in side_.
    struct PackedField {
        uint32_t offset;
        uint32_t lengthAndSide;
    };
    static constexpr uint32_t kSideBit = 0x80000000u;

    struct Row {
        const char16_t* text;
        int32_t lineNumber;
        uint32_t firstField;
        uint32_t total;
        uint8_t shown;
    };

    class RowSink;

    std::vector<Row> rows_;
    std::vector<PackedField> fields_;
    std::u16string side_;
};

}  // namespace tovo
