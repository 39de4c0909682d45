#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/numtext.h"
#include "drawing/worksheet.h"

namespace {

std::string DigitsOf(const std::string& text) {
    std::string digits = text;
    const auto point = digits.find('.');
    if (point != std::string::npos) digits.erase(point, 1);
    return FormatInteger(ParseInteger(digits));
}

int FractionDigits(const std::string& text) {
    const auto point = text.find('.');
    return point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
}

// Both digit strings have at most five digits, so their product fits 64 bits even where it
// does not fit 32.
int TrailingZerosOf(const std::string& a, const std::string& b) {
    std::uint64_t product = static_cast<std::uint64_t>(static_cast<std::uint32_t>(ParseInteger(a))) *
                            static_cast<std::uint32_t>(ParseInteger(b));
    if (product == 0) return 0;
    int zeros = 0;
    while (product % 10 == 0) {
        product /= 10;
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

// Every digit the column multiplication gives, with the zeros a pupil writes before them when
// the product has fewer digits than places after the point ("030" for 0.5 x 0.6).
std::string WorkedDigits(const std::string& a, const std::string& b, int fractionDigits) {
    const std::uint64_t product = static_cast<std::uint64_t>(static_cast<std::uint32_t>(ParseInteger(a))) *
                                  static_cast<std::uint32_t>(ParseInteger(b));
    std::string digits = std::to_string(product);
    const auto needed = static_cast<std::size_t>(fractionDigits) + 1;
    if (digits.size() < needed) digits.insert(0, needed - digits.size(), '0');
    return digits;
}

// Number of characters of a UTF-8 text (the operator is one multi-byte character).
int CharCount(const std::string& text) {
    int n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0u) != 0x80u) ++n;
    return n;
}

class Figure {
public:
    Figure(TCanvas& canvas, std::int32_t x, std::int32_t y, const TPageStyle& style)
        : c_(canvas), x_(x), y_(y), style_(style) {}

    void Draw(const std::string& multiplicandText, const std::string& multiplierText, const std::string& operatorText,
              bool showAnswers) {
        // Preparation: every conversion happens here, so a bad text draws nothing at all.
        const std::string multiplicandDigits = DigitsOf(multiplicandText);
        const std::string multiplierDigits = DigitsOf(multiplierText);
        const int digitCount = static_cast<int>(multiplierDigits.size());
        const int trailingZeros = TrailingZerosOf(multiplicandDigits, multiplierDigits);
        const std::string productText = ProductText(multiplicandText, multiplierText);
        const int lenA = static_cast<int>(multiplicandText.size());
        const int lenB = static_cast<int>(multiplierText.size());
        const int pad = lenA > lenB ? lenA - lenB : 0;
        const std::string multiplierLine =
            operatorText + std::string(static_cast<std::size_t>(pad), ' ') + multiplierText;

        rightEdge_ = x_ + c_.TextWidth(multiplierLine);
        pointShiftX_ = c_.TextWidth(".") / 5;
        pointShiftY_ = c_.TextHeight(".") / 3;
        fullHeight_ = c_.Font.Height;

        // A whole-number product of operands with fraction digits: its ones digit goes into
        // the ones column of the worked product, as if the zeros after the point were crossed
        // out. A zero product stays in column 0, as a whole-number product does.
        const int fractionDigits = FractionDigits(multiplicandText) + FractionDigits(multiplierText);
        const bool productHasPoint = productText.find('.') != std::string::npos;
        const int wholeShiftColumns =
            (!productHasPoint && trailingZeros > 0 && fractionDigits > 0) ? fractionDigits : 0;

        // The problem rows.
        DrawNumberText(multiplicandText, 0, 0, false);
        c_.Font.Style = TFontStyle::Underline;
        DrawNumberText(multiplierLine, 1, 0, true);
        c_.Font.Style = TFontStyle::Empty;
        if (!showAnswers) return;

        const int n = digitCount;
        const std::int32_t a = ParseInteger(multiplicandDigits);
        // The places of the multiplier's digits that get a partial-product row, ones first.
        // Without rows of zeros a 0 digit's place is skipped: the next row is shifted past it
        // and the 0 stands only in the product. A single row left would only repeat the
        // product, so the product goes straight under the factors' rule, as for one digit.
        std::vector<int> places;
        for (int r = 0; r < n; ++r) {
            if (style_.ZeroRows || multiplierDigits[static_cast<std::size_t>(n - 1 - r)] != '0') places.push_back(r);
        }
        if (places.size() < 2) places.clear();
        const int rowCount = static_cast<int>(places.size());
        for (int i = 0; i + 1 < rowCount; ++i) {
            const int r = places[static_cast<std::size_t>(i)];
            const std::int32_t digit = ParseInteger(multiplierDigits.substr(static_cast<std::size_t>(n - 1 - r), 1));
            const std::string partial = FormatInteger(a * digit) + std::string(static_cast<std::size_t>(r + 1), ' ');
            c_.TextOut(rightEdge_ - c_.TextWidth(partial), Row(i + 2), partial);
        }

        // Struck zeros: the product keeps every digit the multiplication gives, so it stands
        // unshifted, and the zeros after the point are struck where the plain style drops them.
        // A product whose fraction digits are all struck is whole: its point is not drawn, as
        // it would mark off nothing but struck zeros.
        const int struck = style_.StruckZeros ? std::min(trailingZeros, fractionDigits) : 0;
        std::string shownProduct = productText;
        if (struck > 0) {
            shownProduct = WorkedDigits(multiplicandDigits, multiplierDigits, fractionDigits);
            if (struck < fractionDigits)
                shownProduct.insert(shownProduct.size() - static_cast<std::size_t>(fractionDigits), 1, '.');
        }
        const bool shownHasPoint = shownProduct.find('.') != std::string::npos;
        const int shiftColumns = struck > 0 ? 0 : wholeShiftColumns;

        std::string lastPartial = FormatInteger(a * ParseInteger(multiplierDigits.substr(0, 1))) +
                                  std::string(static_cast<std::size_t>(n - 1), ' ');
        // The rule above the product reaches at least as far left as the product itself.
        const int productColumns = CharCount(shownProduct) + shiftColumns;
        if (static_cast<int>(lastPartial.size()) < productColumns)
            lastPartial.insert(0, static_cast<std::size_t>(productColumns) - lastPartial.size(), ' ');

        const std::int32_t space = c_.TextWidth(" ");
        const std::int32_t answerShift = struck > 0 ? 0 : space * trailingZeros;
        int productRow = 2;
        if (rowCount >= 2) {
            c_.Font.Style = TFontStyle::Underline;
            c_.TextOut(rightEdge_ - c_.TextWidth(lastPartial) - space, Row(rowCount + 1), lastPartial);
            c_.Font.Style = TFontStyle::Empty;
            productRow = rowCount + 2;
        }
        if (shownHasPoint) {
            DrawNumberText(shownProduct, productRow, answerShift, false);
        } else {
            c_.TextOut(rightEdge_ - c_.TextWidth(shownProduct) - c_.TextWidth(".") - space * shiftColumns,
                       Row(productRow), shownProduct);
        }
        // One short slash across each struck zero, in the zero's own cell.
        const std::int32_t onesRight = rightEdge_ - c_.TextWidth(".");
        for (int k = 1; k <= struck; ++k)
            c_.TextOut(onesRight - c_.TextWidth(std::string(static_cast<std::size_t>(k), '0')), Row(productRow), "/");
    }

private:
    std::int32_t Row(int k) const {
        // Wraps like the 32-bit machine arithmetic the page is laid out in, never traps.
        return static_cast<std::int32_t>(static_cast<std::int64_t>(y_) + static_cast<std::int64_t>(k) * fullHeight_);
    }

    // Right-aligns one number text to the figure's columns; a point is drawn small, squeezed
    // in between two digits, so that it takes no column of its own.
    void DrawNumberText(const std::string& text, int row, std::int32_t shift, bool multiplierRow) {
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
        c_.Font.Height = fullHeight_;
        if (multiplierRow) c_.Font.Style = TFontStyle::Underline;
        c_.TextOut(left + intWidth, y, fracPart);
    }

    TCanvas& c_;
    std::int32_t x_;
    std::int32_t y_;
    TPageStyle style_;
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
        const std::int64_t right = static_cast<std::int64_t>(x) + TextWidth(text);
        const std::int64_t bottom = static_cast<std::int64_t>(y) + TextHeight(text);
        if (box_.Empty) {
            box_ = {false, x, y, right, bottom};
            return;
        }
        box_.Left = std::min<std::int64_t>(box_.Left, x);
        box_.Top = std::min<std::int64_t>(box_.Top, y);
        box_.Right = std::max(box_.Right, right);
        box_.Bottom = std::max(box_.Bottom, bottom);
    }
    std::int32_t TextWidth(std::string_view text) override {
        target_.Font = Font;
        return target_.TextWidth(text);
    }
    std::int32_t TextHeight(std::string_view text) override {
        target_.Font = Font;
        return target_.TextHeight(text);
    }
    void Rectangle(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}

    const TFigureBox& Box() const { return box_; }

private:
    TCanvas& target_;
    TFont saved_;
    TFigureBox box_;
};

}  // namespace

TFigureBox HissanBox(TCanvas& Canvas, std::int32_t X, std::int32_t Y, const std::string& MultiplicandText,
                     const std::string& MultiplierText, const std::string& OperatorText, bool showAnswers,
                     const TPageStyle& Style) {
    TMeasuringCanvas measuring(Canvas);
    Figure(measuring, X, Y, Style).Draw(MultiplicandText, MultiplierText, OperatorText, showAnswers);
    return measuring.Box();
}

void Hissan(TCanvas& Canvas, std::int32_t X, std::int32_t Y, const std::string& MultiplicandText,
            const std::string& MultiplierText, const std::string& OperatorText, bool showAnswers,
            const TPageStyle& Style) {
    Figure(Canvas, X, Y, Style).Draw(MultiplicandText, MultiplierText, OperatorText, showAnswers);
}

std::string ProductText(const std::string& MultiplicandText, const std::string& MultiplierText) {
    return PlainDecimal(FormatDecimal(MultiplyExact(ParseDecimal(MultiplicandText), ParseDecimal(MultiplierText))));
}
