#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "core/decimal_text.h"
#include "core/errors.h"

namespace {

constexpr std::int64_t Top = std::numeric_limits<std::int64_t>::max();

TEST(ExactDecimal, MillionthsAroundEachBound) {
    const struct {
        const char* text;
        std::int64_t floor, ceil;
    } cases[] = {
        {"0.21", 210000, 210000},
        {".21e0", 210000, 210000},
        {"21e-2", 210000, 210000},
        {"0.000001", 1, 1},
        {"0.0000015", 1, 2},
        {"-0.0000015", -2, -1},
        {"1", 1000000, 1000000},
        {"5.", 5000000, 5000000},
        {".", 0, 0},
        {"-0", 0, 0},
        {"0e4999", 0, 0},
        {"000.000", 0, 0},
        {"5e-300", 0, 1},
        {"-5e-300", -1, 0},
        {"1e-4999", 0, 1},
        {"99999999999", 99999999999000000, 99999999999000000},
        {"1e12", 1000000000000000000, 1000000000000000000},
        {"9.2e12", 9200000000000000000, 9200000000000000000},
        {"9.3e12", Top, Top},  // beyond int64, but beyond every product too
        {"1e13", Top, Top},
        {"1e400", Top, Top},
        {"-1e400", -Top, -Top},
        {"12345.6789012", 12345678901, 12345678902},
        {"0.00000099999999999", 0, 1},
        {"  +0.0000010000000  ", 1, 1},
    };
    for (const auto& c : cases) {
        const ExactDecimal x = ParseExactDecimal(c.text);
        EXPECT_EQ(FloorMillionths(x), c.floor) << c.text;
        EXPECT_EQ(CeilMillionths(x), c.ceil) << c.text;
    }
}

TEST(ExactDecimal, Comparison) {
    const struct {
        const char* a;
        const char* b;
        int order;
    } cases[] = {
        {"1", "1.0", 0},         {"0.21", ".21e0", 0},       {"-0", "0", 0},     {".", "0e400", 0},
        {"-1", "1", -1},         {"1e400", "9e399", 1},      {"-2", "-10", 1},   {"0.1", "0.10000001", -1},
        {"100", "1", 1},         {"-5e-300", "0", -1},       {"5e-300", "0", 1}, {"123", "1.23e2", 0},
        {"0.000001", "1e-6", 0}, {"-1e-400", "-1e-401", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompareExact(ParseExactDecimal(c.a), ParseExactDecimal(c.b)), c.order) << c.a << " vs " << c.b;
        EXPECT_EQ(CompareExact(ParseExactDecimal(c.b), ParseExactDecimal(c.a)), -c.order) << c.b << " vs " << c.a;
    }
}

TEST(ExactDecimal, RefusesWhatParseDecimalRefusesWithItsMessage) {
    for (const char* text : {"abc", "", "-", "E5", "1e5000", "1,5"}) {
        try {
            ParseExactDecimal(text);
            ADD_FAILURE() << "accepted " << text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' は浮動小数点数ではありません");
        }
    }
}

TEST(ExactDecimal, LongDigitStringsStayExact) {
    // One millionth plus a sliver far beyond any extended precision.
    const std::string text = "0.000001" + std::string(3000, '0') + "1";
    const ExactDecimal x = ParseExactDecimal(text);
    EXPECT_EQ(FloorMillionths(x), 1);
    EXPECT_EQ(CeilMillionths(x), 2);
    EXPECT_EQ(CompareExact(x, ParseExactDecimal("0.000001")), 1);
}

}  // namespace
