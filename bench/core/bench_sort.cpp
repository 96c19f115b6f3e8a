// Sorting and filtering 1,000,000 rows of a loaded document: by a name column (text, few distinct
// values, the portable collation key), by an amount column (numbers), back to line order, and the
// rows holding a name. The window's own figures (the platform's collation) come from TovoBench.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "core/LineStore.h"
#include "core/RowModel.h"
#include "core/RowOrder.h"
#include "core/Search.h"

namespace {

constexpr uint32_t kRows = 1'000'000;

const tovo::RowModel& Document()
{
    static tovo::LineStore store;
    static tovo::RowModel model;
    if (model.RowCount() == 0) {
        const char16_t* const names[] = {u"山田太郎", u"Smith", u"佐藤花子", u"Müller", u"Lee", u"鈴木一郎"};
        std::mt19937 rng(5);
        char buf[32];
        for (uint32_t i = 0; i < kRows; ++i) {
            std::u16string line = names[rng() % 6];
            line += static_cast<char16_t>(u'a' + rng() % 26);
            std::snprintf(buf, sizeof buf, ",%u.%02u,東京都,2024-01-01", static_cast<unsigned>(rng() % 100000),
                          static_cast<unsigned>(rng() % 100));
            line.append(buf, buf + std::char_traits<char>::length(buf));
            store.Append(line);
        }
        model.ShowLines(store, 0, tovo::Splitter::Auto);
        for (uint32_t i = 0; i < kRows; ++i) model.AppendLineRow();
    }
    return model;
}

void Sort(benchmark::State& state, int field)
{
    const tovo::RowModel& model = Document();
    std::vector<uint32_t> rows(kRows);
    for (auto _ : state) {
        std::iota(rows.begin(), rows.end(), 0u);
        tovo::SortRowsByField(rows, model, field, false, &tovo::AppendFoldedKey);
        benchmark::DoNotOptimize(rows[0]);
    }
}

void BM_SortMillionRowsText(benchmark::State& state)
{
    Sort(state, 0);
}
void BM_SortMillionRowsNumbers(benchmark::State& state)
{
    Sort(state, 1);
}

void BM_BackToLineOrder(benchmark::State& state)
{
    std::vector<uint32_t> rows(kRows);
    for (auto _ : state) {
        std::iota(rows.begin(), rows.end(), 0u);
        benchmark::DoNotOptimize(rows[kRows - 1]);
    }
}

// About one row in six holds the name.
void Filter(benchmark::State& state, const char16_t* term)
{
    const tovo::RowModel& model = Document();
    const tovo::TermMatcher matcher(term, &tovo::DefaultUpper);
    for (auto _ : state) benchmark::DoNotOptimize(tovo::MatchingRows(model, matcher).size());
}

void BM_FilterMillionRowsKanji(benchmark::State& state)
{
    Filter(state, u"山田");
}
void BM_FilterMillionRowsLatin(benchmark::State& state)
{
    Filter(state, u"smith");
}

}  // namespace

BENCHMARK(BM_SortMillionRowsText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortMillionRowsNumbers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BackToLineOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterMillionRowsKanji)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterMillionRowsLatin)->Unit(benchmark::kMillisecond);
