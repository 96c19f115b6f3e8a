#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

#include "core/DecEditFilter.h"

namespace tovo {
namespace {

TEST(DecEditFilter, CharacterTableForEveryType)
{
    struct Case {
        char16_t ch;
        int caret;
        std::u16string_view text;
        // DecimalUnSigned, DecimalSigned, DoubleUnSigned, DoubleSigned
        bool accepted[4];
    };
    const Case cases[] = {
        {u'0', 0, u"", {true, true, true, true}},
        {u'9', 3, u"1.5", {true, true, true, true}},
        {8, 1, u"1", {true, true, true, true}},  // backspace
        {u'-', 0, u"", {false, true, false, true}},
        {u'-', 0, u"-5", {false, true, false, true}},  // a second sign is not refused
        {u'-', 1, u"5", {false, false, false, false}},
        {u'.', 1, u"5", {false, false, true, true}},
        {u'.', 0, u"5.2", {false, false, false, false}},  // wherever the caret is
        {u'a', 0, u"", {false, false, false, false}},
        {u' ', 0, u"", {false, false, false, false}},
        {u'+', 0, u"", {false, false, false, false}},
        {13, 1, u"5", {false, false, false, false}},     // Enter
        {27, 1, u"5", {false, false, false, false}},     // Esc
        {0x16, 0, u"", {false, false, false, false}},    // Ctrl+V character
        {0xB2, 0, u"", {false, false, false, false}},    // superscript two, below 256
        {0xFF10, 0, u"", {false, false, false, false}},  // full-width zero
    };
    const TNumericalType types[4] = {TNumericalType::DecimalUnSigned, TNumericalType::DecimalSigned,
                                     TNumericalType::DoubleUnSigned, TNumericalType::DoubleSigned};
    for (const Case& c : cases)
        for (int t = 0; t < 4; ++t)
            EXPECT_EQ(DecEditAccepts(types[t], c.ch, c.caret, c.text), c.accepted[t])
                << "char " << int(c.ch) << " caret " << c.caret << " type " << t;
}

TEST(DecEditFilter, ParseInt32Strict)
{
    struct Case {
        std::u16string_view text;
        std::optional<int32_t> expected;
    };
    const Case cases[] = {
        {u"0007", 7},
        {u"-1", -1},
        {u"+5", 5},
        {u"-0", 0},
        {u"2147483647", INT32_MAX},
        {u"2147483648", std::nullopt},
        {u"-2147483648", INT32_MIN},
        {u"-2147483649", std::nullopt},
        {u"99999999999999999999999", std::nullopt},
        {u"00000000000000000000012", 12},
        {u"", std::nullopt},
        {u"-", std::nullopt},
        {u"--1", std::nullopt},
        {u" 1", std::nullopt},
        {u"1 ", std::nullopt},
        {u"1a", std::nullopt},
        {u"１", std::nullopt},  // full-width digit
        {u"$10", 16},
        {u"0x10", 16},
        {u"0X1f", 31},
        {u"$FF00000F", static_cast<int32_t>(0xFF00000Fu)},
        {u"$FFFFFFFF", -1},
        {u"$100000000", std::nullopt},
        {u"$000000000010", 16},
        {u"$", std::nullopt},
        {u"0x", std::nullopt},
        {u"$G", std::nullopt},
        {u"-$10", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        EXPECT_EQ(ParseInt32Strict(c.text), c.expected);
    }
    EXPECT_EQ(NotAnIntegerMessage(u"abc"), u"'abc' は整数ではありません.");
    EXPECT_EQ(NotAnIntegerMessage(u""), u"'' は整数ではありません.");
}

}  // namespace
}  // namespace tovo
