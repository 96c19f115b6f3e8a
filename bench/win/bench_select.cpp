// Selection changes and drawing after "全て表示", each beside a bare owner-data list view of the
// same size, font, columns and cells (no plug-in code: no custom drawing, no subclass), measured
// in the same run: the keys and a click at 1,000,000 and 100,000 rows, so growth with the row
// count shows; the window's own row moves (go-to-line, a search hit, the start position); and a
// page scrolled and repainted, highlighting by field with a full mark table, at 800 x 480 and
// in a window as wide as the screen, scrolled right or not.
#include "Bench.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace tovobench {
namespace {

constexpr UINT kMenuSearchNext = 1101, kMenuJump = 1201, kMenuStart = 1202;
constexpr int kSearchBoxId = 111;
constexpr double kPageKeyGoalMs = 20, kSmallMoveGoalMs = 5, kRowMoveGoalMs = 30, kRepaintGoal = 1.2;
constexpr int kBareKeySamples = 3;  // each costs most of a second at a million rows
constexpr int kPaintSamples = 60;

LRESULT SendList(HWND list, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(list, msg, wp, lp, SMTO_NORMAL, 60000, &result)) {
    throw std::runtime_error("a list did not answer in time");
  }
  return static_cast<LRESULT>(result);
}

void Paint(HWND list) {
  RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

double KeyAndPaint(HWND list, UINT vk) {
  const double start = NowMs();
  SendList(list, WM_KEYDOWN, vk, 1);
  SendList(list, WM_KEYUP, vk, 0xC0000001);
  RedrawWindow(list, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return NowMs() - start;
}

// A click on the row `below` rows under the top one, in the first field.
double ClickAndPaint(HWND list, int below) {
  const int row = static_cast<int>(SendList(list, LVM_GETTOPINDEX)) + below;
  RECT cell{};
  cell.top = 1;
  cell.left = LVIR_BOUNDS;
  SendList(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
  const LPARAM at = MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2);
  const double start = NowMs();
  SendList(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendList(list, WM_LBUTTONUP, 0, at);
  RedrawWindow(list, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return NowMs() - start;
}

double ScrollPageAndPaint(HWND list) {
  RECT row{};
  row.left = LVIR_BOUNDS;
  SendList(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  const int page =
      std::max<int>(1, static_cast<int>(SendList(list, LVM_GETCOUNTPERPAGE))) * std::max<int>(1, row.bottom - row.top);
  const double start = NowMs();
  SendList(list, LVM_SCROLL, 0, page);
  Paint(list);
  return NowMs() - start;
}

// ---------------------------------------------------------------- the bare list view

class BareList {
 public:
  // Placed at `y` on the screen, the size, font and column widths of `like`.
  BareList(const Document& doc, HWND like, int y) : doc_(doc) {
    RECT size{};
    GetWindowRect(like, &size);
    const auto font = static_cast<WPARAM>(SendList(like, WM_GETFONT));
    std::atomic<bool> ready{false};
    ui_ = std::thread([&] {
      static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &BareList::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TovoBenchBare";
        return RegisterClassW(&wc) != 0;
      }();
      (void)registered;
      window_ = CreateWindowExW(0, L"TovoBenchBare", L"bare list view", WS_POPUP, 0, y, size.right - size.left,
                                size.bottom - size.top, nullptr, nullptr, GetModuleHandleW(nullptr), this);
      list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0,
                              0, size.right - size.left, size.bottom - size.top, window_, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
      ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
      SendMessageW(list_, WM_SETFONT, font, FALSE);
      ready.store(true);
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    });
    while (!ready.load()) Sleep(1);
    if (!list_) throw std::runtime_error("no bare list view");
    HWND header = reinterpret_cast<HWND>(SendList(like, LVM_GETHEADER));
    const int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int c = 0; c < columns; ++c) {
      LVCOLUMNW col{};
      col.mask = LVCF_WIDTH | LVCF_TEXT;
      col.cx = static_cast<int>(SendList(like, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c)));
      std::wstring caption = c == 0 ? L"No" : std::to_wstring(c);
      col.pszText = caption.data();
      SendList(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&col));
    }
    SendList(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(doc.LineCount()), LVSICF_NOSCROLL);
    ListView_SetItemState(list_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    Paint(list_);
  }
  ~BareList() {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    ui_.join();
  }
  HWND List() const { return list_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    }
    auto* self = reinterpret_cast<BareList*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NOTIFY && self && reinterpret_cast<NMHDR*>(lp)->code == LVN_GETDISPINFOW) {
      self->Cell(reinterpret_cast<NMLVDISPINFOW*>(lp)->item);
      return 0;
    }
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  // The plug-in's cells: the line number, then the fields (split at every comma here).
  void Cell(LVITEMW& item) const {
    if (!(item.mask & LVIF_TEXT) || item.cchTextMax <= 0) return;
    if (item.iSubItem == 0) {
      swprintf(item.pszText, static_cast<size_t>(item.cchTextMax), L"%05d", item.iItem + 1);
      return;
    }
    std::wstring_view line = doc_.Line(item.iItem);
    for (int f = 1; f < item.iSubItem && !line.empty(); ++f) {
      const size_t comma = line.find(L',');
      line = comma == std::wstring_view::npos ? std::wstring_view() : line.substr(comma + 1);
    }
    line = line.substr(0, std::min(line.find(L','), static_cast<size_t>(item.cchTextMax) - 1));
    std::copy(line.begin(), line.end(), item.pszText);
    item.pszText[line.size()] = L'\0';
  }

  const Document& doc_;
  std::thread ui_;
  HWND window_ = nullptr, list_ = nullptr;
};

// ---------------------------------------------------------------- the window's own row moves

// A command that opens the go-to-line dialog on the stored number: milliseconds from its OK to
// the handler's return.
double JumpTo(Session& s, Context& ctx, int line1) {
  WriteIni(ctx, L"Editor", L"Jump", std::to_wstring(line1).c_str());
  std::atomic<double> returned{-1};
  std::thread sender([&] {
    s.Command(kMenuJump);
    returned.store(NowMs());
  });
  HWND dialog = nullptr;
  const ULONGLONG end = GetTickCount64() + 30000;
  while (!(dialog = FindWindowW(nullptr, L"行へ移動")) || !IsWindowVisible(dialog)) {
    if (GetTickCount64() > end) break;
    Sleep(1);
  }
  const double answered = NowMs();
  if (dialog)
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  sender.join();
  if (!dialog || s.Selected() != line1 - 1) throw std::runtime_error("go-to-line did not select the line");
  return returned.load() - answered;
}

std::string Rows(int n) { return std::to_string(n) + " rows"; }

void Moves(Context& ctx, Results& out) {
  const Document small = Document::Generate(std::min(100000, ctx.document->LineCount()));
  for (const Document* doc : {ctx.document, &small}) {
    Context here = ctx;
    here.document = doc;
    const int lines = doc->LineCount();
    WriteIni(here, L"FormCsvList", L"Left", L"0");
    WriteIni(here, L"FormCsvList", L"Top", L"0");
    WriteIni(here, L"FormCsvList", L"Width", L"800");
    WriteIni(here, L"FormCsvList", L"Height", L"480");
    Session s(here, lines / 2);  // the start position is the middle line
    if (s.LoadAll() < 0 || s.RowCount() != lines) throw std::runtime_error("load-all did not fill the list");
    BareList bare(*doc, s.List(), 520);

    // One round moves the selection every way once, each key undoing the one before, so every
    // step moves (a key that moves nothing costs the bare list view nothing).
    const struct {
      const char* name;
      UINT vk;  // 0: a click
      double goal;
    } moves[] = {{"PgDn+paint", VK_NEXT, kPageKeyGoalMs},         {"PgUp+paint", VK_PRIOR, kPageKeyGoalMs},
                 {"Down+paint", VK_DOWN, kSmallMoveGoalMs},       {"Up+paint", VK_UP, kSmallMoveGoalMs},
                 {"End+paint", VK_END, kPageKeyGoalMs},           {"Home+paint", VK_HOME, kPageKeyGoalMs},
                 {"click another row+paint", 0, kSmallMoveGoalMs}};
    constexpr size_t kMoves = sizeof moves / sizeof moves[0];
    std::vector<Samples> plugin(kMoves), plain(kMoves);
    auto round = [&](HWND list, std::vector<Samples>& into, int i) {
      for (size_t m = 0; m < kMoves; ++m) {
        into[m].push_back(moves[m].vk ? KeyAndPaint(list, moves[m].vk) : ClickAndPaint(list, 3 + i % 3));
      }
    };
    for (int i = 0; i < std::max(ctx.runs, kBareKeySamples) * 2; ++i) {
      round(s.List(), plugin, i);
      if (i < kBareKeySamples) round(bare.List(), plain, i);
    }
    for (size_t m = 0; m < kMoves; ++m) {
      char note[64];
      std::snprintf(note, sizeof note, "bare list view: %.1f ms", Median(plain[m]));
      out.push_back({std::string(moves[m].name) + ", " + Rows(lines), "ms", plugin[m], moves[m].goal, note});
    }

    Samples toLast, toFirst, hit, start;
    for (int run = 0; run < ctx.runs; ++run) {
      toLast.push_back(JumpTo(s, here, lines - 1));
      toFirst.push_back(JumpTo(s, here, 1));
      start.push_back(s.Command(kMenuStart));
      if (s.Selected() != lines / 2) throw std::runtime_error("the start position was not selected");
      // From the line before the last: the search itself reads one row.
      JumpTo(s, here, lines - 1);
      const std::wstring term = s.Cell(lines - 1, 1);
      HWND box = FindWindowExW(s.Window(), nullptr, L"ComboBox", nullptr);
      while (box && GetDlgCtrlID(box) != kSearchBoxId) box = FindWindowExW(s.Window(), box, L"ComboBox", nullptr);
      if (!box) throw std::runtime_error("no search box");
      SendList(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(term.c_str()));
      hit.push_back(s.Command(kMenuSearchNext));
      if (s.Selected() != lines - 1) throw std::runtime_error("the search did not find the last line");
    }
    out.push_back({"go to line " + std::to_string(lines - 1) + ", " + Rows(lines), "ms", toLast, kRowMoveGoalMs,
                   "from the dialog's OK"});
    out.push_back({"go to line 1, " + Rows(lines), "ms", toFirst, kRowMoveGoalMs, "from the dialog's OK"});
    out.push_back({"search hit at the last line, " + Rows(lines), "ms", hit, kRowMoveGoalMs, "one row searched"});
    out.push_back({"start position, " + Rows(lines), "ms", start, kRowMoveGoalMs, "the middle line"});
  }
}

// ---------------------------------------------------------------- drawing

void WriteWords(const std::wstring& path) {
  // Two words that stand in most rows: the mark table fills within the first few thousand.
  const std::string text = "alpha\r\nbeta\r\n";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write the word file");
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

void Repaint(Context& ctx, Results& out) {
  const std::wstring words = ctx.pluginsDir + L"bench-select-words.txt";
  WriteWords(words);
  WriteIni(ctx, L"CsvListHighLight", L"None", L"0");
  WriteIni(ctx, L"CsvListHighLight", L"Row", L"0");
  WriteIni(ctx, L"CsvListHighLight", L"Col", L"1");
  WriteIni(ctx, L"CsvListHighLight", L"FileName", words.c_str());
  const int lines = ctx.document->LineCount();
  // Both windows on the screen at once, neither over the other.
  const int height = std::min(480, GetSystemMetrics(SM_CYSCREEN) / 2 - 40);
  const int wide = std::min(GetSystemMetrics(SM_CXSCREEN), 1600);
  for (const int width : {800, wide}) {
    WriteIni(ctx, L"FormCsvList", L"Width", std::to_wstring(width).c_str());
    WriteIni(ctx, L"FormCsvList", L"Height", std::to_wstring(height).c_str());
    Session s(ctx);
    if (s.LoadAll() < 0 || s.RowCount() != lines) throw std::runtime_error("load-all did not fill the list");
    BareList bare(*ctx.document, s.List(), height + 40);
    RECT client{};
    GetClientRect(s.List(), &client);
    for (const bool right : {false, true}) {
      for (HWND list : {s.List(), bare.List()}) {
        SendList(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(lines / 2), FALSE);
        if (right) SendList(list, LVM_SCROLL, 300, 0);
        Paint(list);
      }
      Samples ratio, plugin, plain;
      for (int i = 0; i < kPaintSamples; ++i) {
        // Alternating, so both see the same load from the other agents.
        plugin.push_back(ScrollPageAndPaint(s.List()));
        plain.push_back(ScrollPageAndPaint(bare.List()));
      }
      for (int i = 0; i < kPaintSamples; ++i)
        ratio.push_back(plugin[static_cast<size_t>(i)] / plain[static_cast<size_t>(i)]);
      char name[96], note[96];
      std::snprintf(name, sizeof name, "page repaint %dx%d window (list %ldx%ld)%s, by field, full marks", width,
                    height, client.right, client.bottom, right ? ", scrolled right" : "");
      std::snprintf(note, sizeof note, "plug-in %.1f ms, bare list view %.1f ms", Median(plugin), Median(plain));
      out.push_back({name, "x bare", ratio, kRepaintGoal, note});
    }
  }
  RestoreHighLightAndSize(ctx, words);
}

}  // namespace
TOVO_BENCH("select", 30, Moves);
TOVO_BENCH("repaint", 95, Repaint);
}  // namespace tovobench
