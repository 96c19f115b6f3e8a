// The search: both directions, the status panel, the messages, the history and its file.
#include "driver/ListWindowTest.h"
#include "list/CsvListIds.h"

#include <commctrl.h>

#include <memory>

using namespace tovotest;

namespace {

constexpr wchar_t kBlank[] = L"行:      桁:  ";
constexpr wchar_t kNext[] = L"次を検索(&N)";
constexpr wchar_t kPrev[] = L"前を検索(&P)";

std::wstring NotFound(const std::wstring& term) { return L"検索しましたが見つかりませんでした\r\n" + term; }

std::vector<std::wstring> Filler(int count) {
  std::vector<std::wstring> lines;
  for (int i = 1; i <= count; ++i) lines.push_back(L"r" + std::to_wstring(i) + L",x,y");
  return lines;
}

class Search : public ListWindowTest {
 protected:
  void Open(std::vector<std::wstring> lines, int currentLine = 0) {
    ListWindowTest::Open(std::move(lines), currentLine);
    box = FindChildById(window, tovo::IdComboBox3);
    ASSERT_TRUE(box);
  }

  // Runs a search for `term` and returns the message it showed (answered), if any.
  std::optional<std::wstring> Find(const std::wstring& term, const wchar_t* command = kNext) {
    EXPECT_TRUE(SetComboText(box, term));
    EXPECT_TRUE(session->MenuCommand(window, command));
    EXPECT_TRUE(session->Sync());
    if (session->NoMessageBoxWithin(50)) return std::nullopt;
    auto shown = session->WaitMessageBox();
    if (!shown) return std::nullopt;
    EXPECT_TRUE(session->Answer(*shown, IDOK));
    return shown->text;
  }

  void LoadAll() {
    ASSERT_TRUE(session->MenuCommand(window, L"全て表示(&A)"));
    const int rows = static_cast<int>(host.lines.size());
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == rows && StatusText(status, 2) == Caption(rows); }));
    ASSERT_TRUE(session->Sync());
  }

  void Close() {
    session->CloseWindow(window);
    ASSERT_TRUE(session->WaitReturned());
    session.reset();
  }

  HWND box = nullptr;
};

TEST_F(Search, TermOnTheNextPageIsFoundOnlyAfterLoadingAll) {
  std::vector<std::wstring> lines = Filler(20);
  lines[14] = L"needle,x";
  Open(lines);
  EXPECT_EQ(Find(L"needle"), NotFound(L"needle"));
  EXPECT_EQ(StatusText(status, 4), kBlank);
  EXPECT_EQ(ListSelected(list), 0);

  LoadAll();
  EXPECT_EQ(Find(L"needle"), std::nullopt);
  EXPECT_EQ(StatusText(status, 4), L"行:00015 桁:01");
  EXPECT_EQ(ListSelected(list), 14);
  EXPECT_EQ(ListFocused(list), 14);
}

TEST_F(Search, MatchesIgnoreCaseBeyondAsciiAndTheHistoryKeepsBothSpellings) {
  Open({L"start", L"x,ABC", L"x,aBc", L"x,ＡＢＣ", L"x,ÄÖ"});
  EXPECT_EQ(Find(L"abc"), std::nullopt);
  EXPECT_EQ(StatusText(status, 4), L"行:00002 桁:02");
  EXPECT_EQ(Find(L"abc"), std::nullopt);
  EXPECT_EQ(StatusText(status, 4), L"行:00003 桁:02");
  EXPECT_EQ(Find(L"ａｂｃ"), std::nullopt);
  EXPECT_EQ(StatusText(status, 4), L"行:00004 桁:02");
  EXPECT_EQ(Find(L"äö"), std::nullopt);
  EXPECT_EQ(StatusText(status, 4), L"行:00005 桁:02");
  EXPECT_EQ(Find(L"ABC", kPrev), std::nullopt);
  EXPECT_EQ(ComboItems(box), (std::vector<std::wstring>{L"ABC", L"äö", L"ａｂｃ", L"abc"}));
  EXPECT_EQ(ComboText(box), L"ABC");
}

TEST_F(Search, EmptyTermAndNoSelectedRow) {
  Open({L"a,b", L"c,d"});
  EXPECT_EQ(Find(L""), L"検索語が設定されていません");
  EXPECT_TRUE(ComboItems(box).empty());

  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  for (const wchar_t* command : {kNext, kPrev}) {
    EXPECT_EQ(Find(L"d", command), NotFound(L"d")) << Utf8(command);
    EXPECT_EQ(StatusText(status, 4), kBlank);
  }
}

TEST_F(Search, EnterInTheSearchBoxDoesNotSearch) {
  Open({L"a,b", L"c,d"});
  HWND edit = FindChildByClass(box, L"Edit");
  ASSERT_TRUE(edit);
  ASSERT_TRUE(SetComboText(box, L"d"));
  ASSERT_TRUE(session->PostKey(edit, VK_RETURN));
  PostMessageW(edit, WM_CHAR, L'\r', 0);
  PostMessageW(edit, WM_CHAR, 27, 0);
  ASSERT_TRUE(session->Sync());
  EXPECT_TRUE(session->NoMessageBoxWithin(100));
  EXPECT_EQ(ComboText(box), L"d");
  EXPECT_TRUE(ComboItems(box).empty());
  EXPECT_EQ(ListSelected(list), 0);
}

TEST_F(Search, HistoryIsFiledAndWrittenOnClose) {
  struct Case {
    const char* name;
    int loaded;  // entries in the file at start: "t1" .. "tN"
    std::vector<std::wstring> terms;
    size_t inBox;                    // entries of the box after the searches
    std::vector<std::wstring> head;  // its first entries
    size_t written;
  };
  const Case cases[] = {
      {"same term twice", 0, {L"z", L"q", L"z"}, 2, {L"z", L"q"}, 2},
      {"forty and a new term", 40, {L"new"}, 40, {L"new", L"t1"}, 32},
      {"forty and a known term", 40, {L"t5"}, 39, {L"t5", L"t1"}, 32},
      {"thirty-two and a new term", 32, {L"new"}, 32, {L"new", L"t1"}, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetPluginsDir();
    std::wstring file;
    for (int i = 1; i <= c.loaded; ++i) file += L"t" + std::to_wstring(i) + L"\r\n";
    WriteText(L"TovoCsvList-Find.txt", file);
    Open({L"a", L"b"});
    for (const auto& term : c.terms) Find(term);
    const std::vector<std::wstring> items = ComboItems(box);
    EXPECT_EQ(items.size(), c.inBox);
    EXPECT_EQ(std::vector<std::wstring>(items.begin(), items.begin() + c.head.size()), c.head);
    Close();
    const std::vector<std::wstring> written = ReadLines(L"TovoCsvList-Find.txt");
    EXPECT_EQ(written.size(), c.written);
    EXPECT_EQ(std::vector<std::wstring>(items.begin(), items.begin() + c.written), written);
  }
}

TEST_F(Search, HitIsCentredInALongList) {
  std::vector<std::wstring> lines = Filler(400);
  lines[300] = L"x,target";
  Open(lines);
  LoadAll();
  EXPECT_EQ(Find(L"target"), std::nullopt);
  EXPECT_EQ(ListSelected(list), 300);
  EXPECT_NEAR(300 - ListTopIndex(list), ListCountPerPage(list) / 2, 1);
}

}  // namespace

// The search options: marks in the menu, kept in the settings file, and what they change.
TEST_F(Search, RegularExpressionsAndTheirSetting) {
  Open({L"start", L"x,b12", L"b7,y", L"q,"});
  ASSERT_TRUE(session->MenuCommand(window, L"正規表現(&X)"));
  ASSERT_TRUE(WaitUntil([&] { return MenuItemState(window, L"正規表現(&X)").checked; }));
  EXPECT_EQ(Find(L"^B\\d$"), std::nullopt);  // \d stays a digit; case is ignored
  EXPECT_EQ(StatusText(status, 4), L"行:00003 桁:01");
  EXPECT_EQ(Find(L"^$"), std::nullopt);  // an empty field is a field
  EXPECT_EQ(StatusText(status, 4), L"行:00004 桁:02");

  // A pattern that is not valid says why and changes nothing.
  EXPECT_EQ(Find(L"b(").value_or(L"").rfind(L"正規表現が正しくありません: ", 0), 0u);
  EXPECT_EQ(ComboItems(box), (std::vector<std::wstring>{L"^$", L"^B\\d$"}));
  EXPECT_EQ(ListSelected(list), 3);
  EXPECT_EQ(StatusText(status, 4), L"行:00004 桁:02");
  Close();
  EXPECT_EQ(IniRead(L"CsvListSearch", L"RegEx"), L"1");
}

// "このカラムのみ" searches the column last clicked or found and says which; the count covers the
// rows shown, in that scope too.
TEST_F(Search, OneColumnAndTheCount) {
  IniWrite(L"CsvListSearch", L"OneColumn", L"1");
  Open({L"start,s,s", L"key,y,z", L"x,key,key", L"q,w,key", L"key"});
  EXPECT_TRUE(MenuItemState(window, L"このカラムのみ(&O)").checked);
  const RECT cell = ListCellRect(list, 0, 3);
  const LPARAM at = MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  ASSERT_TRUE(WaitUntil([&] { return StatusText(status, 4).find(L"このカラムのみ: 03") != std::wstring::npos; }));
  EXPECT_EQ(Find(L"key"), std::nullopt);
  EXPECT_EQ(StatusText(status, 4), L"行:00003 桁:03  このカラムのみ: 03");
  EXPECT_EQ(Find(L"key"), std::nullopt);
  EXPECT_EQ(StatusText(status, 4), L"行:00004 桁:03  このカラムのみ: 03");

  ASSERT_TRUE(session->MenuCommand(window, L"一致数を数える(&U)"));
  ASSERT_TRUE(WaitUntil([&] { return StatusText(status, 4) == L"一致: 2 行 / 2 セル  このカラムのみ: 03"; }));
  EXPECT_EQ(ListSelected(list), 3);  // counting moves nothing
  ASSERT_TRUE(session->MenuCommand(window, L"このカラムのみ(&O)"));
  ASSERT_TRUE(session->MenuCommand(window, L"一致数を数える(&U)"));
  ASSERT_TRUE(WaitUntil([&] { return StatusText(status, 4) == L"一致: 4 行 / 5 セル"; }));
  Close();
  EXPECT_EQ(IniRead(L"CsvListSearch", L"OneColumn"), L"0");
}
