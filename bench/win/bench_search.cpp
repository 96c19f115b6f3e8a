// Over the whole document after "全て表示": a forward search that walks every row to the last,
// fitting all 96 columns, and setting a header row.
#include "Bench.h"

#include <commctrl.h>

#include <atomic>
#include <stdexcept>
#include <string>

namespace tovobench {
namespace {

constexpr UINT kMenuFit = 1002, kMenuHeader = 1003, kMenuSearchNext = 1101;
constexpr int kSearchBoxId = 111;
constexpr double kSearchGoalMs = 500, kFitGoalMs = 2000, kHeaderGoalMs = 50;

// A command that asks first: milliseconds from answering Yes to the handler's return.
double AnsweredCommand(Session& s, UINT id) {
  std::atomic<double> returned{-1};
  std::thread sender([&] {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(s.Window(), WM_COMMAND, MAKEWPARAM(id, 0), 0, SMTO_NORMAL, 120000, &ignored);
    returned.store(NowMs());
  });
  HWND box = s.WaitMessageBox(30000);
  const double answered = NowMs();
  if (box) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDYES)));
  }
  sender.join();
  return box && returned.load() >= 0 ? returned.load() - answered : -1;
}

void SearchFitHeader(Context& ctx, Results& out) {
  const int lines = ctx.document->LineCount();
  Samples search, fit, header;
  for (int run = 0; run < ctx.runs; ++run) {
    Session s(ctx);
    if (s.LoadAll() < 0 || s.RowCount() != lines) throw std::runtime_error("load-all did not fill the list");

    // The last line's first field is its zero-padded line number: no other line holds it.
    const std::wstring term = s.Cell(lines - 1, 1);
    HWND box = FindWindowExW(s.Window(), nullptr, L"ComboBox", nullptr);
    while (box && GetDlgCtrlID(box) != kSearchBoxId) box = FindWindowExW(s.Window(), box, L"ComboBox", nullptr);
    if (!box) throw std::runtime_error("no search box");
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(term.c_str()), SMTO_NORMAL, 10000, &ignored);
    search.push_back(s.Command(kMenuSearchNext));
    if (s.Selected() != lines - 1) throw std::runtime_error("the search did not find the last line");

    const double fitted = AnsweredCommand(s, kMenuFit);
    if (fitted < 0 || StatusPanel(s.StatusBar(), 0) != L"96") throw std::runtime_error("fitting did not finish");
    fit.push_back(fitted);

    header.push_back(s.Command(kMenuHeader));
    if (StatusPanel(s.StatusBar(), 1) != L"96") throw std::runtime_error("the header was not set");
  }
  out.push_back({"search forward to the last line", "ms", search, kSearchGoalMs, "all lines loaded, from row 0"});
  out.push_back({"fit 96 columns over all rows", "ms", fit, kFitGoalMs, "from answering the question"});
  out.push_back({"set a header row", "ms", header, kHeaderGoalMs, ""});
}

}  // namespace
TOVO_BENCH("search", 40, SearchFitHeader);
}  // namespace tovobench
