// Highlight words: building the matcher for a 100,000-word, 5 MB list, and marking every field of
// 100,000 lines like the Windows benchmark's document with it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <malloc.h>
#include <random>
#include <string>
#include <vector>

#include "core/CsvSplit.h"
#include "core/HighLight.h"
#include "core/RowModel.h"

namespace {

// 100,000 words of 20 to 80 units (about 5 MB as UTF-8): letters and kana, none in the document,
// then a few of the document's own words so fields get marked.
const std::vector<std::u16string>& Words()
{
    static const std::vector<std::u16string> words = [] {
        std::mt19937 rng(99);
        const std::u16string alphabet = u"abcdefghijklmnopqrstuvwxyzアイウエオカキクケコ東京";
        std::vector<std::u16string> w(100'000);
        for (auto& word : w) {
            word.resize(20 + rng() % 61);
            for (char16_t& c : word) c = alphabet[rng() % alphabet.size()];
        }
        for (const char16_t* own : {u"Smith", u"品番", u"z9"}) w.emplace_back(own);
        return w;
    }();
    return words;
}

// Lines as the Windows benchmark makes them: number, date, name, amount, eight word fields.
const tovo::RowModel& Rows()
{
    static const tovo::RowModel rows = [] {
        const char16_t* const words[] = {u"alpha", u"beta", u"東京都", u"新宿区", u"gamma", u"カタカナ", u"x",
                                         u"delta", u"大阪", u"omega",  u"42",     u"z9",    u"品番",     u"ok"};
        const char16_t* const names[] = {u"山田太郎", u"Smith", u"佐藤花子", u"Müller", u"Lee", u"鈴木一郎"};
        std::mt19937 rng(12345);
        auto pick = [&](unsigned n) { return static_cast<unsigned>(rng() % n); };
        tovo::RowModel r;
        std::u16string line;
        char buf[64];
        for (int i = 0; i < 100'000; ++i) {
            std::snprintf(buf, sizeof buf, "%07d,2024-%02u-%02u,", i + 1, pick(12) + 1, pick(28) + 1);
            line.assign(buf, buf + std::char_traits<char>::length(buf));
            line += names[rng() % 6];
            std::snprintf(buf, sizeof buf, ",%u.%02u", pick(100000), pick(100));
            line.append(buf, buf + std::char_traits<char>::length(buf));
            for (int f = 4; f < 12; ++f) {
                line += u',';
                line += words[rng() % 14];
                if (f % 2) line += words[rng() % 14];
            }
            r.AppendRow(i, line, tovo::Splitter::Auto);
        }
        return r;
    }();
    return rows;
}

void BM_HighLightWordsLoad100k(benchmark::State& state)
{
    size_t units = 0;
    for (const auto& w : Words()) units += w.size();
    for (auto _ : state) {
        tovo::HighLightWords words;
        words.Load(Words());
        benchmark::DoNotOptimize(words.size());
    }
    state.counters["units"] = static_cast<double>(units);
}

void MarkAll(benchmark::State& state, const std::vector<std::u16string>& list)
{
    const tovo::RowModel& rows = Rows();
    tovo::HighLightWords words;
    words.Load(list);
    tovo::HighLightMarks marks;
    int64_t units = 0;
    for (int r = 0; r < rows.RowCount(); ++r)
        for (int c = 0; c < rows.FieldCount(r); ++c) units += static_cast<int64_t>(rows.Field(r, c).size());
    for (auto _ : state) {
        marks.Reset();
        for (int r = 0; r < rows.RowCount(); ++r) tovo::MarkRow(marks, words, rows, r, r);
        benchmark::DoNotOptimize(marks.Count());
    }
    state.SetBytesProcessed(state.iterations() * units * 2);
}

void BM_MarkRows100kWords(benchmark::State& state)
{
    MarkAll(state, Words());
}
void BM_MarkRowsOneWord(benchmark::State& state)
{
    MarkAll(state, {u"Smith"});
}

// Heap blocks and the large blocks the allocator maps on their own.
size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// What a word file at its 64 MB limit, of short words, costs the window: its lines as read, and
// the matcher built from them. The window once kept both; it keeps only the matcher now.
void BM_WordFileMemory64MB(benchmark::State& state)
{
    for (auto _ : state) {
        std::mt19937 rng(7);
        const size_t start = HeapInUse();
        std::vector<std::u16string> lines;
        size_t fileBytes = 0;
        while (fileBytes < (64u << 20)) {
            std::u16string& word = lines.emplace_back(3 + rng() % 6, u'a');
            for (char16_t& c : word) c = static_cast<char16_t>(u'a' + rng() % 26);
            fileBytes += word.size() + 2;  // ASCII and CR LF
        }
        const size_t linesBytes = HeapInUse() - start;
        tovo::HighLightWords words;
        words.Load(lines);
        const size_t bothBytes = HeapInUse() - start;
        std::vector<std::u16string>().swap(lines);
        state.counters["words"] = static_cast<double>(words.size());
        state.counters["lines_MB"] = static_cast<double>(linesBytes) / (1 << 20);
        state.counters["kept_before_MB"] = static_cast<double>(bothBytes) / (1 << 20);
        state.counters["kept_now_MB"] = static_cast<double>(HeapInUse() - start) / (1 << 20);
    }
}

}  // namespace

BENCHMARK(BM_WordFileMemory64MB)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_HighLightWordsLoad100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MarkRows100kWords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MarkRowsOneWord)->Unit(benchmark::kMillisecond);
