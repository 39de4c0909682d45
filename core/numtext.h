#pragma once
// The conversions between numbers and texts that the whole program relies on.
// Their rules are visible to the user (texts on the sheet, messages of the error box),
// so they are exact, locale-free and ASCII-only, and the same on every processor.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/decimal_text.h"

// Raises EConvertError "'<text>' は整数ではありません".
std::int32_t ParseInteger(std::string_view text);
// The exact value of a decimal text. Raises EConvertError "'<text>' は浮動小数点数ではありません"
// for a text of the wrong form or beyond the extended range (see extended_range.h).
ExactDecimal ParseDecimal(std::string_view text);
// General format with 15 significant digits, the 16th rounding half away from zero
// ("2.5", "40", "1E15", "5E-5").
std::string FormatDecimal(const ExactDecimal& value);
std::string FormatInteger(std::int32_t value);

// milli / 1000, exactly.
ExactDecimal Thousandths(std::int32_t milli);
ExactDecimal MultiplyExact(const ExactDecimal& a, const ExactDecimal& b);
