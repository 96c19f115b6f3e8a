#pragma once
// Decisions of the keyboard settings dialog, kept apart from its window: which entries its
// drop-down lists show for a key, and whether a composed key may be assigned.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ShortCut.h"

namespace tovo {

// The entries of the Shift, Ctrl and Alt lists; the single space stands for "not held".
inline constexpr std::array<std::u16string_view, 2> kShiftListEntries = {u" ", u"Shift"};
inline constexpr std::array<std::u16string_view, 2> kCtrlListEntries = {u" ", u"Ctrl"};
inline constexpr std::array<std::u16string_view, 2> kAltListEntries = {u" ", u"Alt"};

inline constexpr size_t kKeyListCount = kKeyNameCount + 1;
// A single space (no key), then the key names in table order.
const std::array<std::u16string_view, kKeyListCount>& KeyListEntries();

using PresentKey = ShortCutParts;
// What the four lists show for a row's shortcut text.
inline PresentKey DecomposeShortCutText(std::u16string_view text)
{
    return SplitShortCutText(text);
}

// Index in KeyListEntries() of the first entry that, trimmed, equals `name` (the space entry
// matches the empty name); -1 when none does, and the list keeps its selection.
int KeyListIndexForName(std::u16string_view name);

// The category texts for the category list: for each first identifier, the category of the
// first line with that identifier; identifiers without a line add nothing.
std::vector<std::u16string> CategoryList(const std::vector<std::u16string>& lines);

struct CommandRow {
    std::u16string name, shortCut, id;
};
// Rows of the command list for one category, in key map order (exact category match).
std::vector<CommandRow> CommandRowsOfCategory(const std::vector<std::u16string>& lines, std::u16string_view category);

// The list texts, each trimmed, the non-empty ones joined by "+" in the order given.
std::u16string ComposeShortCutText(std::u16string_view shiftText, std::u16string_view ctrlText,
                                   std::u16string_view altText, std::u16string_view keyText);

enum class ChangeKind {
    Assigned,  // newText (possibly empty: cleared) is now the command's key
    NeedKey,   // a modifier without a key; message set
    Same,      // the command has this key already; message set
    Conflict,  // another line has this key; message names its category
    NoRows,    // the list is empty: nothing to assign to
};

struct ChangeResult {
    ChangeKind kind = ChangeKind::NoRows;
    std::u16string message;      // for a message box; empty when none is shown
    std::u16string newText;      // the composed shortcut text
    std::u16string updatedLine;  // the replaced key map line, when one was replaced
    std::optional<size_t> lineIndex;
};

// Tries to give the selected command the key composed from the four list texts. `selectedId`
// is nullopt when the list has no rows. On Assigned the first line with the selected
// identifier is replaced in `lines`; every other outcome leaves `lines` unchanged.
ChangeResult ChangePresentKey(std::vector<std::u16string>& lines, std::optional<std::u16string_view> selectedId,
                              std::u16string_view selectedRowShortCut, std::u16string_view shiftText,
                              std::u16string_view ctrlText, std::u16string_view altText, std::u16string_view keyText);

}  // namespace tovo
