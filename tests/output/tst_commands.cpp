// The preview and the commands' bookkeeping, without a printer: what is drawn on the preview
// area and when, when printing may be enabled, ShowAnswers and the sheet number.
#include <QPainter>
#include <QtTest>
#include <limits>

#include "core/errors.h"
#include "drawing/fonts.h"
#include "drawing/recording_canvas.h"
#include "drawing/worksheet.h"
#include "output/printer.h"
#include "output/printing.h"
#include "tests/common/wait_verify.h"

namespace {

// The preview area as the window has it: a fixed 320 x 441 area painted by PaintBox1Paint.
class PaintBox : public QWidget {
public:
    const TSheetSource* source = nullptr;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        ++paints;
        QPainter painter(this);
        PaintPreview(*source, painter);
    }
};

// Problem k is k.5 x 0.k (0.1 ... 0.9 then 1.1, ...), so texts tell problems apart.
void FillProblems(SharedState& state, int count) {
    for (int k = 1; k <= count; ++k) {
        Problem& p = state.Problems[k];
        p.MultiplicandMilli = k * 1000 + 500;
        p.MultiplierMilli = (k % 9 + 1) * 100 + (k / 9) * 1000;
        p.MultiplicandText = std::to_string(k) + ".5";
        p.MultiplierText =
            std::to_string(p.MultiplierMilli / 1000) + "." + std::to_string(p.MultiplierMilli % 1000 / 100);
    }
    state.ProblemCount = count;
}

}  // namespace

class TestCommands : public QObject {
    Q_OBJECT

    SharedState state;
    QWidget window;
    std::string sentence;
    TSheetSource source{state, [this] { return sentence; }};
    PaintBox* paintBox = nullptr;

private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void init() {
        state = SharedState{};
        sentence = "つぎの計算をしましょう。";
        paintBox = new PaintBox;
        paintBox->setParent(&window);
        paintBox->setGeometry(448, 32, 320, 441);
        paintBox->source = &source;
        window.resize(792, 522);
    }

    void cleanup() {
        qDeleteAll(window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
        ReleasePrinter();
    }

    // A sheet printed into a file takes the chosen name with its tag before the extension.
    void numberedFileName_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("file");
        QTest::newRow("problem sheet") << "かけ算.pdf"
                                       << "_No7"
                                       << "かけ算_No7.pdf";
        QTest::newRow("answer sheet") << "/home/t/プリント/かけ算.pdf"
                                      << "_No7_答え"
                                      << "/home/t/プリント/かけ算_No7_答え.pdf";
        QTest::newRow("negative number") << "/tmp/x.pdf"
                                         << "_No-1"
                                         << "/tmp/x_No-1.pdf";
        QTest::newRow("extension in capitals") << "かけ算.PDF"
                                               << "_No7"
                                               << "かけ算_No7.PDF";
        QTest::newRow("only the last dot") << "/tmp/a.b.pdf"
                                           << "_No7"
                                           << "/tmp/a.b_No7.pdf";
        QTest::newRow("no extension") << "/tmp/かけ算"
                                      << "_No7"
                                      << "/tmp/かけ算_No7";
        QTest::newRow("dot in a folder's name") << "/tmp/v1.2/かけ算"
                                                << "_No7"
                                                << "/tmp/v1.2/かけ算_No7";
        QTest::newRow("name that starts with its dot") << "/tmp/.pdf"
                                                       << "_No7"
                                                       << "/tmp/.pdf_No7";
    }
    void numberedFileName() {
        QFETCH(QString, chosen);
        QFETCH(QString, tag);
        QFETCH(QString, file);
        QCOMPARE(QString::fromStdString(NumberedFileName(chosen.toStdString(), tag.toStdString())), file);
    }

    void nextPrintNumber_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("next");
        QTest::newRow("7") << 7 << 8;
        QTest::newRow("-1") << -1 << 0;
        QTest::newRow("0") << 0 << 1;
        QTest::newRow("top wraps to bottom") << std::numeric_limits<int>::max() << std::numeric_limits<int>::min();
        QTest::newRow("bottom") << std::numeric_limits<int>::min() << std::numeric_limits<int>::min() + 1;
    }
    void nextPrintNumber() {
        QFETCH(int, number);
        QFETCH(int, next);
        QCOMPARE(NextPrintNumber(number), next);
    }

    // The preview page: with answers throughout, at the preview's size, from the live values.
    void drawPreviewPage() {
        FillProblems(state, 16);
        state.PrintNumber = 42;
        sentence = "しっかり計算しよう";
        TRecordingCanvas canvas;
        DrawPreviewPage(source, canvas);

        QVERIFY(!state.ShowAnswers);
        // Call for call the page with answers, at the preview's size, from the live values.
        TRecordingCanvas expected;
        PageContent content;
        content.Sentence = "しっかり計算しよう";
        content.PrintNumber = 42;
        content.Problems = &state.Problems;
        content.ProblemCount = 16;
        content.ShowAnswers = true;
        MakePrint(expected, 320, 441, content);
        QVERIFY(canvas.calls == expected.calls);
        QVERIFY(canvas.HasText("問題No.42"));
        QCOMPARE(canvas.Figures(), 16);
    }

    void handOff_data() {
        QTest::addColumn<bool>("readyBefore");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("readyAfter");
        QTest::newRow("first preview, 16") << false << 16 << true;
        QTest::newRow("first preview, 4") << false << 4 << true;
        QTest::newRow("first preview, 3: nothing") << false << 3 << false;
        QTest::newRow("first preview, 0: nothing") << false << 0 << false;
        QTest::newRow("later preview, 2: stays ready") << true << 2 << true;
        QTest::newRow("later preview, 0: stays ready") << true << 0 << true;
    }
    void handOff() {
        QFETCH(bool, readyBefore);
        QFETCH(int, count);
        QFETCH(bool, readyAfter);
        FillProblems(state, count);
        state.PreviewReady = readyBefore;

        const bool enable = PreviewHandOff(state);

        QCOMPARE(state.PreviewReady, readyAfter);
        QCOMPARE(enable, count > 3);
        QVERIFY(!state.ShowAnswers);
    }

    // What a repaint draws: nothing before the first preview or with no problem, the header
    // alone with an incomplete row, the whole page otherwise.
    void repaint_data() {
        QTest::addColumn<bool>("ready");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("drawn");
        QTest::addColumn<int>("figures");
        QTest::newRow("before the first preview") << false << 16 << false << 0;
        QTest::newRow("no problem") << true << 0 << false << 0;
        QTest::newRow("1 problem: header only") << true << 1 << true << 0;
        QTest::newRow("3 problems: header only") << true << 3 << true << 0;
        QTest::newRow("7 problems: one row") << true << 7 << true << 4;
        QTest::newRow("12 problems") << true << 12 << true << 12;
        QTest::newRow("16 problems") << true << 16 << true << 16;
    }
    void repaint() {
        QFETCH(bool, ready);
        QFETCH(int, count);
        QFETCH(bool, drawn);
        QFETCH(int, figures);
        FillProblems(state, count);
        state.PreviewReady = ready;
        TRecordingCanvas canvas;
        PaintPreview(source, canvas);
        QCOMPARE(canvas.HasText("小数のかけ算"), drawn);
        QCOMPARE(canvas.Figures(), figures);
        QVERIFY(!state.ShowAnswers);
    }

    // Through a real widget: the hand-off makes the area paint the page, and a later repaint
    // shows the number and sentence as they are then.
    void previewAreaPaints() {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QColor face = paintBox->grab().toImage().pixelColor(5, 5);
        QVERIFY(face != QColor(Qt::white));

        FillProblems(state, 16);
        state.PrintNumber = 7;
        const int before = paintBox->paints;
        QVERIFY(PreviewHandOff(state));
        paintBox->update();
        WAIT_VERIFY(paintBox->paints > before);
        QImage shown = paintBox->grab().toImage();
        QCOMPARE(shown.pixelColor(5, 5), QColor(Qt::white));
        QCOMPARE(shown.pixelColor(319, 440), face);  // the white page ends at (319, 440), exclusive
        QVERIFY(shown.pixelColor(318, 439) == QColor(Qt::white));

        // A later preview with no problem: the next repaint leaves the area as the window's face.
        state.ProblemCount = 0;
        QVERIFY(!PreviewHandOff(state));
        paintBox->repaint();
        QCOMPARE(paintBox->grab().toImage().pixelColor(5, 5), face);
        window.hide();
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
