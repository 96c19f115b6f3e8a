#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/Commands.h"
#include "core/KeyBoardModel.h"
#include "core/KeyMapLine.h"
#include "core/KeySort.h"
#include "core/ShortCut.h"
#include "core/StrUtil.h"

namespace tovo {
namespace {

TEST(StrUtil, TrimRemoveAllAndPadding)
{
    EXPECT_EQ(Trim(u" \t\r\nF3\x01 "), u"F3");
    EXPECT_EQ(Trim(u"  "), u"");
    EXPECT_EQ(Trim(u"ｸﾘｱ　"), u"ｸﾘｱ　");  // U+3000 is above U+0020 and stays
    EXPECT_EQ(RemoveAll(u"ShShiftift+A", u"Shift"), u"Shift+A");
    EXPECT_EQ(RemoveAll(u"a++b+", u"+"), u"ab");
    EXPECT_EQ(DecimalText(7, 2), u"07");
    EXPECT_EQ(DecimalText(123, 2), u"123");
    EXPECT_EQ(DecimalText(42, 5), u"00042");
    EXPECT_EQ(DecimalText(-5, 2), u"-05");
    EXPECT_EQ(DecimalText(INT64_MIN, 1), u"-9223372036854775808");
}

TEST(ShortCut, EveryKeyNameRoundTripsWithEveryModifierSet)
{
    ASSERT_EQ(KeyNameTable().size(), 62u);
    for (const KeyNameEntry& key : KeyNameTable()) {
        for (int mods = 0; mods < 8; ++mods) {
            const bool shift = mods & 1, ctrl = mods & 2, alt = mods & 4;
            std::u16string text;
            if (shift) text += u"Shift+";
            if (ctrl) text += u"Ctrl+";
            if (alt) text += u"Alt+";
            text += key.name;
            const uint16_t number = MakeShortCut(key.keyCode, shift, ctrl, alt);
            EXPECT_EQ(ShortCutToText(number), text);
            EXPECT_EQ(TextToShortCut(text), number);
            EXPECT_TRUE(IsWorkingShortCut(number));
        }
    }
}

TEST(ShortCut, ReadingStoredTexts)
{
    struct Case {
        std::u16string_view text;
        uint16_t expected;
    };
    const Case cases[] = {
        {u"Shift+Ctrl+Alt+Del", 0x2E | kShiftBit | kCtrlBit | kAltBit},
        {u"Ctrl+Space", kCtrlBit},  // unknown name: the state stays, no key
        {u"", 0},
        {u"Alt+Shift+X", 0x58 | kShiftBit | kAltBit},
        {u"Ctrl+a", kCtrlBit},  // names are case-sensitive
        {u"ctrl+G", 0},         // so are the modifiers: "ctrlG" is no key name
        {u" F3\r", 114},
        {u"Shift+F3", 8306},
        {u"Ctrl+G", 16455},
        {u"F13", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        EXPECT_EQ(TextToShortCut(c.text), c.expected);
        EXPECT_EQ(IsWorkingShortCut(c.expected), ShortCutKeyCode(c.expected) != 0);
    }
    EXPECT_FALSE(IsWorkingShortCut(TextToShortCut(u"Ctrl+Space")));
    // A key code without a name shows nothing, modifiers or not.
    EXPECT_EQ(ShortCutToText(kCtrlBit | 0x07), u"");
    EXPECT_EQ(ShortCutToText(0), u"");
}

TEST(Commands, TableAndDefaultLines)
{
    const auto& table = CommandTable();
    for (size_t i = 0; i < table.size(); ++i)
        for (size_t j = i + 1; j < table.size(); ++j) EXPECT_NE(table[i].id, table[j].id);
    EXPECT_EQ(table[23].caption, u"カンマ区切り 11,\"22,22\",33 (&M)");
    EXPECT_EQ(table[6].caption, u"行へ移動(&G)...");

    const std::vector<std::u16string> lines = CommandTableLines();
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_TRUE(KeyMapLineCountMatches(lines));
    EXPECT_EQ(lines[0], u"ファイル\t全て表示(&A)\t\t1001");
    EXPECT_EQ(lines[4], u"検索\t次を検索(&N)\tF3\t1101");
    EXPECT_EQ(lines[5], u"検索\t前を検索(&P)\tShift+F3\t1102");
    EXPECT_EQ(lines[6], u"編集\t行へ移動(&G)...\tCtrl+G\t1201");
    int withKey = 0;
    for (const std::u16string& line : lines) withKey += !SplitKeyMapLine(line).shortCut.empty();
    EXPECT_EQ(withKey, 3);
    // Each first identifier is the first of its category in table order.
    for (std::u16string_view id : kCategoryFirstIds) {
        const size_t i = *CommandIndexById(id);
        EXPECT_TRUE(i == 0 || table[i - 1].category != table[i].category);
    }
}

// An earlier version's file (24 or 27 lines) keeps every key, in any order, the first line of
// an identifier counting; the new commands take their defaults. Other counts go back to them.
TEST(KeyMapLine, EarlierFileKeepsItsKeys)
{
    for (size_t earlier : kEarlierCommandCounts) {
        std::vector<std::u16string> old;
        for (size_t i = earlier; i-- > 0;)
            old.push_back(JoinKeyMapLine(u"c", u"n", u"Ctrl+" + std::u16string(1, u'A' + i % 26), CommandTable()[i].id));
        old[0] = JoinKeyMapLine(u"x", u"y", u"F9", u"1101");
        const std::optional<std::vector<std::u16string>> merged = KeyMapFromFile(old);
        ASSERT_TRUE(merged && merged->size() == kCommandCount) << earlier;
        for (size_t i = 0; i < kCommandCount; ++i) {
            const std::u16string* kept = FindLineById(old, CommandTable()[i].id);
            EXPECT_EQ((*merged)[i], kept ? *kept : CommandTableLines()[i]) << earlier << " " << i;
        }
        EXPECT_EQ(*KeyMapFromFile(*merged), *merged);
    }
    for (size_t count : {size_t{0}, size_t{23}, size_t{25}, size_t{26}, size_t{28}, kCommandCount + 1})
        EXPECT_FALSE(KeyMapFromFile(std::vector<std::u16string>(count, u"1101"))) << count;
}

TEST(KeyMapLine, SplitsWithAnyNumberOfTabs)
{
    struct Case {
        std::u16string_view line;
        KeyMapLine expected;
    };
    const Case cases[] = {
        {u"", {u"", u"", u"", u""}},
        {u"1101", {u"", u"", u"", u"1101"}},
        {u"A\tB", {u"A", u"", u"", u"B"}},
        {u"A\tB\tC", {u"A", u"B", u"", u"C"}},
        {u"A\tB\tC\tD", {u"A", u"B", u"C", u"D"}},
        {u"A\tB\tC\tD\tE", {u"A", u"B", u"C", u"D\tE"}},
        {u"A\tB\tC\tD\tE\tF", {u"A", u"B", u"C", u"D\tE\tF"}},
        {u"\t\t\t", {u"", u"", u"", u""}},
    };
    for (const Case& c : cases) {
        const KeyMapLine got = SplitKeyMapLine(c.line);
        EXPECT_EQ(got.category, c.expected.category);
        EXPECT_EQ(got.name, c.expected.name);
        EXPECT_EQ(got.shortCut, c.expected.shortCut);
        EXPECT_EQ(got.id, c.expected.id);
        const KeyMapColumns columns = SplitKeyMapColumns(c.line);
        EXPECT_EQ(columns.key, c.expected.shortCut);
        EXPECT_EQ(columns.id, c.expected.id);
        if (std::count(c.line.begin(), c.line.end(), u'\t') >= 3) {
            EXPECT_EQ(JoinKeyMapLine(got), c.line);
        }
    }
}

TEST(KeyMapLine, LookupByIdFirstWins)
{
    const std::vector<std::u16string> lines = {
        u"検索\t次を検索(&N)\tF5\t1101", u"検索\t次を検索(&N)\tF3\t1101", u"x\ty\tCtrl+Space\t1203",
        u"x\ty\tF4\t12031",  // identifiers are compared whole
    };
    bool found = false;
    EXPECT_EQ(ShortCutTextForId(lines, u"1101", &found), u"F5");
    EXPECT_TRUE(found);
    EXPECT_EQ(FindLineById(lines, u"1101"), &lines[0]);
    EXPECT_EQ(ShortCutForId(lines, u"1101"), uint16_t{0x74});
    EXPECT_EQ(ShortCutForId(lines, u"1203"), kCtrlBit);
    EXPECT_EQ(ShortCutTextForId(lines, u"1102", &found), u"");
    EXPECT_FALSE(found);
    EXPECT_FALSE(ShortCutForId(lines, u"1102").has_value());  // keeps its current key
    EXPECT_FALSE(ShortCutForId(lines, u"120").has_value());
}

std::u16string Line(std::u16string_view key, std::u16string_view id)
{
    return JoinKeyMapLine(u"c", u"n", key, id);
}

TEST(KeySort, CompareAndGroups)
{
    struct Case {
        std::u16string_view a, b;
        int sign;
    };
    const Case order[] = {
        {u"F1", u"F10", -1},
        {u"F10", u"F2", -1},
        {u"Ctrl+F10", u"Ctrl+F2", -1},
        {u"Ctrl+A", u"Ctrl+a", 0},
        {u"F3", u"Shift+F3", -1},
        {u"Alt+Shift+X", u"Shift+Alt+X", 0},
        {u"Ctrl + G", u"Ctrl+G", -1},  // "Ctrl " is no prefix: weight 1000
        {u"Z", u"[", -1},              // only a-z fold; '[' stays above 'Z'
        {u"z", u"[", -1},
    };
    for (const Case& c : order) {
        const int got = KeySortCompare(Line(c.a, u"1"), Line(c.b, u"2"));
        EXPECT_EQ((got > 0) - (got < 0), c.sign) << std::string(c.a.begin(), c.a.end());
        const int back = KeySortCompare(Line(c.b, u"2"), Line(c.a, u"1"));
        EXPECT_EQ((back > 0) - (back < 0), -c.sign);
    }

    struct GroupCase {
        std::u16string_view line;
        int group;
    };
    const GroupCase groups[] = {
        {u"c\tn\t\t1", 0},
        {u"c\tn\tF3", 0},
        {u"F3", 0},
        {u"c\tn\tF3\t1", 1},
        {u"c\tn\tShift+F3\t1", 2},
        {u"c\tn\tShift+Ctrl+A\t1", 3},
        {u"c\tn\tAlt+Shift+X\t1", 4},
        {u"c\tn\tShift+Ctrl+Alt+Del\t1", 5},
        {u"c\tn\tCtrl+G\t1", 6},
        {u"c\tn\tCtrl+Alt+G\t1", 7},
        {u"c\tn\tAlt+G\t1", 8},
        {u"c\tn\tCtrl\t1", 1},  // no "Ctrl+": counts as no modifier
    };
    for (const GroupCase& c : groups)
        EXPECT_EQ(KeyGroupOf(c.line), c.group) << std::string(c.line.begin(), c.line.end());
}

TEST(KeySort, SortedViewOrder)
{
    const std::vector<std::u16string> lines = {
        Line(u"", u"a"),       Line(u"Alt+F1", u"b"), Line(u"Ctrl+G", u"c"),      u"only\tone tab",
        Line(u"F3", u"d"),     Line(u"Ctrl+a", u"e"), Line(u"Shift+F3", u"f"),    Line(u"F10", u"g"),
        Line(u"Ctrl+A", u"h"), Line(u"F2", u"i"),     Line(u"Alt+Shift+X", u"j"), Line(u"", u"k"),
    };
    const std::vector<std::u16string> expected = {
        Line(u"F10", u"g"),
        Line(u"F2", u"i"),
        Line(u"F3", u"d"),
        Line(u"Shift+F3", u"f"),
        Line(u"Alt+Shift+X", u"j"),
        Line(u"Ctrl+a", u"e"),
        Line(u"Ctrl+A", u"h"),  // equal keys keep file order
        Line(u"Ctrl+G", u"c"),
        Line(u"Alt+F1", u"b"),
        Line(u"", u"a"),
        u"only\tone tab",
        Line(u"", u"k"),
    };
    EXPECT_EQ(SortedKeyMapView(lines), expected);
    EXPECT_TRUE(SortedKeyMapView(std::vector<std::u16string>{}).empty());
}

// Runs a change with the list texts as the dialog shows them: a single space for "none".
struct Dialog {
    std::vector<std::u16string> lines = CommandTableLines();
    ChangeResult Choose(std::u16string_view id, std::u16string_view shift, std::u16string_view ctrl,
                        std::u16string_view alt, std::u16string_view key)
    {
        const std::u16string current = ShortCutTextForId(lines, id);
        return ChangePresentKey(lines, id, current, shift, ctrl, alt, key);
    }
};

TEST(KeyBoardModel, AssigningKeys)
{
    {
        Dialog d;
        const auto before = d.lines;
        ChangeResult r = d.Choose(u"1203", u" ", u"Ctrl", u" ", u" ");
        EXPECT_EQ(r.kind, ChangeKind::NeedKey);
        EXPECT_EQ(r.message, u"Shift,Ctrl,Altのキーが設定されていますが\r\nキーが設定されていません");
        EXPECT_EQ(d.lines, before);
        EXPECT_EQ(d.Choose(u"1201", u" ", u" ", u" ", u" ").kind, ChangeKind::Assigned);  // frees Ctrl+G
        r = d.Choose(u"1203", u" ", u"Ctrl", u" ", u"G");
        EXPECT_EQ(r.kind, ChangeKind::Assigned);
        EXPECT_EQ(r.newText, u"Ctrl+G");
        EXPECT_EQ(r.updatedLine, u"編集\t先頭(&T)\tCtrl+G\t1203");
        EXPECT_EQ(d.lines[8], r.updatedLine);
        EXPECT_EQ(d.lines[6], u"編集\t行へ移動(&G)...\t\t1201");
    }
    {
        Dialog d;
        EXPECT_EQ(d.Choose(u"1201", u" ", u" ", u" ", u" ").kind, ChangeKind::Assigned);
        EXPECT_EQ(d.Choose(u"1204", u" ", u" ", u" ", u"G").newText, u"G");
        EXPECT_EQ(d.Choose(u"1204", u" ", u"Ctrl", u" ", u"G").newText, u"Ctrl+G");
        EXPECT_EQ(ShortCutTextForId(d.lines, u"1204"), u"Ctrl+G");
    }
    {
        Dialog d;
        const auto before = d.lines;
        ChangeResult r = d.Choose(u"1101", u" ", u" ", u" ", u"F3");
        EXPECT_EQ(r.kind, ChangeKind::Same);
        EXPECT_EQ(r.message, u"同一の設定です");
        r = d.Choose(u"1203", u" ", u" ", u" ", u"F3");
        EXPECT_EQ(r.kind, ChangeKind::Conflict);
        EXPECT_EQ(r.message, u"「検索」\r\nで既に使用済みですので設定できません");
        EXPECT_EQ(d.lines, before);
    }
    {
        Dialog d;
        ChangeResult r = d.Choose(u"1101", u" ", u" ", u" ", u" ");  // clear
        EXPECT_EQ(r.kind, ChangeKind::Assigned);
        EXPECT_TRUE(r.message.empty());
        EXPECT_EQ(d.lines[4], u"検索\t次を検索(&N)\t\t1101");
        const auto before = d.lines;
        EXPECT_EQ(d.Choose(u"1001", u" ", u" ", u" ", u" ").kind, ChangeKind::Assigned);
        EXPECT_EQ(d.lines, before);  // clearing a command without key changes nothing
    }
    {
        // Whatever order the four lists are set in, the text is Shift, Ctrl, Alt, key.
        Dialog d;
        d.Choose(u"1001", u" ", u" ", u" ", u"A");
        d.Choose(u"1001", u"Shift", u" ", u" ", u"A");
        EXPECT_EQ(d.Choose(u"1001", u"Shift", u"Ctrl", u" ", u"A").newText, u"Shift+Ctrl+A");
        EXPECT_EQ(d.Choose(u"1002", u" ", u"Ctrl", u" ", u" ").kind, ChangeKind::NeedKey);
        EXPECT_EQ(d.Choose(u"1002", u"Shift", u"Ctrl", u" ", u" ").kind, ChangeKind::NeedKey);
        ChangeResult r = d.Choose(u"1002", u"Shift", u"Ctrl", u" ", u"A");
        EXPECT_EQ(r.kind, ChangeKind::Conflict);
        EXPECT_EQ(r.message, u"「ファイル」\r\nで既に使用済みですので設定できません");
    }
    {
        std::vector<std::u16string> none;
        EXPECT_EQ(ChangePresentKey(none, std::nullopt, u"", u" ", u" ", u" ", u"A").kind, ChangeKind::NoRows);
        EXPECT_EQ(ChangePresentKey(none, std::nullopt, u"", u"Shift", u" ", u" ", u" ").kind, ChangeKind::NeedKey);
    }
}

TEST(KeyBoardModel, PresentKeyAndLists)
{
    const PresentKey all = DecomposeShortCutText(u"Shift+Ctrl+Alt+Del");
    EXPECT_TRUE(all.shift && all.ctrl && all.alt);
    EXPECT_EQ(all.keyName, u"Del");
    ASSERT_EQ(KeyListEntries().size(), 63u);
    EXPECT_EQ(KeyListEntries()[KeyListIndexForName(all.keyName)], u"Del");
    EXPECT_EQ(KeyListIndexForName(DecomposeShortCutText(u"").keyName), 0);
    EXPECT_EQ(KeyListIndexForName(DecomposeShortCutText(u"Ctrl+Space").keyName), -1);
    EXPECT_EQ(KeyListIndexForName(u"0"), 1);
    EXPECT_EQ(KeyListIndexForName(u"BkSp"), 62);

    std::vector<std::u16string> lines = CommandTableLines();
    EXPECT_EQ(CategoryList(lines),
              (std::vector<std::u16string>{u"ファイル", u"検索", u"編集", u"表示", u"ツール", u"ヘルプ", u"CSV設定"}));
    lines.erase(lines.begin() + 20);  // the only "1401" line
    EXPECT_EQ(CategoryList(lines).size(), 6u);
    EXPECT_TRUE(CategoryList({}).empty());
    const std::vector<CommandRow> rows = CommandRowsOfCategory(lines, u"検索");
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[7].name, u"カラムの統計(&T)...");
    EXPECT_EQ(rows[1].name, u"前を検索(&P)");
    EXPECT_EQ(rows[1].shortCut, u"Shift+F3");
    EXPECT_EQ(rows[1].id, u"1102");
}

}  // namespace
}  // namespace tovo
