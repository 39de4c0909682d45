#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/numtext.h"
#include "core/worked_multiplication.h"
#include "drawing/recording_canvas.h"
#include "drawing/worksheet.h"

namespace {

const std::string Times = "×";
const std::string MinchoFace = "ＭＳ 明朝";

// What a figure looks like on a grid of columns: one string per row, from the row's leftmost
// drawn cell down to the empty cell right of column 0, with "." where a small point sits
// between two columns ("ø" where it is struck). A second string per row marks the underlined
// cells with "_".
struct Rendered {
    std::vector<std::string> rows;
    std::vector<std::string> underline;
};

struct Cell {
    std::string ch;  // empty: the right half of a full-width character
    bool underlined = false;
};

bool IsAscii(unsigned char c) { return c < 0x80; }

Rendered Render(const std::vector<TRecordedCall>& calls, int y, int fh, int rightEdge) {
    const int w = fh / 2;
    const int pointHeight = (fh / 3) * 2;
    std::map<int, std::map<int, Cell>> cells;   // row -> column -> cell
    std::map<int, std::map<int, bool>> points;  // row -> column right of the point -> underlined
    std::map<int, std::map<int, bool>> struckPoints;
    int lastRow = -1;
    std::optional<std::pair<int, int>> lastPoint;  // row and column of the small point drawn last
    int lastPointX = 0;
    for (const auto& call : calls) {
        if (call.kind != TRecordedCall::Kind::TextOut) {
            ADD_FAILURE() << "a figure draws texts only";
            continue;
        }
        if (call.font.Height == fh && call.text == "/") {
            // A slash strikes out the zero drawn before it in its cell, shown as "Ø".
            const int row = (call.y - y) / fh;
            const int col = (rightEdge - 2 * w - call.x) / w;
            EXPECT_EQ((call.y - y) % fh, 0) << "slash off the row grid";
            EXPECT_EQ((rightEdge - 2 * w - call.x) % w, 0) << "slash off the column grid";
            EXPECT_EQ(call.font.Style, TFontStyle::Empty) << "slash underlined";
            auto cell = cells[row].find(col);
            if (cell == cells[row].end() || cell->second.ch != "0") {
                ADD_FAILURE() << "slash in row " << row << " column " << col << " strikes no zero";
            } else {
                cell->second.ch = "Ø";
            }
            continue;
        }
        if (call.font.Height == fh) {
            EXPECT_EQ((call.y - y) % fh, 0) << call.text << " is off the row grid";
            const int row = (call.y - y) / fh;
            int px = call.x;
            for (std::size_t i = 0; i < call.text.size();) {
                const unsigned char c = static_cast<unsigned char>(call.text[i]);
                std::size_t len = 1;
                if (!IsAscii(c)) len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
                EXPECT_EQ((rightEdge - 2 * w - px) % w, 0) << call.text << " is off the column grid";
                const int col = (rightEdge - 2 * w - px) / w;
                EXPECT_EQ(cells[row].count(col), 0u) << "two texts in row " << row << " column " << col;
                cells[row][col] = Cell{call.text.substr(i, len), call.font.Style == TFontStyle::Underline};
                if (!IsAscii(c)) {
                    cells[row][col - 1] = Cell{"", call.font.Style == TFontStyle::Underline};
                    px += 2 * w;
                } else {
                    px += w;
                }
                i += len;
            }
            lastRow = std::max(lastRow, row);
        } else if (call.font.Height == pointHeight && call.text == ".") {
            const int top = call.y - fh / 3;
            EXPECT_EQ((top - y) % fh, 0) << "small point not a third of a row below the row's top";
            const int row = (top - y) / fh;
            const int joint = call.x + w / 5;
            EXPECT_EQ((rightEdge - 2 * w - joint) % w, 0) << "small point not at a joint of columns";
            points[row][(rightEdge - 2 * w - joint) / w] = call.font.Style == TFontStyle::Underline;
            lastPoint = {row, (rightEdge - 2 * w - joint) / w};
            lastPointX = call.x;
        } else if (call.font.Height == fh / 2 && call.text == "/") {
            // A short slash strikes out the point drawn just before it, across the dot.
            if (!lastPoint) {
                ADD_FAILURE() << "short slash with no point before it";
                continue;
            }
            const auto [row, col] = *lastPoint;
            EXPECT_LE(std::abs(call.x - lastPointX), pointHeight / 2) << "short slash away from its point";
            EXPECT_GE(call.y, y + row * fh + fh / 3) << "short slash above its point's cell";
            EXPECT_LE(call.y + call.font.Height, y + (row + 1) * fh + fh / 3) << "short slash below its point's cell";
            struckPoints[row][col] = true;
        } else {
            ADD_FAILURE() << "unexpected text \"" << call.text << "\" at height " << call.font.Height;
        }
    }
    Rendered r;
    for (int row = 0; row <= lastRow; ++row) {
        int leftmost = -1;
        for (const auto& [col, cell] : cells[row]) leftmost = std::max(leftmost, col);
        std::string text, line;
        for (int col = leftmost; col >= -1; --col) {
            if (auto p = points[row].find(col); p != points[row].end()) {
                text += struckPoints[row].count(col) ? "ø" : ".";
                line += p->second ? '!' : ' ';
            }
            auto it = cells[row].find(col);
            if (it == cells[row].end()) {
                text += ' ';
                line += ' ';
            } else if (!it->second.ch.empty()) {
                text += it->second.ch;
                line += it->second.underlined ? '_' : ' ';
            }
        }
        r.rows.push_back(text);
        r.underline.push_back(line);
    }
    return r;
}

std::int32_t RightEdgeOf(int fh, const std::string& a, const std::string& b) {
    // The operator is one full-width character, then the longer of the two texts.
    return fh + static_cast<std::int32_t>(std::max(a.size(), b.size())) * (fh / 2);
}

struct FigureCase {
    const char* a;
    const char* b;
    std::vector<std::string> rows;
    std::vector<std::string> underline;  // empty: not checked
};

const std::vector<FigureCase> FigureCases = {
    {"2.35", "1.4", {"2.35 ", "× 1.4 ", "940 ", "235  ", "3.29  "}, {"     ", "___ _ ", "    ", "____ ", "      "}},
    {"12.5", "0.6", {"12.5 ", "× 0.6 ", "7.5  "}, {"     ", "___ _ ", "     "}},
    {"3", "0.25", {"3 ", "×0.25 ", "15 ", "  6  ", "0.75 "}, {"  ", "__ __ ", "   ", "____ ", "     "}},
    {"23", "45", {"23 ", "×45 ", "115 ", " 92  ", "1035 "}, {"   ", "___ ", "    ", "____ ", "     "}},
    {"2.3",
     "1.05",
     {"2.3 ", "×1.05 ", "115 ", "0  ", " 23   ", "2.415 "},
     {"    ", "__ __ ", "    ", "   ", "_____ ", "      "}},
    {"12.345", "6", {"12.345 ", "×     6 ", "74.07  "}, {"       ", "_______ ", "       "}},
    // A whole-number product of operands with fraction digits keeps its ones digit in the
    // ones column of the worked product.
    {"12.5", "0.8", {"12.5 ", "× 0.8 ", "10   "}, {}},
    {"2.5", "8.8", {"2.5 ", "×8.8 ", "200 ", "200  ", "22   "}, {"    ", "__ _ ", "    ", "____ ", ""}},
    // A long product of a tiny value.
    {"0.004", "0.003", {"0.004 ", "×0.003 ", "0.000012 "}, {}},
};

class HissanFigure : public ::testing::TestWithParam<int> {};

TEST_P(HissanFigure, WorkedFiguresStandInCommonColumns) {
    const int fh = GetParam();
    for (const auto& c : FigureCases) {
        SCOPED_TRACE(std::string(c.a) + " x " + c.b + " at height " + std::to_string(fh));
        TRecordingCanvas canvas;
        canvas.Font.Name = MinchoFace;
        canvas.Font.Height = fh;
        canvas.Brush.Style = TBrushStyle::Clear;
        const int x = 100, y = 50;
        Hissan(canvas, x, y, c.a, c.b, Times, true);
        const Rendered r = Render(canvas.calls, y, fh, x + RightEdgeOf(fh, c.a, c.b));
        EXPECT_EQ(r.rows, c.rows);
        for (std::size_t i = 0; i < c.underline.size() && i < r.underline.size(); ++i) {
            if (!c.underline[i].empty()) {
                EXPECT_EQ(r.underline[i], c.underline[i]) << "row " << i;
            }
        }
        // Leaves the font as found, whether or not a small point was drawn.
        EXPECT_EQ(canvas.Font.Height, fh);
        EXPECT_EQ(canvas.Font.Style, TFontStyle::Empty);
        EXPECT_EQ(canvas.Font.Name, MinchoFace);
        EXPECT_EQ(canvas.Brush.Style, TBrushStyle::Clear);
    }
}

TEST_P(HissanFigure, WithoutAnswersOnlyTheTwoProblemRows) {
    const int fh = GetParam();
    for (const auto& c : FigureCases) {
        SCOPED_TRACE(std::string(c.a) + " x " + c.b);
        TRecordingCanvas canvas;
        canvas.Font.Name = MinchoFace;
        canvas.Font.Height = fh;
        Hissan(canvas, 0, 0, c.a, c.b, Times, false);
        const Rendered r = Render(canvas.calls, 0, fh, RightEdgeOf(fh, c.a, c.b));
        EXPECT_EQ(r.rows, std::vector<std::string>(c.rows.begin(), c.rows.begin() + 2));
        EXPECT_EQ(canvas.Font.Height, fh);
        EXPECT_EQ(canvas.Font.Style, TFontStyle::Empty);
    }
}

INSTANTIATE_TEST_SUITE_P(Heights, HissanFigure, ::testing::Values(14, 20, 210));

TEST(Hissan, DrawsInTheOrderOfItsRowsWithSmallPointsUnderlinedNowhere) {
    TRecordingCanvas canvas;
    canvas.Font.Name = MinchoFace;
    canvas.Font.Height = 14;
    Hissan(canvas, 24, 70, "2.35", "1.4", Times, true);
    std::vector<std::string> texts;
    for (const auto& c : canvas.calls) {
        texts.push_back(c.text);
        if (c.text == ".") {
            EXPECT_EQ(c.font.Height, 8);  // (14 div 3) x 2, not 9
            EXPECT_EQ(c.font.Style, TFontStyle::Empty);
            EXPECT_EQ(c.y % 14, (70 + 14 / 3) % 14);
        }
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"2", ".", "35", "× 1", ".", "4", "940 ", "235 ", "3", ".", "29"}));
    // The multiplier's digits are underlined, its operator and padding too.
    EXPECT_EQ(canvas.calls[3].font.Style, TFontStyle::Underline);
    EXPECT_EQ(canvas.calls[5].font.Style, TFontStyle::Underline);
    EXPECT_EQ(canvas.calls[3].x, 24);  // a multiplier with a point begins at X
}

TEST(Hissan, MultiplierWithoutPointBeginsOneCharacterLeftOfX) {
    TRecordingCanvas canvas;
    canvas.Font.Height = 20;
    Hissan(canvas, 200, 0, "23", "45", Times, false);
    ASSERT_EQ(canvas.calls.size(), 2u);
    EXPECT_EQ(canvas.calls[1].text, "×45");
    EXPECT_EQ(canvas.calls[1].x, 200 - 10);
    EXPECT_EQ(canvas.calls[1].y, 20);
}

// The same figures in both styles. The plain style leaves the zeros the point makes
// valueless out and keeps the product's columns empty; the textbook style writes every digit
// the multiplication gives and strikes those zeros out (shown "Ø"), the point between the same
// two columns as on the factors, struck too where every digit after it is struck.
// It also gives a 0 digit of the multiplier no row: the next row is shifted past it, and a
// single row left is the product itself.
struct StyledCase {
    const char* a;
    const char* b;
    std::vector<std::string> plain;
    std::vector<std::string> textbook;
};

const std::vector<StyledCase> StyledCases = {
    // A whole product: the point before the struck zeros is struck with them.
    {"2.5", "4", {"2.5 ", "×  4 ", "10  "}, {"2.5 ", "×  4 ", "10øØ "}},
    // One zero dropped, a leading "0." the product needs anyway.
    {"0.5", "0.6", {"0.5 ", "×0.6 ", "0.3  "}, {"0.5 ", "×0.6 ", "0.3Ø "}},
    // Two dropped.
    {"1.25", "4", {"1.25 ", "×   4 ", "5   "}, {"1.25 ", "×   4 ", "5øØØ "}},
    // The rule reaches over the struck zero too.
    {"2.35", "1.4", {"2.35 ", "× 1.4 ", "940 ", "235  ", "3.29  "}, {"2.35 ", "× 1.4 ", "940 ", " 235  ", "3.29Ø "}},
    // Rows of zeros: a multiplier's 0 digit at the end, or several inside.
    {"8.7", "20", {"8.7 ", "× 20 ", "0 ", "174  ", "174  "}, {"8.7 ", "× 20 ", "174øØ "}},
    {"50.005",
     "50.002",
     {"50.005 ", "×50.002 ", "100010 ", "0  ", "0   ", "0    ", "250025     ", "2500.35001  "},
     {"50.005 ", "×50.002 ", "100010 ", " 250025     ", "2500.35001Ø "}},
    // A zero product drops nothing.
    {"0", "0.5", {"0 ", "×0.5 ", "0 "}, {"0 ", "×0.5 ", "0 "}},
};

TEST(HissanStyle, BothStylesOfEachProductStandInTheirColumns) {
    for (const int fh : {14, 20, 210}) {
        for (const auto& c : StyledCases) {
            for (const bool textbook : {false, true}) {
                SCOPED_TRACE(std::string(c.a) + " x " + c.b + (textbook ? " textbook" : " plain") + " at height " +
                             std::to_string(fh));
                TRecordingCanvas canvas;
                canvas.Font.Name = MinchoFace;
                canvas.Font.Height = fh;
                canvas.Brush.Style = TBrushStyle::Clear;
                const int x = 100, y = 50;
                Hissan(canvas, x, y, c.a, c.b, Times, true, textbook ? TPageStyle::Textbook() : TPageStyle::Plain());
                const Rendered r = Render(canvas.calls, y, fh, x + RightEdgeOf(fh, c.a, c.b));
                EXPECT_EQ(r.rows, textbook ? c.textbook : c.plain);
                EXPECT_EQ(canvas.Font.Height, fh);
                EXPECT_EQ(canvas.Font.Style, TFontStyle::Empty);
            }
        }
    }
}

TEST(HissanStyle, EachChoiceAloneChangesOnlyItsOwnPart) {
    TPageStyle struckOnly;
    struckOnly.Figure.StruckZeros = true;
    TPageStyle noZeroRowsOnly;
    noZeroRowsOnly.Figure.ZeroRows = false;
    auto rows = [](const TPageStyle& style) {
        TRecordingCanvas canvas;
        canvas.Font.Height = 14;
        Hissan(canvas, 100, 50, "8.7", "20", Times, true, style);
        return Render(canvas.calls, 50, 14, 100 + RightEdgeOf(14, "8.7", "20")).rows;
    };
    EXPECT_EQ(rows(struckOnly), (std::vector<std::string>{"8.7 ", "× 20 ", "0 ", " 174  ", "174øØ "}));
    EXPECT_EQ(rows(noZeroRowsOnly), (std::vector<std::string>{"8.7 ", "× 20 ", "174  "}));
}

TEST(HissanStyle, WithoutAnswersTheStylesDrawTheSame) {
    for (const auto& c : StyledCases) {
        SCOPED_TRACE(std::string(c.a) + " x " + c.b);
        TRecordingCanvas plain, textbook;
        plain.Font.Height = textbook.Font.Height = 14;
        Hissan(plain, 0, 0, c.a, c.b, Times, false, TPageStyle::Plain());
        Hissan(textbook, 0, 0, c.a, c.b, Times, false, TPageStyle::Textbook());
        EXPECT_EQ(plain.calls, textbook.calls);
    }
}

TEST(HissanStyle, TheBoxIsTheBoxOfWhatTheTextbookFigureDraws) {
    for (const auto& c : StyledCases) {
        SCOPED_TRACE(std::string(c.a) + " x " + c.b);
        TRecordingCanvas drawn;
        drawn.Font.Height = 14;
        Hissan(drawn, 300, 40, c.a, c.b, Times, true, TPageStyle::Textbook());
        TFigureBox want;
        for (const auto& call : drawn.calls) {
            const std::int64_t right = call.x + TRecordingCanvas::WidthAt(call.font.Height, call.text);
            const std::int64_t bottom = call.y + call.font.Height;
            if (want.Empty) {
                want = {false, call.x, call.y, right, bottom};
                continue;
            }
            want.Left = std::min<std::int64_t>(want.Left, call.x);
            want.Top = std::min<std::int64_t>(want.Top, call.y);
            want.Right = std::max(want.Right, right);
            want.Bottom = std::max(want.Bottom, bottom);
        }
        TRecordingCanvas measured;
        measured.Font.Height = 14;
        EXPECT_EQ(HissanBox(measured, 300, 40, c.a, c.b, Times, true, TPageStyle::Textbook()), want);
        EXPECT_TRUE(measured.calls.empty());
    }
}

// One line of the working as the decoded drawing shows it: from its leftmost cell down to the
// empty cell right of column 0, the point after its column ("ø" struck), a struck zero as "Ø"; at least
// `width` columns, blank on the left.
std::string GridLine(const std::vector<TDigitCell>& cells, std::optional<int> point, int width = 0,
                     bool pointStruck = false) {
    std::map<int, std::string> at;
    for (const TDigitCell& cell : cells) at[cell.Column] = cell.Struck ? "Ø" : std::string(1, char('0' + cell.Digit));
    int left = width - 1;
    if (!at.empty()) left = std::max(left, at.rbegin()->first);
    std::string text;
    for (int column = left; column >= -1; --column) {
        const auto it = at.find(column);
        text += it == at.end() ? " " : it->second;
        if (point == column) text += pointStruck ? "ø" : ".";
    }
    return text;
}

// Whatever the working, the figure puts each of its cells in the cell's column: the decoded
// drawing of many pairs in both styles is the working laid out line by line.
TEST(HissanWorking, EveryCellIsDrawnInItsColumn) {
    std::vector<std::string> texts;
    for (const std::int32_t milli : {0, 1, 4, 25, 200, 500, 1050, 2300, 2500, 8700, 12345, 20000, 50005, 99999})
        texts.push_back(FormatDecimal(Thousandths(milli)));
    for (const std::string& a : texts) {
        for (const std::string& b : texts) {
            for (const TPageStyle& style : {TPageStyle::Plain(), TPageStyle::Textbook()}) {
                SCOPED_TRACE(a + " x " + b + (style == TPageStyle::Plain() ? " plain" : " textbook"));
                const TWorkedMultiplication w = WorkMultiplication(a, b, style.Figure);
                std::vector<std::string> want = {GridLine(w.Multiplicand.Digits, w.Multiplicand.PointColumn)};
                for (std::size_t i = 0; i < w.Rows.size(); ++i) {
                    const bool last = i + 1 == w.Rows.size();
                    want.push_back(GridLine(w.Rows[i].Digits, std::nullopt, last ? w.RuleColumns : 0));
                }
                want.push_back(GridLine(w.Product.Digits, w.Product.PointColumn, 0, w.Product.PointStruck));

                TRecordingCanvas canvas;
                canvas.Font.Height = 20;
                Hissan(canvas, 100, 50, w, Times, true);
                std::vector<std::string> rows = Render(canvas.calls, 50, 20, 100 + RightEdgeOf(20, a, b)).rows;
                ASSERT_GE(rows.size(), 2u);
                rows.erase(rows.begin() + 1);  // the operator's line
                EXPECT_EQ(rows, want);
            }
        }
    }
}

TEST(Hissan, NonNumberTextFailsBeforeAnythingIsDrawn) {
    for (const auto& [a, b] :
         std::vector<std::pair<std::string, std::string>>{{"1x", "2"}, {"2", ""}, {"1.2.3", "4"}, {"abc", "0.5"}}) {
        TRecordingCanvas canvas;
        canvas.Font.Height = 14;
        EXPECT_THROW(Hissan(canvas, 0, 0, a, b, Times, true), EConvertError) << a << " x " << b;
        EXPECT_TRUE(canvas.calls.empty()) << a << " x " << b;
        EXPECT_EQ(canvas.Font.Height, 14);
    }
}

}  // namespace
