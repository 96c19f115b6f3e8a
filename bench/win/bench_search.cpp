// Over the whole document after "全て表示": a forward search that walks every row to the last,
// the same with the search options (regular expressions, one column) and a count of matches,
// fitting all 96 columns, and setting a header row.
#include "Bench.h"

#include <commctrl.h>

#include <atomic>
#include <stdexcept>
#include <string>

namespace tovobench {
namespace {

constexpr UINT kMenuFit = 1002, kMenuHeader = 1003, kMenuSearchNext = 1101, kMenuRegEx = 1103, kMenuOneColumn = 1104,
               kMenuCount = 1105, kMenuTop = 1203;
constexpr int kSearchBoxId = 111;
constexpr double kSearchGoalMs = 500, kFitGoalMs = 2000, kHeaderGoalMs = 50;
constexpr double kRegexLiteralGoalMs = 500, kRegexNoLiteralGoalMs = 3000, kOneColumnGoalMs = 200, kCountGoalMs = 500;

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

// A command that ends in a message box (a search that finds nothing): milliseconds from sending
// it to the box, which is then answered.
double CommandUntilBox(Session& s, UINT id) {
  const double sent = NowMs();
  std::thread sender([&] {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(s.Window(), WM_COMMAND, MAKEWPARAM(id, 0), 0, SMTO_NORMAL, 120000, &ignored);
  });
  HWND box = s.WaitMessageBox(120000);
  const double shown = NowMs();
  if (box) PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
  sender.join();
  return box ? shown - sent : -1;
}

void SetSearchText(Session& s, const std::wstring& term) {
  HWND box = FindWindowExW(s.Window(), nullptr, L"ComboBox", nullptr);
  while (box && GetDlgCtrlID(box) != kSearchBoxId) box = FindWindowExW(s.Window(), box, L"ComboBox", nullptr);
  if (!box) throw std::runtime_error("no search box");
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(term.c_str()), SMTO_NORMAL, 10000, &ignored);
}

// The first row selected again, as "先頭" does after all lines are loaded.
void ToFirstRow(Session& s) {
  s.Command(kMenuTop);
  const double until = NowMs() + 10000;
  while (s.Selected() != 0 && NowMs() < until) Sleep(5);
  if (s.Selected() != 0) throw std::runtime_error("the first row was not selected");
}

// The search options and the count, in a session with all lines loaded; each leaves the options
// off again, as the next session expects.
struct OptionSamples {
  Samples regexLiteral, regexNoLiteral, oneColumn, count;
};
void SearchOptions(Session& s, int lines, OptionSamples& out) {
  s.Command(kMenuRegEx);
  ToFirstRow(s);
  SetSearchText(s, L"needle-zz[0-9]");
  out.regexLiteral.push_back(s.Command(kMenuSearchNext));
  if (s.Selected() != lines - 1) throw std::runtime_error("the regular expression did not find the last line");
  ToFirstRow(s);
  SetSearchText(s, L"^[0-9]{3}[a-z]{9}$");
  out.regexNoLiteral.push_back(CommandUntilBox(s, kMenuSearchNext));
  s.Command(kMenuRegEx);

  // A search over all columns finds the needle in column 12, which one-column search then takes.
  ToFirstRow(s);
  SetSearchText(s, L"needle-zz");
  s.Command(kMenuSearchNext);
  ToFirstRow(s);
  s.Command(kMenuOneColumn);
  out.oneColumn.push_back(s.Command(kMenuSearchNext));
  if (s.Selected() != lines - 1) throw std::runtime_error("the one-column search did not find the last line");
  s.Command(kMenuOneColumn);

  SetSearchText(s, kAlphaOne);
  out.count.push_back(s.Command(kMenuCount));
  const std::wstring n = std::to_wstring(lines / kAlphaOneEvery);
  if (StatusPanel(s.StatusBar(), 4) != L"一致: " + n + L" 行 / " + n + L" セル")
    throw std::runtime_error("the count is not the document's");
}

void SearchFitHeader(Context& ctx, Results& out) {
  const int lines = ctx.document->LineCount();
  WriteIni(ctx, L"CsvListSearch", L"RegEx", L"0");
  WriteIni(ctx, L"CsvListSearch", L"OneColumn", L"0");
  Samples search, fit, header;
  OptionSamples options;
  for (int run = 0; run < ctx.runs; ++run) {
    Session s(ctx);
    if (s.LoadAll() < 0 || s.RowCount() != lines) throw std::runtime_error("load-all did not fill the list");

    // The last line's first field is its zero-padded line number: no other line holds it.
    SetSearchText(s, s.Cell(lines - 1, 1));
    search.push_back(s.Command(kMenuSearchNext));
    if (s.Selected() != lines - 1) throw std::runtime_error("the search did not find the last line");
    SearchOptions(s, lines, options);

    const double fitted = AnsweredCommand(s, kMenuFit);
    if (fitted < 0 || StatusPanel(s.StatusBar(), 0) != L"96") throw std::runtime_error("fitting did not finish");
    fit.push_back(fitted);

    header.push_back(s.Command(kMenuHeader));
    if (StatusPanel(s.StatusBar(), 1) != L"96") throw std::runtime_error("the header was not set");
  }
  out.push_back({"search forward to the last line", "ms", search, kSearchGoalMs, "all lines loaded, from row 0"});
  out.push_back({"regex needle-zz[0-9] to the last line", "ms", options.regexLiteral, kRegexLiteralGoalMs, "from row 0"});
  out.push_back({"regex ^[0-9]{3}[a-z]{9}$, in no line", "ms", options.regexNoLiteral, kRegexNoLiteralGoalMs,
                 "to the message"});
  out.push_back({"plain term, column 12 only, last line", "ms", options.oneColumn, kOneColumnGoalMs, "from row 0"});
  out.push_back({"count rows and fields holding alpha1", "ms", options.count, kCountGoalMs, "all rows shown"});
  out.push_back({"fit 96 columns over all rows", "ms", fit, kFitGoalMs, "from answering the question"});
  out.push_back({"set a header row", "ms", header, kHeaderGoalMs, ""});
}

}  // namespace
TOVO_BENCH("search", 40, SearchFitHeader);
}  // namespace tovobench
