#include "drawing/qt_canvas.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "drawing/fonts.h"
#include "drawing/forwarding_canvas.h"
#include "drawing/worksheet.h"
#include "tests/common/face_name.h"

namespace {

const std::string GothicFace = "ＭＳ ゴシック";
const std::string MinchoFace = "ＭＳ 明朝";

QImage WhiteImage(int w, int h, int dpi = 96) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    const int dpm = static_cast<int>(std::lround(dpi / 0.0254));
    img.setDotsPerMeterX(dpm);
    img.setDotsPerMeterY(dpm);
    return img;
}

bool Ink(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)) < 128; }

struct Box {
    int left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;  // inclusive
    bool empty() const { return right < 0; }
};

Box InkBox(const QImage& img) {
    Box b;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (Ink(img, x, y)) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

TEST(Fonts, RequestedFacesResolveToTheIpaFonts) {
    struct Case {
        const char* requested;
        const char* family;
    };
    for (const auto& c : std::vector<Case>{
             {"ＭＳ 明朝", "IPAMincho"}, {"ＭＳ ゴシック", "IPAGothic"}, {"ＭＳ Ｐゴシック", "IPAPGothic"}}) {
        EXPECT_EQ(FaceName(QFont(QString::fromUtf8(c.requested))), QString::fromLatin1(c.family)) << c.requested;
    }
    // The canvas passes the names on unchanged and gets the same faces.
    QImage img = WhiteImage(10, 10);
    QPainter p(&img);
    TQtCanvas canvas(p);
    canvas.Font.Name = MinchoFace;
    canvas.Font.Height = 14;
    EXPECT_EQ(canvas.CurrentQFont().family(), QString::fromUtf8(MinchoFace.c_str()));
    EXPECT_EQ(FaceName(canvas.CurrentQFont()), "IPAMincho");
}

TEST(Fonts, ACanvasSetsTheSubstitutionsUpIfNobodyDidYet) {
    for (const char* name : {"ＭＳ 明朝", "ＭＳ ゴシック", "ＭＳ Ｐゴシック"})
        QFont::removeSubstitutions(QString::fromUtf8(name));
    // Left to fontconfig, the proportional face becomes some other face (a Latin one, or under
    // a Japanese locale a fixed-pitch Gothic): only the substitution gives IPAPGothic.
    ASSERT_NE(FaceName(QFont(QString::fromUtf8("ＭＳ Ｐゴシック"))), "IPAPGothic");
    QImage img = WhiteImage(10, 10);
    QPainter p(&img);
    TQtCanvas canvas(p);
    canvas.Font.Name = GothicFace;
    canvas.Font.Height = 10;
    EXPECT_EQ(FaceName(canvas.CurrentQFont()), "IPAGothic");
    EXPECT_EQ(FaceName(QFont(QString::fromUtf8("ＭＳ 明朝"))), "IPAMincho");
    EXPECT_EQ(FaceName(QFont(QString::fromUtf8("ＭＳ Ｐゴシック"))), "IPAPGothic");
}

struct CellCase {
    const char* face;
    int height;
    int pixelSize;  // 0: the height cannot be hit
};

TEST(QtCanvas, CellHeightsOnTheScreen) {
    // Pixel sizes as measured for these fonts; where none hits, the cell falls just short.
    const std::vector<CellCase> cases = {
        {"ＭＳ 明朝", 10, 9},      {"ＭＳ 明朝", 14, 13},     {"ＭＳ 明朝", 20, 18},      {"ＭＳ 明朝", 40, 36},
        {"ＭＳ 明朝", 100, 91},    {"ＭＳ 明朝", 200, 182},   {"ＭＳ 明朝", 6, 6},        {"ＭＳ 明朝", 7, 0},
        {"ＭＳ 明朝", 13, 0},      {"ＭＳ 明朝", 300, 0},     {"ＭＳ ゴシック", 10, 9},   {"ＭＳ ゴシック", 14, 13},
        {"ＭＳ ゴシック", 20, 18}, {"ＭＳ ゴシック", 40, 38}, {"ＭＳ ゴシック", 100, 93}, {"ＭＳ ゴシック", 200, 186},
        {"ＭＳ ゴシック", 8, 0},   {"ＭＳ ゴシック", 19, 0},  {"ＭＳ ゴシック", 24, 0},   {"ＭＳ ゴシック", 6, 6},
    };
    QImage img = WhiteImage(10, 10);
    QPainter p(&img);
    TQtCanvas canvas(p);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.face) + " " + std::to_string(c.height));
        canvas.Font.Name = c.face;
        canvas.Font.Height = c.height;
        const int cell = canvas.TextHeight("0");
        const QFont f = canvas.CurrentQFont();
        if (c.pixelSize > 0) {
            EXPECT_EQ(cell, c.height);
            EXPECT_EQ(f.pixelSize(), c.pixelSize);
        } else {
            EXPECT_LT(cell, c.height);
            QFont bigger(f);
            bigger.setPixelSize(f.pixelSize() + 1);
            const QFontMetrics fm(bigger, &img);
            EXPECT_GT(fm.ascent() + fm.descent(), c.height) << "a larger size would still fit";
        }
        EXPECT_EQ(cell, QFontMetrics(f, &img).ascent() + QFontMetrics(f, &img).descent());
    }
}

// A printer works at 600 or 1200 dpi: the cell must come out in that device's pixels, and
// what is drawn must match what is measured.
TEST(QtCanvas, CellHeightsOnHighResolutionDevices) {
    for (int dpi : {72, 300, 600, 1200}) {
        SCOPED_TRACE(dpi);
        QImage img = WhiteImage(1400, 400, dpi);
        QPainter p(&img);
        TQtCanvas canvas(p);
        canvas.Brush.Style = TBrushStyle::Clear;
        canvas.Font.Name = MinchoFace;
        canvas.Font.Height = 210;
        EXPECT_EQ(canvas.TextHeight("0"), 210);
        const int width = canvas.TextWidth("0123456789");
        EXPECT_EQ(canvas.TextWidth("0"), canvas.Font.Height * 0 + canvas.TextWidth("5"));
        // Half-width digits are half an em, rounded up to whole pixels at most.
        const int px = canvas.CurrentQFont().pixelSize();
        EXPECT_GE(width, 10 * px / 2);
        EXPECT_LE(width, 10 * ((px + 1) / 2));
        canvas.TextOut(100, 100, "0123456789");
        p.end();
        const Box ink = InkBox(img);
        ASSERT_FALSE(ink.empty());
        EXPECT_GE(ink.top, 100);
        EXPECT_LT(ink.bottom, 100 + 210);
        EXPECT_GT(ink.bottom - ink.top, 210 / 2);  // digits fill most of the cell
        EXPECT_GE(ink.left, 100);
        EXPECT_LE(ink.right, 100 + width);
        EXPECT_GT(ink.right - ink.left, width * 8 / 10);
    }
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QPdfWriter pdf(dir.filePath("page.pdf"));
    pdf.setResolution(600);
    QPainter p(&pdf);
    ASSERT_TRUE(p.isActive());
    TQtCanvas canvas(p);
    QImage ref = WhiteImage(10, 10, 600);
    QPainter rp(&ref);
    TQtCanvas refCanvas(rp);
    for (int h : {45, 90, 150, 210, 420}) {
        canvas.Font.Name = refCanvas.Font.Name = MinchoFace;
        canvas.Font.Height = refCanvas.Font.Height = h;
        EXPECT_EQ(canvas.TextHeight("0"), h) << h;
        EXPECT_EQ(canvas.TextWidth("12.345"), refCanvas.TextWidth("12.345")) << h;
    }
}

TEST(QtCanvas, WidthsAreOfWholeStrings) {
    QImage img = WhiteImage(10, 10);
    QPainter p(&img);
    TQtCanvas canvas(p);
    canvas.Font.Name = MinchoFace;
    for (int h : {8, 10, 14, 15, 21}) {
        canvas.Font.Height = h;
        const QFontMetricsF exact(canvas.CurrentQFont(), &img);
        const double advance = exact.horizontalAdvance(QStringLiteral("0000000000")) / 10.0;
        EXPECT_NEAR(canvas.TextWidth("0000000000"), 10 * advance, 0.5 + 1e-9) << h;
        EXPECT_NEAR(canvas.TextWidth("12.3"), 4 * advance, 0.5 + 1e-9) << h;
    }
}

// Widths are remembered per font: the same string measured again, after other faces and sizes,
// and after the memory has been emptied for being full, is as wide as Qt lays it out now.
TEST(QtCanvas, RememberedWidthsBelongToTheirFont) {
    QImage img = WhiteImage(10, 10);
    QPainter p(&img);
    TQtCanvas canvas(p);
    struct Case {
        std::string face;
        int height;
        TFontStyle style;
    };
    const std::vector<Case> fonts{{MinchoFace, 14, TFontStyle::Empty},
                                  {MinchoFace, 15, TFontStyle::Empty},
                                  {GothicFace, 14, TFontStyle::Empty},
                                  {MinchoFace, 140, TFontStyle::Underline},
                                  {GothicFace, 7, TFontStyle::Underline}};
    const std::vector<std::string> texts{"0", "12.3", "×", "問題No.12", "", "0.000001"};
    const auto check = [&](const std::string& text) {
        const QFontMetrics fresh(canvas.CurrentQFont(), &img);
        EXPECT_EQ(canvas.TextWidth(text), fresh.horizontalAdvance(QString::fromStdString(text)))
            << canvas.Font.Name << " " << canvas.Font.Height << " " << text;
    };
    for (int round = 0; round < 2; ++round)
        for (const Case& f : fonts)
            for (const std::string& text : texts) {
                canvas.Font.Name = f.face;
                canvas.Font.Height = f.height;
                canvas.Font.Style = f.style;
                check(text);
            }

    canvas.Font = TFont{MinchoFace, 14, TFontStyle::Empty};
    for (std::size_t k = 0; k <= TQtCanvas::WidthsKept + 1; ++k) canvas.TextWidth(std::to_string(k * 7));
    for (const std::string& text : texts) check(text);
    check(std::to_string(TQtCanvas::WidthsKept * 7));
}

// Texts are drawn from glyphs shaped once and remembered: every pixel must be where Qt's own
// drawText puts it, for each face, size and underline, for a character the face lacks (drawn
// from a fallback face), drawn again from memory, and after the memory was emptied.
TEST(QtCanvas, RememberedGlyphsDrawWhatDrawTextDraws) {
    struct Case {
        std::string face;
        int height;
        TFontStyle style;
    };
    const std::vector<Case> fonts{{MinchoFace, 14, TFontStyle::Empty},
                                  {MinchoFace, 29, TFontStyle::Underline},
                                  {GothicFace, 11, TFontStyle::Empty},
                                  {"ＭＳ Ｐゴシック", 40, TFontStyle::Empty}};
    const std::vector<std::string> texts{"12.375", "× 0.6", "名前　（16）", "こたえ 月　日 点", "Ωµ€𝟘", " "};
    for (const Case& f : fonts)
        for (const std::string& text : texts) {
            QImage ours = WhiteImage(600, 80), theirs = WhiteImage(600, 80);
            {
                QPainter p(&ours);
                TQtCanvas canvas(p);
                canvas.Font = TFont{f.face, f.height, f.style};
                canvas.Brush.Style = TBrushStyle::Clear;
                canvas.TextOut(3, 5, text);
                // From memory, and once more after the memory was emptied for being full.
                canvas.TextOut(3, 40, text);
                for (std::size_t k = 0; k <= TQtCanvas::WidthsKept; ++k) canvas.TextOut(-900, 0, std::to_string(k));
                canvas.TextOut(303, 40, text);
            }
            {
                QPainter p(&theirs);
                TQtCanvas canvas(p);
                canvas.Font = TFont{f.face, f.height, f.style};
                const QFont& font = canvas.CurrentQFont();
                const int ascent = QFontMetrics(font, &theirs).ascent();
                p.setFont(font);
                p.setPen(Qt::black);
                const QString s = QString::fromStdString(text);
                p.drawText(QPoint(3, 5 + ascent), s);
                p.drawText(QPoint(3, 40 + ascent), s);
                p.drawText(QPoint(303, 40 + ascent), s);
            }
            EXPECT_TRUE(ours == theirs) << f.face << " " << f.height << " '" << text << "'";
        }
}

TEST(QtCanvas, UnderlineClearBrushAndRectangle) {
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(QColor(255, 0, 0));
    {
        QPainter p(&img);
        TQtCanvas canvas(p);
        canvas.Font.Name = MinchoFace;
        canvas.Font.Height = 40;
        canvas.Brush.Style = TBrushStyle::Clear;
        canvas.TextOut(10, 10, "    ");  // spaces: with a clear brush nothing at all
        canvas.Font.Style = TFontStyle::Underline;
        canvas.TextOut(10, 50, "    ");  // underlined spaces: only the line
        canvas.Font.Style = TFontStyle::Empty;
        canvas.Brush.Style = TBrushStyle::Solid;
        canvas.Brush.Color = 0x00FF00;
        canvas.TextOut(120, 10, " ");  // an opaque text paints its cell
    }
    EXPECT_EQ(img.pixelColor(20, 30), QColor(255, 0, 0));
    int underlineRows = 0;
    for (int y = 50; y < 90; ++y)
        if (qGray(img.pixel(30, y)) < 60) ++underlineRows;
    EXPECT_GE(underlineRows, 1);
    EXPECT_EQ(img.pixelColor(121, 11), QColor(0, 255, 0));
    EXPECT_EQ(img.pixelColor(140, 30), QColor(255, 0, 0));  // beyond the cell of " "

    QImage r(20, 20, QImage::Format_RGB32);
    r.fill(Qt::black);
    {
        QPainter p(&r);
        TQtCanvas canvas(p);
        canvas.Brush.Style = TBrushStyle::Solid;
        canvas.Brush.Color = 0xFF0000;
        canvas.Pen.Color = 0x0000FF;
        canvas.Rectangle(2, 3, 10, 8);
        canvas.Brush.Style = TBrushStyle::Clear;
        canvas.Rectangle(12, 12, 18, 18);
    }
    EXPECT_EQ(r.pixelColor(2, 3), QColor(0, 0, 255));
    EXPECT_EQ(r.pixelColor(9, 7), QColor(0, 0, 255));
    EXPECT_EQ(r.pixelColor(5, 5), QColor(255, 0, 0));
    EXPECT_EQ(r.pixelColor(10, 8), QColor(0, 0, 0));
    EXPECT_EQ(r.pixelColor(10, 5), QColor(0, 0, 0));
    EXPECT_EQ(r.pixelColor(12, 17), QColor(0, 0, 255));
    EXPECT_EQ(r.pixelColor(15, 15), QColor(0, 0, 0));
}

// Filled rectangles cover exactly their pixels in the brush's colour, pen or not, an empty one
// none; what is drawn after them is drawn as it would be without them.
TEST(QtCanvas, FillRectanglesCoverExactlyTheirPixels) {
    QImage r(20, 20, QImage::Format_RGB32);
    r.fill(Qt::black);
    {
        QPainter p(&r);
        TQtCanvas canvas(p);
        canvas.Brush = {TBrushStyle::Solid, 0x999999};
        canvas.Pen.Color = 0x0000FF;
        const TRect lines[] = {{2, 3, 12, 4}, {5, 6, 6, 16}, {8, 8, 8, 18}};
        canvas.FillRectangles(lines);
        canvas.Brush.Style = TBrushStyle::Clear;
        canvas.Rectangle(14, 14, 19, 19);
    }
    const QColor grey(0x99, 0x99, 0x99), black(0, 0, 0);
    EXPECT_EQ(r.pixelColor(2, 3), grey);
    EXPECT_EQ(r.pixelColor(11, 3), grey);
    EXPECT_EQ(r.pixelColor(12, 3), black);
    EXPECT_EQ(r.pixelColor(2, 4), black);
    EXPECT_EQ(r.pixelColor(5, 15), grey);
    EXPECT_EQ(r.pixelColor(6, 10), black);
    EXPECT_EQ(r.pixelColor(5, 16), black);
    EXPECT_EQ(r.pixelColor(8, 10), black);  // no width: nothing
    EXPECT_EQ(r.pixelColor(14, 14), QColor(0, 0, 255));
    EXPECT_EQ(r.pixelColor(16, 16), black);  // the clear brush after them fills nothing
}

// Forwards to a real canvas, optionally leaving out the small points, so that the ink of the
// digits and the ink of the points can be told apart.
class TPointsLeftOut : public TForwardingCanvas {
public:
    TPointsLeftOut(TCanvas& inner, bool skipPoints) : TForwardingCanvas(inner), skipPoints_(skipPoints) {}
    void TextOut(std::int32_t x, std::int32_t y, std::string_view text) override {
        if (!(skipPoints_ && text == ".")) TForwardingCanvas::TextOut(x, y, text);
    }

private:
    bool skipPoints_;
};

QImage DrawFigure(const char* a, const char* b, int fh, int x, int y, bool points) {
    QImage img = WhiteImage(600, 12 * fh);
    QPainter p(&img);
    TQtCanvas real(p);
    TPointsLeftOut canvas(real, !points);
    canvas.Font.Name = MinchoFace;
    canvas.Font.Height = fh;
    canvas.Brush.Style = TBrushStyle::Clear;
    Hissan(canvas, x, y, a, b, "×", true);
    return img;
}

// Centres of the separate runs of ink columns within rows [top, bottom) and x >= fromX.
std::vector<double> InkRuns(const QImage& img, int top, int bottom, int fromX) {
    std::vector<double> centres;
    int start = -1;
    for (int x = fromX; x <= img.width(); ++x) {
        bool any = false;
        for (int y = top; x < img.width() && y < bottom; ++y) any |= Ink(img, x, y);
        if (any && start < 0) start = x;
        if (!any && start >= 0) {
            centres.push_back((start + x - 1) / 2.0);
            start = -1;
        }
    }
    return centres;
}

TEST(QtCanvas, WorkedFigureDigitsShareColumnsWithPointsBetween) {
    struct Case {
        const char* a;
        const char* b;
        std::vector<int> digitsPerRow, pointsPerRow;
    };
    const std::vector<Case> cases = {
        {"2.35", "1.4", {3, 2, 3, 3, 3}, {1, 1, 0, 0, 1}},
        {"3", "0.25", {1, 3, 2, 1, 3}, {0, 1, 0, 0, 1}},
        {"99.999", "99.999", {5, 5, 6, 6, 6, 6, 6, 10}, {1, 1, 0, 0, 0, 0, 0, 1}},
        {"12.345", "6", {5, 1, 4}, {1, 0, 1}},
    };
    for (int fh : {14, 20, 40, 41}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.a) + " x " + c.b + " at " + std::to_string(fh));
            const int x = 200, y = 10;
            const QImage digits = DrawFigure(c.a, c.b, fh, x, y, false);
            const QImage all = DrawFigure(c.a, c.b, fh, x, y, true);

            QImage probe = WhiteImage(1, 1);
            QPainter pp(&probe);
            TQtCanvas measure(pp);
            measure.Font.Name = MinchoFace;
            measure.Font.Height = fh;
            const double w =
                QFontMetricsF(measure.CurrentQFont(), &probe).horizontalAdvance(QStringLiteral("0000000000")) / 10.0;
            const int operatorEnd = x + measure.TextWidth("×");
            pp.end();

            // Column centres from the multiplicand's last digit.
            const auto first = InkRuns(digits, y, y + fh * 6 / 10, 0);
            ASSERT_FALSE(first.empty());
            const double col0 = first.back();
            for (std::size_t row = 0; row < c.digitsPerRow.size(); ++row) {
                const int top = y + static_cast<int>(row) * fh;
                // Digits only: the operator of the multiplier row stands left of X + its width.
                // The upper part of the row only, above any underline.
                const auto runs = InkRuns(digits, top, top + fh * 6 / 10, row == 1 ? operatorEnd : 0);
                ASSERT_EQ(runs.size(), static_cast<std::size_t>(c.digitsPerRow[row])) << "row " << row;
                for (double centre : runs) {
                    const double cols = (col0 - centre) / w;
                    // Glyphs are not symmetric in their cells ("1" leans), so the ink centre of
                    // a digit may sit a few pixels off; a misplaced digit is off by half a
                    // column or more.
                    EXPECT_NEAR(cols, std::round(cols), 0.2) << "row " << row << " off the columns";
                }
                // At preview sizes the point is a pixel or two that touches a digit; its place
                // is then only what the recording tests check.
                if (fh < 40) continue;
                // The point's own ink: what the full figure has that the digits alone lack.
                QImage diff = WhiteImage(all.width(), all.height());
                for (int yy = top; yy < top + fh; ++yy)
                    for (int xx = 0; xx < all.width(); ++xx)
                        if (Ink(all, xx, yy) && !Ink(digits, xx, yy)) diff.setPixel(xx, yy, qRgb(0, 0, 0));
                const auto points = InkRuns(diff, top, top + fh, 0);
                EXPECT_EQ(points.size(), static_cast<std::size_t>(c.pointsPerRow[row])) << "row " << row;
                for (double centre : points) {
                    const double cols = (col0 - centre) / w;
                    const double fromJoint = std::abs(cols - (std::floor(cols) + 0.5));
                    EXPECT_LT(fromJoint, 0.3) << "row " << row << ": point not between two columns";
                }
            }
        }
    }
}

TEST(QtCanvas, WholePageDrawsOnAnImage) {
    ProblemSet set;
    const char* texts[][2] = {{"2.35", "1.4"}, {"12.5", "0.6"}, {"3", "0.25"}, {"99.999", "99.999"}};
    for (int k = 1; k <= 4; ++k) {
        set[k].MultiplicandText = texts[k - 1][0];
        set[k].MultiplierText = texts[k - 1][1];
    }
    PageContent content;
    content.Sentence = "次の計算をしましょう。";
    content.Problems = &set;
    content.ProblemCount = 4;
    content.ShowAnswers = true;
    QImage img(320, 441, QImage::Format_RGB32);
    img.fill(Qt::gray);
    {
        QPainter p(&img);
        TQtCanvas canvas(p);
        MakePrint(canvas, 320, 441, content);
    }
    EXPECT_EQ(img.pixelColor(0, 0), QColor(Qt::white));
    // Rectangle(0, 0, 319, 440) ends short of its right and bottom coordinates.
    EXPECT_EQ(img.pixelColor(318, 439), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(319, 200), QColor(Qt::gray));
    EXPECT_EQ(img.pixelColor(200, 440), QColor(Qt::gray));
    const Box ink = InkBox(img);
    EXPECT_LE(ink.top, 20);                   // the header
    EXPECT_GE(ink.bottom, 70 + 7 * 14 - 14);  // down to the product of 99.999 x 99.999
}

}  // namespace

int main(int argc, char** argv) {
    // The tests never need a display; an unset platform would make the application fail.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InstallFontSubstitutions();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
