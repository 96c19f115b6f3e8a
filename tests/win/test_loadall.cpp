// Load-all mode: the question, the whole document as rows, page commands as selection moves,
// the splitter switch from the stored lines, and what a fill does with commands and a close
// that arrive while it runs.
#include "driver/ListWindowTest.h"
#include "list/CsvListIds.h"

#include <commctrl.h>

#include <memory>

using namespace tovotest;

namespace {

constexpr wchar_t kLoadAll[] = L"全て表示(&A)";
constexpr int kRowsPerPageBox = tovo::IdComboBox1;

std::vector<std::wstring> NumberedLines(int count) {
  std::vector<std::wstring> lines;
  lines.reserve(static_cast<size_t>(count));
  for (int i = 1; i <= count; ++i) lines.push_back(L"a" + std::to_wstring(i) + L",\"b,c\"");
  return lines;
}

class LoadAll : public ListWindowTest {
 protected:
  void Open(int lineCount) { ListWindowTest::Open(NumberedLines(lineCount)); }
  // Lines then get marked on a second thread while they are read, which a stop must end too.
  void UseWords() {
    WriteUtf8(L"words.txt", L"a1\r\n");
    IniWrite(L"CsvListHighLight", L"FileName", PluginFile(L"words.txt"));
  }

  // Runs "全て表示(&A)", answers the question with `answer` when one is expected.
  void RunLoadAll(bool expectQuestion, int answer = IDYES) {
    ASSERT_TRUE(session->MenuCommand(window, kLoadAll));
    if (expectQuestion) {
      auto box = session->WaitMessageBox();
      ASSERT_TRUE(box) << session->DescribeWindows();
      question = box->text;
      EXPECT_TRUE(box->hasYes && box->hasNo);
      EXPECT_EQ(box->icon, BoxIcon::Information);
      ASSERT_TRUE(session->Answer(*box, answer));
    }
    ASSERT_TRUE(session->Sync());
  }

  bool WaitFilled(int rows) {
    return WaitUntil([&] { return ListRowCount(list) == rows && StatusText(status, 3) == StatusText(status, 2); },
                     60000);
  }

  std::wstring question;
};

TEST_F(LoadAll, FiveHundredLinesLoadWithoutAQuestion) {
  Open(500);
  RunLoadAll(false);
  ASSERT_TRUE(WaitFilled(500));
  EXPECT_TRUE(session->NoMessageBoxWithin(100));
  EXPECT_EQ(ListCell(list, 0, 0), L"00001");
  EXPECT_EQ(ListCell(list, 499, 0), L"00500");
  EXPECT_EQ(ListCell(list, 499, 2), L"\"b");
  EXPECT_EQ(StatusText(status, 1), L"00001");
  EXPECT_EQ(StatusText(status, 2), L"00500");
  EXPECT_EQ(ListSelected(list), 0);
  EXPECT_FALSE(IsWindowEnabled(FindChildById(window, kRowsPerPageBox)));
  EXPECT_EQ(host.CountRequests(tovo::kMsgGetLine), 2u * (10 + 500));
}

TEST_F(LoadAll, OverFiveHundredLinesAsksAndNoChangesNothing) {
  Open(501);
  host.ClearRequests();
  RunLoadAll(true, IDNO);
  EXPECT_NE(question.find(L"501"), std::wstring::npos) << Utf8(question);
  EXPECT_EQ(question, L"500行以上では時間がかかります(500行で約5秒)\r\nこのファイルは 501 行ですが、実行しますか？");
  EXPECT_EQ(ListRowCount(list), 10);
  EXPECT_TRUE(IsWindowEnabled(FindChildById(window, kRowsPerPageBox)));
  EXPECT_EQ(host.CountRequests(tovo::kMsgGetLine), 0u);
  // Still page mode: the next page is read from the editor.
  ASSERT_TRUE(session->MenuCommand(window, L"次ページ(&N)"));
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(ListCell(list, 0, 0), L"00011");

  RunLoadAll(true, IDYES);
  ASSERT_TRUE(WaitFilled(501));
  EXPECT_EQ(StatusText(status, 2), L"00501");
}

TEST_F(LoadAll, PageCommandsMoveTheSelectionWithoutReading) {
  Open(200);
  RunLoadAll(false);
  ASSERT_TRUE(WaitFilled(200));
  host.ClearRequests();
  const int perPage = ListCountPerPage(list);
  ASSERT_GT(perPage, 1);

  ASSERT_TRUE(session->MenuCommand(window, L"次ページ(&N)"));
  EXPECT_TRUE(WaitUntil([&] { return ListSelected(list) > 0; })) << ListSelected(list);
  const int afterNext = ListSelected(list);
  EXPECT_GE(afterNext, perPage - 1);
  ASSERT_TRUE(session->MenuCommand(window, L"最後(&E)"));
  EXPECT_TRUE(WaitUntil([&] { return ListSelected(list) == 199; })) << ListSelected(list);
  ASSERT_TRUE(session->MenuCommand(window, L"前ページ(&P)"));
  EXPECT_TRUE(WaitUntil([&] { return ListSelected(list) < 199; })) << ListSelected(list);
  ASSERT_TRUE(session->MenuCommand(window, L"先頭(&T)"));
  EXPECT_TRUE(WaitUntil([&] { return ListSelected(list) == 0; })) << ListSelected(list);
  // The buttons run the same commands.
  ASSERT_TRUE(ClickButton(FindChildByText(window, L"次ﾍﾟｰｼﾞ(&E)", L"Button")));
  EXPECT_TRUE(WaitUntil([&] { return ListSelected(list) == afterNext; })) << ListSelected(list);

  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(host.CountRequests(tovo::kMsgGetLine), 0u);
  EXPECT_EQ(ListRowCount(list), 200);
}

TEST_F(LoadAll, SplitterSwitchRefillsFromTheStoredLines) {
  Open(30);
  RunLoadAll(false);
  ASSERT_TRUE(WaitFilled(30));
  host.ClearRequests();
  ASSERT_TRUE(session->MenuCommand(window, L"自動検出(&A)"));
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(ListRowCount(list), 30);
  EXPECT_EQ(ListCell(list, 29, 0), L"00030");
  EXPECT_EQ(ListCell(list, 29, 2), L"b,c");
  EXPECT_EQ(host.CountRequests(tovo::kMsgGetLine), 0u);
}

TEST_F(LoadAll, ADocumentTooLargeForMemoryStopsAndKeepsThePage) {
  // The line store may hold 3 MB: one block of text and the line table, a third of the document.
  ASSERT_TRUE(SetEnvironmentVariableW(L"TOVO_TEST_LINE_STORE_LIMIT", L"3000000"));
  struct Unset {
    ~Unset() { SetEnvironmentVariableW(L"TOVO_TEST_LINE_STORE_LIMIT", nullptr); }
  } unset;
  UseWords();
  Open(200000);
  RunLoadAll(true);
  auto box = session->WaitMessageBox();
  ASSERT_TRUE(box) << session->DescribeWindows();
  EXPECT_EQ(box->text, L"メモリが足りないため、全ての行を読み込めませんでした");
  ASSERT_TRUE(session->Answer(*box, IDOK));
  ASSERT_TRUE(session->Sync());
  // The first page, in page mode: the next page comes from the editor.
  EXPECT_EQ(ListRowCount(list), 10);
  EXPECT_EQ(ListCell(list, 9, 1), L"a10");
  EXPECT_EQ(StatusText(status, 2), L"00010");
  EXPECT_TRUE(IsWindowEnabled(FindChildById(window, kRowsPerPageBox)));
  ASSERT_TRUE(session->MenuCommand(window, L"次ページ(&N)"));
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(ListCell(list, 0, 0), L"00011");
  session->CloseWindow(window);
  EXPECT_TRUE(session->WaitReturned());
}

// A big document, so the fill is still running when the test acts.
constexpr int kBig = 1000000;

TEST_F(LoadAll, CommandsDuringAFillDoNotStartAnother) {
  Open(kBig);
  const std::wstring before = StatusText(status, 1);
  RunLoadAll(true);
  // Progress in panel 1 shows the fill is under way.
  ASSERT_TRUE(WaitUntil([&] { return StatusText(status, 1) != before; }));
  for (const wchar_t* command : {L"次ページ(&N)", L"自動検出(&A)", kLoadAll, L"先頭(&T)"}) {
    ASSERT_TRUE(session->MenuCommand(window, command)) << Utf8(command);
  }
  ASSERT_TRUE(WaitFilled(kBig));
  EXPECT_TRUE(session->NoMessageBoxWithin(200));  // no second question
  EXPECT_TRUE(MenuItemState(window, L"自動検出(&A)").checked);
  // One page at start, then the document once.
  EXPECT_EQ(host.CountRequests(tovo::kMsgGetLine), 2u * (10 + kBig));
  EXPECT_EQ(ListCell(list, kBig - 1, 0), L"1000000");
}

constexpr wchar_t kRefused[] = L"処理中のため実行できませんでした";

// Run during a fill, each of these would start a second loop or change what the loop works on:
// they do nothing until it ends, and say so.
TEST_F(LoadAll, HandlersThatMustWaitDoNothingDuringAFill) {
  Open(kBig);
  HWND widthBox = FindChildById(window, tovo::IdComboBox2);
  const int widthChoice = ComboSelected(widthBox);
  const int width = ListColumnWidth(list, 1);
  const std::wstring caption = ListColumnCaption(list, 1);
  const COLORREF back = ListBkColor(list);
  const size_t windows = session->Windows().size();
  const std::wstring before = StatusText(status, 1);
  RunLoadAll(true);
  ASSERT_TRUE(WaitUntil([&] { return StatusText(status, 1) != before; }));
  const wchar_t* const menuItems[] = {
      kLoadAll,
      L"カラム幅の自動調整(&C)",
      L"現在行をヘッダーに設定(&H)",
      L"次を検索(&N)",
      L"前を検索(&P)",
      L"行へ移動(&G)...",
      L"開始時へ移動(S)...",
      L"先頭(&T)",
      L"前ページ(&P)",
      L"次ページ(&N)",
      L"最後(&E)",
      L"強調表示のファイル名(&G)...",
      L"自動検出(&A)",
  };
  for (const wchar_t* item : menuItems) ASSERT_TRUE(session->MenuCommand(window, item)) << Utf8(item);
  for (const wchar_t* button : {L"幅調整(&A)", L"次を検索(&N)", L"次ﾍﾟｰｼﾞ(&E)"}) {
    ASSERT_TRUE(ClickButton(FindChildByText(window, button, L"Button"))) << Utf8(button);
  }
  ASSERT_TRUE(ChooseCombo(widthBox, widthChoice + 3));
  ASSERT_TRUE(session->Sync());
  ASSERT_LT(ListRowCount(list), kBig) << "the fill ended before the test acted";
  // A refused handler opens nothing (a box, a common dialog, a window of ours).
  ASSERT_TRUE(session->NoMessageBoxWithin(100)) << session->DescribeWindows();
  ASSERT_EQ(session->Windows().size(), windows) << session->DescribeWindows();
  EXPECT_NE(StatusText(status, 4).find(kRefused), std::wstring::npos) << Utf8(StatusText(status, 4));

  ASSERT_TRUE(WaitFilled(kBig));
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(StatusText(status, 4).find(kRefused), std::wstring::npos) << "once it has ended, they may run";
  EXPECT_TRUE(session->NoMessageBoxWithin(200));
  EXPECT_EQ(session->Windows().size(), windows) << session->DescribeWindows();
  EXPECT_EQ(ListColumnWidth(list, 1), width);
  EXPECT_EQ(ComboSelected(widthBox), widthChoice);  // the box shows the width in force
  EXPECT_EQ(ListColumnCaption(list, 1), caption);
  EXPECT_EQ(ListBkColor(list), back);
  EXPECT_TRUE(MenuItemState(window, L"自動検出(&A)").checked);
  EXPECT_EQ(host.CountRequests(tovo::kMsgGetLine), 2u * (10 + kBig));
}

// A command that only opens a dialog runs inside the fill, which waits until it closes.
TEST_F(LoadAll, DialogCommandsRunDuringAFill) {
  Open(kBig);
  const std::wstring before = StatusText(status, 1);
  RunLoadAll(true);
  ASSERT_TRUE(WaitUntil([&] { return StatusText(status, 1) != before; }));
  for (const wchar_t* item : {L"文字色(&F)...", L"背景色(&B)...", L"強調表示の文字色 行単位(&H)..."}) {
    ASSERT_TRUE(session->MenuCommand(window, item)) << Utf8(item);
    auto dialog = session->WaitMessageBox();  // the common dialog
    ASSERT_TRUE(dialog) << Utf8(item) << session->DescribeWindows();
    EXPECT_LT(ListRowCount(list), kBig);
    ASSERT_TRUE(session->Answer(*dialog, IDCANCEL));
  }
  ASSERT_TRUE(session->MenuCommand(window, L"キーボード設定(&K)..."));
  HWND keys = session->WaitWindow(L"キーボード設定");
  ASSERT_TRUE(keys) << session->DescribeWindows();
  EXPECT_LT(ListRowCount(list), kBig);
  PostMessageW(keys, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(keys); }));
  ASSERT_TRUE(WaitFilled(kBig));
  EXPECT_EQ(host.CountRequests(tovo::kMsgGetLine), 2u * (10 + kBig));
}

TEST_F(LoadAll, ClosingDuringAFillStopsItAndCloses) {
  UseWords();
  Open(kBig);
  const std::wstring before = StatusText(status, 1);
  RunLoadAll(true);
  ASSERT_TRUE(WaitUntil([&] { return StatusText(status, 1) != before; }));
  session->CloseWindow(window);
  ASSERT_TRUE(session->WaitReturned());
  // It stopped reading part of the way and the closing still saved the settings.
  EXPECT_LT(host.CountRequests(tovo::kMsgGetLine), 2u * (10 + kBig));
  EXPECT_TRUE(IniRead(L"CsvList", L"DispNum").has_value());
  EXPECT_TRUE(FileExists(L"TovoCsvList-Find.txt"));
}

}  // namespace
