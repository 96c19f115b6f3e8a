// The highlight matcher: for any word list and field, the automaton names the same word as
// testing the words one by one would (upper-casing a to z only, empty words never matching); and
// a row's marks, made without splitting its line where that can be, are the fields of the split
// line that hold a word.
#include <string>
#include <vector>

#include "core/CsvSplit.h"
#include "core/HighLight.h"
#include "core/RowModel.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

std::u16string Upper(std::u16string_view s)
{
    std::u16string u(s);
    for (char16_t& c : u) c = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
    return u;
}

int FirstWordByWord(const std::vector<std::u16string>& words, std::u16string_view field)
{
    const std::u16string f = Upper(field);
    for (size_t i = 0; i < words.size(); ++i) {
        if (!words[i].empty() && f.find(Upper(words[i])) != std::u16string::npos) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

// Input: UTF-16 lines; the first unit picks how many of the following lines are words, the rest
// are fields.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::u16string text = fuzz::Utf16FromBytes(data, size);
    if (text.empty()) return 0;
    std::vector<std::u16string> lines = fuzz::SplitOn(std::u16string_view(text).substr(1), u'\n', 512);
    const size_t wordCount = text[0] % (lines.size() + 1);
    const std::vector<std::u16string> words(lines.begin(), lines.begin() + static_cast<ptrdiff_t>(wordCount));

    tovo::HighLightWords matcher;
    matcher.Load(words);
    FUZZ_CHECK(matcher.size() == words.size());
    for (size_t i = wordCount; i < lines.size(); ++i) {
        const int expected = FirstWordByWord(words, lines[i]);
        FUZZ_CHECK(matcher.MatchField(lines[i]) == expected);
        FUZZ_CHECK(matcher.AnyInField(lines[i]) == (expected >= 0));
    }

    tovo::RowModel rows;
    for (size_t i = wordCount; i < lines.size(); ++i)
        rows.AppendRow(static_cast<int32_t>(i), lines[i], tovo::Splitter::Auto);
    tovo::HighLightMarks marks;
    for (int r = 0; r < rows.RowCount(); ++r) tovo::MarkRow(marks, matcher, rows, r, r);
    for (int r = 0; r < rows.RowCount(); ++r) {
        const std::vector<std::u16string> fields = tovo::StringToCsvList(lines[wordCount + static_cast<size_t>(r)]);
        const tovo::HighLightMarks::RowMarks got = marks.MarksOfRow(r);
        for (size_t c = 0; c < fields.size() && c < static_cast<size_t>(tovo::kShownFields); ++c)
            FUZZ_CHECK(got.fields.test(c) == (matcher.size() != 0 && FirstWordByWord(words, fields[c]) >= 0));
    }
    return 0;
}
