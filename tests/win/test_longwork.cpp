// Long work as the user meets it: the progress bar while it runs, commands refused with a word,
// and Esc stopping it with the list left exactly as it was and the window open.
#include "driver/ListWindowTest.h"
#include "list/CsvListIds.h"

#include <commctrl.h>

#include <functional>

using namespace tovotest;

namespace {

constexpr int kLines = 20000;
constexpr wchar_t kRefused[] = L"処理中のため実行できませんでした";

// Only the last line holds "needle".
std::vector<std::wstring> Lines() {
  std::vector<std::wstring> lines;
  for (int i = 1; i <= kLines; ++i) {
    lines.push_back(std::to_wstring(i) + L",name" + std::to_wstring(i * 7 % 13) + L"," +
                    (i == kLines ? L"needle" : std::wstring(i % 5 + 1, L'w')));
  }
  return lines;
}

class LongWork : public ListWindowTest {
 protected:
  void AnswerYes() {
    auto box = session->WaitMessageBox();
    ASSERT_TRUE(box && session->Answer(*box, IDYES)) << session->DescribeWindows();
  }

  // What a stopped operation must leave as it was.
  std::vector<std::wstring> State() {
    std::vector<std::wstring> state{std::to_wstring(ListRowCount(list)), std::to_wstring(ListSelected(list))};
    for (int row = 0; row < 3; ++row) state.push_back(ListCell(list, row, 0));
    for (int col = 1; col <= 3; ++col) state.push_back(std::to_wstring(ListColumnWidth(list, col)));
    for (int panel = 1; panel <= 3; ++panel) state.push_back(StatusText(status, panel));
    HWND sizeBox = FindChildById(window, tovo::IdComboBox1);
    state.push_back(std::to_wstring(ComboSelected(sizeBox)) + (IsWindowEnabled(sizeBox) ? L"+" : L"-"));
    return state;
  }
};

TEST_F(LongWork, EscStopsTheWorkAndLeavesTheListAsItWas) {
  struct Case {
    const char* name;
    bool loadFirst;
    std::function<void()> start;
  };
  const Case cases[] = {
      {"load all", false,
       [this] {
         ASSERT_TRUE(session->MenuCommand(window, L"全て表示(&A)"));
         AnswerYes();
       }},
      {"sort", true,
       [this] {
         RECT item{};
         ASSERT_TRUE(Header_GetItemRect(ListView_GetHeader(list), 2, &item));
         const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
         PostMessageW(ListView_GetHeader(list), WM_LBUTTONDOWN, MK_LBUTTON, at);
         PostMessageW(ListView_GetHeader(list), WM_LBUTTONUP, 0, at);
       }},
      {"fitting", true,
       [this] {
         ASSERT_TRUE(session->MenuCommand(window, L"カラム幅の自動調整(&C)"));
         AnswerYes();
       }},
      {"search", true, [this] { ASSERT_TRUE(session->MenuCommand(window, L"次を検索(&N)")); }},
      {"filter", true,
       [this] {
         PostMessageW(list, WM_KEYDOWN, VK_APPS, 0);
         HWND menu = nullptr;
         ASSERT_TRUE(WaitUntil([&] { return (menu = OpenPopupMenu(session->UiThreadId())) != nullptr; }));
         ASSERT_TRUE(session->Sync());
         PostMessageW(menu, WM_CHAR, L'f', 0);
       }},
      // Counting the column for its profile: stopped, no window opens.
      {"column count", true, [this] { ASSERT_TRUE(session->MenuCommand(window, L"カラムの統計(&T)...")); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open(Lines());
    if (c.loadFirst) {
      ASSERT_TRUE(session->MenuCommand(window, L"全て表示(&A)"));
      AnswerYes();
      ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == kLines; }, 60000));
    }
    ASSERT_TRUE(SetComboText(FindChildById(window, tovo::IdComboBox3), L"needle"));
    ASSERT_TRUE(session->Sync());
    const std::vector<std::wstring> before = State();
    const std::wstring searchPanel = StatusText(status, 4);
    HWND bar = FindChildById(status, tovo::IdProgressBar);
    ASSERT_TRUE(bar && !IsWindowVisible(bar));

    SetEnvironmentVariableW(L"TOVO_TEST_WORK_DELAY_MS", L"3");
    c.start();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(bar); })) << "no progress bar";
    ASSERT_TRUE(session->MenuCommand(window, L"次を検索(&N)"));
    ASSERT_TRUE(WaitUntil([&] { return StatusText(status, 4).find(kRefused) != std::wstring::npos; }))
        << Utf8(StatusText(status, 4));
    ASSERT_TRUE(session->PostKey(list, VK_ESCAPE));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(bar); }));
    SetEnvironmentVariableW(L"TOVO_TEST_WORK_DELAY_MS", nullptr);
    ASSERT_TRUE(session->Sync());

    EXPECT_FALSE(session->Returned()) << "Esc closed the window";
    EXPECT_EQ(State(), before);
    EXPECT_EQ(Utf8(StatusText(status, 4)), Utf8(searchPanel + L"  中止しました"));
    EXPECT_FALSE(session->WaitWindow(L"カラム 01 の統計", 300));
    EndSession();
  }
}

}  // namespace
