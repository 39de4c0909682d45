// Answer pages whose worked figures would not fit their rows: every figure of such a page is
// drawn smaller, at one height for the whole page; every other page is drawn as it always was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/numtext.h"
#include "drawing/recording_canvas.h"
#include "drawing/sample_page.h"
#include "drawing/worksheet.h"
#include "tests/common/problems_from_milli.h"

namespace {

struct PageSize {
    const char* name;
    std::int32_t width, height;
};

// The preview, A4 at 1200 dpi, and the printable areas of B5 (JIS) and Letter at 600 dpi.
const PageSize Sizes[] = {{"preview", 320, 441}, {"A4", 9583, 13699}, {"B5", 4132, 5904}, {"Letter", 4900, 6400}};

// One- and two-digit multipliers, with the widest and longest figures they allow: the
// longest multiplicand, whole-number products of decimals, tiny products, a zero.
ProblemSet TwoDigitProblems() {
    return ProblemsFromMilli({{99999, 9900},
                              {12345, 6000},
                              {2350, 1400},
                              {3000, 250},
                              {5, 40},
                              {99999, 99000},
                              {50005, 20},
                              {12500, 800},
                              {0, 500},
                              {25, 4},
                              {62500, 1600},
                              {4, 3},
                              {48700, 3000},
                              {99999, 990},
                              {10000, 10000},
                              {2500, 4000}});
}

// Every problem 1 x 1 except the ones a case puts in.
ProblemSet SmallProblems(const std::vector<std::pair<int, std::pair<std::int32_t, std::int32_t>>>& put) {
    std::vector<std::pair<std::int32_t, std::int32_t>> milli(ProblemCapacity, {1000, 1000});
    for (const auto& [k, ab] : put) milli[static_cast<std::size_t>(k - 1)] = ab;
    return ProblemsFromMilli(milli);
}

PageContent Page(const ProblemSet& set, int count, bool answers) {
    PageContent c = SamplePage(set, answers);
    c.ProblemCount = count;
    return c;
}

// The page as it is laid out on its designed grid, with the figures at the height given:
// the header, then one figure per problem at Scaled(24) + (j-1) x column step,
// Scaled(70) + (i-1) x row step.
TRecordingCanvas ReferencePage(std::int32_t w, std::int32_t h, const PageContent& c, std::int32_t figureHeight) {
    const float s = PageScaleFor(w, h, c.BaseWidth, c.BaseHeight);
    auto S = [s](double x) { return ScaledBy(s, x); };
    TRecordingCanvas r;
    r.Brush = {TBrushStyle::Solid, clWhite};
    r.Pen.Color = clWhite;
    r.Rectangle(0, 0, S(c.BaseWidth - 1), S(c.BaseHeight - 1));
    r.Pen.Color = clBlack;
    r.Brush.Style = TBrushStyle::Clear;
    r.Font.Name = "ＭＳ ゴシック";
    r.Font.Height = S(6);
    r.TextOut(S(14), S(10), "小数のかけ算");
    r.Font.Name = "ＭＳ 明朝";
    r.TextOut(S(64), S(10), "問題No." + std::to_string(c.PrintNumber));
    r.Font.Height = S(14);
    r.TextOut(S(140), S(20), "（　　　　　　　　　　　）");
    r.Font.Height = S(10);
    r.TextOut(S(14), S(40), c.Sentence);
    const int rows = c.ProblemCount / 4;
    if (rows == 0) return r;
    const std::int32_t columnStep = (w - S(15)) / 4;
    const std::int32_t rowStep = (h - S(50)) / rows;
    r.Font.Height = figureHeight;
    for (int i = 1; i <= rows; ++i)
        for (int j = 1; j <= 4; ++j) {
            const Problem& p = (*c.Problems)[(i - 1) * 4 + j];
            Hissan(r, S(24) + (j - 1) * columnStep, S(70) + (i - 1) * rowStep, p.MultiplicandText, p.MultiplierText,
                   "×", c.ShowAnswers);
        }
    return r;
}

std::uint64_t Digest(const TRecordingCanvas& c) {
    std::uint64_t h = 1469598103934665603ull;  // FNV-1a over the calls' descriptions
    for (const TRecordedCall& call : c.calls)
        for (const unsigned char ch : Describe(call) + "\n") {
            h ^= ch;
            h *= 1099511628211ull;
        }
    return h;
}

// ---------------------------------------------------------------------------------------------

enum class Set { Sample, TwoDigit };

struct Golden {
    std::int32_t width, height;
    Set set;
    bool answers;
    int count;
    std::size_t calls;
    std::uint64_t digest;
};

// Recorded from the page layout as it was before figures could shrink.
const Golden Goldens[] = {
    {320, 441, Set::Sample, false, 12, 65, 0xec515e18e81da19dull},
    {320, 441, Set::Sample, false, 16, 85, 0x2eff28b608edba40ull},
    {320, 441, Set::TwoDigit, false, 12, 69, 0xebdbc6479f32c494ull},
    {320, 441, Set::TwoDigit, false, 16, 85, 0xec0ce6da320e8561ull},
    {320, 441, Set::TwoDigit, true, 12, 109, 0xf3ed41fe00fd514bull},
    {320, 441, Set::TwoDigit, true, 16, 137, 0xe3e4731a82afcf54ull},
    {9583, 13699, Set::Sample, false, 12, 65, 0xb536436d28437029ull},
    {9583, 13699, Set::Sample, false, 16, 85, 0x8936897023c4e0e1ull},
    {9583, 13699, Set::TwoDigit, false, 12, 69, 0x5f627d5b2a52df20ull},
    {9583, 13699, Set::TwoDigit, false, 16, 85, 0x6067a1f0bffcd588ull},
    {9583, 13699, Set::TwoDigit, true, 12, 109, 0x8f23764fab750dd4ull},
    {9583, 13699, Set::TwoDigit, true, 16, 137, 0x1df3a5817eb10de8ull},
    {4132, 5904, Set::Sample, false, 12, 65, 0x4a9bc14dede75ae7ull},
    {4132, 5904, Set::Sample, false, 16, 85, 0x2b84c7fefa8d89d9ull},
    {4132, 5904, Set::TwoDigit, false, 12, 69, 0xbf9e508c33123db6ull},
    {4132, 5904, Set::TwoDigit, false, 16, 85, 0x286ea2b666f023c7ull},
    {4132, 5904, Set::TwoDigit, true, 12, 109, 0x40f89fcd310c4627ull},
    {4132, 5904, Set::TwoDigit, true, 16, 137, 0x520c0927dffa0e2full},
    {4900, 6400, Set::Sample, false, 12, 65, 0xd43a0c58e949c6fdull},
    {4900, 6400, Set::Sample, false, 16, 85, 0xf842b0c3a922421eull},
    {4900, 6400, Set::TwoDigit, false, 12, 69, 0xa375e25eddc62935ull},
    {4900, 6400, Set::TwoDigit, false, 16, 85, 0xab785e5535119108ull},
    {4900, 6400, Set::TwoDigit, true, 12, 109, 0x483d13c4feb95936ull},
    {4900, 6400, Set::TwoDigit, true, 16, 137, 0x70e2659f5aad416cull},
};

TEST(FigureFit, PagesThatFitAreDrawnCallForCallAsBefore) {
    const ProblemSet sample = SampleProblems();
    const ProblemSet twoDigit = TwoDigitProblems();
    for (const Golden& g : Goldens) {
        SCOPED_TRACE(std::to_string(g.width) + " x " + std::to_string(g.height) +
                     (g.answers ? " answers " : " problems ") + std::to_string(g.count) +
                     (g.set == Set::Sample ? " sample" : " two-digit"));
        const PageContent content = Page(g.set == Set::Sample ? sample : twoDigit, g.count, g.answers);
        TRecordingCanvas page;
        MakePrint(page, g.width, g.height, content);
        EXPECT_EQ(page.calls.size(), g.calls);
        EXPECT_EQ(Digest(page), g.digest);
        const float s = PageScaleFor(g.width, g.height, 320, 441);
        const TRecordingCanvas reference = ReferencePage(g.width, g.height, content, ScaledBy(s, 14));
        ASSERT_EQ(page.calls.size(), reference.calls.size());
        for (std::size_t i = 0; i < page.calls.size(); ++i)
            ASSERT_EQ(page.calls[i], reference.calls[i]) << "call " << i;
    }
}

// ---------------------------------------------------------------------------------------------
// The figures of a recorded page, found without the layout's help: the header is five calls,
// then each figure's calls follow one another, as many as the figure draws on its own.

struct Box {
    std::int64_t left, top, right, bottom;
};

Box BoxOf(const std::vector<TRecordedCall>& calls) {
    Box b{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
    for (const TRecordedCall& c : calls) {
        b.left = std::min<std::int64_t>(b.left, c.x);
        b.top = std::min<std::int64_t>(b.top, c.y);
        b.right = std::max<std::int64_t>(b.right, c.x + TRecordingCanvas::WidthAt(c.font.Height, c.text));
        b.bottom = std::max<std::int64_t>(b.bottom, c.y + c.font.Height);
    }
    return b;
}

std::vector<std::vector<TRecordedCall>> FiguresOf(const TRecordingCanvas& page, const PageContent& c) {
    std::vector<std::vector<TRecordedCall>> out;
    std::size_t at = 5;
    for (int k = 1; k <= c.ProblemCount / 4 * 4; ++k) {
        TRecordingCanvas alone;
        alone.Font.Height = 14;
        Hissan(alone, 0, 0, (*c.Problems)[k].MultiplicandText, (*c.Problems)[k].MultiplierText, "×", c.ShowAnswers);
        const std::size_t n = alone.calls.size();
        EXPECT_LE(at + n, page.calls.size());
        if (at + n > page.calls.size()) break;
        out.emplace_back(page.calls.begin() + static_cast<std::ptrdiff_t>(at),
                         page.calls.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    }
    EXPECT_EQ(at, page.calls.size());
    return out;
}

// What is wrong with the figures of a page, empty when nothing is.
std::string Faults(const TRecordingCanvas& page, std::int32_t w, std::int32_t h, const PageContent& c) {
    const auto figures = FiguresOf(page, c);
    std::vector<Box> boxes;
    for (const auto& f : figures) boxes.push_back(BoxOf(f));
    const int rows = c.ProblemCount / 4;
    std::string faults;
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        const Box& b = boxes[k];
        const std::string name = "figure " + std::to_string(k + 1);
        if (b.left < 0) faults += name + " starts left of the page; ";
        if (b.right > w) faults += name + " ends right of the page; ";
        if (b.bottom > h) faults += name + " runs below the page; ";
        const int row = static_cast<int>(k) / 4 + 1;
        if (row < rows && b.bottom > boxes[k + 4].top) faults += name + " runs into the row below; ";
        for (std::size_t l = k + 1; l < boxes.size(); ++l) {
            const Box& o = boxes[l];
            if (b.left < o.right && o.left < b.right && b.top < o.bottom && o.top < b.bottom)
                faults += name + " overlaps figure " + std::to_string(l + 1) + "; ";
        }
    }
    return faults;
}

TEST(FigureFit, SampleAnswerPagesShrinkToTheLargestHeightThatFits) {
    const ProblemSet sample = SampleProblems();
    struct Case {
        PageSize size;
        int count;
        bool shrinks;  // whether the designed height leaves a figure out of place
    };
    // Three rows leave A4 and B5 room enough for eight-row figures; Letter is relatively
    // wider, so its rows are shorter.
    for (const Case& c : std::vector<Case>{{Sizes[0], 12, true},
                                           {Sizes[0], 16, true},
                                           {Sizes[1], 12, false},
                                           {Sizes[1], 16, true},
                                           {Sizes[2], 12, false},
                                           {Sizes[2], 16, true},
                                           {Sizes[3], 12, true},
                                           {Sizes[3], 16, true}}) {
        const std::int32_t w = c.size.width, h = c.size.height;
        SCOPED_TRACE(std::string(c.size.name) + " " + std::to_string(c.count));
        const PageContent content = Page(sample, c.count, true);
        const std::int32_t designed = ScaledBy(PageScaleFor(w, h, 320, 441), 14);

        const TRecordingCanvas unfitted = ReferencePage(w, h, content, designed);
        EXPECT_EQ(Faults(unfitted, w, h, content) != "", c.shrinks);

        TRecordingCanvas page;
        MakePrint(page, w, h, content);
        EXPECT_EQ(Faults(page, w, h, content), "");

        TRecordingCanvas measuring;
        const std::int32_t fitted = FigureHeight(measuring, w, h, content);
        EXPECT_TRUE(measuring.calls.empty()) << "measuring drew";
        EXPECT_EQ(fitted < designed, c.shrinks) << fitted << " against " << designed;
        // Header and places as designed, only the figures' height changed ...
        const TRecordingCanvas reference = ReferencePage(w, h, content, fitted);
        ASSERT_EQ(page.calls.size(), reference.calls.size());
        for (std::size_t i = 0; i < page.calls.size(); ++i)
            ASSERT_EQ(page.calls[i], reference.calls[i]) << "call " << i;
        // ... and one pixel taller would not fit.
        if (c.shrinks) {
            const TRecordingCanvas taller = ReferencePage(w, h, content, fitted + 1);
            EXPECT_NE(Faults(taller, w, h, content), "");
        }
        // The canvas is left as the page always left it.
        EXPECT_EQ(page.Font.Height, designed);
    }
}

// On the preview page (320 x 441, row step 97 with 4 rows and 130 with 3; figures at x = 24,
// 100, 176, 252 and y = 70, 167, 264, 361 or 70, 200, 330; the recording surface's characters
// are Height / 2 wide, the operator Height), with every other problem 1 x 1.
TEST(FigureFit, EachLimitAloneSetsTheHeight) {
    struct Case {
        const char* why;
        int count;
        std::vector<std::pair<int, std::pair<std::int32_t, std::int32_t>>> problems;
        std::int32_t height;
    };
    const std::vector<Case> cases = {
        {"two-digit multipliers fit everywhere", 16, {{13, {99999, 9900}}, {1, {99999, 99000}}}, 14},
        {"three-digit multiplier in the last row: 361 + 6 x 13 <= 441", 16, {{13, {48700, 3060}}}, 13},
        {"three-digit multiplier higher up fits its row step", 16, {{1, {48700, 3060}}}, 14},
        {"four-digit multiplier: 7 rows in a row step of 97", 16, {{2, {12345, 1234}}}, 13},
        {"five-digit multiplier in the last row: 361 + 8 x 10 <= 441", 16, {{16, {99999, 99999}}}, 10},
        {"five-digit multiplier, left column, three rows: starts at x = -4 at 14, at 1 at 13",
         12,
         {{1, {99999, 99999}}},
         13},
        {"five-digit multiplier beside 12.345 x 6: 72 < 73 at 14, 77 >= 67 at 13",
         12,
         {{1, {12345, 6000}}, {2, {99999, 99999}}},
         13},
        {"the same figure with room to its left", 12, {{2, {99999, 99999}}}, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const ProblemSet set = SmallProblems(c.problems);
        const PageContent content = Page(set, c.count, true);
        TRecordingCanvas measuring;
        EXPECT_EQ(FigureHeight(measuring, 320, 441, content), c.height);
        TRecordingCanvas page;
        MakePrint(page, 320, 441, content);
        EXPECT_EQ(Faults(page, 320, 441, content), "");
        for (std::size_t i = 5; i < page.calls.size(); ++i)
            if (page.calls[i].text != ".") {
                ASSERT_EQ(page.calls[i].font.Height, c.height) << page.calls[i];
            }
    }
}

TEST(FigureFit, APageWithNoRoomForAnyFigureKeepsTheDesignedHeight) {
    const ProblemSet sample = SampleProblems();
    // A width of 0 draws at base scale on a page no figure fits inside.
    TRecordingCanvas measuring;
    EXPECT_EQ(FigureHeight(measuring, 0, 441, Page(sample, 16, true)), 14);
    EXPECT_EQ(FigureHeight(measuring, 0, 441, Page(sample, 0, true)), 14);
}

// ---------------------------------------------------------------------------------------------

TEST(HissanBox, IsTheBoxOfWhatTheFigureDraws) {
    const ProblemSet sample = SampleProblems();
    for (int k = 1; k <= SampleProblemCount; ++k) {
        for (bool answers : {false, true}) {
            for (std::int32_t height : {14, 13, 210, 3}) {
                const Problem& p = sample[k];
                SCOPED_TRACE(p.MultiplicandText + " x " + p.MultiplierText + " at " + std::to_string(height));
                TRecordingCanvas drawn;
                drawn.Font = {"ＭＳ 明朝", height, TFontStyle::Empty};
                Hissan(drawn, 500, 40, p.MultiplicandText, p.MultiplierText, "×", answers);
                const Box want = BoxOf(drawn.calls);

                TRecordingCanvas measured;
                measured.Font = {"ＭＳ 明朝", height, TFontStyle::Empty};
                const TFigureBox box = HissanBox(measured, 500, 40, p.MultiplicandText, p.MultiplierText, "×", answers);
                EXPECT_TRUE(measured.calls.empty());
                EXPECT_EQ(measured.Font, (TFont{"ＭＳ 明朝", height, TFontStyle::Empty}));
                EXPECT_FALSE(box.Empty);
                EXPECT_EQ(std::vector<std::int64_t>({box.Left, box.Top, box.Right, box.Bottom}),
                          std::vector<std::int64_t>({want.left, want.top, want.right, want.bottom}));
            }
        }
    }
}

TEST(HissanBox, WorkedByHand) {
    // At height 14 a digit is 7 wide and the operator 14.
    struct Case {
        const char* a;
        const char* b;
        bool answers;
        std::int32_t x, y;
        TFigureBox want;
    };
    for (const Case& c : std::vector<Case>{
             // Right edge 100 + 14 + 4 x 7 = 142; the shifted product and the last partial
             // product start at 107, the operator at 100; row 4 ends at 50 + 5 x 14.
             {"2.35", "1.4", true, 100, 50, {false, 100, 50, 142, 120}},
             // Without answers: two rows, and the last digit's cell ends at 142 - 7.
             {"2.35", "1.4", false, 100, 50, {false, 100, 50, 135, 78}},
             // Right edge 24 + 14 + 6 x 7 = 80; the 11-character last partial product starts
             // a space further left: 80 - 84 = -4; eight rows.
             {"99.999", "99.999", true, 24, 361, {false, -4, 361, 80, 361 + 8 * 14}},
             // A whole multiplier line starts a point's width left of X.
             {"23", "45", false, 0, 0, {false, -7, 0, 21, 28}},
         }) {
        SCOPED_TRACE(std::string(c.a) + " x " + c.b);
        TRecordingCanvas canvas;
        canvas.Font = {"ＭＳ 明朝", 14, TFontStyle::Empty};
        EXPECT_EQ(HissanBox(canvas, c.x, c.y, c.a, c.b, "×", c.answers), c.want);
    }
}

}  // namespace
