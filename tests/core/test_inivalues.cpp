#include <gtest/gtest.h>

#include "core/IniValues.h"

using namespace tovo;

TEST(IniValues, IntegerForms) {
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

TEST(IniValues, FlagsReadAnyIntegerAndFallBack) {
  EXPECT_TRUE(IniFlagOr(u"1", false));
  EXPECT_TRUE(IniFlagOr(u"-1", false));
  EXPECT_TRUE(IniFlagOr(u"$2", false));
  EXPECT_FALSE(IniFlagOr(u"0", true));
  EXPECT_TRUE(IniFlagOr(u"yes", true));
  EXPECT_FALSE(IniFlagOr(u"", false));
}

TEST(IniValues, EveryColourNameRoundTripsAndTheFirstNameWins) {
  const ColorName* names = ColorNames();
  for (int i = 0; i < kColorNameCount; ++i) {
    EXPECT_EQ(ParseIniColor(names[i].name), names[i].value);
    EXPECT_EQ(ColorToIniText(names[i].value), names[i].name);
  }
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

TEST(IniValues, ResolvesSystemAndSpecialColours) {
  auto system = [](int index) -> uint32_t { return 0x00010000u * static_cast<uint32_t>(index); };
  EXPECT_EQ(ResolveColor(0xFF000005, system, 7), 0x00050000u);
  EXPECT_EQ(ResolveColor(0x1FFFFFFF, system, 7), 7u);
  EXPECT_EQ(ResolveColor(0x20000000, system, 7), 7u);
  EXPECT_EQ(ResolveColor(0x00FF0000, system, 7), 0x00FF0000u);
}
