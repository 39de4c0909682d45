// The enlarged view of the sheet: its zoom, its fits, what it asks the page painter for, its
// keys and wheel, and what it shows at the size of an A4 sheet.
#include <QAbstractButton>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QtTest>
#include <cmath>
#include <memory>
#include <vector>

#include "drawing/fonts.h"
#include "drawing/forwarding_canvas.h"
#include "drawing/qt_canvas.h"
#include "drawing/sample_page.h"
#include "drawing/worksheet.h"
#include "output/sheet_view.h"
#include "tests/common/wait_verify.h"

namespace {

struct PaintCall {
    std::int32_t width, height;
    bool answers;
};

// Where the small points of a page went, drawn through the real surface.
class PointFinder : public TForwardingCanvas {
public:
    using TForwardingCanvas::TForwardingCanvas;
    std::vector<QRect> points;

    void TextOut(std::int32_t x, std::int32_t y, std::string_view text) override {
        TForwardingCanvas::TextOut(x, y, text);
        if (text == ".") points.emplace_back(x, y, Target().TextWidth(text), Target().TextHeight(text));
    }
};

// The largest square of dark pixels inside `cell`: a point a teacher can see is more than a
// pale speck.
int DarkestSquare(const QImage& img, const QRect& cell) {
    int best = 0;
    const QRect r = cell.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            int n = 0;
            while (x + n <= r.right() && y + n <= r.bottom()) {
                bool dark = true;
                for (int i = 0; i <= n && dark; ++i)
                    dark = qGray(img.pixel(x + n, y + i)) < 128 && qGray(img.pixel(x + i, y + n)) < 128;
                if (!dark) break;
                ++n;
            }
            best = std::max(best, n);
        }
    return best;
}

}  // namespace

class TestSheetView : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> window;
    std::vector<PaintCall> calls;
    ProblemSet problems = SampleProblems();

    TSheetPainter Recorder() {
        return [this](TCanvas& canvas, std::int32_t w, std::int32_t h, bool answers) {
            calls.push_back({w, h, answers});
            MakePrint(canvas, w, h, SamplePage(problems, answers));
        };
    }

    TSheetView* Open() {
        TSheetView* view = TSheetView::ShowFor(window.get(), Recorder());
        view->resize(900, 1000);
        if (!QTest::qWaitForWindowExposed(view)) return nullptr;
        QCoreApplication::processEvents();
        return view;
    }

    static double Dpr(const TSheetView* view) { return view->Page()->devicePixelRatioF(); }
    static int A4Width(const TSheetView* view) {
        return static_cast<int>(std::lround(210.0 / 25.4 * view->logicalDpiX()));
    }
    static QSize Viewport(const TSheetView* view) { return view->ScrollArea()->viewport()->size(); }

private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void init() {
        problems = SampleProblems();
        window = std::make_unique<QWidget>();
        window->resize(400, 300);
        window->show();
        calls.clear();
    }
    void cleanup() { window.reset(); }

    void japaneseLabelsAndNoPrinting() {
        QCOMPARE(TSheetView::Of(window.get()), nullptr);
        TSheetView* view = Open();
        QVERIFY(view);
        QCOMPARE(TSheetView::Of(window.get()), view);
        QCOMPARE(view->windowTitle(), QStringLiteral("プレビューの拡大"));
        QVERIFY(view->isWindow());
        QCOMPARE(view->windowModality(), Qt::NonModal);
        QVERIFY(view->parentWidget() == window.get());
        auto* tabs = view->findChild<QTabBar*>();
        QVERIFY(tabs);
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(0), QStringLiteral("問題用紙"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("答えの用紙"));
        QStringList buttons;
        for (auto* b : view->findChildren<QAbstractButton*>()) {
            buttons << b->text();
            QVERIFY2(!b->text().contains(QStringLiteral("印刷")), qPrintable(b->text()));
        }
        for (const char* text : {"縮小", "拡大", "実寸", "幅に合わせる", "ページ全体", "閉じる"})
            QVERIFY2(buttons.contains(QString::fromUtf8(text)), text);
        // Resizable: no fixed size.
        QVERIFY(view->minimumSize() != view->maximumSize());
    }

    void zoomSteps_data() {
        QTest::addColumn<double>("from");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<double>("to");
        QTest::newRow("in from 100") << 1.0 << "+" << 1.25;
        QTest::newRow("in three times") << 1.0 << "+++" << 2.0;
        QTest::newRow("out from 100") << 1.0 << "-" << 0.75;
        QTest::newRow("out to the bottom") << 1.0 << "------" << 0.25;
        QTest::newRow("stays at the bottom") << 0.25 << "-" << 0.25;
        QTest::newRow("stays at the top") << 4.0 << "+" << 4.0;
        QTest::newRow("in from between two steps") << 0.8 << "+" << 1.0;
        QTest::newRow("out from between two steps") << 0.8 << "-" << 0.75;
        QTest::newRow("= is + without Shift") << 1.0 << "=" << 1.25;
        QTest::newRow("there and back") << 0.5 << "++--" << 0.5;
    }
    void zoomSteps() {
        QFETCH(double, from);
        QFETCH(QString, keys);
        QFETCH(double, to);
        TSheetView* view = Open();
        QVERIFY(view);
        view->SetZoom(from);
        // Keys go where focus is inside the view and come up to it.
        QWidget* focus = view->findChild<QTabBar*>();
        focus->setFocus();
        for (const QChar c : keys) {
            const Qt::Key key = c == '+' ? Qt::Key_Plus : c == '-' ? Qt::Key_Minus : Qt::Key_Equal;
            QTest::keyClick(focus, key);
        }
        QCOMPARE(view->Zoom(), to);
        const int width = static_cast<int>(std::lround(to * 210.0 / 25.4 * view->logicalDpiX()));
        QCOMPARE(view->Page()->width(), width);
        QCOMPARE(view->Page()->height(), static_cast<int>(std::lround(width * 441.0 / 320.0)));
        QCOMPARE(view->findChild<QAbstractButton*>(QStringLiteral("zoomIn"))->isEnabled(), to < 4.0);
        QCOMPARE(view->findChild<QAbstractButton*>(QStringLiteral("zoomOut"))->isEnabled(), to > 0.25);
        bool labelled = false;
        for (auto* label : view->findChildren<QLabel*>())
            labelled |= label->text() == QString::number(std::lround(to * 100)) + "%";
        QVERIFY(labelled);
    }

    void actualSizeIsAnA4SheetWide() {
        TSheetView* view = Open();
        QVERIFY(view);
        view->SetZoom(2.0);
        QTest::keyClick(view, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(view->Zoom(), 1.0);
        QCOMPARE(view->Page()->width(), A4Width(view));
        view->SetZoom(0.5);
        view->findChild<QAbstractButton*>(QStringLiteral("actualSize"))->click();
        QCOMPARE(view->Page()->width(), A4Width(view));
        if (view->logicalDpiX() == 96) QCOMPARE(view->Page()->width(), 794);
    }

    void fits_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("tall") << QSize(700, 1100);
        QTest::newRow("wide") << QSize(1300, 600);
        QTest::newRow("narrow") << QSize(420, 1300);
        QTest::newRow("short, below the smallest step") << QSize(360, 300);
    }
    void fits() {
        QFETCH(QSize, size);
        TSheetView* view = Open();
        QVERIFY(view);
        view->resize(size);
        QCoreApplication::processEvents();
        const int m = TSheetView::PageMargin;

        view->FitToWidth();
        QCoreApplication::processEvents();
        QCOMPARE(view->Page()->width(), Viewport(view).width() - 2 * m);
        QVERIFY(!view->ScrollArea()->horizontalScrollBar()->isVisible());

        view->FitToPage();
        QCoreApplication::processEvents();
        const QSize page = view->Page()->size();
        const QSize room = Viewport(view) - QSize(2 * m, 2 * m);
        QVERIFY2(page.width() <= room.width() && page.height() <= room.height(),
                 qPrintable(QStringLiteral("%1x%2 in %3x%4")
                                .arg(page.width())
                                .arg(page.height())
                                .arg(room.width())
                                .arg(room.height())));
        // Tight in one direction (a pixel of rounding aside).
        QVERIFY(page.width() >= room.width() - 1 || page.height() >= room.height() - 2);
        QVERIFY(!view->ScrollArea()->horizontalScrollBar()->isVisible());
        QVERIFY(!view->ScrollArea()->verticalScrollBar()->isVisible());
        // The proportion of the page layout's base page.
        QVERIFY(std::abs(page.height() - page.width() * 441.0 / 320.0) <= 1.0);

        // Below the smallest step only by a fit: - keeps it, + goes to the smallest step.
        const double fitted = view->Zoom();
        view->ZoomOut();
        QCOMPARE(view->Zoom(), std::min(fitted, TSheetView::NextZoom(fitted, false)));
        view->ZoomIn();
        QVERIFY(view->Zoom() >= TSheetView::MinZoom);
    }

    void aFitFollowsTheWindowAndAZoomEndsIt() {
        TSheetView* view = Open();
        QVERIFY(view);
        view->FitToWidth();
        view->resize(600, 800);
        QCoreApplication::processEvents();
        const int m = TSheetView::PageMargin;
        QCOMPARE(view->Page()->width(), Viewport(view).width() - 2 * m);
        view->resize(1000, 800);
        QCoreApplication::processEvents();
        QCOMPARE(view->Page()->width(), Viewport(view).width() - 2 * m);
        view->ZoomIn();
        const int zoomed = view->Page()->width();
        view->resize(700, 800);
        QCoreApplication::processEvents();
        QCOMPARE(view->Page()->width(), zoomed);
    }

    void ctrlWheelZoomsPlainWheelDoesNot() {
        TSheetView* view = Open();
        QVERIFY(view);
        view->SetZoom(1.0);
        QWidget* viewport = view->ScrollArea()->viewport();
        auto wheel = [&](int delta, Qt::KeyboardModifiers mods) {
            const QPointF at(viewport->width() / 2.0, viewport->height() / 2.0);
            QWheelEvent e(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                          Qt::NoScrollPhase, false);
            QApplication::sendEvent(viewport, &e);
        };
        wheel(120, Qt::ControlModifier);
        QCOMPARE(view->Zoom(), 1.25);
        wheel(-240, Qt::ControlModifier);
        QCOMPARE(view->Zoom(), 0.75);
        // A touchpad's small steps add up to one.
        wheel(40, Qt::ControlModifier);
        wheel(40, Qt::ControlModifier);
        QCOMPARE(view->Zoom(), 0.75);
        wheel(40, Qt::ControlModifier);
        QCOMPARE(view->Zoom(), 1.0);
        const int scrolled = view->ScrollArea()->verticalScrollBar()->value();
        wheel(-120, Qt::NoModifier);
        QCOMPARE(view->Zoom(), 1.0);
        QVERIFY(view->ScrollArea()->verticalScrollBar()->value() > scrolled);
    }

    void thePainterGetsTheDeviceSizeAndTheSheet() {
        TSheetView* view = Open();
        QVERIFY(view);
        if (qEnvironmentVariable("QT_SCALE_FACTOR") == "2") QCOMPARE(Dpr(view), 2.0);
        view->SetZoom(1.0);
        calls.clear();
        WAIT_VERIFY(!calls.empty());
        const QSize device = view->Page()->size() * Dpr(view);
        QCOMPARE(calls.back().width, device.width());
        QCOMPARE(calls.back().height, device.height());
        QCOMPARE(calls.back().answers, true);  // as the window's preview shows it

        auto* tabs = view->findChild<QTabBar*>();
        tabs->setCurrentIndex(0);
        QVERIFY(!view->ShowsAnswers());
        calls.clear();
        WAIT_VERIFY(!calls.empty());
        QCOMPARE(calls.back().answers, false);

        view->SetShowAnswers(true);
        QCOMPARE(tabs->currentIndex(), 1);
        calls.clear();
        WAIT_VERIFY(!calls.empty());
        QCOMPARE(calls.back().answers, true);
    }

    void refreshRepaintsAndNothingElseDoes() {
        TSheetView* view = Open();
        QVERIFY(view);
        view->FitToPage();
        QTest::qWait(50);
        calls.clear();
        QTest::qWait(50);
        QCOMPARE(calls.size(), std::size_t{0});
        view->Refresh();
        WAIT_VERIFY(!calls.empty());
        calls.clear();
        TSheetView::RefreshFor(window.get());
        WAIT_VERIFY(!calls.empty());
        // A refresh draws what the set holds now.
        problems[1].MultiplicandText = "7.77";
        calls.clear();
        TSheetView::RefreshFor(window.get());
        WAIT_VERIFY(!calls.empty());
    }

    void escapeClosesAndTheSameViewComesBack() {
        TSheetView* view = Open();
        QVERIFY(view);
        view->SetZoom(1.5);
        view->SetShowAnswers(false);
        QWidget* focus = view->findChild<QAbstractButton*>(QStringLiteral("fitWidth"));
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Escape);
        QVERIFY(!view->isVisible());
        TSheetView::RefreshFor(window.get());  // harmless while closed
        TSheetView* again = TSheetView::ShowFor(window.get(), Recorder());
        QCOMPARE(again, view);
        QVERIFY(again->isVisible());
        QCOMPARE(again->Zoom(), 1.5);
        QVERIFY(!again->ShowsAnswers());
        QCOMPARE(window->findChildren<TSheetView*>().size(), 1);
        view->findChild<QAbstractButton*>(QStringLiteral("close"))->click();
        QVERIFY(!view->isVisible());
    }

    // The page at the width of an A4 sheet, one to one: what a teacher reads. The grab is the
    // page drawn directly at the same size, and every small point is a solid dot.
    void anA4PageAtActualSize() {
        TSheetView* view = Open();
        QVERIFY(view);
        view->resize(900, 1200);
        view->SetZoom(1.0);
        QCoreApplication::processEvents();
        const QImage grab = view->Page()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QSize device = view->Page()->size() * Dpr(view);
        QCOMPARE(grab.size(), device);

        QImage direct(device, QImage::Format_RGB32);
        direct.fill(Qt::white);
        std::vector<QRect> points;
        {
            QPainter painter(&direct);
            TQtCanvas canvas(painter);
            PointFinder finder(canvas);
            MakePrint(finder, device.width(), device.height(), SamplePage(problems, true));
            points = finder.points;
        }
        QVERIFY(grab == direct);
        QVERIFY(points.size() >= 20);
        int smallest = 1 << 20;
        for (const QRect& p : points) smallest = std::min(smallest, DarkestSquare(grab, p));
        QVERIFY2(smallest >= 2, qPrintable(QString::number(smallest)));

        const QString dir = qEnvironmentVariable("TAVRELO_SHOT_DIR");
        if (!dir.isEmpty()) {
            grab.save(dir + "/sheet_view_page.png");
            view->grab().save(dir + "/sheet_view_window.png");
        }
    }
};

QTEST_MAIN(TestSheetView)
#include "tst_sheet_view.moc"
