#pragma once
// The conversions between numbers and texts that the whole program relies on.
// Their rules are visible to the user (texts on the sheet, messages of the error box),
// so they are exact, locale-free and ASCII-only.
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

// Decimal values are held in the x87 80-bit extended format; answers compared against the
// bounds and the product texts written on the sheet depend on its precision.
using Extended = long double;
static_assert(std::numeric_limits<Extended>::digits == 64,
              "Extended must be the 80-bit format with a 64-bit significand");

// Raises EConvertError "'<text>' は整数ではありません".
std::int32_t ParseInteger(std::string_view text);
// Raises EConvertError "'<text>' は浮動小数点数ではありません".
Extended ParseDecimal(std::string_view text);
// General format with 15 significant digits ("2.5", "40", "1E15", "5E-5").
std::string FormatDecimal(Extended value);
std::string FormatInteger(std::int32_t value);
