#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/SortKey.h"

using tovo::CompareSortFields;

namespace {

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

const tovo::CollationKeyFn kText = &tovo::AppendFoldedKey;

TEST(SortKey, WhatReadsAsANumber)
{
    const struct {
        std::u16string field;
        bool number;
    } cases[] = {
        {u"0", true},
        {u"-3", true},
        {u"+0.5", true},
        {u"1,234.5", true},
        {u"12,345,678", true},
        {u"１２３", true},
        {u"－１，２３４．５", true},
        {u"1.", true},
        {u".5", true},
        {u"-.5", true},
        {u" 42\u3000", true},
        {u"0012", true},
        {u"1234", true},
        {u"+7", true},
        {u"．５", true},
        {u"12,345.25", true},
        {u",12", false},
        {u"1,23", false},
        {u"1,2345", false},
        {u"1234,567", false},
        {u"1,,234", false},
        {u"1,", false},
        {u"0,500", false},
        {u".", false},
        {u"+", false},
        {u"-", false},
        {u"", false},
        {u"1.2.3", false},
        {u"1.234,5", false},
        {u"1e5", false},
        {u"1 000", false},
        {u"--1", false},
        {u"12a", false},
        {u"٣", false},
        {u"+-1", false},
        {u"1.2,3", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tovo::ReadsAsNumber(c.field), c.number) << std::string(c.field.begin(), c.field.end());
    }
}

TEST(SortKey, ComparesFieldsInBothDirections)
{
    const std::u16string zeros(5000, u'0');
    const struct {
        std::u16string a, b;
        int ascending;   // sign of CompareSortFields(a, b) ascending
        int descending;  // and descending
    } cases[] = {
        {u"2", u"10", -1, 1},
        {u"-3", u"1", -1, 1},
        {u"-10", u"-9", -1, 1},
        {u"1,234.5", u"1234.50", 0, 0},
        {u"１２３", u"123", 0, 0},
        {u"+0.5", u".5", 0, 0},
        {u"-0", u"0.00", 0, 0},
        {u"－１，０００", u"-1000", 0, 0},
        {u"．５", u"0.5", 0, 0},
        {u" 12 ", u"12", 0, 0},
        {u"12,345.25", u"12345.250", 0, 0},
        {u"0.05", u"0.5", -1, 1},
        {u"12345678901234567", u"12345678901234568", -1, 1},  // one double for both
        {u"-12345678901234567", u"-12345678901234568", 1, -1},
        {u"-12345678901234.5", u"-12345678901234.51", 1, -1},  // the one's digits a prefix of the other's
        {u"1" + zeros, u"2" + zeros, -1, 1},                   // past every exponent a key holds
        {u"0." + zeros + u"2", u"0." + zeros + u"1", 1, -1},
        {u"-1" + zeros, u"-99", -1, 1},
        {u"999999", u"1e5", -1, 1},  // numbers before text
        {u"abc", u"ABD", -1, 1},
        {u"abc", u"ABC", 0, 0},
        {u"", u"1", 1, 1},  // empty last both ways
        {u"zzz", u"", -1, -1},
        {u"", u"", 0, 0},
        {u"  \u3000", u"a", 1, 1},  // blank: shown empty, so last with the empty ones
        {u" ", u"", 0, 0},
        {u" \t", u"a", -1, 1},  // a tab is not blank
    };
    for (const auto& c : cases) {
        const std::string name(c.a.begin(), c.a.begin() + std::min<size_t>(c.a.size(), 20));
        EXPECT_EQ(Sign(CompareSortFields(c.a, c.b, false, kText)), c.ascending) << name;
        EXPECT_EQ(Sign(CompareSortFields(c.b, c.a, false, kText)), -c.ascending) << name;
        EXPECT_EQ(Sign(CompareSortFields(c.a, c.b, true, kText)), c.descending) << name;
    }
}

// Random decimals (up to 18 digits, some past what a key keeps) against their exact values.
TEST(SortKey, NumbersCompareAsTheirExactValues)
{
    std::mt19937_64 rng(11);
    auto make = [&](__int128& scaled) {
        const int scale = static_cast<int>(rng() % 7);
        int64_t mantissa = static_cast<int64_t>(rng() % 1'000'000'000'000'000'000ull);
        if (rng() % 3 == 0) mantissa %= 1000;
        const bool negative = rng() % 2;
        std::string digits = std::to_string(mantissa);
        if (static_cast<int>(digits.size()) <= scale)
            digits.insert(0, static_cast<size_t>(scale) + 1 - digits.size(), '0');
        std::string text = (negative ? "-" : "") + digits.substr(0, digits.size() - scale);
        if (scale) text += "." + digits.substr(digits.size() - scale);
        scaled = mantissa;
        for (int k = scale; k < 6; ++k) scaled *= 10;
        if (negative) scaled = -scaled;
        return std::u16string(text.begin(), text.end());
    };
    for (int i = 0; i < 20000; ++i) {
        __int128 x = 0, y = 0;
        const std::u16string a = make(x), b = rng() % 4 ? make(y) : a;
        if (b == a) y = x;
        ASSERT_EQ(Sign(CompareSortFields(a, b, false, kText)), (x > y) - (x < y))
            << std::string(a.begin(), a.end()) << " vs " << std::string(b.begin(), b.end());
    }
}

}  // namespace
