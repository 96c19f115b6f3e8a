// TovoBench.exe [--runs N] [--lines N] [--only NAME]: runs the registered measurements on a
// generated document and prints their medians as a table.
#include "Bench.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace tovobench {
namespace {

struct Entry {
  const char* name;
  int order;
  BenchFunction function;
};

// Filled by static initialisers, one per bench_*.cpp, before main runs.
std::vector<Entry>& Registry() {
  static std::vector<Entry> entries;
  return entries;
}

std::wstring ExeDir() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path);
  return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

void PrintTable(const Results& results) {
  int width = 11;
  for (const Result& r : results) width = std::max(width, static_cast<int>(r.name.size()));
  std::printf("%-*s %12s %-6s %10s %5s\n", width, "measurement", "median", "unit", "goal", "runs");
  for (const Result& r : results) {
    const double median = Median(r.samples);
    const char* verdict = r.goal <= 0 ? "" : (median <= r.goal ? "ok" : "OVER GOAL");
    char goal[32] = "-";
    if (r.goal > 0) std::snprintf(goal, sizeof goal, "%.2f", r.goal);
    std::printf("%-*s %12.2f %-6s %10s %5zu  %s%s%s\n", width, r.name.c_str(), median, r.unit.c_str(), goal,
                r.samples.size(), verdict, r.note.empty() ? "" : "  ", r.note.c_str());
  }
  std::fflush(stdout);
}

}  // namespace

bool RegisterBench(const char* name, int order, BenchFunction function) {
  Registry().push_back({name, order, function});
  return true;
}

}  // namespace tovobench

int main(int argc, char** argv) {
  using namespace tovobench;
  int runs = 5, lines = 1000000;
  std::string only;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    if (flag == "--runs")
      runs = std::max(1, std::atoi(argv[i + 1]));
    else if (flag == "--lines")
      lines = std::max(1, std::atoi(argv[i + 1]));
    else if (flag == "--only")
      only = argv[i + 1];
  }

  const double start = NowMs();
  const Document doc = Document::Generate(lines);
  std::printf("document: %d lines, %.1f MB as UTF-16, %.1f units a line (generated in %.0f ms)\n", doc.LineCount(),
              static_cast<double>(doc.Utf16Bytes()) / 1e6,
              static_cast<double>(doc.Utf16Bytes()) / sizeof(wchar_t) / doc.LineCount(), NowMs() - start);

  Context ctx;
  ctx.document = &doc;
  ctx.runs = runs;
  ctx.pluginsDir = ExeDir() + L"Plugins\\";
  CreateDirectoryW(ctx.pluginsDir.c_str(), nullptr);

  auto entries = Registry();
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.order < b.order; });
  Results results;
  int failures = 0;
  for (const auto& e : entries) {
    if (!only.empty() && only != e.name) continue;
    try {
      e.function(ctx, results);
    } catch (const std::exception& ex) {
      std::fprintf(stderr, "%s: %s\n", e.name, ex.what());
      ++failures;
    }
  }
  PrintTable(results);
  return failures ? 1 : 0;
}
