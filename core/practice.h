#pragma once
// A worked multiplication as a pupil practises it cell by cell and a teacher shows it step by
// step: the cells to fill and in which order, the carries as an unmarked memo, where the point
// goes, which zeros to strike, and the judging of what a pupil enters with a hint in words a
// pupil of grade 4 or 5 reads. Everything comes from the same TWorkedMultiplication the answer
// sheet draws, so the page that shows it needs no arithmetic of its own.
//
// Grid: columns as TWorkedMultiplication has them (0 the rightmost). A "line" is a partial row
// (its index in Worked.Rows) or ProductLine, the product under the rule, or straight under the
// factors when the figure has no rows.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/worked_multiplication.h"

constexpr int ProductLine = -1;

// How a cell's digit comes about: what a wrong digit there can be blamed on.
enum class TCellSource {
    DigitProduct,  // a multiplicand digit times a multiplier digit, with the carry in
    ColumnSum,     // the rows' digits of a column added, with the carry in
    ShiftedZero,   // a product without rows: the 0 of the multiplier's places the digit product skipped
    PointZero,     // a 0 written before the product's digits so that the point has its places
};

struct TPracticeCell {
    int Line = ProductLine;
    int Column = 0;
    int Digit = 0;
    // A product zero the point leaves without value: written first, struck afterwards.
    bool Strike = false;
    TCellSource Source = TCellSource::DigitProduct;
    int Step = 0;  // the teacher's step that writes it
};

// A carry written small above a column: a memo for the pupil, never marked.
struct TMemoCell {
    int Line = ProductLine;  // the row whose digit products carry; ProductLine: the addition's
                             // carries, or the digit products' of a product without rows
    int Column = 0;          // the column it is carried into
    int Value = 0;
    int Step = 0;  // the teacher's step that writes it
};

enum class TStepKind {
    DigitProduct,  // a multiplicand digit times a multiplier digit plus the carry in
    ZeroRow,       // the row of a 0 multiplier digit: a single 0
    ShiftedZeros,  // a product without rows: the multiplier's 0 places brought down
    Rule,          // the rule drawn under the rows
    ColumnSum,     // one column of the rows added, with the carry in
    PointZeros,    // zeros written before the product's digits for the point
    Point,         // the point placed
    Strike,        // the zeros without value struck (and the point, when all of the fraction goes)
};

// One step of the teacher's view. A page shows step k by showing what steps 0..k write, so it
// goes back as easily as forward.
struct TPracticeStep {
    TStepKind Kind = TStepKind::DigitProduct;
    int Line = ProductLine;  // the line written to (Point, Strike, Rule: ProductLine)
    // The column written first (a two-digit end of a row: the right one); Point: the point's
    // column; Rule and Strike: 0.
    int Column = 0;
    // DigitProduct: the two digits multiplied, the multiplicand's by its column.
    int MultiplicandDigit = 0;
    int MultiplicandColumn = 0;
    int MultiplierDigit = 0;
    int MultiplierColumn = 0;
    // ColumnSum: the rows' digits in this column, top down (none where no row reaches).
    std::vector<int> Addends;
    int CarryIn = 0;
    int CarryOut = 0;  // 0 for the last digit product of a line, which writes its carry out whole
    int Value = 0;     // the digit product or the column's sum, the carry in included
    // Indexes into TPracticeFigure::Cells it writes; Strike: those it strikes, written before.
    // Without StruckZeros a step may write none: its digit is a zero the figure leaves out.
    std::vector<int> Cells;
    std::optional<int> Memo;  // index into TPracticeFigure::Memos it writes (the carry out)
};

struct TPracticeFigure {
    TWorkedMultiplication Worked;
    // In the order a pupil fills them: each row right to left, top down, then the product right
    // to left (the product's zeros for the point included). The strikes come after the point.
    std::vector<TPracticeCell> Cells;
    std::vector<TMemoCell> Memos;  // in the order the steps write them
    // The point follows the product's digit in this column (3 for "3.290"): a page offers the
    // gaps between columns and maps a tap to the column on the gap's left. None when both
    // factors are whole, for a product of 0, and without StruckZeros for a whole product.
    std::optional<int> PointColumn;
    // Every digit right of the point is a struck zero (2.5 x 4: "10.0"), so the point goes too.
    bool PointStruck = false;
    // The counts the point's place comes from.
    int MultiplicandFractionDigits = 0;
    int MultiplierFractionDigits = 0;
    std::vector<TPracticeStep> Steps;
};

// The practice figure of multiplicand x multiplier, two decimal texts as a sheet writes them,
// written by the sheet's rules as its answer sheet is: with StruckZeros the product is written
// in full and its zeros without value struck (the point too when they are all of the fraction);
// without, those zeros get no cells (their columns stay empty), nor does a point that would
// mark off nothing but them. Raises EConvertError for a text that is no number.
TPracticeFigure MakePracticeFigure(std::string_view multiplicand, std::string_view multiplier,
                                   const TFigureRules& rules);

enum class TMistake {
    None,
    Blank,                   // nothing entered where a digit belongs
    PartialCarryForgotten,   // a digit product's digit without the carry in added
    PartialDigit,            // any other wrong digit of a digit product
    AdditionCarryForgotten,  // a column's sum without the carry in added
    AdditionDigit,           // any other wrong digit of a column's sum
    ZeroMissing,             // a wrong digit where a 0 keeps a place (TCellSource ShiftedZero, PointZero)
    RowShifted,              // a whole row written one column off (see JudgeFigure)
    ExtraDigit,              // a digit where the figure has none (JudgeFigure)
    PointMisplaced,
    ZeroLeftUnstruck,
    ValuedDigitStruck,
};

struct TVerdict {
    bool Right = true;
    TMistake Mistake = TMistake::None;
    std::string Hint;  // empty when right
};

// One digit entered in one cell (an index into Cells, std::out_of_range past them), as the
// check of each digit judges it.
TVerdict JudgeCell(const TPracticeFigure& figure, int cell, int digit);
// The point placed after `column`'s digit of the product, or none placed.
TVerdict JudgePoint(const TPracticeFigure& figure, std::optional<int> column);
// A strike tapped on the product's digit in `column`; a column without a product digit is
// ValuedDigitStruck as well, as nothing there may be struck.
TVerdict JudgeStrike(const TPracticeFigure& figure, int column);
// A digit entered in `line` where the figure has no cell (a page offers one beside each end of
// a partial row), as the check of each digit judges it: never right; RowShifted when it is the
// row's digit in the column next to it, the first sign of a row begun one column off, else
// ExtraDigit. Alone it cannot tell more: JudgeFigure looks at the whole row.
TVerdict JudgeStray(const TPracticeFigure& figure, int line, int column, int digit);

// What a pupil entered for a whole figure: digits may stand in any column of a line, not only
// in the figure's cells, so that a row written one column off can be seen as such.
struct TEntry {
    int Line = ProductLine;
    int Column = 0;
    int Digit = 0;
};
struct TFigureEntries {
    std::vector<TEntry> Digits;
    std::optional<int> Point;
    std::vector<int> Struck;  // the product's columns struck
};

struct TCellVerdict {
    int Cell = 0;  // index into Cells
    std::optional<int> Entered;
    TVerdict Verdict;
};
struct TStrikeVerdict {
    int Column = 0;
    TVerdict Verdict;  // ZeroLeftUnstruck or ValuedDigitStruck
};
struct TFigureVerdict {
    bool Right = true;
    std::vector<TCellVerdict> Cells;  // every cell, in fill order
    // Digits entered where the figure has no cell: wrong, RowShifted when their row is.
    std::vector<std::pair<TEntry, TVerdict>> Stray;
    TVerdict Point;
    std::vector<TStrikeVerdict> Strikes;  // only the wrong ones, right to left
};

// The check at the end. A partial row is RowShifted when its entries, taken together, are the
// row's digits one column to the left or right: every digit entered in the row equals the
// row's digit one column over, and they account for all of the row's digits, or for all but
// the one at the end the shift pushed out of the row's cells (a page that offers only the
// figure's cells cannot take that one). Each cell of such a row is then RowShifted rather than
// a wrong digit. Other cells are judged as JudgeCell does; the strikes as a whole, a zero
// without value left unstruck included.
TFigureVerdict JudgeFigure(const TPracticeFigure& figure, const TFigureEntries& entries);

// What a pupil's result calls a kind of mistake, in the hints' words ("" for None).
std::string_view MistakeTitle(TMistake mistake);

// The hint a mistake gives on `figure`'s cell (or -1: the point, a strike): the texts are in
// one table in practice.cpp, filled in with the cell's digits and the point's counts.
std::string HintFor(const TPracticeFigure& figure, TMistake mistake, int cell);
