#pragma once
// The list window's commands: the one table that builds the menu, the dispatch, the default
// key map and the rule for running during a fill. The order is fixed: it is the order of the
// lines in the key-assignment file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tovo {

// Whether a command may run while a fill (a loop that handles messages as it goes) is in
// progress. Refused: it would start a second fill or change what the fill works on (the rows, the
// splitter, the word file the marking thread reads). A command that only opens a dialog or a
// message runs, inside the fill, which waits while it is open.
enum class DuringFill : uint8_t { Refused, Runs };

// Each row: V(menu item, identifier, category, caption, default shortcut, during a fill,
//             separator before it in its menu)
// The menu item names its handler (MenuCsvListLoadAll runs MenuCsvListLoadAllClick); the
// identifier is the item's command number and the key map line's last field; the category is
// the settings dialog's grouping and chooses the menu (kMenuBar). A new command is one row here
// and its handler, at the end: the key map file keeps the earlier lines' order, and a file of
// the earlier version is taken command by command (KeyMapFromFile).
#define TOVO_COMMANDS(V)                                                                                    \
    V(MenuCsvListLoadAll, 1001, u"ファイル", u"全て表示(&A)", 0, Refused, false)                            \
    V(MenuCsvListFitColumnWidth, 1002, u"ファイル", u"カラム幅の自動調整(&C)", 0, Refused, false)           \
    V(MenuAddHeader, 1003, u"ファイル", u"現在行をヘッダーに設定(&H)", 0, Refused, false)                   \
    V(MenuCsvListClose, 1011, u"ファイル", u"終了(&X)", 0, Runs, false)                                     \
    V(MenuCsvListSearchNext, 1101, u"検索", u"次を検索(&N)", 114, Refused, false)                           \
    V(MenuCsvListSearchPrev, 1102, u"検索", u"前を検索(&P)", 8306, Refused, false)                          \
    V(MenuCsvListJump, 1201, u"編集", u"行へ移動(&G)...", 16455, Refused, false)                            \
    V(MenuMoveStartPosition, 1202, u"編集", u"開始時へ移動(S)...", 0, Refused, false)                       \
    V(MenuCsvListTop, 1203, u"編集", u"先頭(&T)", 0, Refused, true)                                         \
    V(MenuCsvListPrev, 1204, u"編集", u"前ページ(&P)", 0, Refused, false)                                   \
    V(MenuCsvListNext, 1205, u"編集", u"次ページ(&N)", 0, Refused, false)                                   \
    V(MenuCsvListEnd, 1206, u"編集", u"最後(&E)", 0, Refused, false)                                        \
    V(MenuCsvListFontColor, 1301, u"表示", u"文字色(&F)...", 0, Runs, false)                                \
    V(MenuCsvListBackColor, 1302, u"表示", u"背景色(&B)...", 0, Runs, false)                                \
    V(MenuCsvListHiligtFile, 1303, u"表示", u"強調表示のファイル名(&G)...", 0, Refused, true)               \
    V(MenuCsvListFontColorHilightRow, 1304, u"表示", u"強調表示の文字色 行単位(&H)...", 0, Runs, false)     \
    V(MenuCsvListFontColorHilightCol, 1305, u"表示", u"強調表示の文字色 カラム単位(&I)...", 0, Runs, false) \
    V(MenuCsvListHiLightNone, 1306, u"表示", u"強調表示を無効(&N)", 0, Runs, true)                          \
    V(MenuCsvListHiLightRow, 1307, u"表示", u"強調表示を有効 行単位(&R)", 0, Runs, false)                   \
    V(MenuCsvListHiLightCol, 1308, u"表示", u"強調表示を有効 カラム単位(&C)", 0, Runs, false)               \
    V(MenuCsvListKeyBoard, 1401, u"ツール", u"キーボード設定(&K)...", 0, Runs, false)                       \
    V(MenuCsvListShowHelp, 1501, u"ヘルプ", u"ヘルプ表示(&C)...", 0, Runs, false)                           \
    V(MenuCsvAuto, 1601, u"CSV設定", u"自動検出(&A)", 0, Refused, false)                                    \
    V(MenuCsvEx1, 1602, u"CSV設定", u"カンマ区切り 11,\"22,22\",33 (&M)", 0, Runs, false)                 \
    V(MenuCsvListSearchCount, 1105, u"検索", u"一致数を数える(&U)", 0, Refused, false)                      \
    V(MenuCsvListSearchRegEx, 1103, u"検索", u"正規表現(&X)", 0, Runs, true)                                \
    V(MenuCsvListSearchOneColumn, 1104, u"検索", u"このカラムのみ(&O)", 0, Runs, false)                     \
    V(MenuColumnFilter, 1106, u"検索", u"このカラムで絞り込み(&C)...", 0, Refused, true)                     \
    V(MenuColumnFilterClear, 1107, u"検索", u"このカラムの絞り込みを解除(&R)", 0, Refused, false)            \
    V(MenuColumnProfile, 1108, u"検索", u"カラムの統計(&T)...", 0, Refused, false)

// The menu item identifiers: the command identifier of each item, so a menu command, a shortcut
// and a key map line all name the same number.
enum CommandId : uint16_t {
#define TOVO_COMMAND_ID(item, number, ...) item = number,
    TOVO_COMMANDS(TOVO_COMMAND_ID)
#undef TOVO_COMMAND_ID
};

struct CommandInfo {
    CommandId number;
    std::u16string_view id;        // the identifier as text: four decimal digits
    std::u16string_view category;  // grouping text of the settings dialog, not a menu caption
    std::u16string_view menuItem;  // e.g. u"MenuCsvListLoadAll"
    std::u16string_view caption;   // the menu item's caption, accelerator marker included
    uint16_t defaultShortCut;      // shortcut number; 0 for none
    DuringFill duringFill;
    bool separatorBefore;
};

inline constexpr std::array kCommands = {
#define TOVO_COMMAND_INFO(item, number, category, caption, shortCut, fill, separator) \
    CommandInfo{item, u"" #number, category, u"" #item, caption, shortCut, DuringFill::fill, separator},
    TOVO_COMMANDS(TOVO_COMMAND_INFO)
#undef TOVO_COMMAND_INFO
};

inline constexpr size_t kCommandCount = kCommands.size();

const std::array<CommandInfo, kCommandCount>& CommandTable();

// The menu bar left to right: each menu holds the commands of its category in table order.
struct MenuBarEntry {
    std::u16string_view category;
    std::u16string_view caption;
};
inline constexpr std::array<MenuBarEntry, 7> kMenuBar = {{
    {u"ファイル", u"ファイル(&F)"},
    {u"検索", u"検索(&S)"},
    {u"編集", u"移動(&M)"},
    {u"表示", u"表示(&V)"},
    {u"CSV設定", u"CSV設定(&V)"},
    {u"ツール", u"ツール(&T)"},
    {u"ヘルプ", u"ヘルプ(&H)"},
}};

// Identifier of the first command of each category, in the settings dialog's category order.
inline constexpr std::array<std::u16string_view, 7> kCategoryFirstIds = {u"1001", u"1101", u"1201", u"1301",
                                                                         u"1401", u"1501", u"1601"};

// The command counts of earlier versions (before the search options, before the column filters):
// their key-assignment files have this many lines, which are taken command by command.
inline constexpr std::array<size_t, 2> kEarlierCommandCounts = {24, 27};

// Each command's default shortcut, in table order.
std::array<uint16_t, kCommandCount> DefaultCommandShortCuts();

// Position in the table of the command with exactly this identifier.
std::optional<size_t> CommandIndexById(std::u16string_view id);
std::optional<size_t> CommandIndexOf(unsigned number);

}  // namespace tovo
