// The filter by a column through its dialog, as the user works it: the value list with its check
// boxes and narrowing box, the conditions and their refusals, and the rows the list then shows
// with the other filters and a sort.
#include "driver/ListWindowTest.h"
#include "list/CsvListIds.h"

#include <commctrl.h>

#include <algorithm>

using namespace tovotest;

namespace {

// Column 02 holds Tokyo three times, Osaka twice, Nagoya once and two blanks; column 03 numbers
// (one full-width) and a text.
const std::vector<std::wstring> kLines = {
    L"Ann,Tokyo,5", L"Bob,Osaka,１２", L"Cid,Tokyo,30", L"Dan,,abc",
    L"Eve,Nagoya,7.5", L"Fay,Tokyo,", L"Gil,Osaka,20", L"Hal, ,-3",
};

class ColumnFilter : public ListWindowTest {
 protected:
  // The list's context menu opened over row 0 of `column`: its window, null when none opened.
  HWND OpenContextMenu(int column) {
    const RECT cell = ListCellRect(list, 0, column);
    POINT at{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(list, &at);
    PostMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(at.x, at.y));
    HWND menu = nullptr;
    WaitUntil([&] { return (menu = OpenPopupMenu(session->UiThreadId())) != nullptr; });
    return menu;
  }
  // Picks an item of the list's context menu opened over `column` by its access key.
  void ContextMenu(int column, wchar_t accessKey) {
    HWND menu = OpenContextMenu(column);
    ASSERT_TRUE(menu);
    ASSERT_TRUE(session->Sync());
    PostMessageW(menu, WM_CHAR, accessKey, 0);
    ASSERT_TRUE(WaitUntil([&] { return !OpenPopupMenu(session->UiThreadId()); }));
  }

  void OpenDialog(int column) {
    ContextMenu(column, L'c');
    dialog = session->WaitWindow(L"カラム 0" + std::to_wstring(column) + L" の絞り込み");
    ASSERT_TRUE(dialog) << session->DescribeWindows();
    values = FindChildByClass(dialog, L"SysListView32");
    for (int i = 0; i < 4; ++i) edits[i] = FindChildByClass(dialog, L"Edit", i);
    ASSERT_TRUE(values && edits[3]);
  }
  HWND Button(const wchar_t* text) { return FindChildByText(dialog, text, L"Button"); }
  bool Chosen(const wchar_t* radio) { return Send(Button(radio), BM_GETCHECK) == BST_CHECKED; }
  std::wstring LabelStarting(const std::wstring& start) {
    for (HWND label : Children(dialog, L"Static")) {
      if (std::wstring text = WindowText(label); text.starts_with(start)) return text;
    }
    return {};
  }

  // "text count" of each row of the value list, a check mark before the checked ones.
  std::vector<std::wstring> Values() {
    std::vector<std::wstring> rows;
    for (int r = 0; r < ListRowCount(values); ++r) {
      const bool checked = (Send(values, LVM_GETITEMSTATE, r, LVIS_STATEIMAGEMASK) >> 12) == 2;
      rows.push_back((checked ? L"✓" : L"") + ListCell(values, r, 0) + L" " + ListCell(values, r, 1));
    }
    return rows;
  }
  // Space on the row, as the keyboard turns its check box.
  void Toggle(int row) {
    LVITEMW item{};
    item.stateMask = item.state = LVIS_FOCUSED | LVIS_SELECTED;
    Send(values, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    ASSERT_TRUE(session->PostKey(values, VK_SPACE));
  }
  void Narrow(const std::wstring& text) {
    Send(edits[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_TRUE(session->Sync());
  }
  // A text (or range) condition: its radio, then the boxes.
  void Condition(const wchar_t* radio, const std::wstring& term, const std::wstring& atMost = L"") {
    ASSERT_TRUE(ClickButton(Button(radio)));
    ASSERT_TRUE(session->Sync());
    const bool range = std::wstring(radio) == L"範囲(&R)";
    Send(edits[range ? 2 : 1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(term.c_str()));
    if (range) Send(edits[3], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(atMost.c_str()));
  }
  void Ok() {
    ASSERT_TRUE(ClickButton(Button(L"OK")));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    ASSERT_TRUE(session->Sync());
  }
  // OK refused with a message holding `text`; the dialog stays open.
  void OkRefused(const std::wstring& text) {
    ASSERT_TRUE(ClickButton(Button(L"OK")));
    auto box = session->WaitMessageBox();
    ASSERT_TRUE(box);
    EXPECT_NE(box->text.find(text), std::wstring::npos) << Utf8(box->text);
    ASSERT_TRUE(session->Answer(*box, IDOK));
    ASSERT_TRUE(session->Sync());
    EXPECT_TRUE(IsWindowVisible(dialog));
  }
  std::vector<int> Shown() {
    std::vector<int> lines;
    for (int r = 0; r < ListRowCount(list); ++r) lines.push_back(std::stoi(ListCell(list, r, 0)));
    return lines;
  }
  std::wstring Notice() { return StatusText(status, 4); }

  HWND dialog = nullptr, values = nullptr;
  HWND edits[4] = {};  // narrowing, term, at least, at most
};

}  // namespace

TEST_F(ColumnFilter, ValuesByCountWithBlanksChecksSurviveNarrowingAndOkFilters) {
  Open(kLines);
  OpenDialog(2);
  EXPECT_EQ(LabelStarting(L"対象:"), L"対象: このページ  8 行");
  using Rows = std::vector<std::wstring>;
  EXPECT_EQ(Values(), (Rows{L"(空欄) 2", L"Tokyo 3", L"Osaka 2", L"Nagoya 1"}));
  EXPECT_TRUE(Chosen(L"チェックした値(&V)"));
  EXPECT_FALSE(IsWindowVisible(Button(L"正規表現に一致(&X)")));  // the search takes no patterns
  Toggle(2);
  Narrow(L"KY");  // case folded as the search folds
  EXPECT_EQ(Values(), (Rows{L"Tokyo 3"}));
  Toggle(0);
  Narrow(L"");
  EXPECT_EQ(Values(), (Rows{L"(空欄) 2", L"✓Tokyo 3", L"✓Osaka 2", L"Nagoya 1"}));
  // A click on a check box turns it as well.
  const RECT row = ListCellRect(values, 0, 0);
  const LPARAM box = MAKELPARAM(row.left + 8, (row.top + row.bottom) / 2);
  PostMessageW(values, WM_LBUTTONDOWN, MK_LBUTTON, box);
  PostMessageW(values, WM_LBUTTONUP, 0, box);
  ASSERT_TRUE(session->Sync());
  Toggle(1);
  EXPECT_EQ(Values(), (Rows{L"✓(空欄) 2", L"Tokyo 3", L"✓Osaka 2", L"Nagoya 1"}));
  Ok();
  EXPECT_EQ(Shown(), (std::vector<int>{2, 4, 7, 8}));
  EXPECT_NE(Notice().find(L"絞り込み中 (カラム 02): 4 行を表示 (全 8 行)"), std::wstring::npos) << Utf8(Notice());

  // Opened again: the values its own condition hides are listed too, so it can be widened; the
  // condition in force is checked.
  OpenDialog(2);
  EXPECT_EQ(Values(), (Rows{L"✓(空欄) 2", L"Tokyo 3", L"✓Osaka 2", L"Nagoya 1"}));
}

TEST_F(ColumnFilter, CancelEscapeAndRefusedConditionsChangeNothing) {
  Open(kLines);
  for (const bool escape : {false, true}) {
    OpenDialog(2);
    Toggle(1);
    if (escape) {
      ASSERT_TRUE(session->PostKey(values, VK_ESCAPE));
    } else {
      ASSERT_TRUE(ClickButton(Button(L"ｷｬﾝｾﾙ")));
    }
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    ASSERT_TRUE(session->Sync());
    EXPECT_EQ(ListRowCount(list), 8);
    EXPECT_EQ(Notice().find(L"絞り込み中"), std::wstring::npos);
  }
  OpenDialog(3);
  OkRefused(L"チェック");  // none checked
  // Enter in the narrowing box goes to the list, not to OK.
  ASSERT_TRUE(session->PostKey(edits[0], VK_RETURN));
  GUITHREADINFO gui{};
  gui.cbSize = sizeof(gui);
  ASSERT_TRUE(GetGUIThreadInfo(session->UiThreadId(), &gui) && IsWindow(dialog));
  EXPECT_EQ(gui.hwndFocus, values);
  Condition(L"を含む(&I)", L"");
  OkRefused(L"文字を入力");
  EXPECT_EQ(LabelStarting(L"数値"), L"数値 -3 ～ 30");
  Condition(L"範囲(&R)", L"1O", L"");
  OkRefused(L"1O");
  Condition(L"範囲(&R)", L"", L"");
  OkRefused(L"範囲");
  ASSERT_TRUE(ClickButton(Button(L"ｷｬﾝｾﾙ")));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  OpenDialog(1);  // no numbers: no range
  EXPECT_FALSE(IsWindowEnabled(Button(L"範囲(&R)")));
}

TEST_F(ColumnFilter, ConditionsCombineWithEachOtherTheTermFilterAndTheSort) {
  Open(kLines);
  OpenDialog(2);
  Condition(L"を含む(&I)", L"O");  // not the blanks
  Ok();
  EXPECT_EQ(Shown(), (std::vector<int>{1, 2, 3, 5, 6, 7}));
  SetComboText(FindChildById(window, tovo::IdComboBox3), L"a");
  ContextMenu(1, L'f');  // rows holding "a" anywhere
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(Shown(), (std::vector<int>{1, 2, 5, 6, 7}));
  ContextMenu(3, L'd');  // descending by the numbers, full-width among them; the blank last
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(Shown(), (std::vector<int>{7, 2, 5, 1, 6}));
  OpenDialog(3);
  Condition(L"範囲(&R)", L"6", L"");
  Ok();
  EXPECT_EQ(Shown(), (std::vector<int>{7, 2, 5}));
  EXPECT_NE(Notice().find(L"(カラム 02/03): 3 行を表示 (全 8 行)"), std::wstring::npos) << Utf8(Notice());

  // Shown again as it was set; a condition no row meets leaves the rows and says so.
  OpenDialog(2);
  EXPECT_TRUE(Chosen(L"を含む(&I)"));
  EXPECT_EQ(WindowText(edits[1]), L"O");
  Condition(L"と等しい(&E)", L"Nagoy");
  ASSERT_TRUE(ClickButton(Button(L"OK")));
  auto box = session->WaitMessageBox();
  ASSERT_TRUE(box);
  EXPECT_NE(box->text.find(L"条件に合う行がありません"), std::wstring::npos) << Utf8(box->text);
  ASSERT_TRUE(session->Answer(*box, IDOK));
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(Shown(), (std::vector<int>{7, 2, 5}));
}

TEST_F(ColumnFilter, RangeTakesFullWidthBoundsAndPatternsReadBackAsPatterns) {
  Open(kLines);
  OpenDialog(3);
  Condition(L"範囲(&R)", L"１０", L"20");
  Ok();
  EXPECT_EQ(Shown(), (std::vector<int>{2, 7}));
  ContextMenu(3, L'r');
  ASSERT_TRUE(session->Sync());
  ASSERT_EQ(ListRowCount(list), 8);

  ASSERT_TRUE(session->MenuCommand(window, L"正規表現(&X)"));
  OpenDialog(1);
  Condition(L"正規表現に一致(&X)", L"^[ab");
  OkRefused(L"正規表現");
  Condition(L"正規表現に一致(&X)", L"^[ab]");
  Ok();
  EXPECT_EQ(Shown(), (std::vector<int>{1, 2}));
  OpenDialog(1);
  EXPECT_TRUE(Chosen(L"正規表現に一致(&X)"));
  EXPECT_EQ(WindowText(edits[1]), L"^[ab]");
}

// A funnel marks the filtering captions alone, their text unchanged; the context menu offers to
// clear only a filtering column; the search menu's commands act on the column last clicked;
// "全ての行を表示" ends every filter and its marks.
TEST_F(ColumnFilter, FilteringCaptionsAreMarkedAndTheMenusActOnTheirColumn) {
  Open(kLines);
  HWND header = ListView_GetHeader(list);
  const auto marked = [&] {
    std::vector<int> columns;
    for (int c = 0; c <= 4; ++c) {
      HDITEMW item{};
      item.mask = HDI_FORMAT;
      if (Header_GetItem(header, c, &item) && (item.fmt & HDF_IMAGE)) columns.push_back(c);
    }
    return columns;
  };
  // The captions of the context menu opened over row 0 of `column`, the menu then closed.
  const auto menuItems = [&](int column) {
    HWND menu = OpenContextMenu(column);
    EXPECT_TRUE(menu);
    std::vector<std::wstring> items;
    const auto popup = reinterpret_cast<HMENU>(Send(menu, MN_GETHMENU));
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
      wchar_t text[128] = {};
      if (GetMenuStringW(popup, i, text, 128, MF_BYPOSITION) > 0) items.emplace_back(text);
    }
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !OpenPopupMenu(session->UiThreadId()); }));
    return items;
  };
  const std::wstring clear = L"このカラムの絞り込みを解除(&R)";
  const auto offers = [&](int column, const std::wstring& item) {
    const std::vector<std::wstring> items = menuItems(column);
    return std::find(items.begin(), items.end(), item) != items.end();
  };
  EXPECT_TRUE(offers(2, L"このカラムで絞り込み(&C)...") && offers(2, L"カラムの統計(&T)..."));
  EXPECT_FALSE(offers(2, clear));

  OpenDialog(2);
  Condition(L"を含む(&I)", L"O");
  Ok();
  OpenDialog(3);
  Condition(L"範囲(&R)", L"6", L"");
  Ok();
  EXPECT_EQ(marked(), (std::vector<int>{2, 3}));
  EXPECT_EQ(ListColumnCaption(list, 2), L"02");
  EXPECT_TRUE(offers(2, clear));
  EXPECT_FALSE(offers(1, clear));

  // From the search menu: the column last clicked.
  const RECT cell = ListCellRect(list, 0, 3);
  const LPARAM at = MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  ASSERT_TRUE(session->Sync());
  ASSERT_TRUE(session->MenuCommand(window, clear.c_str()));
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(marked(), (std::vector<int>{2}));
  EXPECT_EQ(Shown(), (std::vector<int>{1, 2, 3, 5, 6, 7}));
  ContextMenu(1, L's');
  ASSERT_TRUE(session->Sync());
  EXPECT_TRUE(marked().empty());
  EXPECT_EQ(ListRowCount(list), 8);
}
