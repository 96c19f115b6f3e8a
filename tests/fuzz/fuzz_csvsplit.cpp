// Both line splitters and the row model on fuzzed lines: every field must lie inside the line or
// the part of the side buffer written for it, agree with the plain transcriptions, and the row
// model must store the first 96 of them and count all.
#include <algorithm>
#include <string>
#include <vector>

#include "core/CsvSplit.h"
#include "core/LineStore.h"
#include "core/RowModel.h"
#include "tests/core/CsvSplitReference.h"
#include "tests/fuzz/FuzzInput.h"

using namespace tovo;

namespace {

class RefSink final : public FieldSink {
public:
    void OnField(FieldRef f) override { refs.push_back(f); }
    std::vector<FieldRef> refs;
};

reference::Fields Reference(Splitter splitter, const std::u16string& line)
{
    if (line.empty()) return {};
    return splitter == Splitter::Auto ? reference::AutoReference(line) : reference::Ex1Reference(line);
}

void CheckSplit(Splitter splitter, const std::u16string& line, const reference::Fields& expected)
{
    // Earlier rows' text already in the side buffer: new fields must not point into it.
    std::u16string side = u"earlier \"row\"";
    const size_t before = side.size();
    RefSink sink;
    SplitLine(splitter, line, side, sink);
    FUZZ_CHECK(sink.refs.size() == expected.size());
    for (size_t i = 0; i < sink.refs.size(); ++i) {
        const FieldRef f = sink.refs[i];
        const uint64_t end = uint64_t{f.offset} + f.length;
        std::u16string_view text;
        if (f.inSide) {
            FUZZ_CHECK(f.offset >= before && end <= side.size());
            text = std::u16string_view(side).substr(f.offset, f.length);
        } else {
            FUZZ_CHECK(end <= line.size());
            text = std::u16string_view(line).substr(f.offset, f.length);
        }
        FUZZ_CHECK(text == expected[i]);
    }
    // Only the quote-aware splitter ever changes text.
    if (splitter == Splitter::Auto) FUZZ_CHECK(side.size() == before);
    FUZZ_CHECK(SplitToStrings(splitter, line) == expected);
}

void CheckRow(const RowModel& rows, int row, const reference::Fields& expected)
{
    const size_t shown = std::min<size_t>(expected.size(), kShownFields);
    FUZZ_CHECK(rows.TotalFieldCount(row) == expected.size());
    FUZZ_CHECK(static_cast<size_t>(rows.FieldCount(row)) == shown);
    for (int c = -1; c <= kShownFields; ++c) {
        const std::u16string_view cell = rows.Field(row, c);
        if (c >= 0 && static_cast<size_t>(c) < shown)
            FUZZ_CHECK(cell == expected[static_cast<size_t>(c)]);
        else
            FUZZ_CHECK(cell.empty());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::u16string line = fuzz::Utf16FromBytes(data, size);
    const std::u16string tail = line.substr(line.size() / 2);
    const Splitter splitters[] = {Splitter::Auto, Splitter::QuoteAware};

    reference::Fields expected[2];
    for (int k = 0; k < 2; ++k) {
        expected[k] = Reference(splitters[k], line);
        CheckSplit(splitters[k], line, expected[k]);
    }

    // Rows sharing one side buffer, checked again after later rows have grown it.
    RowModel rows;
    rows.AppendRow(0, line, Splitter::Auto);
    rows.AppendRow(1, line, Splitter::QuoteAware);
    CheckRow(rows, 0, expected[0]);
    CheckRow(rows, 1, expected[1]);
    rows.AppendRow(2, u"", Splitter::QuoteAware);
    rows.AppendRow(3, tail, Splitter::QuoteAware);
    rows.AppendRow(4, line, Splitter::QuoteAware);
    CheckRow(rows, 0, expected[0]);
    CheckRow(rows, 1, expected[1]);
    CheckRow(rows, 2, {});
    CheckRow(rows, 3, Reference(Splitter::QuoteAware, tail));
    CheckRow(rows, 4, expected[1]);

    // Rows of a line store, as a fill makes them.
    LineStore store;
    store.Append(line);
    store.Append(tail);
    RowModel stored;
    stored.ShowLines(store, 0, Splitter::QuoteAware);
    stored.AppendLineRow();
    stored.AppendLineRow();
    CheckRow(stored, 1, Reference(Splitter::QuoteAware, tail));
    CheckRow(stored, 0, expected[1]);
    return 0;
}
