#include "core/worked_multiplication.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/numtext.h"

namespace {

constexpr TFigureRules Plain{};
constexpr TFigureRules Textbook{true, false};
constexpr TFigureRules StruckOnly{true, true};
constexpr TFigureRules NoZeroRowsOnly{false, false};

// A line of cells as it stands on the figure's grid: from its leftmost cell down to column 0,
// a blank for an empty column, "." after the column the point follows ("*" for a struck
// point), "/" for a struck zero.
std::string Grid(const std::vector<TDigitCell>& cells, std::optional<int> point = std::nullopt,
                 bool pointStruck = false) {
    std::map<int, char> at;
    for (const TDigitCell& cell : cells) {
        EXPECT_EQ(at.count(cell.Column), 0u) << "two digits in column " << cell.Column;
        EXPECT_TRUE(!cell.Struck || cell.Digit == 0) << "a struck " << cell.Digit;
        at[cell.Column] = cell.Struck ? '/' : static_cast<char>('0' + cell.Digit);
    }
    int left = point.value_or(-1);
    if (!at.empty()) left = std::max(left, at.rbegin()->first);
    std::string text;
    for (int column = left; column >= 0; --column) {
        const auto it = at.find(column);
        text += it == at.end() ? ' ' : it->second;
        if (point == column) text += pointStruck ? '*' : '.';
    }
    return text;
}

std::string Grid(const TWorkedNumber& number) {
    EXPECT_TRUE(!number.PointStruck || number.PointColumn) << "a struck point that is not there";
    return Grid(number.Digits, number.PointColumn, number.PointStruck);
}

std::string Grid(const std::vector<TCarry>& carries) {
    std::vector<TDigitCell> cells;
    for (const TCarry& carry : carries) cells.push_back({carry.Column, carry.Value, false});
    return Grid(cells);
}

struct WorkedCase {
    const char* a;
    const char* b;
    TFigureRules rules;
    std::vector<std::string> rows;     // each partial row on the grid, top down
    std::vector<std::string> carries;  // each row's carries; without rows, the product's
    int ruleColumns;
    std::string product;  // on the grid
    std::string value;
};

const std::vector<WorkedCase> WorkedCases = {
    // A whole product of operands with fraction digits: its ones digit in the ones column; struck,
    // its point is written and struck with the zeros.
    {"2.5", "4", Plain, {}, {"2 "}, 0, "10 ", "10"},
    {"2.5", "4", Textbook, {}, {"2 "}, 0, "10*/", "10"},
    {"12.5", "0.8", Plain, {}, {"24 "}, 0, "10  ", "10"},
    {"12.5", "0.8", Textbook, {}, {"24 "}, 0, "10*//", "10"},
    {"80", "2.5", Plain, {"400", "160 "}, {"", ""}, 4, "200 ", "200"},
    {"80", "2.5", Textbook, {"400", "160 "}, {"", ""}, 5, "200*/", "200"},
    // A whole product of whole operands keeps its zeros.
    {"20", "3", Textbook, {}, {""}, 0, "60", "60"},
    // The zeros a pupil writes before the digits, and the point between the factors' columns.
    {"0.5", "0.6", Plain, {}, {""}, 0, "0.3 ", "0.3"},
    {"0.5", "0.6", Textbook, {}, {""}, 0, "0.3/", "0.3"},
    {"0.2", "0.3", Textbook, {}, {""}, 0, "0.06", "0.06"},
    {"0.01", "0.01", Plain, {}, {""}, 0, "0.0001", "0.0001"},
    // Tiny products are written out, never in exponent form.
    {"0.001", "0.001", Plain, {}, {""}, 0, "0.000001", "0.000001"},
    {"0.004", "0.003", Textbook, {}, {""}, 0, "0.000012", "0.000012"},
    {"0.005", "0.004", Plain, {}, {""}, 0, "0.00002 ", "0.00002"},
    {"0.025", "0.004", Textbook, {}, {"2 "}, 0, "0.0001//", "0.0001"},
    {"1.25", "4", Textbook, {}, {"12 "}, 0, "5*//", "5"},
    // The rule reaches over the product's point too, where the product is wider than the last row.
    {"2.35", "1.4", Plain, {"940", "235 "}, {"12 ", ""}, 4, "3.29 ", "3.29"},
    {"2.35", "1.4", Textbook, {"940", "235 "}, {"12 ", ""}, 5, "3.29/", "3.29"},
    {"1.05", "20", Plain, {"0", "210 "}, {"", "1  "}, 4, "21  ", "21"},
    {"1.05", "20", StruckOnly, {"0", "210 "}, {"", "1  "}, 5, "21*//", "21"},
    {"1.05", "20", NoZeroRowsOnly, {}, {"1  "}, 0, "21  ", "21"},
    {"1.05", "20", Textbook, {}, {"1  "}, 0, "21*//", "21"},
    // A 0 in the middle of the multiplier: a row of "0", or none and the next row shifted past it.
    {"2.3", "1.05", Plain, {"115", "0 ", "23  "}, {"1 ", "", ""}, 5, "2.415", "2.415"},
    {"2.3", "1.05", NoZeroRowsOnly, {"115", "23  "}, {"1 ", ""}, 5, "2.415", "2.415"},
    {"8.7", "20", Plain, {"0", "174 "}, {"", "1  "}, 4, "174 ", "174"},
    {"8.7", "20", Textbook, {}, {"1  "}, 0, "174*/", "174"},
    {"50.005", "50.002", Textbook, {"100010", "250025    "}, {"1 ", "2     "}, 11, "2500.35001/", "2500.35001"},
    // A zero product: nothing to strike, column 0.
    {"0", "0.5", Plain, {}, {""}, 0, "0", "0"},
    {"0", "0.5", Textbook, {}, {""}, 0, "0", "0"},
    {"0.5", "0", Textbook, {}, {}, 0, "0", "0"},
    {"0", "23", Plain, {"0", "0 "}, {"", ""}, 2, "0", "0"},
    // Five digits by five: the digit product does not fit 32 bits.
    {"99.999",
     "99.999",
     Plain,
     {"899991", "899991 ", "899991  ", "899991   ", "899991    "},
     {"8888 ", "8888  ", "8888   ", "8888    ", "8888     "},
     11,
     "9999.800001",
     "9999.800001"},
    {"12.345", "6", Plain, {}, {"1223 "}, 0, "74.07 ", "74.07"},
};

TEST(WorkMultiplication, TheWorkingCellByCell) {
    for (const auto& c : WorkedCases) {
        SCOPED_TRACE(std::string(c.a) + " x " + c.b + (c.rules.StruckZeros ? " struck" : "") +
                     (c.rules.ZeroRows ? "" : " without zero rows"));
        const TWorkedMultiplication w = WorkMultiplication(c.a, c.b, c.rules);
        std::vector<std::string> rows, carries;
        for (const TPartialRow& row : w.Rows) {
            rows.push_back(Grid(row.Digits));
            carries.push_back(Grid(row.Carries));
        }
        if (w.Rows.empty() && !c.carries.empty()) carries.push_back(Grid(w.ProductCarries));
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(carries, c.carries);
        EXPECT_EQ(w.RuleColumns, c.ruleColumns);
        EXPECT_EQ(Grid(w.Product), c.product);
        EXPECT_EQ(w.ProductValue, c.value);
        EXPECT_EQ(w.Multiplicand.Text, c.a);
        EXPECT_EQ(w.Multiplier.Text, c.b);
    }
}

TEST(WorkMultiplication, FactorsStandRightAlignedWhateverTheirPoints) {
    struct FactorCase {
        const char* text;
        std::vector<TDigitCell> digits;
        std::optional<int> point;
    };
    const std::vector<FactorCase> cases = {
        {"2.35", {{2, 2}, {1, 3}, {0, 5}}, 2},  {"0.5", {{1, 0}, {0, 5}}, 1},
        {"23", {{1, 2}, {0, 3}}, std::nullopt}, {"12.345", {{4, 1}, {3, 2}, {2, 3}, {1, 4}, {0, 5}}, 3},
        {"0", {{0, 0}}, std::nullopt},
    };
    for (const auto& c : cases) {
        const TWorkedMultiplication w = WorkMultiplication(c.text, c.text, Plain);
        EXPECT_EQ(w.Multiplicand.Digits, c.digits) << c.text;
        EXPECT_EQ(w.Multiplicand.PointColumn, c.point) << c.text;
        EXPECT_EQ(w.Multiplier, w.Multiplicand) << c.text;
    }
}

TEST(WorkMultiplication, RowsNameTheirPlaceAndDigit) {
    const TWorkedMultiplication w = WorkMultiplication("4.3", "5.06", NoZeroRowsOnly);
    ASSERT_EQ(w.Rows.size(), 2u);
    EXPECT_EQ(w.Rows[0].Place, 0);
    EXPECT_EQ(w.Rows[0].MultiplierDigit, 6);
    EXPECT_EQ(w.Rows[1].Place, 2);
    EXPECT_EQ(w.Rows[1].MultiplierDigit, 5);
    EXPECT_TRUE(w.ProductCarries.empty());
}

// What adding the rows carries, on the grid above the rule; nothing without rows.
TEST(WorkMultiplication, AdditionCarriesColumnByColumn) {
    const struct {
        const char *a, *b;
        TFigureRules rules;
        std::string carries;
    } cases[] = {
        {"2.35", "1.4", Textbook, "1   "},
        {"23", "45", Plain, "1   "},
        {"0.12", "0.34", Textbook, "1  "},
        {"2.3", "1.05", Plain, ""},
        {"12.345", "6", Plain, ""},
        // Past a skipped 0 digit: the column no row reaches takes the carry and adds it on.
        {"99", "10011", Textbook, "11  "},
        {"99.999", "99.999", Plain, "12344321  "},
    };
    for (const auto& c : cases) {
        const TWorkedMultiplication w = WorkMultiplication(c.a, c.b, c.rules);
        EXPECT_EQ(Grid(w.AdditionCarries), c.carries) << c.a << " x " << c.b;
    }
}

TEST(WorkMultiplication, NoNumberRaisesBeforeAnythingIsWorked) {
    for (const auto& [a, b] : std::vector<std::pair<std::string, std::string>>{
             {"1x", "2"}, {"2", ""}, {"1.2.3", "4"}, {"abc", "0.5"}, {"", ""}, {"$10", "2"}}) {
        EXPECT_THROW(WorkMultiplication(a, b, Plain), EConvertError) << a << " x " << b;
        EXPECT_THROW(WorkMultiplication(a, b, Textbook), EConvertError) << a << " x " << b;
    }
}

// The digits of a line read as a whole number, each worth its column.
std::uint64_t ValueOf(const std::vector<TDigitCell>& cells) {
    std::uint64_t value = 0;
    for (const TDigitCell& cell : cells) {
        std::uint64_t worth = static_cast<std::uint64_t>(cell.Digit);
        for (int k = 0; k < cell.Column; ++k) worth *= 10;
        value += worth;
    }
    return value;
}

// Over many operand pairs of the window's digits: each row is the multiplicand times its digit
// in its place, the carries are what multiplying digit by digit carries, the rows add up to
// the product, and the product's digits stand in their true columns with the point where the
// factors' points put it.
TEST(WorkMultiplication, EveryWorkingAddsUp) {
    std::vector<std::int32_t> operands;
    for (std::int32_t milli = 0; milli <= 99999; milli += 797) operands.push_back(milli);
    for (const std::int32_t milli : {1, 5, 10, 100, 1000, 10000, 20000, 50005, 90909, 99999}) operands.push_back(milli);
    for (const std::int32_t am : operands) {
        for (const std::int32_t bm : operands) {
            const std::string a = FormatDecimal(Thousandths(am)), b = FormatDecimal(Thousandths(bm));
            auto digits = [](const std::string& text) {
                std::string d = text;
                d.erase(std::remove(d.begin(), d.end(), '.'), d.end());
                return std::stoull(d);
            };
            auto fraction = [](const std::string& text) {
                const auto p = text.find('.');
                return p == std::string::npos ? 0 : static_cast<int>(text.size() - p - 1);
            };
            const std::uint64_t da = digits(a), db = digits(b);
            for (const TFigureRules rules : {Plain, Textbook, StruckOnly, NoZeroRowsOnly}) {
                SCOPED_TRACE(a + " x " + b);
                const TWorkedMultiplication w = WorkMultiplication(a, b, rules);
                std::uint64_t sum = 0;
                for (const TPartialRow& row : w.Rows) {
                    std::uint64_t place = 1;
                    for (int k = 0; k < row.Place; ++k) place *= 10;
                    EXPECT_EQ(ValueOf(row.Digits), da * static_cast<std::uint64_t>(row.MultiplierDigit) * place);
                    EXPECT_EQ(row.Digits.back().Column, row.Place);
                    EXPECT_EQ(row.MultiplierDigit, static_cast<int>(db / place % 10));
                    sum += ValueOf(row.Digits);
                    // What multiplying digit by digit carries into each next digit's column.
                    std::map<int, int> carried, want;
                    for (const TCarry& carry : row.Carries) carried[carry.Column] = carry.Value;
                    const std::string ad = std::to_string(da);
                    int carry = 0;
                    for (std::size_t i = 0; i + 1 < ad.size(); ++i) {
                        carry = ((ad[ad.size() - 1 - i] - '0') * row.MultiplierDigit + carry) / 10;
                        if (carry > 0) want[row.Place + static_cast<int>(i) + 1] = carry;
                    }
                    EXPECT_EQ(carried, want);
                }
                if (!w.Rows.empty()) {
                    EXPECT_EQ(sum, da * db);
                }
                EXPECT_NE(w.Rows.size(), 1u);
                EXPECT_EQ(ValueOf(w.Product.Digits), da * db);
                if (w.Product.PointColumn) {
                    EXPECT_EQ(*w.Product.PointColumn, fraction(a) + fraction(b));
                }
                EXPECT_EQ(w.ProductValue.find_first_of("Ee"), std::string::npos) << w.ProductValue;
                EXPECT_EQ(CompareExact(ParseDecimal(w.ProductValue), MultiplyExact(ParseDecimal(a), ParseDecimal(b))),
                          0)
                    << w.ProductValue;
                // Struck zeros are the product's last digits, and only where the rules strike.
                int struck = 0;
                for (const TDigitCell& cell : w.Product.Digits) struck += cell.Struck ? 1 : 0;
                if (!rules.StruckZeros) {
                    EXPECT_EQ(struck, 0);
                }
                for (int k = 0; k < struck; ++k) EXPECT_TRUE(w.Product.Digits.rbegin()[k].Struck);
                // The point is struck exactly when every digit after it is.
                EXPECT_EQ(w.Product.PointStruck, struck > 0 && w.Product.PointColumn == struck);
            }
        }
    }
}

}  // namespace
