// "全て表示": the time from answering the question to the whole document in the list with row 0
// selected, and the memory the plug-in holds for it.
#include "Bench.h"

#include <cstdio>
#include <stdexcept>

namespace tovobench {
namespace {

constexpr double kGoalMs = 1000;  // a million lines on a quiet machine
constexpr double kGoalTimesDocument = 1.25;

void LoadAll(Context& ctx, Results& out) {
  const int lines = ctx.document->LineCount();
  Samples ms, memory;
  const char* source = "";
  for (int run = 0; run < ctx.runs; ++run) {
    WriteIni(ctx, L"CsvList", L"DispNum", L"5");  // 20 rows a page before the load
    Session s(ctx);
    const PrivateMemory before = PrivateBytes();
    const double t = s.LoadAll();
    const PrivateMemory after = PrivateBytes();
    source = after.source;
    if (t < 0 || s.RowCount() != lines || s.Selected() != 0) {
      throw std::runtime_error("load-all did not fill the list with row 0 selected");
    }
    ms.push_back(t);
    memory.push_back(static_cast<double>(after.bytes > before.bytes ? after.bytes - before.bytes : 0) /
                     static_cast<double>(ctx.document->Utf16Bytes()));
  }
  out.push_back({"load all: answer to filled list", "ms", ms, kGoalMs, ""});
  char note[128];
  std::snprintf(note, sizeof note, "%s added / the document's %.0f MB as UTF-16", source,
                static_cast<double>(ctx.document->Utf16Bytes()) / 1e6);
  out.push_back({"load all: memory added", "x doc", memory, kGoalTimesDocument, note});
}

}  // namespace
TOVO_BENCH("loadall", 10, LoadAll);
}  // namespace tovobench
