#include "tests/reference/x87_numtext.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "core/decimal_text.h"
#include "core/errors.h"

static_assert(std::numeric_limits<x87::Extended>::digits == 64,
              "the reference needs the 80-bit format with a 64-bit significand");

namespace x87 {
namespace {

static_assert(std::numeric_limits<Extended>::round_style == std::round_to_nearest,
              "extended arithmetic must round to nearest");
// Largest n for which 10^n is finite in the extended format.
constexpr int MaxFinitePow10 = 4932;

// 10^n rounded to nearest (n >= 0); infinity beyond the range. Up to 10^27 the power is exact
// and computed directly; beyond it a correctly rounded reading of "1e<n>" supplies it. The
// readers and writers here are std::from_chars/to_chars: the C library's strtold and printf
// follow the user's LC_NUMERIC, and a comma locale would change every number on the sheet.
Extended ComputePow10(std::int64_t n) {
    if (n <= 27) {
        Extended p = 1;
        for (std::int64_t i = 0; i < n; ++i) p *= 10;
        return p;
    }
    if (n > MaxFinitePow10) return HUGE_VALL;
    char buffer[16] = {'1', 'e'};
    const auto written = std::to_chars(buffer + 2, buffer + sizeof buffer, n);
    Extended power = 0;
    std::from_chars(buffer, written.ptr, power);
    return power;
}

// The same powers, each read once: the differential tests ask for millions of them and the C
// library's correctly rounded reading of "1e4900" takes microseconds.
Extended Pow10(std::int64_t n) {
    if (n > MaxFinitePow10) return HUGE_VALL;
    static const std::vector<Extended> powers = [] {
        std::vector<Extended> p;
        for (int k = 0; k <= MaxFinitePow10; ++k) p.push_back(ComputePow10(k));
        return p;
    }();
    return powers[static_cast<std::size_t>(n)];
}

}  // namespace

Extended ParseDecimal(std::string_view text) {
    DecimalTextParts parts;
    if (!ScanDecimalText(text, parts)) RaiseNotADecimal(text);

    // All digits as one integer, each step rounded in the extended format, then one scaling.
    Extended mantissa = 0;
    for (char c : parts.IntegerDigits) mantissa = mantissa * 10 + static_cast<Extended>(c - '0');
    for (char c : parts.FractionDigits) mantissa = mantissa * 10 + static_cast<Extended>(c - '0');
    if (std::isinf(mantissa)) RaiseNotADecimal(text);

    Extended value = mantissa;
    const std::int64_t scale =
        static_cast<std::int64_t>(parts.Exponent) - static_cast<std::int64_t>(parts.FractionDigits.size());
    if (mantissa != 0 && scale > 0) {
        value = mantissa * Pow10(scale);
        if (std::isinf(value)) RaiseNotADecimal(text);
    } else if (mantissa != 0 && scale < 0) {
        // A power beyond the range would be infinite; divide in steps so that tiny values
        // still reach the subnormal range instead of collapsing through inf.
        std::int64_t remaining = -scale;
        while (remaining > MaxFinitePow10 && value != 0) {
            value /= Pow10(MaxFinitePow10);
            remaining -= MaxFinitePow10;
        }
        if (value != 0) value /= Pow10(remaining);
    }
    return parts.Negative ? -value : value;
}

std::string FormatDecimal(Extended value) {
    if (value == 0) return "0";
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";

    // The exact decimal expansion of |value|: every binary fraction has a finite one, with at
    // most (number of significand bits below the point) fraction digits. Asked for enough
    // digits, to_chars writes them all and has nothing left to round; its own rounding (half to
    // even) must never decide the 16th digit.
    const Extended magnitude = std::fabs(value);
    int binaryExponent = 0;
    const Extended fraction = std::frexp(magnitude, &binaryExponent);  // magnitude = fraction * 2^e
    auto significand = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    int lowBit = 0;
    while ((significand & 1u) == 0) {
        significand >>= 1;
        ++lowBit;
    }
    const long fractionDigits = std::max(0L, 64L - lowBit - binaryExponent);
    const long integerDigits = binaryExponent > 0 ? binaryExponent * 30103L / 100000L + 1 : 0;
    const long exactPrecision = fractionDigits + integerDigits + 1;

    thread_local std::vector<char> buffer;
    std::string digits;  // the first 16 significant digits of |value|, truncated
    long leading = 0;    // |value| = d.ddd... x 10^leading
    const auto print = [&](long precision) {
        buffer.resize(static_cast<std::size_t>(precision) + 32);
        const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                           std::chars_format::scientific, static_cast<int>(precision));
        digits.clear();
        const char* p = buffer.data();
        for (; *p != 'e'; ++p) {
            if (*p >= '0' && *p <= '9' && digits.size() < 20) digits.push_back(*p);
        }
        ++p;  // the exponent's sign: from_chars takes '-' but not '+'
        const bool negativeExponent = *p == '-';
        if (*p == '+' || *p == '-') ++p;
        std::from_chars(p, written.ptr, leading);
        if (negativeExponent) leading = -leading;
    };

    // Most expansions are long (12.345 has some sixty digits). Twenty digits, rounded by
    // to_chars at the twentieth, still pin the first sixteen exactly unless digits 17 to 20 come
    // out all 0 or all 9: only then may that rounding have reached the 16th digit.
    bool settled = false;
    if (exactPrecision > 24) {
        print(19);
        const std::string_view guard = std::string_view(digits).substr(16, 4);
        settled = guard.find_first_not_of('0') != std::string_view::npos &&
                  guard.find_first_not_of('9') != std::string_view::npos;
    }
    if (!settled) print(exactPrecision);
    if (digits.size() > 16) digits.resize(16);

    long e = leading + 1;  // 10^(e-1) <= |value| < 10^e

    // 15 significant digits; a 16th digit of 5 or more rounds up (half away from zero).
    if (digits.size() > 15) {
        const bool up = digits[15] >= '5';
        digits.resize(15);
        if (up) {
            std::size_t k = 15;
            while (k > 0 && digits[k - 1] == '9') {
                digits[k - 1] = '0';
                --k;
            }
            if (k == 0) {
                digits.insert(digits.begin(), '1');
                digits.pop_back();
                ++e;
            } else {
                ++digits[k - 1];
            }
        }
    }
    digits.erase(digits.find_last_not_of('0') + 1);

    std::string text;
    if (value < 0) text.push_back('-');
    const auto count = static_cast<long>(digits.size());
    if (e >= -3 && e <= 15) {
        if (e >= 1) {
            for (long k = 0; k < e; ++k) text.push_back(k < count ? digits[static_cast<std::size_t>(k)] : '0');
            if (count > e) {
                text.push_back('.');
                text.append(digits, static_cast<std::size_t>(e));
            }
        } else {
            text.append("0.");
            text.append(static_cast<std::size_t>(-e), '0');
            text.append(digits);
        }
    } else {
        text.push_back(digits[0]);
        if (count > 1) {
            text.push_back('.');
            text.append(digits, 1);
        }
        text.push_back('E');
        const long shown = e - 1;
        if (shown < 0) text.push_back('-');
        char exponent[24];
        const auto written = std::to_chars(exponent, exponent + sizeof exponent, shown < 0 ? -shown : shown);
        text.append(exponent, written.ptr);
    }
    return text;
}

std::string OperandText(std::int32_t milli) { return FormatDecimal(static_cast<Extended>(milli) / 1000); }

std::string ProductText(std::string_view multiplicand, std::string_view multiplier) {
    return FormatDecimal(ParseDecimal(multiplicand) * ParseDecimal(multiplier));
}

}  // namespace x87
