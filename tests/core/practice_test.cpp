#include "core/practice.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/numtext.h"

namespace {

constexpr TFigureRules Textbook{true, false};
constexpr TFigureRules ZeroRows{true, true};
constexpr TFigureRules Plain{};

std::string LineName(int line) { return line == ProductLine ? "p" : "r" + std::to_string(line); }

// The cells in fill order, a line's name where a new line begins: "digit@column", "/" after a
// zero to strike, "^" for a shifted zero, "+" for a zero for the point.
std::string Cells(const TPracticeFigure& f) {
    std::string out;
    int line = -2;
    for (const TPracticeCell& c : f.Cells) {
        if (c.Line != line) {
            out += (out.empty() ? "" : "; ") + LineName(c.Line);
            line = c.Line;
        }
        out += " " + std::to_string(c.Digit);
        if (c.Strike) out += "/";
        if (c.Source == TCellSource::ShiftedZero) out += "^";
        if (c.Source == TCellSource::PointZero) out += "+";
        out += "@" + std::to_string(c.Column);
    }
    return out;
}

std::string Memos(const TPracticeFigure& f) {
    std::string out;
    int line = -2;
    for (const TMemoCell& m : f.Memos) {
        if (m.Line != line) {
            out += (out.empty() ? "" : "; ") + LineName(m.Line);
            line = m.Line;
        }
        out += " " + std::to_string(m.Value) + "@" + std::to_string(m.Column);
    }
    return out;
}

TEST(PracticeFigure, CellsInFillOrderWithTheirMemosAndPoint) {
    const struct {
        const char *a, *b;
        TFigureRules rules;
        std::string cells, memos;
        int point;  // -1: none
        bool pointStruck;
    } cases[] = {
        {"2.35", "1.4", Textbook, "r0 0@0 4@1 9@2; r1 5@1 3@2 2@3; p 0/@0 9@1 2@2 3@3", "r0 2@1 1@2; p 1@3", 3, false},
        // A 0 digit in the multiplier: the next row shifted past it, or a row of its own.
        {"2.3", "1.05", Textbook, "r0 5@0 1@1 1@2; r1 3@2 2@3; p 5@0 1@1 4@2 2@3", "r0 1@1", 3, false},
        {"2.3", "1.05", ZeroRows, "r0 5@0 1@1 1@2; r1 0@1; r2 3@2 2@3; p 5@0 1@1 4@2 2@3", "r0 1@1", 3, false},
        {"4.3", "5.06", Textbook, "r0 8@0 5@1 2@2; r1 5@2 1@3 2@4; p 8@0 5@1 7@2 1@3 2@4", "r0 1@1; r1 1@3", 3, false},
        // Past a skipped 0, a column no row reaches still takes the carry.
        {"99", "10011", Textbook, "r0 9@0 9@1; r1 9@1 9@2; r2 9@4 9@5; p 9@0 8@1 0@2 1@3 9@4 9@5", "p 1@2 1@3", -1,
         false},
        // A single-digit multiplier: the product straight under the factors.
        {"12.345", "6", Textbook, "p 0/@0 7@1 0@2 4@3 7@4", "p 3@1 2@2 2@3 1@4", 3, false},
        // A whole product: its point struck with the fraction's zeros.
        {"2.5", "4", Textbook, "p 0/@0 0@1 1@2", "p 2@1", 1, true},
        {"1.05", "20", Textbook, "p 0/^@0 0/@1 1@2 2@3", "p 1@2", 2, true},
        {"1.23", "50", Textbook, "p 0/^@0 5@1 1@2 6@3", "p 1@2 1@3", 2, false},
        // Products below a tenth: zeros before the digits, for the point.
        {"0.2", "0.3", Textbook, "p 6@0 0+@1 0+@2", "", 2, false},
        {"0.12", "0.34", Textbook, "r0 8@0 4@1; r1 6@1 3@2; p 8@0 0@1 4@2 0+@3 0+@4", "p 1@2", 4, false},
        {"0.5", "0.6", Textbook, "p 0/@0 3@1 0+@2", "", 2, false},
        // Whole factors: no point to place.
        {"23", "45", Textbook, "r0 5@0 1@1 1@2; r1 2@1 9@2; p 5@0 3@1 0@2 1@3", "r0 1@1; r1 1@2; p 1@3", -1, false},
        // A zero factor: the product is 0, without a point.
        {"0", "0.5", Textbook, "p 0@0", "", -1, false},
        {"0.5", "0", Textbook, "p 0@0", "", -1, false},
        {"0", "20", Textbook, "p 0@0", "", -1, false},
        // Zeros left out: no cells in their columns, and a whole product without a point.
        {"2.35", "1.4", Plain, "r0 0@0 4@1 9@2; r1 5@1 3@2 2@3; p 9@1 2@2 3@3", "r0 2@1 1@2; p 1@3", 3, false},
        {"2.5", "4", Plain, "p 0@1 1@2", "p 2@1", -1, false},
        {"0.5", "0.6", Plain, "p 3@1 0+@2", "", 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " x " + c.b);
        const TPracticeFigure f = MakePracticeFigure(c.a, c.b, c.rules);
        EXPECT_EQ(Cells(f), c.cells);
        EXPECT_EQ(Memos(f), c.memos);
        EXPECT_EQ(f.PointColumn.value_or(-1), c.point);
        EXPECT_EQ(f.PointStruck, c.pointStruck);
    }
}

std::string Kind(TStepKind kind) {
    switch (kind) {
        case TStepKind::DigitProduct:
            return "x";
        case TStepKind::ZeroRow:
            return "0row";
        case TStepKind::ShiftedZeros:
            return "down";
        case TStepKind::Rule:
            return "rule";
        case TStepKind::ColumnSum:
            return "sum";
        case TStepKind::PointZeros:
            return "zeros";
        case TStepKind::Point:
            return "point";
        case TStepKind::Strike:
            return "strike";
    }
    return "?";
}

// Each step: its kind, what it works out ("3x4+2=14", "1+9+1=11") and the columns it writes.
std::string Steps(const TPracticeFigure& f) {
    std::string out;
    for (const TPracticeStep& s : f.Steps) {
        out += (out.empty() ? "" : " | ") + Kind(s.Kind);
        if (s.Kind == TStepKind::DigitProduct) {
            out += " " + std::to_string(s.MultiplicandDigit) + "x" + std::to_string(s.MultiplierDigit);
        } else if (s.Kind == TStepKind::ColumnSum) {
            out += " ";
            for (std::size_t i = 0; i < s.Addends.size(); ++i) out += (i ? "+" : "") + std::to_string(s.Addends[i]);
        }
        if (s.CarryIn) out += "+" + std::to_string(s.CarryIn);
        if (s.Kind == TStepKind::DigitProduct || s.Kind == TStepKind::ColumnSum) out += "=" + std::to_string(s.Value);
        for (const int cell : s.Cells) out += " @" + std::to_string(f.Cells[static_cast<std::size_t>(cell)].Column);
        if (s.Memo) out += " c" + std::to_string(f.Memos[static_cast<std::size_t>(*s.Memo)].Value);
    }
    return out;
}

TEST(PracticeFigure, TeachersStepsInOrder) {
    const struct {
        const char *a, *b;
        TFigureRules rules;
        std::string steps;
    } cases[] = {
        {"2.35", "1.4", Textbook,
         "x 5x4=20 @0 c2 | x 3x4+2=14 @1 c1 | x 2x4+1=9 @2 | x 5x1=5 @1 | x 3x1=3 @2 | x 2x1=2 @3 | rule | sum 0=0 @0 "
         "| "
         "sum 4+5=9 @1 | sum 9+3=12 @2 c1 | sum 2+1=3 @3 | point | strike @0"},
        {"2.3", "1.05", ZeroRows,
         "x 3x5=15 @0 c1 | x 2x5+1=11 @1 @2 | 0row @1 | x 3x1=3 @2 | x 2x1=2 @3 | rule | sum 5=5 @0 | sum 1+0=1 @1 | "
         "sum 1+3=4 @2 | sum 2=2 @3 | point"},
        {"1.05", "20", Textbook, "down @0 | x 5x2=10 @1 c1 | x 0x2+1=1 @2 | x 1x2=2 @3 | point | strike @0 @1"},
        {"0.2", "0.3", Textbook, "x 2x3=6 @0 | zeros @1 @2 | point"},
        {"0", "0.5", Textbook, "0row @0"},
        // The digit product's 0 that the plain style leaves out is worked, not written.
        {"2.5", "4", Plain, "x 5x4=20 c2 | x 2x4+2=10 @1 @2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " x " + c.b);
        EXPECT_EQ(Steps(MakePracticeFigure(c.a, c.b, c.rules)), c.steps);
    }
}

// The entries of a pupil who got everything right.
TFigureEntries RightEntries(const TPracticeFigure& f) {
    TFigureEntries e;
    for (const TPracticeCell& c : f.Cells) {
        e.Digits.push_back({c.Line, c.Column, c.Digit});
        if (c.Strike) e.Struck.push_back(c.Column);
    }
    e.Point = f.PointColumn;
    return e;
}

void Set(TFigureEntries& e, int line, int column, int digit) {
    for (TEntry& entry : e.Digits) {
        if (entry.Line == line && entry.Column == column) {
            entry.Digit = digit;
            return;
        }
    }
    e.Digits.push_back({line, column, digit});
}

void Remove(TFigureEntries& e, int line) {
    std::erase_if(e.Digits, [&](const TEntry& entry) { return entry.Line == line; });
}

// The first mistake found, cells first, then digits off the cells, the point and the strikes.
TVerdict FirstMistake(const TFigureVerdict& v) {
    for (const TCellVerdict& c : v.Cells) {
        if (!c.Verdict.Right) return c.Verdict;
    }
    for (const auto& [entry, verdict] : v.Stray) return verdict;
    if (!v.Point.Right) return v.Point;
    for (const TStrikeVerdict& s : v.Strikes) return s.Verdict;
    return {};
}

TEST(PracticeJudging, EachKindOfMistake) {
    using Change = std::function<void(TFigureEntries&)>;
    const struct {
        const char* name;
        const char *a, *b;
        Change change;
        TMistake mistake;
        std::string hintHas;
        TFigureRules rules = Textbook;
    } cases[] = {
        // 2.35 x 1.4: 940 and 235 shifted, "3290" with its 0 struck and the point after three.
        {"all right", "2.35", "1.4", [](TFigureEntries&) {}, TMistake::None, ""},
        {"blank", "2.35", "1.4", [](TFigureEntries& e) { e.Digits.erase(e.Digits.begin() + 1); }, TMistake::Blank, ""},
        {"3x4 without the carry 2", "2.35", "1.4", [](TFigureEntries& e) { Set(e, 0, 1, 2); },
         TMistake::PartialCarryForgotten, "3×4に、くり上がりの 2"},
        {"2x4 without the carry 1", "2.35", "1.4", [](TFigureEntries& e) { Set(e, 0, 2, 8); },
         TMistake::PartialCarryForgotten, "2×4"},
        {"3x4+2 wrong", "2.35", "1.4", [](TFigureEntries& e) { Set(e, 0, 1, 5); }, TMistake::PartialDigit,
         "くり上がりの 2"},
        {"5x1 wrong", "2.35", "1.4", [](TFigureEntries& e) { Set(e, 1, 1, 6); }, TMistake::PartialDigit, "5×1の"},
        {"the sum 2+1 without its carry", "2.35", "1.4", [](TFigureEntries& e) { Set(e, ProductLine, 3, 2); },
         TMistake::AdditionCarryForgotten, "1 も"},
        {"the sum 4+5 wrong", "2.35", "1.4", [](TFigureEntries& e) { Set(e, ProductLine, 1, 8); },
         TMistake::AdditionDigit, ""},
        {"the second row not shifted", "2.35", "1.4",
         [](TFigureEntries& e) {
             Remove(e, 1);
             for (const auto& [column, digit] : {std::pair{0, 5}, {1, 3}, {2, 2}}) Set(e, 1, column, digit);
         },
         TMistake::RowShifted, "1 の すぐ下"},
        {"the second row not shifted, in the row's cells only", "2.35", "1.4",
         [](TFigureEntries& e) {
             Remove(e, 1);
             Set(e, 1, 1, 3);
             Set(e, 1, 2, 2);
         },
         TMistake::RowShifted, ""},
        {"the first row one column left", "2.35", "1.4",
         [](TFigureEntries& e) {
             Remove(e, 0);
             for (const auto& [column, digit] : {std::pair{1, 0}, {2, 4}, {3, 9}}) Set(e, 0, column, digit);
         },
         TMistake::RowShifted, ""},
        {"a digit before the product", "2.35", "1.4", [](TFigureEntries& e) { Set(e, ProductLine, 4, 0); },
         TMistake::ExtraDigit, ""},
        {"the point one place off", "2.35", "1.4", [](TFigureEntries& e) { e.Point = 2; }, TMistake::PointMisplaced,
         "かけられる数が 2けた、かける数が 1けた。あわせて 3けた"},
        {"no point", "2.35", "1.4", [](TFigureEntries& e) { e.Point.reset(); }, TMistake::PointMisplaced, ""},
        {"the zero kept", "2.35", "1.4", [](TFigureEntries& e) { e.Struck.clear(); }, TMistake::ZeroLeftUnstruck, ""},
        {"a valued 9 struck", "2.35", "1.4", [](TFigureEntries& e) { e.Struck.push_back(1); },
         TMistake::ValuedDigitStruck, ""},
        {"a valued 0 struck", "1.5", "0.7", [](TFigureEntries& e) { e.Struck.push_back(1); },
         TMistake::ValuedDigitStruck, ""},
        {"the whole fraction kept", "2.5", "4", [](TFigureEntries& e) { e.Struck.clear(); }, TMistake::ZeroLeftUnstruck,
         "点も"},
        {"a point between whole factors", "23", "45", [](TFigureEntries& e) { e.Point = 1; }, TMistake::PointMisplaced,
         "整数"},
        {"the zero before the digits left out", "0.2", "0.3", [](TFigureEntries& e) { Set(e, ProductLine, 1, 6); },
         TMistake::ZeroMissing, "小数点を"},
        {"the multiplier's 0 not brought down", "1.05", "20", [](TFigureEntries& e) { Set(e, ProductLine, 0, 2); },
         TMistake::ZeroMissing, "おろそう"},
        {"a point in a whole product, zeros left out", "2.5", "4", [](TFigureEntries& e) { e.Point = 1; },
         TMistake::PointMisplaced, "整数だよ", Plain},
        {"a strike, zeros left out", "2.35", "1.4", [](TFigureEntries& e) { e.Struck.push_back(1); },
         TMistake::ValuedDigitStruck, "", Plain},
        {"a digit product without rows, its carry forgotten", "2.5", "4",
         [](TFigureEntries& e) { Set(e, ProductLine, 2, 0); }, TMistake::PartialCarryForgotten, "2×4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TPracticeFigure f = MakePracticeFigure(c.a, c.b, c.rules);
        TFigureEntries entries = RightEntries(f);
        c.change(entries);
        const TFigureVerdict v = JudgeFigure(f, entries);
        const TVerdict first = FirstMistake(v);
        EXPECT_EQ(v.Right, c.mistake == TMistake::None);
        EXPECT_EQ(first.Mistake, c.mistake);
        EXPECT_EQ(first.Right, c.mistake == TMistake::None);
        EXPECT_EQ(first.Hint.empty(), c.mistake == TMistake::None);
        EXPECT_NE(first.Hint.find(c.hintHas), std::string::npos) << first.Hint;
        EXPECT_EQ(first.Hint.find('{'), std::string::npos) << first.Hint;
    }
}

// What the check at the end would not call a shifted row.
TEST(PracticeJudging, OnlyAWholeRowMovedIsShifted) {
    const TPracticeFigure f = MakePracticeFigure("2.35", "1.4", Textbook);  // the second row: 235 in columns 3..1
    const struct {
        const char* name;
        std::map<int, int> row;
        TMistake first;
    } cases[] = {
        {"one digit moved", {{0, 5}, {2, 3}, {3, 2}}, TMistake::Blank},
        {"moved, and its last cell written", {{1, 3}, {2, 2}, {3, 2}}, TMistake::PartialDigit},
        {"moved two columns", {{3, 5}, {4, 3}, {5, 2}}, TMistake::Blank},
        {"only one digit left", {{1, 3}}, TMistake::PartialDigit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TFigureEntries entries = RightEntries(f);
        Remove(entries, 1);
        for (const auto& [column, digit] : c.row) Set(entries, 1, column, digit);
        const TFigureVerdict v = JudgeFigure(f, entries);
        EXPECT_FALSE(v.Right);
        EXPECT_EQ(FirstMistake(v).Mistake, c.first);
    }
    // One digit of a two-digit row is too little to call the row moved.
    const TPracticeFigure two = MakePracticeFigure("2.3", "1.05", Textbook);  // the second row: 23 in columns 3..2
    TFigureEntries entries = RightEntries(two);
    Remove(entries, 1);
    Set(entries, 1, 2, 2);
    EXPECT_EQ(FirstMistake(JudgeFigure(two, entries)).Mistake, TMistake::PartialDigit);
}

TEST(PracticeJudging, OneAtATime) {
    const TPracticeFigure f = MakePracticeFigure("2.5", "4", Textbook);  // "100", point after 1, all struck
    EXPECT_TRUE(JudgeCell(f, 1, 0).Right);
    EXPECT_EQ(JudgeCell(f, 1, 8).Mistake, TMistake::PartialCarryForgotten);
    EXPECT_TRUE(JudgePoint(f, 1).Right);
    EXPECT_EQ(JudgePoint(f, 0).Mistake, TMistake::PointMisplaced);
    EXPECT_TRUE(JudgeStrike(f, 0).Right);
    EXPECT_EQ(JudgeStrike(f, 1).Mistake, TMistake::ValuedDigitStruck);
    EXPECT_EQ(JudgeStrike(f, 5).Mistake, TMistake::ValuedDigitStruck);
    // Asked for without a cell, a hint that names the cell's digits shows no marks.
    EXPECT_EQ(HintFor(f, TMistake::RowShifted, -1).find('{'), std::string::npos);
    // The row of a 0 digit: no digits to multiply, so the hint names the 0.
    const TPracticeFigure zeroRow = MakePracticeFigure("2.3", "1.05", ZeroRows);  // cell 3: the row "0"
    const TVerdict v = JudgeCell(zeroRow, 3, 3);
    EXPECT_EQ(v.Mistake, TMistake::PartialDigit);
    EXPECT_NE(v.Hint.find("0 を かけると"), std::string::npos) << v.Hint;
}

// A digit beside a row's cells, checked at once: the row's neighbouring digit is a row begun one
// column off; anything else is just a digit too many.
TEST(PracticeJudging, ADigitBesideARow) {
    const TPracticeFigure f = MakePracticeFigure("2.35", "1.4", Textbook);  // 940 in 2..0, 235 in 3..1
    const struct {
        int line, column, digit;
        TMistake mistake;
    } cases[] = {
        {1, 0, 5, TMistake::RowShifted},  // 235 not moved left: its 5 under the first row's 0
        {1, 0, 3, TMistake::ExtraDigit},
        {1, 4, 2, TMistake::RowShifted},  // moved two: its 2 one column too far left
        {0, 3, 9, TMistake::RowShifted},
        {0, 3, 4, TMistake::ExtraDigit},  // 4 is in the row, but not next to the column
        {0, 5, 9, TMistake::ExtraDigit},
        {ProductLine, 4, 3, TMistake::ExtraDigit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.line) + "@" + std::to_string(c.column));
        const TVerdict v = JudgeStray(f, c.line, c.column, c.digit);
        EXPECT_FALSE(v.Right);
        EXPECT_EQ(v.Mistake, c.mistake);
        EXPECT_FALSE(v.Hint.empty());
        EXPECT_EQ(v.Hint.find('{'), std::string::npos) << v.Hint;
    }
    EXPECT_NE(JudgeStray(f, 1, 0, 5).Hint.find("1 の すぐ下"), std::string::npos);
    EXPECT_THROW(JudgeStray(f, 1, 1, 5), std::out_of_range);
    // Every mistake has a name of its own for the result.
    std::set<std::string_view> titles;
    for (int m = static_cast<int>(TMistake::Blank); m <= static_cast<int>(TMistake::ValuedDigitStruck); ++m)
        EXPECT_TRUE(titles.insert(MistakeTitle(static_cast<TMistake>(m))).second && !titles.count(""));
}

// Over many operand pairs: the steps write every cell once with the digit they work out, the
// memos are the working's carries, and the cells are the product the working writes.
TEST(PracticeFigure, EveryFigureAddsUp) {
    std::vector<std::int32_t> operands;
    for (std::int32_t milli = 0; milli <= 99999; milli += 1511) operands.push_back(milli);
    for (const std::int32_t milli : {1, 10, 100, 1000, 10000, 20000, 50005, 99999}) operands.push_back(milli);
    for (const std::int32_t am : operands) {
        for (const std::int32_t bm : operands) {
            const std::string a = FormatDecimal(Thousandths(am)), b = FormatDecimal(Thousandths(bm));
            for (const TFigureRules rules : {Textbook, ZeroRows, Plain, TFigureRules{false, false}}) {
                SCOPED_TRACE(a + " x " + b);
                const TPracticeFigure f = MakePracticeFigure(a, b, rules);
                std::vector<int> writes(f.Cells.size(), 0);
                for (std::size_t s = 0; s < f.Steps.size(); ++s) {
                    const TPracticeStep& step = f.Steps[s];
                    if (step.Kind == TStepKind::Strike) continue;
                    for (const int cell : step.Cells) {
                        ++writes[static_cast<std::size_t>(cell)];
                        EXPECT_EQ(f.Cells[static_cast<std::size_t>(cell)].Step, static_cast<int>(s));
                    }
                    if (step.Kind == TStepKind::DigitProduct) {
                        EXPECT_EQ(step.Value, step.MultiplicandDigit * step.MultiplierDigit + step.CarryIn);
                    }
                    if (step.Kind == TStepKind::DigitProduct || step.Kind == TStepKind::ColumnSum) {
                        for (const int cell : step.Cells) {
                            const TPracticeCell& c = f.Cells[static_cast<std::size_t>(cell)];
                            EXPECT_EQ(c.Digit, c.Column == step.Column ? step.Value % 10 : step.Value / 10);
                        }
                    }
                }
                for (const int w : writes) EXPECT_EQ(w, 1);
                // The memos, line by line, are the carries the working writes.
                std::map<int, std::vector<TCarry>> memos;
                for (const TMemoCell& m : f.Memos) memos[m.Line].push_back({m.Column, m.Value});
                for (std::size_t r = 0; r < f.Worked.Rows.size(); ++r)
                    EXPECT_EQ(memos[static_cast<int>(r)], f.Worked.Rows[r].Carries);
                EXPECT_EQ(memos[ProductLine],
                          f.Worked.Rows.empty() ? f.Worked.ProductCarries : f.Worked.AdditionCarries);
                // The product's cells are the working's, in fill order right to left.
                std::vector<TDigitCell> product;
                for (const TPracticeCell& c : f.Cells) {
                    if (c.Line == ProductLine) product.insert(product.begin(), {c.Column, c.Digit, c.Strike});
                }
                EXPECT_EQ(product, f.Worked.Product.Digits);
                EXPECT_TRUE(JudgeFigure(f, RightEntries(f)).Right);
            }
        }
    }
}

}  // namespace
