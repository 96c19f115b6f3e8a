// The keyboard settings dialog, opened from the list window as the user does.
#include "driver/ListWindowTest.h"

#include <commctrl.h>

#include <functional>
#include <utility>

using namespace tovotest;

namespace {

constexpr wchar_t kKeyFile[] = L"TovoCsvList-KeyMap.txt";
constexpr wchar_t kDialog[] = L"キーボード設定";
constexpr COLORREF kAqua = RGB(0, 255, 255);
// Entries of the key list: a space, 0-9, A-Z, F1-F12, then the named keys.
constexpr int kKeyF3 = 39, kKeyF5 = 41, kKeyH = 18, kKeyQ = 27;

std::vector<std::wstring> WithKey(std::vector<std::wstring> lines, std::wstring_view id, std::wstring_view key) {
  for (auto& line : lines) {
    if (!line.ends_with(std::wstring(L"\t") + std::wstring(id))) continue;
    const size_t second = line.find(L'\t', line.find(L'\t') + 1);
    const size_t third = line.find(L'\t', second + 1);
    line = line.substr(0, second + 1) + std::wstring(key) + line.substr(third);
  }
  return lines;
}

std::wstring LineOf(const std::vector<std::wstring>& lines, std::wstring_view id) {
  for (const auto& line : lines)
    if (line.ends_with(std::wstring(L"\t") + std::wstring(id))) return line;
  return {};
}

void WriteKeyFile(const std::vector<std::wstring>& lines) {
  std::wstring text;
  for (const auto& line : lines) text += line + L"\r\n";
  WriteText(kKeyFile, text);
}

// The list window with its dialog open; the defaults are what the first opening wrote.
class KeyBoard : public ListWindowTest {
 protected:
  HWND dialog = nullptr, commands = nullptr;
  HWND combo[5] = {};
  std::vector<std::wstring> defaults;

  // `before` runs once the list window is open, before the dialog is.
  bool Open(const std::function<void()>& before = {}) {
    Launch({L"a,b", L"c,d"});
    window = session->WaitWindow(kListCaption);
    if (!window) return false;
    defaults = ReadLines(kKeyFile);
    if (before) before();
    return OpenDialog();
  }
  bool OpenDialog() {
    if (!session->MenuCommand(window, L"キーボード設定(&K)...")) return false;
    dialog = session->WaitWindow(kDialog);
    if (!dialog) return false;
    commands = FindChildByClass(dialog, L"SysListView32");
    for (int i = 0; i < 5; ++i) combo[i] = FindChildByClass(dialog, L"ComboBox", i);
    return commands && combo[4];
  }
  HWND Button(const wchar_t* caption) const { return FindChildByText(dialog, caption, L"Button"); }
  // The dialog's window goes before the list window has read the key file again: wait for the
  // UI thread to be back in the list window's loop as well.
  bool DialogGone() const {
    return WaitUntil([&] { return !IsWindow(dialog); }) && session->Sync();
  }
  // Selects a row as a click would (the lists follow the selection).
  void SelectRow(int row) const {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    Send(commands, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  }
  std::optional<MessageBoxInfo> Choose(int comboIndex, int entry) {
    ChooseCombo(combo[comboIndex], entry);
    if (!session->Sync()) return std::nullopt;
    if (session->NoMessageBoxWithin(150)) return std::nullopt;
    return session->WaitMessageBox();
  }
};

TEST_F(KeyBoard, LayoutListsAndFirstCategory) {
  ASSERT_TRUE(Open()) << session->DescribeWindows();
  const RECT outer = WindowRectOf(dialog);
  EXPECT_GE(outer.right - outer.left, 900);
  EXPECT_GE(outer.bottom - outer.top, 460);
  const SIZE client = ClientSizeOf(dialog);
  EXPECT_GE(client.cx, 886);
  EXPECT_GE(client.cy, 423);

  auto listRect = [&] {
    RECT r = WindowRectOf(commands);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  auto checkList = [&](SIZE c) {
    const RECT r = listRect();
    EXPECT_EQ(r.left, 25);
    EXPECT_EQ(r.top, 85);
    EXPECT_EQ(r.right - r.left, c.cx - 45);
    EXPECT_EQ(r.bottom - r.top, c.cy - 145);
  };
  checkList(client);
  SetWindowPos(dialog, nullptr, 0, 0, 1200, 700, SWP_NOMOVE | SWP_NOZORDER);
  ASSERT_TRUE(session->Sync());
  checkList(ClientSizeOf(dialog));
  MINMAXINFO limits{};
  Send(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, 900);
  EXPECT_EQ(limits.ptMinTrackSize.y, 460);

  // Tab order: the bottom panel's buttons, then the upper panel's controls as listed.
  std::vector<std::wstring> order;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const std::wstring cls = ClassName(c);
    order.push_back(cls == L"Button" || cls == L"Static" ? WindowText(c) : cls);
  }
  EXPECT_EQ(order,
            (std::vector<std::wstring>{L"保存(&S)", L"閉じる(&C)", L"キーボードマップを表示(&M)", L"カテゴリ(&L)",
                                       L"ComboBox", L"SysListView32", L"新キー(&N)", L"ComboBox", L"ComboBox",
                                       L"ComboBox", L"ComboBox", L"ｸﾘｱ(&R)", L"初期化(&I)"}));

  EXPECT_EQ(ListColumnCount(commands), 4);
  const std::pair<const wchar_t*, int> columns[] = {{L"コマンド", 445}, {L"現在のキー", 295}, {L"機能", 60}, {L"", 10}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(ListColumnCaption(commands, i), columns[i].first);
    EXPECT_EQ(ListColumnWidth(commands, i), columns[i].second);
  }
  EXPECT_EQ(ComboItems(combo[0]),
            (std::vector<std::wstring>{L"ファイル", L"検索", L"編集", L"表示", L"ツール", L"ヘルプ", L"CSV設定"}));
  EXPECT_EQ(ComboItems(combo[1]), (std::vector<std::wstring>{L" ", L"Shift"}));
  EXPECT_EQ(ComboItems(combo[3]), (std::vector<std::wstring>{L" ", L"Alt"}));
  const auto keys = ComboItems(combo[4]);
  ASSERT_EQ(keys.size(), 63u);
  EXPECT_EQ(keys[0], L" ");
  EXPECT_EQ(keys[kKeyF3], L"F3");
  EXPECT_EQ(keys[62], L"BkSp");

  EXPECT_EQ(ComboSelected(combo[0]), 0);
  ASSERT_EQ(ListRowCount(commands), 4);
  EXPECT_EQ(ListCell(commands, 0, 0), L"全て表示(&A)");
  EXPECT_EQ(ListCell(commands, 3, 2), L"1011");
  EXPECT_EQ(ListSelected(commands), 0);
}

TEST_F(KeyBoard, ComposedKeysAreCheckedBeforeTheyAreAssigned) {
  ASSERT_TRUE(Open());
  ChooseCombo(combo[0], 1);  // 検索: 次を検索 F3, 前を検索 Shift+F3 and the six keyless commands
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(commands) == 8; }));
  EXPECT_EQ(ComboSelected(combo[4]), kKeyF3);
  EXPECT_EQ(ComboSelected(combo[1]), 0);
  SelectRow(1);
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(ComboSelected(combo[1]), 1);  // Shift+F3

  auto box = Choose(1, 0);  // Shift off: F3 is 次を検索's
  ASSERT_TRUE(box);
  EXPECT_EQ(Utf8(box->text), Utf8(L"「検索」\r\nで既に使用済みですので設定できません"));
  ASSERT_TRUE(session->Answer(*box, IDOK));
  box = Choose(1, 1);  // back to Shift+F3, the row's own key
  ASSERT_TRUE(box);
  EXPECT_EQ(Utf8(box->text), Utf8(L"同一の設定です"));
  ASSERT_TRUE(session->Answer(*box, IDOK));
  EXPECT_EQ(ListCell(commands, 1, 1), L"Shift+F3");

  ChooseCombo(combo[0], 2);  // 編集: 行へ移動 has Ctrl+G, 先頭 (row 2) none
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(commands) == 6; }));
  SelectRow(2);
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(ComboSelected(combo[4]), 0);
  box = Choose(2, 1);  // Ctrl without a key
  ASSERT_TRUE(box);
  EXPECT_EQ(Utf8(box->text), Utf8(L"Shift,Ctrl,Altのキーが設定されていますが\r\nキーが設定されていません"));
  ASSERT_TRUE(session->Answer(*box, IDOK));
  EXPECT_EQ(ComboSelected(combo[2]), 1);  // the user's choice stays
  EXPECT_FALSE(Choose(4, kKeyH));         // Ctrl+H is free
  EXPECT_EQ(ListCell(commands, 2, 1), L"Ctrl+H");

  // Typing a letter in the key list picks its entry and assigns it at once.
  ChooseCombo(combo[2], 0);  // Ctrl off: assigns H
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(ListCell(commands, 2, 1), L"H");
  TypeChars(combo[4], L"Q");
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(ComboSelected(combo[4]), kKeyQ);
  EXPECT_EQ(ListCell(commands, 2, 1), L"Q");
  EXPECT_TRUE(session->NoMessageBoxWithin(150));
}

TEST_F(KeyBoard, TheListsFollowTheSelectionWheneverItMovesAndOnlyThen) {
  ASSERT_TRUE(Open());
  ChooseCombo(combo[0], 1);  // 検索: 次を検索 F3, 前を検索 Shift+F3 and the three keyless options
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(commands) == 8; }));
  auto shown = [&] { return std::pair(ComboSelected(combo[1]), ComboSelected(combo[4])); };

  // A refused choice stays in the lists through a key that leaves the selection where it is.
  auto box = Choose(1, 1);  // Shift+F3 is 前を検索's
  ASSERT_TRUE(box);
  ASSERT_TRUE(session->Answer(*box, IDOK));
  ASSERT_TRUE(session->PostKey(commands, VK_HOME));
  EXPECT_EQ(shown(), std::pair(1, kKeyF3));
  ASSERT_TRUE(session->PostKey(commands, VK_DOWN));
  ASSERT_TRUE(session->PostKey(commands, VK_HOME));
  EXPECT_EQ(shown(), std::pair(0, kKeyF3));

  // With no row selected, a choice selects the first row, and the lists show that row's key as
  // they do for a row the user selects: the new key when it was assigned, else the old one.
  const struct {
    const char* what;
    int comboIndex, entry;
    bool refused;
    const wchar_t* rowKey;
    std::pair<int, int> lists;
  } cases[] = {{"Shift+F3 refused", 1, 1, true, L"F3", {0, kKeyF3}},
               {"F5 assigned", 4, kKeyF5, false, L"F5", {0, kKeyF5}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED;
    Send(commands, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    ASSERT_EQ(ListSelected(commands), -1);
    box = Choose(c.comboIndex, c.entry);
    EXPECT_EQ(box.has_value(), c.refused);
    if (box) {
      ASSERT_TRUE(session->Answer(*box, IDOK));
    }
    EXPECT_EQ(ListSelected(commands), 0);
    EXPECT_EQ(ListCell(commands, 0, 1), c.rowKey);
    EXPECT_EQ(shown(), c.lists);
  }
}

TEST_F(KeyBoard, SavedKeysTakeEffectAtOnce) {
  struct Case {
    const char* what;
    bool clear;
    const wchar_t* key;
    UINT works, dead;  // a key that now searches, and one that no longer does
  };
  for (const Case& c : {Case{"F5 chosen", false, L"F5", VK_F5, VK_F3}, Case{"cleared", true, L"", 0, VK_F3}}) {
    SCOPED_TRACE(c.what);
    ResetPluginsDir();
    ASSERT_TRUE(Open());
    SetComboText(FindChildByClass(window, L"ComboBox", 0), L"zzz");
    ChooseCombo(combo[0], 1);
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(commands) == 8; }));
    if (c.clear) {
      ASSERT_TRUE(ClickButton(Button(L"ｸﾘｱ(&R)")));
    } else {
      ChooseCombo(combo[4], kKeyF5);
    }
    ASSERT_TRUE(session->Sync());
    EXPECT_EQ(ListCell(commands, 0, 1), c.key);
    ASSERT_TRUE(ClickButton(Button(L"保存(&S)")));
    ASSERT_TRUE(DialogGone());

    EXPECT_EQ(LineOf(ReadLines(kKeyFile), L"1101"), std::wstring(L"検索\t次を検索(&N)\t") + c.key + L"\t1101");
    EXPECT_EQ(MenuItemText(window, L"次を検索(&N)"), std::wstring(L"次を検索(&N)") + (*c.key ? L"\t" : L"") + c.key);
    ASSERT_TRUE(session->PressKeys(window, c.dead));
    EXPECT_TRUE(session->NoMessageBoxWithin(300));
    if (c.works) {
      ASSERT_TRUE(session->PressKeys(window, c.works));
      auto box = session->WaitMessageBox();
      ASSERT_TRUE(box);
      EXPECT_EQ(Utf8(box->text), Utf8(L"検索しましたが見つかりませんでした\r\nzzz"));
      ASSERT_TRUE(session->Answer(*box, IDOK));
    }
  }
}

TEST_F(KeyBoard, EscLeavesWithoutSavingFromAnyControl) {
  // Alt+L and Alt+N are the labels' access keys: the focus goes to the category or Shift list.
  for (UINT accessKey : {UINT('L'), UINT('N')}) {
    ResetPluginsDir();
    ASSERT_TRUE(Open());
    const auto before = ReadBytes(kKeyFile);
    ChooseCombo(combo[4], kKeyF5);
    ASSERT_TRUE(session->Sync());
    ASSERT_EQ(ListCell(commands, 0, 1), L"F5");
    ASSERT_TRUE(session->PressKeys(dialog, accessKey, false, false, true));
    ASSERT_TRUE(session->PressKeys(dialog, VK_ESCAPE));
    ASSERT_TRUE(DialogGone());
    EXPECT_EQ(ReadBytes(kKeyFile), before);
    EXPECT_FALSE(session->Returned());  // the list window stays
    EXPECT_EQ(MenuItemText(window, L"全て表示(&A)"), L"全て表示(&A)");
  }
}

TEST_F(KeyBoard, InitialiseAsksThenWritesTheCommandTable) {
  const auto custom = [&] { return WithKey(WithKey(defaults, L"1101", L"F5"), L"1001", L"F6"); };
  ASSERT_TRUE(Open([&] { WriteKeyFile(custom()); }));
  EXPECT_EQ(ListCell(commands, 0, 1), L"F6");

  for (int answer : {IDNO, IDYES}) {
    ASSERT_TRUE(ClickButton(Button(L"初期化(&I)")));
    auto box = session->WaitMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(Utf8(box->text), Utf8(L"設定を初期化して保存します。初期化を実行しますか？"));
    EXPECT_TRUE(box->hasYes && box->hasNo);
    EXPECT_EQ(box->icon, BoxIcon::Information);
    ASSERT_TRUE(session->Answer(*box, answer));
    ASSERT_TRUE(session->Sync());
    EXPECT_EQ(ReadLines(kKeyFile), answer == IDYES ? defaults : custom());
  }
  EXPECT_EQ(ComboSelected(combo[0]), 0);
  EXPECT_EQ(ListCell(commands, 0, 1), L"");
  // Leaving without saving keeps what the reset wrote.
  ASSERT_TRUE(ClickButton(Button(L"閉じる(&C)")));
  ASSERT_TRUE(DialogGone());
  EXPECT_EQ(ReadLines(kKeyFile), defaults);
  EXPECT_EQ(MenuItemText(window, L"次を検索(&N)"), L"次を検索(&N)\tF3");
}

// The list window asked to close under the dialog: the dialog keeps working on whole lists (a
// reset writes the full table, not an empty one), and the command ends once the dialog has gone.
TEST_F(KeyBoard, AClosingAskedWhileTheDialogIsUpWaitsForIt) {
  ASSERT_TRUE(Open());
  session->CloseWindow(window);
  ASSERT_TRUE(session->Sync());
  ASSERT_TRUE(ClickButton(Button(L"初期化(&I)")));
  auto box = session->WaitMessageBox();
  ASSERT_TRUE(box);
  ASSERT_TRUE(session->Answer(*box, IDYES));
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(ReadLines(kKeyFile), defaults);
  EXPECT_FALSE(session->Returned());
  ASSERT_TRUE(ClickButton(Button(L"閉じる(&C)")));
  EXPECT_TRUE(session->WaitReturned());
}

TEST_F(KeyBoard, TheChosenRowStaysAquaWhileTheListHasNoFocus) {
  ASSERT_TRUE(Open());
  ASSERT_TRUE(session->Sync());
  const RECT first = ListCellRect(commands, 0, 3);  // the narrow last column: no text in it
  const RECT second = ListCellRect(commands, 1, 3);
  auto colourAt = [&](const RECT& r) {
    return CaptureWindowPixels(commands).At((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  };
  EXPECT_EQ(colourAt(first), kAqua);
  EXPECT_NE(colourAt(second), kAqua);
  ASSERT_TRUE(session->PressKeys(dialog, VK_TAB));  // from the category list to the command list
  ASSERT_TRUE(WaitUntil([&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(session->UiThreadId(), &info) && info.hwndFocus == commands;
  }));
  ASSERT_TRUE(session->Sync());
  EXPECT_NE(colourAt(first), kAqua);
}

TEST_F(KeyBoard, AMissingFileGivesEmptyListsAndSavingWritesAnEmptyFile) {
  ASSERT_TRUE(Open([] { DeleteFileIn(kKeyFile); }));
  EXPECT_TRUE(ComboItems(combo[0]).empty());
  EXPECT_EQ(ListRowCount(commands), 0);
  EXPECT_FALSE(Choose(4, kKeyF5));  // nothing to assign to, and no message
  ASSERT_TRUE(ClickButton(Button(L"保存(&S)")));
  ASSERT_TRUE(DialogGone());
  EXPECT_EQ(ReadBytes(kKeyFile), std::optional<std::string>(""));
  EXPECT_EQ(MenuItemText(window, L"次を検索(&N)"), L"次を検索(&N)\tF3");  // an empty map changes nothing
}

TEST_F(KeyBoard, ASaveThatFailsIsReportedAndTheDialogStays) {
  // Held open for reading only: the file cannot be replaced.
  HANDLE hold = INVALID_HANDLE_VALUE;
  ASSERT_TRUE(Open([&] {
    hold = CreateFileW(PluginFile(kKeyFile).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  }));
  ASSERT_NE(hold, INVALID_HANDLE_VALUE);
  ChooseCombo(combo[4], kKeyF5);
  ASSERT_TRUE(session->Sync());
  ASSERT_TRUE(ClickButton(Button(L"保存(&S)")));
  auto box = session->WaitMessageBox();
  ASSERT_TRUE(box) << session->DescribeWindows();
  EXPECT_NE(box->text.find(L"保存できませんでした"), std::wstring::npos) << Utf8(box->text);
  ASSERT_TRUE(session->Answer(*box, IDOK));
  EXPECT_TRUE(IsWindowVisible(dialog));
  CloseHandle(hold);
  ASSERT_TRUE(session->PressKeys(dialog, VK_ESCAPE));
  ASSERT_TRUE(DialogGone());
  EXPECT_EQ(ReadLines(kKeyFile), defaults);
  EXPECT_EQ(MenuItemText(window, L"次を検索(&N)"), L"次を検索(&N)\tF3");
}

}  // namespace
