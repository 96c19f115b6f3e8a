#include <gtest/gtest.h>

#include <utility>

#include "core/IniValues.h"

using namespace tovo;

TEST(IniValues, IntegerForms)
{
    struct Case {
        std::u16string text;
        std::optional<int32_t> value;
    };
    const Case cases[] = {
        {u"0", 0},
        {u"20", 20},
        {u"-3", -3},
        {u"+7", 7},
        {u"$10", 16},
        {u"0x1f", 31},
        {u"0X1F", 31},
        {u"$FFFFFFFF", -1},
        {u"$FF00000F", static_cast<int32_t>(0xFF00000F)},
        {u"2147483647", 2147483647},
        {u"-2147483648", INT32_MIN},
        {u"2147483648", std::nullopt},
        {u"$100000000", std::nullopt},
        {u"", std::nullopt},
        {u"$", std::nullopt},
        {u"0x", std::nullopt},
        {u" 1", std::nullopt},
        {u"1 ", std::nullopt},
        {u"12a", std::nullopt},
        {u"１２", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseIniInteger(c.text), c.value) << std::string(c.text.begin(), c.text.end());
    }
    EXPECT_EQ(IniIntegerText(-2147483647 - 1), u"-2147483648");
    EXPECT_EQ(IniIntegerText(480), u"480");
}

TEST(IniValues, FlagsReadAnyIntegerAndFallBack)
{
    EXPECT_TRUE(IniFlagOr(u"1", false));
    EXPECT_TRUE(IniFlagOr(u"-1", false));
    EXPECT_TRUE(IniFlagOr(u"$2", false));
    EXPECT_FALSE(IniFlagOr(u"0", true));
    EXPECT_TRUE(IniFlagOr(u"yes", true));
    EXPECT_FALSE(IniFlagOr(u"", false));
}

TEST(IniValues, ColourNamesReadAndWriteTheirValues)
{
    // Written out here rather than taken from the product's table, so a wrong entry there fails.
    const std::pair<std::u16string, uint32_t> known[] = {
        {u"clBlack", 0x00000000},        {u"clMaroon", 0x00000080},     {u"clOlive", 0x00008080},
        {u"clNavy", 0x00800000},         {u"clSilver", 0x00C0C0C0},     {u"clLime", 0x0000FF00},
        {u"clAqua", 0x00FFFF00},         {u"clWhite", 0x00FFFFFF},      {u"clMoneyGreen", 0x00C0DCC0},
        {u"clSkyBlue", 0x00F0CAA6},      {u"clCream", 0x00F0FBFF},      {u"clMedGray", 0x00A4A0A0},
        {u"clActiveBorder", 0xFF00000A}, {u"clBtnFace", 0xFF00000F},    {u"clDefault", 0x20000000},
        {u"clNone", 0x1FFFFFFF},         {u"clScrollBar", 0xFF000000},  {u"cl3DDkShadow", 0xFF000015},
        {u"cl3DLight", 0xFF000016},      {u"clWindowText", 0xFF000008},
    };
    for (const auto& [name, value] : known) {
        EXPECT_EQ(ParseIniColor(name), value) << std::string(name.begin(), name.end());
        EXPECT_EQ(ColorToIniText(value), name) << std::string(name.begin(), name.end());
    }
    EXPECT_EQ(kColorNameCount, 52);
    EXPECT_EQ(ColorToIniText(0x000000FF), u"clRed");
    EXPECT_EQ(ColorToIniText(0x00123456), u"$00123456");
    EXPECT_EQ(ColorToIniText(0xFF000099), u"$FF000099");
    EXPECT_EQ(ParseIniColor(u"CLRED"), 0x000000FFu);
    EXPECT_EQ(ParseIniColor(u"clred"), 0x000000FFu);
    EXPECT_EQ(ParseIniColor(u"$00123456"), 0x00123456u);
    EXPECT_EQ(ParseIniColor(u"255"), 0x000000FFu);
    EXPECT_EQ(ParseIniColor(u"clNotAColour"), std::nullopt);
    EXPECT_EQ(IniColorOr(u"", kClWhite), kClWhite);
}

TEST(IniValues, ResolvesSystemAndSpecialColours)
{
    auto system = [](int index) -> uint32_t { return 0x00010000u * static_cast<uint32_t>(index); };
    EXPECT_EQ(ResolveColor(0xFF000005, system, 7), 0x00050000u);
    EXPECT_EQ(ResolveColor(0x1FFFFFFF, system, 7), 7u);
    EXPECT_EQ(ResolveColor(0x20000000, system, 7), 7u);
    EXPECT_EQ(ResolveColor(0x00FF0000, system, 7), 0x00FF0000u);
}
