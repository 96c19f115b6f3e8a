// One page move of 100 rows in page mode: the editor asked for 100 lines, split, rows shown.
#include "Bench.h"

#include <algorithm>
#include <stdexcept>

namespace tovobench {
namespace {

constexpr double kGoalMs = 10;
constexpr UINT kMenuPrev = 1204, kMenuNext = 1205;
constexpr int kMovesPerRun = 20;

void PageMove(Context& ctx, Results& out) {
  Samples handler, painted;
  for (int run = 0; run < ctx.runs; ++run) {
    WriteIni(ctx, L"CsvList", L"DispNum", L"45");  // the entry "100"
    // Opened in the middle of the document so both directions move a full page.
    Session s(ctx, ctx.document->LineCount() / 2);
    for (int move = 0; move < kMovesPerRun; ++move) {
      const double start = NowMs();
      handler.push_back(s.Command(move % 2 ? kMenuPrev : kMenuNext));
      // Whatever paint the move left pending, done now: the page as the user sees it.
      UpdateWindow(s.List());
      painted.push_back(NowMs() - start);
    }
    if (s.RowCount() != std::min(100, ctx.document->LineCount())) throw std::runtime_error("page of the wrong size");
  }
  out.push_back({"page move, 100 rows: handler", "ms", handler, kGoalMs, ""});
  out.push_back({"page move, 100 rows: handler and paint", "ms", painted, 0, ""});
}

}  // namespace
TOVO_BENCH("paging", 20, PageMove);
}  // namespace tovobench
