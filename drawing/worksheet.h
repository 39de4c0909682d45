#pragma once
// One column-multiplication figure (Hissan) and one whole worksheet page (MakePrint),
// drawn on any TCanvas at any scale.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/problem.h"
#include "core/worked_multiplication.h"
#include "drawing/canvas.h"
#include "drawing/page_style.h"

// Draws one figure. The caller has set a fixed-pitch face, a positive Height, no underline
// and a clear brush; the figure leaves Height as found and Style empty.
// With showAnswers the partial products, the rule and the product are worked out below, as
// Style writes them. Style's grid is drawn first, beneath the digits, answers shown or not.
void Hissan(TCanvas& Canvas, std::int32_t X, std::int32_t Y, const std::string& MultiplicandText,
            const std::string& MultiplierText, const std::string& OperatorText, bool showAnswers,
            const TPageStyle& Style = TPageStyle::Plain());

// The same figure drawn from its working, worked out once for every drawing and measuring.
void Hissan(TCanvas& Canvas, std::int32_t X, std::int32_t Y, const TWorkedMultiplication& Worked,
            const std::string& OperatorText, bool showAnswers, TFigureGrid Grid = TFigureGrid::None);

// The product as the figure writes it under the rule, point included ("22.714", "0.000001").
// Raises EConvertError for a text that is no number.
std::string ProductText(const std::string& MultiplicandText, const std::string& MultiplierText);

// The cells a figure's texts cover, in the surface's pixels: [Left, Right) x [Top, Bottom).
// Wider than 32 bits so that a box near the end of the coordinate range stays ordered.
struct TFigureBox {
    bool Empty = true;
    std::int64_t Left = 0;
    std::int64_t Top = 0;
    std::int64_t Right = 0;
    std::int64_t Bottom = 0;

    bool operator==(const TFigureBox&) const = default;
};

// Where Hissan with the same arguments would draw, its grid included, measured with Canvas's
// own metrics at its current font. Draws nothing; Canvas's font is as it was afterwards.
TFigureBox HissanBox(TCanvas& Canvas, std::int32_t X, std::int32_t Y, const std::string& MultiplicandText,
                     const std::string& MultiplierText, const std::string& OperatorText, bool showAnswers,
                     const TPageStyle& Style = TPageStyle::Plain());
TFigureBox HissanBox(TCanvas& Canvas, std::int32_t X, std::int32_t Y, const TWorkedMultiplication& Worked,
                     const std::string& OperatorText, bool showAnswers, TFigureGrid Grid = TFigureGrid::None);

// The name every document of sheets carries, whoever makes it: the print job's name and the
// PDF's title.
inline constexpr const char* DocumentName = "Tavreloかけ算小数編";

// What a page drawing reads, taken by the caller at the moment of drawing.
struct PageContent {
    std::string_view Sentence;     // the instruction sentence as the window holds it now
    std::int32_t PrintNumber = 0;  // the sheet number printed in the header
    const ProblemSet* Problems = nullptr;
    std::int32_t ProblemCount = 0;
    bool ShowAnswers = false;
    std::int32_t BaseWidth = 320;  // the preview area's size: the page is designed on it
    std::int32_t BaseHeight = 441;
    TPageStyle Style;  // the window's pages keep the plain one
    // How a run's sheet lays its problems out (SetSheetLayout); the window's pages keep these.
    std::int32_t Columns = 4;  // problems in a row
    // Every row as tall as the others, the last one down to the printable area's bottom; else
    // the rows step as the window's page always stepped them.
    bool EvenRows = false;
    // The figures' height may grow past the designed 14 base units up to this, as far as every
    // worked figure still fits its cell.
    double LargestFigure = 14;
};

// The problems a run's sheet can hold, and how many of them stand in a row.
inline constexpr std::int32_t SheetProblemCounts[] = {6, 8, 10, 12, 16, 20};
std::int32_t ColumnsFor(std::int32_t ProblemCount);

// Lays a run's sheet of `ProblemCount` problems out: rows of two for 6, 8 and 10, with figures
// grown to fill the wider cells; 12 and 16 as the window's page; 10 and 20 in five even rows.
void SetSheetLayout(PageContent& content, std::int32_t ProblemCount);

// The page's scale factor: the smaller of the two quotients page / base, held at single
// precision; 1 for a page width of 0 or less.
float PageScaleFor(std::int32_t PageWidth, std::int32_t PageHeight, std::int32_t BaseWidth, std::int32_t BaseHeight);
// PageScale times x (whole base units) rounded to the nearest device pixel, halves to even.
std::int32_t ScaledBy(float PageScale, double x);

// The font height the page's figures are drawn at: Scaled(14), or, on a page whose worked
// figures would not fit at that height, the largest height at which every figure stays above
// the row below it, inside the printable area and clear of its left neighbour. A page whose
// LargestFigure is larger draws them up to Scaled(LargestFigure), as far as the worked figures
// fit, on its problem sheet as on its answer sheet. Measured with
// Canvas's own metrics; draws nothing and leaves Canvas's font as it was.
std::int32_t FigureHeight(TCanvas& Canvas, std::int32_t PageWidth, std::int32_t PageHeight, const PageContent& content);

// How many problems of a set of `ProblemCount` a page shows: its complete rows of `Columns`
// (the window's four), from the first problem on. The problems of an incomplete last row are
// not on the page.
std::int32_t ProblemsOnPage(std::int32_t ProblemCount, std::int32_t Columns = 4);

void MakePrint(TCanvas& Canvas, std::int32_t PageWidth, std::int32_t PageHeight, const PageContent& content);
