#pragma once
// The grammar of decimal texts and their exact values. The bounds are compared exactly against the
// products: a teacher who types "0.21" means 0.21, not the nearest binary fraction, so 0.3 x 0.7
// must pass.
#include <cstdint>
#include <string>
#include <string_view>

// The pieces of a text that ParseDecimal accepts (before any arithmetic).
struct DecimalTextParts {
    bool Negative = false;
    std::string_view IntegerDigits;   // may be empty
    std::string_view FractionDigits;  // may be empty
    std::int32_t Exponent = 0;        // signed; |Exponent| <= 4999 by the reading rule
};

// Raises the EConvertError that refuses `text` as a decimal number.
[[noreturn]] void RaiseNotADecimal(std::string_view text);

// True when `text` has the form ParseDecimal accepts; fills `parts`. Overflow is not judged here.
bool ScanDecimalText(std::string_view text, DecimalTextParts& parts);

// A decimal value held exactly: (-1)^Negative x Digits x 10^Exponent.
// Digits carries no leading or trailing zeros; an empty Digits is zero (and then Negative is false).
struct ExactDecimal {
    bool Negative = false;
    std::string Digits;
    std::int64_t Exponent = 0;
};

// The exact value of a text that ParseDecimal accepts. Raises the same EConvertError as
// ParseDecimal for a text of the wrong form; never fails for size (no overflow, no underflow).
ExactDecimal ParseExactDecimal(std::string_view text);

// The value the pieces of a text stand for.
ExactDecimal ExactValue(const DecimalTextParts& parts);

// -1, 0 or 1 as a < b, a == b, a > b.
int CompareExact(const ExactDecimal& a, const ExactDecimal& b);

// floor(x * 10^6) and ceil(x * 10^6), saturated to +-INT64_MAX: any count of millionths that a
// product of two 32-bit thousandths can reach (|p| <= 2^62) compares correctly against them.
std::int64_t FloorMillionths(const ExactDecimal& x);
std::int64_t CeilMillionths(const ExactDecimal& x);
