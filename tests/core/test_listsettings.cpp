#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

#include "core/ListSettings.h"

using namespace tovo;

namespace {
using Keys = std::map<std::pair<std::u16string, std::u16string>, std::u16string>;

ListSettings Read(const Keys& file)
{
    return ReadListSettings([&](const char16_t* section, const char16_t* key, std::u16string_view fallback) {
        auto it = file.find({section, key});
        return it == file.end() ? std::u16string(fallback) : it->second;
    });
}

std::vector<std::u16string> Written(const ListSettings& settings)
{
    std::vector<std::u16string> lines;
    WriteListSettings(settings, [&](const char16_t* section, const char16_t* key, std::u16string_view text) {
        lines.push_back(std::u16string(section) + u"." + key + u"=" + std::u16string(text));
    });
    return lines;
}
}  // namespace

TEST(ListSettings, NoFileGivesTheDefaultsAndWritesThemInOrder)
{
    EXPECT_EQ(Read({}), ListSettings{});
    // clang-format off
    const std::vector<std::u16string> expected = {
        u"FormCsvList.State=NORMAL", u"FormCsvList.Left=0", u"FormCsvList.Top=0", u"FormCsvList.Width=800",
        u"FormCsvList.Height=480", u"CsvList.DispNum=5", u"CsvList.ColWidth=2", u"CsvListHighLight.None=1",
        u"CsvListHighLight.Row=0", u"CsvListHighLight.Col=0", u"CsvListHighLight.FileName=",
        u"CsvListAuto.Enabled=1", u"CsvListEx1.Enabled=1", u"CsvListColor.FontName=ＭＳ ゴシック",
        u"CsvListColor.FontSize=14", u"CsvListColor.FontColor=clBlack", u"CsvListColor.BackColor=clWhite",
        u"CsvListColorHighLight.FontColor=clRed", u"CsvListSearch.RegEx=0", u"CsvListSearch.OneColumn=0"};
    // clang-format on
    EXPECT_EQ(Written(ListSettings{}), expected);
}

TEST(ListSettings, WrittenValuesReadBack)
{
    ListSettings s;
    s.windowState = u"MAX", s.rectIsNormal = false, s.rowsPerPageEntry = 45, s.columnWidthEntry = 0;
    s.highLightNone = false, s.highLightRow = s.highLightCol = true, s.wordFile = u"C:\\語.txt";
    s.csvListAuto = s.csvListEx1 = false, s.fontName = u"Meiryo", s.fontSize = 500;
    s.fontColor = 0xFF000005, s.backColor = 0x123456, s.highLightColor = kClBlue;
    s.searchRegEx = s.searchOneColumn = true;
    Keys file;
    WriteListSettings(s, [&](const char16_t* section, const char16_t* key, std::u16string_view text) {
        file[{section, key}] = text;
    });
    EXPECT_EQ(file.size(), std::size(kListSettingFields) - 4);  // no rectangle unless it is the normal window's
    s.rectIsNormal = true;
    EXPECT_EQ(Read(file), s);
}

TEST(ListSettings, UnusableValuesTakeTheirRule)
{
    struct Case {
        const char16_t *section, *key, *text;
        int32_t ListSettings::*member;
        int32_t value;
    };
    const Case cases[] = {
        {u"CsvList", u"DispNum", u"-1", &ListSettings::rowsPerPageEntry, 0},
        {u"CsvList", u"DispNum", u"45", &ListSettings::rowsPerPageEntry, 45},
        {u"CsvList", u"DispNum", u"46", &ListSettings::rowsPerPageEntry, 5},
        {u"CsvList", u"DispNum", u"x", &ListSettings::rowsPerPageEntry, 5},
        {u"CsvList", u"ColWidth", u"12", &ListSettings::columnWidthEntry, 2},
        {u"CsvListColor", u"FontSize", u"0", &ListSettings::fontSize, 14},
        {u"CsvListColor", u"FontSize", u"501", &ListSettings::fontSize, 14},
        {u"CsvListColor", u"FontSize", u"1", &ListSettings::fontSize, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(Read({{{c.section, c.key}, c.text}}).*c.member, c.value);

    const ListSettings odd = Read({{{u"CsvListColor", u"FontName"}, u""},
                                   {{u"CsvListAuto", u"Enabled"}, u"yes"},
                                   {{u"CsvListHighLight", u"Row"}, u"2"},
                                   {{u"CsvListColor", u"BackColor"}, u"clNoSuch"}});
    EXPECT_EQ(odd.fontName, ListSettings{}.fontName);
    EXPECT_TRUE(odd.csvListAuto);
    EXPECT_TRUE(odd.highLightRow);
    EXPECT_EQ(odd.backColor, kClWhite);
}
