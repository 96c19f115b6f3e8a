// Highlighting as the user sees it: marked fields and rows in their colours (read from the list's
// pixels), the mode items, the word file chooser, the font and colour dialogs.
#include "driver/ListWindowTest.h"

#include <commctrl.h>

using namespace tovotest;

namespace {

constexpr wchar_t kNone[] = L"強調表示を無効(&N)";
constexpr wchar_t kRow[] = L"強調表示を有効 行単位(&R)";
constexpr wchar_t kCol[] = L"強調表示を有効 カラム単位(&C)";

// Ink of one cell by colour family; anti-aliased edges fall in none of them.
struct Ink {
  int red = 0, blue = 0, green = 0, black = 0;
};

Ink CellInk(const Pixels& p, HWND list, int row, int col) {
  RECT r = ListCellRect(list, row, col);
  Ink ink;
  for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, p.height); ++y) {
    for (int x = std::max<int>(r.left, 0) + 1; x < std::min<int>(r.right, p.width) - 1; ++x) {
      const COLORREF c = p.At(x, y);
      const int R = GetRValue(c), G = GetGValue(c), B = GetBValue(c);
      if (R >= 0xB0 && G < 0x60 && B < 0x60) ++ink.red;
      if (B >= 0xB0 && R < 0x60 && G < 0x60) ++ink.blue;
      if (G >= 0xB0 && R < 0x60 && B < 0x60) ++ink.green;
      if (R < 0x60 && G < 0x60 && B < 0x60) ++ink.black;
    }
  }
  return ink;
}

std::string Describe(const Ink& ink) {
  return "red " + std::to_string(ink.red) + ", blue " + std::to_string(ink.blue) + ", green " +
         std::to_string(ink.green) + ", black " + std::to_string(ink.black);
}

int CheckedModes(HWND window) {
  return MenuItemState(window, kNone).checked + MenuItemState(window, kRow).checked +
         MenuItemState(window, kCol).checked;
}

// Answers the open dialog with `path`; false when no dialog came or it stayed.
bool ChooseWordFile(Session& s, HWND window, const std::wstring& path) {
  if (!s.MenuCommand(window, L"強調表示のファイル名(&G)...")) return false;
  auto dlg = s.WaitMessageBox();
  if (!dlg || !GetDlgItem(dlg->hwnd, 0x47C)) return false;  // the open dialog's name box
  SetDlgItemTextW(dlg->hwnd, 0x47C, path.c_str());
  PostMessageW(dlg->hwnd, WM_COMMAND, IDOK, 0);
  return WaitUntil([&] { return !IsWindow(dlg->hwnd); });
}

// A refill of the list: one page on and back again.
void Refill(Session& s, HWND window) {
  ASSERT_TRUE(s.MenuCommand(window, L"次ページ(&N)"));
  ASSERT_TRUE(s.MenuCommand(window, L"前ページ(&P)"));
  ASSERT_TRUE(s.Sync());
}

class HighLight : public ListWindowTest {
 protected:
  void SetUp() override {
    ListWindowTest::SetUp();
    // Row 0 stays selected (selection colours hide custom ones); the checks use rows 1 and 2.
    host.lines = {L"zzz,zzz", L"ABC,plain,xAbCx", L"plain,plain,ａｂｃ"};
    for (int i = 0; i < 30; ++i) host.lines.push_back(L"abc,xyz,n" + std::to_wstring(i));
    WriteUtf8(L"words.txt", L"abc\r\n\r\n");
    IniWrite(L"CsvListHighLight", L"FileName", PluginFile(L"words.txt"));
  }
  void Mode(const wchar_t* none, const wchar_t* row, const wchar_t* col) {
    IniWrite(L"CsvListHighLight", L"None", none);
    IniWrite(L"CsvListHighLight", L"Row", row);
    IniWrite(L"CsvListHighLight", L"Col", col);
  }
  // Runs the command on the document SetUp made and waits for the first page: the cells are
  // there once row 0 has its caption.
  void OpenList() {
    Launch(host.lines);
    window = session->WaitWindow(kListCaption);
    if (window) list = FindChildByClass(window, L"SysListView32");
    if (list) WaitUntil([&] { return ListRowCount(list) > 0; });
  }
};

}  // namespace

TEST_F(HighLight, FieldModeDrawsMarkedCellsRedAndBoldOthersBlueAndRowModeWholeRowsWithoutRefill) {
  Mode(L"0", L"0", L"1");
  OpenList();
  ASSERT_TRUE(list) << session->DescribeWindows();

  Pixels p = CaptureWindowPixels(list);
  const Ink markedBold = CellInk(p, list, 1, 1);  // "ABC"
  const Ink plain = CellInk(p, list, 1, 2);
  const Ink inner = CellInk(p, list, 1, 3);      // "xAbCx"
  const Ink fullWidth = CellInk(p, list, 2, 3);  // full-width letters are not folded
  const Ink number = CellInk(p, list, 1, 0);
  EXPECT_TRUE(markedBold.red > 0 && markedBold.blue == 0) << Describe(markedBold);
  EXPECT_TRUE(inner.red > 0 && inner.blue == 0) << Describe(inner);
  EXPECT_TRUE(plain.blue > 0 && plain.red == 0) << Describe(plain);
  EXPECT_TRUE(fullWidth.blue > 0 && fullWidth.red == 0) << Describe(fullWidth);
  EXPECT_TRUE(number.black > 0 && number.red == 0 && number.blue == 0) << Describe(number);

  // Row mode: the marked row wholly in the highlight colour (red unless set), others normal.
  const size_t requests = host.Requests().size();
  ASSERT_TRUE(session->MenuCommand(window, kRow));
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(CheckedModes(window), 1);
  EXPECT_TRUE(MenuItemState(window, kRow).checked);
  p = CaptureWindowPixels(list);
  const Ink markedRegular = CellInk(p, list, 1, 1);
  for (int col : {0, 2}) {
    const Ink ink = CellInk(p, list, 1, col);
    EXPECT_TRUE(ink.red > 0 && ink.blue == 0 && ink.black == 0) << col << ": " << Describe(ink);
  }
  const Ink unmarkedRow = CellInk(p, list, 2, 1);
  EXPECT_TRUE(unmarkedRow.black > 0 && unmarkedRow.red == 0 && unmarkedRow.blue == 0) << Describe(unmarkedRow);
  // The same text in the same red: bold has clearly more ink.
  EXPECT_GT(markedBold.red * 10, markedRegular.red * 12)
      << "bold " << Describe(markedBold) << " / regular " << Describe(markedRegular);

  ASSERT_TRUE(session->MenuCommand(window, kNone));
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(CheckedModes(window), 1);
  p = CaptureWindowPixels(list);
  const Ink off = CellInk(p, list, 1, 1);
  EXPECT_TRUE(off.black > 0 && off.red == 0 && off.blue == 0) << Describe(off);
  EXPECT_EQ(host.Requests().size(), requests) << "switching modes must not refill";

  session->CloseWindow(window);
  ASSERT_TRUE(session->WaitReturned());
  EXPECT_EQ(IniRead(L"CsvListHighLight", L"None"), L"1");
  EXPECT_EQ(IniRead(L"CsvListHighLight", L"Row"), L"0");
  EXPECT_EQ(IniRead(L"CsvListHighLight", L"Col"), L"0");
}

TEST_F(HighLight, ModeItemsLeaveExactlyOneCheckedEvenAfterAllWereStored) {
  Mode(L"1", L"1", L"1");
  OpenList();
  ASSERT_TRUE(list) << session->DescribeWindows();
  for (const wchar_t* item : {kCol, kCol, kRow, kNone}) {
    ASSERT_TRUE(session->MenuCommand(window, item));
    ASSERT_TRUE(session->Sync());
    EXPECT_TRUE(MenuItemState(window, item).checked) << Utf8(item);
    EXPECT_EQ(CheckedModes(window), 1) << Utf8(item);
  }
}

TEST_F(HighLight, RowColourDialogRecoloursMarkedRowsAndIsKept) {
  Mode(L"0", L"1", L"0");
  OpenList();
  ASSERT_TRUE(list) << session->DescribeWindows();

  ASSERT_TRUE(session->MenuCommand(window, L"強調表示の文字色 行単位(&H)..."));
  auto dlg = session->WaitMessageBox();
  ASSERT_TRUE(dlg) << session->DescribeWindows();
  EXPECT_TRUE(GetDlgItem(dlg->hwnd, 0x2C2)) << "not the colour dialog";  // its red box
  for (auto [id, value] : {std::pair{0x2C2, L"0"}, {0x2C3, L"255"}, {0x2C4, L"0"}})
    SetDlgItemTextW(dlg->hwnd, id, value);
  PostMessageW(dlg->hwnd, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg->hwnd); }));
  ASSERT_TRUE(session->Sync());

  const Pixels p = CaptureWindowPixels(list);
  const Ink ink = CellInk(p, list, 1, 2);
  EXPECT_TRUE(ink.green > 0 && ink.red == 0) << Describe(ink);
  session->CloseWindow(window);
  ASSERT_TRUE(session->WaitReturned());
  EXPECT_EQ(IniRead(L"CsvListColorHighLight", L"FontColor"), L"clLime");
}

TEST_F(HighLight, BackgroundDialogSetsTheListBackgroundAndCancelKeepsIt) {
  OpenList();
  ASSERT_TRUE(list) << session->DescribeWindows();
  const COLORREF before = ListBkColor(list);

  for (int answer : {IDCANCEL, IDOK}) {
    ASSERT_TRUE(session->MenuCommand(window, L"背景色(&B)..."));
    auto dlg = session->WaitMessageBox();
    ASSERT_TRUE(dlg) << session->DescribeWindows();
    for (auto [id, value] : {std::pair{0x2C2, L"255"}, {0x2C3, L"255"}, {0x2C4, L"0"}})
      SetDlgItemTextW(dlg->hwnd, id, value);
    PostMessageW(dlg->hwnd, WM_COMMAND, answer, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg->hwnd); }));
    ASSERT_TRUE(session->Sync());
    EXPECT_EQ(ListBkColor(list), answer == IDOK ? RGB(255, 255, 0) : before);
  }
  session->CloseWindow(window);
  ASSERT_TRUE(session->WaitReturned());
  EXPECT_EQ(IniRead(L"CsvListColor", L"BackColor"), L"clYellow");
}

TEST_F(HighLight, FontDialogSetsSizeAndNumberColumnWidth) {
  IniWrite(L"CsvListColor", L"FontSize", L"9");
  OpenList();
  ASSERT_TRUE(list) << session->DescribeWindows();
  EXPECT_EQ(ListColumnWidth(list, 0), 45);

  for (auto [size, width] : {std::pair{L"14", 70}, {L"9", 45}}) {
    ASSERT_TRUE(session->MenuCommand(window, L"文字色(&F)..."));
    auto dlg = session->WaitMessageBox();
    ASSERT_TRUE(dlg) << session->DescribeWindows();
    EXPECT_TRUE(GetDlgItem(dlg->hwnd, 0x470)) << "not the font dialog";  // its face box
    // As a user types the size (the dialog reads the list's choice unless told of the typing).
    // The face is the dialog's: under Wine "ＭＳ ゴシック" is a substitute it does not list.
    const std::wstring face = WindowText(GetDlgItem(dlg->hwnd, 0x470));
    HWND sizeBox = GetDlgItem(dlg->hwnd, 0x472);
    SetWindowTextW(sizeBox, size);
    Send(dlg->hwnd, WM_COMMAND, MAKEWPARAM(0x472, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(sizeBox));
    PostMessageW(dlg->hwnd, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg->hwnd); }));
    ASSERT_TRUE(session->Sync());
    EXPECT_EQ(ListColumnWidth(list, 0), width) << Utf8(size);
    EXPECT_EQ(WindowFont(list).lfHeight, -MulDiv(_wtoi(size), 96, 72)) << Utf8(size);
    EXPECT_EQ(WindowFont(list).lfWeight, FW_NORMAL);
    EXPECT_EQ(std::wstring(WindowFont(list).lfFaceName), face);
  }
  ASSERT_TRUE(session->MenuCommand(window, L"文字色(&F)..."));
  auto dlg = session->WaitMessageBox();
  ASSERT_TRUE(dlg);
  SetDlgItemTextW(dlg->hwnd, 0x472, L"20");
  PostMessageW(dlg->hwnd, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg->hwnd); }));
  EXPECT_EQ(ListColumnWidth(list, 0), 45) << "cancel changes nothing";

  session->CloseWindow(window);
  ASSERT_TRUE(session->WaitReturned());
  EXPECT_EQ(IniRead(L"CsvListColor", L"FontSize"), L"9");
}

TEST_F(HighLight, FontDialogColourColoursTheListAndIsKept) {
  OpenList();
  ASSERT_TRUE(list) << session->DescribeWindows();
  ASSERT_TRUE(session->MenuCommand(window, L"文字色(&F)..."));
  auto dlg = session->WaitMessageBox();
  ASSERT_TRUE(dlg) << session->DescribeWindows();
  HWND colours = GetDlgItem(dlg->hwnd, 0x473);  // the font dialog's colour box
  ASSERT_TRUE(colours);
  int navy = -1;
  for (int i = 0; i < static_cast<int>(Send(colours, CB_GETCOUNT)); ++i) {
    if (static_cast<COLORREF>(Send(colours, CB_GETITEMDATA, i)) == RGB(0, 0, 128)) navy = i;
  }
  ASSERT_GE(navy, 0);
  // As a user's choice does: the dialog takes the colour on the change notice.
  Send(colours, CB_SETCURSEL, navy);
  Send(dlg->hwnd, WM_COMMAND, MAKEWPARAM(0x473, CBN_SELCHANGE), reinterpret_cast<LPARAM>(colours));
  PostMessageW(dlg->hwnd, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg->hwnd); }));
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(ListTextColor(list), RGB(0, 0, 128));
  session->CloseWindow(window);
  ASSERT_TRUE(session->WaitReturned());
  EXPECT_EQ(IniRead(L"CsvListColor", L"FontColor"), L"clNavy");
}

// Marks are keyed by line number: they must land on the right rows away from the first page and
// after all lines are loaded, in both modes.
TEST_F(HighLight, MarksFollowTheirLinesOnLaterPagesAndAfterLoadingAll) {
  IniWrite(L"CsvList", L"DispNum", L"0");  // ten rows a page
  host.lines.clear();
  for (int i = 1; i <= 1000; ++i)
    host.lines.push_back(L"n" + std::to_wstring(i) + (i == 25 || i == 901 ? L",abc,x" : L",plain,x"));
  OpenList();
  ASSERT_TRUE(list) << session->DescribeWindows();
  // Each marked row is followed by a plain one; neither is the selected row.
  auto check = [&](int marked) {
    ASSERT_TRUE(session->MenuCommand(window, kCol));
    ASSERT_TRUE(session->Sync());
    Pixels p = CaptureWindowPixels(list);
    const Ink field = CellInk(p, list, marked, 2), plainField = CellInk(p, list, marked + 1, 2);
    EXPECT_TRUE(field.red > 0 && field.blue == 0) << Describe(field);
    EXPECT_TRUE(plainField.blue > 0 && plainField.red == 0) << Describe(plainField);
    ASSERT_TRUE(session->MenuCommand(window, kRow));
    ASSERT_TRUE(session->Sync());
    p = CaptureWindowPixels(list);
    const Ink row = CellInk(p, list, marked, 1), plainRow = CellInk(p, list, marked + 1, 1);
    EXPECT_TRUE(row.red > 0 && row.black == 0) << Describe(row);
    EXPECT_TRUE(plainRow.black > 0 && plainRow.red == 0) << Describe(plainRow);
  };
  for (int page = 0; page < 2; ++page) ASSERT_TRUE(session->MenuCommand(window, L"次ページ(&N)"));
  ASSERT_TRUE(WaitUntil([&] { return ListCell(list, 0, 0) == Caption(21); }));
  {
    SCOPED_TRACE("page 3");
    check(4);
  }
  ASSERT_TRUE(session->MenuCommand(window, L"全て表示(&A)"));
  auto question = session->WaitMessageBox();
  ASSERT_TRUE(question) << session->DescribeWindows();
  ASSERT_TRUE(session->Answer(*question, IDYES));
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == 1000; }, 60000));
  ASSERT_TRUE(session->Sync());
  Send(list, LVM_ENSUREVISIBLE, 905, FALSE);
  ASSERT_TRUE(session->Sync());
  ASSERT_NE(ListSelected(list), 900);
  ASSERT_NE(ListSelected(list), 901);
  SCOPED_TRACE("all lines, row 900");
  check(900);
}

TEST_F(HighLight, FieldColourItemOnlyExplainsTheFixedColours) {
  OpenList();
  ASSERT_TRUE(list) << session->DescribeWindows();
  ASSERT_TRUE(session->MenuCommand(window, L"強調表示の文字色 カラム単位(&I)..."));
  auto box = session->WaitMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, L"通常表示は青色、強調表示は赤色(太字)に固定です");
  EXPECT_EQ(box->icon, BoxIcon::Information);
  EXPECT_TRUE(session->Answer(*box, IDOK));
}

TEST_F(HighLight, NewWordFileTakesEffectAtTheNextFillAndBadFilesKeepTheOldWords) {
  Mode(L"0", L"0", L"1");
  WriteUtf8(L"xyz.txt", L"xyz");
  WriteBytes(L"huge.txt", std::string((64u << 20) + 1, 'a'));
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>(i * 7 % 251);
  WriteBytes(L"binary.txt", binary);
  WriteUtf8(L"locked.txt", L"xyz");
  HANDLE lock = CreateFileW(PluginFile(L"locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);

  OpenList();
  ASSERT_TRUE(list) << session->DescribeWindows();
  auto marked = [&](int row, int col) {
    const Ink ink = CellInk(CaptureWindowPixels(list), list, row, col);
    EXPECT_TRUE(ink.red > 0 || ink.blue > 0) << Describe(ink);
    return ink.red > 0;
  };
  // Rows 3 on hold "abc,xyz".
  ASSERT_TRUE(marked(3, 1));
  ASSERT_FALSE(marked(3, 2));

  const struct {
    const wchar_t* file;
    const wchar_t* message;  // part of the message shown, or nullptr for none
    bool abcMarkedAfterRefill;
  } cases[] = {
      {L"missing.txt", nullptr, true}, {L"huge.txt", L"大きすぎ", true}, {L"locked.txt", L"locked.txt", true},
      {L"xyz.txt", nullptr, false},    {L"binary.txt", nullptr, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.file));
    const bool abcBefore = marked(3, 1);
    ASSERT_TRUE(ChooseWordFile(*session, window, PluginFile(c.file))) << session->DescribeWindows();
    if (c.message) {
      auto box = session->WaitMessageBox();
      ASSERT_TRUE(box) << session->DescribeWindows();
      EXPECT_NE(box->text.find(c.message), std::wstring::npos) << Utf8(box->text);
      EXPECT_TRUE(session->Answer(*box, IDOK));
    } else {
      EXPECT_TRUE(session->NoMessageBoxWithin(200));
    }
    ASSERT_TRUE(session->Sync());
    EXPECT_EQ(marked(3, 1), abcBefore) << "marks change only at the next fill";
    Refill(*session, window);
    EXPECT_EQ(marked(3, 1), c.abcMarkedAfterRefill);
  }
  EXPECT_TRUE(marked(3, 2) == false) << "the binary file's words replaced xyz";
  CloseHandle(lock);
  session->CloseWindow(window);
  ASSERT_TRUE(session->WaitReturned());
  EXPECT_EQ(IniRead(L"CsvListHighLight", L"FileName"), PluginFile(L"binary.txt"));
}

// A word file of 5 MB (100,000 words) marks as a short one does: its last word, in another case,
// marks; none of the others occurs.
TEST_F(HighLight, FiveMegabyteWordFileMarksItsLastWord) {
  Mode(L"0", L"0", L"1");
  std::string words;
  for (int i = 0; i < 100'000; ++i) words += "w" + std::to_string(i) + std::string(45, "qrstuv"[i % 6]) + "\r\n";
  words += "XYZ\r\n";
  ASSERT_GT(words.size(), 5u << 20);
  WriteBytes(L"words.txt", words);
  OpenList();
  ASSERT_TRUE(list) << session->DescribeWindows();
  const Pixels p = CaptureWindowPixels(list);
  const Ink xyz = CellInk(p, list, 3, 2), abc = CellInk(p, list, 3, 1);
  EXPECT_TRUE(xyz.red > 0 && xyz.blue == 0) << Describe(xyz);
  EXPECT_TRUE(abc.blue > 0 && abc.red == 0) << Describe(abc);
}
