// The filter by a column and a column's profile, through their windows, on a document of columns
// loaded whole (1,000,000 lines; TOVO_BENCH_SCALE_LINES sets it; and ten times it):
//   the value list of field 08 (100,000 distinct values), from the command to the filled dialog;
//   "equals E05" on field 05 (keeps one row in six), from the dialog's OK to the filled list;
//   "equals" one word on field 07, narrowing that result, the same way;
//   the profile of field 04 (amounts, almost all distinct) over all rows, from the command to the
//   shown window;
//   the memory the filters add, in bytes a row;
//   at the larger count, the longest stretch of work between two pumps of the count, the first
//   condition and the profile.
#include "Bench.h"

#include <commctrl.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>

namespace tovobench {
namespace {

constexpr UINT kMenuColumnFilter = 1106, kMenuColumnProfile = 1108;
constexpr double kFirstGoalMs = 300, kSecondGoalMs = 150, kValueListGoalMs = 500, kProfileGoalMs = 500;
constexpr double kLargeGoalMs = 5000, kMemoryGoalBytes = 8, kStretchGoalMs = 50;

std::wstring Caption(int column, const wchar_t* what) {
  return L"カラム " + std::wstring(column < 10 ? L"0" : L"") + std::to_wstring(column) + what;
}

HWND ChildByText(HWND parent, const wchar_t* text) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t buf[64] = {};
    GetWindowTextW(child, buf, 64);
    if (wcscmp(buf, text) == 0) return child;
  }
  throw std::runtime_error("no control named in the dialog");
}

// A command that opens a modal window: sent from a second thread, which returns when the
// handler does (the window closed and what it chose applied).
class Opening {
 public:
  Opening(Session& s, UINT id) : start_(NowMs()) {
    sender_ = std::thread([this, &s, id] {
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(s.Window(), WM_COMMAND, MAKEWPARAM(id, 0), 0, SMTO_NORMAL, 600000, &ignored);
      returned_.store(NowMs());
    });
  }
  ~Opening() {
    if (sender_.joinable()) sender_.join();
  }
  double Start() const { return start_; }
  double Returned() {
    sender_.join();
    return returned_.load();
  }

 private:
  double start_;
  std::atomic<double> returned_{-1};
  std::thread sender_;
};

struct Figures {
  Samples valueList, first, second, profile, bytesPerRow;
  Samples countStretch, filterStretch, profileStretch;
};



// Milliseconds from OK to the handler's return, the dialog set to "equals `term`".
double FilterEquals(Session& s, int column, const wchar_t* term) {
  s.ClickCell(0, column);
  Opening open(s, kMenuColumnFilter);
  HWND dialog = s.WaitWindow(Caption(column, L" の絞り込み").c_str());
  if (!dialog) throw std::runtime_error("the filter dialog did not open");
  SendMessageW(ChildByText(dialog, L"と等しい(&E)"), BM_CLICK, 0, 0);
  HWND termBox = GetWindow(ChildByText(dialog, L"文字(&T)"), GW_HWNDNEXT);
  SendMessageW(termBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(term));
  const double ok = NowMs();
  PostMessageW(ChildByText(dialog, L"OK"), BM_CLICK, 0, 0);
  return open.Returned() - ok;
}

// Milliseconds from the command on `column` to its window shown, and the count's longest stretch;
// the window is then closed.
void TimeWindow(Session& s, int column, UINT command, const wchar_t* what, Samples& ms, Samples& stretch) {
  s.ClickCell(0, column);
  Opening open(s, command);
  HWND window = s.WaitWindow(Caption(column, what).c_str());
  if (!window) throw std::runtime_error("the column's window did not open");
  ms.push_back(NowMs() - open.Start());
  stretch.push_back(LongestWorkMs(s.Window()));
  PostMessageW(window, WM_CLOSE, 0, 0);
}

void Measure(Context& base, int lines, int runs, Figures& out) {
  const Document doc = Document::GenerateColumns(lines);
  Context ctx = base;
  ctx.document = &doc;
  for (int run = 0; run < runs; ++run) {
    WriteIni(ctx, L"CsvList", L"DispNum", L"5");
    Session s(ctx);
    if (s.LoadAll() < 0 || s.RowCount() != lines) throw std::runtime_error("load-all did not fill the list");

    TimeWindow(s, 8, kMenuColumnFilter, L" の絞り込み", out.valueList, out.countStretch);

    TimeWindow(s, 4, kMenuColumnProfile, L" の統計", out.profile, out.profileStretch);

    const PrivateMemory before = PrivateBytes();
    out.first.push_back(FilterEquals(s, 5, L"E05"));
    out.filterStretch.push_back(LongestWorkMs(s.Window()));
    const int firstRows = s.RowCount();
    if (firstRows <= 0 || firstRows >= lines / 4) throw std::runtime_error("the first condition kept too much");
    out.second.push_back(FilterEquals(s, 7, L"alpha"));
    if (s.RowCount() <= 0 || s.RowCount() >= firstRows) throw std::runtime_error("the second condition kept too much");
    const PrivateMemory after = PrivateBytes();
    out.bytesPerRow.push_back(after.bytes > before.bytes ? static_cast<double>(after.bytes - before.bytes) / lines : 0);

  }
}

void Columns(Context& ctx, Results& out) {
  const int small = ScaleLines();
  const int large = small * 10;
  const int runs = ctx.runs < 3 ? ctx.runs : 3;
  for (const auto& [lines, n] : {std::pair{small, runs}, std::pair{large, 1}}) {
    Figures f;
    Measure(ctx, lines, n, f);
    const bool big = lines > small;
    const std::string at = "column " + LinesLabel(lines) + ": ";
    out.push_back({at + "value list of field 08 (100,000 values)", "ms", f.valueList,
                   big ? kLargeGoalMs : kValueListGoalMs, "command to the filled dialog"});
    out.push_back({at + "field 05 equals E05 (1 row in 6)", "ms", f.first, big ? kLargeGoalMs : kFirstGoalMs,
                   "OK to the filled list"});
    out.push_back({at + "then field 07 equals alpha", "ms", f.second, big ? kLargeGoalMs : kSecondGoalMs,
                   "OK to the filled list"});
    out.push_back({at + "profile of field 04 (amounts)", "ms", f.profile, big ? kLargeGoalMs : kProfileGoalMs,
                   "command to the shown window"});
    out.push_back({at + "memory the filters add", "B/row", f.bytesPerRow, kMemoryGoalBytes, ""});
    if (!big) continue;
    out.push_back({at + "longest stretch between pumps: count", "ms", f.countStretch, kStretchGoalMs, "field 08"});
    out.push_back({at + "longest stretch between pumps: filter", "ms", f.filterStretch, kStretchGoalMs, "field 05"});
    out.push_back({at + "longest stretch between pumps: profile", "ms", f.profileStretch, kStretchGoalMs, "field 04"});
  }
}

}  // namespace
TOVO_BENCH("column", 95, Columns);
}  // namespace tovobench
