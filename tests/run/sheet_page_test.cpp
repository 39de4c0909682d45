// A run's papers and pages as the editions take them.
#include "run/sheet_page.h"

#include <gtest/gtest.h>

#include <limits>

#include "run/paper.h"
#include "run/run_options.h"

// Each paper keeps its place in TPaper's order, is offered by the paper option under its own
// name and keeps the border clear on every side.
TEST(Papers, InOrderOfferedByNameAndInsideTheirBorder) {
    const TRunOption* paper = FindRunOption("paper");
    ASSERT_NE(paper, nullptr);
    ASSERT_EQ(paper->Choices.size(), std::size(Papers));
    for (std::size_t i = 0; i < std::size(Papers); ++i) {
        const TPaperSpec& spec = Papers[i];
        EXPECT_EQ(static_cast<std::size_t>(spec.Paper), i);
        EXPECT_STREQ(PaperName(spec.Paper), spec.Name);
        EXPECT_STREQ(paper->Choices[i].Value, spec.Name);
        RunOptions o = DefaultRunOptions();
        ApplyRunOption("paper", spec.Name, o);
        EXPECT_EQ(o.Paper, spec.Paper);
        const TPaperSize size = PaperSize(spec.Paper), area = PrintableSize(spec.Paper);
        EXPECT_DOUBLE_EQ(size.Width - area.Width, 2 * SheetBorderMillimetres) << spec.Name;
        EXPECT_DOUBLE_EQ(size.Height - area.Height, 2 * SheetBorderMillimetres) << spec.Name;
        EXPECT_LT(size.Width, size.Height) << spec.Name;
    }
    EXPECT_DOUBLE_EQ(PaperSize(TPaper::B5).Width, 182);  // JIS, not ISO's 176
}

// Sheet k of a run carries the run's sentence and style, its answers flag and the number k places
// after the first, wrapping past the top of the range.
TEST(RunSheetPage, CarriesTheRunAndTheSheetsNumber) {
    RunOptions o = DefaultRunOptions();
    ApplyRunOption("sentence", "けいさんしよう", o);
    ApplyRunOption("numbers", "off", o);
    ApplyRunOption("number", "2147483646", o);
    const ProblemSet set;
    struct Case {
        std::int32_t sheet;
        bool answers;
        std::int32_t number;
    };
    const Case cases[] = {
        {0, false, 2147483646}, {1, true, 2147483647}, {2, false, std::numeric_limits<std::int32_t>::min()}};
    for (const Case& c : cases) {
        const PageContent page = RunSheetPage(o, c.sheet, c.answers, set, 12);
        EXPECT_EQ(page.PrintNumber, c.number) << c.sheet;
        EXPECT_EQ(page.ShowAnswers, c.answers);
        EXPECT_EQ(page.Sentence, "けいさんしよう");
        EXPECT_EQ(page.Problems, &set);
        EXPECT_EQ(page.ProblemCount, 12);
        EXPECT_EQ(page.Style, o.Style);
        EXPECT_FALSE(page.Style.ProblemNumbers);
    }
}
