// Shortcut keys in the list window: the key-assignment file at start-up, the keys on the menu,
// and key presses finding their commands.
#include "driver/ListWindowTest.h"

#include <commctrl.h>

#include <algorithm>

using namespace tovotest;

namespace {

constexpr wchar_t kKeyFile[] = L"TovoCsvList-KeyMap.txt";
constexpr wchar_t kResetMessage[] = L"キーボード設定項目が変更になったので、キーボード設定を初期化しました";
constexpr wchar_t kNotFound[] = L"検索しましたが見つかりませんでした\r\n";

std::vector<std::wstring> DefaultLines() {
  return {
      L"ファイル\t全て表示(&A)\t\t1001",
      L"ファイル\tカラム幅の自動調整(&C)\t\t1002",
      L"ファイル\t現在行をヘッダーに設定(&H)\t\t1003",
      L"ファイル\t終了(&X)\t\t1011",
      L"検索\t次を検索(&N)\tF3\t1101",
      L"検索\t前を検索(&P)\tShift+F3\t1102",
      L"編集\t行へ移動(&G)...\tCtrl+G\t1201",
      L"編集\t開始時へ移動(S)...\t\t1202",
      L"編集\t先頭(&T)\t\t1203",
      L"編集\t前ページ(&P)\t\t1204",
      L"編集\t次ページ(&N)\t\t1205",
      L"編集\t最後(&E)\t\t1206",
      L"表示\t文字色(&F)...\t\t1301",
      L"表示\t背景色(&B)...\t\t1302",
      L"表示\t強調表示のファイル名(&G)...\t\t1303",
      L"表示\t強調表示の文字色 行単位(&H)...\t\t1304",
      L"表示\t強調表示の文字色 カラム単位(&I)...\t\t1305",
      L"表示\t強調表示を無効(&N)\t\t1306",
      L"表示\t強調表示を有効 行単位(&R)\t\t1307",
      L"表示\t強調表示を有効 カラム単位(&C)\t\t1308",
      L"ツール\tキーボード設定(&K)...\t\t1401",
      L"ヘルプ\tヘルプ表示(&C)...\t\t1501",
      L"CSV設定\t自動検出(&A)\t\t1601",
      L"CSV設定\tカンマ区切り 11,\"22,22\",33 (&M)\t\t1602",
      L"検索\t一致数を数える(&U)\t\t1105",
      L"検索\t正規表現(&X)\t\t1103",
      L"検索\tこのカラムのみ(&O)\t\t1104",
      L"検索\tこのカラムで絞り込み(&C)...\t\t1106",
      L"検索\tこのカラムの絞り込みを解除(&R)\t\t1107",
      L"検索\tカラムの統計(&T)...\t\t1108",
  };
}


// The lines with the key of the command `id` replaced.
std::vector<std::wstring> WithKey(std::vector<std::wstring> lines, std::wstring_view id, std::wstring_view key) {
  for (auto& line : lines) {
    if (!line.ends_with(std::wstring(L"\t") + std::wstring(id))) continue;
    const size_t second = line.find(L'\t', line.find(L'\t') + 1);
    const size_t third = line.find(L'\t', second + 1);
    line = line.substr(0, second + 1) + std::wstring(key) + line.substr(third);
  }
  return lines;
}

void WriteKeyFile(const std::vector<std::wstring>& lines, std::wstring_view tail = L"") {
  std::wstring text;
  for (const auto& line : lines) text += line + L"\r\n";
  WriteText(kKeyFile, text + std::wstring(tail));
}

HWND SearchBox(HWND window) { return FindChildByClass(window, L"ComboBox", 0); }

// Puts the focus into the search box's edit, as a click into it would.
bool FocusSearchBox(Session& s, HWND box) {
  AttachThreadInput(GetCurrentThreadId(), s.UiThreadId(), TRUE);
  SetFocus(FindChildByClass(box, L"Edit"));
  AttachThreadInput(GetCurrentThreadId(), s.UiThreadId(), FALSE);
  return WaitUntil([&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(s.UiThreadId(), &info) && info.hwndFocus && IsChild(box, info.hwndFocus);
  });
}

class Keys : public ListWindowTest {
 protected:
  // Opens the window on the settings as they stand.
  void Open(std::vector<std::wstring> lines = {L"a,b", L"c,d", L"e,f"}) {
    Launch(std::move(lines));
    window = session->WaitWindow(kListCaption);
  }
};

TEST_F(Keys, FirstOpeningWritesTheCommandTableAndShowsTheDefaultKeys) {
  Open();
  ASSERT_TRUE(window) << session->DescribeWindows();
  EXPECT_TRUE(session->NoMessageBoxWithin(400));
  EXPECT_EQ(ReadLines(kKeyFile), DefaultLines());
  // Written in the ANSI code page where it holds the Japanese names (932), otherwise as UTF-8
  // with a mark so they survive; every line ended by CR LF.
  const auto bytes = ReadBytes(kKeyFile);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->substr(0, 9), JapaneseCodePage() ? "\x83t\x83@\x83"
                                                      "C\x83\x8B\t"
                                                    : "\xEF\xBB\xBF\xE3\x83\x95\xE3\x82\xA1");
  EXPECT_EQ(bytes->substr(bytes->size() - 7), "\t1108\r\n");

  EXPECT_EQ(MenuItemText(window, L"次を検索(&N)"), L"次を検索(&N)\tF3");
  EXPECT_EQ(MenuItemText(window, L"前を検索(&P)"), L"前を検索(&P)\tShift+F3");
  EXPECT_EQ(MenuItemText(window, L"行へ移動(&G)..."), L"行へ移動(&G)...\tCtrl+G");
  EXPECT_EQ(MenuItemText(window, L"先頭(&T)"), L"先頭(&T)");
}

TEST_F(Keys, FileWithTheWrongLineCountIsResetWithOneMessage) {
  const auto custom = WithKey(DefaultLines(), L"1203", L"F5");
  struct Case {
    const char* what;
    std::vector<std::wstring> lines;
    std::wstring tail;
  };
  const Case cases[] = {
      {"23 lines", {custom.begin(), custom.end() - 1}, L""},
      {"25 lines", custom, L"ヘルプ\tおまけ\tF6\t1502\r\n"},
      {"a blank 25th line", custom, L"\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EndSession();
    ResetPluginsDir();
    WriteKeyFile(c.lines, c.tail);
    Open();
    ASSERT_TRUE(window);
    auto box = session->WaitMessageBox();
    ASSERT_TRUE(box) << session->DescribeWindows();
    EXPECT_EQ(Utf8(box->text), Utf8(kResetMessage));
    EXPECT_TRUE(box->hasOk);
    EXPECT_TRUE(IsWindowVisible(window));  // the message comes after the window
    ASSERT_TRUE(session->Answer(*box, IDOK));
    EXPECT_TRUE(session->NoMessageBoxWithin(400));
    EXPECT_EQ(ReadLines(kKeyFile), DefaultLines());
    EXPECT_EQ(MenuItemText(window, L"先頭(&T)"), L"先頭(&T)");
    EXPECT_EQ(MenuItemText(window, L"次を検索(&N)"), L"次を検索(&N)\tF3");
  }
}

// An earlier version's file (before the search options: 24 lines; before the column filters: 27)
// keeps every key; the new commands join with their defaults, silently.
TEST_F(Keys, EarlierFilesKeepTheirKeysAndGainTheNewCommands) {
  const std::vector<std::wstring> keyed = WithKey(WithKey(DefaultLines(), L"1203", L"F5"), L"1101", L"Ctrl+F");
  for (size_t count : {24u, 27u}) {
    SCOPED_TRACE(count);
    std::vector<std::wstring> earlier = keyed;
    earlier.resize(count);
    std::reverse(earlier.begin(), earlier.end());
    WriteKeyFile(earlier);
    Open();
    ASSERT_TRUE(window) << session->DescribeWindows();
    EXPECT_TRUE(session->NoMessageBoxWithin(400));
    EXPECT_EQ(ReadLines(kKeyFile), keyed);
    EXPECT_EQ(MenuItemText(window, L"先頭(&T)"), L"先頭(&T)\tF5");
    EXPECT_EQ(MenuItemText(window, L"次を検索(&N)"), L"次を検索(&N)\tCtrl+F");
  }
}

TEST_F(Keys, LinesInAnotherOrderAreTakenByIdentifier) {
  auto lines = WithKey(WithKey(DefaultLines(), L"1203", L"Shift+Ctrl+Alt+Del"), L"1101", L"");
  lines = WithKey(lines, L"1205", L"Ctrl+Space");  // no such key name: no working key
  std::reverse(lines.begin(), lines.end());
  WriteKeyFile(lines);
  const auto before = ReadBytes(kKeyFile);
  Open();
  ASSERT_TRUE(window);
  EXPECT_TRUE(session->NoMessageBoxWithin(400));
  EXPECT_EQ(ReadBytes(kKeyFile), before);
  EXPECT_EQ(MenuItemText(window, L"先頭(&T)"), L"先頭(&T)\tShift+Ctrl+Alt+Del");
  EXPECT_EQ(MenuItemText(window, L"次を検索(&N)"), L"次を検索(&N)");
  EXPECT_EQ(MenuItemText(window, L"次ページ(&N)"), L"次ページ(&N)");
  EXPECT_EQ(MenuItemText(window, L"前を検索(&P)"), L"前を検索(&P)\tShift+F3");
}

TEST_F(Keys, F3SearchesAndEscCloses) {
  Open();
  ASSERT_TRUE(window);
  HWND list = FindChildByClass(window, L"SysListView32");
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == 3; })) << ListRowCount(list);

  ASSERT_TRUE(SetComboText(SearchBox(window), L"zzz"));
  ASSERT_TRUE(session->PressKeys(window, VK_F3));
  auto box = session->WaitMessageBox();
  ASSERT_TRUE(box) << session->DescribeWindows();
  EXPECT_EQ(Utf8(box->text), Utf8(std::wstring(kNotFound) + L"zzz"));
  ASSERT_TRUE(session->Answer(*box, IDOK));

  ASSERT_TRUE(SetComboText(SearchBox(window), L"f"));
  ASSERT_TRUE(session->PressKeys(window, VK_F3));
  EXPECT_TRUE(WaitUntil([&] { return ListSelected(list) == 2; })) << ListSelected(list);
  EXPECT_TRUE(session->NoMessageBoxWithin(200));

  // The window is gone before the key comes up: the press is not waited for.
  session->PressKeys(window, VK_ESCAPE, false, false, false, 500);
  EXPECT_TRUE(session->WaitReturned());
}

TEST_F(Keys, AnAssignedKeyTakesPrecedenceOverItsOwnMeaning) {
  // Esc on the settings command: it opens the dialog instead of closing the window. Esc on the
  // disabled 1602 item: swallowed, nothing at all happens.
  struct Case {
    const char* what;
    const wchar_t* id;
    bool opensDialog;
  };
  for (const Case& c : {Case{"enabled item", L"1401", true}, Case{"disabled item", L"1602", false}}) {
    SCOPED_TRACE(c.what);
    EndSession();
    ResetPluginsDir();
    WriteKeyFile(WithKey(DefaultLines(), c.id, L"Esc"));
    Open();
    ASSERT_TRUE(window);
    ASSERT_TRUE(session->PressKeys(window, VK_ESCAPE));
    ASSERT_TRUE(session->Sync());
    EXPECT_FALSE(session->Returned());
    HWND dialog = session->WaitWindow(L"キーボード設定", c.opensDialog ? kTimeoutMs : 300);
    EXPECT_EQ(dialog != nullptr, c.opensDialog);
    if (dialog) {
      ASSERT_TRUE(session->PressKeys(dialog, VK_ESCAPE));  // the dialog's own Esc
      ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    }
    EXPECT_TRUE(session->NoMessageBoxWithin(200));
    EXPECT_FALSE(session->Returned());
    session->CloseWindow(window);
    EXPECT_TRUE(session->WaitReturned());
  }
}

// Each label's access key moves the focus into the box after it, from anywhere in the window.
TEST_F(Keys, LabelAccessKeysFocusTheirBoxes) {
  Open();
  ASSERT_TRUE(window) << session->DescribeWindows();
  const struct {
    UINT key;
    int box;  // among the window's combo boxes: search, rows per page, width
  } cases[] = {{'D', 0}, {'L', 1}, {'W', 2}, {'D', 0}};
  for (const auto& c : cases) {
    HWND box = FindChildByClass(window, L"ComboBox", c.box);
    ASSERT_TRUE(box);
    ASSERT_TRUE(session->PressKeys(window, c.key, false, false, true));
    EXPECT_TRUE(WaitUntil(
        [&] {
          GUITHREADINFO info{};
          info.cbSize = sizeof info;
          return GetGUIThreadInfo(session->UiThreadId(), &info) && info.hwndFocus &&
                 (info.hwndFocus == box || IsChild(box, info.hwndFocus));
        },
        2000))
        << "Alt+" << static_cast<char>(c.key);
  }
  // In the go-to-line dialog the label's key selects the number, so typing replaces it.
  ASSERT_TRUE(session->MenuCommand(window, L"行へ移動(&G)..."));
  HWND jump = session->WaitWindow(L"行へ移動");
  ASSERT_TRUE(jump) << session->DescribeWindows();
  HWND edit = FindChildByClass(jump, L"Edit");
  ASSERT_TRUE(edit);
  SendMessageW(edit, EM_SETSEL, 0, 0);
  ASSERT_TRUE(session->PressKeys(jump, VK_TAB));  // on to the OK button
  ASSERT_TRUE(session->PressKeys(jump, 'N', false, false, true));
  DWORD from = 1, to = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, static_cast<DWORD>(WindowText(edit).size()));
  EXPECT_GT(to, 0u);
  session->CloseWindow(jump);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(jump); }));
}

TEST_F(Keys, ALetterRunsItsCommandFromTheSearchBoxAndIsNotTyped) {
  WriteKeyFile(WithKey(DefaultLines(), L"1101", L"Q"));
  Open();
  ASSERT_TRUE(window);
  HWND box = SearchBox(window);
  ASSERT_TRUE(SetComboText(box, L"zzz"));
  ASSERT_TRUE(FocusSearchBox(*session, box));

  ASSERT_TRUE(session->PressKeys(window, 'Q'));
  auto message = session->WaitMessageBox();
  ASSERT_TRUE(message) << session->DescribeWindows();
  EXPECT_EQ(Utf8(message->text), Utf8(std::wstring(kNotFound) + L"zzz"));
  ASSERT_TRUE(session->Answer(*message, IDOK));
  EXPECT_EQ(ComboText(box), L"zzz");

  // A letter that is no command's key is typed as usual.
  ASSERT_TRUE(FocusSearchBox(*session, box));
  ASSERT_TRUE(session->PressKeys(window, 'W'));
  ASSERT_TRUE(session->Sync());
  EXPECT_NE(ComboText(box).find_first_of(L"wW"), std::wstring::npos) << Utf8(ComboText(box));
}

TEST_F(Keys, AKeyFileThatCannotBeReadOrWrittenIsReportedAndTheKeysStay) {
  WriteKeyFile(DefaultLines());
  Open();
  ASSERT_TRUE(window);
  ASSERT_TRUE(SetComboText(SearchBox(window), L"zzz"));

  // Held open without sharing: neither the dialog nor the list window can read it.
  HANDLE lock = CreateFileW(PluginFile(kKeyFile).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(session->MenuCommand(window, L"キーボード設定(&K)..."));
  HWND dialog = session->WaitWindow(L"キーボード設定");
  ASSERT_TRUE(dialog);
  auto box = session->WaitMessageBox();
  ASSERT_TRUE(box) << session->DescribeWindows();
  EXPECT_NE(box->text.find(L"読み込めませんでした"), std::wstring::npos) << Utf8(box->text);
  ASSERT_TRUE(session->Answer(*box, IDOK));
  // Saving the empty key map it has would wipe the file: refused with a message.
  ASSERT_TRUE(ClickButton(FindChildByText(dialog, L"保存(&S)", L"Button")));
  box = session->WaitMessageBox();
  ASSERT_TRUE(box);
  ASSERT_TRUE(session->Answer(*box, IDOK));
  EXPECT_TRUE(IsWindowVisible(dialog));
  ASSERT_TRUE(ClickButton(FindChildByText(dialog, L"閉じる(&C)", L"Button")));
  box = session->WaitMessageBox();
  ASSERT_TRUE(box) << session->DescribeWindows();
  EXPECT_NE(box->text.find(L"読み込めませんでした"), std::wstring::npos) << Utf8(box->text);
  ASSERT_TRUE(session->Answer(*box, IDOK));
  CloseHandle(lock);

  EXPECT_EQ(MenuItemText(window, L"次を検索(&N)"), L"次を検索(&N)\tF3");
  ASSERT_TRUE(session->PressKeys(window, VK_F3));
  box = session->WaitMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(Utf8(box->text), Utf8(std::wstring(kNotFound) + L"zzz"));
  ASSERT_TRUE(session->Answer(*box, IDOK));
}

TEST_F(Keys, AResetThatCannotBeWrittenIsReportedAfterTheResetMessage) {
  WriteKeyFile(WithKey(DefaultLines(), L"1101", L"F5"), L"\r\n");
  // Open for reading only, not for replacing.
  HANDLE hold =
      CreateFileW(PluginFile(kKeyFile).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(hold, INVALID_HANDLE_VALUE);
  Open();
  ASSERT_TRUE(window);
  auto box = session->WaitMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(Utf8(box->text), Utf8(kResetMessage));
  ASSERT_TRUE(session->Answer(*box, IDOK));
  box = session->WaitMessageBox();
  ASSERT_TRUE(box) << session->DescribeWindows();
  EXPECT_NE(box->text.find(L"保存できませんでした"), std::wstring::npos) << Utf8(box->text);
  ASSERT_TRUE(session->Answer(*box, IDOK));
  CloseHandle(hold);
  // The defaults are in force even though the file keeps its old text.
  EXPECT_EQ(MenuItemText(window, L"次を検索(&N)"), L"次を検索(&N)\tF3");
  EXPECT_EQ(ReadLines(kKeyFile).size(), DefaultLines().size() + 1);
}

}  // namespace
