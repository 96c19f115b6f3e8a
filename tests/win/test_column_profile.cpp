// A column's profile: what it shows and copies, and the value it hands back to the list.
#include "driver/ListWindowTest.h"

#include <commctrl.h>

using namespace tovotest;

namespace {

// One line a row, cells cut by "|".
std::string Cells(HWND list, int from = 0) {
  std::wstring text;
  for (int row = from; row < ListRowCount(list); ++row) {
    for (int col = 0; col < ListColumnCount(list); ++col) text += (col ? L"|" : L"") + ListCell(list, row, col);
    text += L"\n";
  }
  return Utf8(text);
}

LPARAM CellPoint(HWND list, int row, int col) {
  const RECT r = ListCellRect(list, row, col);
  return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// Column 1: a three times, b twice, one value holding a tab. Column 2: numbers, full-width
// digits among them, a blank and a text.
const std::vector<std::wstring> kDocument = {L"a,0.1", L"b,0.2", L"a\tz,１０", L"a,", L"b,x", L"a,0.2"};

class ColumnProfile : public ListWindowTest {
 protected:
  // Split at commas alone, so a field can hold a tab.
  void OpenDocument() {
    IniWrite(L"CsvListAuto", L"Enabled", L"0");
    Open(kDocument);
  }
  // Clicks a cell of `column` (the key column), then asks for its profile.
  bool Profile(int column) {
    const LPARAM at = CellPoint(list, 0, column);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    if (!session->Sync() || !session->MenuCommand(window, L"カラムの統計(&T)...")) return false;
    wchar_t caption[32];
    swprintf(caption, 32, L"カラム %02d の統計", column);
    profile = session->WaitWindow(caption);
    if (!profile) return false;
    summary = FindChildByClass(profile, L"SysListView32", 0);
    values = FindChildByClass(profile, L"SysListView32", 1);
    return summary && values;
  }
  bool Closed() { return WaitUntil([&] { return !IsWindow(profile); }) && session->Sync(); }

  HWND profile = nullptr, summary = nullptr, values = nullptr;
};

TEST_F(ColumnProfile, ShowsTheSummaryAndTheValuesWithTheirShares) {
  OpenDocument();
  ASSERT_TRUE(Profile(2)) << session->DescribeWindows();
  EXPECT_TRUE(FindChildByText(profile, L"このページ", L"Static"));
  EXPECT_EQ(Cells(summary), Utf8(L"行数|6\n空欄|1\n異なる値|4\n数値の数|4\n最小|0.1\n最大|１０\n合計|10.5\n平均|2.625\n"));
  EXPECT_EQ(Cells(values), Utf8(L"0.2|2|33.3%\n0.1|1|16.7%\n１０|1|16.7%\nx|1|16.7%\n"));

  // Esc closes it and the list stays as it was.
  ASSERT_TRUE(session->PressKeys(profile, VK_ESCAPE));
  ASSERT_TRUE(Closed());
  EXPECT_EQ(ListRowCount(list), 6);
  EXPECT_EQ(StatusText(status, 4).find(L"絞り込み中"), std::wstring::npos) << Utf8(StatusText(status, 4));
}

TEST_F(ColumnProfile, CtrlCCopiesBothTablesAndADoubleClickedValueFiltersTheList) {
  OpenDocument();
  ASSERT_TRUE(Profile(1)) << session->DescribeWindows();
  // The tab inside "a<TAB>z" would make a fourth cell of its line.
  const std::wstring tsv =
      L"項目\t値\r\n行数\t6\r\n空欄\t0\r\n異なる値\t3\r\n\r\n"
      L"値\t件数\t割合\r\na\t3\t50.0%\r\nb\t2\t33.3%\r\na z\t1\t16.7%\r\n";
  for (const bool byKey : {true, false}) {
    SCOPED_TRACE(byKey ? "Ctrl+C" : "button");
    ASSERT_TRUE(OpenClipboard(nullptr) && EmptyClipboard() && CloseClipboard());
    if (byKey) {
      ASSERT_TRUE(session->PressKeys(profile, 'C', false, true, false));
    } else {
      ASSERT_TRUE(ClickButton(FindChildByText(profile, L"ｸﾘｯﾌﾟへｺﾋﾟｰ(&C)", L"Button")));
    }
    ASSERT_TRUE(session->Sync());
    EXPECT_EQ(Utf8(ClipboardText()), Utf8(tsv));
  }
  EXPECT_EQ(ListCell(values, 2, 0), L"a\tz");  // shown as it is

  PostMessageW(values, WM_LBUTTONDBLCLK, MK_LBUTTON, CellPoint(values, 1, 1));
  ASSERT_TRUE(Closed());
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == 2; })) << ListRowCount(list);
  EXPECT_EQ(ListCell(list, 0, 1), L"b");
  EXPECT_EQ(ListCell(list, 1, 2), L"x");
  EXPECT_NE(StatusText(status, 4).find(L"絞り込み中 (カラム 01): 2 行を表示 (全 6 行)"), std::wstring::npos)
      << Utf8(StatusText(status, 4));
}

TEST_F(ColumnProfile, ListsAHundredValuesAndCountsTheRestWhichIsNoValue) {
  // k0 .. k119 once each, k7 three more times: k7 first, then the others as they came.
  std::vector<std::wstring> lines;
  for (int i = 0; i < 120; ++i) lines.push_back(L"k" + std::to_wstring(i) + L",1");
  for (int i = 0; i < 3; ++i) lines.push_back(L"k7,1");
  Open(lines);
  ASSERT_TRUE(session->MenuCommand(window, L"全て表示(&A)"));
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == 123; }));
  ASSERT_TRUE(Profile(1)) << session->DescribeWindows();
  EXPECT_TRUE(FindChildByText(profile, L"全ての行", L"Static"));
  ASSERT_EQ(ListRowCount(values), 101);
  EXPECT_TRUE(Cells(values).starts_with("k7|4|3.3%\nk0|1|0.8%\n")) << Cells(values);
  EXPECT_EQ(Cells(values, 99), Utf8(L"k99|1|0.8%\nほか 20 個の値|20|16.3%\n"));

  // The last line is no value: a double-click or Enter there keeps the window and the list.
  PostMessageW(values, WM_LBUTTONDBLCLK, MK_LBUTTON, CellPoint(values, 100, 0));
  ASSERT_TRUE(session->Sync());
  ListView_SetItemState(values, 100, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ASSERT_TRUE(session->PostKey(values, VK_RETURN));
  EXPECT_TRUE(IsWindowVisible(profile));
  EXPECT_EQ(ListRowCount(list), 123);

  // Enter on a value takes it.
  ListView_SetItemState(values, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ASSERT_TRUE(session->PostKey(values, VK_RETURN));
  ASSERT_TRUE(Closed());
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == 1; })) << ListRowCount(list);
  EXPECT_EQ(ListCell(list, 0, 1), L"k0");
}

TEST_F(ColumnProfile, AColumnNoLineReachesGivesZerosAndNoValue) {
  OpenDocument();
  ASSERT_TRUE(Profile(5)) << session->DescribeWindows();
  EXPECT_EQ(Cells(summary), Utf8(L"行数|6\n空欄|6\n異なる値|0\n"));
  EXPECT_EQ(ListRowCount(values), 0);
  ASSERT_TRUE(session->PostKey(values, VK_RETURN));
  EXPECT_TRUE(session->NoMessageBoxWithin(100));
  EXPECT_TRUE(IsWindowVisible(profile));
  ASSERT_TRUE(ClickButton(FindChildByText(profile, L"閉じる", L"Button")));
  ASSERT_TRUE(Closed());
  EXPECT_EQ(ListRowCount(list), 6);
}

}  // namespace
