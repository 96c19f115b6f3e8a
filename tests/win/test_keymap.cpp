// The keyboard map window, opened from the keyboard settings dialog.
#include "driver/ListWindowTest.h"

#include <commctrl.h>

#include <algorithm>

using namespace tovotest;

namespace {

constexpr wchar_t kKeyFile[] = L"TovoCsvList-KeyMap.txt";
constexpr wchar_t kMapCaption[] = L"キーボードマップ";

std::vector<std::wstring> WithKey(std::vector<std::wstring> lines, std::wstring_view id, std::wstring_view key) {
  for (auto& line : lines) {
    if (!line.ends_with(std::wstring(L"\t") + std::wstring(id))) continue;
    const size_t second = line.find(L'\t', line.find(L'\t') + 1);
    const size_t third = line.find(L'\t', second + 1);
    line = line.substr(0, second + 1) + std::wstring(key) + line.substr(third);
  }
  return lines;
}

std::wstring IdOf(const std::wstring& line) { return line.substr(line.rfind(L'\t') + 1); }

std::wstring Joined(const std::vector<std::wstring>& lines) {
  std::wstring text;
  for (const auto& line : lines) text += line + L"\r\n";
  return text;
}

class KeyMap : public ListWindowTest {
 protected:
  HWND dialog = nullptr, map = nullptr, mapList = nullptr;
  std::vector<std::wstring> defaults;

  // `before` runs with the settings dialog open, just before the map window is asked for.
  bool Open(const std::function<void()>& before = {}) {
    Launch({L"a,b"});
    window = session->WaitWindow(kListCaption);
    if (!window) return false;
    defaults = ReadLines(kKeyFile);
    if (!session->MenuCommand(window, L"キーボード設定(&K)...")) return false;
    dialog = session->WaitWindow(L"キーボード設定");
    if (!dialog) return false;
    if (before) before();
    if (!ClickButton(FindChildByText(dialog, L"キーボードマップを表示(&M)", L"Button"))) return false;
    map = session->WaitWindow(kMapCaption);
    mapList = map ? FindChildByClass(map, L"SysListView32") : nullptr;
    return mapList != nullptr;
  }
  bool Click(const wchar_t* caption) {
    return ClickButton(FindChildByText(map, caption, L"Button")) && session->Sync();
  }
  std::vector<std::wstring> ShownIds() const {
    std::vector<std::wstring> ids;
    for (int row = 0; row < ListRowCount(mapList); ++row) ids.push_back(ListCell(mapList, row, 3));
    return ids;
  }
};

TEST_F(KeyMap, ShowsTheFileThenGroupsSortsAndCopies) {
  std::vector<std::wstring> lines;
  ASSERT_TRUE(Open([&] {
    lines = WithKey(WithKey(WithKey(defaults, L"1001", L"Ctrl+F10"), L"1002", L"Ctrl+F2"), L"1003", L"Alt+Shift+X");
    WriteText(kKeyFile, Joined(lines));
  })) << session->DescribeWindows();
  EXPECT_TRUE(session->NoMessageBoxWithin(300));

  const RECT outer = WindowRectOf(map);
  EXPECT_GE(outer.right - outer.left, 800);
  EXPECT_GE(outer.bottom - outer.top, 480);
  const SIZE client = ClientSizeOf(map);
  const std::pair<const wchar_t*, int> columns[] = {{L"カテゴリ", 110},
                                                    {L"コマンド", static_cast<int>(client.cx) - 420},
                                                    {L"現在のキー", 200},
                                                    {L"機能", 60},
                                                    {L"", 10}};
  ASSERT_EQ(ListColumnCount(mapList), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(ListColumnCaption(mapList, i), columns[i].first);
    EXPECT_EQ(ListColumnWidth(mapList, i), columns[i].second);
  }

  // File order first.
  ASSERT_EQ(ListRowCount(mapList), 30);
  EXPECT_EQ(ListCell(mapList, 0, 0), L"ファイル");
  EXPECT_EQ(ListCell(mapList, 0, 1), L"全て表示(&A)");
  EXPECT_EQ(ListCell(mapList, 0, 2), L"Ctrl+F10");
  EXPECT_EQ(ListCell(mapList, 0, 3), L"1001");
  EXPECT_EQ(ListSelected(mapList), 0);

  // No modifier, Shift, Shift+Alt, Ctrl (F10 before F2 before G), then the keyless in file order.
  ASSERT_TRUE(Click(L"ソート有(&K)"));
  std::vector<std::wstring> sortedIds = {L"1101", L"1102", L"1003", L"1001", L"1002", L"1201"};
  std::vector<std::wstring> sortedLines;
  for (const auto& id : sortedIds)
    for (const auto& line : lines)
      if (IdOf(line) == id) sortedLines.push_back(line);
  for (const auto& line : lines) {
    if (std::find(sortedIds.begin(), sortedIds.begin() + 6, IdOf(line)) != sortedIds.begin() + 6) continue;
    sortedIds.push_back(IdOf(line));
    sortedLines.push_back(line);
  }
  EXPECT_EQ(ShownIds(), sortedIds);
  EXPECT_EQ(ListSelected(mapList), 0);
  ASSERT_TRUE(Click(L"ｸﾘｯﾌﾟへｺﾋﾟｰ(&C)"));
  EXPECT_EQ(Utf8(ClipboardText()), Utf8(Joined(sortedLines)));

  ASSERT_TRUE(Click(L"ソート無(&N)"));
  EXPECT_EQ(ListCell(mapList, 0, 3), L"1001");
  ASSERT_TRUE(Click(L"ｸﾘｯﾌﾟへｺﾋﾟｰ(&C)"));
  EXPECT_EQ(Utf8(ClipboardText()), Utf8(Joined(lines)));

  // The command column follows the width.
  SetWindowPos(map, nullptr, 0, 0, 1100, 600, SWP_NOMOVE | SWP_NOZORDER);
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(ListColumnWidth(mapList, 1), ClientSizeOf(map).cx - 420);
  EXPECT_EQ(ListColumnWidth(mapList, 2), 200);
}

TEST_F(KeyMap, AMissingFileIsSaidOnceTheWindowIsShown) {
  ASSERT_TRUE(Open([] { DeleteFileIn(kKeyFile); }));
  auto box = session->WaitMessageBox();
  ASSERT_TRUE(box) << session->DescribeWindows();
  EXPECT_EQ(Utf8(box->text), Utf8(L"キーボード設定のファイルが在りませんでした"));
  EXPECT_TRUE(IsWindowVisible(map));
  ASSERT_TRUE(session->Answer(*box, IDOK));
  EXPECT_EQ(ListRowCount(mapList), 0);
  ASSERT_TRUE(Click(L"ソート有(&K)"));
  EXPECT_EQ(ListRowCount(mapList), 0);
  EXPECT_TRUE(session->NoMessageBoxWithin(200));
  EXPECT_FALSE(FileExists(kKeyFile));  // the window never writes
}

TEST_F(KeyMap, EscClosesButCtrlEscDoesNot) {
  ASSERT_TRUE(Open());
  ASSERT_TRUE(session->PressKeys(map, VK_ESCAPE, false, true, false));
  ASSERT_TRUE(session->Sync());
  EXPECT_TRUE(IsWindowVisible(map));
  ASSERT_TRUE(session->PressKeys(map, VK_ESCAPE));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(map); }));
  EXPECT_TRUE(IsWindowVisible(dialog));  // only the map window closed
}

}  // namespace
