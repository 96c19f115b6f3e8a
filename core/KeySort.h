#pragma once
// Grouping and sorting of key map lines for the keyboard map window.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tovo {

// The text between the second and third tab; empty when the line has fewer than three tabs.
std::u16string_view KeyTextOfLine(std::u16string_view line);

// "%.04d" of 1000 (+100 Shift+, +10 Ctrl+, +1 Alt+) followed by the key text without any
// "Shift+", "Ctrl+", "Alt+" and spaces.
std::u16string KeySortKey(std::u16string_view keyText);

// Orders two lines by their sort keys: code unit by code unit with only a-z folded to A-Z,
// a key that is the beginning of the other first. Negative, zero or positive.
int KeySortCompare(std::u16string_view lineA, std::u16string_view lineB);

// Group of a line: 0 no key text; 1 no modifier; 2 Shift; 3 Shift+Ctrl; 4 Shift+Alt;
// 5 Shift+Ctrl+Alt; 6 Ctrl; 7 Ctrl+Alt; 8 Alt. Modifiers are "Shift+", "Ctrl+", "Alt+"
// found anywhere in the key text.
int KeyGroupOf(std::u16string_view line);

inline constexpr size_t kKeyGroupCount = 9;
using KeyGroups = std::array<std::vector<std::u16string>, kKeyGroupCount>;

// Whole lines by group (StrListKeyMapKey0..8); groups 1 to 8 sorted, stable for equal keys,
// group 0 in file order.
KeyGroups GroupAndSortKeyMap(const std::vector<std::u16string>& lines);

// The order in which the groups are shown: not the order of their weights.
inline constexpr std::array<int, kKeyGroupCount> kKeyGroupShowOrder = {1, 2, 3, 4, 5, 6, 7, 8, 0};

std::vector<std::u16string> SortedKeyMapView(const KeyGroups& groups);
std::vector<std::u16string> SortedKeyMapView(const std::vector<std::u16string>& lines);

// A line as the map window's four columns; "A\tB" shows A, "", "", B.
struct KeyMapColumns {
    std::u16string category, command, key, id;
};
KeyMapColumns SplitKeyMapColumns(std::u16string_view line);

}  // namespace tovo
