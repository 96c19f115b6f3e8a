// The list window's start-up and closing: settings, rectangle, history, the size boxes, and the
// command's life cycle.
#include "driver/ListWindowTest.h"
#include "list/CsvListIds.h"

#include <memory>

using namespace tovotest;

namespace {

std::vector<std::wstring> Numbered(int n) {
  std::vector<std::wstring> lines;
  for (int i = 1; i <= n; ++i) lines.push_back(std::to_wstring(i) + L",b" + std::to_wstring(i) + L",c");
  return lines;
}

void CloseAndWait(Session& s, HWND window) {
  ASSERT_TRUE(s.MenuCommand(window, L"終了(&X)"));
  ASSERT_TRUE(s.WaitReturned()) << s.DescribeWindows();
}

class Foundation : public ListWindowTest {
 protected:
  void Find() {
    window = session->WaitWindow(kListCaption);
    if (!window) return;
    list = FindChildByClass(window, L"SysListView32");
    searchBox = FindChildById(window, tovo::IdComboBox3);
    rowsBox = FindChildById(window, tovo::IdComboBox1);
    widthBox = FindChildById(window, tovo::IdComboBox2);
  }

  HWND rowsBox = nullptr;
  HWND widthBox = nullptr;
  HWND searchBox = nullptr;
};

}  // namespace

TEST_F(Foundation, FirstOpeningUsesDefaultsAndWritesEveryKeyOnClose) {
  Launch(Numbered(25));
  Find();
  ASSERT_TRUE(window) << session->DescribeWindows();

  RECT rc = WindowRectOf(window);
  EXPECT_EQ(rc.left, 0);
  EXPECT_EQ(rc.top, 0);
  EXPECT_EQ(rc.right - rc.left, 800);
  EXPECT_EQ(rc.bottom - rc.top, 480);
  EXPECT_EQ(ComboText(rowsBox), L"20");
  EXPECT_EQ(ComboText(widthBox), L"75");
  EXPECT_EQ(ComboItems(rowsBox).size(), 46u);
  EXPECT_EQ(ComboItems(widthBox).size(), 12u);
  EXPECT_EQ(ComboText(searchBox), L"");
  EXPECT_EQ(ListColumnCount(list), 97);
  EXPECT_EQ(ListColumnCaption(list, 0), L"No");
  EXPECT_EQ(ListColumnCaption(list, 96), L"96");
  EXPECT_EQ(ListColumnWidth(list, 0), 70);
  EXPECT_EQ(ListColumnWidth(list, 1), 75);
  EXPECT_TRUE(MenuItemState(window, L"強調表示を無効(&N)").checked);
  EXPECT_FALSE(MenuItemState(window, L"強調表示を有効 行単位(&R)").checked);
  EXPECT_TRUE(MenuItemState(window, L"自動検出(&A)").checked);
  auto ex1 = MenuItemState(window, L"カンマ区切り 11,\"22,22\",33 (&M)");
  EXPECT_TRUE(ex1.exists && ex1.checked && ex1.disabled);
  LOGFONTW font = WindowFont(list);
  EXPECT_EQ(std::wstring(font.lfFaceName), L"ＭＳ ゴシック");
  EXPECT_FALSE(session->Returned());

  CloseAndWait(*session, window);

  const std::pair<const wchar_t*, const wchar_t*> keys[] = {
      {L"FormCsvList", L"Left"},       {L"FormCsvList", L"Top"},
      {L"FormCsvList", L"Width"},      {L"FormCsvList", L"Height"},
      {L"FormCsvList", L"State"},      {L"CsvListColor", L"FontName"},
      {L"CsvListColor", L"FontSize"},  {L"CsvListColor", L"FontColor"},
      {L"CsvListColor", L"BackColor"}, {L"CsvListColorHighLight", L"FontColor"},
      {L"CsvList", L"DispNum"},        {L"CsvList", L"ColWidth"},
      {L"CsvListHighLight", L"None"},  {L"CsvListHighLight", L"Row"},
      {L"CsvListHighLight", L"Col"},   {L"CsvListHighLight", L"FileName"},
      {L"CsvListAuto", L"Enabled"},    {L"CsvListEx1", L"Enabled"},
  };
  for (auto [section, key] : keys) EXPECT_TRUE(IniRead(section, key).has_value()) << Utf8(section) << "/" << Utf8(key);
  EXPECT_FALSE(IniRead(L"Editor", L"Jump").has_value());
  EXPECT_EQ(IniRead(L"FormCsvList", L"State"), L"NORMAL");
  EXPECT_EQ(IniRead(L"FormCsvList", L"Width"), L"800");
  EXPECT_EQ(IniRead(L"CsvListColor", L"FontName"), L"ＭＳ ゴシック");
  EXPECT_EQ(IniRead(L"CsvListColor", L"FontSize"), L"14");
  EXPECT_EQ(IniRead(L"CsvListColor", L"FontColor"), L"clBlack");
  EXPECT_EQ(IniRead(L"CsvListColor", L"BackColor"), L"clWhite");
  EXPECT_EQ(IniRead(L"CsvListColorHighLight", L"FontColor"), L"clRed");
  EXPECT_EQ(IniRead(L"CsvList", L"DispNum"), L"5");
  EXPECT_EQ(IniRead(L"CsvList", L"ColWidth"), L"2");
  EXPECT_EQ(IniRead(L"CsvListHighLight", L"None"), L"1");
  EXPECT_EQ(IniRead(L"CsvListAuto", L"Enabled"), L"1");
  // The settings file starts with a UTF-16 mark, so the Japanese font name survives any code page.
  auto ini = ReadBytes(L"TovoCsvList.ini");
  ASSERT_TRUE(ini);
  EXPECT_EQ(ini->substr(0, 2), std::string("\xFF\xFE"));
  auto history = ReadBytes(L"TovoCsvList-Find.txt");
  ASSERT_TRUE(history);
  EXPECT_EQ(*history, "");
}

TEST_F(Foundation, NonDefaultSettingsRoundTrip) {
  IniWrite(L"FormCsvList", L"Left", L"50");
  IniWrite(L"FormCsvList", L"Top", L"40");
  IniWrite(L"FormCsvList", L"Width", L"900");
  IniWrite(L"FormCsvList", L"Height", L"600");
  IniWrite(L"CsvList", L"DispNum", L"10");
  IniWrite(L"CsvList", L"ColWidth", L"$5");
  IniWrite(L"CsvListColor", L"FontSize", L"9");
  IniWrite(L"CsvListColor", L"FontColor", L"CLNAVY");
  IniWrite(L"CsvListColor", L"BackColor", L"$00E0F0FF");
  IniWrite(L"CsvListColorHighLight", L"FontColor", L"0x00008000");
  IniWrite(L"CsvListHighLight", L"None", L"0");
  IniWrite(L"CsvListHighLight", L"Row", L"1");
  IniWrite(L"CsvListHighLight", L"FileName", L"C:\\nowhere\\語.txt");
  IniWrite(L"CsvListAuto", L"Enabled", L"0");
  IniWrite(L"CsvListEx1", L"Enabled", L"0");

  Launch(Numbered(5));
  Find();
  ASSERT_TRUE(window) << session->DescribeWindows();
  RECT rc = WindowRectOf(window);
  EXPECT_EQ(rc.left, 50);
  EXPECT_EQ(rc.top, 40);
  EXPECT_EQ(rc.right - rc.left, 900);
  EXPECT_EQ(rc.bottom - rc.top, 600);
  EXPECT_EQ(ComboText(rowsBox), L"30");
  EXPECT_EQ(ComboText(widthBox), L"150");
  EXPECT_EQ(ListColumnWidth(list, 0), 45);
  EXPECT_EQ(ListColumnWidth(list, 96), 150);
  EXPECT_EQ(ListTextColor(list), 0x00800000u);
  EXPECT_EQ(ListBkColor(list), 0x00E0F0FFu);
  EXPECT_FALSE(MenuItemState(window, L"強調表示を無効(&N)").checked);
  EXPECT_TRUE(MenuItemState(window, L"強調表示を有効 行単位(&R)").checked);
  EXPECT_FALSE(MenuItemState(window, L"自動検出(&A)").checked);
  EXPECT_FALSE(MenuItemState(window, L"カンマ区切り 11,\"22,22\",33 (&M)").checked);
  CloseAndWait(*session, window);

  EXPECT_EQ(IniRead(L"FormCsvList", L"Left"), L"50");
  EXPECT_EQ(IniRead(L"FormCsvList", L"Height"), L"600");
  EXPECT_EQ(IniRead(L"CsvList", L"DispNum"), L"10");
  EXPECT_EQ(IniRead(L"CsvList", L"ColWidth"), L"5");
  EXPECT_EQ(IniRead(L"CsvListColor", L"FontSize"), L"9");
  EXPECT_EQ(IniRead(L"CsvListColor", L"FontColor"), L"clNavy");
  EXPECT_EQ(IniRead(L"CsvListColor", L"BackColor"), L"$00E0F0FF");
  EXPECT_EQ(IniRead(L"CsvListColorHighLight", L"FontColor"), L"clGreen");
  EXPECT_EQ(IniRead(L"CsvListHighLight", L"FileName"), L"C:\\nowhere\\語.txt");
  EXPECT_EQ(IniRead(L"CsvListAuto", L"Enabled"), L"0");
  EXPECT_EQ(IniRead(L"CsvListEx1", L"Enabled"), L"0");
}

// A settings file the user made without a mark is written in the ANSI code page by the profile
// functions; under code page 1252 the Japanese font name and a word-file path must not become "?".
TEST_F(Foundation, SettingsFileWithoutAMarkKeepsTextOutsideTheCodePage) {
  WriteBytes(L"TovoCsvList.ini", "[CsvList]\r\nDispNum=3\r\n[Other]\r\nKeep=yes\r\n");
  Launch(Numbered(3));
  Find();
  ASSERT_TRUE(window) << session->DescribeWindows();
  EXPECT_EQ(ComboText(rowsBox), L"16");
  CloseAndWait(*session, window);
  EXPECT_EQ(IniRead(L"CsvListColor", L"FontName"), L"ＭＳ ゴシック");
  EXPECT_EQ(IniRead(L"CsvList", L"DispNum"), L"3");
  EXPECT_EQ(IniRead(L"Other", L"Keep"), L"yes");
}

TEST_F(Foundation, OutOfRangeBoxIndexesAndBadValuesFallBack) {
  struct Case {
    const wchar_t* dispNum;
    const wchar_t* colWidth;
    const wchar_t* fontSize;
    const wchar_t* rows;
    const wchar_t* width;
    int numberColumn;
  };
  const Case cases[] = {
      {L"-3", L"-1", L"14", L"10", L"25", 70},
      {L"46", L"12", L"big", L"20", L"75", 70},
      {L"45", L"11", L"0", L"100", L"300", 70},
  };
  for (const auto& c : cases) {
    ResetPluginsDir();
    IniWrite(L"CsvList", L"DispNum", c.dispNum);
    IniWrite(L"CsvList", L"ColWidth", c.colWidth);
    IniWrite(L"CsvListColor", L"FontSize", c.fontSize);
    Launch(Numbered(3));
    Find();
    ASSERT_TRUE(window) << session->DescribeWindows();
    EXPECT_EQ(ComboText(rowsBox), c.rows) << Utf8(c.dispNum);
    EXPECT_EQ(ComboText(widthBox), c.width) << Utf8(c.colWidth);
    EXPECT_EQ(ListColumnWidth(list, 0), c.numberColumn) << Utf8(c.fontSize);
    CloseAndWait(*session, window);
  }
}

TEST_F(Foundation, StoredRectangleMustLieOnTheVirtualScreen) {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int right = left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int bottom = top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  struct Case {
    int l, t, w, h;
    bool accepted;
  };
  const Case cases[] = {
      {left - 8, top - 8, 820, 500, true},
      {left - 9, top, 820, 500, true},
      {left - 10, top, 820, 500, false},
      {left, top - 10, 820, 500, false},
      {right - 820, top + 5, 820, 500, true},
      {right - 819, top + 5, 820, 500, false},
      {left + 5, bottom - 500, 820, 500, true},
      {left + 5, bottom - 499, 820, 500, false},
      {2147483000, 0, 2000, 500, false},
      {2147483647, 0, 500, 500, false},  // the allowance left of and above the screen must not overflow
      {0, 2147483647, 500, 500, false},
  };
  for (const auto& c : cases) {
    ResetPluginsDir();
    IniWrite(L"FormCsvList", L"Left", std::to_wstring(c.l));
    IniWrite(L"FormCsvList", L"Top", std::to_wstring(c.t));
    IniWrite(L"FormCsvList", L"Width", std::to_wstring(c.w));
    IniWrite(L"FormCsvList", L"Height", std::to_wstring(c.h));
    Launch(Numbered(2));
    Find();
    ASSERT_TRUE(window) << session->DescribeWindows();
    RECT rc = WindowRectOf(window);
    RECT expected = c.accepted ? RECT{c.l, c.t, c.l + c.w, c.t + c.h} : RECT{0, 0, 800, 480};
    EXPECT_EQ(rc.left, expected.left) << c.l << "," << c.t;
    EXPECT_EQ(rc.top, expected.top) << c.l << "," << c.t;
    EXPECT_EQ(rc.right, expected.right) << c.l << "," << c.t;
    EXPECT_EQ(rc.bottom, expected.bottom) << c.l << "," << c.t;
    CloseAndWait(*session, window);
  }
}

TEST_F(Foundation, HistoryIsReadWholeAndTheFirst32Written) {
  std::wstring text;
  for (int i = 0; i < 40; ++i) text += L"検索語" + std::to_wstring(i) + L"\r\n";
  WriteText(L"TovoCsvList-Find.txt", text);
  Launch(Numbered(3));
  Find();
  ASSERT_TRUE(window) << session->DescribeWindows();
  auto items = ComboItems(searchBox);
  ASSERT_EQ(items.size(), 40u);
  EXPECT_EQ(items[0], L"検索語0");
  EXPECT_EQ(items[39], L"検索語39");
  CloseAndWait(*session, window);
  auto lines = ReadLines(L"TovoCsvList-Find.txt");
  ASSERT_EQ(lines.size(), 32u);
  EXPECT_EQ(lines[31], L"検索語31");
  // Written in the ANSI code page where it holds the Japanese text (932), otherwise as UTF-8
  // with a mark so nothing turns into "?"; every line ended by CR LF.
  auto bytes = ReadBytes(L"TovoCsvList-Find.txt");
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->substr(0, 3) == std::string("\xEF\xBB\xBF"), !JapaneseCodePage());
  EXPECT_EQ(bytes->find('?'), std::string::npos);
  EXPECT_EQ(bytes->substr(bytes->size() - 2), "\r\n");
}

TEST_F(Foundation, HistoryTermOutsideTheCodePageSurvives) {
  // U+0E01 (Thai) has no form in code page 932: the file must come back unchanged all the same.
  WriteUtf8(L"TovoCsvList-Find.txt", L"\u0E01\u0E02\r\nabc\r\n", true);
  Launch(Numbered(3));
  Find();
  ASSERT_TRUE(window) << session->DescribeWindows();
  CloseAndWait(*session, window);
  EXPECT_EQ(ReadLines(L"TovoCsvList-Find.txt"), (std::vector<std::wstring>{L"\u0E01\u0E02", L"abc"}));
}

// A settings or history file held open without sharing, as another program might, is reported
// once at opening and is not replaced at the close, locked or not by then.
TEST_F(Foundation, AFileThatCannotBeReadIsReportedAndNeverReplaced) {
  for (const wchar_t* file : {L"TovoCsvList-Find.txt", L"TovoCsvList.ini"}) {
    for (bool heldThroughClose : {false, true}) {
      SCOPED_TRACE(Utf8(file) + (heldThroughClose ? " held through the close" : " released before the close"));
      EndSession();
      ResetPluginsDir();
      WriteText(L"TovoCsvList-Find.txt", L"term1\r\nterm2\r\n");
      IniWrite(L"CsvList", L"DispNum", L"0");
      const auto before = ReadBytes(file);
      std::unique_ptr<void, decltype(&CloseHandle)> lock(
          CreateFileW(PluginFile(file).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), &CloseHandle);
      ASSERT_NE(lock.get(), INVALID_HANDLE_VALUE);
      Launch(Numbered(3));
      Find();
      ASSERT_TRUE(window) << session->DescribeWindows();
      auto box = session->WaitMessageBox();
      ASSERT_TRUE(box) << session->DescribeWindows();
      EXPECT_NE(box->text.find(file), std::wstring::npos) << Utf8(box->text);
      ASSERT_TRUE(session->Answer(*box, IDOK));
      EXPECT_EQ(ComboItems(searchBox).empty(), std::wstring(file) == L"TovoCsvList-Find.txt");
      if (!heldThroughClose) lock.reset();
      CloseAndWait(*session, window);  // and no message: nothing was to be written
      lock.reset();
      EXPECT_EQ(ReadBytes(file), before);
    }
  }
}

TEST_F(Foundation, EnterPressedInTheSizeBoxesChangesNothing) {
  Launch(Numbered(25));
  Find();
  ASSERT_TRUE(window) << session->DescribeWindows();
  for (HWND box : {rowsBox, widthBox}) {
    const int before = ComboSelected(box);
    const int widthBefore = ListColumnWidth(list, 1);
    SetForegroundWindow(window);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }));
    AttachThreadInput(GetCurrentThreadId(), session->UiThreadId(), TRUE);
    SetFocus(box);
    AttachThreadInput(GetCurrentThreadId(), session->UiThreadId(), FALSE);
    ASSERT_TRUE(session->PressKeys(window, VK_RETURN));
    ASSERT_TRUE(session->Sync());
    EXPECT_EQ(ComboSelected(box), before);
    EXPECT_EQ(ListRowCount(list), 20);
    EXPECT_EQ(ListColumnWidth(list, 1), widthBefore);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(session->NoMessageBoxWithin(100));
  }
  CloseAndWait(*session, window);
}

// Closing while maximised keeps the last normal rectangle, and the next opening shows it.
TEST_F(Foundation, ClosingMaximisedWritesMaxAndKeepsTheNormalRectangle) {
  IniWrite(L"FormCsvList", L"Left", L"50");
  IniWrite(L"FormCsvList", L"Top", L"40");
  IniWrite(L"FormCsvList", L"Width", L"900");
  IniWrite(L"FormCsvList", L"Height", L"600");
  Launch(Numbered(3));
  Find();
  ASSERT_TRUE(window) << session->DescribeWindows();
  ShowWindow(window, SW_MAXIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsZoomed(window) != FALSE; }));
  CloseAndWait(*session, window);
  EXPECT_EQ(IniRead(L"FormCsvList", L"State"), L"MAX");
  EXPECT_EQ(IniRead(L"FormCsvList", L"Left"), L"50");
  EXPECT_EQ(IniRead(L"FormCsvList", L"Top"), L"40");
  EXPECT_EQ(IniRead(L"FormCsvList", L"Width"), L"900");
  EXPECT_EQ(IniRead(L"FormCsvList", L"Height"), L"600");

  Launch(Numbered(3));
  Find();
  ASSERT_TRUE(window) << session->DescribeWindows();
  EXPECT_FALSE(IsZoomed(window));
  const RECT rc = WindowRectOf(window);
  EXPECT_EQ(rc.left, 50);
  EXPECT_EQ(rc.top, 40);
  EXPECT_EQ(rc.right - rc.left, 900);
  EXPECT_EQ(rc.bottom - rc.top, 600);
}

TEST_F(Foundation, WidthBoxSetsTheFieldColumnsOnly) {
  Launch(Numbered(25));
  Find();
  ASSERT_TRUE(window) << session->DescribeWindows();
  ASSERT_TRUE(ChooseCombo(widthBox, 3));  // "100"
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(ListColumnWidth(list, 1), 100);
  EXPECT_EQ(ListColumnWidth(list, 96), 100);
  EXPECT_EQ(ListColumnWidth(list, 0), 70);
  CloseAndWait(*session, window);
  EXPECT_EQ(IniRead(L"CsvList", L"ColWidth"), L"3");
}

TEST_F(Foundation, CommandReturnsOnlyAfterCloseAndStartsAfreshEachTime) {
  for (int run = 0; run < 2; ++run) {
    Launch(Numbered(25));
    Find();
    ASSERT_TRUE(window) << session->DescribeWindows();
    // The second run sees what the first one wrote.
    EXPECT_EQ(ComboText(widthBox), run == 0 ? L"75" : L"200");
    EXPECT_FALSE(IsWindowEnabled(session->HostWindow()));
    EXPECT_FALSE(session->Returned());
    if (run == 0) {
      ASSERT_TRUE(ChooseCombo(widthBox, 7));  // "200"
      ASSERT_TRUE(session->Sync());
    }
    ASSERT_TRUE(session->Sync());
    EXPECT_FALSE(session->Returned());
    ULONGLONG closedAt = GetTickCount64();
    session->CloseWindow(window);
    ASSERT_TRUE(session->WaitReturned()) << session->DescribeWindows();
    EXPECT_GE(session->ReturnedAt(), closedAt);
    EXPECT_FALSE(IsWindow(window));
  }
}

TEST_F(Foundation, UnwritableFilesNeverKeepTheWindowOpenNorLeaveBrokenFiles) {
  IniWrite(L"CsvList", L"DispNum", L"7");
  // A folder in the way of the history file makes its replacement fail, whoever runs the test.
  ASSERT_TRUE(CreateDirectoryW(PluginFile(L"TovoCsvList-Find.txt").c_str(), nullptr));
  Launch(Numbered(3));
  Find();
  ASSERT_TRUE(window) << session->DescribeWindows();
  ASSERT_TRUE(ChooseCombo(rowsBox, 1));
  ASSERT_TRUE(session->Sync());
  session->CloseWindow(window);
  auto box = session->WaitMessageBox();
  ASSERT_TRUE(box) << session->DescribeWindows();
  EXPECT_NE(box->text.find(L"TovoCsvList-Find.txt"), std::wstring::npos) << Utf8(box->text);
  ASSERT_TRUE(session->Answer(*box, IDOK));
  ASSERT_TRUE(session->WaitReturned()) << session->DescribeWindows();
  // The settings file was still written whole; no temporary file is left behind.
  EXPECT_EQ(IniRead(L"CsvList", L"DispNum"), L"1");
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((PluginsDir() + L"*.tmp").c_str(), &fd);
  EXPECT_EQ(find, INVALID_HANDLE_VALUE);
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

TEST_F(Foundation, MissingPluginFolderStillCloses) {
  Launch(Numbered(3));
  Find();
  ASSERT_TRUE(window) << session->DescribeWindows();
  // The window has written its key file by now; take the whole folder away.
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((PluginsDir() + L"*").c_str(), &fd);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileIn(fd.cFileName);
  } while (FindNextFileW(find, &fd));
  FindClose(find);
  ASSERT_TRUE(RemoveDirectoryW(PluginsDir().c_str()));
  session->CloseWindow(window);
  auto box = session->WaitMessageBox();
  ASSERT_TRUE(box) << session->DescribeWindows();
  ASSERT_TRUE(session->Answer(*box, IDOK));
  ASSERT_TRUE(session->WaitReturned()) << session->DescribeWindows();
}

// The editor may answer a line count below zero or a current line outside the document: the
// first page lies inside the document all the same.
TEST_F(Foundation, StrangeHostAnswersOpenOnAPageInsideTheDocument) {
  struct Case {
    std::optional<LRESULT> count;
    int current;
    int rows;              // of the first page
    const wchar_t* first;  // its first row's number
  };
  const Case cases[] = {{std::nullopt, 1000, 1, L"00005"},
                        {std::nullopt, -5, 5, L"00001"},
                        {LRESULT{-1}, 0, 0, L""},
                        {LRESULT{0}, 3, 0, L""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.current);
    EndSession();
    host.forcedLineCount = c.count;
    Launch(Numbered(5), c.current);
    Find();
    ASSERT_TRUE(window) << session->DescribeWindows();
    EXPECT_EQ(ListRowCount(list), c.rows);
    if (c.rows > 0) {
      EXPECT_EQ(ListCell(list, 0, 0), c.first);
    }
    CloseAndWait(*session, window);
  }
}
