#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <string>
#include <vector>

#include "drawing/recording_canvas.h"
#include "drawing/sample_page.h"
#include "drawing/worksheet.h"
#include "tests/common/user_locale.h"

namespace {

const std::string GothicFace = "ＭＳ ゴシック";
const std::string MinchoFace = "ＭＳ 明朝";
const std::string NameBox = "（　　　　　　　　　　　）";
const std::string TitleText = "小数のかけ算";

// Problem k is k x 3 (as texts), so every figure on the page tells which problem it is.
ProblemSet NumberedProblems() {
    ProblemSet set;
    for (int k = 1; k <= ProblemCapacity; ++k) {
        set[k].MultiplicandMilli = k * 1000;
        set[k].MultiplierMilli = 3000;
        set[k].MultiplicandText = std::to_string(k);
        set[k].MultiplierText = "3";
    }
    return set;
}

struct PlacedFigure {
    int problem;
    std::int32_t x, y;
};

// Finds the figures in a recording: without answers each is its multiplicand followed by the
// multiplier row, whose text (no point) begins one character left of the figure's X.
std::vector<PlacedFigure> Figures(const TRecordingCanvas& canvas) {
    std::vector<PlacedFigure> out;
    const auto texts = canvas.TextOuts();
    for (std::size_t i = 1; i < texts.size(); ++i) {
        if (texts[i].text.rfind("×", 0) != 0) continue;
        const auto& row1 = texts[i];
        out.push_back({std::stoi(texts[i - 1].text), row1.x + TRecordingCanvas::WidthAt(row1.font.Height, "."),
                       row1.y - row1.font.Height});
    }
    return out;
}

PageContent Content(const ProblemSet& set, int count) {
    PageContent c;
    c.Sentence = "次の計算をしましょう。";
    c.PrintNumber = 7;
    c.Problems = &set;
    c.ProblemCount = count;
    return c;
}

TEST(PageScale, IsTheSmallerQuotientHeldAtSinglePrecision) {
    EXPECT_EQ(PageScaleFor(320, 441, 320, 441), 1.0f);
    EXPECT_EQ(PageScaleFor(4800, 6800, 320, 441), 15.0f);
    EXPECT_EQ(PageScaleFor(4760, 7016, 320, 441), 14.875f);
    EXPECT_EQ(PageScaleFor(4752, 7016, 320, 441), static_cast<float>(4752.0 / 320.0));
    EXPECT_GT(static_cast<double>(PageScaleFor(4752, 7016, 320, 441)), 14.85);
    EXPECT_EQ(PageScaleFor(2400, 3300, 320, 441), static_cast<float>(3300.0 / 441.0));
    EXPECT_EQ(PageScaleFor(0, 5000, 320, 441), 1.0f);
    EXPECT_EQ(PageScaleFor(-10, 5000, 320, 441), 1.0f);
}

TEST(PageScale, ScaledRoundsExactHalvesToEven) {
    struct Case {
        float scale;
        double x;
        std::int32_t want;
    };
    const float s4752 = PageScaleFor(4752, 7016, 320, 441);
    const float s2400 = PageScaleFor(2400, 3300, 320, 441);
    for (const auto& c : std::vector<Case>{
             {1.0f, 319, 319},
             {15.0f, 14, 210},
             {14.875f, 20, 298},
             {14.875f, 140, 2082},
             {14.875f, 60, 892},
             {0.5f, 1, 0},
             {0.5f, 3, 2},
             {0.5f, 5, 2},
             {s4752, 10, 149},
             {s4752, 50, 743},
             {s2400, 6, 45},
             {s2400, 15, 112},
         }) {
        EXPECT_EQ(ScaledBy(c.scale, c.x), c.want) << c.scale << " x " << c.x;
    }
}

struct PageCase {
    std::int32_t width, height;
    int count;
    // Expected, in device pixels.
    std::int32_t rectRight, rectBottom;
    std::int32_t titleX, titleY, titleH;
    std::int32_t numberX, nameX, nameY, nameH, sentenceY, sentenceH;
    std::int32_t figureH, firstX, firstY, columnStep, rowStep;
};

const std::vector<PageCase> PageCases = {
    {320, 441, 16, 319, 440, 14, 10, 6, 64, 140, 20, 14, 40, 10, 14, 24, 70, 76, 97},
    {320, 441, 12, 319, 440, 14, 10, 6, 64, 140, 20, 14, 40, 10, 14, 24, 70, 76, 130},
    {4800, 6800, 16, 4785, 6600, 210, 150, 90, 960, 2100, 300, 210, 600, 150, 210, 360, 1050, 1143, 1512},
    {4760, 7016, 16, 4745, 6545, 208, 149, 89, 952, 2082, 298, 208, 595, 149, 208, 357, 1041, 1134, 1568},
    {4752, 7016, 4, 4737, 6534, 208, 149, 89, 950, 2079, 297, 208, 594, 149, 208, 356, 1040, 1132, 6273},
    {2400, 3300, 12, 2387, 3293, 105, 75, 45, 479, 1048, 150, 105, 299, 75, 105, 180, 524, 572, 975},
};

TEST(MakePrint, PageGeometryAtPreviewAndPrinterSizes) {
    const ProblemSet set = NumberedProblems();
    for (const auto& p : PageCases) {
        SCOPED_TRACE(std::to_string(p.width) + " x " + std::to_string(p.height));
        TRecordingCanvas canvas;
        MakePrint(canvas, p.width, p.height, Content(set, p.count));
        ASSERT_GE(canvas.calls.size(), 5u);

        const auto& rect = canvas.calls[0];
        EXPECT_EQ(rect.kind, TRecordedCall::Kind::Rectangle);
        EXPECT_EQ(std::vector<std::int32_t>({rect.x, rect.y, rect.x2, rect.y2}),
                  std::vector<std::int32_t>({0, 0, p.rectRight, p.rectBottom}));
        EXPECT_EQ(rect.brush.Style, TBrushStyle::Solid);
        EXPECT_EQ(rect.brush.Color, clWhite);
        EXPECT_EQ(rect.pen.Color, clWhite);

        const auto& title = canvas.calls[1];
        EXPECT_EQ(title.text, TitleText);
        EXPECT_EQ(title.font.Name, GothicFace);
        EXPECT_EQ(std::vector<std::int32_t>({title.x, title.y, title.font.Height}),
                  std::vector<std::int32_t>({p.titleX, p.titleY, p.titleH}));

        const auto& number = canvas.calls[2];
        EXPECT_EQ(number.text, "問題No.7");
        EXPECT_EQ(number.font.Name, MinchoFace);
        EXPECT_EQ(std::vector<std::int32_t>({number.x, number.y, number.font.Height}),
                  std::vector<std::int32_t>({p.numberX, p.titleY, p.titleH}));

        const auto& name = canvas.calls[3];
        EXPECT_EQ(name.text, NameBox);
        EXPECT_EQ(name.font.Name, MinchoFace);
        EXPECT_EQ(std::vector<std::int32_t>({name.x, name.y, name.font.Height}),
                  std::vector<std::int32_t>({p.nameX, p.nameY, p.nameH}));

        const auto& sentence = canvas.calls[4];
        EXPECT_EQ(sentence.text, "次の計算をしましょう。");
        EXPECT_EQ(std::vector<std::int32_t>({sentence.x, sentence.y, sentence.font.Height}),
                  std::vector<std::int32_t>({p.titleX, p.sentenceY, p.sentenceH}));

        for (std::size_t i = 1; i < canvas.calls.size(); ++i) {
            EXPECT_EQ(canvas.calls[i].kind, TRecordedCall::Kind::TextOut);
            EXPECT_EQ(canvas.calls[i].brush.Style, TBrushStyle::Clear) << "text with a background";
            EXPECT_EQ(canvas.calls[i].pen.Color, clBlack);
        }

        const auto figures = Figures(canvas);
        const int rows = p.count / 4;
        ASSERT_EQ(figures.size(), static_cast<std::size_t>(rows * 4));
        for (int i = 1; i <= rows; ++i) {
            for (int j = 1; j <= 4; ++j) {
                const auto& f = figures[static_cast<std::size_t>((i - 1) * 4 + j - 1)];
                EXPECT_EQ(f.problem, (i - 1) * 4 + j) << "figures out of reading order";
                EXPECT_EQ(f.x, p.firstX + (j - 1) * p.columnStep) << "row " << i << " column " << j;
                EXPECT_EQ(f.y, p.firstY + (i - 1) * p.rowStep) << "row " << i << " column " << j;
            }
        }
        for (std::size_t i = 5; i < canvas.calls.size(); ++i) EXPECT_EQ(canvas.calls[i].font.Height, p.figureH);

        // What the page leaves on the canvas.
        EXPECT_EQ(canvas.Font.Name, MinchoFace);
        EXPECT_EQ(canvas.Font.Height, p.figureH);
        EXPECT_EQ(canvas.Font.Style, TFontStyle::Empty);
        EXPECT_EQ(canvas.Pen.Color, clBlack);
        EXPECT_EQ(canvas.Brush.Style, TBrushStyle::Clear);
        EXPECT_EQ(canvas.Brush.Color, clWhite);
    }
}

TEST(MakePrint, OnlyCompleteRowsAreDrawn) {
    const ProblemSet set = NumberedProblems();
    struct Case {
        int count;
        std::size_t figures;
        std::int32_t rowStep;
    };
    for (const auto& c : std::vector<Case>{{0, 0, 0},
                                           {1, 0, 0},
                                           {2, 0, 0},
                                           {3, 0, 0},
                                           {4, 4, 391},
                                           {7, 4, 391},
                                           {12, 12, 130},
                                           {16, 16, 97},
                                           {19, 16, 97},
                                           {20, 20, 78}}) {
        SCOPED_TRACE(c.count);
        TRecordingCanvas canvas;
        MakePrint(canvas, 320, 441, Content(set, c.count));
        const auto figures = Figures(canvas);
        ASSERT_EQ(figures.size(), c.figures);
        if (c.figures == 0) {
            EXPECT_EQ(canvas.calls.size(), 5u);  // white area and the four header texts
        } else {
            EXPECT_EQ(figures.back().problem, static_cast<int>(c.figures));
            if (c.figures > 4) {
                EXPECT_EQ(figures[4].y - figures[0].y, c.rowStep);
            }
        }
    }
}

TEST(MakePrint, DrawsWhatTheCallerPassesAtTheMomentOfDrawing) {
    ProblemSet set = NumberedProblems();
    set[1].MultiplicandText = "2.35";
    set[1].MultiplierText = "1.4";
    PageContent content = Content(set, 4);
    std::string sentence = "かけ算をしなさい";
    content.Sentence = sentence;
    content.PrintNumber = -12;

    TRecordingCanvas plain;
    MakePrint(plain, 320, 441, content);
    EXPECT_EQ(plain.calls[2].text, "問題No.-12");
    EXPECT_EQ(plain.calls[4].text, "かけ算をしなさい");
    const std::size_t withoutAnswers = plain.calls.size();

    content.ShowAnswers = true;
    TRecordingCanvas worked;
    MakePrint(worked, 320, 441, content);
    bool product = false;
    for (const auto& c : worked.calls) product |= c.text == "29";  // the fraction part of 3.29
    EXPECT_TRUE(product);
    EXPECT_GT(worked.calls.size(), withoutAnswers);
}

TEST(MakePrint, NonPositiveWidthDrawsAtBaseScale) {
    const ProblemSet set = NumberedProblems();
    for (std::int32_t width : {0, -1, -320}) {
        TRecordingCanvas canvas;
        MakePrint(canvas, width, 99999, Content(set, 0));
        EXPECT_EQ(canvas.calls[0].x2, 319);
        EXPECT_EQ(canvas.calls[0].y2, 440);
        EXPECT_EQ(canvas.calls[3].x, 140);
        EXPECT_EQ(canvas.Font.Height, 14);
    }
}

// A whole answer sheet under locales whose numbers are written otherwise: call for call the page
// drawn under C (the products are computed and written while drawing).
TEST(MakePrint, TheSamePageUnderEveryLocale) {
    ProblemSet set;
    const char* const operands[][2] = {{"2.5", "4"},    {"0.5", "0.6"},     {"1.25", "4"},     {"80", "2.5"},
                                       {"5.54", "4.1"}, {"0.001", "0.001"}, {"99.999", "9.9"}, {"7.8", "3"}};
    for (int i = 1; i <= 8; ++i) {
        set[i].MultiplicandText = operands[i - 1][0];
        set[i].MultiplierText = operands[i - 1][1];
    }
    PageContent content = Content(set, 8);
    content.ShowAnswers = true;
    content.PrintNumber = 1234567;
    const auto page = [&] {
        TRecordingCanvas canvas;
        MakePrint(canvas, 9583, 13699, content);
        return canvas.calls;
    };
    const std::vector<TRecordedCall> plain = page();
    // Known products around their small points: 22.714 and 0.000001.
    const auto drawn = [&](const char* text) {
        return std::any_of(plain.begin(), plain.end(), [&](const TRecordedCall& c) { return c.text == text; });
    };
    ASSERT_TRUE(drawn("22") && drawn("714") && drawn("000001"));
    for (const auto& [category, name] :
         {std::pair{LC_ALL, "de_DE.UTF-8"}, std::pair{LC_NUMERIC, "de_DE.UTF-8"}, std::pair{LC_ALL, "ja_JP.UTF-8"}}) {
        const TUserLocale locale(category, name);
        ASSERT_TRUE(locale.Applied()) << name << " is not installed: scripts/install-deps.sh makes it";
        EXPECT_EQ(page(), plain) << name;
    }
}

// ---------------------------------------------------------------------------------------------
// The textbook style's page.

struct TextBox {
    std::int64_t left, top, right, bottom;
};

TextBox BoxOf(const TRecordedCall& c) {
    return {c.x, c.y, static_cast<std::int64_t>(c.x) + TRecordingCanvas::WidthAt(c.font.Height, c.text),
            static_cast<std::int64_t>(c.y) + c.font.Height};
}

bool Overlap(const TextBox& a, const TextBox& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool IsProblemNumber(const std::string& text) {
    return text.size() >= 3 && text.front() == '(' && text.back() == ')' &&
           std::all_of(text.begin() + 1, text.end() - 1, [](char c) { return c >= '0' && c <= '9'; });
}

PageContent TextbookPage(const ProblemSet& set, int count, bool answers, std::int32_t number = 7) {
    PageContent c = SamplePage(set, answers);
    c.ProblemCount = count;
    c.PrintNumber = number;
    c.Style = TPageStyle::Textbook();
    return c;
}

// Printable areas at 1200 dpi (A4 and JIS B5 less 5 mm a side), a 600 dpi A4 and the preview.
struct PaperCase {
    const char* name;
    std::int32_t width, height;
};
const std::vector<PaperCase> Papers = {
    {"A4 1200 dpi", 9449, 13559}, {"B5 1200 dpi", 8126, 11669}, {"A4 600 dpi", 4724, 6780}, {"preview", 320, 441}};

TEST(TextbookPage, ProblemNumbersStandAtTheTopLeftOfTheirCellsTouchingNothing) {
    const ProblemSet set = SampleProblems();
    for (const auto& paper : Papers) {
        for (int count : {12, 16}) {
            for (bool answers : {false, true}) {
                SCOPED_TRACE(std::string(paper.name) + ", " + std::to_string(count) + (answers ? " answers" : ""));
                TRecordingCanvas canvas;
                MakePrint(canvas, paper.width, paper.height, TextbookPage(set, count, answers));
                const auto texts = canvas.TextOuts();
                std::vector<TRecordedCall> numbers, multipliers;
                for (const auto& t : texts) {
                    if (IsProblemNumber(t.text)) numbers.push_back(t);
                    if (t.text.rfind("×", 0) == 0) multipliers.push_back(t);
                }
                ASSERT_EQ(numbers.size(), static_cast<std::size_t>(count));
                ASSERT_EQ(multipliers.size(), static_cast<std::size_t>(count));
                for (int k = 1; k <= count; ++k) {
                    const TRecordedCall& n = numbers[static_cast<std::size_t>(k - 1)];
                    EXPECT_EQ(n.text, "(" + std::to_string(k) + ")");
                    const TextBox box = BoxOf(n);
                    EXPECT_GE(box.left, 0);
                    EXPECT_GE(box.top, 0);
                    EXPECT_LE(box.right, paper.width);
                    EXPECT_LE(box.bottom, paper.height);
                    // Above and left of its figure's first row (the multiplicand, one row above
                    // the multiplier row), smaller than the figure's digits.
                    const TRecordedCall& m = multipliers[static_cast<std::size_t>(k - 1)];
                    EXPECT_LE(box.bottom, m.y - m.font.Height);
                    EXPECT_LT(box.left, m.x);
                    EXPECT_LT(n.font.Height, m.font.Height);
                    for (const auto& other : texts) {
                        if (other.text == n.text) continue;
                        EXPECT_FALSE(Overlap(box, BoxOf(other))) << n.text << " touches \"" << other.text << "\"";
                    }
                }
            }
        }
    }
}

TEST(TextbookPage, HeaderIsReadableSaysWhichSheetAndOverlapsNothing) {
    const ProblemSet set = SampleProblems();
    const std::int32_t fourMillimetres = 4 * 1200 * 10 / 254;  // at 1200 dpi
    for (const auto& paper : Papers) {
        for (bool answers : {false, true}) {
            for (std::int32_t number : {7, -2147483647 - 1}) {
                SCOPED_TRACE(std::string(paper.name) + (answers ? " answers " : " problems ") + std::to_string(number));
                TRecordingCanvas canvas;
                MakePrint(canvas, paper.width, paper.height, TextbookPage(set, 16, answers, number));
                const auto texts = canvas.TextOuts();
                std::vector<TRecordedCall> header;
                for (const auto& t : texts) {
                    if (t.text == TitleText || t.text.rfind("問題No.", 0) == 0 || t.text == "こたえ" ||
                        t.text == "名前" || t.text == NameBox || t.text == "次の計算をしましょう。")
                        header.push_back(t);
                }
                ASSERT_EQ(header.size(), answers ? 6u : 5u);
                EXPECT_EQ(canvas.HasText("こたえ"), answers);
                for (const auto& h : header) {
                    const TextBox box = BoxOf(h);
                    EXPECT_GE(box.left, 0) << h.text;
                    // The name box ends in its right parenthesis's empty half, which these metrics
                    // count in full.
                    if (h.text != NameBox) {
                        EXPECT_LE(box.right, paper.width) << h.text;
                    }
                    for (const auto& t : texts) {
                        if (t.text == h.text && t.x == h.x && t.y == h.y) continue;
                        EXPECT_FALSE(Overlap(box, BoxOf(t))) << h.text << " touches " << t.text;
                    }
                    if (std::string(paper.name) == "A4 1200 dpi" && h.text != NameBox && h.text != "名前" &&
                        h.text.rfind("次", 0) != 0) {
                        EXPECT_GE(h.font.Height, fourMillimetres) << h.text;
                    }
                }
                // 名前 labels the box: on its line, just left of it.
                const auto name = std::find_if(header.begin(), header.end(), [](auto& h) { return h.text == "名前"; });
                const auto box = std::find_if(header.begin(), header.end(), [](auto& h) { return h.text == NameBox; });
                ASSERT_NE(name, header.end());
                ASSERT_NE(box, header.end());
                EXPECT_LE(BoxOf(*name).right, box->x);
                EXPECT_GE(name->y, box->y);
                EXPECT_LE(BoxOf(*name).bottom, BoxOf(*box).bottom);
            }
        }
    }
}

TEST(TextbookPage, ThePlainStyleHasNoneOfIt) {
    const ProblemSet set = SampleProblems();
    for (bool answers : {false, true}) {
        PageContent c = TextbookPage(set, 16, answers);
        c.Style = TPageStyle::Plain();
        TRecordingCanvas canvas;
        MakePrint(canvas, 4724, 6780, c);
        EXPECT_FALSE(canvas.HasText("こたえ"));
        EXPECT_FALSE(canvas.HasText("名前"));
        for (const auto& t : canvas.Texts()) EXPECT_FALSE(IsProblemNumber(t)) << t;
    }
}

TEST(TextbookPage, DateAndScoreShareTheTitlesLineWithoutTouchingIt) {
    const ProblemSet set = SampleProblems();
    for (const auto& paper : Papers) {
        for (bool answers : {false, true}) {
            SCOPED_TRACE(std::string(paper.name) + (answers ? " answers" : ""));
            PageContent c = TextbookPage(set, 16, answers, -2147483647 - 1);
            c.Style.Header = THeader::NameDateScore;
            TRecordingCanvas canvas;
            MakePrint(canvas, paper.width, paper.height, c);
            std::vector<TextBox> boxes;
            std::vector<std::string> names;
            for (const auto& call : canvas.calls) {
                if (call.kind == TRecordedCall::Kind::Rectangle) {
                    if (call.x == 0 && call.y == 0) continue;  // the page's white
                    EXPECT_EQ(call.brush.Style, TBrushStyle::Clear);
                    boxes.push_back({call.x, call.y, call.x2, call.y2});
                    names.push_back("score box");
                } else {
                    boxes.push_back(BoxOf(call));
                    names.push_back(call.text);
                }
            }
            EXPECT_EQ(std::count(names.begin(), names.end(), "score box"), 1);
            EXPECT_EQ(std::count(names.begin(), names.end(), "　　月　　日"), 1);
            EXPECT_EQ(std::count(names.begin(), names.end(), "点"), 1);
            for (std::size_t a = 0; a < boxes.size(); ++a) {
                if (names[a] != "score box" && names[a] != "点" && names[a] != "　　月　　日") continue;
                EXPECT_GE(boxes[a].left, 0);
                EXPECT_LE(boxes[a].right, paper.width) << names[a];
                for (std::size_t b = 0; b < boxes.size(); ++b) {
                    if (a != b) {
                        EXPECT_FALSE(Overlap(boxes[a], boxes[b])) << names[a] << " touches " << names[b];
                    }
                }
            }
        }
    }
}

// The sentence in the textbook style: as on the plain page while it fits; otherwise two lines
// broken at a character, each inside the page, smaller only when two lines at the designed
// height are not enough.
TEST(TextbookPage, ALongSentenceWrapsOntoASecondLineAndShrinksOnlyIfItMust) {
    const ProblemSet set = SampleProblems();
    auto repeat = [](const std::string& s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += s;
        return out;
    };
    struct Case {
        std::string sentence;
        int lines;
        bool smaller;
    };
    const std::string fits = "次の計算をしましょう。";
    for (const Case& c : std::vector<Case>{
             {fits, 1, false},
             {repeat("かけ算", 10) + "しましょう。", 2, false},  // 35 characters
             {repeat("筆算で計算しましょう", 6), 2, false},      // 60
             {repeat("小数のかけ算の筆算", 20), 2, true},        // 180
             {repeat("ab", 60), 2, false},                       // half-width characters
         }) {
        for (const auto& paper : Papers) {
            SCOPED_TRACE(std::string(paper.name) + ": " + c.sentence);
            PageContent content = TextbookPage(set, 16, true);
            content.Sentence = c.sentence;
            TRecordingCanvas canvas;
            MakePrint(canvas, paper.width, paper.height, content);
            const float scale = PageScaleFor(paper.width, paper.height, 320, 441);
            const std::int32_t designed = ScaledBy(scale, 10);
            std::vector<TRecordedCall> lines;
            for (const auto& t : canvas.TextOuts()) {
                if (t.x == ScaledBy(scale, 14) && t.y >= ScaledBy(scale, 40) && t.y < ScaledBy(scale, 60) &&
                    !IsProblemNumber(t.text))
                    lines.push_back(t);
            }
            ASSERT_EQ(lines.size(), static_cast<std::size_t>(c.lines));
            std::string joined;
            for (const auto& l : lines) {
                joined += l.text;
                EXPECT_LE(BoxOf(l).right, paper.width) << l.text;
                EXPECT_EQ(l.font.Height, lines[0].font.Height);
            }
            EXPECT_EQ(joined, c.sentence);
            EXPECT_EQ(lines[0].y, ScaledBy(scale, 40));
            if (c.lines == 2) {
                EXPECT_EQ(lines[1].y, lines[0].y + lines[0].font.Height);
                // The first line takes as much as fits: one more character would not.
                const std::string& rest = lines[1].text;
                const std::size_t next = rest.size() > 0 && static_cast<unsigned char>(rest[0]) >= 0x80 ? 3 : 1;
                EXPECT_GT(TRecordingCanvas::WidthAt(lines[0].font.Height, lines[0].text + rest.substr(0, next)),
                          paper.width - ScaledBy(scale, 14));
            }
            if (c.smaller) {
                EXPECT_LT(lines[0].font.Height, designed);
            } else {
                EXPECT_EQ(lines[0].font.Height, designed);
            }
            // The figures keep their places: the sentence ends above the problem numbers.
            for (const auto& t : canvas.TextOuts()) {
                if (IsProblemNumber(t.text)) {
                    EXPECT_GE(t.y, BoxOf(lines.back()).bottom);
                }
            }
        }
    }
}

TEST(TextbookPage, NoLineBeginsWithAClosingMark) {
    // At the preview's size 30 full-width characters fit a line; the 31st is "。".
    const ProblemSet set = SampleProblems();
    PageContent content = TextbookPage(set, 16, false);
    const std::string sentence =
        std::string("あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほ") + "。まみむ";
    content.Sentence = sentence;
    TRecordingCanvas canvas;
    MakePrint(canvas, 320, 441, content);
    std::vector<std::string> lines;
    for (const auto& t : canvas.TextOuts())
        if (t.x == 14 && t.y >= 40 && t.y < 60) lines.push_back(t.text);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "ほ。まみむ");
}

}  // namespace
