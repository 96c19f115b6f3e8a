#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "core/ColumnFit.h"
#include "core/CsvSplit.h"
#include "core/LineStore.h"
#include "core/RowModel.h"
#include "core/Search.h"

namespace {

constexpr int kLines = 100'000;

// 12 fields, about 80 units a line; a quarter of the lines quote fields with
// commas and doubled quotes, some fields are Japanese.
const tovo::LineStore& Document()
{
    static const tovo::LineStore store = [] {
        std::mt19937 rng(12345);
        const std::u16string words[] = {u"alpha",    u"12345", u"東京都新宿区", u"0.125", u"2024-05-01", u"Zebra",
                                        u"カタカナ", u"x",     u"qwertyuiop",   u"999"};
        tovo::LineStore s;
        std::u16string line;
        for (int i = 0; i < kLines; ++i) {
            line.clear();
            const bool quoted = i % 4 == 0;
            for (int f = 0; f < 12; ++f) {
                if (f) line += u',';
                const std::u16string& w = words[rng() % 10];
                if (quoted && f % 3 == 1) {
                    line += u"\"" + w + u",\"\"" + w + u"\"\"\"";
                } else {
                    line += w;
                }
            }
            s.Append(line);
        }
        return s;
    }();
    return store;
}

int64_t DocumentBytes()
{
    int64_t bytes = 0;
    for (size_t i = 0; i < Document().size(); ++i) bytes += static_cast<int64_t>(Document().Line(i).size() * 2);
    return bytes;
}

struct CountSink final : tovo::FieldSink {
    void OnField(tovo::FieldRef f) override { total += f.length; }
    uint64_t total = 0;
};

void Split(benchmark::State& state, tovo::Splitter splitter)
{
    const tovo::LineStore& doc = Document();
    std::u16string side;
    CountSink sink;
    for (auto _ : state) {
        side.clear();
        for (size_t i = 0; i < doc.size(); ++i) tovo::SplitLine(splitter, doc.Line(i), side, sink);
        benchmark::DoNotOptimize(sink.total);
    }
    state.SetBytesProcessed(state.iterations() * DocumentBytes());
}

void BM_SplitAuto(benchmark::State& state)
{
    Split(state, tovo::Splitter::Auto);
}
void BM_SplitQuoteAware(benchmark::State& state)
{
    Split(state, tovo::Splitter::QuoteAware);
}

tovo::RowModel BuildRows()
{
    const tovo::LineStore& doc = Document();
    tovo::RowModel rows;
    rows.Reserve(doc.size());
    for (size_t i = 0; i < doc.size(); ++i) rows.AppendRow(static_cast<int32_t>(i), doc.Line(i), tovo::Splitter::Auto);
    return rows;
}

void BM_RowModelAppend(benchmark::State& state)
{
    for (auto _ : state) {
        tovo::RowModel rows = BuildRows();
        benchmark::DoNotOptimize(rows.RowCount());
    }
    state.SetBytesProcessed(state.iterations() * DocumentBytes());
}

void BM_TermMatcherAllFields(benchmark::State& state)
{
    const tovo::RowModel rows = BuildRows();
    const tovo::TermMatcher matcher(u"NOT-THERE", tovo::DefaultUpper);
    for (auto _ : state) {
        // Selected row 0 after a reset: every field but the first is examined.
        const tovo::SearchResult r = tovo::SearchForward(rows, 0, -1, matcher);
        benchmark::DoNotOptimize(r.found);
    }
    state.SetBytesProcessed(state.iterations() * DocumentBytes());
}

void BM_MaxFieldWidths(benchmark::State& state)
{
    const tovo::RowModel rows = BuildRows();
    tovo::CharWidthTable widths;
    for (int c = 0; c < 65536; ++c) widths.Set(static_cast<char16_t>(c), c < 0x100 ? 8 : 16);
    for (auto _ : state) {
        const auto best = tovo::MaxFieldWidths(rows, tovo::RowOrder{}, widths);
        benchmark::DoNotOptimize(best[0]);
    }
    state.SetBytesProcessed(state.iterations() * DocumentBytes());
}

// The whole-document search: 1,000,000 rows, the term only in the last one.
void BM_SearchMillionRows(benchmark::State& state)
{
    const tovo::LineStore& doc = Document();
    const std::u16string last = u"a,b,c,d,e,f,g,h,i,j,k,the NeedLe here";
    tovo::RowModel rows;
    rows.Reserve(10 * doc.size() + 1);
    for (int copy = 0; copy < 10; ++copy)
        for (size_t i = 0; i < doc.size(); ++i) rows.AppendRow(rows.RowCount(), doc.Line(i), tovo::Splitter::Auto);
    rows.AppendRow(rows.RowCount(), last, tovo::Splitter::Auto);
    const tovo::TermMatcher matcher(u"needle", tovo::DefaultUpper);
    for (auto _ : state) {
        const tovo::SearchResult r = tovo::SearchForward(rows, 0, 0, matcher);
        if (!r.found || r.row != rows.RowCount() - 1) state.SkipWithError("needle not found in the last row");
    }
    state.SetBytesProcessed(state.iterations() * (10 * DocumentBytes()));
}

}  // namespace

BENCHMARK(BM_SplitAuto)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitQuoteAware)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowModelAppend)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TermMatcherAllFields)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MaxFieldWidths)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchMillionRows)->Unit(benchmark::kMillisecond);
