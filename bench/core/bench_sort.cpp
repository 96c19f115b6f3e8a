// Sorting 1,000,000 rows by one column: a name column (text, few distinct values), an amount
// column (numbers) and back to line order. Fields come from memory here; the window's own field
// lookup adds its cost to every read.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "core/SortKey.h"

namespace {

constexpr uint32_t kRows = 1'000'000;

const std::vector<std::u16string>& Column(bool numbers)
{
    static const auto make = [](bool amounts) {
        const char16_t* const names[] = {u"山田太郎", u"Smith", u"佐藤花子", u"Müller", u"Lee", u"鈴木一郎"};
        std::mt19937 rng(5);
        std::vector<std::u16string> c(kRows);
        char buf[32];
        for (auto& f : c) {
            if (amounts) {
                std::snprintf(buf, sizeof buf, "%u.%02u", static_cast<unsigned>(rng() % 100000), static_cast<unsigned>(rng() % 100));
                f.assign(buf, buf + std::char_traits<char>::length(buf));
            } else {
                f = names[rng() % 6];
                f += static_cast<char16_t>(u'a' + rng() % 26);
            }
        }
        return c;
    };
    static const std::vector<std::u16string> text = make(false), amounts = make(true);
    return numbers ? amounts : text;
}

void Sort(benchmark::State& state, bool numbers)
{
    const auto& column = Column(numbers);
    const tovo::SortFieldOf fieldOf = [&](uint32_t row, std::u16string&) { return std::u16string_view(column[row]); };
    std::vector<uint32_t> rows(kRows);
    for (auto _ : state) {
        std::iota(rows.begin(), rows.end(), 0u);
        tovo::SortRows(rows, kRows, fieldOf, false, tovo::CompareFoldedText);
        benchmark::DoNotOptimize(rows[0]);
    }
}

void BM_SortMillionRowsText(benchmark::State& state) { Sort(state, false); }
void BM_SortMillionRowsNumbers(benchmark::State& state) { Sort(state, true); }

void BM_BackToLineOrder(benchmark::State& state)
{
    std::vector<uint32_t> rows(kRows);
    for (auto _ : state) {
        std::iota(rows.begin(), rows.end(), 0u);
        benchmark::DoNotOptimize(rows[kRows - 1]);
    }
}

}  // namespace

BENCHMARK(BM_SortMillionRowsText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortMillionRowsNumbers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BackToLineOrder)->Unit(benchmark::kMillisecond);
