// Layout at the display's DPI: every window, control, minimum size and column width is its 96-dpi
// size scaled, fonts grow with it, and no caption is cut off. Runs at 96 dpi with the other tests
// and again in a prefix made for 144 dpi; TOVO_TEST_DPI says which one, so a prefix that did not
// take the setting fails instead of passing at 96.
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/ListWindowTest.h"

using namespace tovotest;

namespace {

// The editor is DPI-aware: without this the system would scale the process's windows itself.
const bool kDpiAware = SetProcessDPIAware() != FALSE;

int ExpectedDpi() {
  const char* env = std::getenv("TOVO_TEST_DPI");
  const int dpi = env ? std::atoi(env) : 0;
  return dpi > 0 ? dpi : 96;
}

int S(int px96) { return MulDiv(px96, ExpectedDpi(), 96); }

struct Box {
  int x, y, w, h;
};

// The child's rectangle in its top-level window's client coordinates.
Box ClientBox(HWND child) {
  RECT rc = WindowRectOf(child);
  MapWindowPoints(nullptr, GetAncestor(child, GA_ROOT), reinterpret_cast<POINT*>(&rc), 2);
  return {rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
}

void ExpectBox(HWND child, Box expected) {
  ASSERT_TRUE(child);
  const Box b = ClientBox(child);
  EXPECT_EQ(b.x, expected.x) << Utf8(ClassName(child));
  EXPECT_EQ(b.y, expected.y) << Utf8(ClassName(child));
  EXPECT_EQ(b.w, expected.w) << Utf8(ClassName(child));
  EXPECT_EQ(b.h, expected.h) << Utf8(ClassName(child));
}

POINT MinTrackSize(HWND window) {
  MINMAXINFO info{};
  SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  return info.ptMinTrackSize;
}

SIZE OuterSize(HWND window) {
  RECT rc = WindowRectOf(window);
  return {rc.right - rc.left, rc.bottom - rc.top};
}

// The window's minimum tracking size is the scaled minimum, and it is at least that large.
void ExpectMinimumSize(HWND window, int w96, int h96) {
  const POINT min = MinTrackSize(window);
  EXPECT_EQ(min.x, S(w96)) << Utf8(WindowText(window));
  EXPECT_EQ(min.y, S(h96)) << Utf8(WindowText(window));
  const SIZE outer = OuterSize(window);
  EXPECT_GE(outer.cx, S(w96)) << Utf8(WindowText(window));
  EXPECT_GE(outer.cy, S(h96)) << Utf8(WindowText(window));
}

// A control placed at a 96-dpi rectangle relative to a panel whose top edge is `panelTop`. Places
// below a bottom-anchored panel are sums of scaled parts: rounding may move them by a pixel.
struct Placed {
  const wchar_t* text;  // caption, found among the window's buttons and labels
  const wchar_t* cls;
  Box box96;
};

void ExpectPlaced(HWND window, int panelTop, const std::vector<Placed>& controls) {
  for (const Placed& c : controls) {
    HWND child = FindChildByText(window, c.text, c.cls);
    ASSERT_TRUE(child) << Utf8(c.text);
    const Box b = ClientBox(child);
    EXPECT_EQ(b.x, S(c.box96.x)) << Utf8(c.text);
    EXPECT_NEAR(b.y - panelTop, S(c.box96.y), 1) << Utf8(c.text);
    EXPECT_EQ(b.w, S(c.box96.w)) << Utf8(c.text);
    EXPECT_EQ(b.h, S(c.box96.h)) << Utf8(c.text);
  }
}

// Every button and label shows its whole caption in its own font: the drawn text fits the
// control's client area (buttons keep a few pixels for their edge).
void ExpectCaptionsFit(HWND window) {
  int checked = 0;
  for (HWND child : Children(window)) {
    const std::wstring cls = ClassName(child);
    const bool button = cls == L"Button";
    if ((!button && cls != L"Static") || !IsWindowVisible(child)) continue;
    const std::wstring text = WindowText(child);
    if (text.empty()) continue;
    HDC dc = GetDC(child);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(Send(child, WM_GETFONT)));
    RECT need{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(child, dc);
    RECT have{};
    GetClientRect(child, &have);
    const int edge = button ? S(3) * 2 : 0;
    EXPECT_LE(need.right + edge, have.right) << Utf8(text) << " is cut off";
    // Labels are as high as their font's characters (19 in 19): the line gap may overhang.
    EXPECT_LE(-WindowFont(child).lfHeight, have.bottom) << Utf8(text) << " is cut off";
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

void ExpectUiFont(HWND control) { EXPECT_EQ(WindowFont(control).lfHeight, -S(19)) << Utf8(WindowText(control)); }

class Dpi : public ListWindowTest {
 protected:
  void SetUp() override {
    ListWindowTest::SetUp();
    ASSERT_TRUE(kDpiAware);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(dpi, ExpectedDpi()) << "the Wine prefix is not at the DPI this run is for";
  }

  HWND OpenFromMenu(const wchar_t* item, const wchar_t* caption, HWND from = nullptr) {
    if (!session->MenuCommand(from ? from : window, item)) return nullptr;
    return session->WaitWindow(caption);
  }
};

TEST_F(Dpi, ListWindowScalesItsFrameControlsColumnsAndFonts) {
  Open({L"a,b,c", L"d,e,f"});
  // First opening: the default rectangle and the minimum size, both scaled.
  ExpectMinimumSize(window, 800, 480);
  const SIZE outer = OuterSize(window);
  EXPECT_EQ(outer.cx, S(800));
  EXPECT_EQ(outer.cy, S(480));

  RECT client{};
  GetClientRect(window, &client);
  const int panelTop = client.bottom - S(25) - S(75);
  ExpectPlaced(window, panelTop,
               {{L"検索(&D):", L"Static", {20, 10, 80, 19}},
                {L"表示行数(&L):", L"Static", {458, 10, 120, 19}},
                {L"幅(&W):", L"Static", {648, 10, 60, 19}},
                {L"前ﾍﾟｰｼﾞ(&R)", L"Button", {20, 40, 120, 25}},
                {L"次ﾍﾟｰｼﾞ(&E)", L"Button", {140, 40, 120, 25}},
                {L"前を検索(&P)", L"Button", {260, 40, 120, 25}},
                {L"次を検索(&N)", L"Button", {380, 40, 120, 25}},
                {L"幅調整(&A)", L"Button", {500, 40, 140, 25}},
                {L"閉じる(&C)", L"Button", {640, 40, 120, 25}}});
  // Combo boxes take their height from the font; their place and width are scaled.
  const struct {
    int index;  // among the window's combo boxes, in creation order
    Box box96;
  } combos[] = {{0, {105, 8, 350, 27}}, {1, {580, 8, 60, 27}}, {2, {710, 8, 60, 27}}};
  for (const auto& c : combos) {
    HWND combo = FindChildByClass(window, L"ComboBox", c.index);
    ASSERT_TRUE(combo);
    const Box b = ClientBox(combo);
    EXPECT_EQ(b.x, S(c.box96.x)) << c.index;
    EXPECT_NEAR(b.y - panelTop, S(c.box96.y), 1) << c.index;
    EXPECT_EQ(b.w, S(c.box96.w)) << c.index;
    ExpectUiFont(combo);
  }

  // The list fills the space above the panel; the status bar is the bottom 25 pixels.
  const Box lb = ClientBox(list);
  EXPECT_EQ(lb.x, 0);
  EXPECT_EQ(lb.y, 0);
  EXPECT_EQ(lb.w, client.right);
  EXPECT_NEAR(lb.y + lb.h, panelTop, 1);
  EXPECT_EQ(ClientBox(status).h, S(25));
  const auto parts = StatusPartsWidths(status);
  ASSERT_EQ(parts.size(), 5u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(parts[static_cast<size_t>(i)], S(70)) << i;

  EXPECT_EQ(ListColumnWidth(list, 0), S(70));
  EXPECT_EQ(ListColumnWidth(list, 1), S(75));
  EXPECT_EQ(ListColumnWidth(list, 96), S(75));
  EXPECT_EQ(WindowFont(list).lfHeight, -MulDiv(14, ExpectedDpi(), 72));
  EXPECT_EQ(WindowFont(status).lfHeight, -S(16));
  ExpectUiFont(FindChildByText(window, L"閉じる(&C)", L"Button"));
  ExpectCaptionsFit(window);

  // A chosen width is scaled too.
  HWND widthBox = FindChildByClass(window, L"ComboBox", 2);
  ASSERT_TRUE(ChooseCombo(widthBox, 5));  // "150"
  ASSERT_TRUE(WaitUntil([&] { return ListColumnWidth(list, 1) == S(150); })) << ListColumnWidth(list, 1);
}

TEST_F(Dpi, GoToLineDialogScalesItsClientAreaAndControls) {
  Open({L"a", L"b"});
  HWND jump = OpenFromMenu(L"行へ移動(&G)...", L"行へ移動");
  ASSERT_TRUE(jump) << session->DescribeWindows();
  const SIZE client = ClientSizeOf(jump);
  EXPECT_EQ(client.cx, S(329));
  EXPECT_EQ(client.cy, S(106));
  ExpectPlaced(jump, 0,
               {{L"行番号(&N)", L"Static", {30, 15, 90, 19}},
                {L"OK(&O)", L"Button", {165, 13, 140, 25}},
                {L"ｷｬﾝｾﾙ(&C)", L"Button", {165, 55, 140, 25}}});
  HWND edit = FindChildByClass(jump, L"Edit");
  ExpectBox(edit, {S(20), S(54), S(121), S(27)});
  ExpectUiFont(edit);
  ExpectCaptionsFit(jump);
  session->CloseWindow(jump);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(jump); }));
}

TEST_F(Dpi, HelpWindowOpensAtLeastItsScaledMinimum) {
  WriteUtf8(L"TovoCsvList.txt", L"help", true);
  Open({L"a"});
  HWND help = OpenFromMenu(L"ヘルプ表示(&C)...", L"ヘルプ表示");
  ASSERT_TRUE(help) << session->DescribeWindows();
  ExpectMinimumSize(help, 800, 600);
  HWND memo = FindChildByClass(help, L"Edit");
  ASSERT_TRUE(memo);
  const SIZE client = ClientSizeOf(help);
  const Box m = ClientBox(memo);
  EXPECT_EQ(m.w, client.cx);
  EXPECT_EQ(m.h, client.cy);
  ExpectUiFont(memo);
  session->CloseWindow(help);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(help); }));
}

TEST_F(Dpi, KeyboardDialogAndMapScaleTheirControlsAndColumns) {
  Open({L"a"});
  HWND dialog = OpenFromMenu(L"キーボード設定(&K)...", L"キーボード設定");
  ASSERT_TRUE(dialog) << session->DescribeWindows();
  ExpectMinimumSize(dialog, 900, 460);
  SIZE client = ClientSizeOf(dialog);
  ExpectPlaced(dialog, client.cy - S(45),
               {{L"保存(&S)", L"Button", {10, 10, 100, 25}},
                {L"閉じる(&C)", L"Button", {110, 10, 100, 25}},
                {L"キーボードマップを表示(&M)", L"Button", {210, 10, 260, 25}}});
  ExpectPlaced(dialog, 0,
               {{L"初期化(&I)", L"Button", {760, 10, 100, 25}},
                {L"ｸﾘｱ(&R)", L"Button", {760, 40, 100, 25}},
                {L"カテゴリ(&L)", L"Static", {150, 12, 110, 19}},
                {L"新キー(&N)", L"Static", {530, 12, 90, 19}}});
  HWND keyList = FindChildByClass(dialog, L"SysListView32");
  ExpectBox(keyList, {S(25), S(85), client.cx - S(45), client.cy - S(145)});
  const int keyWidths[] = {445, 295, 60, 10};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ListColumnWidth(keyList, i), S(keyWidths[i])) << i;
  ExpectCaptionsFit(dialog);

  ASSERT_TRUE(ClickButton(FindChildByText(dialog, L"キーボードマップを表示(&M)", L"Button")));
  HWND map = session->WaitWindow(L"キーボードマップ");
  ASSERT_TRUE(map) << session->DescribeWindows();
  ExpectMinimumSize(map, 800, 480);
  client = ClientSizeOf(map);
  ExpectPlaced(map, client.cy - S(45),
               {{L"ソート無(&N)", L"Button", {10, 10, 140, 25}},
                {L"ソート有(&K)", L"Button", {150, 10, 140, 25}},
                {L"ｸﾘｯﾌﾟへｺﾋﾟｰ(&C)", L"Button", {290, 10, 160, 25}}});
  HWND mapList = FindChildByClass(map, L"SysListView32");
  ASSERT_TRUE(mapList);
  EXPECT_EQ(ListColumnWidth(mapList, 0), S(110));
  EXPECT_EQ(ListColumnWidth(mapList, 1), client.cx - S(420));
  EXPECT_EQ(ListColumnWidth(mapList, 2), S(200));
  EXPECT_EQ(ListColumnWidth(mapList, 3), S(60));
  EXPECT_EQ(ListColumnWidth(mapList, 4), S(10));
  ExpectCaptionsFit(map);
  session->CloseWindow(map);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(map); }));
  session->CloseWindow(dialog);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
}

TEST_F(Dpi, ColumnProfileScalesItsControlsAndColumns) {
  Open({L"a,1", L"b,2"});
  HWND profile = OpenFromMenu(L"カラムの統計(&T)...", L"カラム 01 の統計");
  ASSERT_TRUE(profile) << session->DescribeWindows();
  ExpectMinimumSize(profile, 480, 440);
  const SIZE client = ClientSizeOf(profile);
  ExpectPlaced(profile, client.cy - S(45),
               {{L"ｸﾘｯﾌﾟへｺﾋﾟｰ(&C)", L"Button", {10, 10, 160, 25}}, {L"閉じる", L"Button", {170, 10, 100, 25}}});
  HWND summary = FindChildByClass(profile, L"SysListView32", 0);
  HWND values = FindChildByClass(profile, L"SysListView32", 1);
  ExpectBox(summary, {S(10), S(36), client.cx - S(20), S(212)});
  ExpectBox(values, {S(10), S(258), client.cx - S(20), S(287) + client.cy - S(600)});  // grows with the window
  const int widths[] = {ListColumnWidth(summary, 0), ListColumnWidth(summary, 1), ListColumnWidth(values, 0),
                        ListColumnWidth(values, 1), ListColumnWidth(values, 2)};
  const int expected[] = {S(130), client.cx - S(180), client.cx - S(230), S(100), S(80)};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(widths[i], expected[i]) << i;
  ExpectUiFont(values);
  ExpectCaptionsFit(profile);
  session->CloseWindow(profile);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(profile); }));
}

}  // namespace
