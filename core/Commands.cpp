#include "core/Commands.h"

namespace tovo {

namespace {

// Menu items, shortcuts and key map lines find a command by its number: two rows with one
// would make the second unreachable.
consteval bool NumbersAreUnique()
{
    for (size_t i = 0; i < kCommands.size(); ++i)
        for (size_t j = i + 1; j < kCommands.size(); ++j)
            if (kCommands[i].number == kCommands[j].number) return false;
    return true;
}
static_assert(NumbersAreUnique());

// Every command sits in a menu of the bar.
consteval bool CategoriesHaveMenus()
{
    for (const CommandInfo& command : kCommands) {
        bool found = false;
        for (const MenuBarEntry& menu : kMenuBar) found = found || menu.category == command.category;
        if (!found) return false;
    }
    return true;
}
static_assert(CategoriesHaveMenus());

}  // namespace

const std::array<CommandInfo, kCommandCount>& CommandTable()
{
    return kCommands;
}

std::array<uint16_t, kCommandCount> DefaultCommandShortCuts()
{
    std::array<uint16_t, kCommandCount> out{};
    for (size_t i = 0; i < kCommandCount; ++i) out[i] = kCommands[i].defaultShortCut;
    return out;
}

std::optional<size_t> CommandIndexById(std::u16string_view id)
{
    for (size_t i = 0; i < kCommandCount; ++i)
        if (kCommands[i].id == id) return i;
    return std::nullopt;
}

std::optional<size_t> CommandIndexOf(unsigned number)
{
    for (size_t i = 0; i < kCommandCount; ++i)
        if (kCommands[i].number == number) return i;
    return std::nullopt;
}

}  // namespace tovo
