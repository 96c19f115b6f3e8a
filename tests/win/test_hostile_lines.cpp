// Hostile documents and host answers: broken UTF-16, huge lines, a line of nothing but commas,
// no lines at all, and lengths no editor should give. Every command must finish in bounded time.
#include "driver/Hostile.h"
#include "driver/ListWindowTest.h"

#include <commctrl.h>

#include <cstdio>

using namespace tovotest;

namespace {

constexpr wchar_t kLongLineText[] = L"１行の行数が 16384 文字を超えた行があります";
constexpr wchar_t kHistory[] = L"TovoCsvList-Find.txt";

class HostileLines : public ListWindowTest {
 protected:
  // Runs a command and answers the box it shows, if any; returns the box's text ("" for none).
  std::wstring Command(const wchar_t* caption, int answer = IDOK, DWORD boxWithinMs = 300) {
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(session->MenuCommand(window, caption)) << Utf8(caption);
    EXPECT_TRUE(session->Sync(60000)) << Utf8(caption);
    std::wstring text;
    if (auto box = session->WaitMessageBox(boxWithinMs)) {
      text = box->text;
      EXPECT_TRUE(session->Answer(*box, answer));
    }
    EXPECT_TRUE(session->Sync(60000));
    std::printf("  %s: %llu ms%s\n", Utf8(caption).c_str(), Since(start), text.empty() ? "" : " (message)");
    return text;
  }

  void Search(const std::wstring& term) {
    HWND box = FindChildByClass(window, L"ComboBox", 0);
    ASSERT_TRUE(SetComboText(box, term));
    ASSERT_TRUE(session->Sync());
  }

  void Select(int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = item.stateMask;
    Send(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  }

  // Header and fitting write panel 0 / panels 1 and 2 with the column count when they end.
  void SetHeader() {
    SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L""));
    const ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(session->MenuCommand(window, L"現在行をヘッダーに設定(&H)"));
    ASSERT_TRUE(WaitUntil([&] { return StatusText(status, 1) == L"96"; }, 60000));
    std::printf("  header: %llu ms\n", Since(start));
  }
  void Fit() {
    SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L""));
    const ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(session->MenuCommand(window, L"カラム幅の自動調整(&C)"));
    ASSERT_TRUE(WaitUntil([&] { return StatusText(status, 0) == L"96"; }, 60000));
    ASSERT_TRUE(session->Sync());
    std::printf("  fitting: %llu ms\n", Since(start));
  }

  // Closing writes the plug-in's own three files and nothing else (no temporary file left).
  void Close() {
    session->CloseWindow(window);
    ASSERT_TRUE(session->WaitReturned(60000)) << session->DescribeWindows();
    session.reset();
    std::set<std::wstring> names;
    for (const auto& [name, print] : PrintPluginsFolder()) names.insert(name);
    EXPECT_EQ(names, (std::set<std::wstring>{L"TovoCsvList.ini", kHistory, L"TovoCsvList-KeyMap.txt"})) << Names(names);
  }
};

}  // namespace

// Unpaired surrogates are text like any other: shown, found, made captions, measured, and kept in
// the history exactly.
TEST_F(HostileLines, UnpairedSurrogatesAreShownSearchedUsedAsHeaderAndFitted) {
  const std::wstring highAlone = L"a\xD800";
  const std::wstring lowFirst = L"\xDC00x";
  const std::wstring reversed = L"\xDE00\xD83D";
  Open({L"plain,row", highAlone + L"," + lowFirst + L"," + reversed, L"\xD83D\xDE00,\xDBFF"});
  if (HasFatalFailure()) return;
  EXPECT_EQ(ListCell(list, 1, 1), highAlone);
  EXPECT_EQ(ListCell(list, 1, 2), lowFirst);
  EXPECT_EQ(ListCell(list, 1, 3), reversed);
  EXPECT_EQ(ListCell(list, 2, 2), L"\xDBFF");

  // Case is ignored next to a lone surrogate too.
  const struct {
    std::wstring term;
    const wchar_t* hit;
  } searches[] = {{L"A\xD800", L"行:00002 桁:01"}, {lowFirst, L"行:00002 桁:02"}, {L"\xDBFF", L"行:00003 桁:02"}};
  for (const auto& s : searches) {
    Search(s.term);
    EXPECT_EQ(Utf8(Command(L"次を検索(&N)")), "");
    EXPECT_EQ(Utf8(StatusText(status, 4)), Utf8(s.hit));
  }

  Select(1);
  SetHeader();
  if (HasFatalFailure()) return;
  EXPECT_EQ(ListColumnCaption(list, 1), L"01 " + highAlone);
  EXPECT_EQ(ListColumnCaption(list, 3), L"03 " + reversed);
  Fit();
  if (HasFatalFailure()) return;
  for (int c = 1; c <= 3; ++c) EXPECT_GT(ListColumnWidth(list, c), 10) << c;
  Close();
  if (HasFatalFailure()) return;

  const std::vector<std::wstring> history = ReadLines(kHistory);
  EXPECT_EQ(history, (std::vector<std::wstring>{L"\xDBFF", lowFirst, L"A\xD800"}));
}

// Ten million characters on one line, asked of the editor in two steps like any line: kept whole,
// said once per fill, and every command over it finishes.
TEST_F(HostileLines, TenMillionCharacterLine) {
  std::wstring huge(10'000'000, L'x');
  huge += L",needle";
  const ULONGLONG start = GetTickCount64();
  Start({L"a,b", huge, L"c,d"});
  auto box = session->WaitMessageBox(60000);
  ASSERT_TRUE(box) << session->DescribeWindows();
  std::printf("ten million: message after %llu ms\n", Since(start));
  EXPECT_EQ(box->text, kLongLineText);
  ASSERT_TRUE(session->Answer(*box, IDOK));
  FindWindowAndControls();
  if (HasFatalFailure()) return;
  EXPECT_EQ(ListCell(list, 1, 2), L"needle");
  EXPECT_GE(ListCell(list, 1, 1).size(), (size_t{1} << 20) - 1) << "the driver reads at most 1 M units";
  bool asked = false;
  for (const HostRequest& r : host.Requests()) {
    if (r.message == tovo::kMsgGetLine && r.lParam != 0 && r.line == 1) {
      EXPECT_EQ(r.capacity, 10'000'007u);
      asked = true;
    }
  }
  EXPECT_TRUE(asked);

  Search(L"NEEDLE");
  EXPECT_EQ(Command(L"次を検索(&N)"), L"");
  EXPECT_EQ(StatusText(status, 4), L"行:00002 桁:02");
  Select(1);
  SetHeader();
  if (HasFatalFailure()) return;
  Fit();
  if (HasFatalFailure()) return;
  EXPECT_EQ(Command(L"全て表示(&A)"), kLongLineText);
  EXPECT_EQ(ListRowCount(list), 3);
  Close();
}

// 100,000 commas are 100,001 empty fields: 96 empty cells, and nothing takes long.
TEST_F(HostileLines, LineOfAHundredThousandCommas) {
  const std::wstring commas(100000, L',');
  const ULONGLONG start = GetTickCount64();
  Start({commas, L"x," + commas + L"y"});
  auto box = session->WaitMessageBox(60000);  // 100,000 units is a long line
  ASSERT_TRUE(box) << session->DescribeWindows();
  EXPECT_EQ(box->text, kLongLineText);
  ASSERT_TRUE(session->Answer(*box, IDOK));
  FindWindowAndControls();
  if (HasFatalFailure()) return;
  std::printf("commas: opened in %llu ms\n", Since(start));
  for (int c : {1, 2, 95, 96}) EXPECT_EQ(ListCell(list, 0, c), L"") << c;
  EXPECT_EQ(ListCell(list, 1, 1), L"x");
  EXPECT_EQ(ListCell(list, 1, 96), L"");

  Search(L"y");  // field 100,001 is not shown, and not searched
  EXPECT_NE(Command(L"次を検索(&N)"), L"");
  Search(L",");
  EXPECT_NE(Command(L"次を検索(&N)"), L"");
  SetHeader();
  if (HasFatalFailure()) return;
  Fit();
  if (HasFatalFailure()) return;
  EXPECT_EQ(Command(L"全て表示(&A)"), kLongLineText);
  EXPECT_EQ(ListRowCount(list), 2);
  Close();
}

// No lines: every command is harmless and never asks the editor for a line.
TEST_F(HostileLines, DocumentOfNoLinesSurvivesEveryCommand) {
  Open({});
  if (HasFatalFailure()) return;
  Search(L"term");
  const std::wstring notFound = L"検索しましたが見つかりませんでした\r\nterm";
  for (const wchar_t* command : {L"全て表示(&A)", L"カラム幅の自動調整(&C)", L"現在行をヘッダーに設定(&H)",
                                 L"次を検索(&N)", L"前を検索(&P)", L"先頭(&T)", L"前ページ(&P)", L"次ページ(&N)",
                                 L"最後(&E)", L"強調表示を有効 カラム単位(&C)", L"自動検出(&A)"}) {
    // Only the searches have something to say: nothing was found.
    const bool search = std::wstring_view(command).find(L"検索") != std::wstring_view::npos;
    EXPECT_EQ(Utf8(Command(command)), Utf8(search ? notFound : L"")) << Utf8(command);
    ASSERT_TRUE(IsWindow(window)) << Utf8(command);
  }
  // The go-to-line dialog opens; OK with its number goes nowhere.
  ASSERT_TRUE(session->MenuCommand(window, L"行へ移動(&G)..."));
  HWND jump = session->WaitWindow(L"行へ移動");
  ASSERT_TRUE(jump) << session->DescribeWindows();
  ASSERT_TRUE(ClickButton(FindChildById(jump, IDOK)));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(jump); }));
  if (auto box = session->WaitMessageBox(300)) session->Answer(*box, IDOK);
  ASSERT_TRUE(session->MenuCommand(window, L"開始時へ移動(S)..."));
  ASSERT_TRUE(session->Sync());
  if (auto box = session->WaitMessageBox(300)) session->Answer(*box, IDOK);

  EXPECT_EQ(ListRowCount(list), 0);
  EXPECT_EQ(host.CountRequests(tovo::kMsgGetLine), 0u);
  Close();
}

// A length of -1 reads every line as empty; 2^31 - 1 is capped, the real text still arrives, and
// the line counts as long. Loading, searching, the header and fitting all finish.
TEST_F(HostileLines, BogusLineLengthsThroughEveryCommand) {
  const struct {
    LRESULT length;
    const wchar_t* message;  // at every fill
    const wchar_t* cell;
  } cases[] = {{-1, L"", L""}, {0x7FFFFFFF, kLongLineText, L"b2"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    host.forcedLength = c.length;
    host.ClearRequests();
    const ULONGLONG start = GetTickCount64();
    Start({L"a1,b1", L"a2,b2", L"a3,b3"});
    if (*c.message) {
      auto box = session->WaitMessageBox(60000);
      ASSERT_TRUE(box) << session->DescribeWindows();
      EXPECT_EQ(box->text, c.message);
      ASSERT_TRUE(session->Answer(*box, IDOK));
    }
    FindWindowAndControls();
    if (HasFatalFailure()) return;
    std::printf("length %lld: opened in %llu ms\n", static_cast<long long>(c.length), Since(start));
    EXPECT_EQ(ListRowCount(list), 3);
    EXPECT_EQ(ListCell(list, 1, 2), c.cell);
    EXPECT_EQ(Command(L"全て表示(&A)"), c.message);
    EXPECT_EQ(ListCell(list, 1, 2), c.cell);
    Search(L"b2");
    const std::wstring found = Command(L"次を検索(&N)");
    EXPECT_EQ(found.empty(), *c.cell != L'\0') << Utf8(found);
    Select(1);
    SetHeader();
    if (HasFatalFailure()) return;
    Fit();
    if (HasFatalFailure()) return;
    for (const HostRequest& r : host.Requests()) {
      if (r.message == tovo::kMsgGetLine && r.lParam != 0) {
        EXPECT_LE(r.capacity, 16u << 20);
      }
    }
    Close();
    if (HasFatalFailure()) return;
  }
}

// An editor that claims every line is 2^31 - 1 units long: each line still costs only the text it
// really has, so loading two thousand lines takes moments, not minutes.
TEST_F(HostileLines, HugeClaimedLengthsDoNotMakeEveryLineExpensive) {
  host.forcedLength = 0x7FFFFFFF;
  std::vector<std::wstring> lines;
  for (int i = 1; i <= 2000; ++i) lines.push_back(L"a," + std::to_wstring(i));
  Start(lines);
  auto box = session->WaitMessageBox(60000);
  ASSERT_TRUE(box) << session->DescribeWindows();
  ASSERT_TRUE(session->Answer(*box, IDOK));
  FindWindowAndControls();
  if (HasFatalFailure()) return;

  const ULONGLONG start = GetTickCount64();
  ASSERT_TRUE(session->MenuCommand(window, L"全て表示(&A)"));
  box = session->WaitMessageBox();
  ASSERT_TRUE(box) << session->DescribeWindows();  // the question above 500 lines
  ASSERT_TRUE(session->Answer(*box, IDYES));
  box = session->WaitMessageBox(120000);
  ASSERT_TRUE(box) << session->DescribeWindows();
  const ULONGLONG took = Since(start);
  std::printf("load all of 2000 lines claimed 2^31 - 1 long: %llu ms\n", took);
  EXPECT_EQ(box->text, kLongLineText);
  ASSERT_TRUE(session->Answer(*box, IDOK));
  EXPECT_LT(took, 10000u);
  EXPECT_EQ(ListRowCount(list), 2000);
  EXPECT_EQ(ListCell(list, 1999, 2), L"2000");
  Close();
}
