// TovoBench.exe: measures the plug-in as the editor runs it, under Wine or Windows.
//
// A measurement is a function in its own file bench_<what>.cpp that registers itself:
//
//   void LoadAllTime(tovobench::Context& ctx, tovobench::Results& out) {
//     tovobench::Samples ms;
//     for (int run = 0; run < ctx.runs; ++run) {
//       tovobench::Session s(ctx);                  // the list window open on the document
//       ms.push_back(s.LoadAll());
//     }                                              // ~Session closes the window
//     out.push_back({"load all", "ms", ms, 2000});
//   }
//   TOVO_BENCH("loadall", 10, LoadAllTime);
//
// A Session starts a UI thread that owns the stand-in editor window and calls OnCommand, as the
// editor does; the measurement runs on the main thread and acts as the user: menu commands are
// sent to the window, so their time is the handler's time; message boxes are answered by posting.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tovobench {

// ---- the document the stand-in editor serves ----
inline constexpr wchar_t kNeedle[] = L"needle-zz7";
inline constexpr wchar_t kAlphaOne[] = L"alpha1";
inline constexpr int kAlphaOneEvery = 100000;

class Document {
 public:
  // `lines` lines of 12 comma-separated fields, about 80 units each; a quarter of the lines
  // quote fields holding commas and doubled quotes; some fields are Japanese. Deterministic.
  // The last line's field 12 is kNeedle, found in no other line; field 11 of every
  // kAlphaOneEvery-th line is kAlphaOne, found nowhere else.
  static Document Generate(int lines);
  // `lines` lines of 12 fields for the column measurements: 01 the line number, 02 a date, 03 a
  // name, 04 an amount with a fraction, 05 one of six codes ("A01" … "F06"), 06 two words, 07 one
  // of fourteen words, 08 "C" and five digits (100,000 distinct values from 100,000 lines on), 09
  // to 12 a word each. Deterministic.
  static Document GenerateColumns(int lines);
  int LineCount() const { return static_cast<int>(starts_.size()); }
  std::wstring_view Line(int i) const {
    return {text_.data() + starts_[static_cast<size_t>(i)], lengths_[static_cast<size_t>(i)]};
  }
  uint64_t Utf16Bytes() const { return text_.size() * sizeof(wchar_t); }
  // Every run of letters a generated line can hold between digits, punctuation and spaces: a
  // word of a word field, two of them back to back, a name, "say". A word found in none of them
  // is found in no line.
  static std::vector<std::wstring> LetterRuns();

 private:
  static Document Empty(int lines, size_t unitsPerLine);  // room reserved for the lines

  std::wstring text_;  // all lines back to back, no breaks
  std::vector<size_t> starts_;
  std::vector<uint32_t> lengths_;
};

// ---- results ----
using Samples = std::vector<double>;
struct Result {
  std::string name;
  std::string unit;
  Samples samples;  // the median is reported
  double goal = 0;  // 0: no goal; otherwise the median must not exceed it
  std::string note;
};
using Results = std::vector<Result>;

struct Context {
  const Document* document = nullptr;
  int runs = 5;
  std::wstring pluginsDir;  // the plug-in's folder beside the exe; its files persist between sessions
};

using BenchFunction = void (*)(Context&, Results&);
bool RegisterBench(const char* name, int order, BenchFunction function);
#define TOVO_BENCH(name, order, function) \
  static const bool tovo_bench_registered_##function = ::tovobench::RegisterBench(name, order, function)

// ---- helpers for measurements ----
double NowMs();  // a high-resolution clock
double Median(Samples samples);
// The process's private committed memory: PrivateUsage of GetProcessMemoryInfo where the system
// reports it, otherwise the committed private regions of the address space summed.
struct PrivateMemory {
  uint64_t bytes;
  const char* source;
};
PrivateMemory PrivateBytes();
void WriteIni(const Context& ctx, const wchar_t* section, const wchar_t* key, const wchar_t* value);
// Highlighting off and the 800 x 480 window again, as the other measurements expect; deletes the
// word file a drawing measurement made.
void RestoreHighLightAndSize(const Context& ctx, const std::wstring& wordFile);

// The smaller document of the measurements that load two (1,000,000 lines, or
// TOVO_BENCH_SCALE_LINES), and a line count as a label: "1M", "250000".
int ScaleLines();
std::string LinesLabel(int lines);

// The longest stretch of work between two pumps of the window's last long work, which the DLL's
// benchmark build leaves in a window property.
double LongestWorkMs(HWND window);

// A status bar panel's text, read from another thread.
std::wstring StatusPanel(HWND status, int panel);

// The floor of load-all: the document read through the editor's two messages a line (length,
// then text into one reused buffer), nothing stored or shown, from a stand-in editor window on
// the calling thread. Milliseconds.
double ReadThroughEditor(const Document& doc);

// One opening of the list window on the context's document. The constructor returns once the
// window is visible with its first page; the destructor closes it and waits for OnCommand.
class Session {
 public:
  explicit Session(Context& ctx, int currentLine = 0);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  HWND Window() const { return window_; }
  HWND List() const { return list_; }
  HWND StatusBar() const { return status_; }

  // Sends a menu command to the window and returns the milliseconds until its handler returned.
  double Command(UINT id);
  // "全て表示": the command, the question answered Yes; milliseconds from the answer to the
  // handler's return (the whole document in the list, row 0 selected). -1 on failure.
  double LoadAll();
  int RowCount() const;
  int Selected() const;
  std::wstring Cell(int row, int col) const;
  // First visible message box of the UI thread, or nullptr after timeoutMs.
  HWND WaitMessageBox(DWORD timeoutMs = 10000) const;
  // A visible window of the UI thread with this caption, or nullptr after timeoutMs.
  HWND WaitWindow(const wchar_t* caption, DWORD timeoutMs = 120000) const;
  // A left click on the cell, as the user picks a column for the commands that act on one.
  void ClickCell(int row, int column);

 private:
  friend double ReadThroughEditor(const Document& doc);
  static HWND CreateEditorWindow(const Document& doc, int currentLine);

  Context& ctx_;
  DWORD uiThread_ = 0;
  HWND editor_ = nullptr;
  HWND window_ = nullptr, list_ = nullptr, status_ = nullptr;
  std::thread ui_;
};

}  // namespace tovobench
