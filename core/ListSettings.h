// The list window's settings: one member per key of the settings file, and the one table that
// both reads and writes them. A new setting is a member here and a row of kListSettingFields.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>

#include "core/IniValues.h"

namespace tovo {

// The entries of the two size boxes, in order. The file keeps the index of the chosen entry.
inline constexpr int32_t kRowsPerPageEntries = 46;  // 10, 12, ... 100 rows
inline constexpr int32_t kColumnWidthEntries = 12;  // 25, 50, ... 300 pixels at 96 dpi
constexpr int32_t RowsPerPageAt(int32_t entry)
{
    return 10 + 2 * entry;
}
constexpr int32_t ColumnWidthAt(int32_t entry)
{
    return 25 + 25 * entry;
}

struct ListSettings {
    std::u16string windowState = u"NORMAL";  // "NORMAL", "MAX" or "MIN" when it last closed
    int32_t left = 0, top = 0, width = 800, height = 480;
    // The rectangle is the normal window's. False when it closes maximised or minimised: the
    // file keeps the rectangle it has, so the window reopens at the size the user gave it.
    bool rectIsNormal = true;
    int32_t rowsPerPageEntry = 5;
    int32_t columnWidthEntry = 2;
    // The highlight mode's three marks; a file may set several, a choice in the menu sets one.
    bool highLightNone = true, highLightRow = false, highLightCol = false;
    std::u16string wordFile;
    // The splitter's two marks (ChooseSplitter). The second has no way to change in the window
    // and goes back to the file as it came.
    bool csvListAuto = true;
    bool csvListEx1 = true;
    std::u16string fontName = u"ＭＳ ゴシック";
    int32_t fontSize = 14;  // points
    uint32_t fontColor = kClBlack;
    uint32_t backColor = kClWhite;
    uint32_t highLightColor = kClRed;
    // The search options: the term is a regular expression; only the column last clicked or
    // found is searched.
    bool searchRegEx = false;
    bool searchOneColumn = false;

    bool operator==(const ListSettings&) const = default;
};

// How a value is held in the file and what a value that cannot be used becomes.
enum class ValueForm : uint8_t {
    Integer,  // a whole number; anything else takes the default
    Entry,    // a box's entry: negative is the first, past the last (`limit` entries) the default
    Size,     // a whole number 1..limit, else the default
    Flag,     // a number, 0 for false
    Color,    // a colour name or an integer form
    Text,     // an empty text takes the default
};

struct ListSettingField {
    using Member = std::variant<int32_t ListSettings::*, bool ListSettings::*, uint32_t ListSettings::*,
                                std::u16string ListSettings::*>;
    const char16_t* section;
    const char16_t* key;
    std::u16string_view fallback;  // the default, as the file holds it
    ValueForm form;
    Member member;
    int32_t limit = 0;
    bool ListSettings::*writtenIf = nullptr;  // set: the key is written only when that member holds
};

// Read and written in this order.
inline constexpr ListSettingField kListSettingFields[] = {
    {u"FormCsvList", u"State", u"NORMAL", ValueForm::Text, &ListSettings::windowState},
    {u"FormCsvList", u"Left", u"0", ValueForm::Integer, &ListSettings::left, 0, &ListSettings::rectIsNormal},
    {u"FormCsvList", u"Top", u"0", ValueForm::Integer, &ListSettings::top, 0, &ListSettings::rectIsNormal},
    {u"FormCsvList", u"Width", u"800", ValueForm::Integer, &ListSettings::width, 0, &ListSettings::rectIsNormal},
    {u"FormCsvList", u"Height", u"480", ValueForm::Integer, &ListSettings::height, 0, &ListSettings::rectIsNormal},
    {u"CsvList", u"DispNum", u"5", ValueForm::Entry, &ListSettings::rowsPerPageEntry, kRowsPerPageEntries},
    {u"CsvList", u"ColWidth", u"2", ValueForm::Entry, &ListSettings::columnWidthEntry, kColumnWidthEntries},
    {u"CsvListHighLight", u"None", u"1", ValueForm::Flag, &ListSettings::highLightNone},
    {u"CsvListHighLight", u"Row", u"0", ValueForm::Flag, &ListSettings::highLightRow},
    {u"CsvListHighLight", u"Col", u"0", ValueForm::Flag, &ListSettings::highLightCol},
    {u"CsvListHighLight", u"FileName", u"", ValueForm::Text, &ListSettings::wordFile},
    {u"CsvListAuto", u"Enabled", u"1", ValueForm::Flag, &ListSettings::csvListAuto},
    {u"CsvListEx1", u"Enabled", u"1", ValueForm::Flag, &ListSettings::csvListEx1},
    {u"CsvListColor", u"FontName", u"ＭＳ ゴシック", ValueForm::Text, &ListSettings::fontName},
    {u"CsvListColor", u"FontSize", u"14", ValueForm::Size, &ListSettings::fontSize, 500},
    {u"CsvListColor", u"FontColor", u"clBlack", ValueForm::Color, &ListSettings::fontColor},
    {u"CsvListColor", u"BackColor", u"clWhite", ValueForm::Color, &ListSettings::backColor},
    {u"CsvListColorHighLight", u"FontColor", u"clRed", ValueForm::Color, &ListSettings::highLightColor},
    {u"CsvListSearch", u"RegEx", u"0", ValueForm::Flag, &ListSettings::searchRegEx},
    {u"CsvListSearch", u"OneColumn", u"0", ValueForm::Flag, &ListSettings::searchOneColumn},
};

// A key's stored text, or `fallback` when the file has no such key (as the profile functions do).
using SettingReader =
    std::function<std::u16string(const char16_t* section, const char16_t* key, std::u16string_view fallback)>;
using SettingWriter = std::function<void(const char16_t* section, const char16_t* key, std::u16string_view text)>;

ListSettings ReadListSettings(const SettingReader& read);
// Every key in table order, but those whose writtenIf member is false.
void WriteListSettings(const ListSettings& settings, const SettingWriter& write);

}  // namespace tovo
