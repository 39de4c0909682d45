#include "core/numtext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/errors.h"

namespace {

// The message a refused text gives, or "" when it was accepted.
template <typename F>
std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const EConvertError& e) {
        return e.what();
    }
    return "";
}

struct IntegerCase {
    const char* text;
    std::int32_t value;
};

TEST(ParseInteger, AcceptedForms) {
    const IntegerCase cases[] = {
        {"7", 7},           {"  7", 7},           {"+7", 7},          {"-0", 0},
        {"007", 7},         {"$1F", 31},          {"0x1F", 31},       {"x1f", 31},
        {"X1F", 31},        {"0X1f", 31},         {"$FFFFFFFF", -1},  {"$7FFFFFFF", 2147483647},
        {"$80000000", std::numeric_limits<std::int32_t>::min()},      {"$0000000001F", 31},
        {"2147483647", 2147483647}, {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"0000000000000000000012", 12},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseInteger(c.text), c.value) << "text: [" << c.text << "]";
    }
}

TEST(ParseInteger, RefusedFormsQuoteTheWholeText) {
    const char* cases[] = {
        "7 ", "-$1F", "+$1F", "$", "0x", "x", "2147483648", "-2147483649", "", "   ", "+", "-",
        "\t7", "$100000000", "$FFFFFFFFF", "1.0", "1e2", "１", "7a", "0x1G", "- 7", "99999999999999999999",
    };
    for (const char* text : cases) {
        EXPECT_EQ(MessageOf([&] { ParseInteger(text); }), "'" + std::string(text) + "' は整数ではありません")
            << "text: [" << text << "]";
    }
}

struct DecimalCase {
    const char* text;
    Extended value;
};

TEST(ParseDecimal, AcceptedForms) {
    const DecimalCase cases[] = {
        {" 1.5 ", 1.5L},   {"-.5", -0.5L},    {"1e2", 100.0L},   {"1E", 1.0L},     {".", 0.0L},
        {"5.", 5.0L},      {"+3", 3.0L},      {"1E+", 1.0L},     {"1e-2", 0.01L},  {"2.5E-3", 0.0025L},
        {"12.345", 12.345L}, {"0.1", 0.1L},   {"1e0000000000002", 100.0L},         {".E5", 0.0L},
        {"0e4999", 0.0L},  {"1e-4999", 0.0L}, {"1e-0020", 1e-20L},                {"  -1.25e+1  ", -12.5L},
        {"0.000000000000000000000000000001e30", 1.0L},                       {"1e0499", 1e499L},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseDecimal(c.text), c.value) << "text: [" << c.text << "]";
    }
}

TEST(ParseDecimal, KeepsTheSignOfZero) {
    EXPECT_TRUE(std::signbit(ParseDecimal("-0")));
    EXPECT_FALSE(std::signbit(ParseDecimal("0")));
}

TEST(ParseDecimal, LimitsOfTheExtendedRange) {
    EXPECT_NO_THROW(ParseDecimal("1.18e4932"));
    EXPECT_NO_THROW(ParseDecimal("-1.18e4932"));
    EXPECT_THROW(ParseDecimal("1.19e4932"), EConvertError);
    // The exponent stops being read at 500: "1e-0500" is 10^-500, not a leftover digit.
    EXPECT_GT(ParseDecimal("1e-0500"), 0.0L);
    EXPECT_LT(ParseDecimal("1e-0500"), 1e-499L);
}

TEST(ParseDecimal, ReachesTheSubnormalRange) {
    EXPECT_EQ(ParseDecimal("3.6451995318824746e-4951"), std::numeric_limits<Extended>::denorm_min());
    EXPECT_GT(ParseDecimal("1e-4940"), 0.0L);
}

TEST(ParseDecimal, RefusedFormsQuoteTheWholeText) {
    const char* cases[] = {
        "-",       "E5",       "1,5",      "１",       "",        " ",       "1 2",   "1.2.3",
        "1e2.5",   "e",        "+-1",      "\t1",      "1e5000",  "1e4999",  "1e4933", "1.19e4932",
        "-1e4933", "1e50000",  "0x10",     "$10",      "1e 2",    "1.5f",    "inf",   "nan",
    };
    for (const char* text : cases) {
        EXPECT_EQ(MessageOf([&] { ParseDecimal(text); }),
                  "'" + std::string(text) + "' は浮動小数点数ではありません")
            << "text: [" << text << "]";
    }
}

TEST(ParseDecimal, OverflowInTheDigitsThemselvesFails) {
    const std::string text(5000, '9');
    EXPECT_NE(MessageOf([&] { ParseDecimal(text); }), "");
}

struct FormatCase {
    Extended value;
    const char* text;
};

TEST(FormatDecimal, GeneralFormWithFifteenDigits) {
    const FormatCase cases[] = {
        {0.0L, "0"},
        {-0.0L, "0"},
        {2.5L, "2.5"},
        {40.0L, "40"},
        {100.0L, "100"},
        {0.5L, "0.5"},
        {1e15L, "1E15"},
        {999999999999999.0L, "999999999999999"},
        {-0.25L, "-0.25"},
        {0.0001L, "0.0001"},
        {0.000123L, "0.000123"},
        {0.00005L, "5E-5"},
        {0.000012L, "1.2E-5"},
        {0.000001L, "1E-6"},
        {-0.00001L, "-1E-5"},
        {123456.789L, "123456.789"},
        {1e100L, "1E100"},
        {1.5e-10L, "1.5E-10"},
        {0.1L * 3, "0.3"},
        {1234567890123456.0L, "1.23456789012346E15"},
        // The 16th digit alone decides, and 5 rounds up: half to even would give ...342.
        {1234567890123425.0L, "1.23456789012343E15"},
        {-1234567890123425.0L, "-1.23456789012343E15"},
        {123456789012342.5L, "123456789012343"},
        // A carry through every digit moves the exponent, and the notation with it.
        {9999999999999995.0L, "1E16"},
        {999999999999999.5L, "1E15"},
        {std::numeric_limits<Extended>::max(), "1.18973149535723E4932"},
        {std::numeric_limits<Extended>::denorm_min(), "3.64519953188247E-4951"},
        {std::numeric_limits<Extended>::min(), "3.36210314311209E-4932"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDecimal(c.value), c.text) << "expected " << c.text;
    }
}

TEST(FormatDecimal, SixteenthDigitIsTheExactOneNotARoundedOne) {
    // 1.23456789012345499994410...: printed to 17 digits it would read ...4550 and round up.
    EXPECT_EQ(FormatDecimal(std::ldexp(static_cast<Extended>(11386878955363474200ull), -63)), "1.23456789012345");
    // 1.2345678901000049999727...: even twenty digits, rounded, would carry into the 16th.
    EXPECT_EQ(FormatDecimal(std::ldexp(static_cast<Extended>(11386878955147186126ull), -63)), "1.2345678901");
    // One step up, 1.23456789012345500005...: the 16th digit is a true 5.
    EXPECT_EQ(FormatDecimal(std::ldexp(static_cast<Extended>(11386878955363474201ull), -63)), "1.23456789012346");
    // 0.12345678901234550000118...: digits 17 to 20 all 0, the other doubtful pattern.
    EXPECT_EQ(FormatDecimal(std::ldexp(static_cast<Extended>(18219006328581558721ull), -67)), "0.123456789012346");
}

TEST(FormatDecimal, OperandsInThousandthsComeOutExact) {
    const struct {
        std::int32_t milli;
        const char* text;
    } cases[] = {{12345, "12.345"}, {1200, "1.2"}, {5000, "5"}, {50, "0.05"}, {1, "0.001"},
                 {0, "0"},          {99999, "99.999"}, {10, "0.01"}, {10000, "10"}, {90909, "90.909"}};
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDecimal(static_cast<Extended>(c.milli) / 1000), c.text);
    }
    // Every operand the generator can make: fixed notation, no trailing zero, no trailing point.
    for (std::int32_t milli = 0; milli <= 99999; ++milli) {
        const std::string text = FormatDecimal(static_cast<Extended>(milli) / 1000);
        std::string expected = std::to_string(milli / 1000);
        if (milli % 1000 != 0) {
            std::string fraction = std::to_string(1000 + milli % 1000).substr(1);
            fraction.erase(fraction.find_last_not_of('0') + 1);
            expected += "." + fraction;
        }
        ASSERT_EQ(text, expected) << milli;
    }
}

TEST(FormatDecimal, ProductsInMillionthsSwitchToTheExponentBelowOneTenThousandth) {
    const struct {
        std::int64_t micro;
        const char* text;
    } cases[] = {{50, "5E-5"}, {12, "1.2E-5"}, {1, "1E-6"}, {100, "0.0001"}, {123, "0.000123"},
                 {210000, "0.21"}, {9999800001LL, "9999.800001"}};
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDecimal(static_cast<Extended>(c.micro) / 1000000), c.text);
    }
}

TEST(FormatDecimal, WhatItWritesReadsBackToTheSameText) {
    const Extended values[] = {1.0L / 3, 2.0L / 3, 1e-300L / 7, 1e300L / 7, 123.456e-10L, 0.1L,
                               std::numeric_limits<Extended>::max(), std::numeric_limits<Extended>::denorm_min(),
                               -987654321.123456789L};
    for (Extended v : values) {
        const std::string text = FormatDecimal(v);
        EXPECT_EQ(FormatDecimal(ParseDecimal(text)), text);
    }
}

TEST(FormatInteger, PlainDecimal) {
    EXPECT_EQ(FormatInteger(0), "0");
    EXPECT_EQ(FormatInteger(-17), "-17");
    EXPECT_EQ(FormatInteger(std::numeric_limits<std::int32_t>::min()), "-2147483648");
    EXPECT_EQ(FormatInteger(2147483647), "2147483647");
}

}  // namespace
