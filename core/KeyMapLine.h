#pragma once
// Key map lines: category TAB name TAB shortcut text TAB command identifier.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Commands.h"

namespace tovo {

struct KeyMapLine {
    std::u16string category, name, shortCut, id;
};

// Views into the line; valid while the line's text is.
struct KeyMapLineView {
    std::u16string_view category, name, shortCut, id;
};

// Each of the first three fields ends at the next tab. Where a needed tab is missing the field
// is empty and the rest stays whole, so a line without tabs is all identifier; tabs beyond the
// third stay in the identifier.
KeyMapLineView SplitKeyMapLineView(std::u16string_view line);
KeyMapLine SplitKeyMapLine(std::u16string_view line);

std::u16string JoinKeyMapLine(const KeyMapLine& line);
std::u16string JoinKeyMapLine(std::u16string_view category, std::u16string_view name, std::u16string_view shortCut,
                              std::u16string_view id);

// The command table as key map lines, with the given shortcut for each command in table order.
std::vector<std::u16string> CommandTableLines(const std::array<uint16_t, kCommandCount>& shortCuts);
// The same with the menu's default shortcuts.
std::vector<std::u16string> CommandTableLines();

// A key-assignment file is taken as it is only when it has one line per command.
inline bool KeyMapLineCountMatches(const std::vector<std::u16string>& lines)
{
    return lines.size() == kCommandCount;
}

// The key map a file's lines give: the lines as they are when there is one per command; for a
// file of an earlier version (kEarlierCommandCounts lines) one line per command in table order,
// each command's the first file line with its identifier, kept as it is, or its default line
// when none has it. nullopt for any other count: the file goes back to the defaults.
std::optional<std::vector<std::u16string>> KeyMapFromFile(const std::vector<std::u16string>& lines);

// The first line whose identifier equals `id` exactly; null when none does.
const std::u16string* FindLineById(const std::vector<std::u16string>& lines, std::u16string_view id);
// Index of that line.
std::optional<size_t> FindLineIndexById(const std::vector<std::u16string>& lines, std::u16string_view id);

// The shortcut text of the first line with `id`; empty, and *found false, when none has it.
std::u16string ShortCutTextForId(const std::vector<std::u16string>& lines, std::u16string_view id,
                                 bool* found = nullptr);

// The shortcut the command gets from the key map; nullopt when no line has its identifier,
// in which case the menu item keeps the shortcut it has.
std::optional<uint16_t> ShortCutForId(const std::vector<std::u16string>& lines, std::u16string_view id);

}  // namespace tovo
