// Moving the selection through a large loaded list: every key, command, button and click must
// land where the list view itself puts it. A bare owner-data list view of the same size, font
// and columns, made here with nothing of the plug-in, gets the same keys and clicks and is the
// reference; the window's own row moves (go-to-line, start position, a search hit) select and
// centre their row, leaving no other selected, and typed characters select the row whose "No"
// they begin (the bare list, which nobody answers, cannot show that).
#include "driver/ListWindowTest.h"
#include "list/CsvListIds.h"

#include <commctrl.h>

#include <string>

using namespace tovotest;

namespace {

constexpr int kRows = 200000;
constexpr int kStartLine = 123456;  // the editor's caret: the start position

std::vector<std::wstring> Lines() {
  std::vector<std::wstring> lines;
  lines.reserve(kRows);
  for (int i = 1; i <= kRows; ++i) lines.push_back(L"a" + std::to_wstring(i) + L",b" + std::to_wstring(i % 7));
  return lines;
}

struct Where {
  int selected, focused, top, mark, count;
  bool operator==(const Where&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Where& w) {
  return out << "selected " << w.selected << ", focused " << w.focused << ", top " << w.top << ", mark " << w.mark
             << ", selected count " << w.count;
}

Where WhereIs(HWND list) {
  return {ListSelected(list), ListFocused(list), ListTopIndex(list), static_cast<int>(Send(list, LVM_GETSELECTIONMARK)),
          static_cast<int>(Send(list, LVM_GETSELECTEDCOUNT))};
}

LPARAM CellPoint(HWND list, int row) {
  const RECT cell = ListCellRect(list, row, 1);
  return MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2);
}

// A bare owner-data list view on this thread, shaped as `like`; its messages are posted and then
// dispatched here as a message loop would.
class ReferenceList {
 public:
  explicit ReferenceList(HWND like) {
    const RECT size = WindowRectOf(like);
    parent_ = CreateWindowExW(0, L"STATIC", L"reference", WS_POPUP, 0, 0, size.right - size.left,
                              size.bottom - size.top, nullptr, nullptr, nullptr, nullptr);
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0,
                            0, size.right - size.left, size.bottom - size.top, parent_, nullptr, nullptr, nullptr);
    ListView_SetExtendedListViewStyle(list_, static_cast<DWORD>(Send(like, LVM_GETEXTENDEDLISTVIEWSTYLE)));
    SendMessageW(list_, WM_SETFONT, Send(like, WM_GETFONT), FALSE);
    for (int c = 0; c < ListColumnCount(like); ++c) {
      LVCOLUMNW col{};
      col.mask = LVCF_WIDTH;
      col.cx = ListColumnWidth(like, c);
      ListView_InsertColumn(list_, c, &col);
    }
    ListView_SetItemCountEx(list_, kRows, LVSICF_NOSCROLL);
    ShowWindow(parent_, SW_SHOWNOACTIVATE);
  }
  ~ReferenceList() { DestroyWindow(parent_); }
  HWND List() const { return list_; }

  void Post(UINT msg, WPARAM wp, LPARAM lp) {
    PostMessageW(list_, msg, wp, lp);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  }
  void Key(UINT vk) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
    Post(WM_KEYDOWN, vk, 1 | scan);
    Post(WM_KEYUP, vk, 1 | scan | (LPARAM{1} << 30) | (LPARAM{1} << 31));
  }
  // Takes on where `other` stands, by the list's own messages.
  void Match(HWND other) {
    const Where w = WhereIs(other);
    ListView_SetItemState(list_, w.selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetSelectionMark(list_, w.mark);
    const RECT row = ListCellRect(list_, 0, 0);
    ListView_Scroll(list_, 0, (w.top - ListTopIndex(list_)) * (row.bottom - row.top));
  }

 private:
  HWND parent_ = nullptr, list_ = nullptr;
};

class Selection : public ListWindowTest {};

TEST_F(Selection, EveryMoveLandsWhereTheListPutsIt) {
  Open(Lines(), kStartLine);
  ASSERT_TRUE(session->MenuCommand(window, L"全て表示(&A)"));
  auto question = session->WaitMessageBox();
  ASSERT_TRUE(question);
  ASSERT_TRUE(session->Answer(*question, IDYES));
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == kRows && StatusText(status, 2) == Caption(kRows); }, 60000));
  ASSERT_TRUE(session->Sync());
  ReferenceList reference(list);
  reference.Match(list);
  ASSERT_EQ(ListCountPerPage(reference.List()), ListCountPerPage(list));
  ASSERT_EQ(WhereIs(reference.List()), WhereIs(list));

  enum Kind { Key, Type, Menu, Button, Click, Jump, Start, Find };
  const struct {
    const char* what;
    Kind kind;
    UINT vk = 0;                    // the key the reference gets (Key, Menu, Button)
    const wchar_t* text = nullptr;  // caption, character, line number or search term
    int row = 0;                    // Click: rows below the top; Jump, Start, Find: the row selected
  } steps[] = {
      {"PgDn", Key, VK_NEXT},
      {"PgDn again", Key, VK_NEXT},
      {"PgUp", Key, VK_PRIOR},
      {"Down", Key, VK_DOWN},
      {"Up", Key, VK_UP},
      {"Right", Key, VK_RIGHT},
      {"End", Key, VK_END},
      {"PgDn on the last row", Key, VK_NEXT},
      {"Down on the last row", Key, VK_DOWN},
      {"PgUp from the last row", Key, VK_PRIOR},
      {"Home", Key, VK_HOME},
      {"Up on the first row", Key, VK_UP},
      {"Space", Key, VK_SPACE},
      {"next page command", Menu, VK_NEXT, L"次ページ(&N)"},
      {"last command", Menu, VK_END, L"最後(&E)"},
      {"previous page command", Menu, VK_PRIOR, L"前ページ(&P)"},
      {"top command", Menu, VK_HOME, L"先頭(&T)"},
      {"next page button", Button, VK_NEXT, L"次ﾍﾟｰｼﾞ(&E)"},
      {"previous page button", Button, VK_PRIOR, L"前ﾍﾟｰｼﾞ(&R)"},
      {"click another row", Click, 0, nullptr, 5},
      {"click the same row", Click, 0, nullptr, 5},
      // Typed characters select the next row whose "No" begins with them, or leave the selection.
      {"a letter no line number begins with", Type, 0, L"k", -1},
      {"a line number typed quickly", Type, 0, L"00012", 11},
      {"a digit", Type, 0, L"1", 9999},  // "10000", the next caption after row 11 that begins so
      {"go to line 150000", Jump, 0, L"150000", 149999},
      {"Down after going to a line", Key, VK_DOWN},
      {"start position", Start, 0, nullptr, kStartLine},
      {"PgDn after the start position", Key, VK_NEXT},
      {"search hit", Find, 0, L"a190001", 190000},
      {"PgUp after a search hit", Key, VK_PRIOR},
      {"End after a search hit", Key, VK_END},
  };
  uint64_t lastTyped = 0;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    const Where before = WhereIs(list);
    switch (step.kind) {
      case Key: ASSERT_TRUE(session->PostKey(list, step.vk)); break;
      case Type:
        // The list gathers characters typed within about half a second into one string.
        ASSERT_TRUE(WaitUntil([&] { return GetTickCount64() - lastTyped > 1000; }, 3000));
        TypeChars(list, step.text);
        break;
      case Menu: ASSERT_TRUE(session->MenuCommand(window, step.text)); break;
      case Button: ASSERT_TRUE(ClickButton(FindChildByText(window, step.text, L"Button"))); break;
      case Click: {
        const LPARAM at = CellPoint(list, ListTopIndex(list) + step.row);
        PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(list, WM_LBUTTONUP, 0, at);
        reference.Post(WM_LBUTTONDOWN, MK_LBUTTON, at);
        reference.Post(WM_LBUTTONUP, 0, at);
        break;
      }
      case Jump: {
        IniWrite(L"Editor", L"Jump", step.text);
        ASSERT_TRUE(session->MenuCommand(window, L"行へ移動(&G)..."));
        HWND dialog = session->WaitWindow(L"行へ移動");
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(ClickButton(FindChildById(dialog, IDOK)));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
        break;
      }
      case Start: ASSERT_TRUE(session->MenuCommand(window, L"開始時へ移動(S)...")); break;
      case Find:
        ASSERT_TRUE(SetComboText(FindChildById(window, tovo::IdComboBox3), step.text));
        ASSERT_TRUE(session->MenuCommand(window, L"次を検索(&N)"));
        break;
    }
    // Twice: a command posts its keys to the list while the first marker waits behind them.
    ASSERT_TRUE(session->Sync());
    ASSERT_TRUE(session->Sync());
    if (step.kind == Key || step.kind == Menu || step.kind == Button) reference.Key(step.vk);
    if (step.kind == Type) {
      lastTyped = GetTickCount64();
      const int row = step.row >= 0 ? step.row : before.selected;
      const Where after = WhereIs(list);
      EXPECT_EQ(after.selected, row) << before;
      EXPECT_EQ(after.focused, row);
      EXPECT_EQ(after.count, 1);
      reference.Match(list);
    }
    if (step.kind == Jump || step.kind == Start || step.kind == Find) {
      const Where after = WhereIs(list);
      EXPECT_EQ(after.selected, step.row) << before;
      EXPECT_EQ(after.focused, step.row);
      EXPECT_EQ(after.mark, step.row);
      EXPECT_EQ(after.count, 1);
      EXPECT_NEAR(step.row - after.top, ListCountPerPage(list) / 2, 1);
      reference.Match(list);
    }
    EXPECT_EQ(WhereIs(list), WhereIs(reference.List())) << "from " << before;
  }
}

}  // namespace
