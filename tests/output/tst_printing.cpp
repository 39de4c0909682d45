// Printing end to end through a private CUPS scheduler with cups-pdf queues: the jobs the
// spooler completed, their names and PDFs, the print settings dialog, and the failures.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QRegularExpression>
#include <QTranslator>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>

#include "core/errors.h"
#include "core/generator.h"
#include "core/numtext.h"
#include "cups_sandbox.h"
#include "drawing/fonts.h"
#include "drawing/recording_canvas.h"
#include "drawing/worksheet.h"
#include "output/printer.h"
#include "output/printing.h"

namespace {

const QString JobName = QStringLiteral("Tavreloかけ算小数編");
const QString InvalidPrinter = QStringLiteral("選択したプリンタは有効ではありません");
// Where Qt's CUPS engine keeps the options chosen under the dialog's Properties.
const auto CupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// Answers the print settings dialog the way the test says, without a modal loop.
struct FakeDialogs {
    std::function<bool(QPrintDialog&)> answer = [](QPrintDialog&) { return false; };
    int printDialogs = 0;
};

QString Message(const std::function<void()>& command) {
    try {
        command();
    } catch (const Exception& e) {
        return QString::fromUtf8(e.what());
    }
    return QStringLiteral("(no error)");
}

// pdftotext puts the small decimal point and the digits around it in varying order; compare
// texts without blanks.
QString Squeezed(const std::string& text) {
    return QString::fromStdString(text).remove(QRegularExpression(QStringLiteral("\\s")));
}

// The same characters, in whatever order pdftotext found them.
QString Sorted(QString text) {
    std::sort(text.begin(), text.end());
    return text;
}

bool IsA4Portrait(const CupsSandbox::PdfFacts& facts) {
    return facts.Pages == 1 && qAbs(facts.WidthPt - 595.3) < 1 && qAbs(facts.HeightPt - 841.9) < 1;
}

}  // namespace

class TestPrinting : public QObject {
    Q_OBJECT

    std::unique_ptr<CupsSandbox> cups;
    FakeDialogs dialogs;
    QTranslator translator;
    SharedState state;
    QWidget window;
    // The window's side, as values: the sheet number as typed and the sentence.
    QString prnNum;
    std::string sentence;
    // The sentence is read as each page is drawn: a drawing numbered failAtDrawing fails there.
    int drawings = 0;
    int failAtDrawing = 0;
    TSheetSource source{state, [this] {
                            if (++drawings == failAtDrawing) throw EConvertError("'7,8' は整数ではありません");
                            return sentence;
                        }};
    bool printingEnabled = false;

    // Print and Print with answers as the window runs them: the number from its field, the
    // sheets, the next number back into the field.
    void PrintCommand(bool withAnswers) {
        state.PrintNumber = ParseInteger(prnNum.toStdString());
        prnNum = QString::fromStdString(FormatInteger(PrintSheets(source, withAnswers)));
    }
    void Settings() {
        RunPrintSettings(&window, [this](QPrintDialog& dialog) {
            ++dialogs.printDialogs;
            return dialogs.answer(dialog);
        });
    }

    // A Preview as the window runs it: the number from the field, a set from the ranges, the hand-off.
    void Preview(int requested) {
        GenerationSettings settings;
        settings.RequestedCount = requested;
        settings.AnswerLowText = "1";
        settings.AnswerHighText = "90";
        // multiplicand: ones 1-9, tenths 1-9; multiplier: ones 1-9, tenths 0-9
        settings.DigitRanges[0] = {"0", "0", "0", "0"};
        settings.DigitRanges[1] = {"0", "0", "0", "0"};
        settings.DigitRanges[2] = {"1", "9", "0", "9"};
        settings.DigitRanges[3] = {"1", "9", "1", "9"};
        settings.DigitRanges[4] = {"0", "0", "0", "0"};
        state.PrintNumber = ParseInteger(prnNum.toStdString());
        TRandom random;
        QCOMPARE(GenerateProblems(settings, random, state.Problems, state.ProblemCount), GenerationResult::Complete);
        printingEnabled = PreviewHandOff(state);
    }

    // The single finished job of a queue and its PDF's text.
    std::string OnlyPdf(const std::string& queue) {
        if (!cups->WaitForFinishedJobs(queue, 1)) return "(no job)";
        const auto jobs = cups->FinishedJobs(queue);
        if (jobs.size() != 1 || jobs[0].State != "completed") return "(not one completed job)";
        return cups->WaitForPdf(jobs[0].Id);
    }

    // Print settings with Qt's PDF file chosen under the name `name`, as a user picks it.
    void ChooseFile(const QString& name) {
        dialogs.answer = [name](QPrintDialog& dialog) {
            dialog.show();  // the file entry and its name field come with the showing
            auto* printers = dialog.findChild<QComboBox*>("printers");
            auto* file = dialog.findChild<QLineEdit*>("filename");
            if (!printers || !file) return false;
            printers->setCurrentIndex(printers->count() - 1);
            file->setText(name);
            dialog.accept();
            return dialog.result() == QDialog::Accepted;
        };
        Settings();
    }

    // The completed jobs of a queue under the program's document name.
    int CompletedSheets(const std::string& queue) const {
        int n = 0;
        for (const auto& job : cups->FinishedJobs(queue))
            n += job.State == "completed" && QString::fromStdString(job.Name) == JobName;
        return n;
    }
    bool WaitForCompletedSheets(const std::string& queue, int count) const {
        QDeadlineTimer deadline(20000);
        while (CompletedSheets(queue) < count) {
            if (deadline.hasExpired()) return false;
            QThread::msleep(20);
        }
        return true;
    }

    std::size_t PdfCount() const {
        std::size_t n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(cups->OutputDir()))
            n += entry.path().extension() == ".pdf";
        return n;
    }

private slots:
    void initTestCase() {
        const std::string why = CupsSandbox::Unavailable();
        if (!why.empty()) QSKIP(why.c_str());
        InstallFontSubstitutions();
        QVERIFY(translator.load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        QCoreApplication::installTranslator(&translator);
    }

    void init() {
        cups = std::make_unique<CupsSandbox>();
        cups->Start();
        ReleasePrinter();
        dialogs = FakeDialogs{};
        state = SharedState{};
        prnNum = "1";
        sentence = "つぎの計算をしましょう。";
        printingEnabled = false;
        drawings = 0;
        failAtDrawing = 0;
        window.resize(792, 522);
    }

    void cleanup() {
        ReleasePrinter();
        cups.reset();
    }

    // The printer object itself: one for the run, the default printer's printable A4 area in
    // 1200 dpi pixels, the document name as the job's name, and its state rules.
    void printerObject() {
        cups->AddPdfQueue("pdf", true);
        TPrinter& printer = Printer();
        QCOMPARE(&Printer(), &printer);
        QVERIFY(printer.Device() == nullptr);  // nothing chosen before the first use
        printer.SetOrientation(TPrinterOrientation::poPortrait);
        QCOMPARE(QString::fromStdString(printer.PrinterName()), QString("pdf"));
        // A4 (595 x 842 pt) less Qt's default margins of 10 pt, 575 x 822 pt, at 1200 dpi:
        // 9583.3 x 13700 px. The device counts whole pixels of a page and of margins that Qt
        // rounds each on its own (the page's 9916.7 px width up on Qt 6.4, down on Qt 6.8), so
        // the count lies within 2 px of the exact size; the full page, another paper or another
        // resolution lies hundreds of pixels away.
        const auto near = [](std::int32_t pixels, double points) { return std::abs(pixels - points * 1200 / 72) < 2; };
        QVERIFY2(near(printer.PageWidth(), 575), QByteArray::number(printer.PageWidth()));
        QVERIFY2(near(printer.PageHeight(), 822), QByteArray::number(printer.PageHeight()));
        printer.SetOrientation(TPrinterOrientation::poLandscape);
        QVERIFY2(near(printer.PageWidth(), 822), QByteArray::number(printer.PageWidth()));
        QVERIFY2(near(printer.PageHeight(), 575), QByteArray::number(printer.PageHeight()));
        printer.SetOrientation(TPrinterOrientation::poPortrait);

        QCOMPARE(Message([&] { printer.Canvas(); }), QString("プリンタに印刷できる状態ではありません"));
        QCOMPARE(Message([&] { printer.EndDoc(); }), QString("プリンタに印刷できる状態ではありません"));
        printer.Title = "別の名前 1";
        printer.BeginDoc();
        QVERIFY(printer.Printing());
        QCOMPARE(Message([&] { printer.BeginDoc(); }), QString("現在印刷中です"));
        QCOMPARE(Message([&] { printer.SetOrientation(TPrinterOrientation::poPortrait); }), QString("現在印刷中です"));
        printer.Canvas().TextOut(100, 100, "テスト");
        printer.EndDoc();
        QVERIFY(!printer.Printing());
        QVERIFY(cups->WaitForFinishedJobs("pdf", 1));
        QCOMPARE(QString::fromStdString(cups->FinishedJobs("pdf").at(0).Name), QString("別の名前 1"));
    }

    // Sixteen problems, sheet 7, Print with answers: the problem sheet, then the answer sheet,
    // each its own one-page A4 portrait job under the program's document name.
    void printWithAnswers() {
        cups->AddPdfQueue("pdf", true);
        sentence = "小数点に気をつけて計算しましょう。";
        prnNum = "7";
        Preview(16);
        QCOMPARE(state.ProblemCount, 16);
        QVERIFY(printingEnabled);

        PrintCommand(true);

        QCOMPARE(prnNum, QString("8"));
        QCOMPARE(state.PrintNumber, 8);
        QVERIFY(!state.ShowAnswers);
        QVERIFY(cups->WaitForFinishedJobs("pdf", 2));
        const auto jobs = cups->FinishedJobs("pdf");
        QCOMPARE(jobs.size(), std::size_t(2));
        for (const auto& job : jobs) {
            QCOMPARE(QString::fromStdString(job.State), QString("completed"));
            QCOMPARE(QString::fromStdString(job.Name), JobName);
        }
        QCOMPARE(QString::fromStdString(cups->PageLog()).count(JobName), 2);

        const std::string problemPdf = cups->WaitForPdf(jobs[0].Id);
        const std::string answerPdf = cups->WaitForPdf(jobs[1].Id);
        QVERIFY(!problemPdf.empty() && !answerPdf.empty());
        QVERIFY(IsA4Portrait(CupsSandbox::PdfInfo(problemPdf)));
        QVERIFY(IsA4Portrait(CupsSandbox::PdfInfo(answerPdf)));

        // The sheets as the PDF printer wrote them; as the program handed them to the spooler they
        // hold the same text.
        const QString problems = Squeezed(CupsSandbox::PdfText(problemPdf));
        const QString answers = Squeezed(CupsSandbox::PdfText(answerPdf));
        QCOMPARE(Sorted(Squeezed(CupsSandbox::PdfText(cups->SpooledDocument(jobs[0].Id)))), Sorted(problems));
        QCOMPARE(Sorted(Squeezed(CupsSandbox::PdfText(cups->SpooledDocument(jobs[1].Id)))), Sorted(answers));
        for (const QString& sheet : {problems, answers}) {
            QVERIFY2(sheet.contains("小数のかけ算"), qPrintable(sheet));
            QVERIFY2(sheet.contains("問題No.7"), qPrintable(sheet));
            QVERIFY(sheet.contains("小数点に気をつけて計算しましょう。"));
            QCOMPARE(sheet.count("×"), 16);
        }
        // The problem sheet holds the figures' problem rows and nothing of their answers; the
        // answer sheet holds every product. Counted in digits, as the sheet is laid out.
        TRecordingCanvas withAnswers;
        TRecordingCanvas without;
        PageContent content;
        content.Problems = &state.Problems;
        content.ProblemCount = state.ProblemCount;
        content.PrintNumber = 7;
        content.ShowAnswers = true;
        MakePrint(withAnswers, 9583, 13699, content);
        content.ShowAnswers = false;
        MakePrint(without, 9583, 13699, content);
        const QRegularExpression digit("\\d");
        qsizetype problemDigits = 0, answerDigits = 0;
        for (const auto& text : without.Texts()) problemDigits += QString::fromStdString(text).count(digit);
        for (const auto& text : withAnswers.Texts()) answerDigits += QString::fromStdString(text).count(digit);
        QVERIFY(answerDigits > problemDigits);
        QCOMPARE(problems.count(digit), problemDigits);
        QCOMPARE(answers.count(digit), answerDigits);
        const QString problemRows = QString(problems).remove('.');
        const QString answerRows = QString(answers).remove('.');
        for (int k = 1; k <= 16; ++k) {
            const Problem& p = state.Problems[k];
            const QString product = QString::fromStdString(
                FormatDecimal(MultiplyExact(Thousandths(p.MultiplicandMilli), Thousandths(p.MultiplierMilli))));
            // Each figure reads top to bottom: multiplicand, "×" multiplier, ..., product last.
            const QString multiplicand = QString::fromStdString(p.MultiplicandText).remove('.');
            const QString multiplier = QString::fromStdString(p.MultiplierText).remove('.');
            QVERIFY2(problemRows.contains(multiplicand + "×" + multiplier),
                     qPrintable(multiplicand + "×" + multiplier));
            QVERIFY2(answerRows.contains(QString(product).remove('.')), qPrintable(product));
        }
    }

    // The number printed is the one in the field; the field then shows the next one.
    void printNumberAdvances_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("next");
        QTest::newRow("7") << "7"
                           << "8";
        QTest::newRow("-1") << "-1"
                            << "0";
        QTest::newRow("top of the range wraps") << "2147483647"
                                                << "-2147483648";
    }
    void printNumberAdvances() {
        QFETCH(QString, typed);
        QFETCH(QString, next);
        cups->AddPdfQueue("pdf", true);
        Preview(12);
        prnNum = typed;
        PrintCommand(false);
        QCOMPARE(prnNum, next);
        QCOMPARE(state.PrintNumber, next.toInt());
        const std::string pdf = OnlyPdf("pdf");
        QVERIFY2(!pdf.empty() && pdf[0] == '/', pdf.c_str());
        QVERIFY(IsA4Portrait(CupsSandbox::PdfInfo(pdf)));
        const auto jobs = cups->FinishedJobs("pdf");
        const QString text = Squeezed(CupsSandbox::PdfText(pdf));
        QVERIFY2(text.contains("問題No." + typed), qPrintable(text));
        QCOMPARE(text.count("×"), 12);
        QCOMPARE(Sorted(Squeezed(CupsSandbox::PdfText(cups->SpooledDocument(jobs.at(0).Id)))), Sorted(text));
    }

    // Before a document starts, a failure prints nothing, leaves the field as it was and the
    // number as read from it; Print settings shows no dialog.
    void failuresBeforeTheDocument_data() {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("message");
        QTest::newRow("no printer at all") << "none"
                                           << "デフォルト プリンタが存在しません";
        QTest::newRow("printers without a default") << "no default"
                                                    << "デフォルト プリンタが存在しません";
        QTest::newRow("scheduler unreachable") << "dead"
                                               << "^Win32 エラー。コード : \\d+\\.\\n\\S.*$";
        QTest::newRow("scheduler stopped") << "stopped"
                                           << "^Win32 エラー。コード : \\d+\\.\\n\\S.*$";
        // CUPS's own text for the answer, from its Japanese catalogue ("Service Unavailable").
        QTest::newRow("scheduler turns requests away") << "refusing"
                                                       << "^Win32 エラー。コード : 1282\\.\\n利用できないサービス$";
    }
    void failuresBeforeTheDocument() {
        QFETCH(QString, situation);
        QFETCH(QString, message);
        if (situation == "no default") {
            cups->AddPdfQueue("pdf", false);
            cups->AddPdfQueue("second", false);
        } else if (situation == "dead") {
            cups->AddPdfQueue("pdf", true);
            cups->PointAtDeadScheduler();
        } else if (situation == "stopped") {
            cups->AddPdfQueue("pdf", true);
            cups->Stop();
        } else if (situation == "refusing") {
            cups->AddPdfQueue("pdf", true);
            cups->PointAtRefusingServer("503 Service Unavailable");
        }
        Preview(16);
        prnNum = "5";
        state.PrintNumber = 1;
        const QRegularExpression expected(message.startsWith('^') ? message : QRegularExpression::escape(message));
        const std::function<void()> commands[] = {[&] { PrintCommand(false); }, [&] { PrintCommand(true); },
                                                  [&] { Settings(); }};
        for (const auto& command : commands) {
            const QString got = Message(command);
            QVERIFY2(expected.match(got).hasMatch(), qPrintable(got));
        }
        QCOMPARE(dialogs.printDialogs, 0);
        QCOMPARE(prnNum, QString("5"));
        QCOMPARE(state.PrintNumber, 5);
        QVERIFY(!state.ShowAnswers);
        QCOMPARE(PdfCount(), std::size_t(0));
        // The printer object is still unchosen: once the scheduler has a default, printing works.
        if (situation == "no default") {
            cups->SetDefault("second");
            PrintCommand(false);
            QCOMPARE(prnNum, QString("6"));
            QVERIFY(!OnlyPdf("second").empty());
        }
    }

    // A print while a document is open is refused at its start; the open document completes.
    void printWhileADocumentIsOpen() {
        cups->AddPdfQueue("pdf", true);
        Preview(16);
        prnNum = "3";
        TPrinter& printer = Printer();
        printer.Title = "Tavreloかけ算小数編";
        printer.BeginDoc();
        for (const bool withAnswers : {false, true})
            QCOMPARE(Message([&] { PrintCommand(withAnswers); }), QString("現在印刷中です"));
        QCOMPARE(prnNum, QString("3"));
        QVERIFY(!state.ShowAnswers);
        PageContent content;
        content.Problems = &state.Problems;
        content.ProblemCount = state.ProblemCount;
        MakePrint(printer.Canvas(), printer.PageWidth(), printer.PageHeight(), content);
        printer.EndDoc();
        QVERIFY(cups->WaitForFinishedJobs("pdf", 1));
        const auto jobs = cups->FinishedJobs("pdf");
        QCOMPARE(jobs.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(jobs[0].State), QString("completed"));
        // Idle again: the next print goes through.
        PrintCommand(false);
        QCOMPARE(prnNum, QString("4"));
    }

    // A page whose drawing fails once the document is open: that document goes nowhere, the
    // error reaches the window, the number stays, and the printer is free for the next print.
    void drawingThatFails_data() {
        QTest::addColumn<bool>("withAnswers");
        QTest::addColumn<int>("failingDrawing");
        QTest::addColumn<int>("sheetsDone");  // documents that reached the spooler before it
        QTest::newRow("Print") << false << 1 << 0;
        QTest::newRow("Print with answers, problem sheet") << true << 1 << 0;
        QTest::newRow("Print with answers, answer sheet") << true << 2 << 1;
    }
    void drawingThatFails() {
        QFETCH(bool, withAnswers);
        QFETCH(int, failingDrawing);
        QFETCH(int, sheetsDone);
        cups->AddPdfQueue("pdf", true);
        Preview(16);
        prnNum = "4";
        failAtDrawing = failingDrawing;
        QCOMPARE(Message([&] { PrintCommand(withAnswers); }), QString("'7,8' は整数ではありません"));
        QCOMPARE(prnNum, QString("4"));
        QCOMPARE(state.PrintNumber, 4);
        QVERIFY(!state.ShowAnswers);
        QVERIFY(!Printer().Printing());

        this->failAtDrawing = 0;
        PrintCommand(withAnswers);
        QCOMPARE(prnNum, QString("5"));
        const int expected = sheetsDone + (withAnswers ? 2 : 1);
        QVERIFY(WaitForCompletedSheets("pdf", expected));
        QTest::qWait(300);  // nothing else is on its way
        QCOMPARE(CompletedSheets("pdf"), expected);
    }

    // A document the spooler does not take is an error, not a print: the number stays.
    void jobThatCannotBeFinished_data() {
        QTest::addColumn<bool>("withAnswers");
        QTest::addColumn<bool>("stopScheduler");
        QTest::newRow("Print, queue rejects jobs") << false << false;
        QTest::newRow("Print with answers, queue rejects jobs") << true << false;
        QTest::newRow("Print, scheduler gone") << false << true;
    }
    void jobThatCannotBeFinished() {
        QFETCH(bool, withAnswers);
        QFETCH(bool, stopScheduler);
        cups->AddPdfQueue("pdf", true);
        Preview(16);
        prnNum = "7";
        PrintCommand(false);  // the printer is chosen and known to work
        QCOMPARE(prnNum, QString("8"));
        QVERIFY(cups->WaitForFinishedJobs("pdf", 1));

        if (stopScheduler)
            cups->Stop();
        else
            cups->RejectJobs("pdf");
        QCOMPARE(Message([&] { PrintCommand(withAnswers); }), QString("選択したプリンタは有効ではありません"));
        QCOMPARE(prnNum, QString("8"));
        QCOMPARE(state.PrintNumber, 8);
        QVERIFY(!state.ShowAnswers);
        QVERIFY(!Printer().Printing());

        if (stopScheduler) return;
        cups->AcceptJobs("pdf");
        PrintCommand(withAnswers);
        QCOMPARE(prnNum, QString("9"));
        QVERIFY(cups->WaitForFinishedJobs("pdf", withAnswers ? 3 : 2));
    }

    // OK in Print settings: the printer and paper chosen there are used by the next prints,
    // which are portrait whatever the dialog said. The dialog is Japanese, has no page range or
    // copies but a PDF file besides the printers, and opens centred with a third of the free
    // height above it.
    void settingsAccepted() {
        cups->AddPdfQueue("pdf", true);
        cups->AddPdfQueue("other", false);
        Preview(16);
        dialogs.answer = [](QPrintDialog& dialog) {
            auto* printers = dialog.findChild<QComboBox*>("printers");
            if (!printers || printers->findText("other") < 0) return false;
            printers->setCurrentIndex(printers->findText("other"));
            dialog.accept();
            dialog.printer()->setPageSize(QPageSize(QPageSize::A5));
            dialog.printer()->setPageOrientation(QPageLayout::Landscape);
            return dialog.result() == QDialog::Accepted;
        };
        QString title;
        QPoint placed, expected;
        bool printerPaperOrFile = false;
        auto choose = dialogs.answer;
        dialogs.answer = [&](QPrintDialog& dialog) {
            title = dialog.windowTitle();
            placed = dialog.pos();
            const QRect screen = window.screen()->geometry();
            expected = QPoint(screen.x() + (screen.width() - dialog.frameGeometry().width()) / 2,
                              screen.y() + (screen.height() - dialog.frameGeometry().height()) / 3);
            printerPaperOrFile = !dialog.testOption(QAbstractPrintDialog::PrintPageRange) &&
                                 !dialog.testOption(QAbstractPrintDialog::PrintCollateCopies) &&
                                 dialog.testOption(QAbstractPrintDialog::PrintToFile) &&
                                 dialog.testOption(QAbstractPrintDialog::PrintShowPageSize);
            return choose(dialog);
        };
        Settings();
        QCOMPARE(dialogs.printDialogs, 1);
        QCOMPARE(title, QString("印刷"));
        QCOMPARE(placed, expected);
        QVERIFY(printerPaperOrFile);
        QCOMPARE(QString::fromStdString(Printer().PrinterName()), QString("other"));

        prnNum = "1";
        PrintCommand(false);
        const std::string pdf = OnlyPdf("other");
        const auto facts = CupsSandbox::PdfInfo(pdf);
        QCOMPARE(facts.Pages, 1);
        QVERIFY2(qAbs(facts.WidthPt - 420) < 2 && qAbs(facts.HeightPt - 595.3) < 2,
                 qPrintable(QString("%1 x %2").arg(facts.WidthPt).arg(facts.HeightPt)));
        QVERIFY(cups->FinishedJobs("pdf").empty());

        // Opened again, the dialog starts from the printer in use, now portrait.
        QString preselected;
        QPageLayout::Orientation orientation = QPageLayout::Landscape;
        dialogs.answer = [&](QPrintDialog& dialog) {
            preselected = dialog.findChild<QComboBox*>("printers")->currentText();
            orientation = dialog.printer()->pageLayout().orientation();
            return false;
        };
        Settings();
        QCOMPARE(preselected, QString("other"));
        QCOMPARE(orientation, QPageLayout::Portrait);
    }

    // A scheduler that stops answering while it is handed a sheet: the print fails after the
    // hand-over limit with the number kept, the window's events run meanwhile (a second print is
    // refused), and once the scheduler runs again the next print goes through.
    void frozenScheduler_data() {
        QTest::addColumn<bool>("withAnswers");
        QTest::newRow("Print") << false;
        QTest::newRow("Print with answers") << true;
    }
    void frozenScheduler() {
        QFETCH(bool, withAnswers);
        cups->AddPdfQueue("pdf", true);
        Preview(16);
        prnNum = "7";
        PrintCommand(false);  // the printer is chosen and known to work
        QVERIFY(WaitForCompletedSheets("pdf", 1));

        const int limit = 1500;
        Printer().SetHandOverLimit(std::chrono::milliseconds(limit));
        cups->Pause();
        int ticks = 0;
        bool printing = false;
        QString second;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&] {
            if (++ticks == 3) {
                printing = Printer().Printing();
                second = Message([&] { PrintCommand(false); });
            }
        });
        tick.start(100);
        QElapsedTimer clock;
        clock.start();
        const QString first = Message([&] { PrintCommand(withAnswers); });
        const qint64 took = clock.elapsed();
        tick.stop();

        QCOMPARE(first, InvalidPrinter);
        QVERIFY2(took >= limit && took < limit + 5000, qPrintable(QString::number(took)));
        QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
        QVERIFY(printing);
        QCOMPARE(second, QString("現在印刷中です"));
        QCOMPARE(prnNum, QString("8"));
        QCOMPARE(state.PrintNumber, 8);
        QVERIFY(!state.ShowAnswers);
        QVERIFY(!Printer().Printing());

        cups->Resume();
        PrintCommand(withAnswers);
        QCOMPARE(prnNum, QString("9"));
        QVERIFY(WaitForCompletedSheets("pdf", withAnswers ? 3 : 2));
    }

    // OK in Print settings while the scheduler is down: the dialog lists no printer and hands
    // back an empty printer name, or proposes its PDF file under a folder's name. The printer in
    // use stays, and prints on it once the scheduler is back.
    void settingsWhileTheSchedulerIsDown_data() {
        QTest::addColumn<bool>("shown");
        QTest::newRow("dialog as made") << false;
        QTest::newRow("dialog shown, its file entry proposed") << true;
    }
    void settingsWhileTheSchedulerIsDown() {
        QFETCH(bool, shown);
        cups->AddPdfQueue("pdf", true);
        Preview(16);
        PrintCommand(false);
        QVERIFY(WaitForCompletedSheets("pdf", 1));
        cups->Stop();
        QString offered;
        dialogs.answer = [&](QPrintDialog& dialog) {
            if (shown) dialog.show();
            offered = dialog.findChild<QComboBox*>("printers")->currentText();
            dialog.accept();
            return dialog.result() == QDialog::Accepted;
        };
        Settings();
        QCOMPARE(dialogs.printDialogs, 1);
        QCOMPARE(offered.isEmpty(), !shown);
        QCOMPARE(QString::fromStdString(Printer().PrinterName()), QString("pdf"));
        QVERIFY(Printer().FileName().empty());

        cups->Start();
        PrintCommand(false);
        QCOMPARE(prnNum, QString("3"));
        QVERIFY(WaitForCompletedSheets("pdf", 2));
    }

    // Options chosen under the dialog's Properties (here the job's priority) go with the job to
    // the spooler, and the dialog opened again starts from them.
    void propertiesGoWithTheJob() {
        cups->AddPdfQueue("pdf", true);
        Preview(16);
        const QStringList chosen{"job-priority", "77"};
        dialogs.answer = [&](QPrintDialog& dialog) {
            dialog.accept();
            dialog.printer()->printEngine()->setProperty(CupsOptions, chosen);
            return true;
        };
        Settings();
        PrintCommand(false);
        QVERIFY(WaitForCompletedSheets("pdf", 1));
        QCOMPARE(cups->JobPriority("pdf", cups->FinishedJobs("pdf").at(0).Id), 77);

        QStringList again;
        dialogs.answer = [&](QPrintDialog& dialog) {
            again = dialog.printer()->printEngine()->property(CupsOptions).toStringList();
            return false;
        };
        Settings();
        QCOMPARE(again, chosen);
    }

    // Qt's PDF file chosen in Print settings: each sheet becomes a file named after the chosen
    // one and its sheet number, the answer sheet beside it; the number advances as on paper.
    void printToFile() {
        cups->AddPdfQueue("pdf", true);
        sentence = "小数点に気をつけて計算しましょう。";
        Preview(16);
        const QString folder = QString::fromStdString(cups->Dir()) + "/プリント";
        QVERIFY(QDir().mkpath(folder));
        ChooseFile(folder + "/かけ算.pdf");
        QCOMPARE(QString::fromStdString(Printer().FileName()), folder + "/かけ算.pdf");
        QVERIFY(Printer().PrinterName().empty());

        prnNum = "7";
        PrintCommand(true);
        QCOMPARE(prnNum, QString("8"));
        PrintCommand(false);
        QCOMPARE(prnNum, QString("9"));
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name),
                 (QStringList{"かけ算_No7.pdf", "かけ算_No7_答え.pdf", "かけ算_No8.pdf"}));
        const QRegularExpression digit("\\d");
        qsizetype digits[3] = {};
        const char* files[3] = {"/かけ算_No7.pdf", "/かけ算_No7_答え.pdf", "/かけ算_No8.pdf"};
        const char* numbers[3] = {"問題No.7", "問題No.7", "問題No.8"};
        for (int k = 0; k < 3; ++k) {
            const std::string pdf = (folder + files[k]).toStdString();
            QVERIFY(IsA4Portrait(CupsSandbox::PdfInfo(pdf)));
            const QString text = Squeezed(CupsSandbox::PdfText(pdf));
            QVERIFY2(text.contains(numbers[k]), qPrintable(text));
            QVERIFY(text.contains("小数点に気をつけて計算しましょう。"));
            QCOMPARE(text.count("×"), 16);
            digits[k] = text.count(digit);
        }
        QVERIFY(digits[1] > digits[0]);  // the answer sheet holds the products
        QCOMPARE(PdfCount(), std::size_t(0));
        QVERIFY(cups->FinishedJobs("pdf").empty());

        // Opened again, the dialog shows the file in front, where it belongs at its final size.
        int current = -1, last = -2;
        QString name;
        QPoint placed, expected;
        dialogs.answer = [&](QPrintDialog& dialog) {
            dialog.show();
            auto* printers = dialog.findChild<QComboBox*>("printers");
            current = printers->currentIndex();
            last = printers->count() - 1;
            name = dialog.findChild<QLineEdit*>("filename")->text();
            const QRect screen = window.screen()->geometry();
            placed = dialog.pos();
            expected = QPoint(screen.x() + (screen.width() - dialog.frameGeometry().width()) / 2,
                              screen.y() + (screen.height() - dialog.frameGeometry().height()) / 3);
            dialog.reject();
            return false;
        };
        Settings();
        QCOMPARE(current, last);
        QCOMPARE(name, folder + "/かけ算.pdf");
        QCOMPARE(placed, expected);
    }

    // A sheet file that cannot be written fails as a document that cannot end: the number stays.
    void fileThatCannotBeWritten_data() {
        QTest::addColumn<bool>("withAnswers");
        QTest::addColumn<bool>("folderIsAFile");
        QTest::newRow("Print, folder gone") << false << false;
        QTest::newRow("Print with answers, folder now a file") << true << true;
    }
    void fileThatCannotBeWritten() {
        QFETCH(bool, withAnswers);
        QFETCH(bool, folderIsAFile);
        cups->AddPdfQueue("pdf", true);
        Preview(16);
        const QString folder = QString::fromStdString(cups->Dir()) + "/プリント";
        QVERIFY(QDir().mkpath(folder));
        ChooseFile(folder + "/かけ算.pdf");
        QVERIFY(QDir(folder).removeRecursively());
        if (folderIsAFile) {
            QFile file(folder);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        prnNum = "7";
        QCOMPARE(Message([&] { PrintCommand(withAnswers); }), InvalidPrinter);
        QCOMPARE(prnNum, QString("7"));
        QCOMPARE(state.PrintNumber, 7);
        QVERIFY(!state.ShowAnswers);
        QVERIFY(!Printer().Printing());

        QFile::remove(folder);
        QVERIFY(QDir().mkpath(folder));
        PrintCommand(withAnswers);
        QCOMPARE(prnNum, QString("8"));
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), withAnswers ? 2 : 1);
    }

    // Cancel leaves printer and settings as they were, whatever was touched in the dialog.
    void settingsCancelled() {
        cups->AddPdfQueue("pdf", true);
        cups->AddPdfQueue("other", false);
        Preview(16);
        dialogs.answer = [](QPrintDialog& dialog) {
            if (auto* printers = dialog.findChild<QComboBox*>("printers"))
                printers->setCurrentIndex(printers->findText("other"));
            dialog.printer()->setPageSize(QPageSize(QPageSize::A5));
            dialog.reject();
            return false;
        };
        Settings();
        QCOMPARE(dialogs.printDialogs, 1);
        QCOMPARE(QString::fromStdString(Printer().PrinterName()), QString("pdf"));
        PrintCommand(false);
        QVERIFY(IsA4Portrait(CupsSandbox::PdfInfo(OnlyPdf("pdf"))));
        QVERIFY(cups->FinishedJobs("other").empty());
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestPrinting test;
    return PrintingTestExit(QTest::qExec(&test, argc, argv));
}
#include "tst_printing.moc"
