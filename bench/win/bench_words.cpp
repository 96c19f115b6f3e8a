// Highlighting from a word file of 100,000 words (about 5 MB): "全て表示" by field against the same
// load with highlighting off, and one page of 100 rows filled with the words.
#include "Bench.h"

#include <stdexcept>
#include <string>

namespace tovobench {
namespace {

constexpr double kGoalRatio = 1.3;
constexpr double kPageGoalMs = 20;
constexpr UINT kMenuPrev = 1204, kMenuNext = 1205;
constexpr int kMovesPerRun = 10;

// 100,000 words of 20 to 80 letters and kana that the document does not hold, then three of its
// own words so fields get marked. UTF-8 with a byte-order mark.
void WriteWords(const std::wstring& path) {
  static const wchar_t kAlphabet[] = L"abcdefghijklmnopqrstuvwxyzアイウエオカキクケコ東京";
  constexpr uint32_t kLetters = sizeof kAlphabet / sizeof kAlphabet[0] - 1;
  uint32_t seed = 99;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  std::wstring text;
  for (int i = 0; i < 100'000; ++i) {
    for (uint32_t n = 20 + next() % 61; n > 0; --n) text += kAlphabet[next() % kLetters];
    text += L"\r\n";
  }
  text += L"Smith\r\n品番\r\nz9\r\n";
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
  WriteWords(words);
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
  out.push_back({"load all, highlighting off", "ms", plain, 0, ""});
  out.push_back({"load all, 100,000 words by field", "ms", marked, 0, ""});
  out.push_back({"load all: 100,000 words / off", "x", ratio, kGoalRatio, "per run, the two loads back to back"});
  out.push_back({"page fill, 100 rows, 100,000 words", "ms", page, kPageGoalMs, "handler"});

  Highlighting(ctx, words, false);
  WriteIni(ctx, L"CsvList", L"DispNum", L"5");
  DeleteFileW(words.c_str());
}

}  // namespace
TOVO_BENCH("words", 95, Words);
}  // namespace tovobench
