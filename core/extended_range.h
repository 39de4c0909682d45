#pragma once
// The range of decimal texts the program accepts as numbers. It was set by the 80-bit extended
// format in which the program first read them: a text whose reading came out infinite is refused
// ("1.18e4932" is a number, "1.19e4932" is not). That reading is done again here on integers,
// rounding where it rounded, so that every processor refuses the same texts whatever its
// long double is.
#include "core/decimal_text.h"

// False when the reading of `parts` overflows: all digits gathered into one integer, each step
// (x 10, + digit) rounded to 64 significant bits, then that integer times the power of ten of the
// scale, itself rounded, and the product rounded. Negative scales only divide and never overflow.
bool WithinExtendedRange(const DecimalTextParts& parts);
