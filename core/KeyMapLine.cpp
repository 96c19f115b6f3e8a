#include "core/KeyMapLine.h"

#include <algorithm>

#include "core/ShortCut.h"

namespace tovo {

namespace {

// Takes the text before the first tab of `rest` and leaves the text after it; without a tab
// the field is empty and `rest` stays whole.
std::u16string_view TakeField(std::u16string_view& rest)
{
    const size_t tab = rest.find(u'\t');
    if (tab == std::u16string_view::npos) return {};
    const std::u16string_view field = rest.substr(0, tab);
    rest.remove_prefix(tab + 1);
    return field;
}

}  // namespace

KeyMapLineView SplitKeyMapLineView(std::u16string_view line)
{
    KeyMapLineView view;
    view.category = TakeField(line);
    view.name = TakeField(line);
    view.shortCut = TakeField(line);
    view.id = line;
    return view;
}

KeyMapLine SplitKeyMapLine(std::u16string_view line)
{
    const KeyMapLineView view = SplitKeyMapLineView(line);
    return {std::u16string(view.category), std::u16string(view.name), std::u16string(view.shortCut),
            std::u16string(view.id)};
}

std::u16string JoinKeyMapLine(std::u16string_view category, std::u16string_view name, std::u16string_view shortCut,
                              std::u16string_view id)
{
    std::u16string out;
    out.reserve(category.size() + name.size() + shortCut.size() + id.size() + 3);
    out.append(category).append(1, u'\t');
    out.append(name).append(1, u'\t');
    out.append(shortCut).append(1, u'\t');
    out.append(id);
    return out;
}

std::u16string JoinKeyMapLine(const KeyMapLine& line)
{
    return JoinKeyMapLine(line.category, line.name, line.shortCut, line.id);
}

std::vector<std::u16string> CommandTableLines(const std::array<uint16_t, kCommandCount>& shortCuts)
{
    std::vector<std::u16string> lines;
    lines.reserve(kCommandCount);
    const auto& table = CommandTable();
    for (size_t i = 0; i < kCommandCount; ++i)
        lines.push_back(JoinKeyMapLine(table[i].category, table[i].caption, ShortCutToText(shortCuts[i]), table[i].id));
    return lines;
}

std::vector<std::u16string> CommandTableLines()
{
    return CommandTableLines(DefaultCommandShortCuts());
}

std::optional<std::vector<std::u16string>> KeyMapFromFile(const std::vector<std::u16string>& lines)
{
    if (KeyMapLineCountMatches(lines)) return lines;
    if (std::find(kEarlierCommandCounts.begin(), kEarlierCommandCounts.end(), lines.size()) ==
        kEarlierCommandCounts.end())
        return std::nullopt;
    std::vector<std::u16string> merged = CommandTableLines();
    const auto& table = CommandTable();
    for (size_t i = 0; i < kCommandCount; ++i) {
        if (const std::u16string* line = FindLineById(lines, table[i].id)) merged[i] = *line;
    }
    return merged;
}

std::optional<size_t> FindLineIndexById(const std::vector<std::u16string>& lines, std::u16string_view id)
{
    for (size_t i = 0; i < lines.size(); ++i)
        if (SplitKeyMapLineView(lines[i]).id == id) return i;
    return std::nullopt;
}

const std::u16string* FindLineById(const std::vector<std::u16string>& lines, std::u16string_view id)
{
    const std::optional<size_t> index = FindLineIndexById(lines, id);
    return index ? &lines[*index] : nullptr;
}

std::u16string ShortCutTextForId(const std::vector<std::u16string>& lines, std::u16string_view id, bool* found)
{
    const std::u16string* line = FindLineById(lines, id);
    if (found) *found = line != nullptr;
    if (!line) return {};
    return std::u16string(SplitKeyMapLineView(*line).shortCut);
}

std::optional<uint16_t> ShortCutForId(const std::vector<std::u16string>& lines, std::u16string_view id)
{
    const std::u16string* line = FindLineById(lines, id);
    if (!line) return std::nullopt;
    return TextToShortCut(SplitKeyMapLineView(*line).shortCut);
}

}  // namespace tovo
