// What the editor reads from the DLL: the exports, the texts, the resources, and one command run.
#include "driver/ListWindowTest.h"

#include <cstring>

using namespace tovotest;

namespace {

constexpr WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
constexpr wchar_t kUntouched = 0xCCCC;

std::string_view ResourceBytes(LPCWSTR type, LPCWSTR name, WORD language) {
  HMODULE module = Plugin().module;
  HRSRC found = FindResourceExW(module, type, name, language);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(module, found);
  return {static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found)};
}

uint16_t Word(std::string_view bytes, size_t at) {
  uint16_t v = 0;
  if (at + 2 <= bytes.size()) std::memcpy(&v, bytes.data() + at, 2);
  return v;
}

uint32_t Dword(std::string_view bytes, size_t at) {
  uint32_t v = 0;
  if (at + 4 <= bytes.size()) std::memcpy(&v, bytes.data() + at, 4);
  return v;
}

// A string table block holds 16 counted strings; string id n lives in block n / 16 + 1.
std::optional<std::wstring> TableString(int id) {
  std::string_view block = ResourceBytes(RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), kJapanese);
  if (block.empty()) return std::nullopt;
  size_t at = 0;
  for (int i = 0; i < 16; ++i) {
    const size_t length = Word(block, at);
    at += 2;
    if (at + 2 * length > block.size()) return std::nullopt;
    if (i == id % 16) {
      std::wstring text(length, L'\0');
      std::memcpy(text.data(), block.data() + at, 2 * length);
      return text;
    }
    at += 2 * length;
  }
  return std::nullopt;
}

struct ProcResult {
  LRESULT answer;
  std::wstring buffer;
};

ProcResult CallPluginProc(UINT code, WPARAM size, bool withBuffer = true) {
  ProcResult r{0, std::wstring(16, kUntouched)};
  r.answer = Plugin().PluginProc(nullptr, code, size, withBuffer ? reinterpret_cast<LPARAM>(r.buffer.data()) : 0);
  return r;
}

std::wstring Expected(std::wstring_view written) {
  std::wstring expected(written);
  expected.resize(16, kUntouched);
  return expected;
}

class Exports : public ListWindowTest {};

TEST_F(Exports, PluginProcAnswersNameAndVersion) {
  struct Case {
    UINT code;
    WPARAM size;
    bool withBuffer;
    LRESULT answer;
    std::wstring written;  // units before the untouched rest of the buffer
  };
  const Case cases[] = {
      {tovo::kPluginProcName, 0, false, 11, L""},
      {tovo::kPluginProcName, 12, false, 11, L""},
      {tovo::kPluginProcName, 12, true, 11, std::wstring(L"TovoCsvList\0", 12)},
      {tovo::kPluginProcName, 16, true, 11, std::wstring(L"TovoCsvList\0", 12)},
      {tovo::kPluginProcName, 5, true, 11, std::wstring(L"Tovo\0", 5)},
      {tovo::kPluginProcName, 1, true, 11, std::wstring(L"\0", 1)},
      {tovo::kPluginProcName, 0, true, 11, L""},
      {tovo::kPluginProcVersion, 0, false, 4, L""},
      {tovo::kPluginProcVersion, 0, true, 4, L""},
      {tovo::kPluginProcVersion, 5, true, 4, std::wstring(L"1.08\0", 5)},
      {tovo::kPluginProcVersion, 3, true, 4, std::wstring(L"1.\0", 3)},
      {2304, 16, true, 0, L""},
      {2305, 16, true, 0, L""},
      {0, 16, true, 0, L""},
      {2308, 16, true, 0, L""},
      {0xFFFFFFFF, 16, true, 0, L""},
  };
  for (const Case& c : cases) {
    const ProcResult r = CallPluginProc(c.code, c.size, c.withBuffer);
    EXPECT_EQ(r.answer, c.answer) << "code " << c.code << " size " << c.size;
    EXPECT_EQ(r.buffer, Expected(c.written)) << "code " << c.code << " size " << c.size;
  }
}

TEST_F(Exports, IdsAndStatusQueryAreConstant) {
  const PluginExports& p = Plugin();
  EXPECT_EQ(p.GetMenuTextID(), 1);
  EXPECT_EQ(p.GetStatusMessageID(), 2);
  EXPECT_EQ(p.GetIconID(), 101);
  int32_t checked = 12345;
  EXPECT_EQ(p.QueryStatus(nullptr, &checked), -1);
  EXPECT_EQ(checked, 0);
  p.OnEvents(nullptr, 0, 0);
  p.OnEvents(reinterpret_cast<HWND>(1), 0xFFFFFFFF, -1);
  checked = -7;
  EXPECT_EQ(p.QueryStatus(reinterpret_cast<HWND>(1), &checked), -1);
  EXPECT_EQ(checked, 0);
}

TEST_F(Exports, InformationalExportsTouchNoFile) {
  const PluginExports& p = Plugin();
  int32_t checked = 0;
  p.QueryStatus(nullptr, &checked);
  p.GetMenuTextID();
  p.GetStatusMessageID();
  p.GetIconID();
  p.OnEvents(nullptr, 1, 0);
  CallPluginProc(tovo::kPluginProcName, 12);
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((PluginsDir() + L"*").c_str(), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  do {
    const std::wstring name = found.cFileName;
    EXPECT_TRUE(name == L"." || name == L"..") << "created " << Utf8(name);
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

TEST_F(Exports, StringsCarryTheJapaneseTag) {
  EXPECT_EQ(Utf8(TableString(1).value_or(L"<missing>")), Utf8(L"TovoCsvList"));
  EXPECT_EQ(Utf8(TableString(2).value_or(L"<missing>")), Utf8(L"TovoCsvList|TovoCsvListです"));
}

TEST_F(Exports, IconIsOneOpaque32PixelImageWith256Colours) {
  const std::string_view group = ResourceBytes(RT_GROUP_ICON, MAKEINTRESOURCEW(101), kJapanese);
  ASSERT_GE(group.size(), 6u + 14u) << "no icon group 101 in language 1041";
  EXPECT_EQ(Word(group, 2), 1) << "not an icon group";
  ASSERT_EQ(Word(group, 4), 1) << "images in the group";
  const size_t entry = 6;
  EXPECT_EQ(static_cast<uint8_t>(group[entry]), 32);      // width
  EXPECT_EQ(static_cast<uint8_t>(group[entry + 1]), 32);  // height
  const uint16_t imageId = Word(group, entry + 12);

  const std::string_view image = ResourceBytes(RT_ICON, MAKEINTRESOURCEW(imageId), kJapanese);
  ASSERT_GE(image.size(), 40u) << "no icon image " << imageId << " in language 1041";
  ASSERT_EQ(Dword(image, 0), 40u) << "the image is not a plain bitmap (PNG?)";
  EXPECT_EQ(Dword(image, 4), 32u);  // width
  EXPECT_EQ(Dword(image, 8), 64u);  // height: colour rows and mask rows
  EXPECT_EQ(Word(image, 14), 8);    // bits per pixel
  const uint32_t colours = Dword(image, 32) ? Dword(image, 32) : 256;
  EXPECT_LE(colours, 256u);
  const size_t mask = 40 + 4 * size_t{colours} + 32 * 32;  // 8-bit rows of 32 bytes
  ASSERT_EQ(image.size(), mask + 32 * 4) << "colour table, pixels and a 1-bit mask";
  // An opaque icon has a mask of zeros.
  EXPECT_EQ(image.substr(mask).find_first_not_of('\0'), std::string_view::npos);
}

TEST_F(Exports, VersionResourceSays108) {
  const std::wstring path = ExeDir() + L"TovoCsvList.dll";
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  ASSERT_GT(size, 0u) << "no version resource";
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
  struct Translation {
    WORD language, codePage;
  }* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(
      VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) &&
      length >= sizeof(Translation));
  wchar_t key[64];
  swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", translation->language, translation->codePage);
  wchar_t* version = nullptr;
  ASSERT_TRUE(VerQueryValueW(data.data(), key, reinterpret_cast<void**>(&version), &length)) << "no FileVersion text";
  const std::wstring text(version);
  EXPECT_TRUE(text == L"1.08" || text.rfind(L"1.08.", 0) == 0) << Utf8(text);
}

// The combo box of rows per page is the one whose first entry is "10".
HWND RowsPerPageBox(HWND window) {
  for (HWND combo : Children(window, L"ComboBox")) {
    auto items = ComboItems(combo);
    if (!items.empty() && items[0] == L"10") return combo;
  }
  return nullptr;
}

TEST_F(Exports, CommandReturnsOnlyAfterTheWindowClosedAndStartsAfreshEachTime) {
  const std::vector<std::wstring> lines = {L"a,b", L"c,d", L"e"};
  int32_t checked = 5;
  EXPECT_EQ(Plugin().QueryStatus(nullptr, &checked), -1);
  EXPECT_EQ(checked, 0);

  struct Run {
    const wchar_t* dispNum;  // stored between the runs; nullptr: no settings file
    const wchar_t* rows;
  };
  for (const Run run : {Run{nullptr, L"20"}, Run{L"0", L"10"}}) {
    if (run.dispNum) IniWrite(L"CsvList", L"DispNum", run.dispNum);
    Launch(lines);
    window = session->WaitWindow(kListCaption);
    ASSERT_TRUE(window) << session->DescribeWindows();
    HWND rows = RowsPerPageBox(window);
    ASSERT_TRUE(rows);
    EXPECT_EQ(ComboText(rows), run.rows);
    checked = 5;
    EXPECT_EQ(Plugin().QueryStatus(nullptr, &checked), -1);
    EXPECT_EQ(checked, 0);
    ASSERT_TRUE(session->Sync());
    EXPECT_FALSE(session->Returned());
    const ULONGLONG closing = GetTickCount64();
    session->CloseWindow(window);
    ASSERT_TRUE(session->WaitReturned());
    EXPECT_GE(session->ReturnedAt(), closing);
    EXPECT_FALSE(IsWindow(window));
  }
  checked = 5;
  EXPECT_EQ(Plugin().QueryStatus(nullptr, &checked), -1);
  EXPECT_EQ(checked, 0);
}

TEST_F(Exports, LinesAreAskedLengthFirstThenCopiedIntoThatCapacity) {
  Launch({L"a,b", L"", L"日本,語"});
  window = session->WaitWindow(kListCaption);
  ASSERT_TRUE(window) << session->DescribeWindows();
  list = FindChildByClass(window, L"SysListView32");
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == 3; }))
      << ListRowCount(list) << " rows after " << host.CountRequests(tovo::kMsgGetLine) << " line requests";

  const auto requests = host.Requests();
  ASSERT_EQ(host.CountRequests(tovo::kMsgGetLineCount), 1u);
  ASSERT_EQ(host.CountRequests(tovo::kMsgGetCurrentLine), 1u);
  std::vector<int> linesRead;
  for (size_t i = 0; i < requests.size(); ++i) {
    const HostRequest& r = requests[i];
    if (r.message == tovo::kMsgGetLineCount) {
      EXPECT_EQ(r.wParam, 1u);
      EXPECT_EQ(r.lParam, 0);
    } else if (r.message == tovo::kMsgGetCurrentLine) {
      EXPECT_EQ(r.wParam, 1u);
      EXPECT_EQ(r.lParam, -1);
    } else if (r.lParam == 0) {
      EXPECT_EQ(r.capacity, 0u);
      EXPECT_EQ(r.flags, 1);
      EXPECT_EQ(r.reserved, 0);
      ASSERT_LT(i + 1, requests.size()) << "no copy after the length of line " << r.line;
      const HostRequest& copy = requests[i + 1];
      EXPECT_EQ(copy.message, tovo::kMsgGetLine);
      EXPECT_NE(copy.lParam, 0);
      EXPECT_EQ(copy.line, r.line);
      EXPECT_EQ(copy.capacity, static_cast<uint32_t>(r.answer));
      EXPECT_EQ(copy.flags, 1);
      linesRead.push_back(r.line);
      ++i;
    } else {
      ADD_FAILURE() << "a copy request without a length request before it, line " << r.line;
    }
  }
  EXPECT_EQ(linesRead, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(Utf8(ListCell(list, 2, 1)), Utf8(L"日本"));
  session->CloseWindow(window);
  EXPECT_TRUE(session->WaitReturned());
}

// A host that passes no pointer must not bring the editor down.
TEST_F(Exports, QueryStatusWithoutAPointerStillAnswers) { EXPECT_EQ(Plugin().QueryStatus(nullptr, nullptr), -1); }

}  // namespace
