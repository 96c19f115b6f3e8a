#pragma once
// The list window's 24 commands, their categories and default shortcuts. The order is fixed:
// it is the order of the lines in the key-assignment file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tovo {

struct CommandInfo {
    std::u16string_view id;        // four decimal digits: category, then command
    std::u16string_view category;  // grouping text of the settings dialog, not a menu caption
    std::u16string_view menuItem;  // e.g. u"MenuCsvListLoadAll"
    std::u16string_view caption;   // the menu item's caption, accelerator marker included
    uint16_t defaultShortCut;      // shortcut number; 0 for none
};

inline constexpr size_t kCommandCount = 24;

const std::array<CommandInfo, kCommandCount>& CommandTable();

// Identifier of the first command of each category, in the settings dialog's category order.
inline constexpr std::array<std::u16string_view, 7> kCategoryFirstIds = {
    u"1001", u"1101", u"1201", u"1301", u"1401", u"1501", u"1601"};

// The shortcuts the window's menu definition carries: F3, Shift+F3, Ctrl+G.
inline constexpr std::array<uint16_t, 3> kDefaultShortCuts = {114, 8306, 16455};

// Each command's default shortcut, in table order.
std::array<uint16_t, kCommandCount> DefaultCommandShortCuts();

// Position in the table of the command with exactly this identifier.
std::optional<size_t> CommandIndexById(std::u16string_view id);

}  // namespace tovo
