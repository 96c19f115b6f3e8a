#include "core/KeyBoardModel.h"

#include "core/Commands.h"
#include "core/KeyMapLine.h"
#include "core/StrUtil.h"

namespace tovo {

namespace {

std::array<std::u16string_view, kKeyListCount> BuildKeyList()
{
    std::array<std::u16string_view, kKeyListCount> entries{};
    entries[0] = u" ";
    for (size_t i = 0; i < kKeyNameCount; ++i) entries[i + 1] = KeyNameTable()[i].name;
    return entries;
}

}  // namespace

const std::array<std::u16string_view, kKeyListCount>& KeyListEntries()
{
    static const std::array<std::u16string_view, kKeyListCount> entries = BuildKeyList();
    return entries;
}

int KeyListIndexForName(std::u16string_view name)
{
    const auto& entries = KeyListEntries();
    for (size_t i = 0; i < entries.size(); ++i)
        if (Trim(entries[i]) == name) return static_cast<int>(i);
    return -1;
}

std::vector<std::u16string> CategoryList(const std::vector<std::u16string>& lines)
{
    std::vector<std::u16string> categories;
    for (std::u16string_view id : kCategoryFirstIds)
        if (const std::u16string* line = FindLineById(lines, id))
            categories.emplace_back(SplitKeyMapLineView(*line).category);
    return categories;
}

std::vector<CommandRow> CommandRowsOfCategory(const std::vector<std::u16string>& lines, std::u16string_view category)
{
    std::vector<CommandRow> rows;
    for (const std::u16string& line : lines) {
        const KeyMapLineView view = SplitKeyMapLineView(line);
        if (view.category == category)
            rows.push_back({std::u16string(view.name), std::u16string(view.shortCut), std::u16string(view.id)});
    }
    return rows;
}

std::u16string ComposeShortCutText(std::u16string_view shiftText, std::u16string_view ctrlText,
                                   std::u16string_view altText, std::u16string_view keyText)
{
    std::u16string text;
    for (std::u16string_view part : {shiftText, ctrlText, altText, keyText}) {
        part = Trim(part);
        if (part.empty()) continue;
        if (!text.empty()) text += u'+';
        text += part;
    }
    return text;
}

ChangeResult ChangePresentKey(std::vector<std::u16string>& lines, std::optional<std::u16string_view> selectedId,
                              std::u16string_view selectedRowShortCut, std::u16string_view shiftText,
                              std::u16string_view ctrlText, std::u16string_view altText, std::u16string_view keyText)
{
    ChangeResult result;
    const bool anyModifier = !Trim(shiftText).empty() || !Trim(ctrlText).empty() || !Trim(altText).empty();
    if (Trim(keyText).empty() && anyModifier) {
        result.kind = ChangeKind::NeedKey;
        result.message = u"Shift,Ctrl,Altのキーが設定されていますが\r\nキーが設定されていません";
        return result;
    }
    result.newText = ComposeShortCutText(shiftText, ctrlText, altText, keyText);
    if (!selectedId) {
        result.kind = ChangeKind::NoRows;
        return result;
    }
    // An empty text clears the key: there is nothing to compare or collide with.
    if (!result.newText.empty()) {
        if (result.newText == selectedRowShortCut) {
            result.kind = ChangeKind::Same;
            result.message = u"同一の設定です";
            return result;
        }
        for (const std::u16string& line : lines) {
            const KeyMapLineView view = SplitKeyMapLineView(line);
            if (view.shortCut != result.newText) continue;
            result.kind = ChangeKind::Conflict;
            result.message = u"「";
            result.message.append(view.category);
            result.message += u"」\r\nで既に使用済みですので設定できません";
            return result;
        }
    }
    result.kind = ChangeKind::Assigned;
    result.lineIndex = FindLineIndexById(lines, *selectedId);
    if (result.lineIndex) {
        const KeyMapLineView old = SplitKeyMapLineView(lines[*result.lineIndex]);
        result.updatedLine = JoinKeyMapLine(old.category, old.name, result.newText, old.id);
        lines[*result.lineIndex] = result.updatedLine;
    }
    return result;
}

}  // namespace tovo
