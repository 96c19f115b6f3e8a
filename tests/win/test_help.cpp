// The help window: opening over the list, the help file's text and encodings, tab stops, the
// size limits, and closing on Esc only.
#include "driver/ListWindowTest.h"

#include <cstdlib>

using namespace tovotest;

namespace {

constexpr wchar_t kHelpCaption[] = L"ヘルプ表示";
constexpr wchar_t kHelpFile[] = L"TovoCsvList.txt";

int PosX(HWND memo, int charIndex) { return static_cast<short>(LOWORD(Send(memo, EM_POSFROMCHAR, charIndex))); }

std::wstring Line(HWND memo, int line) {
  wchar_t buf[256] = {};
  *reinterpret_cast<WORD*>(buf) = 255;
  const auto n = Send(memo, EM_GETLINE, line, reinterpret_cast<LPARAM>(buf));
  return std::wstring(buf, static_cast<size_t>(n));
}

std::string Utf16(std::wstring_view text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (wchar_t c : text) {
    const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
    bytes += bigEndian ? hi : lo;
    bytes += bigEndian ? lo : hi;
  }
  return bytes;
}

class Help : public ListWindowTest {
 protected:
  void StartCommand() { Launch({L"a,b", L"c,d"}); }

  // Opens the help window from the list window's menu.
  void OpenHelp() {
    help = memo = nullptr;
    window = session->WaitWindow(kListCaption);
    if (!window || !session->MenuCommand(window, L"ヘルプ表示(&C)...")) return;
    help = session->WaitWindow(kHelpCaption);
    if (help) memo = FindChildByClass(help, L"Edit");
  }

  // A test may end with the help window open: it goes first, as the user would close it.
  void TearDown() override {
    if (session && help && IsWindow(help)) {
      session->CloseWindow(help);
      WaitUntil([&] { return !IsWindow(help); });
    }
    ListWindowTest::TearDown();
  }

  HWND help = nullptr;
  HWND memo = nullptr;
};

}  // namespace

TEST_F(Help, OpensEmptyWithoutFileModalCentredAndAtLeastMinimumSize) {
  StartCommand();
  OpenHelp();
  ASSERT_TRUE(help && memo) << session->DescribeWindows();
  EXPECT_TRUE(session->NoMessageBoxWithin(200));
  EXPECT_EQ(WindowText(memo), L"");

  const auto style = static_cast<DWORD>(GetWindowLongPtrW(help, GWL_STYLE));
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  const auto memoStyle = static_cast<DWORD>(GetWindowLongPtrW(memo, GWL_STYLE));
  for (DWORD bit :
       {DWORD(ES_MULTILINE), DWORD(ES_READONLY), DWORD(ES_AUTOHSCROLL), DWORD(WS_HSCROLL), DWORD(WS_VSCROLL)})
    EXPECT_TRUE(memoStyle & bit) << std::hex << bit;

  const RECT rc = WindowRectOf(help);
  EXPECT_GE(rc.right - rc.left, 800);
  EXPECT_GE(rc.bottom - rc.top, 600);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR((rc.left + rc.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((rc.top + rc.bottom) / 2, (work.top + work.bottom) / 2, 1);

  // The memo fills the client area, also after a resize.
  const SIZE client = ClientSizeOf(help);
  RECT memoRc = WindowRectOf(memo);
  EXPECT_EQ(memoRc.right - memoRc.left, client.cx);
  EXPECT_EQ(memoRc.bottom - memoRc.top, client.cy);
  SetWindowPos(help, nullptr, 0, 0, 1000, 700, SWP_NOMOVE | SWP_NOZORDER);
  ASSERT_TRUE(session->Sync());
  memoRc = WindowRectOf(memo);
  EXPECT_EQ(memoRc.right - memoRc.left, ClientSizeOf(help).cx);
  // Smaller than the minimum is refused.
  SetWindowPos(help, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
  const RECT small = WindowRectOf(help);
  EXPECT_GE(small.right - small.left, 800);
  EXPECT_GE(small.bottom - small.top, 600);

  EXPECT_FALSE(IsWindowEnabled(window));
  session->CloseWindow(help);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(help); }));
  EXPECT_TRUE(IsWindowEnabled(window));
}

TEST_F(Help, EscClosesButShiftEscDoesNot) {
  WriteUtf8(kHelpFile, L"text");
  StartCommand();
  OpenHelp();
  ASSERT_TRUE(help) << session->DescribeWindows();

  ASSERT_TRUE(session->PressKeys(help, VK_ESCAPE, /*shift=*/true));
  ASSERT_TRUE(session->Sync());
  EXPECT_TRUE(IsWindow(help) && IsWindowVisible(help));
  ASSERT_TRUE(session->PressKeys(help, VK_ESCAPE, false, /*ctrl=*/true));
  ASSERT_TRUE(session->Sync());
  EXPECT_TRUE(IsWindow(help) && IsWindowVisible(help));

  ASSERT_TRUE(session->PressKeys(help, VK_ESCAPE));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(help); }));
  EXPECT_TRUE(IsWindow(window)) << "Esc in the help window must not close the list";
}

TEST_F(Help, TabsStopEvery16DialogUnitsAndLinesAreNotWrapped) {
  const std::wstring longLine(600, L'x');
  WriteUtf8(kHelpFile, L"a\tX\r\nabc\tY\r\nabcde\tZ\r\n" + longLine + L"\r\n", /*bom=*/true);
  StartCommand();
  OpenHelp();
  ASSERT_TRUE(memo) << session->DescribeWindows();

  EXPECT_EQ(WindowText(memo), L"a\tX\r\nabc\tY\r\nabcde\tZ\r\n" + longLine);
  EXPECT_EQ(Send(memo, EM_GETLINECOUNT), 4);
  EXPECT_EQ(Line(memo, 0), L"a\tX");

  const int start = PosX(memo, 0);
  const int x = PosX(memo, 2);
  const int y = PosX(memo, static_cast<int>(Send(memo, EM_LINEINDEX, 1)) + 4);
  const int z = PosX(memo, static_cast<int>(Send(memo, EM_LINEINDEX, 2)) + 6);
  EXPECT_EQ(x, y) << "text after a tab starts at the same stop";
  // The control's own default (32 units) would put Z at X's stop.
  EXPECT_GT(x, start);
  EXPECT_NEAR(z - start, 2 * (x - start), 2);

  // Read-only: typing changes nothing, selecting works.
  TypeChars(memo, L"q");
  ASSERT_TRUE(session->Sync());
  EXPECT_EQ(Line(memo, 0), L"a\tX");
  Send(memo, EM_SETSEL, 0, 3);
  DWORD from = 0, to = 0;
  Send(memo, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, 3u);
}

TEST_F(Help, ReadsEveryEncodingAndSurvivesBrokenBytes) {
  const std::wstring text = L"日本語\tテキスト\r\n2行目";
  const struct {
    const char* name;
    std::string bytes;
    std::wstring shown;
  } cases[] = {
      {"utf-8 with mark", "\xEF\xBB\xBF" + Utf8(text), text},
      {"utf-16 le", Utf16(text, false), text},
      {"utf-16 be", Utf16(text, true), text},
      {"ansi, lf and cr ends", "\x93\xfa\x96\x7b\x8c\xea\nb\rc\n",
       JapaneseCodePage() ? L"日本語\r\nb\r\nc" : L"\x201C\xFA\x2013{\x152\xEA\r\nb\r\nc"},
      {"nul bytes", std::string("ab\0cd\r\nx", 8), L"ab\uFFFDcd\r\nx"},
      {"invalid utf-8",
       "\xEF\xBB\xBF"
       "a\xFF\xFE"
       "b",
       L"a\uFFFD\uFFFDb"},
      {"odd utf-16 byte",
       std::string("\xFF\xFE"
                   "a\0b",
                   5),
       L"a"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(kHelpFile, c.bytes);
    StartCommand();
    OpenHelp();
    ASSERT_TRUE(memo) << session->DescribeWindows();
    EXPECT_EQ(WindowText(memo), c.shown);
    session->CloseWindow(help);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(help); }));
  }
}

TEST_F(Help, HugeFilesShowTheirHeadWithANoticeWithoutStalling) {
  const struct {
    const char* name;
    size_t lineLength;
    size_t bytes;
  } cases[] = {
      {"50 MB of long lines", 99, 50u << 20},
      {"many short lines", 9, 900u << 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string line(c.lineLength, 'h');
    line += "\n";
    std::string bytes;
    bytes.reserve(c.bytes + line.size());
    while (bytes.size() < c.bytes) bytes += line;
    WriteBytes(kHelpFile, bytes);
    bytes = std::string();

    StartCommand();
    const ULONGLONG begin = GetTickCount64();
    OpenHelp();
    ASSERT_TRUE(memo) << session->DescribeWindows();
    const ULONGLONG took = GetTickCount64() - begin;
    std::printf("%s: opened in %llu ms\n", c.name, took);
    EXPECT_LT(took, 5000u);

    EXPECT_NE(Line(memo, 0).find(L"大きすぎる"), std::wstring::npos) << Utf8(Line(memo, 0));
    EXPECT_EQ(Line(memo, 1), std::wstring(c.lineLength, L'h'));
    EXPECT_LE(Send(memo, EM_GETLINECOUNT), 20001);
    EXPECT_LE(Send(memo, WM_GETTEXTLENGTH), (1 << 20) + (1 << 20) / 10 + 200);
    ASSERT_TRUE(session->PressKeys(help, VK_ESCAPE));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(help); }));
  }
}

TEST_F(Help, UnreadableFileIsReportedAndTheWindowOpensEmpty) {
  WriteUtf8(kHelpFile, L"secret");
  // Held open without sharing: the plug-in cannot open it.
  HANDLE lock = CreateFileW(PluginFile(kHelpFile).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  StartCommand();
  window = session->WaitWindow(kListCaption);
  ASSERT_TRUE(window && session->MenuCommand(window, L"ヘルプ表示(&C)..."));
  auto box = session->WaitMessageBox();
  ASSERT_TRUE(box) << session->DescribeWindows();
  EXPECT_NE(box->text.find(kHelpFile), std::wstring::npos) << Utf8(box->text);
  EXPECT_TRUE(session->Answer(*box, IDOK));
  help = session->WaitWindow(kHelpCaption);
  ASSERT_TRUE(help);
  EXPECT_EQ(WindowText(FindChildByClass(help, L"Edit")), L"");
  CloseHandle(lock);
}
