#include "core/worked_multiplication.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "core/numtext.h"

namespace {

// The factor's digits without its point, as a whole number: what the column multiplication
// multiplies.
std::int32_t DigitsValue(std::string_view text) {
    std::string digits(text);
    const auto point = digits.find('.');
    if (point != std::string::npos) digits.erase(point, 1);
    return ParseInteger(digits);
}

int FractionDigits(std::string_view text) {
    const auto point = text.find('.');
    return point == std::string_view::npos ? 0 : static_cast<int>(text.size() - point - 1);
}

std::uint64_t Magnitude(std::int32_t value) {
    return static_cast<std::uint64_t>(value < 0 ? -static_cast<std::int64_t>(value) : value);
}

int TrailingZeros(std::uint64_t value) {
    if (value == 0) return 0;
    int zeros = 0;
    while (value % 10 == 0) {
        value /= 10;
        ++zeros;
    }
    return zeros;
}

// A child's answer sheet never shows "2E-5": tiny products are written out as plain decimals.
// The digits are the general format's own, only the exponent is spelled out with zeros.
std::string PlainDecimal(const std::string& text) {
    const auto e = text.find_first_of("Ee");
    if (e == std::string::npos) return text;
    std::string mantissa = text.substr(0, e);
    const int exponent = ParseInteger(text.substr(e + 1));
    bool negative = false;
    if (!mantissa.empty() && mantissa[0] == '-') {
        negative = true;
        mantissa.erase(0, 1);
    }
    std::string digits;
    int pointAt = 0;  // digits before the point in the mantissa
    bool seenPoint = false;
    for (char c : mantissa) {
        if (c == '.') {
            seenPoint = true;
            continue;
        }
        digits += c;
        if (!seenPoint) ++pointAt;
    }
    pointAt += exponent;
    std::string out;
    if (pointAt <= 0) {
        out = "0." + std::string(static_cast<std::size_t>(-pointAt), '0') + digits;
    } else if (pointAt >= static_cast<int>(digits.size())) {
        out = digits + std::string(static_cast<std::size_t>(pointAt) - digits.size(), '0');
    } else {
        out = digits.substr(0, static_cast<std::size_t>(pointAt)) + "." +
              digits.substr(static_cast<std::size_t>(pointAt));
    }
    return negative ? "-" + out : out;
}

// The cells of a line of text whose last character stands in `lastColumn`; the point takes
// no column. Signs and other marks are no digits and take none either.
TWorkedNumber NumberLine(std::string text, int lastColumn) {
    TWorkedNumber line;
    int column = lastColumn;
    for (auto c = text.rbegin(); c != text.rend(); ++c) {
        if (*c == '.') {
            line.PointColumn = column;
        } else if (*c >= '0' && *c <= '9') {
            line.Digits.push_back({column, *c - '0', false});
            ++column;
        }
    }
    std::reverse(line.Digits.begin(), line.Digits.end());
    line.Text = std::move(text);
    return line;
}

// The row of digits of `value` whose last digit stands in `lastColumn`, leftmost first.
std::vector<TDigitCell> DigitRow(std::uint64_t value, int lastColumn) {
    std::vector<TDigitCell> cells;
    const std::string digits = std::to_string(value);
    int column = lastColumn + static_cast<int>(digits.size()) - 1;
    for (char c : digits) cells.push_back({column--, c - '0', false});
    return cells;
}

// Multiplying digit by digit from the right, what each digit product carries into the next;
// the last product's carry is written out as the row's leading digit instead.
std::vector<TCarry> CarriesOf(std::uint64_t multiplicand, int digit, int place) {
    std::vector<TCarry> carries;
    const std::string digits = std::to_string(multiplicand);
    int carry = 0;
    for (std::size_t i = 0; i + 1 < digits.size(); ++i) {
        carry = ((digits[digits.size() - 1 - i] - '0') * digit + carry) / 10;
        if (carry > 0) carries.push_back({place + static_cast<int>(i) + 1, carry});
    }
    return carries;
}

TPartialRow RowFor(std::uint64_t multiplicand, int digit, int place) {
    return {place, digit, DigitRow(multiplicand * static_cast<std::uint64_t>(digit), place),
            CarriesOf(multiplicand, digit, place)};
}

// Adding the rows column by column from the right: what each column carries into the next. A
// column no row reaches (past a skipped 0 digit) may still take a carry and pass one on.
std::vector<TCarry> AdditionCarriesOf(const std::vector<TPartialRow>& rows) {
    std::vector<int> columnSums;
    for (const TPartialRow& row : rows) {
        for (const TDigitCell& cell : row.Digits) {
            const auto column = static_cast<std::size_t>(cell.Column);
            if (columnSums.size() <= column) columnSums.resize(column + 1, 0);
            columnSums[column] += cell.Digit;
        }
    }
    std::vector<TCarry> carries;
    int carry = 0;
    for (std::size_t column = 0; column < columnSums.size() || carry > 0; ++column) {
        carry = ((column < columnSums.size() ? columnSums[column] : 0) + carry) / 10;
        if (carry > 0) carries.push_back({static_cast<int>(column) + 1, carry});
    }
    return carries;
}

}  // namespace

std::string PlainProductText(std::string_view multiplicand, std::string_view multiplier) {
    return PlainDecimal(FormatDecimal(MultiplyExact(ParseDecimal(multiplicand), ParseDecimal(multiplier))));
}

TWorkedMultiplication WorkMultiplication(std::string_view multiplicand, std::string_view multiplier,
                                         const TFigureRules& rules) {
    // Every conversion comes first, so that a bad text yields nothing at all.
    const std::uint64_t a = Magnitude(DigitsValue(multiplicand));
    const std::uint64_t b = Magnitude(DigitsValue(multiplier));
    TWorkedMultiplication worked;
    worked.ProductValue = PlainProductText(multiplicand, multiplier);
    worked.Multiplicand = NumberLine(std::string(multiplicand), 0);
    worked.Multiplier = NumberLine(std::string(multiplier), 0);

    // Five digits by five: the product of the digit strings fits 64 bits, not always 32.
    const std::uint64_t digitProduct = a * b;
    const int trailingZeros = TrailingZeros(digitProduct);
    const int fractionDigits = FractionDigits(multiplicand) + FractionDigits(multiplier);

    // The places of the multiplier's digits that get a row, ones first. Without rows of zeros
    // a 0 digit's place is skipped: the next row is shifted past it and the 0 stands only in
    // the product.
    const std::string multiplierDigits = std::to_string(b);
    const int placeCount = static_cast<int>(multiplierDigits.size());
    std::vector<int> places;
    for (int place = 0; place < placeCount; ++place) {
        if (rules.ZeroRows || multiplierDigits[static_cast<std::size_t>(placeCount - 1 - place)] != '0')
            places.push_back(place);
    }
    auto digitAt = [&](int place) { return multiplierDigits[static_cast<std::size_t>(placeCount - 1 - place)] - '0'; };
    if (places.size() >= 2) {
        for (const int place : places) worked.Rows.push_back(RowFor(a, digitAt(place), place));
        worked.AdditionCarries = AdditionCarriesOf(worked.Rows);
    } else if (places.size() == 1) {
        worked.ProductCarries = RowFor(a, digitAt(places.front()), places.front()).Carries;
    }

    // Struck zeros: the product keeps every digit the multiplication gives, so it stands
    // unshifted, and the zeros after the point are struck where the plain style drops them.
    // A product whose fraction digits are all struck is whole: its point is written and struck
    // with them, as pupils are taught to, so the sheet shows what the pupil writes.
    const int struck = rules.StruckZeros ? std::min(trailingZeros, fractionDigits) : 0;
    std::string shown = worked.ProductValue;
    int lastColumn = 0;
    if (struck > 0) {
        shown = std::to_string(digitProduct);
        // The zeros a pupil writes before the digits when there are fewer of them than places
        // after the point ("030" for 0.5 x 0.6).
        const auto needed = static_cast<std::size_t>(fractionDigits) + 1;
        if (shown.size() < needed) shown.insert(0, needed - shown.size(), '0');
        shown.insert(shown.size() - static_cast<std::size_t>(fractionDigits), 1, '.');
    } else if (shown.find('.') != std::string::npos) {
        // The zeros the plain style leaves out keep their columns, empty.
        lastColumn = trailingZeros;
    } else if (trailingZeros > 0 && fractionDigits > 0) {
        // A whole-number product of operands with fraction digits: its ones digit goes into
        // the ones column of the worked product, as if the zeros after the point were left out.
        // A zero product stays in column 0, as a whole-number product does.
        lastColumn = fractionDigits;
    }
    worked.Product = NumberLine(shown, lastColumn);
    for (auto& cell : worked.Product.Digits) cell.Struck = cell.Column < struck;
    worked.Product.PointStruck = struck > 0 && struck == fractionDigits;

    if (!worked.Rows.empty()) {
        const TPartialRow& last = worked.Rows.back();
        const int lastRowColumns = static_cast<int>(last.Digits.size()) + last.Place;
        const int productColumns = static_cast<int>(shown.size()) + (worked.Product.PointColumn ? 0 : lastColumn);
        worked.RuleColumns = std::max(lastRowColumns, productColumns);
    }
    return worked;
}
