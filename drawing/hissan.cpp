#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/worked_multiplication.h"
#include "drawing/worksheet.h"

namespace {

// The squares' grey: a black-and-white laser still prints it as a line (about 40 % black), and
// it stays well behind the black digits.
constexpr TColor GridGrey = 0x999999;

std::string Spaces(int count) { return std::string(static_cast<std::size_t>(std::max(count, 0)), ' '); }

std::string DigitText(const std::vector<TDigitCell>& digits) {
    std::string text;
    for (const TDigitCell& cell : digits) text += static_cast<char>('0' + cell.Digit);
    return text;
}

// Turns the working's columns into pixels. A column is as wide as the surface's characters,
// and each line is placed by the width of the text it draws, padding included, so that a
// surface whose widths do not add up exactly still lines the digits up the way it writes them.
class Figure {
public:
    Figure(TCanvas& canvas, std::int32_t x, std::int32_t y) : c_(canvas), x_(x), y_(y) {}

    void Draw(const TWorkedMultiplication& worked, const std::string& operatorText, bool showAnswers,
              TFigureGrid grid) {
        const std::string& multiplicandText = worked.Multiplicand.Text;
        const std::string& multiplierText = worked.Multiplier.Text;
        const int lenA = static_cast<int>(multiplicandText.size());
        const int lenB = static_cast<int>(multiplierText.size());
        const std::string multiplierLine = operatorText + Spaces(lenA - lenB) + multiplierText;

        rightEdge_ = x_ + c_.TextWidth(multiplierLine);
        pointShiftX_ = c_.TextWidth(".") / 5;
        pointShiftY_ = c_.TextHeight(".") / 3;
        fullHeight_ = c_.Font.Height;

        // Beneath everything, so that no line crosses a digit.
        if (grid == TFigureGrid::Squares) DrawSquares(worked);

        // The problem rows.
        DrawNumberText(multiplicandText, 0, 0, false);
        c_.Font.Style = TFontStyle::Underline;
        DrawNumberText(multiplierLine, 1, 0, true);
        c_.Font.Style = TFontStyle::Empty;
        if (!showAnswers) return;

        // Every row but the last: a row's last digit stands in its place's column.
        const int rowCount = static_cast<int>(worked.Rows.size());
        for (int i = 0; i + 1 < rowCount; ++i) {
            const TPartialRow& row = worked.Rows[static_cast<std::size_t>(i)];
            const std::string partial = DigitText(row.Digits) + Spaces(row.Place + 1);
            c_.TextOut(rightEdge_ - c_.TextWidth(partial), Row(i + 2), partial);
        }

        const TWorkedNumber& product = worked.Product;
        const std::string& shownProduct = product.Text;
        const int lastColumn = product.Digits.empty() ? 0 : product.Digits.back().Column;
        const std::int32_t space = c_.TextWidth(" ");
        int productRow = 2;
        if (rowCount >= 2) {
            // The last row carries the rule, which reaches at least as far left as the product.
            const TPartialRow& last = worked.Rows.back();
            const std::string digits = DigitText(last.Digits);
            const std::string lastPartial =
                Spaces(worked.RuleColumns - static_cast<int>(digits.size()) - last.Place) + digits + Spaces(last.Place);
            c_.Font.Style = TFontStyle::Underline;
            c_.TextOut(rightEdge_ - c_.TextWidth(lastPartial) - space, Row(rowCount + 1), lastPartial);
            c_.Font.Style = TFontStyle::Empty;
            productRow = rowCount + 2;
        }
        if (product.PointColumn) {
            DrawNumberText(shownProduct, productRow, space * lastColumn, false, product.PointStruck);
        } else {
            c_.TextOut(rightEdge_ - c_.TextWidth(shownProduct) - c_.TextWidth(".") - space * lastColumn,
                       Row(productRow), shownProduct);
        }
        // One short slash across each struck zero, in the zero's own cell.
        const std::int32_t onesRight = rightEdge_ - c_.TextWidth(".");
        for (auto cell = product.Digits.rbegin(); cell != product.Digits.rend() && cell->Struck; ++cell)
            c_.TextOut(onesRight - c_.TextWidth(std::string(static_cast<std::size_t>(cell->Column) + 1, '0')),
                       Row(productRow), "/");
    }

private:
    // The squares of every cell the working writes a digit in, or the rule reaches over, on
    // every row it needs, answers drawn or not: a pupil writes them on the problem sheet. A
    // column is placed like the digits are, by the width of that many digits, not by a
    // multiple of one; the point has no column and stands on a line.
    void DrawSquares(const TWorkedMultiplication& worked) {
        int columns = worked.RuleColumns;
        const auto widen = [&columns](const std::vector<TDigitCell>& digits) {
            for (const TDigitCell& cell : digits) columns = std::max(columns, cell.Column + 1);
        };
        widen(worked.Multiplicand.Digits);
        widen(worked.Multiplier.Digits);
        for (const TPartialRow& row : worked.Rows) widen(row.Digits);
        widen(worked.Product.Digits);
        const int rows = worked.Rows.size() >= 2 ? static_cast<int>(worked.Rows.size()) + 3 : 3;

        // About 0.2 mm at the printed size: thin, yet a whole line of a laser's halftone dots.
        const std::int64_t thickness = std::max(1, fullHeight_ / 40);
        const std::int64_t half = thickness / 2;
        const std::int64_t right = static_cast<std::int64_t>(rightEdge_) - c_.TextWidth(".");
        const std::int64_t left = right - c_.TextWidth(std::string(static_cast<std::size_t>(columns), '0'));
        const std::int64_t top = Row(0), bottom = static_cast<std::int64_t>(y_) + std::int64_t{rows} * fullHeight_;

        // Coordinates wrap like the rest of the figure's.
        const auto line = [](std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
            return TRect{static_cast<std::int32_t>(x1), static_cast<std::int32_t>(y1), static_cast<std::int32_t>(x2),
                         static_cast<std::int32_t>(y2)};
        };
        std::vector<TRect> lines;
        lines.reserve(static_cast<std::size_t>(rows + columns + 2));
        for (int k = 0; k <= rows; ++k) {
            const std::int64_t y = static_cast<std::int64_t>(y_) + std::int64_t{k} * fullHeight_ - half;
            lines.push_back(line(left - half, y, right - half + thickness, y + thickness));
        }
        for (int column = 0; column <= columns; ++column) {
            const std::int64_t x =
                (column == 0 ? right : right - c_.TextWidth(std::string(static_cast<std::size_t>(column), '0'))) - half;
            lines.push_back(line(x, top - half, x + thickness, bottom - half + thickness));
        }
        const TBrush brush = c_.Brush;
        c_.Brush = {TBrushStyle::Solid, GridGrey};
        c_.FillRectangles(lines);
        c_.Brush = brush;
    }

    std::int32_t Row(int k) const {
        // Wraps like the 32-bit machine arithmetic the page is laid out in, never traps.
        return static_cast<std::int32_t>(static_cast<std::int64_t>(y_) + static_cast<std::int64_t>(k) * fullHeight_);
    }

    // Right-aligns one number text to the figure's columns; a point is drawn small, squeezed
    // in between two digits, so that it takes no column of its own.
    void DrawNumberText(const std::string& text, int row, std::int32_t shift, bool multiplierRow,
                        bool pointStruck = false) {
        const std::int32_t y = Row(row);
        const auto point = text.find('.');
        if (point == std::string::npos) {
            c_.TextOut(rightEdge_ - c_.TextWidth(text) - c_.TextWidth("."), y, text);
            return;
        }
        const std::string intPart = text.substr(0, point);
        const std::string fracPart = text.substr(point + 1);
        const std::int32_t intWidth = c_.TextWidth(intPart);
        const std::int32_t left = rightEdge_ - c_.TextWidth(text) - shift;
        c_.TextOut(left, y, intPart);
        if (multiplierRow) c_.Font.Style = TFontStyle::Empty;
        c_.Font.Height = (c_.Font.Height / 3) * 2;
        c_.TextOut(left + intWidth - pointShiftX_, y + pointShiftY_, ".");
        if (pointStruck) {
            // A short slash across the dot, which sits low and left in its small cell: struck
            // like the zeros beside it, yet apart from the slash across the first of them.
            const std::int32_t dotX = left + intWidth - pointShiftX_ + c_.TextWidth(".") / 6;
            const std::int32_t dotY = y + pointShiftY_ + c_.Font.Height * 2 / 3;
            c_.Font.Height = fullHeight_ / 2;
            c_.TextOut(dotX - c_.TextWidth("/") / 2, dotY - c_.Font.Height / 2, "/");
        }
        c_.Font.Height = fullHeight_;
        if (multiplierRow) c_.Font.Style = TFontStyle::Underline;
        c_.TextOut(left + intWidth, y, fracPart);
    }

    TCanvas& c_;
    std::int32_t x_;
    std::int32_t y_;
    std::int32_t rightEdge_ = 0;
    std::int32_t pointShiftX_ = 0;
    std::int32_t pointShiftY_ = 0;
    std::int32_t fullHeight_ = 0;
};

// Draws nothing: every text a figure writes only widens the box of the cells it would cover.
// Widths and heights come from the surface the figure is meant for, so the box is that
// surface's, at whatever font the figure sets. The surface gets its own font back at the end.
class TMeasuringCanvas : public TCanvas {
public:
    explicit TMeasuringCanvas(TCanvas& target) : target_(target), saved_(target.Font) {
        Font = target.Font;
        Brush = target.Brush;
        Pen = target.Pen;
    }
    ~TMeasuringCanvas() override { target_.Font = saved_; }
    TMeasuringCanvas(const TMeasuringCanvas&) = delete;
    TMeasuringCanvas& operator=(const TMeasuringCanvas&) = delete;

    void TextOut(std::int32_t x, std::int32_t y, std::string_view text) override {
        Cover(x, y, static_cast<std::int64_t>(x) + TextWidth(text), static_cast<std::int64_t>(y) + TextHeight(text));
    }
    std::int32_t TextWidth(std::string_view text) override {
        target_.Font = Font;
        return target_.TextWidth(text);
    }
    std::int32_t TextHeight(std::string_view text) override {
        target_.Font = Font;
        return target_.TextHeight(text);
    }
    // The squares under a figure are part of it: the page keeps them clear of everything else.
    void Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override {
        if (x2 > x1 && y2 > y1) Cover(x1, y1, x2, y2);
    }
    void FillRectangles(std::span<const TRect> rects) override {
        for (const TRect& r : rects) Rectangle(r.Left, r.Top, r.Right, r.Bottom);
    }

    const TFigureBox& Box() const { return box_; }

private:
    void Cover(std::int64_t x, std::int64_t y, std::int64_t right, std::int64_t bottom) {
        if (box_.Empty) {
            box_ = {false, x, y, right, bottom};
            return;
        }
        box_.Left = std::min<std::int64_t>(box_.Left, x);
        box_.Top = std::min<std::int64_t>(box_.Top, y);
        box_.Right = std::max(box_.Right, right);
        box_.Bottom = std::max(box_.Bottom, bottom);
    }

    TCanvas& target_;
    TFont saved_;
    TFigureBox box_;
};

}  // namespace

TFigureBox HissanBox(TCanvas& Canvas, std::int32_t X, std::int32_t Y, const TWorkedMultiplication& Worked,
                     const std::string& OperatorText, bool showAnswers, TFigureGrid Grid) {
    TMeasuringCanvas measuring(Canvas);
    Figure(measuring, X, Y).Draw(Worked, OperatorText, showAnswers, Grid);
    return measuring.Box();
}

TFigureBox HissanBox(TCanvas& Canvas, std::int32_t X, std::int32_t Y, const std::string& MultiplicandText,
                     const std::string& MultiplierText, const std::string& OperatorText, bool showAnswers,
                     const TPageStyle& Style) {
    return HissanBox(Canvas, X, Y, WorkMultiplication(MultiplicandText, MultiplierText, Style.Figure), OperatorText,
                     showAnswers, Style.Grid);
}

void Hissan(TCanvas& Canvas, std::int32_t X, std::int32_t Y, const TWorkedMultiplication& Worked,
            const std::string& OperatorText, bool showAnswers, TFigureGrid Grid) {
    Figure(Canvas, X, Y).Draw(Worked, OperatorText, showAnswers, Grid);
}

void Hissan(TCanvas& Canvas, std::int32_t X, std::int32_t Y, const std::string& MultiplicandText,
            const std::string& MultiplierText, const std::string& OperatorText, bool showAnswers,
            const TPageStyle& Style) {
    Hissan(Canvas, X, Y, WorkMultiplication(MultiplicandText, MultiplierText, Style.Figure), OperatorText, showAnswers,
           Style.Grid);
}

std::string ProductText(const std::string& MultiplicandText, const std::string& MultiplierText) {
    return PlainProductText(MultiplicandText, MultiplierText);
}
