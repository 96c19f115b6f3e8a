// Growth with the document: load-all of a small and a ten-times larger document (1,000,000 and
// 10,000,000 lines by default), time and memory of each, and the large-to-small ratios. Both
// ratios near 10 mean both grow linearly with the line count.
#include "Bench.h"

#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>

namespace tovobench {
namespace {

constexpr double kGoalTimesDocument = 1.25;

struct Load {
  Samples ms, bytes;
  double docBytes = 0;
};

Load Measure(Context& base, int lines, int runs) {
  const Document doc = Document::Generate(lines);
  Context ctx = base;
  ctx.document = &doc;
  Load load;
  load.docBytes = static_cast<double>(doc.Utf16Bytes());
  for (int run = 0; run < runs; ++run) {
    WriteIni(ctx, L"CsvList", L"DispNum", L"5");
    Session s(ctx);
    const PrivateMemory before = PrivateBytes();
    const double t = s.LoadAll();
    const PrivateMemory after = PrivateBytes();
    if (t < 0 || s.RowCount() != lines || s.Selected() != 0) {
      throw std::runtime_error("load-all of " + std::to_string(lines) + " lines did not fill the list");
    }
    load.ms.push_back(t);
    load.bytes.push_back(static_cast<double>(after.bytes > before.bytes ? after.bytes - before.bytes : 0));
  }
  return load;
}

void Scale(Context& ctx, Results& out) {
  const int small = ScaleLines();  // the large document is ten times it
  const int large = small * 10;
  // A large load takes tens of seconds: three runs give a median without an hour of waiting.
  const int runs = ctx.runs < 3 ? ctx.runs : 3;
  const Load a = Measure(ctx, small, runs);
  const Load b = Measure(ctx, large, runs);

  auto perLine = [](const Samples& bytes, int lines) {
    Samples s;
    for (double v : bytes) s.push_back(v / lines);
    return s;
  };
  auto perDocument = [](const Samples& bytes, double docBytes) {
    Samples s;
    for (double v : bytes) s.push_back(v / docBytes);
    return s;
  };
  // Goals for a quiet machine: a million lines in a second, ten million in ten.
  auto timeGoal = [](int lines) { return lines == 1000000 ? 1000.0 : lines == 10000000 ? 10000.0 : 0.0; };
  char note[96];
  for (const auto& [load, lines] : {std::pair<const Load&, int>{a, small}, {b, large}}) {
    std::snprintf(note, sizeof note, "document %.0f MB as UTF-16", load.docBytes / 1e6);
    out.push_back({"scale " + LinesLabel(lines) + ": load all", "ms", load.ms, timeGoal(lines), note});
    out.push_back({"scale " + LinesLabel(lines) + ": memory added", "B/line", perLine(load.bytes, lines), 0, ""});
    out.push_back({"scale " + LinesLabel(lines) + ": memory added", "x doc", perDocument(load.bytes, load.docBytes),
                   kGoalTimesDocument, "over the document's UTF-16 size"});
  }
  // Linear growth: ten times the lines costs about ten times the time and memory. A quarter
  // above that is allowed for cache effects and the list view's own bookkeeping.
  out.push_back({"scale " + LinesLabel(large) + "/" + LinesLabel(small) + ": time ratio",
                 "x",
                 {Median(b.ms) / Median(a.ms)},
                 12.5,
                 "10 is linear"});
  out.push_back({"scale " + LinesLabel(large) + "/" + LinesLabel(small) + ": memory ratio",
                 "x",
                 {Median(b.bytes) / Median(a.bytes)},
                 12.5,
                 "10 is linear"});
}

}  // namespace
TOVO_BENCH("scale", 90, Scale);
}  // namespace tovobench
