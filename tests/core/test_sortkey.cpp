#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/SortKey.h"

using tovo::CompareSortFields;

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

const tovo::SortTextCompare kText = tovo::CompareFoldedText;

TEST(SortKey, WhatReadsAsANumber)
{
    const struct {
        std::u16string field;
        bool number;
    } cases[] = {
        {u"0", true}, {u"-3", true}, {u"+0.5", true}, {u"1,234.5", true}, {u"12,345,678", true},
        {u"１２３", true}, {u"－１，２３４．５", true}, {u"1.", true}, {u".5", true}, {u"-.5", true},
        {u" 42\u3000", true}, {u"0012", true}, {u"1234", true},
        {u",12", false}, {u"1,23", false}, {u"1,2345", false}, {u"1234,567", false}, {u"1,,234", false},
        {u"1,", false}, {u"0,500", false}, {u".", false}, {u"+", false}, {u"-", false}, {u"", false},
        {u"1.2.3", false}, {u"1.234,5", false}, {u"1e5", false}, {u"1 000", false}, {u"--1", false},
        {u"12a", false}, {u"٣", false},
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
        {u"0.05", u"0.5", -1, 1},
        {u"12345678901234567", u"12345678901234568", -1, 1},  // one double for both
        {u"-12345678901234567", u"-12345678901234568", 1, -1},
        {u"1" + zeros, u"2" + zeros, -1, 1},                  // past every exponent a key holds
        {u"0." + zeros + u"2", u"0." + zeros + u"1", 1, -1},
        {u"-1" + zeros, u"-99", -1, 1},
        {u"999999", u"1e5", -1, 1},  // numbers before text
        {u"abc", u"ABD", -1, 1},
        {u"abc", u"ABC", 0, 0},
        {u"", u"1", 1, 1},  // empty last both ways
        {u"zzz", u"", -1, -1},
        {u"", u"", 0, 0},
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
        if (static_cast<int>(digits.size()) <= scale) digits.insert(0, static_cast<size_t>(scale) + 1 - digits.size(), '0');
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

TEST(SortKey, SortRowsKeepsLineOrderForEqualFieldsAndEmptiesLast)
{
    const std::vector<std::u16string> column = {u"b", u"", u"10", u"B", u"2", u"1.0", u"", u"a", u"+1", u"-5"};
    const tovo::SortFieldOf fieldOf = [&](uint32_t row, std::u16string&) { return std::u16string_view(column[row]); };
    const struct {
        bool descending;
        std::vector<uint32_t> rows, sorted;
    } cases[] = {
        {false, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {9, 5, 8, 4, 2, 7, 0, 3, 1, 6}},
        {true, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {0, 3, 7, 2, 4, 5, 8, 9, 1, 6}},
        {false, {8, 6, 3, 0, 5}, {5, 8, 0, 3, 6}},  // a subset, given out of line order
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> rows = c.rows;
        tovo::SortRows(rows, static_cast<uint32_t>(column.size()), fieldOf, c.descending, kText);
        EXPECT_EQ(rows, c.sorted) << c.descending;
    }
}

// Both ways of ordering texts (ranking the distinct ones, or comparing fields when there are too
// many) against the plain comparison of fields.
TEST(SortKey, SortRowsAgreesWithComparingFields)
{
    std::mt19937 rng(3);
    for (const size_t maxRanked : {size_t{65'536}, size_t{20}}) {
        const uint32_t distinctTexts = 50;
        std::vector<std::u16string> column(3'000);
        for (auto& f : column) {
            const uint32_t pick = static_cast<uint32_t>(rng() % 10);
            const std::string n = std::to_string(rng() % distinctTexts);
            if (pick < 6) f = std::u16string(n.begin(), n.end()) + (pick % 2 ? u"x" : u"X");  // equal in pairs
            else if (pick < 9) f = std::u16string(n.begin(), n.end());
        }
        const tovo::SortFieldOf fieldOf = [&](uint32_t row, std::u16string&) { return std::u16string_view(column[row]); };
        for (const bool descending : {false, true}) {
            std::vector<uint32_t> rows(column.size()), expected(column.size());
            for (uint32_t i = 0; i < rows.size(); ++i) rows[i] = expected[i] = i;
            tovo::SortRows(rows, static_cast<uint32_t>(column.size()), fieldOf, descending, kText, maxRanked);
            std::stable_sort(expected.begin(), expected.end(), [&](uint32_t a, uint32_t b) {
                return CompareSortFields(column[a], column[b], descending, kText) < 0;
            });
            ASSERT_EQ(rows, expected) << maxRanked << ' ' << descending;
        }
    }
}

}  // namespace
