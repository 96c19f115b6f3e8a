// Guards against failures that would hang or mislead the user: keys the window posts to its own
// list, duplicate and system-key shortcuts, and where the next search starts.
#include "driver/ListWindowTest.h"

#include <commctrl.h>

#include <functional>
#include <utility>

using namespace tovotest;

namespace {

constexpr wchar_t kKeyFile[] = L"TovoCsvList-KeyMap.txt";
constexpr wchar_t kNotFound[] = L"(not found)";

// Every field holds the term, so after any hit the search column is the row's last field.
std::vector<std::wstring> AllHits(int count) { return std::vector<std::wstring>(count, L"k,k,k"); }

class Guards : public ListWindowTest {
 protected:
  // The key file as a first opening writes it, with each (identifier, key) pair applied.
  void WriteKeys(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> keys) {
    Launch({L"a"});
    FindWindowAndControls();
    EndSession();
    std::wstring text;
    for (std::wstring line : ReadLines(kKeyFile)) {
      for (auto [id, key] : keys) {
        if (!line.ends_with(std::wstring(L"\t") + id)) continue;
        const size_t second = line.find(L'\t', line.find(L'\t') + 1);
        line = line.substr(0, second + 1) + key + line.substr(line.find(L'\t', second + 1));
      }
      text += line + L"\r\n";
    }
    WriteText(kKeyFile, text);
  }

  void LoadAll() {
    ASSERT_TRUE(session->MenuCommand(window, L"全て表示(&A)"));
    if (host.lines.size() > 500) {
      auto box = session->WaitMessageBox();
      ASSERT_TRUE(box) << session->DescribeWindows();
      ASSERT_TRUE(session->Answer(*box, IDYES));
    }
    const int rows = static_cast<int>(host.lines.size());
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == rows && StatusText(status, 2) == Caption(rows); }, 60000));
    ASSERT_TRUE(session->Sync());
  }

  // Searches forward for "k": panel 4 on a hit, kNotFound after answering the message.
  std::wstring SearchNext() {
    EXPECT_TRUE(SetComboText(FindChildByClass(window, L"ComboBox", 0), L"k"));
    EXPECT_TRUE(session->MenuCommand(window, L"次を検索(&N)"));
    EXPECT_TRUE(session->Sync());
    if (session->NoMessageBoxWithin(50)) return StatusText(status, 4);
    auto box = session->WaitMessageBox();
    EXPECT_TRUE(box && session->Answer(*box, IDOK));
    return kNotFound;
  }

  // What the next search shows on rows of AllHits: the selected row's later fields when the
  // search column went back to 0, else the whole next row.
  std::wstring NextSearchFrom(bool columnReset) const {
    const int row = ListSelected(list);
    if (columnReset) return L"行:" + ListCell(list, row, 0) + L" 桁:02/03";
    if (row + 1 >= ListRowCount(list)) return kNotFound;
    return L"行:" + ListCell(list, row + 1, 0) + L" 桁:01/02/03";
  }
};

// In load-all mode the page commands post page keys to the list. Were those matched as
// shortcuts, a command on PgDn would post its key to itself for ever and never move.
TEST_F(Guards, PostedPageKeysAreNotTakenForTheirShortcut) {
  WriteKeys({{L"1205", L"PgDn"}});
  Open(AllHits(2000));
  LoadAll();
  ASSERT_EQ(SearchNext(), L"行:00001 桁:02/03");
  const int perPage = ListCountPerPage(list);
  ASSERT_GT(perPage, 1);

  HWND button = FindChildByText(window, L"次ﾍﾟｰｼﾞ(&E)", L"Button");
  const std::pair<const char*, std::function<bool()>> ways[] = {
      {"menu", [&] { return session->MenuCommand(window, L"次ページ(&N)"); }},
      {"button", [&] { return ClickButton(button); }},
      {"key", [&] { return session->PressKeys(window, VK_NEXT); }},
  };
  for (int round = 0; round < 2; ++round) {
    for (const auto& [how, run] : ways) {
      SCOPED_TRACE(how);
      const int before = ListSelected(list);
      ASSERT_TRUE(run());
      ASSERT_TRUE(WaitUntil([&] { return ListSelected(list) != before; }, 3000)) << "no move from " << before;
      ASSERT_TRUE(session->Sync());
      const int after = ListSelected(list);
      EXPECT_GT(after, before);
      EXPECT_LE(after - before, perPage);
    }
  }
  // Like the keys they stand for, they restart the search at the selected row's first field.
  EXPECT_EQ(Utf8(SearchNext()), Utf8(NextSearchFrom(true)));
}

// The menu is searched in order, so of two commands given the same key the one on the earlier
// menu runs: the CSV settings come before the tools.
TEST_F(Guards, DuplicateKeysRunTheCommandOnTheEarlierMenu) {
  WriteKeys({{L"1401", L"F5"}, {L"1601", L"F5"}});
  Open({L"a,b"});
  ASSERT_TRUE(MenuItemState(window, L"自動検出(&A)").checked);
  ASSERT_TRUE(session->PressKeys(window, VK_F5));
  ASSERT_TRUE(session->Sync());
  EXPECT_FALSE(MenuItemState(window, L"自動検出(&A)").checked);
  EXPECT_EQ(session->WaitWindow(L"キーボード設定", 300), nullptr);
}

// Alt+letter and F10 arrive as system keys. Assigned, they run their command, and the menu bar
// must not be left active once the keys are up (the user would type into the menu).
TEST_F(Guards, SystemKeyShortcutsRunAndLeaveNoMenuActive) {
  const struct {
    const wchar_t* key;
    UINT vk;
    bool alt;
  } cases[] = {{L"Alt+Q", 'Q', true}, {L"F10", VK_F10, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.key));
    ResetPluginsDir();
    WriteKeys({{L"1205", c.key}});
    Open(AllHits(30));
    ASSERT_EQ(ListCell(list, 0, 0), Caption(1));
    ASSERT_TRUE(session->PressKeys(window, c.vk, false, false, c.alt));
    EXPECT_TRUE(WaitUntil([&] { return ListCell(list, 0, 0) == Caption(11); }, 3000));
    ASSERT_TRUE(session->Sync());
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetGUIThreadInfo(session->UiThreadId(), &info));
    EXPECT_FALSE(info.flags & (GUI_INMENUMODE | GUI_SYSTEMMENUMODE)) << std::hex << info.flags;
    if (info.flags & GUI_INMENUMODE) PostMessageW(window, WM_CANCELMODE, 0, 0);
    EndSession();
  }
}

// Moving the selection by hand restarts the search at the row's first field; looking sideways
// or changing the page does not.
TEST_F(Guards, SearchColumnResetsOnlyWhenTheUserMovesTheSelection) {
  Open(AllHits(40));
  auto key = [&](UINT vk) { return [this, vk] { ASSERT_TRUE(session->PostKey(list, vk)); }; };
  auto menu = [&](const wchar_t* item) {
    return [this, item] {
      ASSERT_TRUE(session->MenuCommand(window, item));
      ASSERT_TRUE(session->Sync());
    };
  };
  const struct {
    const char* what;
    std::function<void()> act;
    bool resets;
  } cases[] = {
      {"click",
       [&] {
         const RECT r = ListCellRect(list, 4, 1);
         const LPARAM at = MAKELPARAM(r.left + 4, (r.top + r.bottom) / 2);
         PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
         PostMessageW(list, WM_LBUTTONUP, 0, at);
         ASSERT_TRUE(WaitUntil([&] { return ListSelected(list) == 4; }));
         ASSERT_TRUE(session->Sync());
       },
       true},
      {"Up", key(VK_UP), true},
      {"Down", key(VK_DOWN), true},
      {"PgUp", key(VK_PRIOR), true},
      {"PgDn", key(VK_NEXT), true},
      {"Home", key(VK_HOME), true},
      {"End", key(VK_END), true},
      {"Left", key(VK_LEFT), false},
      {"Right", key(VK_RIGHT), false},
      {"next page", menu(L"次ページ(&N)"), false},
      {"previous page", menu(L"前ページ(&P)"), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // Two hits from the top leave row 1 selected and the column on its last field.
    ASSERT_TRUE(session->PostKey(list, VK_HOME));
    ASSERT_EQ(ListSelected(list), 0);
    SearchNext();
    ASSERT_EQ(SearchNext(), L"行:" + ListCell(list, 1, 0) + L" 桁:01/02/03");
    c.act();
    const std::wstring expected = NextSearchFrom(c.resets);
    EXPECT_EQ(Utf8(SearchNext()), Utf8(expected));
  }
}

}  // namespace
