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
#include "core/LineStore.h"

namespace tovo {

inline constexpr int kShownFields = 96;

// Rows hold no fields: a row's fields are split from its line when asked for
// (splitting runs at about 1 GB/s) and kept for the last rows asked, so a
// paint, which asks each visible row for all its cells, splits each row once.
// Rows of a LineStore's lines cost nothing beside the store; other rows 16
// bytes each.
class RowModel {
public:
    void Clear();
    void Reserve(size_t rows);

    // Makes the rows those of `lines`, in order, starting with none: row i
    // shows line i, numbered firstLineNumber0 + i, split with `splitter`.
    // The store must keep its lines until the next Clear or ShowLines.
    void ShowLines(const LineStore& lines, int32_t firstLineNumber0, Splitter splitter);
    // Adds the row of the store's next line.
    void AppendLineRow();

    // Adds the row of 0-based document line lineNumber0 (not after ShowLines
    // until the next Clear). The row keeps a view of lineText: the caller
    // keeps that text alive and unmoved while the row exists (a LineStore
    // does so until its Clear). An empty line is not split and shows 96 empty
    // cells. Only the first 96 fields are shown; the rest are counted.
    void AppendRow(int32_t lineNumber0, std::u16string_view lineText, Splitter splitter);

    int RowCount() const { return static_cast<int>(store_ ? storeRows_ : rows_.size()); }
    int32_t LineNumber(int row) const;
    // The "No" column: line number + 1 as "%.05d".
    std::u16string Caption(int row) const;
    // Fast caption for owner-data display: line1 as "%.05d" into out (at least
    // kDecimalBufferSize units), terminated; returns the length.
    static int FormatCaption(int32_t line1, char16_t* out) { return WriteDecimal(line1, 5, out); }

    // Sub-item c (0..95); empty past the shown fields. The view stays valid
    // until fields of another row that shares its cache entry are asked for
    // (at the earliest after kCachedRows other rows), or the next Clear.
    std::u16string_view Field(int row, int c) const;
    int FieldCount(int row) const { return Split(row).shown; }
    // Field(row, c) for a walk that wants one field of many rows: a row the automatic splitter
    // cuts at a tab or comma is scanned up to the field and nothing is kept; other rows are split
    // into the cache as Field does. The view is valid while Field's would be.
    std::u16string_view OneField(int row, int c) const;
    // The row's line, and whether every field is a piece of it as it stands
    // (the automatic splitter never changes text), so a search may look at
    // the line before splitting it.
    std::u16string_view LineText(int row) const { return Text(row); }
    bool FieldsArePiecesOfLine(int row) const;
    Splitter RowSplitter(int row) const { return FieldsArePiecesOfLine(row) ? Splitter::Auto : Splitter::QuoteAware; }
    uint32_t TotalFieldCount(int row) const { return Split(row).total; }

    size_t MemoryBytes() const;

    // More than the rows a screen shows at once.
    static constexpr int kCachedRows = 128;

private:
    // 8 bytes a field; the top bit of lengthAndSide says the text is in side.
    struct PackedField {
        uint32_t offset;
        uint32_t lengthAndSide;
    };
    static constexpr uint32_t kSideBit = 0x80000000u;

    struct Row {
        const char16_t* text;
        uint32_t lengthAndQuoteAware;  // kSideBit: split with Splitter::QuoteAware
        int32_t lineNumber;
    };

    struct SplitRow {
        int row = -1;
        const char16_t* text = nullptr;  // the row's line
        uint32_t total = 0;
        uint8_t shown = 0;
        std::vector<PackedField> fields;
        std::u16string side;
    };

    class RowSink;
    const SplitRow& Split(int row) const;
    std::u16string_view Text(int row) const;

    std::vector<Row> rows_;
    const LineStore* store_ = nullptr;
    size_t storeRows_ = 0;
    int32_t storeFirstLine_ = 0;
    Splitter storeSplitter_ = Splitter::Auto;
    // Entry row % kCachedRows; made on the first Field call.
    mutable std::vector<SplitRow> cache_;
};

}  // namespace tovo
