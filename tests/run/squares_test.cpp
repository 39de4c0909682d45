// Squared paper under the figures, on every paper a run prints on: each digit stands in a square
// of its own, and the squares keep clear of the header, the problem numbers, each other and the
// paper's border. Read back from a recording of the whole page, as MakePrint draws it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/numtext.h"
#include "drawing/recording_canvas.h"
#include "drawing/sample_page.h"
#include "drawing/worksheet.h"
#include "run/paper.h"
#include "run/run_options.h"
#include "run/sheet_page.h"
#include "tests/common/problems_from_milli.h"

namespace {

struct Box {
    std::int64_t left, top, right, bottom;  // [left, right) x [top, bottom)

    bool Overlaps(const Box& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
};

// One figure's squares as its grid lines bound them, and what it wrote on them.
struct DrawnFigure {
    std::vector<std::int64_t> columnLines, rowLines;  // the lines' middles, left to right, top down
    Box extent{};                                     // the lines' outer edges
    std::vector<TRecordedCall> texts;
};

struct DrawnPage {
    std::vector<TRecordedCall> header;  // everything written before the first figure's squares
    std::vector<DrawnFigure> figures;
};

bool IsSquareLine(const TRecordedCall& call) {
    return call.kind == TRecordedCall::Kind::Rectangle && call.brush.Style == TBrushStyle::Solid &&
           call.brush.Color != clWhite;
}

// A figure begins where its squares do: the page writes each figure's squares, then its texts.
DrawnPage Split(const std::vector<TRecordedCall>& calls) {
    DrawnPage page;
    bool inLines = false;
    for (const TRecordedCall& call : calls) {
        if (IsSquareLine(call)) {
            if (!inLines) page.figures.emplace_back();
            inLines = true;
            DrawnFigure& f = page.figures.back();
            const bool across = call.x2 - call.x > call.y2 - call.y;
            if (across)
                f.rowLines.push_back(call.y + (call.y2 - call.y) / 2);
            else
                f.columnLines.push_back(call.x + (call.x2 - call.x) / 2);
            const Box line{call.x, call.y, call.x2, call.y2};
            if (f.rowLines.size() + f.columnLines.size() == 1)
                f.extent = line;
            else
                f.extent = {std::min(f.extent.left, line.left), std::min(f.extent.top, line.top),
                            std::max(f.extent.right, line.right), std::max(f.extent.bottom, line.bottom)};
            continue;
        }
        inLines = false;
        if (call.kind != TRecordedCall::Kind::TextOut) continue;
        if (page.figures.empty())
            page.header.push_back(call);
        else
            page.figures.back().texts.push_back(call);
    }
    for (DrawnFigure& f : page.figures) {
        std::sort(f.columnLines.begin(), f.columnLines.end());
        std::sort(f.rowLines.begin(), f.rowLines.end());
    }
    return page;
}

// The index of the span between two neighbouring lines that holds [from, to), or -1.
int SpanHolding(const std::vector<std::int64_t>& lines, std::int64_t from, std::int64_t to) {
    for (std::size_t k = 0; k + 1 < lines.size(); ++k) {
        if (lines[k] <= from && to <= lines[k + 1]) return static_cast<int>(k);
    }
    return -1;
}

Box TextBox(const TRecordedCall& call) {
    return {call.x, call.y, call.x + TRecordingCanvas::WidthAt(call.font.Height, call.text), call.y + call.font.Height};
}

// Five places in both factors, the longest working there is, among short ones and products
// whose zeros are struck.
ProblemSet FivePlaceProblems() {
    return ProblemsFromMilli({{99999, 99999},
                              {12345, 67890},
                              {2500, 4000},
                              {50005, 20},
                              {87654, 30201},
                              {99999, 9},
                              {10000, 10000},
                              {0, 500},
                              {62500, 1600},
                              {48700, 3000},
                              {1234, 56789},
                              {99999, 99000},
                              {3000, 250},
                              {25, 4},
                              {11111, 11111},
                              {4, 3}});
}

struct PageCase {
    TPaper paper;
    int count;
    bool answers;
    const char* problems;  // "sample" or "five places"
};

std::vector<PageCase> Cases() {
    std::vector<PageCase> cases;
    for (const TPaperSpec& spec : Papers)
        for (int count : {6, 8, 10, 12, 16})
            for (bool answers : {false, true})
                for (const char* problems : {"sample", "five places"})
                    cases.push_back({spec.Paper, count, answers, problems});
    return cases;
}

// The printable area in pixels at the PDF's 1200 dpi.
std::pair<std::int32_t, std::int32_t> PagePixels(TPaper paper) {
    const TPaperSize area = PrintableSize(paper);
    return {static_cast<std::int32_t>(area.Width / 25.4 * 1200), static_cast<std::int32_t>(area.Height / 25.4 * 1200)};
}

DrawnPage DrawPage(const PageCase& c, const ProblemSet& set, const char* header = "name-date-score") {
    RunOptions o = DefaultRunOptions();
    ApplyRunOption("grid", "squares", o);
    ApplyRunOption("problems", std::to_string(c.count), o);
    ApplyRunOption("header", header, o);
    ApplyRunOption("paper", PaperName(c.paper), o);
    const PageContent content = RunSheetPage(o, 0, c.answers, set, c.count);
    const auto [w, h] = PagePixels(c.paper);
    TRecordingCanvas canvas;
    MakePrint(canvas, w, h, content);
    return Split(canvas.calls);
}

TEST(Squares, EveryDigitInASquareOfItsOwnAndEveryFigureClearOfTheRest) {
    const ProblemSet sample = SampleProblems(), five = FivePlaceProblems();
    for (const PageCase& c : Cases()) {
        const std::string name = std::string(PaperName(c.paper)) + " " + std::to_string(c.count) +
                                 (c.answers ? " answers " : " problems ") + c.problems;
        const DrawnPage page = DrawPage(c, std::string(c.problems) == "sample" ? sample : five);
        ASSERT_EQ(static_cast<int>(page.figures.size()), c.count) << name;
        const auto [w, h] = PagePixels(c.paper);
        int digits = 0;
        for (std::size_t i = 0; i < page.figures.size(); ++i) {
            const DrawnFigure& f = page.figures[i];
            ASSERT_GE(f.columnLines.size(), 2u) << name;
            ASSERT_GE(f.rowLines.size(), 4u) << name;  // the two factors and a product at least
            const std::int32_t height = f.texts.front().font.Height;
            std::set<std::pair<int, int>> taken;
            for (const TRecordedCall& t : f.texts) {
                if (t.font.Height != height) continue;  // the small point: it stands on a line
                std::int64_t x = t.x;
                for (const char ch : t.text) {
                    if (static_cast<unsigned char>(ch) >= 0x80) {
                        x += ((static_cast<unsigned char>(ch) & 0xC0u) == 0xC0u) ? height : 0;  // "×"
                        continue;
                    }
                    const std::int64_t right = x + height / 2;
                    if (ch >= '0' && ch <= '9') {
                        ++digits;
                        const int column = SpanHolding(f.columnLines, x, right);
                        const int row = SpanHolding(f.rowLines, t.y, t.y + height);
                        EXPECT_GE(column, 0) << name << " figure " << i + 1 << " '" << t.text << "'";
                        EXPECT_GE(row, 0) << name << " figure " << i + 1 << " '" << t.text << "'";
                        EXPECT_TRUE(taken.insert({column, row}).second)
                            << name << " figure " << i + 1 << " two digits in one square, '" << t.text << "'";
                    }
                    x = right;
                }
            }
            EXPECT_GE(f.extent.left, 0) << name;
            EXPECT_GE(f.extent.top, 0) << name;
            EXPECT_LE(f.extent.right, w) << name;
            EXPECT_LE(f.extent.bottom, h) << name;
            for (const TRecordedCall& t : page.header)
                EXPECT_FALSE(f.extent.Overlaps(TextBox(t)))
                    << name << " figure " << i + 1 << " meets '" << t.text << "'";
            for (std::size_t j = 0; j < i; ++j)
                EXPECT_FALSE(f.extent.Overlaps(page.figures[j].extent))
                    << name << " figures " << j + 1 << ", " << i + 1;
        }
        EXPECT_GE(digits, (c.answers ? 10 : 2) * c.count) << name;  // the digits were found at all
    }
}

// A pupil works the problem in the squares the problem sheet gives: they are the answer sheet's,
// square for square, every row of the working there before it is written.
TEST(Squares, TheProblemSheetHasTheAnswerSheetsSquares) {
    const ProblemSet five = FivePlaceProblems();
    for (const TPaperSpec& spec : Papers) {
        for (int count : {6, 10, 12, 16}) {
            const DrawnPage problems = DrawPage({spec.Paper, count, false, ""}, five, "name");
            const DrawnPage answers = DrawPage({spec.Paper, count, true, ""}, five, "name");
            ASSERT_EQ(problems.figures.size(), answers.figures.size());
            for (std::size_t i = 0; i < problems.figures.size(); ++i) {
                EXPECT_EQ(problems.figures[i].columnLines, answers.figures[i].columnLines) << spec.Name << " " << i;
                EXPECT_EQ(problems.figures[i].rowLines, answers.figures[i].rowLines) << spec.Name << " " << i;
            }
        }
    }
}

// The squares' rows are the working's, on the problem sheet too: factors, a row per partial
// product the textbook's rules write, and the product; a column for every digit and the rule.
TEST(Squares, AsManyRowsAsTheWorkingNeeds) {
    struct Case {
        const char *multiplicand, *multiplier;
        std::size_t rows;
        std::size_t columns;
    };
    const Case cases[] = {
        {"2.5", "4", 3, 3},             // 10.0: no partial rows
        {"12.345", "67.89", 3 + 4, 9},  // the rule reaches a column past the product's digits
        {"3.14", "20.5", 3 + 2, 6},     // 64.370: the textbook writes no row for the 0 of 20.5
        {"0.5", "0.6", 3, 3},           // 0.30
    };
    for (const Case& c : cases) {
        const TWorkedMultiplication worked =
            WorkMultiplication(c.multiplicand, c.multiplier, TPageStyle::Textbook().Figure);
        TRecordingCanvas canvas;
        canvas.Font = {"ＭＳ 明朝", 40, TFontStyle::Empty};
        canvas.Brush.Style = TBrushStyle::Clear;
        Hissan(canvas, 100, 100, worked, "×", false, TFigureGrid::Squares);
        const DrawnPage drawn = Split(canvas.calls);
        ASSERT_EQ(drawn.figures.size(), 1u);
        EXPECT_EQ(drawn.figures[0].rowLines.size(), c.rows + 1) << c.multiplicand << " x " << c.multiplier;
        EXPECT_EQ(drawn.figures[0].columnLines.size(), c.columns + 1) << c.multiplicand << " x " << c.multiplier;
        // The figure's box takes in its squares, so that the page keeps them clear.
        const TFigureBox box = HissanBox(canvas, 100, 100, worked, "×", false, TFigureGrid::Squares);
        EXPECT_LE(box.Top, drawn.figures[0].extent.top);
        EXPECT_GE(box.Bottom, drawn.figures[0].extent.bottom);
        EXPECT_LE(box.Left, drawn.figures[0].extent.left);
        EXPECT_GE(box.Right, drawn.figures[0].extent.right);
    }
}

// Without squares the figure draws nothing but its texts.
TEST(Squares, NoneDrawsNoLines) {
    RunOptions o = DefaultRunOptions();
    const ProblemSet set = SampleProblems();
    for (bool answers : {false, true}) {
        TRecordingCanvas canvas;
        MakePrint(canvas, 9583, 13699, RunSheetPage(o, 0, answers, set, 16));
        EXPECT_TRUE(std::none_of(canvas.calls.begin(), canvas.calls.end(), IsSquareLine));
    }
}

}  // namespace
