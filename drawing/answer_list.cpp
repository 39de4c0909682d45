#include "drawing/answer_list.h"

#include <string>
#include <vector>

#include "core/numtext.h"
#include "drawing/worksheet.h"

namespace {

const char* const GothicFace = "ＭＳ ゴシック";
const char* const MinchoFace = "ＭＳ 明朝";

// In the sheets' base units (a page is 320 wide; on A4 a unit is 0.625 mm). The header is the
// readable sheets' header, at its height; the table takes the rest of the page down to a
// margin as wide as the figures keep.
constexpr double TitleX = 14;
constexpr double HeaderY = 8;
constexpr double HeaderHeight = 8;
constexpr double TableTop = 24;
constexpr double TableBottom = 436;
constexpr double TableLeft = 10;
constexpr double TableRight = 310;
constexpr double NumberColumn = 36;
// Products and sheet numbers in Gothic at 4.7 mm on A4: the digits stand about 3.5 mm high,
// the size of a textbook's; the problem numbers above them smaller, as on the sheets.
constexpr double ProductHeight = 7.5;
constexpr double LabelHeight = 6;
// Clear space between a text and the right edge of its cell, and on its left at the least.
constexpr double CellPadding = 3;
// A rule drawn as a filled bar, thick enough to print at every resolution.
constexpr double RuleWidth = 0.4;

constexpr TColor BandColor = 0xEBEBEB;  // every other sheet, so that the eye keeps to its line
constexpr TColor RuleColor = 0x808080;

struct ListGeometry {
    float scale = 1;
    AnswerListShape shape;
    double lineHeight = 0;   // base units
    double columnWidth = 0;  // base units, a product's cell

    std::int32_t Scaled(double x) const { return ScaledBy(scale, x); }
    // The top of line `i` of the table, its problem numbers' line(s) counted first.
    std::int32_t LineTop(std::int32_t i) const { return Scaled(TableTop + i * lineHeight); }
    // The right edge of product cell `c` (0-based) on a line.
    std::int32_t CellRight(std::int32_t c) const { return Scaled(TableLeft + NumberColumn + (c + 1) * columnWidth); }
    std::int32_t SheetLine(std::int32_t row) const { return shape.LinesPerSheet * (1 + row); }
};

ListGeometry GeometryFor(std::int32_t PageWidth, std::int32_t PageHeight, const AnswerListContent& content) {
    ListGeometry g;
    g.scale = PageScaleFor(PageWidth, PageHeight, content.BaseWidth, content.BaseHeight);
    g.shape = ListShape(content.Page->Problems);
    const std::int32_t lines = g.shape.LinesPerSheet * (1 + g.shape.SheetsPerPage);
    g.lineHeight = (TableBottom - TableTop) / lines;
    g.columnWidth = (TableRight - TableLeft - NumberColumn) / g.shape.ProductsPerLine;
    return g;
}

// The largest height up to `designed` at which every one of `texts` is at most `width` wide.
// Widths only grow with the height: halving finds it.
std::int32_t FittingHeight(TCanvas& Canvas, const std::vector<std::string>& texts, std::int32_t width,
                           std::int32_t designed) {
    auto fitsAt = [&](std::int32_t height) {
        Canvas.Font.Height = height;
        for (const std::string& text : texts) {
            if (Canvas.TextWidth(text) > width) return false;
        }
        return true;
    };
    std::int32_t chosen = designed;
    if (!fitsAt(designed)) {
        std::int32_t fits = 0, fails = designed;
        while (fails - fits > 1) {
            const std::int32_t mid = fits + (fails - fits) / 2;
            (fitsAt(mid) ? fits : fails) = mid;
        }
        // A page too small for any digit keeps the designed height rather than specks.
        if (fits >= 1) chosen = fits;
    }
    return chosen;
}

void Rule(TCanvas& Canvas, const ListGeometry& g, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    Canvas.Brush.Style = TBrushStyle::Solid;
    Canvas.Brush.Color = RuleColor;
    Canvas.Pen.Color = RuleColor;
    // Two pixels at the least: a surface draws a rectangle's outline inside it, and one of a
    // single pixel has no inside to draw (an SVG rect of no height is not drawn at all).
    const std::int32_t w = g.Scaled(RuleWidth) > 2 ? g.Scaled(RuleWidth) : 2;
    Canvas.Rectangle(x1, y1, x2 > x1 ? x2 : x1 + w, y2 > y1 ? y2 : y1 + w);
}

// A text right-aligned in a cell ending at `right`, `indent` short of its padding, centred on
// the line.
void CellText(TCanvas& Canvas, const ListGeometry& g, std::int32_t right, std::int32_t line, std::string_view text,
              std::int32_t indent = 0) {
    const std::int32_t top = g.LineTop(line), bottom = g.LineTop(line + 1);
    const std::int32_t y = top + (bottom - top - Canvas.Font.Height) / 2;
    Canvas.TextOut(right - g.Scaled(CellPadding) - indent - Canvas.TextWidth(text), y, text);
}

std::int32_t FractionDigits(const std::string& value) {
    const std::size_t point = value.find('.');
    return point == std::string::npos ? 0 : static_cast<std::int32_t>(value.size() - point - 1);
}

// What a value lacks of the page's longest fraction ("." and zeros), which it stands short
// of the cell's edge by: the points of a column then stand one under the other, as in a
// pupil's column of figures.
std::string MissingFraction(const std::string& value, std::int32_t longest) {
    const std::int32_t digits = FractionDigits(value);
    if (digits >= longest) return {};
    return (digits == 0 ? "." : "") + std::string(static_cast<std::size_t>(longest - digits), '0');
}

std::string Parenthesised(std::int32_t n) {
    std::string text = "(";
    text += FormatInteger(n);
    text += ')';
    return text;
}

void DrawHeader(TCanvas& Canvas, const ListGeometry& g, const AnswerListContent& content) {
    const AnswerListPage& page = *content.Page;
    const std::int32_t y = g.Scaled(HeaderY);
    Canvas.Font.Height = g.Scaled(HeaderHeight);
    Canvas.Font.Name = GothicFace;
    std::int32_t x = g.Scaled(TitleX);
    for (const std::string& word : {std::string("小数のかけ算"), std::string("こたえ一覧")}) {
        Canvas.TextOut(x, y, word);
        x += Canvas.TextWidth(word) + g.Scaled(6);
    }
    Canvas.Font.Name = MinchoFace;
    if (!page.Rows.empty()) {
        std::string numbers = "問題No." + FormatInteger(SheetNumber(content.FirstNumber, page.Rows.front().Sheet));
        if (page.Rows.size() > 1)
            numbers += "～" + FormatInteger(SheetNumber(content.FirstNumber, page.Rows.back().Sheet));
        Canvas.TextOut(x, y, numbers);
    }
    if (page.Pages > 1) {
        Canvas.Font.Height = g.Scaled(LabelHeight);
        const std::string of = FormatInteger(page.Page + 1) + " / " + FormatInteger(page.Pages);
        Canvas.TextOut(g.Scaled(TableRight) - Canvas.TextWidth(of), y + g.Scaled(HeaderHeight - LabelHeight), of);
    }
}

}  // namespace

std::int32_t ListedProducts(const AnswerListRow& row) {
    const auto count = static_cast<std::int32_t>(row.Products.size());
    return ProblemsOnPage(count, ColumnsFor(count));
}

void MakeAnswerList(TCanvas& Canvas, std::int32_t PageWidth, std::int32_t PageHeight,
                    const AnswerListContent& content) {
    if (!content.Page) return;
    const AnswerListPage& page = *content.Page;
    const ListGeometry g = GeometryFor(PageWidth, PageHeight, content);
    const AnswerListShape& shape = g.shape;

    Canvas.Brush.Style = TBrushStyle::Solid;
    Canvas.Brush.Color = clWhite;
    Canvas.Pen.Color = clWhite;
    Canvas.Rectangle(0, 0, g.Scaled(content.BaseWidth - 1.0), g.Scaled(content.BaseHeight - 1.0));

    const std::int32_t rows = static_cast<std::int32_t>(page.Rows.size());
    const std::int32_t left = g.Scaled(TableLeft), right = g.Scaled(TableRight);
    const std::int32_t numbersRight = g.Scaled(TableLeft + NumberColumn);
    for (std::int32_t r = 1; r < rows; r += 2) {
        Canvas.Brush.Style = TBrushStyle::Solid;
        Canvas.Brush.Color = BandColor;
        Canvas.Pen.Color = BandColor;
        Canvas.Rectangle(left, g.LineTop(g.SheetLine(r)), right, g.LineTop(g.SheetLine(r + 1)));
    }
    const std::int32_t tableEnd = g.LineTop(g.SheetLine(rows));
    Rule(Canvas, g, left, g.LineTop(shape.LinesPerSheet), right, 0);
    Rule(Canvas, g, left, tableEnd, right, 0);
    Rule(Canvas, g, numbersRight, g.LineTop(0), 0, tableEnd);
    Canvas.Pen.Color = clBlack;
    Canvas.Brush.Style = TBrushStyle::Clear;

    DrawHeader(Canvas, g, content);

    // The problem numbers over the columns, a line for each line of a sheet's products.
    Canvas.Font.Name = MinchoFace;
    Canvas.Font.Height = g.Scaled(LabelHeight);
    CellText(Canvas, g, numbersRight, 0, "問題No.");
    for (std::int32_t k = 0; k < ProblemsOnPage(page.Problems, ColumnsFor(page.Problems)); ++k)
        CellText(Canvas, g, g.CellRight(k % shape.ProductsPerLine), k / shape.ProductsPerLine, Parenthesised(k + 1));

    std::vector<std::string> numbers, products;
    std::int32_t longestFraction = 0;
    for (const AnswerListRow& row : page.Rows) {
        numbers.push_back(FormatInteger(SheetNumber(content.FirstNumber, row.Sheet)));
        for (std::int32_t k = 0; k < ListedProducts(row); ++k) {
            const std::int32_t digits = FractionDigits(row.Products[k]);
            if (digits > longestFraction) longestFraction = digits;
        }
    }
    // Measured with the space the points' alignment adds.
    for (const AnswerListRow& row : page.Rows) {
        for (std::int32_t k = 0; k < ListedProducts(row); ++k)
            products.push_back(row.Products[k] + MissingFraction(row.Products[k], longestFraction));
    }
    // Every cell of the page at one height: the largest that keeps the widest clear of its
    // neighbours, so that a run of long products still reads as a table.
    Canvas.Font.Name = GothicFace;
    const std::int32_t padding = 2 * g.Scaled(CellPadding);
    const std::int32_t numberHeight =
        FittingHeight(Canvas, numbers, numbersRight - left - padding, g.Scaled(ProductHeight));
    const std::int32_t productHeight =
        FittingHeight(Canvas, products, g.CellRight(0) - numbersRight - padding, g.Scaled(ProductHeight));

    for (std::int32_t r = 0; r < rows; ++r) {
        const AnswerListRow& row = page.Rows[r];
        const std::int32_t first = g.SheetLine(r);
        Canvas.Font.Height = numberHeight;
        CellText(Canvas, g, numbersRight, first, numbers[r]);
        Canvas.Font.Height = productHeight;
        for (std::int32_t k = 0; k < ListedProducts(row); ++k) {
            const std::string& product = row.Products[k];
            CellText(Canvas, g, g.CellRight(k % shape.ProductsPerLine), first + k / shape.ProductsPerLine, product,
                     Canvas.TextWidth(MissingFraction(product, longestFraction)));
        }
    }
}
