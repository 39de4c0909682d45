#pragma once
// The number texts as the program computed them in the 80-bit extended format of the x87, kept
// as the reference that the exact integer arithmetic must equal: which texts are numbers, which
// overflow, and the texts of operands and products. Built on x86 only, where long double is
// that format.
#include <cstdint>
#include <string>
#include <string_view>

namespace x87 {

using Extended = long double;

// Raises EConvertError "'<text>' は浮動小数点数ではありません" for a text of the wrong form or
// beyond the extended range.
Extended ParseDecimal(std::string_view text);
// General format with 15 significant digits ("2.5", "40", "1E15", "5E-5").
std::string FormatDecimal(Extended value);

// The operand text of a count of thousandths, and the product text of two operand texts, as the
// program wrote them.
std::string OperandText(std::int32_t milli);
std::string ProductText(std::string_view multiplicand, std::string_view multiplier);

}  // namespace x87
