// The benchmark's document, the stand-in editor window that serves it, and the Session that
// opens the list window on it and plays the user.
#include "Bench.h"

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "plugin/Exports.h"
#include "core/HostMessages.h"

namespace tovobench {

// ---------------------------------------------------------------- document

namespace {
const wchar_t* const kWords[] = {L"alpha", L"beta", L"東京都", L"新宿区", L"gamma", L"カタカナ", L"x",
                                 L"delta", L"大阪", L"omega",  L"42",     L"z9",    L"品番",     L"ok"};
const wchar_t* const kNames[] = {L"山田太郎", L"Smith", L"佐藤花子", L"Müller", L"Lee", L"鈴木一郎"};
constexpr size_t kWordCount = sizeof kWords / sizeof kWords[0];
constexpr size_t kNameCount = sizeof kNames / sizeof kNames[0];
}  // namespace

std::vector<std::wstring> Document::LetterRuns() {
  std::vector<std::wstring> runs(kNames, kNames + kNameCount);
  runs.emplace_back(L"say");
  runs.emplace_back(L"needle");
  runs.emplace_back(L"zz");
  for (const wchar_t* a : kWords) {
    for (const wchar_t* b : kWords) runs.push_back(std::wstring(a) + b);
  }
  return runs;
}

namespace {

// The generators' numbers: the same on every machine, so every run reads the same document.
struct Random {
  uint32_t seed = 12345;
  uint32_t operator()() {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  }
};

}  // namespace

Document Document::Empty(int lines, size_t unitsPerLine) {
  Document doc;
  doc.text_.reserve(static_cast<size_t>(lines) * unitsPerLine);
  doc.starts_.reserve(static_cast<size_t>(lines));
  doc.lengths_.reserve(static_cast<size_t>(lines));
  return doc;
}

Document Document::Generate(int lines) {
  Document doc = Empty(lines, 84);
  Random next;
  wchar_t number[32];
  for (int i = 0; i < lines; ++i) {
    const size_t start = doc.text_.size();
    const bool quoted = i % 4 == 0;
    swprintf(number, 32, L"%07d,2024-%02u-%02u,", i + 1, next() % 12 + 1, next() % 28 + 1);
    doc.text_ += number;
    doc.text_ += kNames[next() % kNameCount];
    swprintf(number, 32, L",%u.%02u", next() % 100000, next() % 100);
    doc.text_ += number;
    for (int f = 4; f < 12; ++f) {
      doc.text_ += L',';
      const wchar_t* a = kWords[next() % kWordCount];
      const wchar_t* b = kWords[next() % kWordCount];
      if (quoted && f == 5) {  // a comma inside quotes: "a, b"
        doc.text_ += L'"';
        doc.text_ += a;
        doc.text_ += L", ";
        doc.text_ += b;
        doc.text_ += L'"';
      } else if (quoted && f == 8) {  // doubled quotes: "say ""a"""
        doc.text_ += L"\"say \"\"";
        doc.text_ += a;
        doc.text_ += L"\"\"\"";
      } else if (f == 11 && i == lines - 1) {  // what the search options' measurements look for
        doc.text_ += kNeedle;
      } else if (f == 10 && (i + 1) % kAlphaOneEvery == 0) {
        doc.text_ += kAlphaOne;
      } else {
        doc.text_ += a;
        if (f % 2) doc.text_ += b;
      }
    }
    doc.starts_.push_back(start);
    doc.lengths_.push_back(static_cast<uint32_t>(doc.text_.size() - start));
  }
  return doc;
}

Document Document::GenerateColumns(int lines) {
  static const wchar_t* const codes[] = {L"A01", L"B02", L"C03", L"D04", L"E05", L"F06"};
  Document doc = Empty(lines, 90);
  Random next;
  auto word = [&] { return kWords[next() % kWordCount]; };
  wchar_t buf[200];
  for (int i = 0; i < lines; ++i) {
    const size_t start = doc.text_.size();
    swprintf(buf, 200, L"%07d,2024-%02u-%02u,%ls,%u.%02u,%ls,", i + 1, next() % 12 + 1, next() % 28 + 1,
             kNames[next() % kNameCount], next() % 100000, next() % 100, codes[next() % 6]);
    doc.text_ += buf;
    const wchar_t* a = word();
    const wchar_t* b = word();
    swprintf(buf, 200, L"%ls%ls,%ls,C%05u,%ls,%ls,%ls,%ls", a, b, word(), static_cast<unsigned>(i * 7919u % 100000u),
             word(), word(), word(), word());
    doc.text_ += buf;
    doc.starts_.push_back(start);
    doc.lengths_.push_back(static_cast<uint32_t>(doc.text_.size() - start));
  }
  return doc;
}

// ---------------------------------------------------------------- helpers

int ScaleLines() {
  const char* env = std::getenv("TOVO_BENCH_SCALE_LINES");
  const int n = env ? std::atoi(env) : 0;
  return n > 0 ? n : 1000000;
}

std::string LinesLabel(int lines) {
  return lines % 1000000 == 0 ? std::to_string(lines / 1000000) + "M" : std::to_string(lines);
}

double LongestWorkMs(HWND window) {
  return static_cast<double>(reinterpret_cast<intptr_t>(GetPropW(window, L"TovoLongestWorkUs"))) / 1000.0;
}

double NowMs() {
  static const double perMs = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / perMs;
}

double Median(Samples samples) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  const size_t n = samples.size();
  return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

PrivateMemory PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters) &&
      counters.PrivateUsage != 0) {
    return {counters.PrivateUsage, "PrivateUsage"};
  }
  // Wine 8 reports PrivateUsage as 0: sum the committed private regions instead.
  uint64_t total = 0;
  MEMORY_BASIC_INFORMATION info;
  for (const char* p = nullptr; VirtualQuery(p, &info, sizeof info) == sizeof info;
       p = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
  }
  return {total, "committed private regions"};
}

void WriteIni(const Context& ctx, const wchar_t* section, const wchar_t* key, const wchar_t* value) {
  const std::wstring file = ctx.pluginsDir + L"TovoCsvList.ini";
  WritePrivateProfileStringW(section, key, value, file.c_str());
}

void RestoreHighLightAndSize(const Context& ctx, const std::wstring& wordFile) {
  WriteIni(ctx, L"CsvListHighLight", L"None", L"1");
  WriteIni(ctx, L"CsvListHighLight", L"Col", L"0");
  WriteIni(ctx, L"CsvListHighLight", L"FileName", L"");
  WriteIni(ctx, L"FormCsvList", L"Width", L"800");
  WriteIni(ctx, L"FormCsvList", L"Height", L"480");
  DeleteFileW(wordFile.c_str());
}

namespace {

constexpr wchar_t kEditorClass[] = L"TovoBenchEditor";
constexpr wchar_t kListCaption[] = L"CsvList表示";
constexpr DWORD kLongWaitMs = 120000;

struct EditorState {
  const Document* doc;
  int currentLine;
};

// Answers the three document messages as the editor does: the line count, the current line, a
// line's length (no buffer) or its text (at most the request's capacity, terminated if room).
LRESULT CALLBACK EditorProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
  }
  const auto* state = reinterpret_cast<const EditorState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!state) return DefWindowProcW(hwnd, msg, wp, lp);
  switch (msg) {
    case tovo::kMsgGetLineCount: return state->doc->LineCount();
    case tovo::kMsgGetCurrentLine: return state->currentLine;
    case tovo::kMsgGetLine: {
      if (!wp) return 0;
      const auto* request = reinterpret_cast<const tovo::LineRequest*>(wp);
      if (request->line < 0 || request->line >= state->doc->LineCount()) return 0;
      const std::wstring_view line = state->doc->Line(request->line);
      if (!lp) return static_cast<LRESULT>(line.size());
      const size_t n = std::min<size_t>(request->capacity, line.size());
      auto* buffer = reinterpret_cast<wchar_t*>(lp);
      std::copy_n(line.data(), n, buffer);
      if (n < request->capacity) buffer[n] = L'\0';
      return static_cast<LRESULT>(n);
    }
    default: return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

struct PluginExports {
  HMODULE module = nullptr;
  OnCommandProc OnCommand = nullptr;
};

const PluginExports& Plugin() {
  static const PluginExports exports = [] {
    PluginExports e;
    e.module = LoadLibraryW(L"TovoCsvList.dll");
    if (!e.module) throw std::runtime_error("cannot load TovoCsvList.dll beside the benchmark");
    e.OnCommand = reinterpret_cast<OnCommandProc>(reinterpret_cast<void*>(GetProcAddress(e.module, "OnCommand")));
    if (!e.OnCommand) throw std::runtime_error("TovoCsvList.dll has no OnCommand");
    return e;
  }();
  return exports;
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    Sleep(1);
  }
  return true;
}

LRESULT SendWait(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_NORMAL, kLongWaitMs, &result)) {
    throw std::runtime_error("the list window did not answer in time");
  }
  return static_cast<LRESULT>(result);
}

HWND FindThreadWindow(DWORD thread, const wchar_t* cls, const wchar_t* caption) {
  struct Find {
    const wchar_t* cls;
    const wchar_t* caption;
    HWND found;
  } find{cls, caption, nullptr};
  EnumThreadWindows(
      thread,
      [](HWND w, LPARAM lp) -> BOOL {
        auto* f = reinterpret_cast<Find*>(lp);
        wchar_t text[128] = {};
        if (f->cls)
          GetClassNameW(w, text, 128);
        else
          GetWindowTextW(w, text, 128);
        if (IsWindowVisible(w) && wcscmp(text, f->cls ? f->cls : f->caption) == 0) {
          f->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.found;
}

}  // namespace

// ---------------------------------------------------------------- session

HWND Session::CreateEditorWindow(const Document& doc, int currentLine) {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = EditorProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kEditorClass;
    return RegisterClassW(&wc) != 0;
  }();
  (void)registered;
  auto* state = new EditorState{&doc, currentLine};  // freed by the UI thread after OnCommand
  return CreateWindowExW(0, kEditorClass, L"TovoBench editor", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                         GetModuleHandleW(nullptr), state);
}

std::wstring StatusPanel(HWND status, int panel) {
  wchar_t text[512] = {};
  DWORD_PTR length = 0;
  SendMessageTimeoutW(status, SB_GETTEXTLENGTHW, panel, 0, SMTO_NORMAL, 10000, &length);
  if (LOWORD(length) >= 512) return {};
  SendMessageTimeoutW(status, SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 10000, &length);
  return text;
}

double ReadThroughEditor(const Document& doc) {
  HWND editor = Session::CreateEditorWindow(doc, 0);
  if (!editor) throw std::runtime_error("cannot create the editor window");
  std::vector<wchar_t> buffer;
  const double start = NowMs();
  for (int i = 0; i < doc.LineCount(); ++i) {
    tovo::LineRequest request{0, 1, i, 0, {}};
    const auto length =
        static_cast<size_t>(SendMessageW(editor, tovo::kMsgGetLine, reinterpret_cast<WPARAM>(&request), 0));
    if (buffer.size() < length + 1) buffer.resize(length + 1);
    request.capacity = static_cast<uint32_t>(length);
    SendMessageW(editor, tovo::kMsgGetLine, reinterpret_cast<WPARAM>(&request),
                 reinterpret_cast<LPARAM>(buffer.data()));
  }
  const double ms = NowMs() - start;
  auto* state = reinterpret_cast<EditorState*>(GetWindowLongPtrW(editor, GWLP_USERDATA));
  DestroyWindow(editor);
  delete state;
  return ms;
}

Session::Session(Context& ctx, int currentLine) : ctx_(ctx) {
  Plugin();
  std::atomic<DWORD> thread{0};
  ui_ = std::thread([this, &thread, currentLine] {
    editor_ = CreateEditorWindow(*ctx_.document, currentLine);
    thread.store(GetCurrentThreadId());
    Plugin().OnCommand(editor_);
    auto* state = reinterpret_cast<EditorState*>(GetWindowLongPtrW(editor_, GWLP_USERDATA));
    DestroyWindow(editor_);
    delete state;
  });
  if (!WaitFor([&] { return thread.load() != 0; }, kLongWaitMs)) throw std::runtime_error("no UI thread");
  uiThread_ = thread.load();
  if (!WaitFor(
          [&] {
            window_ = FindThreadWindow(uiThread_, nullptr, kListCaption);
            list_ = window_ ? FindWindowExW(window_, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
            status_ = window_ ? FindWindowExW(window_, nullptr, STATUSCLASSNAMEW, nullptr) : nullptr;
            return list_ && status_;
          },
          kLongWaitMs)) {
    throw std::runtime_error("the list window did not appear");
  }
}

Session::~Session() {
  if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
  if (ui_.joinable()) ui_.join();
}

double Session::Command(UINT id) {
  const double start = NowMs();
  SendWait(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  return NowMs() - start;
}

double Session::LoadAll() {
  constexpr UINT kMenuLoadAll = 1001;
  std::atomic<double> returned{-1};
  double answered = NowMs();
  std::thread sender([&] {
    SendWait(window_, WM_COMMAND, MAKEWPARAM(kMenuLoadAll, 0), 0);
    returned.store(NowMs());
  });
  // Over 500 lines the command asks first; the clock starts when the question is answered.
  HWND box = nullptr;
  WaitFor([&] { return (box = WaitMessageBox(0)) != nullptr || returned.load() >= 0; }, kLongWaitMs);
  if (box) {
    // The box's text reads empty until it is shown; answering earlier is still fine.
    answered = NowMs();
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDYES)));
  }
  sender.join();
  return returned.load() < 0 ? -1 : returned.load() - answered;
}

HWND Session::WaitWindow(const wchar_t* caption, DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitFor([&] { return (found = FindThreadWindow(uiThread_, nullptr, caption)) != nullptr; }, timeoutMs);
  return found;
}

void Session::ClickCell(int row, int column) {
  RECT cell{};
  cell.top = column;
  cell.left = LVIR_BOUNDS;
  if (!SendWait(list_, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell)))
    throw std::runtime_error("no such cell to click");
  const LPARAM at = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
  // Posted, as the mouse's are: the list view's press waits in a loop of its own for the release.
  PostMessageW(list_, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list_, WM_LBUTTONUP, 0, at);
  SendWait(list_, WM_NULL);
}

int Session::RowCount() const { return static_cast<int>(SendWait(list_, LVM_GETITEMCOUNT)); }

int Session::Selected() const {
  return static_cast<int>(SendWait(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::wstring Session::Cell(int row, int col) const {
  wchar_t text[512] = {};
  LVITEMW item{};
  item.iSubItem = col;
  item.pszText = text;
  item.cchTextMax = 512;
  SendWait(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return text;
}

HWND Session::WaitMessageBox(DWORD timeoutMs) const {
  HWND box = nullptr;
  WaitFor([&] { return (box = FindThreadWindow(uiThread_, L"#32770", nullptr)) != nullptr; }, timeoutMs);
  return box;
}

}  // namespace tovobench
