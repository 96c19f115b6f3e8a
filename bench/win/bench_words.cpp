// Highlighting from a word file of 100,000 words: "全て表示" by field against the same load with
// highlighting off, and one page of 100 rows filled with the words; once with words of which
// three stand in most rows (about 5 MB), once with short words that stand in none.
#include "Bench.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace tovobench {
namespace {

constexpr double kGoalRatio = 1.3;
constexpr double kPageGoalMs = 20;
constexpr UINT kMenuPrev = 1204, kMenuNext = 1205;
constexpr int kMovesPerRun = 10;

enum class WordList {
  Matching,  // 100,000 long words, then three of the document's own: the mark table fills early
  Nothing,   // 100,000 words of 3 to 8 units that stand in no line: every row is matched to its end
};

// Letters and kana, as the document's fields hold them; UTF-8 with a byte-order mark.
void WriteWords(const std::wstring& path, WordList list) {
  static const wchar_t kAlphabet[] = L"abcdefghijklmnopqrstuvwxyzアイウエオカキクケコ東京";
  constexpr uint32_t kLetters = sizeof kAlphabet / sizeof kAlphabet[0] - 1;
  uint32_t seed = 99;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  auto upper = [](std::wstring s) {
    for (wchar_t& c : s) c = c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 0x20) : c;
    return s;
  };
  std::vector<std::wstring> runs = Document::LetterRuns();
  for (std::wstring& run : runs) run = upper(run);
  std::wstring text;
  for (int i = 0; i < 100'000;) {
    std::wstring word;
    for (uint32_t n = list == WordList::Matching ? 20 + next() % 61 : 3 + next() % 6; n > 0; --n)
      word += kAlphabet[next() % kLetters];
    const std::wstring key = upper(word);
    if (std::any_of(runs.begin(), runs.end(), [&](const std::wstring& r) { return r.find(key) != r.npos; })) continue;
    text += word + L"\r\n";
    ++i;
  }
  if (list == WordList::Matching) text += L"Smith\r\n品番\r\nz9\r\n";
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8 = "\xEF\xBB\xBF" + std::string(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data() + 3, bytes, nullptr, nullptr);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write the word file");
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
}

void Highlighting(Context& ctx, const std::wstring& words, bool on) {
  WriteIni(ctx, L"CsvListHighLight", L"None", on ? L"0" : L"1");
  WriteIni(ctx, L"CsvListHighLight", L"Col", on ? L"1" : L"0");
  WriteIni(ctx, L"CsvListHighLight", L"FileName", on ? words.c_str() : L"");
}

double LoadAllOnce(Context& ctx) {
  WriteIni(ctx, L"CsvList", L"DispNum", L"5");
  Session s(ctx);
  const double t = s.LoadAll();
  if (t < 0 || s.RowCount() != ctx.document->LineCount()) throw std::runtime_error("load-all did not fill the list");
  return t;
}

void Words(Context& ctx, Results& out) {
  const std::wstring words = ctx.pluginsDir + L"bench-words-100k.txt";
  for (const WordList list : {WordList::Matching, WordList::Nothing}) {
    WriteWords(words, list);
    Samples plain, marked, ratio, page;
    for (int run = 0; run < ctx.runs; ++run) {
      Highlighting(ctx, words, false);
      plain.push_back(LoadAllOnce(ctx));
      Highlighting(ctx, words, true);
      marked.push_back(LoadAllOnce(ctx));
      ratio.push_back(marked.back() / plain.back());

      WriteIni(ctx, L"CsvList", L"DispNum", L"45");  // the entry "100"
      Session s(ctx, ctx.document->LineCount() / 2);
      for (int move = 0; move < kMovesPerRun; ++move) page.push_back(s.Command(move % 2 ? kMenuPrev : kMenuNext));
    }
    const std::string kind = list == WordList::Matching ? "100,000 words" : "100,000 short words matching nothing";
    out.push_back({"load all, highlighting off", "ms", plain, 0, ""});
    out.push_back({"load all, " + kind + " by field", "ms", marked, 0, ""});
    out.push_back({"load all: " + kind + " / off", "x", ratio, kGoalRatio, "per run, the two loads back to back"});
    out.push_back({"page fill, 100 rows, " + kind, "ms", page, kPageGoalMs, "handler"});
  }

  Highlighting(ctx, words, false);
  WriteIni(ctx, L"CsvList", L"DispNum", L"5");
  DeleteFileW(words.c_str());
}

}  // namespace
TOVO_BENCH("words", 95, Words);
}  // namespace tovobench
