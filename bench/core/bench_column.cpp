// The filter by a column and a column's values on a loaded document of 1,000,000 and 10,000,000
// lines of 12 fields: a condition on field 05 that keeps about one row in six, a second one on
// field 07 narrowing that result, the value list of field 08 (100,000 distinct values) as the
// filter dialog fills it, and the profile of field 04 (amounts with a fraction). Memory while
// filtered is counted as heap bytes a row beyond the unfiltered list's.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <memory>
#include <string>

#include "core/ListSession.h"

namespace {

using namespace tovo;

// Each line made from its number, so ten million lines need no copy beside the session's own.
class GeneratedLines final : public LineSource {
public:
    explicit GeneratedLines(int32_t count) : count_(count) {}
    int64_t LineCount() override { return count_; }
    int64_t CurrentLine() override { return 0; }
    int64_t LineLength(int32_t line) override { return static_cast<int64_t>(Make(line).size()); }
    size_t ReadLine(int32_t line, int32_t length, char16_t* room) override
    {
        return Make(line).copy(room, static_cast<size_t>(length));
    }

private:
    const std::u16string& Make(int32_t line)
    {
        if (line == made_) return text_;
        static const char* const codes[] = {"A01", "B02", "C03", "D04", "E05", "F06"};
        static const char* const words[] = {"alpha", "beta", "gamma", "delta", "omega", "x",     "z9",
                                            "ok",    "42",   "sigma", "kappa", "theta", "lambda", "mu"};
        static const char16_t* const names[] = {u"山田太郎", u"Smith", u"佐藤花子", u"Müller", u"Lee", u"鈴木一郎"};
        uint32_t seed = static_cast<uint32_t>(line) * 2654435761u + 12345u;
        const auto next = [&seed] {
            seed = seed * 1664525u + 1013904223u;
            return seed >> 8;
        };
        char buf[160];
        std::snprintf(buf, sizeof buf, "%07d,2024-%02u-%02u,", line + 1, next() % 12 + 1, next() % 28 + 1);
        text_.assign(buf, buf + std::char_traits<char>::length(buf));
        text_ += names[next() % 6];
        std::snprintf(buf, sizeof buf, ",%u.%02u,%s,%s%s,%s,C%05u,%s,%s,%s,%s", next() % 100000, next() % 100,
                      codes[next() % 6], words[next() % 14], words[next() % 14], words[next() % 14],
                      static_cast<unsigned>((static_cast<uint32_t>(line) * 7919u) % 100000u), words[next() % 14],
                      words[next() % 14], words[next() % 14], words[next() % 14]);
        text_.append(buf, buf + std::char_traits<char>::length(buf));
        made_ = line;
        return text_;
    }

    int32_t count_;
    int32_t made_ = -1;
    std::u16string text_;
};

struct Loaded {
    std::unique_ptr<GeneratedLines> lines;
    std::unique_ptr<ListSession> session;
};

// One document at a time: the ten-million-line one takes about 2 GB.
ListSession& Document(int32_t lines)
{
    static Loaded loaded;
    if (!loaded.session || loaded.session->LineCount() != lines) {
        loaded = {};
        loaded.lines = std::make_unique<GeneratedLines>(lines);
        loaded.session = std::make_unique<ListSession>(*loaded.lines, &AppendFoldedKey);
        loaded.session->Open(100, Splitter::Auto);
        loaded.session->LoadAll();
    }
    loaded.session->ShowAllRows();
    loaded.session->SortByLine();
    return *loaded.session;
}

ColumnCondition Code()
{
    return ColumnCondition::Values({u"C03"});
}

void BM_ColumnFilter(benchmark::State& state)
{
    ListSession& s = Document(static_cast<int32_t>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        s.ShowAllRows();
        state.ResumeTiming();
        s.FilterColumn(5, Code());
    }
    state.counters["shown"] = s.ViewRowCount();
}

void BM_ColumnFilterNarrow(benchmark::State& state)
{
    ListSession& s = Document(static_cast<int32_t>(state.range(0)));
    if (state.range(1)) s.SortByColumn(4, false);
    for (auto _ : state) {
        state.PauseTiming();
        s.ShowAllRows();
        s.FilterColumn(5, Code());
        state.ResumeTiming();
        s.FilterColumn(7, *ColumnCondition::Text(TextMatch::BeginsWith, u"ALPHA", &DefaultUpper));
    }
    state.counters["shown"] = s.ViewRowCount();
}

void BM_ColumnValueList(benchmark::State& state)
{
    ListSession& s = Document(static_cast<int32_t>(state.range(0)));
    size_t distinct = 0;
    for (auto _ : state) {
        const std::optional<ColumnValues> values = s.CountColumn(8);
        const ColumnValues::Listed listed = values->List(u"", &DefaultUpper, kFilterValueLimit);
        benchmark::DoNotOptimize(listed.ranks.data());
        distinct = values->DistinctCount();
    }
    state.counters["distinct"] = static_cast<double>(distinct);
}

void BM_ColumnProfile(benchmark::State& state)
{
    ListSession& s = Document(static_cast<int32_t>(state.range(0)));
    size_t distinct = 0;
    for (auto _ : state) {
        const std::optional<ColumnValues> values = s.CountColumn(4);
        benchmark::DoNotOptimize(values->Numbers().sum.data());
        distinct = values->DistinctCount();
    }
    state.counters["distinct"] = static_cast<double>(distinct);
}

// Heap bytes a row held by the filters beyond the unfiltered list: one in six rows kept, and
// every row kept by a column and the term at once (the most a filter holds).
void BM_ColumnFilterMemory(benchmark::State& state)
{
    ListSession& s = Document(static_cast<int32_t>(state.range(0)));
    // Blocks in use, those of their own mapping (the large ones) included.
    const auto heap = [] {
        const struct mallinfo2 info = mallinfo2();
        return static_cast<double>(info.uordblks + info.hblkhd);
    };
    double sixth = 0, all = 0;
    for (auto _ : state) {
        s.ShowAllRows();
        const double before = heap();
        s.FilterColumn(5, Code());
        sixth = heap() - before;
        s.ShowAllRows();
        s.Filter(TermMatcher(u"2024", &DefaultUpper));
        s.FilterColumn(3, ColumnCondition::NotEmpty());
        all = heap() - before;
    }
    state.counters["B/row 1/6"] = sixth / static_cast<double>(state.range(0));
    state.counters["B/row all"] = all / static_cast<double>(state.range(0));
}

}  // namespace

#define TOVO_COLUMN_BENCH(lines)                                                                         \
    BENCHMARK(BM_ColumnFilter)->Arg(lines)->Iterations(3)->Unit(benchmark::kMillisecond);                \
    BENCHMARK(BM_ColumnFilterNarrow)->Args({lines, 0})->Iterations(3)->Unit(benchmark::kMillisecond);     \
    BENCHMARK(BM_ColumnFilterNarrow)->Args({lines, 1})->Iterations(3)->Unit(benchmark::kMillisecond);     \
    BENCHMARK(BM_ColumnValueList)->Arg(lines)->Iterations(3)->Unit(benchmark::kMillisecond);             \
    BENCHMARK(BM_ColumnProfile)->Arg(lines)->Iterations(3)->Unit(benchmark::kMillisecond);               \
    BENCHMARK(BM_ColumnFilterMemory)->Arg(lines)->Iterations(2)->Unit(benchmark::kMillisecond)

TOVO_COLUMN_BENCH(1'000'000);
TOVO_COLUMN_BENCH(10'000'000);
