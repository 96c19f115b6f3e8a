#include "core/ShortCut.h"

#include "core/StrUtil.h"

namespace tovo {

namespace {

constexpr std::array<KeyNameEntry, kKeyNameCount> kKeyNames = {{
    {u"0", 0x30},     {u"1", 0x31},     {u"2", 0x32},   {u"3", 0x33},    {u"4", 0x34},    {u"5", 0x35},
    {u"6", 0x36},     {u"7", 0x37},     {u"8", 0x38},   {u"9", 0x39},    {u"A", 0x41},    {u"B", 0x42},
    {u"C", 0x43},     {u"D", 0x44},     {u"E", 0x45},   {u"F", 0x46},    {u"G", 0x47},    {u"H", 0x48},
    {u"I", 0x49},     {u"J", 0x4A},     {u"K", 0x4B},   {u"L", 0x4C},    {u"M", 0x4D},    {u"N", 0x4E},
    {u"O", 0x4F},     {u"P", 0x50},     {u"Q", 0x51},   {u"R", 0x52},    {u"S", 0x53},    {u"T", 0x54},
    {u"U", 0x55},     {u"V", 0x56},     {u"W", 0x57},   {u"X", 0x58},    {u"Y", 0x59},    {u"Z", 0x5A},
    {u"F1", 0x70},    {u"F2", 0x71},    {u"F3", 0x72},  {u"F4", 0x73},   {u"F5", 0x74},   {u"F6", 0x75},
    {u"F7", 0x76},    {u"F8", 0x77},    {u"F9", 0x78},  {u"F10", 0x79},  {u"F11", 0x7A},  {u"F12", 0x7B},
    {u"Esc", 0x1B},   {u"Enter", 0x0D}, {u"Tab", 0x09}, {u"Up", 0x26},   {u"Down", 0x28}, {u"Left", 0x25},
    {u"Right", 0x27}, {u"Home", 0x24},  {u"End", 0x23}, {u"PgUp", 0x21}, {u"PgDn", 0x22}, {u"Ins", 0x2D},
    {u"Del", 0x2E},   {u"BkSp", 0x08},
}};

}  // namespace

const std::array<KeyNameEntry, kKeyNameCount>& KeyNameTable()
{
    return kKeyNames;
}

uint8_t KeyCodeFromName(std::u16string_view name)
{
    for (const KeyNameEntry& entry : kKeyNames)
        if (entry.name == name) return entry.keyCode;
    return 0;
}

std::u16string_view KeyNameFromCode(uint16_t keyCode)
{
    for (const KeyNameEntry& entry : kKeyNames)
        if (entry.keyCode == keyCode) return entry.name;
    return {};
}

std::u16string ShortCutToText(uint16_t shortCut)
{
    const std::u16string_view name = KeyNameFromCode(ShortCutKeyCode(shortCut));
    if (name.empty()) return {};
    std::u16string text;
    if (shortCut & kShiftBit) text += u"Shift+";
    if (shortCut & kCtrlBit) text += u"Ctrl+";
    if (shortCut & kAltBit) text += u"Alt+";
    text += name;
    return text;
}

ShortCutParts SplitShortCutText(std::u16string_view text)
{
    ShortCutParts parts;
    parts.shift = Contains(text, u"Shift");
    parts.ctrl = Contains(text, u"Ctrl");
    parts.alt = Contains(text, u"Alt");
    std::u16string rest = RemoveAll(text, u"Shift");
    rest = RemoveAll(rest, u"Ctrl");
    rest = RemoveAll(rest, u"Alt");
    rest = RemoveAll(rest, u"+");
    parts.keyName = Trim(rest);
    return parts;
}

uint16_t TextToShortCut(std::u16string_view text)
{
    const ShortCutParts parts = SplitShortCutText(text);
    return MakeShortCut(KeyCodeFromName(parts.keyName), parts.shift, parts.ctrl, parts.alt);
}

}  // namespace tovo
