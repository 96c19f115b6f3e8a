// Over the whole document after "全て表示": sorting by a text and a numeric column with a caption
// click, back to line order, and showing only the rows that hold a term.
#include "Bench.h"

#include <commctrl.h>

#include <atomic>
#include <stdexcept>
#include <string>

namespace tovobench {
namespace {

constexpr int kSearchBoxId = 111;
constexpr double kTextGoalMs = 1500, kNumberGoalMs = 1000, kLineOrderGoalMs = 100, kFilterGoalMs = 300;
// In the generated document field 3 is a name and field 4 a decimal number, both in random order.
constexpr int kNumberColumn = 4, kTextColumn = 3;

// A caption click as the list reports it: milliseconds until the handler returned.
double CaptionClick(Session& s, int column) {
  NMLISTVIEW click{};
  click.hdr.hwndFrom = s.List();
  click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(s.List()));
  click.hdr.code = LVN_COLUMNCLICK;
  click.iItem = -1;
  click.iSubItem = column;
  const double start = NowMs();
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(s.Window(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click), SMTO_NORMAL, 120000,
                      &ignored);
  return NowMs() - start;
}

HWND WaitPopupMenu(DWORD thread) {
  for (int i = 0; i < 2000; ++i) {
    HWND found = nullptr;
    EnumThreadWindows(
        thread,
        [](HWND hwnd, LPARAM out) {
          wchar_t cls[16] = {};
          GetClassNameW(hwnd, cls, 16);
          if (std::wstring(cls) != L"#32768" || !IsWindowVisible(hwnd)) return TRUE;
          *reinterpret_cast<HWND*>(out) = hwnd;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (found) return found;
    Sleep(5);
  }
  return nullptr;
}

// The filter from the list's context menu: milliseconds from picking the item to the return.
double Filter(Session& s) {
  std::atomic<double> returned{-1};
  std::thread sender([&] {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(s.List(), WM_KEYDOWN, VK_APPS, 0, SMTO_NORMAL, 120000, &ignored);
    returned.store(NowMs());
  });
  HWND menu = WaitPopupMenu(GetWindowThreadProcessId(s.Window(), nullptr));
  const double picked = NowMs();
  if (menu) PostMessageW(menu, WM_CHAR, L'f', 0);
  sender.join();
  return menu && returned.load() >= 0 ? returned.load() - picked : -1;
}

void SortAndFilter(Context& ctx, Results& out) {
  const int lines = ctx.document->LineCount();
  Samples text, number, lineOrder, filter;
  for (int run = 0; run < ctx.runs; ++run) {
    Session s(ctx);
    if (s.LoadAll() < 0 || s.RowCount() != lines) throw std::runtime_error("load-all did not fill the list");
    text.push_back(CaptionClick(s, kTextColumn));
    CaptionClick(s, kTextColumn);  // descending
    lineOrder.push_back(CaptionClick(s, kTextColumn));
    number.push_back(CaptionClick(s, kNumberColumn));
    CaptionClick(s, kNumberColumn);
    if (s.RowCount() != lines) throw std::runtime_error("the sort lost rows");
    CaptionClick(s, kNumberColumn);

    // A name: about one line in six holds it.
    const std::wstring term = s.Cell(6, kTextColumn);
    HWND box = FindWindowExW(s.Window(), nullptr, L"ComboBox", nullptr);
    while (box && GetDlgCtrlID(box) != kSearchBoxId) box = FindWindowExW(s.Window(), box, L"ComboBox", nullptr);
    if (!box) throw std::runtime_error("no search box");
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(term.c_str()), SMTO_NORMAL, 10000, &ignored);
    const double filtered = Filter(s);
    if (filtered < 0 || s.RowCount() <= 0 || s.RowCount() > lines) throw std::runtime_error("the filter did not run");
    filter.push_back(filtered);
  }
  out.push_back({"sort by a text column", "ms", text, kTextGoalMs, "all lines loaded"});
  out.push_back({"sort by a numeric column", "ms", number, kNumberGoalMs, ""});
  out.push_back({"back to line order", "ms", lineOrder, kLineOrderGoalMs, ""});
  out.push_back({"show only rows holding a term", "ms", filter, kFilterGoalMs, "from picking the item"});
}

}  // namespace
TOVO_BENCH("sort", 45, SortAndFilter);
}  // namespace tovobench
