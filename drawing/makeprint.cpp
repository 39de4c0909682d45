#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/numtext.h"
#include "core/worked_multiplication.h"
#include "drawing/worksheet.h"

namespace {

// The largest height below `fails` for which fitsAt holds, or `fits` when none above it does (0:
// none at all). A smaller font never makes text wider or taller, so the heights that fit form one
// range from 1 upwards and halving finds its top.
template <typename Fits>
std::int32_t LargestFitting(std::int32_t fails, const Fits& fitsAt, std::int32_t fits = 0) {
    while (fails - fits > 1) {
        const std::int32_t mid = fits + (fails - fits) / 2;
        if (fitsAt(mid))
            fits = mid;
        else
            fails = mid;
    }
    return fits;
}

const char* const GothicFace = "ＭＳ ゴシック";
const char* const MinchoFace = "ＭＳ 明朝";

// Device-pixel sums and products wrap like 32-bit machine integers rather than trap.
std::int32_t Add32(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
std::int32_t Sub32(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
std::int32_t Mul32(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}
std::int32_t Div32(std::int32_t a, std::int32_t b) {
    if (b == -1) return Sub32(0, a);  // INT_MIN / -1 wraps instead of trapping
    return a / b;
}

}  // namespace

std::int32_t ProblemsOnPage(std::int32_t ProblemCount, std::int32_t Columns) {
    if (Columns <= 0) return 0;
    // The store holds no more than its capacity; rows past it do not exist.
    const std::int32_t rows = ProblemCount / Columns;
    return rows <= 0 ? 0 : Columns * (rows < ProblemCapacity / Columns ? rows : ProblemCapacity / Columns);
}

namespace {

// How tall a run's figures may grow where their cells leave room, in base units. On A4 a base
// unit is about 0.63 mm: 22 draws digits about 14 mm tall in columns about 7 mm wide, the
// squares of the arithmetic notebooks pupils write column multiplication in, so that a pupil can
// copy the figure's columns and write the working below without cramping. Larger would only make
// a long figure (5 digits by 5) crowd its cell for nothing a pupil gains.
constexpr double LargestGrownFigure = 22;

}  // namespace

std::int32_t ColumnsFor(std::int32_t ProblemCount) { return ProblemCount > 0 && ProblemCount <= 10 ? 2 : 4; }

void SetSheetLayout(PageContent& content, std::int32_t ProblemCount) {
    content.Columns = ColumnsFor(ProblemCount);
    // Three and four rows step as the window's (12 and 16 print as they always have, and two to
    // a row keep at least their rows' height); five rows so stepped would leave the last one
    // about 58 units, too short for a worked figure at any sensible size.
    content.EvenRows = content.Columns > 0 && ProblemCount / content.Columns >= 5;
    content.LargestFigure = content.Columns < 4 ? LargestGrownFigure : 14;
}

float PageScaleFor(std::int32_t PageWidth, std::int32_t PageHeight, std::int32_t BaseWidth, std::int32_t BaseHeight) {
    if (PageWidth <= 0 || BaseWidth <= 0 || BaseHeight <= 0) return 1.0f;
    const double byWidth = static_cast<double>(PageWidth) / BaseWidth;
    const double byHeight = static_cast<double>(PageHeight) / BaseHeight;
    // The factor is kept at single precision on purpose: every position on the page is
    // derived from that stored value, so the rounding of a printed page follows from it.
    return static_cast<float>(byHeight < byWidth ? byHeight : byWidth);
}

std::int32_t ScaledBy(float PageScale, double x) {
    const double v = static_cast<double>(PageScale) * x;
    double r = std::floor(v);
    const double frac = v - r;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(r, 2.0) != 0.0)) r += 1.0;
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    if (!(r >= lo)) return std::numeric_limits<std::int32_t>::min();
    if (r > hi) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(r);
}

namespace {

// Problem numbers: their font height and the band above a row's figures they stand in, with
// room to spare below them, in base units; and how far left of the figure's X they begin.
constexpr double NumberHeight = 7;
constexpr double NumberBand = 9;
constexpr double NumberIndent = 20;

// Where the figures of a page stand; the same for every figure height.
struct FigureGrid {
    std::int32_t firstX = 0;
    std::int32_t firstY = 0;
    std::int32_t columnStep = 0;
    std::int32_t rowStep = 0;
    std::int32_t rowCount = 0;
    std::int32_t columns = 4;
    // Kept clear above each row's figures for its problem numbers: the row above must end
    // before it.
    std::int32_t numberBand = 0;

    std::int32_t X(std::int32_t j) const { return Add32(firstX, Mul32(j - 1, columnStep)); }
    std::int32_t Y(std::int32_t i) const { return Add32(firstY, Mul32(i - 1, rowStep)); }
};

FigureGrid GridFor(float pageScale, std::int32_t PageWidth, std::int32_t PageHeight, const PageContent& content) {
    auto Scaled = [pageScale](double x) { return ScaledBy(pageScale, x); };
    FigureGrid grid;
    grid.firstX = Scaled(24);
    grid.firstY = Scaled(70);
    grid.columns = content.Columns > 0 ? content.Columns : 4;
    grid.columnStep = Div32(Sub32(PageWidth, Scaled(15)), grid.columns);
    if (content.Style.ProblemNumbers) grid.numberBand = Scaled(NumberBand);
    const std::int32_t rowCount =
        content.Problems ? ProblemsOnPage(content.ProblemCount, grid.columns) / grid.columns : 0;
    if (rowCount <= 0) return grid;
    grid.rowCount = rowCount;
    // The window's rows step as if the page went on 20 units below its bottom, which leaves its
    // last row the shortest; even rows share the height below the header alike.
    grid.rowStep = Div32(Sub32(PageHeight, Scaled(content.EvenRows ? 70 : 50)), rowCount);
    return grid;
}

// The working of each figure on a page, worked out the first time the page measures or draws
// the figure and then kept: the fit search measures every figure at each height it probes. A
// figure whose texts are no number raises when it is first reached, as drawing it would.
class PageFigures {
public:
    explicit PageFigures(const PageContent& content)
        : content_(content),
          worked_(static_cast<std::size_t>(
              ProblemsOnPage(content.ProblemCount, content.Columns > 0 ? content.Columns : 4))) {}

    const TWorkedMultiplication& At(int k) {
        auto& worked = worked_.at(static_cast<std::size_t>(k - 1));
        if (!worked) {
            const Problem& p = (*content_.Problems)[k];
            worked = WorkMultiplication(p.MultiplicandText, p.MultiplierText, content_.Style.Figure);
        }
        return *worked;
    }

private:
    const PageContent& content_;
    std::vector<std::optional<TWorkedMultiplication>> worked_;
};

// Whether every figure, drawn at the canvas's current font (worked out with `answers`), stays
// inside the page's printable area, above the row below it and clear of the figure to its left.
bool FiguresFit(TCanvas& Canvas, const FigureGrid& grid, std::int32_t PageWidth, std::int32_t PageHeight, bool answers,
                TFigureGrid squares, PageFigures& figures) {
    for (std::int32_t i = 1; i <= grid.rowCount; ++i) {
        const std::int64_t bottomLimit =
            i < grid.rowCount ? static_cast<std::int64_t>(grid.Y(i)) + grid.rowStep - grid.numberBand : PageHeight;
        std::int64_t leftNeighbourRight = 0;
        for (std::int32_t j = 1; j <= grid.columns; ++j) {
            const TFigureBox box =
                HissanBox(Canvas, grid.X(j), grid.Y(i), figures.At((i - 1) * grid.columns + j), "×", answers, squares);
            if (box.Empty) continue;
            if (box.Left < leftNeighbourRight || box.Right > PageWidth || box.Bottom > bottomLimit) return false;
            leftNeighbourRight = box.Right;
        }
    }
    return true;
}

std::int32_t FittedFigureHeight(TCanvas& Canvas, const FigureGrid& grid, std::int32_t PageWidth,
                                std::int32_t PageHeight, const PageContent& content, PageFigures& figures,
                                std::int32_t designed, std::int32_t largest) {
    if (grid.rowCount <= 0 || designed <= 1) return designed;
    const std::int32_t saved = Canvas.Font.Height;
    auto fitsAt = [&](std::int32_t height) {
        Canvas.Font.Height = height;
        return FiguresFit(Canvas, grid, PageWidth, PageHeight, content.ShowAnswers, content.Style.Grid, figures);
    };
    // Growing is judged on the worked figures even on a problem sheet: the pupil writes the
    // working into the cell, and the answer sheet then shows the figures at the same size.
    auto workedFitsAt = [&](std::int32_t height) {
        Canvas.Font.Height = height;
        return FiguresFit(Canvas, grid, PageWidth, PageHeight, true, content.Style.Grid, figures);
    };
    std::int32_t chosen = designed;
    if (largest > designed && workedFitsAt(designed)) {
        chosen = LargestFitting(Add32(largest, 1), workedFitsAt, designed);
    } else if (!fitsAt(designed)) {
        const std::int32_t fits = LargestFitting(designed, fitsAt);
        // A page too small for any figure keeps the designed height rather than specks.
        if (fits >= 1) chosen = fits;
    }
    Canvas.Font.Height = saved;
    return chosen;
}

// The header a class reads from across the room: title and sheet number twice the plain size
// (5 mm on A4), "こたえ" after them on an answer sheet, and 名前 before the name box. The header
// line ends above the name box's line, so nothing on it can meet the box.
void DrawReadableHeader(TCanvas& Canvas, float pageScale, const PageContent& content) {
    auto Scaled = [pageScale](double x) { return ScaledBy(pageScale, x); };
    const std::int32_t y = Scaled(8);
    Canvas.Font.Height = Scaled(8);
    Canvas.Font.Name = GothicFace;
    const std::string title = "小数のかけ算";
    Canvas.TextOut(Scaled(14), y, title);
    std::int32_t x = Add32(Add32(Scaled(14), Canvas.TextWidth(title)), Scaled(6));

    Canvas.Font.Name = MinchoFace;
    const std::string number = "問題No." + FormatInteger(content.PrintNumber);
    Canvas.TextOut(x, y, number);
    x = Add32(Add32(x, Canvas.TextWidth(number)), Scaled(6));

    if (content.ShowAnswers) {
        Canvas.Font.Name = GothicFace;
        Canvas.TextOut(x, y, "こたえ");
    }

    // Date and score at the right of the same line: the title, the longest sheet number and
    // こたえ end before the date begins.
    if (content.Style.Header == THeader::NameDateScore) {
        Canvas.Font.Name = MinchoFace;
        const std::string date = "　　月　　日";
        Canvas.TextOut(Sub32(Scaled(270), Canvas.TextWidth(date)), y, date);
        Canvas.Rectangle(Scaled(276), Scaled(5), Scaled(306), Scaled(19));
        Canvas.TextOut(Scaled(307), y, "点");
    }

    Canvas.Font.Name = MinchoFace;
    Canvas.Font.Height = Scaled(10);
    const std::string name = "名前";
    Canvas.TextOut(Sub32(Sub32(Scaled(140), Canvas.TextWidth(name)), Scaled(2)), Scaled(22), name);
}

// Where the first line of a sentence ends: the most whole characters from the start that fit
// `width` at the canvas's font, but never leaving a closing mark (。、」）) to begin the next line.
std::size_t FirstLineEnd(TCanvas& Canvas, std::string_view text, std::int32_t width) {
    std::vector<std::size_t> ends;  // byte offsets after each character
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i + 1 == text.size() || (static_cast<unsigned char>(text[i + 1]) & 0xC0u) != 0x80u) ends.push_back(i + 1);
    }
    // Widths only grow with more characters: halve the range.
    std::size_t fits = 0, fails = ends.size() + 1;  // counts of characters
    while (fails - fits > 1) {
        const std::size_t mid = fits + (fails - fits) / 2;
        if (Canvas.TextWidth(text.substr(0, ends[mid - 1])) <= width)
            fits = mid;
        else
            fails = mid;
    }
    if (fits == 0) return 0;
    std::size_t end = ends[fits - 1];
    for (const std::string_view closing : {"。", "、", "」", "）"}) {
        if (fits > 1 && end < text.size() && text.substr(end).rfind(closing, 0) == 0) end = ends[fits - 2];
    }
    return end;
}

// A sentence that fits is drawn as on the plain page. A longer one is broken at a character
// (Japanese has no spaces to break at) onto a second line, which stays above the figures'
// band; if two lines at the designed height are not enough, both get the largest height at
// which they are.
void DrawWrappedSentence(TCanvas& Canvas, float pageScale, std::int32_t PageWidth, std::string_view sentence) {
    auto Scaled = [pageScale](double x) { return ScaledBy(pageScale, x); };
    const std::int32_t x = Scaled(14), y = Scaled(40);
    const std::int32_t width = Sub32(PageWidth, x);
    const std::int32_t designed = Canvas.Font.Height;
    if (Canvas.TextWidth(sentence) <= width) {
        Canvas.TextOut(x, y, sentence);
        return;
    }
    auto fitsAt = [&](std::int32_t height) {
        Canvas.Font.Height = height;
        const std::size_t end = FirstLineEnd(Canvas, sentence, width);
        return end > 0 && Canvas.TextWidth(sentence.substr(end)) <= width;
    };
    std::int32_t height = designed;
    if (!fitsAt(designed)) {
        const std::int32_t fits = LargestFitting(designed, fitsAt);
        height = fits >= 1 ? fits : 1;
    }
    Canvas.Font.Height = height;
    const std::size_t end = FirstLineEnd(Canvas, sentence, width);
    Canvas.TextOut(x, y, sentence.substr(0, end));
    Canvas.TextOut(x, Add32(y, height), sentence.substr(end));
}

}  // namespace

std::int32_t FigureHeight(TCanvas& Canvas, std::int32_t PageWidth, std::int32_t PageHeight,
                          const PageContent& content) {
    const float pageScale = PageScaleFor(PageWidth, PageHeight, content.BaseWidth, content.BaseHeight);
    const std::int32_t designed = ScaledBy(pageScale, 14);
    const TFont saved = Canvas.Font;
    Canvas.Font.Name = MinchoFace;
    PageFigures figures(content);
    const std::int32_t height =
        FittedFigureHeight(Canvas, GridFor(pageScale, PageWidth, PageHeight, content), PageWidth, PageHeight, content,
                           figures, designed, ScaledBy(pageScale, content.LargestFigure));
    Canvas.Font = saved;
    return height;
}

void MakePrint(TCanvas& Canvas, std::int32_t PageWidth, std::int32_t PageHeight, const PageContent& content) {
    const float pageScale = PageScaleFor(PageWidth, PageHeight, content.BaseWidth, content.BaseHeight);
    auto Scaled = [pageScale](double x) { return ScaledBy(pageScale, x); };

    Canvas.Brush.Style = TBrushStyle::Solid;
    Canvas.Brush.Color = clWhite;
    Canvas.Pen.Color = clWhite;
    Canvas.Rectangle(0, 0, Scaled(content.BaseWidth - 1.0), Scaled(content.BaseHeight - 1.0));
    Canvas.Pen.Color = clBlack;
    Canvas.Brush.Style = TBrushStyle::Clear;

    if (content.Style.Header == THeader::Plain) {
        Canvas.Font.Name = GothicFace;
        Canvas.Font.Height = Scaled(6);
        Canvas.TextOut(Scaled(14), Scaled(10), "小数のかけ算");

        Canvas.Font.Name = MinchoFace;
        Canvas.Font.Height = Scaled(6);
        Canvas.TextOut(Scaled(64), Scaled(10), "問題No." + FormatInteger(content.PrintNumber));
    } else {
        DrawReadableHeader(Canvas, pageScale, content);
    }

    Canvas.Font.Name = MinchoFace;
    Canvas.Font.Height = Scaled(14);
    Canvas.TextOut(Scaled(140), Scaled(20), "（　　　　　　　　　　　）");

    Canvas.Font.Height = Scaled(10);
    if (content.Style.WrapSentence) {
        DrawWrappedSentence(Canvas, pageScale, PageWidth, content.Sentence);
        Canvas.Font.Height = Scaled(10);
    } else {
        Canvas.TextOut(Scaled(14), Scaled(40), content.Sentence);
    }

    const std::int32_t designed = Scaled(14);
    Canvas.Font.Height = designed;
    const FigureGrid grid = GridFor(pageScale, PageWidth, PageHeight, content);
    if (grid.rowCount <= 0) return;

    // A worked figure grows by a row per multiplier digit and reaches further left: where the
    // designed height would run a figure into the row below, off the paper or into its
    // neighbour, the whole page's figures get the largest height that keeps every one clear.
    // The figures keep their places; only their size changes.
    PageFigures figures(content);
    Canvas.Font.Height = FittedFigureHeight(Canvas, grid, PageWidth, PageHeight, content, figures, designed,
                                            Scaled(content.LargestFigure));

    if (content.Style.ProblemNumbers) {
        const std::int32_t figureHeight = Canvas.Font.Height;
        Canvas.Font.Height = Scaled(NumberHeight);
        for (std::int32_t i = 1; i <= grid.rowCount; ++i) {
            for (std::int32_t j = 1; j <= grid.columns; ++j) {
                // Built by appending: GCC 12 at -O3 warns (-Wrestrict) on "(" + text + ")".
                std::string number = "(";
                number += FormatInteger((i - 1) * grid.columns + j);
                number += ')';
                Canvas.TextOut(Sub32(grid.X(j), Scaled(NumberIndent)), Sub32(grid.Y(i), grid.numberBand), number);
            }
        }
        Canvas.Font.Height = figureHeight;
    }

    for (std::int32_t i = 1; i <= grid.rowCount; ++i) {
        for (std::int32_t j = 1; j <= grid.columns; ++j)
            Hissan(Canvas, grid.X(j), grid.Y(i), figures.At((i - 1) * grid.columns + j), "×", content.ShowAnswers,
                   content.Style.Grid);
    }
    Canvas.Font.Height = designed;
}
