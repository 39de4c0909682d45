#include "core/sheet_run.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/digit_pattern.h"
#include "core/numtext.h"
#include "core/presets.h"
#include "core/random.h"
#include "core/worked_multiplication.h"

namespace {

using Pair = std::pair<std::int32_t, std::int32_t>;

GenerationSettings Settings(const char* multiplicand, const char* multiplier, const char* answer,
                            std::int32_t count = 16) {
    GenerationSettings s;
    s.RequestedCount = count;
    SetDigitRanges(s, ParseDigitPattern(multiplicand), ParseDigitPattern(multiplier));
    const AnswerRangeTexts a = SplitAnswerRange(answer);
    s.AnswerLowText = a.Low;
    s.AnswerHighText = a.High;
    return s;
}

struct Page {
    std::int32_t sheet;
    bool answers;
    std::vector<Pair> problems;
};

std::vector<Page> Pages(const GenerationSettings& s, std::uint32_t seed, std::int32_t sheets,
                        AnswerPlacement placement) {
    std::vector<Page> pages;
    RunSheets(s, seed, sheets, placement, [&](std::int32_t sheet, bool answers, const ProblemSet& set, std::int32_t n) {
        Page p{sheet, answers, {}};
        for (int i = 1; i <= n; ++i) p.problems.emplace_back(set[i].MultiplicandMilli, set[i].MultiplierMilli);
        pages.push_back(std::move(p));
    });
    return pages;
}

std::string Order(const std::vector<Page>& pages) {
    std::string s;
    for (const Page& p : pages) s += std::to_string(p.sheet + 1) + (p.answers ? "A " : "P ");
    return s;
}

TEST(RunSheets, PagesComeInTheOrderOfTheAnswerPlacement) {
    const GenerationSettings s = Settings("[1-9].[1-9]", "[2-9]", "0:1000");
    const struct {
        AnswerPlacement placement;
        const char* order;
    } cases[] = {
        {AnswerPlacement::After, "1P 1A 2P 2A 3P 3A "},
        {AnswerPlacement::End, "1P 2P 3P 1A 2A 3A "},
        {AnswerPlacement::None, "1P 2P 3P "},
    };
    for (const auto& c : cases) {
        const std::vector<Page> pages = Pages(s, 5, 3, c.placement);
        EXPECT_EQ(Order(pages), c.order);
        EXPECT_EQ(PageCount(c.placement, 3, 16), static_cast<std::int64_t>(pages.size()));
    }
}

TEST(RunSheets, AnAnswerSheetShowsTheProblemsOfItsProblemSheet) {
    const GenerationSettings s = Settings("[1-9].[0-9][1-9]", "[1-9].[1-9]", "0:1000");
    for (AnswerPlacement placement : {AnswerPlacement::After, AnswerPlacement::End}) {
        const std::vector<Page> pages = Pages(s, 77, 4, placement);
        for (const Page& a : pages) {
            if (!a.answers) continue;
            for (const Page& p : pages) {
                if (!p.answers && p.sheet == a.sheet) {
                    EXPECT_EQ(a.problems, p.problems) << Order(pages);
                }
            }
        }
    }
}

// The list's pages, after the problem sheets: every sheet once and in order, each with the
// products of the problems its problem sheet shows, as many pages as PageCount says.
TEST(RunSheets, TheListOfAnswersListsEverySheetOnceWithItsProducts) {
    const struct {
        std::int32_t sheets, problems, listPages;
    } cases[] = {
        {1, 16, 1}, {18, 16, 1}, {19, 16, 2}, {100, 16, 6}, {36, 10, 1}, {37, 8, 2}, {100, 20, 6}, {7, 6, 1},
    };
    for (const auto& c : cases) {
        const GenerationSettings s = Settings("[1-9].[0-9][1-9]", "[1-9].[1-9]", "0:1000", c.problems);
        std::vector<std::vector<std::string>> expected;  // each problem sheet's products
        std::vector<AnswerListPage> lists;
        std::string order;
        RunSheets(
            s, 31, c.sheets, AnswerPlacement::List,
            [&](std::int32_t sheet, bool answers, const ProblemSet& set, std::int32_t n) {
                EXPECT_FALSE(answers);
                EXPECT_TRUE(lists.empty()) << "a problem sheet after the list";
                EXPECT_EQ(sheet, std::ssize(expected));
                std::vector<std::string>& products = expected.emplace_back();
                for (int i = 1; i <= n; ++i)
                    products.push_back(PlainProductText(set[i].MultiplicandText, set[i].MultiplierText));
            },
            [&](const AnswerListPage& page) { lists.push_back(page); });
        const std::string label = std::to_string(c.sheets) + " sheets of " + std::to_string(c.problems);
        ASSERT_EQ(std::ssize(lists), c.listPages) << label;
        EXPECT_EQ(PageCount(AnswerPlacement::List, c.sheets, c.problems), c.sheets + c.listPages) << label;
        std::int32_t next = 0;
        for (const AnswerListPage& page : lists) {
            EXPECT_EQ(page.Page, &page - lists.data()) << label;
            EXPECT_EQ(page.Pages, c.listPages) << label;
            EXPECT_LE(std::ssize(page.Rows), ListShape(c.problems).SheetsPerPage) << label;
            for (const AnswerListRow& row : page.Rows) {
                ASSERT_EQ(row.Sheet, next) << label;
                EXPECT_EQ(std::ssize(row.Products), c.problems) << label;
                EXPECT_EQ(row.Products, expected[static_cast<std::size_t>(next)]) << label << " sheet " << next;
                ++next;
            }
        }
        EXPECT_EQ(next, c.sheets) << label;
    }
}

// A line holds at most ten products; a page holds the same number of lines for every count.
TEST(ListShape, TenProductsALineAtMost) {
    const struct {
        std::int32_t problems, perLine, lines, sheetsPerPage;
    } cases[] = {{6, 6, 1, 36}, {8, 8, 1, 36}, {10, 10, 1, 36}, {12, 6, 2, 18}, {16, 8, 2, 18}, {20, 10, 2, 18}};
    for (const auto& c : cases) {
        const AnswerListShape shape = ListShape(c.problems);
        EXPECT_EQ(shape.ProductsPerLine, c.perLine) << c.problems;
        EXPECT_EQ(shape.LinesPerSheet, c.lines) << c.problems;
        EXPECT_EQ(shape.SheetsPerPage, c.sheetsPerPage) << c.problems;
    }
}

// One sequence across the run: sheet 2 is what a second Preview from the same state would give.
TEST(RunSheets, TheRandomSequenceIsCarriedFromSheetToSheet) {
    const GenerationSettings s = Settings("[1-9].[1-9]", "[2-9]", "0:1000");
    const std::vector<Page> pages = Pages(s, 123, 3, AnswerPlacement::None);
    TRandom random(123);
    ProblemSet set;
    std::int32_t count = 0;
    for (const Page& page : pages) {
        GenerateProblems(s, random, set, count);
        // Another run between two draws (the window's Preview, another page's run) has a
        // generator of its own and leaves this sequence alone.
        Pages(s, 999, 2, AnswerPlacement::End);
        std::vector<Pair> expected;
        for (int i = 1; i <= count; ++i) expected.emplace_back(set[i].MultiplicandMilli, set[i].MultiplierMilli);
        EXPECT_EQ(page.problems, expected) << page.sheet;
    }
    EXPECT_NE(pages[0].problems, pages[1].problems);
    EXPECT_EQ(Pages(s, 123, 3, AnswerPlacement::None)[2].problems, pages[2].problems);
    EXPECT_NE(Pages(s, 124, 3, AnswerPlacement::None)[2].problems, pages[2].problems);
}

TEST(FindShortSheet, FindsNothingWhenEverySheetFills) {
    EXPECT_FALSE(FindShortSheet(Settings("[1-9].[1-9]", "[2-9]", "0:1000"), 9, 50).has_value());
}

TEST(FindShortSheet, ReportsTheFirstSheetThatGivesUpAndHowManyItFound) {
    // 0 x 0 is the only problem: every sheet keeps one and gives up on the second.
    const auto first = FindShortSheet(Settings("0", "0", "0:0"), 1, 3);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->Sheet, 1);
    EXPECT_EQ(first->Found, 1);

    // Sixteen admissible problems among a thousand candidates: the last slot has one chance in a
    // thousand per draw, so some sheets fill and some do not. The check made before drawing must
    // name the same sheet that the drawing run would come up short on.
    const GenerationSettings tight = Settings("[0-9].[0-9][0-9]", "1", "0:0.15");
    int laterSheets = 0;
    for (std::uint32_t seed = 1; seed <= 30; ++seed) {
        const auto found = FindShortSheet(tight, seed, 8);
        std::int32_t firstShort = 0, shortCount = -1;
        for (const Page& p : Pages(tight, seed, 8, AnswerPlacement::None)) {
            if (p.problems.size() < 16) {
                firstShort = p.sheet + 1;
                shortCount = static_cast<std::int32_t>(p.problems.size());
                break;
            }
        }
        ASSERT_EQ(found.has_value(), firstShort > 0) << seed;
        if (!found) continue;
        EXPECT_EQ(found->Sheet, firstShort) << seed;
        EXPECT_EQ(found->Found, shortCount) << seed;
        laterSheets += found->Sheet > 1;
    }
    EXPECT_GT(laterSheets, 0);
}

// What each exercise is, written out independently of the preset table.
struct Exercise {
    const char* name;
    std::int32_t multiplicandLow, multiplicandHigh, multiplicandDecimals;
    std::int32_t multiplierLow, multiplierHigh, multiplierDecimals;
};

int Decimals(std::int32_t milli) { return milli % 1000 == 0 ? 0 : milli % 100 == 0 ? 1 : milli % 10 == 0 ? 2 : 3; }

TEST(SheetPresets, EachTextbookExerciseMakesFullSheetsOfItsKind) {
    const Exercise exercises[] = {
        {"g4-tenths-x-1digit", 1100, 9900, 1, 2000, 9000, 0},
        {"g4-tenths-x-2digit", 1100, 9900, 1, 10000, 99000, 0},
        {"g4-hundredths-x-1digit", 1010, 9990, 2, 2000, 9000, 0},
        {"g5-integer-x-tenths", 10000, 99000, 0, 1100, 9900, 1},
        {"g5-tenths-x-tenths", 1100, 9900, 1, 1100, 9900, 1},
        {"g5-hundredths-x-tenths", 1010, 9990, 2, 1100, 9900, 1},
        {"g5-tenths-x-below1", 1100, 9900, 1, 100, 900, 1},
    };
    ASSERT_EQ(SheetPresets().size(), std::size(exercises));
    for (const Exercise& e : exercises) {
        const SheetPreset* p = FindSheetPreset(e.name);
        ASSERT_NE(p, nullptr) << e.name;
        const GenerationSettings s = Settings(p->Multiplicand, p->Multiplier, p->Answer);
        EXPECT_FALSE(FindShortSheet(s, 2024, 30).has_value()) << e.name;
        for (const Page& page : Pages(s, 2024, 30, AnswerPlacement::None)) {
            ASSERT_EQ(page.problems.size(), 16u);
            for (const auto& [u, d] : page.problems) {
                EXPECT_TRUE(u >= e.multiplicandLow && u <= e.multiplicandHigh) << e.name << " " << u;
                EXPECT_TRUE(d >= e.multiplierLow && d <= e.multiplierHigh) << e.name << " " << d;
                EXPECT_EQ(Decimals(u), e.multiplicandDecimals) << e.name << " " << u;
                EXPECT_EQ(Decimals(d), e.multiplierDecimals) << e.name << " " << d;
            }
        }
    }
    EXPECT_EQ(FindSheetPreset("g6-fractions"), nullptr);
}

}  // namespace

TEST(SheetNumber, WrapsAtTheTopOfTheRange) {
    struct Case {
        std::int32_t first, index, number;
    };
    const Case cases[] = {{1, 0, 1},
                          {21, 4, 25},
                          {2147483647, 0, 2147483647},
                          {2147483647, 1, -2147483647 - 1},
                          {2147483640, 999, -2147482657},
                          {-5, 10, 5}};
    for (const Case& c : cases) EXPECT_EQ(SheetNumber(c.first, c.index), c.number) << c.first << " + " << c.index;
}
