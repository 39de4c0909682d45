#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "core/numtext.h"
#include "drawing/worksheet.h"

namespace {

const char* const kGothic = "ＭＳ ゴシック";
const char* const kMincho = "ＭＳ 明朝";

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

float PageScaleFor(std::int32_t PageWidth, std::int32_t PageHeight, std::int32_t BaseWidth,
                   std::int32_t BaseHeight) {
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

void MakePrint(TCanvas& Canvas, std::int32_t PageWidth, std::int32_t PageHeight,
               const PageContent& content) {
    const float pageScale =
        PageScaleFor(PageWidth, PageHeight, content.BaseWidth, content.BaseHeight);
    auto Scaled = [pageScale](double x) { return ScaledBy(pageScale, x); };

    Canvas.Brush.Style = TBrushStyle::Solid;
    Canvas.Brush.Color = clWhite;
    Canvas.Pen.Color = clWhite;
    Canvas.Rectangle(0, 0, Scaled(content.BaseWidth - 1.0), Scaled(content.BaseHeight - 1.0));
    Canvas.Pen.Color = clBlack;
    Canvas.Brush.Style = TBrushStyle::Clear;

    Canvas.Font.Name = kGothic;
    Canvas.Font.Height = Scaled(6);
    Canvas.TextOut(Scaled(14), Scaled(10), "小数のかけ算");

    Canvas.Font.Name = kMincho;
    Canvas.Font.Height = Scaled(6);
    Canvas.TextOut(Scaled(64), Scaled(10), "問題No." + FormatInteger(content.PrintNumber));

    Canvas.Font.Height = Scaled(14);
    Canvas.TextOut(Scaled(140), Scaled(20),
                   "（　　　　　　　　　　　）");

    Canvas.Font.Height = Scaled(10);
    Canvas.TextOut(Scaled(14), Scaled(40), content.Sentence);

    Canvas.Font.Height = Scaled(14);
    const std::int32_t columnStep = Div32(Sub32(PageWidth, Scaled(15)), 4);

    std::int32_t rowCount = content.ProblemCount / 4;
    if (content.Problems == nullptr) rowCount = 0;
    // The store holds no more than its capacity; rows past it do not exist.
    if (rowCount > ProblemCapacity / 4) rowCount = ProblemCapacity / 4;
    if (rowCount <= 0) return;
    const std::int32_t rowStep = Div32(Sub32(PageHeight, Scaled(50)), rowCount);

    const ProblemSet& problems = *content.Problems;
    for (std::int32_t i = 1; i <= rowCount; ++i) {
        for (std::int32_t j = 1; j <= 4; ++j) {
            const int k = (i - 1) * 4 + j;
            const std::int32_t x = Add32(Scaled(24), Mul32(j - 1, columnStep));
            const std::int32_t y = Add32(Scaled(70), Mul32(i - 1, rowStep));
            Hissan(Canvas, x, y, problems[k].MultiplicandText, problems[k].MultiplierText, "×",
                   content.ShowAnswers);
        }
    }
}
