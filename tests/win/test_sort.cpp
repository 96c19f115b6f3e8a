// Sorting by a column and showing only matching rows, as the user does them: header clicks, the
// list's context menu by mouse and keyboard, and the commands that must follow the rows.
#include "driver/ListWindowTest.h"
#include "list/CsvListIds.h"

#include <commctrl.h>

using namespace tovotest;

namespace {

constexpr wchar_t kLoadAll[] = L"全て表示(&A)";
const std::wstring kFilterNotice = L"絞り込み中: ";

// Line i (1-based) holds: i, a word, a value that sorts the lines otherwise.
std::vector<std::wstring> Lines(int count) {
  std::vector<std::wstring> lines;
  for (int i = 1; i <= count; ++i) {
    const std::wstring word = i % 3 == 0 ? L"cat" : (i % 3 == 1 ? L"Dog" : L"");
    lines.push_back(std::to_wstring(i) + L"," + word + L"," + std::to_wstring((i * 4) % count));
  }
  return lines;
}

class Sort : public ListWindowTest {
 protected:
  void OpenAll(int count) {
    Open(Lines(count));
    ASSERT_TRUE(session->MenuCommand(window, kLoadAll));
    if (count > 500) {
      auto box = session->WaitMessageBox();
      ASSERT_TRUE(box && session->Answer(*box, IDYES));
    }
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == count && StatusText(status, 2) == Caption(count); }));
    ASSERT_TRUE(session->Sync());
  }

  // The line numbers shown, top to bottom.
  std::vector<int> Shown() {
    std::vector<int> lines;
    for (int r = 0; r < ListRowCount(list); ++r) lines.push_back(std::stoi(ListCell(list, r, 0)));
    return lines;
  }

  // A press as the system reports it: a second press within the double-click time comes as a
  // double click.
  void ClickCaption(int column, bool quickSecond = false) {
    HWND header = ListView_GetHeader(list);
    RECT item{};
    ASSERT_TRUE(Header_GetItemRect(header, column, &item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    PostMessageW(header, quickSecond ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(header, WM_LBUTTONUP, 0, at);
    ASSERT_TRUE(session->Sync());
  }

  int Arrow(int column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(ListView_GetHeader(list), column, &item);
    return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
  }

  // Opens the context menu (over `row`, `column` by mouse, or by the Apps key) and picks an item
  // by its access key.
  void MenuPick(wchar_t accessKey, int row = -1, int column = 0) {
    ASSERT_TRUE(WaitUntil([&] { return !OpenPopupMenu(session->UiThreadId()); }));
    if (row >= 0) {
      const RECT cell = ListCellRect(list, row, column);
      POINT at{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
      ClientToScreen(list, &at);
      PostMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(at.x, at.y));
    } else {
      PostMessageW(list, WM_KEYDOWN, VK_APPS, 0);
    }
    PressInOpenMenu(accessKey);
    ASSERT_TRUE(WaitUntil([&] { return !OpenPopupMenu(session->UiThreadId()); }));
    ASSERT_TRUE(session->Sync());
  }

  // The menu shows before its loop runs. A sync handled once it is shown comes from that loop,
  // so the key reaches a running loop rather than waiting for its next wake.
  void PressInOpenMenu(wchar_t accessKey) {
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = OpenPopupMenu(session->UiThreadId())) != nullptr; }));
    ASSERT_TRUE(session->Sync());
    PostMessageW(menu, WM_CHAR, accessKey, 0);
  }

  void SetTerm(const std::wstring& term) { ASSERT_TRUE(SetComboText(FindChildById(window, tovo::IdComboBox3), term)); }

  void JumpTo(int line1) {
    IniWrite(L"Editor", L"Jump", std::to_wstring(line1));
    ASSERT_TRUE(session->MenuCommand(window, L"行へ移動(&G)..."));
    HWND dialog = session->WaitWindow(L"行へ移動");
    ASSERT_TRUE(dialog);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    ASSERT_TRUE(session->Sync());
  }
};

}  // namespace

TEST_F(Sort, CaptionClicksCycleAscendingDescendingLineOrderWithTheArrow) {
  OpenAll(7);  // column 03: 0 1 2 3 4 5 6 at lines 7 2 4 6 1 3 5
  const std::vector<int> lineOrder{1, 2, 3, 4, 5, 6, 7};
  ClickCaption(3);
  EXPECT_EQ(Shown(), (std::vector<int>{7, 2, 4, 6, 1, 3, 5}));
  EXPECT_EQ(Arrow(3), HDF_SORTUP);
  ClickCaption(3);
  EXPECT_EQ(Shown(), (std::vector<int>{5, 3, 1, 6, 4, 2, 7}));
  EXPECT_EQ(Arrow(3), HDF_SORTDOWN);
  ClickCaption(3);
  EXPECT_EQ(Shown(), lineOrder);
  EXPECT_EQ(Arrow(3), 0);
  // Text: "cat" before "Dog" without regard to case, empty fields last, ties in line order.
  ClickCaption(2);
  EXPECT_EQ(Shown(), (std::vector<int>{3, 6, 1, 4, 7, 2, 5}));
  EXPECT_EQ(ListCell(list, 0, 2), L"cat");
  ClickCaption(2);
  EXPECT_EQ(Shown(), (std::vector<int>{1, 4, 7, 3, 6, 2, 5}));
  ClickCaption(0);  // "No": line order
  EXPECT_EQ(Shown(), lineOrder);
  EXPECT_EQ(Arrow(2), 0);
  // Pressed quickly, the second and third presses count as the first does.
  ClickCaption(3);
  ClickCaption(3, true);
  EXPECT_EQ(Arrow(3), HDF_SORTDOWN);
  ClickCaption(3);
  EXPECT_EQ(Shown(), lineOrder);

  // Scrolled right, the "No" kept in view answers a click as "No" does.
  ClickCaption(2);
  Send(list, LVM_SCROLL, 600, 0);
  POINT frozen{5, 5};
  MapWindowPoints(list, ListView_GetHeader(list), &frozen, 1);
  ASSERT_GT(frozen.x, 100);  // over a field caption of the scrolled header
  PostMessageW(ListView_GetHeader(list), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(frozen.x, frozen.y));
  PostMessageW(ListView_GetHeader(list), WM_LBUTTONUP, 0, MAKELPARAM(frozen.x, frozen.y));
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(Shown(), lineOrder);
}

TEST_F(Sort, ANewPageIsShownSortedByTheSameColumn) {
  Open(Lines(25));
  ClickCaption(1);
  ClickCaption(1);  // descending by the line's own number
  EXPECT_EQ(Shown(), (std::vector<int>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(ListCell(list, ListSelected(list), 0), Caption(1));  // the selected row went with its line
  ASSERT_TRUE(session->MenuCommand(window, L"次ページ(&N)"));
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(Shown(), (std::vector<int>{20, 19, 18, 17, 16, 15, 14, 13, 12, 11}));
  EXPECT_EQ(Arrow(1), HDF_SORTDOWN);
  EXPECT_EQ(StatusText(status, 1), Caption(11));  // the page's lines, whatever their order
  JumpTo(5);                                      // lines 5 … 14, shown 14 … 5
  EXPECT_EQ(ListSelected(list), 9);
  EXPECT_EQ(ListCell(list, 9, 0), Caption(5));
}

TEST_F(Sort, ContextMenuByMouseAndKeyboardSortsFiltersAndShowsAll) {
  OpenAll(9);
  MenuPick(L'd', 0, 3);  // descending by the column under the pointer
  EXPECT_EQ(Shown(), (std::vector<int>{2, 4, 6, 8, 1, 3, 5, 7, 9}));
  EXPECT_EQ(Arrow(3), HDF_SORTDOWN);

  SetTerm(L"CAT");
  MenuPick(L'f');                                   // by the keyboard
  EXPECT_EQ(Shown(), (std::vector<int>{6, 3, 9}));  // still sorted
  const std::wstring notice = StatusText(status, 4);
  EXPECT_NE(notice.find(kFilterNotice + L"3 行を表示 (全 9 行)"), std::wstring::npos) << Utf8(notice);

  // A term with no match leaves the rows as they were and says so.
  SetTerm(L"zebra");
  PostMessageW(list, WM_KEYDOWN, VK_APPS, 0);
  PressInOpenMenu(L'f');
  auto box = session->WaitMessageBox();
  ASSERT_TRUE(box);
  EXPECT_NE(box->text.find(L"zebra"), std::wstring::npos);
  ASSERT_TRUE(session->Answer(*box, IDOK));
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(Shown(), (std::vector<int>{6, 3, 9}));

  // An empty term gets the search's own message.
  SetTerm(L"");
  PostMessageW(list, WM_KEYDOWN, VK_APPS, 0);
  PressInOpenMenu(L'f');
  box = session->WaitMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, L"検索語が設定されていません");
  ASSERT_TRUE(session->Answer(*box, IDOK));
  ASSERT_TRUE(session->Sync());

  MenuPick(L'l');  // back to line order keeps the filter
  EXPECT_EQ(Shown(), (std::vector<int>{3, 6, 9}));
  MenuPick(L's');
  EXPECT_EQ(Shown(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(StatusText(status, 4).find(kFilterNotice), std::wstring::npos);
}

TEST_F(Sort, SearchAndGoToFollowTheRowsShown) {
  OpenAll(30);
  ClickCaption(1);
  ClickCaption(1);  // lines 30 … 1
  JumpTo(30);
  EXPECT_EQ(ListSelected(list), 0);
  // The search walks down the rows as shown: line 30's own "cat", then line 27's.
  SetTerm(L"cat");
  for (int line : {30, 27}) {
    ASSERT_TRUE(session->MenuCommand(window, L"次を検索(&N)"));
    ASSERT_TRUE(session->Sync());
    EXPECT_EQ(ListCell(list, ListSelected(list), 0), Caption(line));
    EXPECT_EQ(StatusText(status, 4), L"行:" + Caption(line) + L" 桁:02");
  }

  JumpTo(5);
  EXPECT_EQ(ListSelected(list), 25);
  EXPECT_EQ(ListCell(list, 25, 0), Caption(5));

  // Filtered: the search stays within the rows shown; a line the filter hides, asked for by
  // number, brings all rows back.
  MenuPick(L'f');
  ASSERT_EQ(ListRowCount(list), 10);
  ASSERT_TRUE(session->MenuCommand(window, L"次を検索(&N)"));
  ASSERT_TRUE(session->Sync());
  EXPECT_NE(StatusText(status, 4).find(kFilterNotice), std::wstring::npos);
  JumpTo(6);
  EXPECT_EQ(ListCell(list, ListSelected(list), 0), Caption(6));
  EXPECT_EQ(ListRowCount(list), 10);
  JumpTo(7);
  EXPECT_EQ(ListRowCount(list), 30);
  EXPECT_EQ(ListSelected(list), 23);
  EXPECT_EQ(ListCell(list, 23, 0), Caption(7));

  // Ctrl+C and the header row command take the selected row wherever it stands.
  ASSERT_TRUE(session->PressKeys(window, 'C', false, true));
  EXPECT_TRUE(WaitUntil([&] { return ClipboardText().rfind(L"7\tDog\t28", 0) == 0; })) << Utf8(ClipboardText());
  ASSERT_TRUE(session->MenuCommand(window, L"現在行をヘッダーに設定(&H)"));
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(ListColumnCaption(list, 1), L"01 7");
}

TEST_F(Sort, HighlightMarksStayOnTheirLines) {
  WriteUtf8(L"words.txt", L"cat\r\n");
  IniWrite(L"CsvListHighLight", L"FileName", PluginFile(L"words.txt"));
  IniWrite(L"CsvListHighLight", L"None", L"0");
  IniWrite(L"CsvListHighLight", L"Row", L"1");
  IniWrite(L"CsvListHighLight", L"Col", L"0");
  OpenAll(6);
  ClickCaption(2);  // lines 3 6 1 4 2 5: the marked lines on top
  ASSERT_EQ(Shown(), (std::vector<int>{3, 6, 1, 4, 2, 5}));
  PostMessageW(list, WM_KEYDOWN, VK_END, 0);  // row 0 unselected: selection colours hide marks
  ASSERT_TRUE(session->Sync());
  const Pixels p = CaptureWindowPixels(list);
  auto red = [&](int row) {
    const RECT r = ListCellRect(list, row, 0);
    int ink = 0;
    for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, p.height); ++y) {
      for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, p.width); ++x) {
        const COLORREF c = p.At(x, y);
        if (GetRValue(c) >= 0xB0 && GetGValue(c) < 0x60 && GetBValue(c) < 0x60) ++ink;
      }
    }
    return ink;
  };
  EXPECT_GT(red(0), 0);
  EXPECT_GT(red(1), 0);
  for (int row : {2, 3, 4}) EXPECT_EQ(red(row), 0) << row;
}

// Out of memory, a sort costs only itself: the rows stay, in line order, the arrow goes and the
// user is told; a page fill or load-all keeps what it read.
TEST_F(Sort, ASortThatRunsOutOfMemoryKeepsTheRowsInLineOrder) {
  struct Unset {
    ~Unset() { SetEnvironmentVariableW(L"TOVO_TEST_SORT_KEY_LIMIT", nullptr); }
  } unset;
  auto expectDropped = [&](int rows) {
    auto box = session->WaitMessageBox();
    ASSERT_TRUE(box) << session->DescribeWindows();
    EXPECT_NE(box->text.find(L"並べ替えを保てませんでした"), std::wstring::npos) << Utf8(box->text);
    ASSERT_TRUE(session->Answer(*box, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == rows; }));
    ASSERT_TRUE(session->Sync());
    std::vector<int> lineOrder(static_cast<size_t>(rows));
    for (int i = 0; i < rows; ++i) lineOrder[static_cast<size_t>(i)] = std::stoi(ListCell(list, 0, 0)) + i;
    EXPECT_EQ(Shown(), lineOrder);
    EXPECT_EQ(Arrow(1), 0);
  };
  Open(Lines(25));
  ClickCaption(1);
  ClickCaption(1);
  ASSERT_EQ(Arrow(1), HDF_SORTDOWN);
  ASSERT_TRUE(SetEnvironmentVariableW(L"TOVO_TEST_SORT_KEY_LIMIT", L"100"));
  ASSERT_TRUE(session->MenuCommand(window, L"次ページ(&N)"));
  expectDropped(10);
  ClickCaption(1);  // a fresh sort's first step, not the next of the dropped one
  expectDropped(10);

  ASSERT_TRUE(SetEnvironmentVariableW(L"TOVO_TEST_SORT_KEY_LIMIT", nullptr));
  ClickCaption(1);
  ASSERT_EQ(Arrow(1), HDF_SORTUP);
  ASSERT_TRUE(SetEnvironmentVariableW(L"TOVO_TEST_SORT_KEY_LIMIT", L"100"));
  ASSERT_TRUE(session->MenuCommand(window, kLoadAll));
  expectDropped(25);
  EXPECT_EQ(StatusText(status, 2), Caption(25));
}

TEST_F(Sort, FittingMeasuresOnlyTheRowsShown) {
  Open({L"cat,a", L"dog," + std::wstring(60, L'W'), L"cat,b"});
  auto fitted = [&] {
    SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L""));
    EXPECT_TRUE(session->MenuCommand(window, L"カラム幅の自動調整(&C)"));
    EXPECT_TRUE(WaitUntil([&] { return StatusText(status, 0) == L"96"; }));  // the fitting loop has ended
    return ListColumnWidth(list, 2);
  };
  SetTerm(L"cat");
  MenuPick(L'f');
  ASSERT_EQ(ListRowCount(list), 2);
  const int filtered = fitted();
  ASSERT_TRUE(session->MenuCommand(window, L"自動検出(&A)"));  // a fill: the filter ends
  ASSERT_TRUE(session->Sync());
  ASSERT_EQ(ListRowCount(list), 3);
  EXPECT_LT(filtered * 3, fitted());
}
