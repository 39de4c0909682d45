// The answer sheet as it reaches paper: an A4 PDF drawn through the QPainter surface and read
// back with pdftotext -bbox-layout. Every text box lies inside the printable area, and no box of
// one figure overlaps a box of another.
//
// To tell which figure a text belongs to, the PDF holds the page once as it prints and then, on
// a page each, the same drawing passed through a filter that lets only one figure's calls (or
// only the header's) through. Everything is drawn by one MakePrint call per page, so the
// figures stand where they stand on the real page; the test checks that the pieces add up to it.
//
// On squared paper, each digit as the real font prints it is read back into the squares the
// figure drew: one digit a square.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPointF>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "drawing/fonts.h"
#include "drawing/forwarding_canvas.h"
#include "drawing/qt_canvas.h"
#include "drawing/recording_canvas.h"
#include "drawing/sample_page.h"
#include "drawing/worksheet.h"

namespace {

// Passes on only the calls numbered [from, to) of a drawing; measures through the real surface.
class TSomeCalls : public TForwardingCanvas {
public:
    TSomeCalls(TCanvas& target, std::size_t from, std::size_t to) : TForwardingCanvas(target), from_(from), to_(to) {}

    void TextOut(std::int32_t x, std::int32_t y, std::string_view text) override {
        if (Passes()) TForwardingCanvas::TextOut(x, y, text);
    }
    void Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override {
        if (Passes()) TForwardingCanvas::Rectangle(x1, y1, x2, y2);
    }

private:
    bool Passes() {
        const std::size_t n = next_++;
        return n >= from_ && n < to_;
    }

    std::size_t from_, to_, next_ = 0;
};

struct Word {
    std::string text;
    double xMin, yMin, xMax, yMax;
};

struct Rect {
    double left, top, right, bottom;
};

std::vector<std::vector<Word>> ReadWords(const QString& pdf) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    EXPECT_FALSE(tool.isEmpty()) << "pdftotext is missing (poppler-utils)";
    if (tool.isEmpty()) return {};
    QProcess p;
    p.start(tool, {QStringLiteral("-bbox-layout"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QXmlStreamReader xml(p.readAllStandardOutput());
    std::vector<std::vector<Word>> pages;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QLatin1String("page")) {
            pages.emplace_back();
        } else if (xml.name() == QLatin1String("word") && !pages.empty()) {
            const auto a = xml.attributes();
            Word w{{},
                   a.value("xMin").toDouble(),
                   a.value("yMin").toDouble(),
                   a.value("xMax").toDouble(),
                   a.value("yMax").toDouble()};
            w.text = xml.readElementText().toStdString();
            pages.back().push_back(w);
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return pages;
}

bool Overlap(const Rect& a, const Rect& b) {
    constexpr double Slack = 0.01;  // pdftotext's coordinates are rounded to 1/1000000 pt
    return a.left < b.right - Slack && b.left < a.right - Slack && a.top < b.bottom - Slack && b.top < a.bottom - Slack;
}

std::string Show(const Rect& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") - (" + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + ")";
}

struct Sheet {
    int dpi;
    int count;
};

void PrintTo(const Sheet& sheet, std::ostream* out) {
    *out << "A4 at " << sheet.dpi << " dpi, " << sheet.count << " problems";
}

class PrintedBoxes : public ::testing::TestWithParam<Sheet> {};

TEST_P(PrintedBoxes, FiguresStayInsideThePageAndApart) {
    const Sheet sheet = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("answers.pdf"));

    const ProblemSet set = SampleProblems();
    PageContent content = SamplePage(set, true);
    content.ProblemCount = sheet.count;

    // Where each figure's calls lie in the page's drawing: the white area and four header
    // texts, then each figure's own calls, as many as it makes alone.
    std::vector<std::pair<std::size_t, std::size_t>> ranges{{0, 5}};
    for (int k = 1; k <= sheet.count; ++k) {
        TRecordingCanvas alone;
        alone.Font.Height = 14;
        Hissan(alone, 0, 0, set[k].MultiplicandText, set[k].MultiplierText, "×", true);
        ranges.emplace_back(ranges.back().second, ranges.back().second + alone.calls.size());
    }

    constexpr double MarginMm = 3.53;
    QRect area;
    {
        QPdfWriter pdf(path);
        pdf.setResolution(sheet.dpi);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm), QPageLayout::Millimeter));
        area = pdf.pageLayout().paintRectPixels(pdf.resolution());
        QPainter painter(&pdf);
        ASSERT_TRUE(painter.isActive());
        TQtCanvas canvas(painter);
        MakePrint(canvas, area.width(), area.height(), content);
        for (const auto& [from, to] : ranges) {
            pdf.newPage();
            TSomeCalls some(canvas, from, to);
            MakePrint(some, area.width(), area.height(), content);
        }
    }

    const auto pages = ReadWords(path);
    ASSERT_EQ(pages.size(), ranges.size() + 1);

    // The printable area in points, from the page's top-left corner.
    const double pt = 72.0 / sheet.dpi;
    const double margin = MarginMm / 25.4 * 72.0;
    const Rect printable{margin, margin, margin + area.width() * pt, margin + area.height() * pt};
    constexpr double Slack = 0.01;
    for (const Word& w : pages[0]) {
        EXPECT_TRUE(w.xMin >= printable.left - Slack && w.yMin >= printable.top - Slack &&
                    w.xMax <= printable.right + Slack && w.yMax <= printable.bottom + Slack)
            << w.text << " at " << Show({w.xMin, w.yMin, w.xMax, w.yMax}) << " outside " << Show(printable);
    }

    // The pieces add up to the page: the same words in the same places.
    auto key = [](const Word& w) {
        return std::make_tuple(w.text, std::lround(w.xMin * 100), std::lround(w.yMin * 100), std::lround(w.xMax * 100),
                               std::lround(w.yMax * 100));
    };
    std::vector<decltype(key(pages[0][0]))> whole, pieces;
    for (const Word& w : pages[0]) whole.push_back(key(w));
    for (std::size_t p = 1; p < pages.size(); ++p)
        for (const Word& w : pages[p]) pieces.push_back(key(w));
    std::sort(whole.begin(), whole.end());
    std::sort(pieces.begin(), pieces.end());
    EXPECT_TRUE(whole == pieces) << whole.size() << " words on the page, " << pieces.size() << " in its pieces";

    std::vector<Rect> figures;
    for (std::size_t p = 2; p < pages.size(); ++p) {
        ASSERT_FALSE(pages[p].empty()) << "figure " << p - 1 << " left no text";
        Rect r{1e9, 1e9, -1e9, -1e9};
        for (const Word& w : pages[p]) {
            r.left = std::min(r.left, w.xMin);
            r.top = std::min(r.top, w.yMin);
            r.right = std::max(r.right, w.xMax);
            r.bottom = std::max(r.bottom, w.yMax);
        }
        figures.push_back(r);
    }
    ASSERT_EQ(figures.size(), static_cast<std::size_t>(sheet.count));
    for (std::size_t a = 0; a < figures.size(); ++a)
        for (std::size_t b = a + 1; b < figures.size(); ++b)
            EXPECT_FALSE(Overlap(figures[a], figures[b])) << "figure " << a + 1 << " " << Show(figures[a])
                                                          << " overlaps figure " << b + 1 << " " << Show(figures[b]);
}

INSTANTIATE_TEST_SUITE_P(A4, PrintedBoxes, ::testing::Values(Sheet{600, 16}, Sheet{600, 12}, Sheet{1200, 16}),
                         [](const ::testing::TestParamInfo<Sheet>& sheet) {
                             return std::to_string(sheet.param.dpi) + "dpi_" + std::to_string(sheet.param.count);
                         });

// Passes everything on and keeps each figure's squares: the lines a figure fills, one run of
// them before its texts.
class TSquaresSeen : public TForwardingCanvas {
public:
    struct Lines {
        std::vector<double> columns, rows;  // the lines' middles, device pixels, sorted
    };
    using TForwardingCanvas::TForwardingCanvas;

    void TextOut(std::int32_t x, std::int32_t y, std::string_view text) override {
        inLines_ = false;
        TForwardingCanvas::TextOut(x, y, text);
    }
    void Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override {
        inLines_ = false;
        TForwardingCanvas::Rectangle(x1, y1, x2, y2);
    }
    void FillRectangles(std::span<const TRect> rects) override {
        TForwardingCanvas::FillRectangles(rects);
        if (!inLines_) figures.emplace_back();
        inLines_ = true;
        for (const TRect& r : rects) {
            const bool across = r.Right - r.Left > r.Bottom - r.Top;
            auto& lines = across ? figures.back().rows : figures.back().columns;
            const double middle = across ? r.Top + (r.Bottom - r.Top) / 2 : r.Left + (r.Right - r.Left) / 2;
            lines.insert(std::upper_bound(lines.begin(), lines.end(), middle), middle);
        }
    }

    std::vector<Lines> figures;

private:
    bool inLines_ = false;
};

// The span between two neighbouring lines that holds [from, to], or -1.
int SpanHolding(const std::vector<double>& lines, double from, double to) {
    constexpr double Slack = 0.05;  // points: pdftotext's rounding and a line's half-pixel middle
    for (std::size_t k = 0; k + 1 < lines.size(); ++k)
        if (lines[k] - Slack <= from && to <= lines[k + 1] + Slack) return static_cast<int>(k);
    return -1;
}

struct SquaresSheet {
    const char* paper;
    QPageSize::PageSizeId size;
    int count;
    bool answers;
};

void PrintTo(const SquaresSheet& sheet, std::ostream* out) {
    *out << sheet.paper << ", " << sheet.count << (sheet.answers ? " answers" : " problems");
}

class PrintedSquares : public ::testing::TestWithParam<SquaresSheet> {};

// Every digit as the real font prints it lies in one square, and no square holds two: the
// squares follow the digits' own advances, not a nominal cell.
TEST_P(PrintedSquares, EachPrintedDigitInASquareOfItsOwn) {
    const SquaresSheet sheet = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("squares.pdf"));
    const ProblemSet set = SampleProblems();
    PageContent content = SamplePage(set, sheet.answers);
    content.ProblemCount = sheet.count;
    content.Style = TPageStyle::Textbook();
    content.Style.Grid = TFigureGrid::Squares;

    constexpr int Dpi = 1200;
    constexpr double MarginMm = 5;
    std::vector<TSquaresSeen::Lines> figures;
    QPointF origin;  // the printable area's corner in points, as the writer rounded the margins
    {
        QPdfWriter pdf(path);
        pdf.setResolution(Dpi);
        pdf.setPageLayout(QPageLayout(QPageSize(sheet.size), QPageLayout::Portrait,
                                      QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm), QPageLayout::Millimeter));
        const QRect area = pdf.pageLayout().paintRectPixels(Dpi);
        origin = pdf.pageLayout().paintRect(QPageLayout::Point).topLeft();
        QPainter painter(&pdf);
        ASSERT_TRUE(painter.isActive());
        TQtCanvas canvas(painter);
        TSquaresSeen seen(canvas);
        MakePrint(seen, area.width(), area.height(), content);
        figures = seen.figures;
    }
    ASSERT_EQ(figures.size(), static_cast<std::size_t>(sheet.count));
    const double pt = 72.0 / Dpi;
    for (auto& f : figures) {
        for (double& x : f.columns) x = origin.x() + x * pt;
        for (double& y : f.rows) y = origin.y() + y * pt;
    }

    const auto pages = ReadWords(path);
    ASSERT_EQ(pages.size(), 1u);
    std::set<std::tuple<std::size_t, int, int>> taken;
    int digits = 0;
    for (const Word& w : pages[0]) {
        // A line's digits are the word's end: "×16" before a point, "72", "653896".
        std::size_t first = w.text.size();
        while (first > 0 && w.text[first - 1] >= '0' && w.text[first - 1] <= '9') --first;
        const std::size_t n = w.text.size() - first;
        // Points and slashes have no digits; the header's and the problem numbers' are no figure's.
        if (n == 0 || (first != 0 && w.text.substr(0, first) != "×")) continue;
        const double advance = first == 0 ? (w.xMax - w.xMin) / static_cast<double>(n)
                                          : (w.xMax - w.xMin) / (static_cast<double>(n) + 2.0);
        for (std::size_t k = 0; k < n; ++k) {
            const double right = w.xMax - static_cast<double>(k) * advance, left = right - advance;
            ++digits;
            bool placed = false;
            for (std::size_t f = 0; f < figures.size() && !placed; ++f) {
                const int column = SpanHolding(figures[f].columns, left, right);
                const int row = SpanHolding(figures[f].rows, w.yMin, w.yMax);
                if (column < 0 || row < 0) continue;
                placed = true;
                EXPECT_TRUE(taken.insert({f, column, row}).second) << "two digits in one square: " << w.text;
            }
            EXPECT_TRUE(placed) << "digit " << k + 1 << " from the right of '" << w.text << "' at "
                                << Show({left, w.yMin, right, w.yMax}) << " is in no square";
        }
    }
    EXPECT_GE(digits, (sheet.answers ? 10 : 3) * sheet.count);
}

INSTANTIATE_TEST_SUITE_P(Papers, PrintedSquares,
                         ::testing::Values(SquaresSheet{"A4", QPageSize::A4, 16, true},
                                           SquaresSheet{"A4", QPageSize::A4, 12, false},
                                           SquaresSheet{"B5", QPageSize::JisB5, 16, true},
                                           SquaresSheet{"B5", QPageSize::JisB5, 12, true},
                                           SquaresSheet{"Letter", QPageSize::Letter, 16, false}),
                         [](const ::testing::TestParamInfo<SquaresSheet>& sheet) {
                             return std::string(sheet.param.paper) + "_" + std::to_string(sheet.param.count) +
                                    (sheet.param.answers ? "_answers" : "_problems");
                         });

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InstallFontSubstitutions();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
