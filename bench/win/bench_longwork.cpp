// Long work on a large document (10,000,000 lines; TOVO_BENCH_SCALE_LINES sets a tenth of it):
//   longwork  for load-all, a sort by a text column, column fitting and the whole-document
//             search: the longest stretch of work between two pumps (what the pump dispatches
//             not counted; the DLL's benchmark build times it and leaves it in a window
//             property), and the time from Esc, pressed with the progress bar at 40 %, to the
//             handler's return with the list as it was;
//   floor     load-all against its floor, the document read through the editor's two messages a
//             line with nothing stored or shown, at the small and the large line count. The
//             ratio is what the pumping and the progress bar may raise; it also runs a DLL
//             without them (TOVO_BENCH_BUILD=DIR scripts/bench --no-build --only floor).
#include "Bench.h"

#include <commctrl.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

namespace tovobench {
namespace {

constexpr UINT kMenuLoadAll = 1001, kMenuFit = 1002, kMenuSearchNext = 1101;
constexpr int kSearchBoxId = 111;
constexpr int kTextColumn = 3;  // names in random order
constexpr double kStretchGoalMs = 50, kStopGoalMs = 200, kLoadAllStopGoalMs = 500;
constexpr int kStopAtPermille = 400;

struct Run {
  double ms = -1;         // from the answer (or the start) to the handler's return
  double stopMs = -1;     // from Esc to the handler's return
  double longestMs = -1;  // the longest stretch between two pumps
};

// Sends `message` to `target` from a second thread, answers a question with Yes, and with `stop`
// presses Esc once the progress bar stands at kStopAtPermille.
Run Operate(Session& s, HWND target, UINT message, WPARAM wp, LPARAM lp, bool asks, bool stop) {
  std::atomic<double> returned{-1};
  double start = NowMs();
  std::thread sender([&] {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(target, message, wp, lp, SMTO_NORMAL, 600000, &ignored);
    returned.store(NowMs());
  });
  if (asks) {
    HWND box = s.WaitMessageBox(60000);
    start = NowMs();
    if (box) {
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDYES)));
    }
  }
  Run run;
  if (stop) {
    HWND bar = FindWindowExW(s.StatusBar(), nullptr, PROGRESS_CLASSW, nullptr);
    DWORD_PTR position = 0;
    while (bar && returned.load() < 0 &&
           !(IsWindowVisible(bar) && SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_NORMAL, 10000, &position) &&
             position >= kStopAtPermille)) {
      Sleep(1);
    }
    const double pressed = NowMs();
    PostMessageW(s.List(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(s.List(), WM_KEYUP, VK_ESCAPE, 0xC0010001);
    sender.join();
    if (!IsWindow(s.Window())) throw std::runtime_error("Esc during the work closed the window");
    // -1 when the work ended before the Esc reached it (a small document).
    if (StatusPanel(s.StatusBar(), 4).find(L"中止しました") != std::wstring::npos)
      run.stopMs = returned.load() - pressed;
  } else {
    sender.join();
  }
  run.ms = returned.load() - start;
  run.longestMs = LongestWorkMs(s.Window());
  return run;
}

Run Command(Session& s, UINT id, bool asks, bool stop) {
  return Operate(s, s.Window(), WM_COMMAND, MAKEWPARAM(id, 0), 0, asks, stop);
}

HWND Header(Session& s) { return reinterpret_cast<HWND>(SendMessageW(s.List(), LVM_GETHEADER, 0, 0)); }

int SortArrow(Session& s, int column) {
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(Header(s), HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item),
                      SMTO_NORMAL, 10000, &ignored);
  return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
}

// A press on a caption as the header gets it: the sort runs inside the button's release.
Run CaptionClick(Session& s, int column, bool stop) {
  const HWND header = Header(s);
  RECT item{};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item),
                      SMTO_NORMAL, 10000, &ignored);
  const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  SendMessageTimeoutW(header, WM_LBUTTONDOWN, MK_LBUTTON, at, SMTO_NORMAL, 10000, &ignored);
  return Operate(s, header, WM_LBUTTONUP, 0, at, false, stop);
}

void LongWork(Context& base, Results& out) {
  const int lines = ScaleLines() * 10;
  const Document doc = Document::Generate(lines);
  Context ctx = base;
  ctx.document = &doc;
  WriteIni(ctx, L"CsvList", L"DispNum", L"5");
  Session s(ctx);
  const std::string at = " (" + LinesLabel(lines) + ")";
  auto report = [&](const std::string& what, const Run& full, const Run& stopped, double stopGoal) {
    out.push_back({what + ": longest work between pumps" + at,
                   "ms",
                   {full.longestMs},
                   kStretchGoalMs,
                   "whole run " + std::to_string(static_cast<int>(full.ms)) + " ms"});
    out.push_back({what + ": Esc to the list as before" + at,
                   "ms",
                   {stopped.stopMs},
                   stopGoal,
                   stopped.stopMs < 0 ? "ended before the Esc" : "Esc at 40 %"});
  };

  const int pageRows = s.RowCount();
  const Run loadStopped = Command(s, kMenuLoadAll, true, true);
  if (s.RowCount() != pageRows) throw std::runtime_error("a stopped load-all changed the page");
  const Run load = Command(s, kMenuLoadAll, true, false);
  if (s.RowCount() != lines) throw std::runtime_error("load-all did not fill the list");
  report("load all", load, loadStopped, kLoadAllStopGoalMs);

  const std::wstring first = s.Cell(0, 0);
  const Run sortStopped = CaptionClick(s, kTextColumn, true);
  if (s.Cell(0, 0) != first || SortArrow(s, kTextColumn)) throw std::runtime_error("a stopped sort changed the order");
  const Run sort = CaptionClick(s, kTextColumn, false);
  if (SortArrow(s, kTextColumn) != HDF_SORTUP) throw std::runtime_error("the sort did not run");
  report("sort by a text column", sort, sortStopped, kStopGoalMs);

  const Run fitStopped = Command(s, kMenuFit, true, true);
  const Run fit = Command(s, kMenuFit, true, false);
  if (StatusPanel(s.StatusBar(), 0) != L"96") throw std::runtime_error("fitting did not finish");
  report("fit 96 columns", fit, fitStopped, kStopGoalMs);

  // Descending, then back to line order with row 0 selected; then a term only the last line
  // holds (its number).
  CaptionClick(s, kTextColumn, false);
  CaptionClick(s, kTextColumn, false);
  if (s.Cell(0, 0) != first || s.Selected() != 0) throw std::runtime_error("not back to line order at row 0");
  const std::wstring term = s.Cell(s.RowCount() - 1, 1);
  HWND box = FindWindowExW(s.Window(), nullptr, L"ComboBox", nullptr);
  while (box && GetDlgCtrlID(box) != kSearchBoxId) box = FindWindowExW(s.Window(), box, L"ComboBox", nullptr);
  if (!box) throw std::runtime_error("no search box");
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(term.c_str()), SMTO_NORMAL, 10000, &ignored);
  const int selected = s.Selected();
  const Run searchStopped = Command(s, kMenuSearchNext, false, true);
  if (s.Selected() != selected) throw std::runtime_error("a stopped search moved the selection");
  const Run search = Command(s, kMenuSearchNext, false, false);
  if (s.Selected() != lines - 1) throw std::runtime_error("the search did not find the last line");
  report("search to the last line", search, searchStopped, kStopGoalMs);
}

void Floor(Context& base, Results& out) {
  const int runs = base.runs < 3 ? base.runs : 3;
  for (const int lines : {ScaleLines(), ScaleLines() * 10}) {
    const Document doc = Document::Generate(lines);
    Context ctx = base;
    ctx.document = &doc;
    Samples load, floor, ratio;
    for (int run = 0; run < runs; ++run) {
      WriteIni(ctx, L"CsvList", L"DispNum", L"5");
      {
        Session s(ctx);
        load.push_back(s.LoadAll());
        if (load.back() < 0 || s.RowCount() != lines) throw std::runtime_error("load-all did not fill the list");
      }
      floor.push_back(ReadThroughEditor(doc));
      ratio.push_back(load.back() / floor.back());
    }
    const std::string label = LinesLabel(lines);
    out.push_back({"floor " + label + ": load all", "ms", load, 0, ""});
    out.push_back({"floor " + label + ": two messages a line, nothing kept", "ms", floor, 0, ""});
    out.push_back({"floor " + label + ": load all / floor", "x", ratio, 0, "median of each run's ratio"});
  }
}

}  // namespace
TOVO_BENCH("longwork", 92, LongWork);
TOVO_BENCH("floor", 93, Floor);
}  // namespace tovobench
