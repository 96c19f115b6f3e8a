// The go-to-line dialog and command: its layout and keys, the number kept in the settings file,
// where each number leads in both modes, and a stored number that is no number.
#include "driver/ListWindowTest.h"

#include <commctrl.h>

#include <memory>
#include <string>

using namespace tovotest;

namespace {

constexpr wchar_t kJump[] = L"行へ移動";
constexpr wchar_t kJumpCommand[] = L"行へ移動(&G)...";

std::vector<std::wstring> Lines(int count) {
  std::vector<std::wstring> lines;
  for (int i = 1; i <= count; ++i) lines.push_back(L"line" + std::to_wstring(i) + L",x");
  return lines;
}

class Jump : public ListWindowTest {
 protected:
  // Opens the dialog; returns its edit box.
  HWND OpenDialog() {
    EXPECT_TRUE(session->MenuCommand(window, kJumpCommand));
    dialog = session->WaitWindow(kJump);
    EXPECT_TRUE(dialog) << session->DescribeWindows();
    return dialog ? FindChildByClass(dialog, L"Edit") : nullptr;
  }

  // Types `text` over the whole box and presses `key` in it; waits until the dialog is gone.
  void Enter(const std::wstring& text, UINT key = VK_RETURN) {
    HWND edit = OpenDialog();
    ASSERT_TRUE(edit);
    Send(edit, EM_SETSEL, 0, -1);
    TypeChars(edit, text);
    ASSERT_TRUE(session->PostKey(edit, key));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    ASSERT_TRUE(session->Sync());
  }

  HWND dialog = nullptr;
};

TEST_F(Jump, DialogLayoutAndStartingText) {
  Open(Lines(5));
  HWND edit = OpenDialog();
  ASSERT_TRUE(edit);
  EXPECT_EQ(WindowText(edit), L"1");  // nothing stored yet
  SIZE client = ClientSizeOf(dialog);
  EXPECT_EQ(client.cx, 329);
  EXPECT_EQ(client.cy, 106);
  EXPECT_TRUE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(GetWindowLongPtrW(dialog, GWL_STYLE) & WS_THICKFRAME);
  HWND ok = FindChildByText(dialog, L"OK(&O)", L"Button");
  HWND cancel = FindChildByText(dialog, L"ｷｬﾝｾﾙ(&C)", L"Button");
  ASSERT_TRUE(FindChildByText(dialog, L"行番号(&N)", L"Static") && ok && cancel);
  RECT rc = WindowRectOf(edit);
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  EXPECT_EQ(rc.left - origin.x, 20);
  EXPECT_EQ(rc.top - origin.y, 54);
  EXPECT_EQ(rc.right - rc.left, 121);
  // Tab order: the edit box, OK, Cancel.
  EXPECT_EQ(GetNextDlgTabItem(dialog, edit, FALSE), ok);
  EXPECT_EQ(GetNextDlgTabItem(dialog, ok, FALSE), cancel);
  EXPECT_EQ(GetNextDlgTabItem(dialog, cancel, FALSE), edit);
  // Centred on the primary screen's work area.
  RECT work{}, outer = WindowRectOf(dialog);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR((outer.left + outer.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((outer.top + outer.bottom) / 2, (work.top + work.bottom) / 2, 1);
  ASSERT_TRUE(session->PostKey(edit, VK_ESCAPE));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
}

TEST_F(Jump, NumbersInPageMode) {
  struct Case {
    const wchar_t* typed;
    int first1, last1;  // the page shown afterwards
  };
  const Case cases[] = {
      {L"7", 7, 16}, {L"1", 1, 10}, {L"0", 1, 10}, {L"0007", 7, 16}, {L"25", 25, 25}, {L"999", 25, 25}, {L"20", 20, 24},
  };
  Open(Lines(25), 3);
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.typed));
    Enter(c.typed);
    EXPECT_EQ(IniRead(L"Editor", L"Jump"), std::wstring(c.typed));
    ASSERT_GE(ListRowCount(list), 1);
    EXPECT_EQ(ListCell(list, 0, 0), Caption(c.first1));
    EXPECT_EQ(ListCell(list, ListRowCount(list) - 1, 0), Caption(c.last1));
    EXPECT_EQ(ListSelected(list), 0);
    EXPECT_EQ(StatusText(status, 1), Caption(c.first1));
  }
  GUITHREADINFO gui{};
  gui.cbSize = sizeof(gui);
  ASSERT_TRUE(GetGUIThreadInfo(session->UiThreadId(), &gui));
  EXPECT_EQ(gui.hwndFocus, list);
}

TEST_F(Jump, LoadAllModeCentresTheRowAndKeepsTheStatus) {
  Open(Lines(300));
  ASSERT_TRUE(session->MenuCommand(window, L"全て表示(&A)"));
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == 300; }));
  ASSERT_TRUE(session->Sync());
  const std::wstring first = StatusText(status, 1), last = StatusText(status, 2);
  Enter(L"200");
  EXPECT_EQ(ListSelected(list), 199);
  EXPECT_EQ(ListCell(list, 199, 0), Caption(200));
  EXPECT_NEAR(199 - ListTopIndex(list), ListCountPerPage(list) / 2, 1);
  EXPECT_EQ(StatusText(status, 1), first);
  EXPECT_EQ(StatusText(status, 2), last);
  Enter(L"5000");
  EXPECT_EQ(ListSelected(list), 299);
}

TEST_F(Jump, EscapeAndCancelKeepTheStoredNumber) {
  Open(Lines(25));
  Enter(L"12");
  ASSERT_EQ(ListCell(list, 0, 0), Caption(12));
  Enter(L"3", VK_ESCAPE);
  EXPECT_EQ(IniRead(L"Editor", L"Jump"), L"12");
  EXPECT_EQ(ListCell(list, 0, 0), Caption(12));

  HWND edit = OpenDialog();
  ASSERT_TRUE(edit);
  EXPECT_EQ(WindowText(edit), L"12");
  TypeChars(edit, L"4");
  ASSERT_TRUE(ClickButton(FindChildByText(dialog, L"ｷｬﾝｾﾙ(&C)", L"Button")));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  EXPECT_EQ(IniRead(L"Editor", L"Jump"), L"12");
}

// Real key presses, so the dialog sees the modifiers held: with any of them Enter and Esc do
// nothing (the dialog manager would read them as OK and Cancel); alone, Enter confirms.
TEST_F(Jump, EnterAndEscapeActOnlyWithoutModifiers) {
  Open(Lines(25));
  HWND edit = OpenDialog();
  ASSERT_TRUE(edit);
  TypeChars(edit, L"7");
  const struct {
    const char* held;
    bool shift, ctrl, alt;
  } modifiers[] = {{"Shift", true, false, false}, {"Ctrl", false, true, false}, {"Alt", false, false, true}};
  for (const auto& m : modifiers) {
    for (UINT key : {VK_ESCAPE, VK_RETURN}) {
      SCOPED_TRACE(std::string(m.held) + (key == VK_ESCAPE ? "+Esc" : "+Enter"));
      ASSERT_TRUE(session->PressKeys(dialog, key, m.shift, m.ctrl, m.alt));
      ASSERT_TRUE(session->Sync());
      ASSERT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog));
    }
  }
  EXPECT_FALSE(IniRead(L"Editor", L"Jump"));
  ASSERT_TRUE(session->PressKeys(dialog, VK_RETURN));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  EXPECT_EQ(IniRead(L"Editor", L"Jump"), L"7");
}

TEST_F(Jump, OnlyDigitsCanBeTyped) {
  Open(Lines(25));
  HWND edit = OpenDialog();
  ASSERT_TRUE(edit);
  Send(edit, EM_SETSEL, 0, -1);
  TypeChars(edit, L"a1 -.x2Ｚ\t3");
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(WindowText(edit), L"123");
  TypeChars(edit, std::wstring(1, L'\b'));
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(WindowText(edit), L"12");
  ASSERT_TRUE(ClickButton(FindChildByText(dialog, L"OK(&O)", L"Button")));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(ListCell(list, 0, 0), Caption(12));
}

TEST_F(Jump, StoredTextThatIsNoNumberStopsWithAnError) {
  for (const wchar_t* stored : {L"abc", L"", L"99999999999"}) {
    SCOPED_TRACE(Utf8(stored));
    ResetPluginsDir();
    IniWrite(L"Editor", L"Jump", stored);
    Open(Lines(25), 4);
    HWND edit = OpenDialog();
    ASSERT_TRUE(edit);
    EXPECT_EQ(WindowText(edit), stored);
    ASSERT_TRUE(session->PostKey(edit, VK_RETURN));
    auto box = session->WaitMessageBox();
    ASSERT_TRUE(box) << session->DescribeWindows();
    EXPECT_EQ(box->text, L"'" + std::wstring(stored) + L"' は整数ではありません.");
    EXPECT_EQ(box->icon, BoxIcon::Error);
    ASSERT_TRUE(session->Answer(*box, IDOK));
    ASSERT_TRUE(session->Sync());
    EXPECT_EQ(ListCell(list, 0, 0), Caption(5));  // the list did not move
    EXPECT_EQ(IniRead(L"Editor", L"Jump"), std::wstring(stored));
    session->CloseWindow(window);
    ASSERT_TRUE(session->WaitReturned());
    session.reset();
  }
}

}  // namespace
