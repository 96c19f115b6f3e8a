// Key-map lines and shortcut texts: splitting and joining must be stable, views must stay inside
// the line, and text -> shortcut -> text must settle after one step.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/KeyMapLine.h"
#include "core/ShortCut.h"
#include "tests/fuzz/FuzzInput.h"

using namespace tovo;

namespace {

bool Inside(std::u16string_view part, std::u16string_view whole)
{
    // An empty view may point anywhere; a non-empty one must lie in the line.
    if (part.empty()) return true;
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

bool operator==(const KeyMapLine& a, const KeyMapLine& b)
{
    return a.category == b.category && a.name == b.name && a.shortCut == b.shortCut && a.id == b.id;
}

void CheckLine(std::u16string_view line)
{
    const KeyMapLineView view = SplitKeyMapLineView(line);
    for (std::u16string_view part : {view.category, view.name, view.shortCut, view.id}) FUZZ_CHECK(Inside(part, line));
    for (std::u16string_view part : {view.category, view.name, view.shortCut})
        FUZZ_CHECK(part.find(u'\t') == std::u16string_view::npos);
    const size_t tabs = static_cast<size_t>(std::count(line.begin(), line.end(), u'\t'));
    if (tabs == 0) FUZZ_CHECK(view.id == line);

    const KeyMapLine split = SplitKeyMapLine(line);
    const std::u16string joined = JoinKeyMapLine(split);
    if (tabs >= 3) FUZZ_CHECK(joined == line);
    FUZZ_CHECK(SplitKeyMapLine(joined) == split);
    FUZZ_CHECK(JoinKeyMapLine(view.category, view.name, view.shortCut, view.id) == joined);

    // Looking a line up by its own identifier finds it (or an earlier line with the same one).
    const std::vector<std::u16string> lines = {u"x\ty\tF1\tother-id", std::u16string(line)};
    const std::optional<size_t> index = FindLineIndexById(lines, view.id);
    FUZZ_CHECK(index.has_value() && *index <= 1);
    if (*index == 1) {
        bool found = false;
        FUZZ_CHECK(ShortCutTextForId(lines, view.id, &found) == view.shortCut && found);
        FUZZ_CHECK(ShortCutForId(lines, view.id) == TextToShortCut(view.shortCut));
    }
}

void CheckShortCutText(std::u16string_view text)
{
    const uint16_t number = TextToShortCut(text);
    const std::u16string shown = ShortCutToText(number);
    FUZZ_CHECK(shown.empty() != IsWorkingShortCut(number));
    if (!shown.empty()) FUZZ_CHECK(TextToShortCut(shown) == number);
    FUZZ_CHECK(ShortCutToText(TextToShortCut(shown)) == shown);

    const ShortCutParts parts = SplitShortCutText(text);
    FUZZ_CHECK(parts.keyName.find(u'+') == std::u16string::npos);
    FUZZ_CHECK(MakeShortCut(KeyCodeFromName(parts.keyName), parts.shift, parts.ctrl, parts.alt) == number);
}

void CheckShortCutNumber(uint16_t number)
{
    const std::u16string text = ShortCutToText(number);
    if (text.empty())
        FUZZ_CHECK(KeyNameFromCode(ShortCutKeyCode(number)).empty());
    else
        FUZZ_CHECK(TextToShortCut(text) == number);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::u16string text = fuzz::Utf16FromBytes(data, size);
    CheckLine(text);
    CheckShortCutText(text);
    CheckShortCutText(SplitKeyMapLineView(text).shortCut);

    // Four fields without tabs (the identifier may hold some) join and split back unchanged.
    std::vector<std::u16string> parts = fuzz::SplitOn(text, u'\0', 4);
    parts.resize(4);
    for (size_t i = 0; i < 3; ++i) std::erase(parts[i], u'\t');
    const KeyMapLine fields{parts[0], parts[1], parts[2], parts[3]};
    FUZZ_CHECK(SplitKeyMapLine(JoinKeyMapLine(fields)) == fields);

    if (size >= 2) {
        uint16_t number;
        std::memcpy(&number, data, 2);
        CheckShortCutNumber(number);
    }
    return 0;
}
