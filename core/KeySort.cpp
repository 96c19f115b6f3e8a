#include "core/KeySort.h"

#include <algorithm>
#include <utility>

#include "core/KeyMapLine.h"
#include "core/StrUtil.h"

namespace tovo {

namespace {

char16_t FoldAsciiLower(char16_t ch)
{
    return (ch >= u'a' && ch <= u'z') ? static_cast<char16_t>(ch - (u'a' - u'A')) : ch;
}

int CompareSortKeys(std::u16string_view a, std::u16string_view b)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const char16_t ca = FoldAsciiLower(a[i]);
        const char16_t cb = FoldAsciiLower(b[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace

std::u16string_view KeyTextOfLine(std::u16string_view line)
{
    // Identical to the split's shortcut field: with fewer than three tabs that field is empty.
    return SplitKeyMapLineView(line).shortCut;
}

std::u16string KeySortKey(std::u16string_view keyText)
{
    int weight = 1000;
    if (Contains(keyText, u"Shift+")) weight += 100;
    if (Contains(keyText, u"Ctrl+")) weight += 10;
    if (Contains(keyText, u"Alt+")) weight += 1;
    std::u16string rest = RemoveAll(keyText, u"Shift+");
    rest = RemoveAll(rest, u"Ctrl+");
    rest = RemoveAll(rest, u"Alt+");
    rest = RemoveAll(rest, u" ");
    return DecimalText(weight, 4) + rest;
}

int KeySortCompare(std::u16string_view lineA, std::u16string_view lineB)
{
    return CompareSortKeys(KeySortKey(KeyTextOfLine(lineA)), KeySortKey(KeyTextOfLine(lineB)));
}

int KeyGroupOf(std::u16string_view line)
{
    const std::u16string_view key = KeyTextOfLine(line);
    if (key.empty()) return 0;
    const bool shift = Contains(key, u"Shift+");
    const bool ctrl = Contains(key, u"Ctrl+");
    const bool alt = Contains(key, u"Alt+");
    if (shift) return ctrl ? (alt ? 5 : 3) : (alt ? 4 : 2);
    if (ctrl) return alt ? 7 : 6;
    return alt ? 8 : 1;
}

KeyGroups GroupAndSortKeyMap(const std::vector<std::u16string>& lines)
{
    KeyGroups groups;
    for (const std::u16string& line : lines) groups[KeyGroupOf(line)].push_back(line);
    // Sort keys are built once per line, not once per comparison.
    for (size_t g = 1; g < kKeyGroupCount; ++g) {
        std::vector<std::pair<std::u16string, std::u16string>> keyed;
        keyed.reserve(groups[g].size());
        for (std::u16string& line : groups[g]) keyed.emplace_back(KeySortKey(KeyTextOfLine(line)), std::move(line));
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return CompareSortKeys(a.first, b.first) < 0; });
        for (size_t i = 0; i < keyed.size(); ++i) groups[g][i] = std::move(keyed[i].second);
    }
    return groups;
}

std::vector<std::u16string> SortedKeyMapView(const KeyGroups& groups)
{
    std::vector<std::u16string> out;
    for (int g : kKeyGroupShowOrder) out.insert(out.end(), groups[g].begin(), groups[g].end());
    return out;
}

std::vector<std::u16string> SortedKeyMapView(const std::vector<std::u16string>& lines)
{
    return SortedKeyMapView(GroupAndSortKeyMap(lines));
}

KeyMapColumns SplitKeyMapColumns(std::u16string_view line)
{
    const KeyMapLineView view = SplitKeyMapLineView(line);
    return {std::u16string(view.category), std::u16string(view.name), std::u16string(view.shortCut),
            std::u16string(view.id)};
}

}  // namespace tovo
