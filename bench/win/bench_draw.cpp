// Drawing with highlighting by field: the whole document loaded, a word file of 100 words, the
// list scrolled by one page and repainted whole, timed together; with a full mark table (65535
// marks) on marked rows and past them, with no marks, and with highlighting off for comparison;
// the last two scrolled 300 pixels right, where the "No" column is drawn again at the left edge.
//
// The page is scrolled with LVM_SCROLL, so the figures are the drawing alone; a PgDn with its
// repaint is reported apart, without a goal (bench_select sets it beside a bare list view).
#include "Bench.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace tovobench {
namespace {

constexpr double kGoalMs = 20;
constexpr int kPagesPerRun = 20;
constexpr int kPgDnSamples = 3;

LRESULT SendList(const Session& s, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(s.List(), msg, wp, lp, SMTO_NORMAL, 60000, &result)) {
    throw std::runtime_error("the list did not answer in time");
  }
  return static_cast<LRESULT>(result);
}

// 100 words; with `matching`, two of them stand in most rows and the table fills within the
// first few thousand rows.
void WriteWords(const std::wstring& path, bool matching) {
  std::string text;
  for (int i = 0; i < (matching ? 98 : 100); ++i) text += "nomatch" + std::to_string(i) + "\r\n";
  if (matching) text += "alpha\r\nbeta\r\n";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write the word file");
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

double ScrollPageAndPaint(const Session& s, int pageHeight) {
  const double start = NowMs();
  SendList(s, LVM_SCROLL, 0, pageHeight);
  RedrawWindow(s.List(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  return NowMs() - start;
}

double PgDnAndPaint(const Session& s) {
  const double start = NowMs();
  SendList(s, WM_KEYDOWN, VK_NEXT, 1);
  RedrawWindow(s.List(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  return NowMs() - start;
}

void Draw(Context& ctx, Results& out) {
  const std::wstring words = ctx.pluginsDir + L"bench-words.txt";
  const int lines = ctx.document->LineCount();
  // The large window shows about 750 cells a page, the default one about 150.
  const std::wstring width = std::to_wstring(std::min(GetSystemMetrics(SM_CXSCREEN), 1600));
  const std::wstring height = std::to_wstring(std::min(GetSystemMetrics(SM_CYSCREEN), 1000));

  const struct {
    const char* name;
    const wchar_t* col;  // "1": by field, "0": off
    bool matching;
    double startAt;      // where in the document the pages are scrolled, as a fraction
    bool large;          // the large window, or the default 800 x 480
    bool pgDn;           // also sample Wine's PgDn
    bool right = false;  // scrolled right: the "No" column is drawn again over the fields
  } cases[] = {
      {"scroll+paint 800x480, by field, full marks", L"1", true, 0.0, false, false},
      {"scroll+paint 800x480, highlighting off", L"0", false, 0.0, false, false},
      {"scroll+paint large, by field, full marks, in", L"1", true, 0.0, true, false},
      {"scroll+paint large, by field, full marks, past", L"1", true, 0.5, true, true},
      {"scroll+paint large, by field, no marks", L"1", false, 0.5, true, false},
      {"scroll+paint large, highlighting off", L"0", false, 0.5, true, false},
      {"scroll+paint large, by field, full marks, past, right", L"1", true, 0.5, true, false, true},
      {"scroll+paint large, highlighting off, right", L"0", false, 0.5, true, false, true},
  };
  for (const auto& c : cases) {
    WriteWords(words, c.matching);
    WriteIni(ctx, L"CsvListHighLight", L"None", c.col[0] == L'1' ? L"0" : L"1");
    WriteIni(ctx, L"CsvListHighLight", L"Row", L"0");
    WriteIni(ctx, L"CsvListHighLight", L"Col", c.col);
    WriteIni(ctx, L"CsvListHighLight", L"FileName", words.c_str());
    WriteIni(ctx, L"FormCsvList", L"Left", L"0");
    WriteIni(ctx, L"FormCsvList", L"Top", L"0");
    WriteIni(ctx, L"FormCsvList", L"Width", c.large ? width.c_str() : L"800");
    WriteIni(ctx, L"FormCsvList", L"Height", c.large ? height.c_str() : L"480");
    Session s(ctx);
    if (s.LoadAll() < 0 || s.RowCount() != lines) throw std::runtime_error("load-all did not fill the list");

    RECT row{};
    row.left = LVIR_BOUNDS;
    SendList(s, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    const int perPage = static_cast<int>(SendList(s, LVM_GETCOUNTPERPAGE));
    const int pageHeight = std::max(1, perPage) * std::max(1, static_cast<int>(row.bottom - row.top));
    SendList(s, LVM_ENSUREVISIBLE, static_cast<WPARAM>(lines * c.startAt), FALSE);
    if (c.right) SendList(s, LVM_SCROLL, 300, 0);

    Samples ms;
    for (int run = 0; run < ctx.runs; ++run) {
      for (int page = 0; page < kPagesPerRun; ++page) ms.push_back(ScrollPageAndPaint(s, pageHeight));
    }
    RECT client{};
    GetClientRect(s.List(), &client);
    const std::string cells = std::to_string(perPage) + " rows a page, " + std::to_string(client.right) + " px wide";
    out.push_back({c.name, "ms", ms, kGoalMs, cells});
    if (c.pgDn) {
      Samples keys;
      for (int i = 0; i < kPgDnSamples; ++i) keys.push_back(PgDnAndPaint(s));
      out.push_back({"PgDn+paint", "ms", keys, 0, ""});
    }
  }

  RestoreHighLightAndSize(ctx, words);
}

}  // namespace
TOVO_BENCH("draw", 90, Draw);
}  // namespace tovobench
