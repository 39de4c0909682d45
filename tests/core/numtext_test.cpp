#include "core/numtext.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "core/decimal_text.h"
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

bool Refused(const std::string& text) {
    return !MessageOf([&] { ParseDecimal(text); }).empty();
}

struct IntegerCase {
    const char* text;
    std::int32_t value;
};

TEST(ParseInteger, AcceptedForms) {
    const IntegerCase cases[] = {
        {"7", 7},
        {"  7", 7},
        {"+7", 7},
        {"-0", 0},
        {"007", 7},
        {"$1F", 31},
        {"0x1F", 31},
        {"x1f", 31},
        {"X1F", 31},
        {"0X1f", 31},
        {"$FFFFFFFF", -1},
        {"$7FFFFFFF", 2147483647},
        {"$80000000", std::numeric_limits<std::int32_t>::min()},
        {"$0000000001F", 31},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"0000000000000000000012", 12},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseInteger(c.text), c.value) << "text: [" << c.text << "]";
    }
}

TEST(ParseInteger, RefusedFormsQuoteTheWholeText) {
    const char* cases[] = {
        "7 ",         "-$1F",
        "+$1F",       "$",
        "0x",         "x",
        "2147483648", "-2147483649",
        "",           "   ",
        "+",          "-",
        "\t7",        "$100000000",
        "$FFFFFFFFF", "1.0",
        "1e2",        "１",
        "7a",         "0x1G",
        "- 7",        "99999999999999999999",
    };
    for (const char* text : cases) {
        EXPECT_EQ(MessageOf([&] { ParseInteger(text); }), "'" + std::string(text) + "' は整数ではありません")
            << "text: [" << text << "]";
    }
}

// The exact value as sign, digits and exponent: "-125e-1" is -12.5, "0e0" is zero.
std::string Shown(const ExactDecimal& x) {
    return (x.Negative ? "-" : "") + (x.Digits.empty() ? "0" : x.Digits) + "e" + std::to_string(x.Exponent);
}

TEST(ParseDecimal, AcceptedFormsAndTheirExactValues) {
    const struct {
        const char* text;
        const char* value;
    } cases[] = {
        {" 1.5 ", "15e-1"},
        {"-.5", "-5e-1"},
        {"1e2", "1e2"},
        {"1E", "1e0"},
        {".", "0e0"},
        {"5.", "5e0"},
        {"+3", "3e0"},
        {"1E+", "1e0"},
        {"1e-2", "1e-2"},
        {"2.5E-3", "25e-4"},
        {"12.345", "12345e-3"},
        {"1e0000000000002", "1e2"},
        {".E5", "0e0"},
        {"0e4999", "0e0"},
        {"1e-4999", "1e-4999"},
        {"  -1.25e+1  ", "-125e-1"},
        {"-0", "0e0"},
        {"0012.3400", "1234e-2"},
        {"100", "1e2"},
        {"1e0499", "1e499"},
        {"0.000000000000000000000000000001e30", "1e0"},
        // The exponent stops being read at 500: "1e-0500" is 10^-500, not a leftover digit.
        {"1e-0500", "1e-500"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Shown(ParseDecimal(c.text)), c.value) << "text: [" << c.text << "]";
    }
}

// Where the extended range ends, as the x87 reading decided it. The largest value is
// 1.18973149535723176502...e4932 and the next step up 1.18973149535723176508...e4932, so an exact
// rule would cut at ...76505; the roundings of the gathered digits and of the power of ten move
// the cut to ...765099|...7651, and that is where the program has always refused.
TEST(ParseDecimal, EndOfTheExtendedRange) {
    const struct {
        const char* text;
        bool accepted;
    } cases[] = {
        {"1.18e4932", true},
        {"-1.18e4932", true},
        {"1.19e4932", false},
        {"1e4932", true},
        {"1e4933", false},
        {"0.1e4933", true},
        {"1e4999", false},
        {"0e4999", true},
        {"1e-4999", true},
        {"1.18973149535723176502e4932", true},
        {"1.18973149535723176506e4932", true},
        {"1.189731495357231765099e4932", true},
        {"1.1897314953572317651e4932", false},
        {"118973149535723176509e4912", true},
        {"118973149535723176510e4912", false},
        {"1189731495357231765099e4911", true},
        {"11897314953572317651e4913", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Refused(c.text), !c.accepted) << "text: [" << c.text << "]";
    }
    // Gathered digit by digit: 10^4932 - 1 written out is a number, 10^4933 - 1 is not.
    EXPECT_FALSE(Refused(std::string(4932, '9')));
    EXPECT_TRUE(Refused(std::string(4933, '9')));
    EXPECT_FALSE(Refused("1" + std::string(4932, '0')));
    EXPECT_TRUE(Refused("1" + std::string(4933, '0')));
    // The digits are gathered before the point is placed: 5000 of them overflow even after "0.".
    EXPECT_TRUE(Refused("0." + std::string(5000, '9')));
    EXPECT_FALSE(Refused("0." + std::string(4932, '9')));
}

TEST(ParseDecimal, RefusedFormsQuoteTheWholeText) {
    const char* cases[] = {
        "-",      "E5",     "1,5",    "１",        "",        " ",       "1 2",  "1.2.3", "1e2.5", "e",    "+-1", "\t1",
        "1e5000", "1e4999", "1e4933", "1.19e4932", "-1e4933", "1e50000", "0x10", "$10",   "1e 2",  "1.5f", "inf", "nan",
    };
    for (const char* text : cases) {
        EXPECT_EQ(MessageOf([&] { ParseDecimal(text); }), "'" + std::string(text) + "' は浮動小数点数ではありません")
            << "text: [" << text << "]";
    }
}

TEST(FormatDecimal, GeneralFormWithFifteenDigits) {
    const struct {
        const char* value;  // read exactly, whatever its size
        const char* text;
    } cases[] = {
        {"0", "0"},
        {"-0", "0"},
        {"2.5", "2.5"},
        {"40", "40"},
        {"100", "100"},
        {"0.5", "0.5"},
        {"1e15", "1E15"},
        {"999999999999999", "999999999999999"},
        {"-0.25", "-0.25"},
        {"0.0001", "0.0001"},
        {"0.000123", "0.000123"},
        {"0.00005", "5E-5"},
        {"0.000012", "1.2E-5"},
        {"0.000001", "1E-6"},
        {"-0.00001", "-1E-5"},
        {"123456.789", "123456.789"},
        {"1e100", "1E100"},
        {"1.5e-10", "1.5E-10"},
        {"1234567890123456", "1.23456789012346E15"},
        // The 16th digit alone decides, and 5 rounds up: half to even would give ...342.
        {"1234567890123425", "1.23456789012343E15"},
        {"-1234567890123425", "-1.23456789012343E15"},
        {"123456789012342.5", "123456789012343"},
        {"1.234567890123454999999", "1.23456789012345"},
        {"0.1234567890123455", "0.123456789012346"},
        // A carry through every digit moves the exponent, and the notation with it.
        {"9999999999999995", "1E16"},
        {"999999999999999.5", "1E15"},
        {"0.00099999999999999999", "0.001"},
        {"1.18973149535723176502e4932", "1.18973149535723E4932"},
        {"3.6451995318824746e-4951", "3.64519953188247E-4951"},
        {"1e-4999", "1E-4999"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDecimal(ParseExactDecimal(c.value)), c.text) << "value " << c.value;
    }
}

TEST(FormatDecimal, OperandsInThousandthsComeOutExact) {
    const struct {
        std::int32_t milli;
        const char* text;
    } cases[] = {{12345, "12.345"},
                 {1200, "1.2"},
                 {5000, "5"},
                 {50, "0.05"},
                 {1, "0.001"},
                 {0, "0"},
                 {99999, "99.999"},
                 {10, "0.01"},
                 {10000, "10"},
                 {90909, "90.909"},
                 {-1500, "-1.5"},
                 {std::numeric_limits<std::int32_t>::min(), "-2147483.648"},
                 {std::numeric_limits<std::int32_t>::max(), "2147483.647"}};
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDecimal(Thousandths(c.milli)), c.text);
    }
    // Every operand the generator can make: fixed notation, no trailing zero, no trailing point.
    for (std::int32_t milli = 0; milli <= 99999; ++milli) {
        const std::string text = FormatDecimal(Thousandths(milli));
        std::string expected = std::to_string(milli / 1000);
        if (milli % 1000 != 0) {
            std::string fraction = std::to_string(1000 + milli % 1000).substr(1);
            fraction.erase(fraction.find_last_not_of('0') + 1);
            expected += "." + fraction;
        }
        ASSERT_EQ(text, expected) << milli;
    }
}

TEST(MultiplyExact, ProductTexts) {
    const struct {
        const char* a;
        const char* b;
        const char* product;
    } cases[] = {
        {"2.5", "4.1", "10.25"},
        {"0.5", "0.6", "0.3"},
        {"1.25", "4", "5"},
        {"5", "2", "10"},
        {"0.001", "0.001", "1E-6"},
        {"0.01", "0.005", "5E-5"},
        {"-1.5", "2", "-3"},
        {"-0.5", "-0.5", "0.25"},
        {"0", "7.5", "0"},
        {"7.5", "-0", "0"},
        {"99.999", "99.999", "9999.800001"},
        {"54321", "98765", "5365013565"},
        // Beyond 15 digits the product is rounded like any value.
        {"2147483.647", "2147483.647", "4611686014132.42"},
        {"99999.999", "99999.999", "9999999800"},
        // A true tie at the 16th digit rounds away from zero (...803865).
        {"879046.945", "9830.457", "8641433193.80387"},
        {"-879046.945", "9830.457", "-8641433193.80387"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDecimal(MultiplyExact(ParseDecimal(c.a), ParseDecimal(c.b))), c.product) << c.a << " x " << c.b;
    }
}

TEST(MultiplyExact, AgreesWithIntegerProductsOfThousandths) {
    std::mt19937 random(3);
    for (int i = 0; i < 200000; ++i) {
        const auto a = static_cast<std::int32_t>(random()), b = static_cast<std::int32_t>(random());
        const ExactDecimal product = MultiplyExact(Thousandths(a), Thousandths(b));
        const ExactDecimal expected = ParseExactDecimal(std::to_string(static_cast<std::int64_t>(a) * b) + "e-6");
        ASSERT_EQ(CompareExact(product, expected), 0) << a << " x " << b;
        ASSERT_EQ(Shown(product), Shown(expected)) << a << " x " << b;  // the same digits, no zeros at the end
    }
}

TEST(FormatDecimal, WhatItWritesReadsBackToTheSameText) {
    const char* const values[] = {
        "0.333333333333333333333",     "6.66666666666666666666e-301", "1.42857142857142857e299", "123.456e-10", "0.1",
        "1.18973149535723176502e4932", "3.6451995318824746e-4951",    "-987654321.123456789"};
    for (const char* v : values) {
        const std::string text = FormatDecimal(ParseExactDecimal(v));
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
