// Header row, column fitting, the start position and the centring of a row.
#include "driver/ListWindowTest.h"
#include "list/CsvListIds.h"

#include <commctrl.h>

#include <memory>

using namespace tovotest;

namespace {

std::wstring TwoDigits(int n) {
  wchar_t buf[8];
  swprintf(buf, 8, L"%02d", n);
  return buf;
}

std::vector<std::wstring> Lines(int count, const std::wstring& prefix = L"v") {
  std::vector<std::wstring> lines;
  for (int i = 1; i <= count; ++i) lines.push_back(prefix + std::to_wstring(i) + L",x,y");
  return lines;
}

std::wstring FitQuestion(int lines) {
  return L"500行以上では時間がかかります(500行で約10秒)\r\nこのファイルは " + std::to_wstring(lines) +
         L" 行ですが、実行しますか？";
}

class Columns : public ListWindowTest {
 protected:
  void Menu(const wchar_t* caption) {
    ASSERT_TRUE(session->MenuCommand(window, caption)) << Utf8(caption);
    ASSERT_TRUE(session->Sync());
  }

  // "全て表示(&A)", answering Yes when it asks; waits until every row is in.
  void LoadAll() {
    const int rows = static_cast<int>(host.lines.size());
    ASSERT_TRUE(session->MenuCommand(window, L"全て表示(&A)"));
    if (rows > 500) {
      auto box = session->WaitMessageBox();
      ASSERT_TRUE(box);
      ASSERT_TRUE(session->Answer(*box, IDYES));
    }
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == rows && StatusText(status, 2) == Caption(rows); }));
    ASSERT_TRUE(session->Sync());
  }

  // The header and fitting loops handle messages per column (Sync's marker too): wait for the
  // panels they write last.
  void SetHeader() {
    SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L""));
    ASSERT_TRUE(session->MenuCommand(window, L"現在行をヘッダーに設定(&H)"));
    ASSERT_TRUE(WaitUntil([&] { return StatusText(status, 1) == L"96" && StatusText(status, 2) == L"96"; }));
  }
  void Fit(const wchar_t* command = L"カラム幅の自動調整(&C)") {  // or the button
    SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L""));
    if (std::wstring_view(command) == L"幅調整(&A)") {
      ASSERT_TRUE(ClickButton(FindChildByText(window, command, L"Button")));
    } else {
      ASSERT_TRUE(session->MenuCommand(window, command));
    }
    ASSERT_TRUE(WaitUntil([&] { return StatusText(status, 0) == L"96"; }));
  }

  void Select(int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = item.stateMask;
    Send(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  }

  std::vector<int> DataWidths() const {
    std::vector<int> widths;
    for (int c = 1; c <= 96; ++c) widths.push_back(ListColumnWidth(list, c));
    return widths;
  }

  // Where the row sits in the visible rows, against the middle.
  void ExpectCentred(int row) const {
    const int top = ListTopIndex(list), perPage = ListCountPerPage(list), count = ListRowCount(list);
    EXPECT_EQ(ListSelected(list), row);
    EXPECT_EQ(ListFocused(list), row);
    EXPECT_EQ(Send(list, LVM_GETSELECTEDCOUNT), 1);
    if (row < perPage / 2) {
      EXPECT_EQ(top, 0);  // cannot scroll above the first row
    } else if (row > count - 1 - perPage / 2) {
      EXPECT_EQ(top, std::max(count - perPage, 0));  // nor below the last
    } else {
      EXPECT_NEAR(row - top, perPage / 2, 1) << "top " << top << " per page " << perPage;
    }
  }
};

TEST_F(Columns, HeaderFromARowOfThreeFieldsAndKeptAcrossPages) {
  std::vector<std::wstring> lines = Lines(25);
  lines[1] = L"a,b,c";
  Open(lines);
  Select(1);
  SetHeader();
  EXPECT_EQ(ListColumnCaption(list, 0), L"No");
  EXPECT_EQ(ListColumnCaption(list, 1), L"01 a");
  EXPECT_EQ(ListColumnCaption(list, 2), L"02 b");
  EXPECT_EQ(ListColumnCaption(list, 3), L"03 c");
  for (int c = 4; c <= 96; ++c) EXPECT_EQ(ListColumnCaption(list, c), TwoDigits(c) + L" ") << c;
  EXPECT_EQ(StatusText(status, 1), L"96");
  EXPECT_EQ(StatusText(status, 2), L"96");
  EXPECT_EQ(ListSelected(list), 1);  // the row stays an ordinary, selected row
  EXPECT_EQ(ListCell(list, 1, 1), L"a");

  Menu(L"次ページ(&N)");
  EXPECT_EQ(ListCell(list, 0, 0), Caption(11));
  EXPECT_EQ(ListColumnCaption(list, 2), L"02 b");
  EXPECT_EQ(StatusText(status, 1), Caption(11));
}

TEST_F(Columns, HeaderWithoutASelectedRowDoesNothing) {
  Open(Lines(5));
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  Menu(L"現在行をヘッダーに設定(&H)");
  EXPECT_EQ(ListColumnCaption(list, 1), L"01");
  EXPECT_EQ(StatusText(status, 1), Caption(1));
}

// Each width is the wider of what the list's own auto-size gives for the cells and what the
// header needs to draw the caption uncut: its text in the header's font and a margin of three
// edges on each side. (The list's auto-size with the header leaves the caption a pixel short
// under Wine, so it is not the reference for captions.)
TEST_F(Columns, FittedWidthsCoverEveryCellAndTheCaption) {
  std::vector<std::wstring> lines = {
      L"short,a much longer cell text,x",
      L"漢字のセル,i,全角ＡＢＣ",
      L"WWWWWWWWWWWWWWWWWWWW,mm,\"q,uoted\"",
      L"head one,head two is long enough,h3",
      L"",
      std::wstring(300, L'W') + L",b",
  };
  Open(lines);
  Select(3);
  SetHeader();
  Fit(L"幅調整(&A)");  // the button runs the same command
  const std::vector<int> fitted = DataWidths();
  HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER));
  HDC dc = GetDC(header);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(Send(header, WM_GETFONT)));
  for (int c = 1; c <= 96; ++c) {
    const std::wstring caption = ListColumnCaption(list, c);
    SIZE text{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
    Send(list, LVM_SETCOLUMNWIDTH, c, MAKELPARAM(LVSCW_AUTOSIZE, 0));
    const int cells = ListColumnWidth(list, c);
    EXPECT_EQ(fitted[c - 1], std::max<int>(cells, text.cx + 6 * GetSystemMetrics(SM_CXEDGE))) << "column " << c;
  }
  SelectObject(dc, old);
  ReleaseDC(header, dc);
  // Column 2's caption is wider than its cells; column 1's longest cell (300 units, of which the
  // list draws 259) is wider than its caption.
  EXPECT_GT(fitted[1], fitted[3]);
  EXPECT_GT(fitted[0], fitted[1]);
}

TEST_F(Columns, FittingAsksOnlyAboveFiveHundredLoadedLines) {
  struct Case {
    int lines;
    bool loadAll;
    bool asks;
  };
  for (const Case& c : {Case{500, true, false}, Case{501, true, true}, Case{600, false, false}}) {
    SCOPED_TRACE(std::to_string(c.lines) + (c.loadAll ? " loaded" : " paged"));
    Open(Lines(c.lines));
    if (c.loadAll) LoadAll();
    ASSERT_TRUE(session->MenuCommand(window, L"カラム幅の自動調整(&C)"));
    if (c.asks) {
      auto box = session->WaitMessageBox();
      ASSERT_TRUE(box);
      EXPECT_EQ(box->text, FitQuestion(c.lines));
      EXPECT_EQ(box->icon, BoxIcon::Information);
      EXPECT_TRUE(box->hasYes && box->hasNo);
      const std::vector<int> before = DataWidths();
      ASSERT_TRUE(session->Answer(*box, IDNO));
      ASSERT_TRUE(session->Sync());
      EXPECT_EQ(DataWidths(), before);
      EXPECT_EQ(StatusText(status, 0), L"");
    } else {
      EXPECT_TRUE(WaitUntil([&] { return StatusText(status, 0) == L"96"; }));
      EXPECT_TRUE(session->NoMessageBoxWithin(100));
    }
    session->CloseWindow(window);
    ASSERT_TRUE(session->WaitReturned());
    session.reset();
  }
}

TEST_F(Columns, StartPositionInPageMode) {
  Open(Lines(25), 20);
  Menu(L"先頭(&T)");
  ASSERT_EQ(ListCell(list, 0, 0), Caption(1));
  Menu(L"開始時へ移動(S)...");
  // The page ends at N - 1: lines 21 to 24.
  ASSERT_EQ(ListRowCount(list), 4);
  EXPECT_EQ(ListCell(list, 0, 0), Caption(21));
  EXPECT_EQ(ListCell(list, 3, 0), Caption(24));
  EXPECT_EQ(ListSelected(list), 0);
}

TEST_F(Columns, StartPositionInLoadAllModeCentresTheRow) {
  for (int start : {150, 0, 299}) {
    SCOPED_TRACE(start);
    Open(Lines(300), start);
    LoadAll();
    Menu(L"最後(&E)");
    ASSERT_TRUE(WaitUntil([&] { return ListSelected(list) == 299; }));
    Menu(L"先頭(&T)");
    ASSERT_TRUE(WaitUntil([&] { return ListSelected(list) == 0; }));
    ASSERT_TRUE(session->Sync());
    SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L"x"));
    Menu(L"開始時へ移動(S)...");
    ExpectCentred(start);
    EXPECT_EQ(StatusText(status, 1), Caption(1));
    EXPECT_EQ(StatusText(status, 2), Caption(300));
    session->CloseWindow(window);
    ASSERT_TRUE(session->WaitReturned());
    session.reset();
  }
}

// The loops handle messages: a close arriving meanwhile waits for them, then closes as usual.
TEST_F(Columns, ClosingDuringTheLoopsClosesNormally) {
  for (const wchar_t* command : {L"現在行をヘッダーに設定(&H)", L"カラム幅の自動調整(&C)"}) {
    SCOPED_TRACE(Utf8(command));
    ResetPluginsDir();
    Open(Lines(30));
    ASSERT_TRUE(session->MenuCommand(window, command));
    session->CloseWindow(window);
    ASSERT_TRUE(session->WaitReturned());
    session.reset();
    EXPECT_TRUE(FileExists(L"TovoCsvList-Find.txt"));  // written by the window's closing
    EXPECT_TRUE(IniRead(L"CsvList", L"ColWidth").has_value());
  }
}

// A rows-per-page choice that a loop handles is refused: the box goes back to the size of the
// page, so the box, the page and the stored setting agree.
TEST_F(Columns, RowsPerPageChoiceRefusedDuringTheLoopsLeavesTheBoxAsThePage) {
  for (const wchar_t* command : {L"現在行をヘッダーに設定(&H)", L"カラム幅の自動調整(&C)"}) {
    SCOPED_TRACE(Utf8(command));
    ResetPluginsDir();
    Open(Lines(200));
    HWND rowsBox = FindChildById(window, tovo::IdComboBox1);
    // Posted together, so the loop's first look at the queue takes the choice.
    ASSERT_TRUE(session->MenuCommand(window, command));
    PostMessageW(rowsBox, CB_SETCURSEL, 10, 0);  // "30"
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(tovo::IdComboBox1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(rowsBox));
    ASSERT_TRUE(session->Sync());
    ASSERT_TRUE(WaitUntil([&] { return ComboText(rowsBox) == std::to_wstring(ListRowCount(list)); }))
        << Utf8(ComboText(rowsBox)) << " shown over " << ListRowCount(list) << " rows";
    const int shown = ComboSelected(rowsBox);
    session->CloseWindow(window);
    ASSERT_TRUE(session->WaitReturned());
    session.reset();
    EXPECT_EQ(IniRead(L"CsvList", L"DispNum"), std::to_wstring(shown));
  }
}

}  // namespace
