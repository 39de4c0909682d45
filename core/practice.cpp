#include "core/practice.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>

namespace {

int FractionDigits(std::string_view text) {
    const auto point = text.find('.');
    return point == std::string_view::npos ? 0 : static_cast<int>(text.size() - point - 1);
}

// The digits that take part in digit products, by column: a factor's leading zeros ("0.05")
// multiply nothing, as the working's rows have it.
std::vector<int> SignificantDigits(const TWorkedNumber& number) {
    std::vector<int> byColumn;
    for (auto cell = number.Digits.rbegin(); cell != number.Digits.rend(); ++cell) byColumn.push_back(cell->Digit);
    while (byColumn.size() > 1 && byColumn.back() == 0) byColumn.pop_back();
    return byColumn;
}

// The digits' value, each worth its column: the whole digit product, whether or not the
// figure writes its zeros after the point.
std::uint64_t ValueOf(const std::vector<TDigitCell>& cells) {
    std::uint64_t value = 0;
    for (const TDigitCell& cell : cells) {
        std::uint64_t worth = static_cast<std::uint64_t>(cell.Digit);
        for (int k = 0; k < cell.Column; ++k) worth *= 10;
        value += worth;
    }
    return value;
}

int DigitCount(std::uint64_t value) { return static_cast<int>(std::to_string(value).size()); }

class FigureBuilder {
public:
    explicit FigureBuilder(TPracticeFigure& figure) : f_(figure) {}

    void AddCell(int line, int column, int digit, bool strike, TCellSource source) {
        at_[{line, column}] = static_cast<int>(f_.Cells.size());
        f_.Cells.push_back({line, column, digit, strike, source, 0});
    }

    // Adds the step, and marks the cells of `line` in `columns` (those the figure has) as its.
    TPracticeStep& AddStep(TPracticeStep step, const std::vector<int>& columns) {
        const int index = static_cast<int>(f_.Steps.size());
        for (const int column : columns) {
            const auto it = at_.find({step.Line, column});
            if (it == at_.end()) continue;
            step.Cells.push_back(it->second);
            f_.Cells[static_cast<std::size_t>(it->second)].Step = index;
        }
        f_.Steps.push_back(std::move(step));
        return f_.Steps.back();
    }

    void AddMemo(TPracticeStep& step, int column, int value) {
        if (value == 0) return;
        step.Memo = static_cast<int>(f_.Memos.size());
        f_.Memos.push_back({step.Line, column, value, static_cast<int>(f_.Steps.size()) - 1});
    }

    // The multiplicand times `digit`, written into `line` from column `place` leftwards; the
    // last digit product writes its carry out whole, as the row's leading digit.
    void DigitProducts(int line, int digit, int place, const std::vector<int>& multiplicand) {
        if (digit == 0) {
            TPracticeStep step;
            step.Kind = TStepKind::ZeroRow;
            step.Line = line;
            step.Column = place;
            step.MultiplierColumn = place;
            AddStep(step, {place});
            return;
        }
        int carry = 0;
        const int n = static_cast<int>(multiplicand.size());
        for (int i = 0; i < n; ++i) {
            TPracticeStep step;
            step.Kind = TStepKind::DigitProduct;
            step.Line = line;
            step.Column = place + i;
            step.MultiplicandDigit = multiplicand[static_cast<std::size_t>(i)];
            step.MultiplicandColumn = i;
            step.MultiplierDigit = digit;
            step.MultiplierColumn = place;
            step.CarryIn = carry;
            step.Value = step.MultiplicandDigit * digit + carry;
            carry = step.Value / 10;
            if (i + 1 < n) {
                step.CarryOut = carry;
                AddMemo(AddStep(step, {place + i}), place + i + 1, carry);
            } else if (step.Value >= 10) {
                AddStep(step, {place + i, place + i + 1});
            } else {
                AddStep(step, {place + i});
            }
        }
    }

private:
    TPracticeFigure& f_;
    std::map<std::pair<int, int>, int> at_;  // (line, column) -> cell
};

std::optional<int> FindCell(const TPracticeFigure& f, int line, int column) {
    for (std::size_t i = 0; i < f.Cells.size(); ++i) {
        if (f.Cells[i].Line == line && f.Cells[i].Column == column) return static_cast<int>(i);
    }
    return std::nullopt;
}

// What a cell would hold had the carry into it been left out; none where no carry came in.
std::optional<int> DigitWithoutCarry(const TPracticeFigure& f, const TPracticeCell& cell) {
    const TPracticeStep& step = f.Steps[static_cast<std::size_t>(cell.Step)];
    if (step.CarryIn == 0) return std::nullopt;
    const int without = step.Value - step.CarryIn;
    return cell.Column == step.Column ? without % 10 : without / 10;
}

// The hints, all in one place: a pupil of grade 4 or 5 reads them on a tablet. {x} and {y} are
// the two digits multiplied, {c} the carry in, {a}, {b} and {n} the digits right of the point
// of the multiplicand, of the multiplier and of both.
enum class THint {
    Blank,
    PartialCarryForgotten,
    PartialDigit,
    PartialDigitWithCarry,
    TimesZero,
    AdditionCarryForgotten,
    AdditionDigit,
    ShiftedZero,
    PointZero,
    RowShifted,
    ExtraDigit,
    Point,
    NoPointWhole,
    NoPointZero,
    NoPointDropped,
    ZeroLeftUnstruck,
    ZeroLeftUnstruckWithPoint,
    ValuedDigitStruck,
};

const char* HintText(THint hint) {
    switch (hint) {
        case THint::Blank:
            return "ここに 数字を 書こう。";
        case THint::PartialCarryForgotten:
            return "{x}×{y}に、くり上がりの {c} を たすのを わすれていないかな。";
        case THint::PartialDigit:
            return "{x}×{y}の 九九を もういちど たしかめよう。";
        case THint::PartialDigitWithCarry:
            return "{x}×{y}に くり上がりの {c} を たすと、いくつかな。";
        case THint::TimesZero:
            return "0 を かけると、こたえは 0 だよ。";
        case THint::AdditionCarryForgotten:
            return "となりから くり上がった {c} も たそう。";
        case THint::AdditionDigit:
            return "この たての れつの 数を、もういちど たしてみよう。";
        case THint::ShiftedZero:
            return "かける数の 0 の ところは、0 を そのまま おろそう。";
        case THint::PointZero:
            return "小数点を うてるように、ここに 0 を 書こう。";
        case THint::RowShifted:
            return "この だんは 1けた ずれているよ。かける数の {y} の すぐ下から 書きはじめよう。";
        case THint::ExtraDigit:
            return "ここには 数字は いらないよ。";
        case THint::Point:
            return "小数点の 右の けたは、かけられる数が {a}けた、かける数が {b}けた。あわせて {n}けた。"
                   "答えも 右から {n}けたの ところに 点を うとう。";
        case THint::NoPointWhole:
            return "かけられる数も かける数も 整数だね。答えに 点は いらないよ。";
        case THint::NoPointZero:
            return "答えが 0 のときは、点は いらないよ。";
        case THint::NoPointDropped:
            return "小数点より 右が 0 だけだから、答えは 整数だよ。点は うたないよ。";
        case THint::ZeroLeftUnstruck:
            return "小数点の 右の おわりに ある 0 は いらないよ。ななめの 線で 消そう。";
        case THint::ZeroLeftUnstruckWithPoint:
            return "小数点の 右が 0 だけに なるね。0 を 消すと、点も いっしょに 消えるよ。";
        case THint::ValuedDigitStruck:
            return "この 数字は 消さないよ。消すのは 小数点の 右の、おわりに ある 0 だけ。";
    }
    return "";
}

// A mark without a value (a hint asked for without its cell) is left out rather than shown.
std::string Filled(const std::string& text, const std::map<char, int>& values) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '{' && i + 2 < text.size() && text[i + 2] == '}') {
            if (const auto it = values.find(text[i + 1]); it != values.end()) out += std::to_string(it->second);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

THint HintOf(const TPracticeFigure& f, TMistake mistake, const TPracticeCell* cell) {
    switch (mistake) {
        case TMistake::None:
        case TMistake::Blank:
            return THint::Blank;
        case TMistake::PartialCarryForgotten:
            return THint::PartialCarryForgotten;
        case TMistake::PartialDigit: {
            if (!cell) return THint::PartialDigit;
            const TPracticeStep& step = f.Steps[static_cast<std::size_t>(cell->Step)];
            if (step.Kind == TStepKind::ZeroRow) return THint::TimesZero;
            return step.CarryIn > 0 ? THint::PartialDigitWithCarry : THint::PartialDigit;
        }
        case TMistake::AdditionCarryForgotten:
            return THint::AdditionCarryForgotten;
        case TMistake::AdditionDigit:
            return THint::AdditionDigit;
        case TMistake::ZeroMissing:
            return cell && cell->Source == TCellSource::ShiftedZero ? THint::ShiftedZero : THint::PointZero;
        case TMistake::RowShifted:
            return THint::RowShifted;
        case TMistake::ExtraDigit:
            return THint::ExtraDigit;
        case TMistake::PointMisplaced:
            if (f.PointColumn) return THint::Point;
            if (f.MultiplicandFractionDigits + f.MultiplierFractionDigits == 0) return THint::NoPointWhole;
            return ValueOf(f.Worked.Product.Digits) == 0 ? THint::NoPointZero : THint::NoPointDropped;
        case TMistake::ZeroLeftUnstruck:
            return f.PointStruck ? THint::ZeroLeftUnstruckWithPoint : THint::ZeroLeftUnstruck;
        case TMistake::ValuedDigitStruck:
            return THint::ValuedDigitStruck;
    }
    return THint::Blank;
}

TVerdict Wrong(const TPracticeFigure& f, TMistake mistake, int cell) {
    return {false, mistake, HintFor(f, mistake, cell)};
}

TMistake CellMistake(const TPracticeFigure& f, const TPracticeCell& cell, int digit) {
    if (digit == cell.Digit) return TMistake::None;
    switch (cell.Source) {
        case TCellSource::DigitProduct:
            return DigitWithoutCarry(f, cell) == digit ? TMistake::PartialCarryForgotten : TMistake::PartialDigit;
        case TCellSource::ColumnSum:
            return DigitWithoutCarry(f, cell) == digit ? TMistake::AdditionCarryForgotten : TMistake::AdditionDigit;
        case TCellSource::ShiftedZero:
        case TCellSource::PointZero:
            return TMistake::ZeroMissing;
    }
    return TMistake::PartialDigit;
}

// Whether the entries of a row are its digits moved one column over (see JudgeFigure): `shift`
// +1 when each entered digit belongs one column to its left (the row written too far right).
bool ShiftedBy(const std::map<int, int>& entered, const std::map<int, int>& expected, int shift) {
    if (entered.empty() || expected.empty()) return false;
    std::set<int> matched;
    for (const auto& [column, digit] : entered) {
        const auto it = expected.find(column + shift);
        if (it == expected.end() || it->second != digit) return false;
        matched.insert(column + shift);
    }
    if (matched.size() == expected.size()) return true;
    // The one digit pushed out of the row's cells: its rightmost for a row moved right.
    const int pushedOut = shift > 0 ? expected.begin()->first : expected.rbegin()->first;
    return matched.size() + 1 == expected.size() && matched.size() >= 2 && matched.count(pushedOut) == 0;
}

}  // namespace

TPracticeFigure MakePracticeFigure(std::string_view multiplicand, std::string_view multiplier,
                                   const TFigureRules& rules) {
    TPracticeFigure f;
    f.Worked = WorkMultiplication(multiplicand, multiplier, rules);
    f.MultiplicandFractionDigits = FractionDigits(multiplicand);
    f.MultiplierFractionDigits = FractionDigits(multiplier);
    const TWorkedMultiplication& w = f.Worked;
    FigureBuilder b(f);

    // The cells in the order they are filled.
    for (std::size_t r = 0; r < w.Rows.size(); ++r) {
        const auto& digits = w.Rows[r].Digits;
        for (auto cell = digits.rbegin(); cell != digits.rend(); ++cell)
            b.AddCell(static_cast<int>(r), cell->Column, cell->Digit, false, TCellSource::DigitProduct);
    }
    const std::uint64_t productDigits = ValueOf(w.Product.Digits);
    const std::vector<int> a = SignificantDigits(w.Multiplicand);
    const std::vector<int> multiplierDigits = SignificantDigits(w.Multiplier);
    // Without rows: the multiplier's one digit that is not 0, and its place.
    int place = 0;
    while (place + 1 < static_cast<int>(multiplierDigits.size()) &&
           multiplierDigits[static_cast<std::size_t>(place)] == 0)
        ++place;
    const int digit = multiplierDigits[static_cast<std::size_t>(place)];
    // The columns the digits of the multiplication fill; past them, zeros for the point.
    const int worked = w.Rows.empty() && productDigits == 0 ? 1 : DigitCount(productDigits);
    for (auto cell = w.Product.Digits.rbegin(); cell != w.Product.Digits.rend(); ++cell) {
        TCellSource source = w.Rows.empty() ? TCellSource::DigitProduct : TCellSource::ColumnSum;
        if (cell->Column >= worked) {
            source = TCellSource::PointZero;
        } else if (w.Rows.empty() && cell->Column < place && productDigits != 0) {
            source = TCellSource::ShiftedZero;
        }
        b.AddCell(ProductLine, cell->Column, cell->Digit, cell->Struck, source);
    }

    // The steps.
    if (w.Rows.empty()) {
        if (productDigits == 0) {
            // A zero factor: the product is 0 at once, whatever the other digits.
            TPracticeStep step;
            step.Kind = TStepKind::ZeroRow;
            b.AddStep(step, {0});
        } else {
            if (place > 0) {
                TPracticeStep step;
                step.Kind = TStepKind::ShiftedZeros;
                std::vector<int> columns;
                for (int c = 0; c < place; ++c) columns.push_back(c);
                b.AddStep(step, columns);
            }
            b.DigitProducts(ProductLine, digit, place, a);
        }
    } else {
        for (std::size_t r = 0; r < w.Rows.size(); ++r)
            b.DigitProducts(static_cast<int>(r), w.Rows[r].MultiplierDigit, w.Rows[r].Place, a);
        TPracticeStep rule;
        rule.Kind = TStepKind::Rule;
        b.AddStep(rule, {});
        int carry = 0;
        for (int column = 0; column < worked; ++column) {
            TPracticeStep step;
            step.Kind = TStepKind::ColumnSum;
            step.Column = column;
            for (const TPartialRow& row : w.Rows) {
                for (const TDigitCell& cell : row.Digits) {
                    if (cell.Column == column) step.Addends.push_back(cell.Digit);
                }
            }
            step.CarryIn = carry;
            step.Value = carry;
            for (const int addend : step.Addends) step.Value += addend;
            carry = step.CarryOut = step.Value / 10;
            b.AddMemo(b.AddStep(step, {column}), column + 1, carry);
        }
    }
    std::vector<int> pointZeros;
    for (const TDigitCell& cell : w.Product.Digits) {
        if (cell.Column >= worked) pointZeros.insert(pointZeros.begin(), cell.Column);
    }
    if (!pointZeros.empty()) {
        TPracticeStep step;
        step.Kind = TStepKind::PointZeros;
        step.Column = pointZeros.front();
        b.AddStep(step, pointZeros);
    }

    // The point, as the working places it: struck with the zeros where it marks off nothing else.
    int struck = 0;
    for (const TDigitCell& cell : w.Product.Digits) struck += cell.Struck ? 1 : 0;
    f.PointColumn = w.Product.PointColumn;
    f.PointStruck = w.Product.PointStruck;
    if (f.PointColumn) {
        TPracticeStep step;
        step.Kind = TStepKind::Point;
        step.Column = *f.PointColumn;
        b.AddStep(step, {});
    }
    if (struck > 0) {
        TPracticeStep step;
        step.Kind = TStepKind::Strike;
        // The cells it strikes; they stay the steps' that wrote them.
        for (int c = 0; c < struck; ++c) step.Cells.push_back(*FindCell(f, ProductLine, c));
        f.Steps.push_back(step);
    }
    return f;
}

std::string HintFor(const TPracticeFigure& figure, TMistake mistake, int cell) {
    if (mistake == TMistake::None) return {};
    const TPracticeCell* c = cell >= 0 && cell < static_cast<int>(figure.Cells.size())
                                 ? &figure.Cells[static_cast<std::size_t>(cell)]
                                 : nullptr;
    std::map<char, int> values{{'a', figure.MultiplicandFractionDigits},
                               {'b', figure.MultiplierFractionDigits},
                               {'n', figure.MultiplicandFractionDigits + figure.MultiplierFractionDigits}};
    if (c) {
        const TPracticeStep& step = figure.Steps[static_cast<std::size_t>(c->Step)];
        values['x'] = step.MultiplicandDigit;
        values['y'] = step.MultiplierDigit;
        values['c'] = step.CarryIn;
        if (c->Line != ProductLine) values['y'] = figure.Worked.Rows[static_cast<std::size_t>(c->Line)].MultiplierDigit;
    }
    return Filled(HintText(HintOf(figure, mistake, c)), values);
}

std::string_view MistakeTitle(TMistake mistake) {
    switch (mistake) {
        case TMistake::None:
            return "";
        case TMistake::Blank:
            return "かいていない ところ";
        case TMistake::PartialCarryForgotten:
            return "かけ算の くり上がりを たしわすれ";
        case TMistake::PartialDigit:
            return "かけ算の まちがい";
        case TMistake::AdditionCarryForgotten:
            return "たし算の くり上がりを たしわすれ";
        case TMistake::AdditionDigit:
            return "たし算の まちがい";
        case TMistake::ZeroMissing:
            return "0の かきわすれ";
        case TMistake::RowShifted:
            return "かく 場所の ずれ";
        case TMistake::ExtraDigit:
            return "いらない 数字";
        case TMistake::PointMisplaced:
            return "小数点の 場所";
        case TMistake::ZeroLeftUnstruck:
            return "けしわすれた 0";
        case TMistake::ValuedDigitStruck:
            return "けしては いけない 数字";
    }
    return "";
}

TVerdict JudgeCell(const TPracticeFigure& figure, int cell, int digit) {
    const TMistake mistake = CellMistake(figure, figure.Cells.at(static_cast<std::size_t>(cell)), digit);
    if (mistake == TMistake::None) return {};
    return Wrong(figure, mistake, cell);
}

TVerdict JudgePoint(const TPracticeFigure& figure, std::optional<int> column) {
    if (column == figure.PointColumn) return {};
    return Wrong(figure, TMistake::PointMisplaced, -1);
}

TVerdict JudgeStrike(const TPracticeFigure& figure, int column) {
    const std::optional<int> cell = FindCell(figure, ProductLine, column);
    if (cell && figure.Cells[static_cast<std::size_t>(*cell)].Strike) return {};
    return Wrong(figure, TMistake::ValuedDigitStruck, cell.value_or(-1));
}

TVerdict JudgeStray(const TPracticeFigure& figure, int line, int column, int digit) {
    if (FindCell(figure, line, column)) throw std::out_of_range("JudgeStray: the figure has a cell there");
    for (const int beside : {column - 1, column + 1}) {
        const std::optional<int> cell = line == ProductLine ? std::nullopt : FindCell(figure, line, beside);
        if (cell && figure.Cells[static_cast<std::size_t>(*cell)].Digit == digit)
            return Wrong(figure, TMistake::RowShifted, *cell);
    }
    return Wrong(figure, TMistake::ExtraDigit, -1);
}

TFigureVerdict JudgeFigure(const TPracticeFigure& figure, const TFigureEntries& entries) {
    // Each line's entries and cells by column; a later entry in a column replaces an earlier one.
    std::map<int, std::map<int, int>> entered, expected;
    for (const TEntry& e : entries.Digits) entered[e.Line][e.Column] = e.Digit;
    for (const TPracticeCell& cell : figure.Cells) expected[cell.Line][cell.Column] = cell.Digit;
    std::set<int> shifted;
    for (const auto& [line, cells] : expected) {
        if (line == ProductLine) continue;
        const auto& mine = entered[line];
        if (mine != cells && (ShiftedBy(mine, cells, 1) || ShiftedBy(mine, cells, -1))) shifted.insert(line);
    }

    TFigureVerdict v;
    for (std::size_t i = 0; i < figure.Cells.size(); ++i) {
        const TPracticeCell& cell = figure.Cells[i];
        TCellVerdict cv;
        cv.Cell = static_cast<int>(i);
        const auto& line = entered[cell.Line];
        if (const auto it = line.find(cell.Column); it != line.end()) cv.Entered = it->second;
        if (shifted.count(cell.Line)) {
            cv.Verdict = Wrong(figure, TMistake::RowShifted, cv.Cell);
        } else if (!cv.Entered) {
            cv.Verdict = Wrong(figure, TMistake::Blank, cv.Cell);
        } else {
            cv.Verdict = JudgeCell(figure, cv.Cell, *cv.Entered);
        }
        v.Right = v.Right && cv.Verdict.Right;
        v.Cells.push_back(std::move(cv));
    }
    for (const auto& [line, digits] : entered) {
        for (const auto& [column, digit] : digits) {
            if (expected[line].count(column)) continue;
            // A shifted row's hint names the row's multiplier digit: any of its cells will do.
            const int cell = shifted.count(line) ? *FindCell(figure, line, expected[line].begin()->first) : -1;
            const TMistake mistake = shifted.count(line) ? TMistake::RowShifted : TMistake::ExtraDigit;
            v.Stray.push_back({{line, column, digit}, Wrong(figure, mistake, cell)});
            v.Right = false;
        }
    }

    v.Point = JudgePoint(figure, entries.Point);
    v.Right = v.Right && v.Point.Right;
    const std::set<int> struck(entries.Struck.begin(), entries.Struck.end());
    for (const int column : struck) {
        const std::optional<int> cell = FindCell(figure, ProductLine, column);
        if (!cell || !figure.Cells[static_cast<std::size_t>(*cell)].Strike)
            v.Strikes.push_back({column, Wrong(figure, TMistake::ValuedDigitStruck, cell.value_or(-1))});
    }
    for (const TPracticeCell& cell : figure.Cells) {
        if (cell.Strike && !struck.count(cell.Column))
            v.Strikes.push_back({cell.Column, Wrong(figure, TMistake::ZeroLeftUnstruck, -1)});
    }
    std::sort(v.Strikes.begin(), v.Strikes.end(),
              [](const TStrikeVerdict& x, const TStrikeVerdict& y) { return x.Column < y.Column; });
    v.Right = v.Right && v.Strikes.empty();
    return v;
}
