#pragma once
// The working of one column multiplication as a pupil writes it, cell by cell: the two
// factors, a partial product per multiplier place, the carries of each digit product and the
// product under the rule. It is what a figure draws and what a pupil fills in, so it carries
// columns, not pixels. Column 0 is the rightmost column of the figure; the factors stand
// right-aligned on it whatever their points, as the point takes no column of its own.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How the working is written: the two ways teachers mark against.
struct TFigureRules {
    // The product written with every digit the column multiplication gives, the zeros that the
    // point leaves without value struck out ("10.0" for 2.5 x 4, its point struck with the zero),
    // instead of left out.
    bool StruckZeros = false;
    // A 0 digit of the multiplier gets its own partial-product row of "0".
    bool ZeroRows = true;

    bool operator==(const TFigureRules&) const = default;
};

struct TDigitCell {
    int Column = 0;
    int Digit = 0;
    bool Struck = false;  // written, then struck out: a zero the point leaves without value

    bool operator==(const TDigitCell&) const = default;
};

// A number as the figure writes it on one line.
struct TWorkedNumber {
    std::string Text;                // the characters of the line, point included ("2.35", "10.0")
    std::vector<TDigitCell> Digits;  // leftmost first
    // The column of the digit the point follows (the ones digit); none for a whole number.
    std::optional<int> PointColumn;
    // Written, then struck out with every digit after it: the product is whole, and the
    // textbook has the pupil strike the point together with the zeros ("10.0" for 2.5 x 4).
    bool PointStruck = false;

    bool operator==(const TWorkedNumber&) const = default;
};

// What is carried into the next digit product, written small above that product's column.
struct TCarry {
    int Column = 0;
    // 1 to 8 for a digit product, 1 to 4 for a column of at most five rows; a column or digit
    // product that carries nothing has no carry.
    int Value = 0;

    bool operator==(const TCarry&) const = default;
};

// The multiplicand times one digit of the multiplier.
struct TPartialRow {
    int Place = 0;  // the multiplier digit's place, 0 for its last digit: the column of the row's last digit
    int MultiplierDigit = 0;
    std::vector<TDigitCell> Digits;  // leftmost first
    std::vector<TCarry> Carries;     // right to left, as they are written

    bool operator==(const TPartialRow&) const = default;
};

struct TWorkedMultiplication {
    TWorkedNumber Multiplicand;
    TWorkedNumber Multiplier;
    // Top down; the last one stands on the rule above the product. None when fewer than two
    // multiplier places get a row: a single row would only repeat the product, which then
    // goes straight under the factors' rule.
    std::vector<TPartialRow> Rows;
    // Without rows, the product is the one digit product written out: its carries.
    std::vector<TCarry> ProductCarries;
    // With rows, what adding them column by column carries into the next column, right to left
    // as they are written: a pupil's memo above the rule, and a teacher's when showing the sum.
    std::vector<TCarry> AdditionCarries;
    // With rows, the rule above the product covers columns 0 to RuleColumns - 1: at least the
    // last row, and as many columns as the product has characters (its point counted).
    int RuleColumns = 0;
    // The product as the figure writes it under the rule, struck zeros included.
    TWorkedNumber Product;
    // The product's value as a plain decimal ("22.714", "10", "0.000001"), whatever the rules.
    std::string ProductValue;

    bool operator==(const TWorkedMultiplication&) const = default;
};

// The working of Multiplicand x Multiplier, two decimal texts of at most five digits each.
// Raises EConvertError for a text that is no number, before anything is worked out.
TWorkedMultiplication WorkMultiplication(std::string_view multiplicand, std::string_view multiplier,
                                         const TFigureRules& rules);

// The product's value alone, as ProductValue has it.
std::string PlainProductText(std::string_view multiplicand, std::string_view multiplier);
