// Printing end to end through a private CUPS scheduler with cups-pdf queues: the jobs the
// spooler completed, their names and PDFs, the print settings dialog, and the failures.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLibraryInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTranslator>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <limits>

#include "cups_sandbox.h"
#include "core/errors.h"
#include "drawing/fonts.h"
#include "core/generator.h"
#include "core/numtext.h"
#include "output/printer.h"
#include "output/printing.h"
#include "drawing/recording_canvas.h"
#include "drawing/worksheet.h"

namespace {

const QString kDocumentName = QStringLiteral("Tavreloかけ算小数編");

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
    TSheetSource source{state, [this] { return sentence; }};
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
        QCOMPARE(GenerateProblems(settings, state.Problems, state.ProblemCount), GenerationResult::Complete);
        printingEnabled = PreviewHandOff(state);
    }

    // The single finished job of a queue and its PDF's text.
    std::string OnlyPdf(const std::string& queue) {
        if (!cups->WaitForFinishedJobs(queue, 1))
            return "(no job)";
        const auto jobs = cups->FinishedJobs(queue);
        if (jobs.size() != 1 || jobs[0].State != "completed")
            return "(not one completed job)";
        return cups->WaitForPdf(jobs[0].Id);
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
        if (!why.empty())
            QSKIP(why.c_str());
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
        QCOMPARE(printer.PageWidth(), 9583);
        QCOMPARE(printer.PageHeight(), 13699);
        printer.SetOrientation(TPrinterOrientation::poLandscape);
        QCOMPARE(printer.PageWidth(), 13699);
        printer.SetOrientation(TPrinterOrientation::poPortrait);

        QCOMPARE(Message([&] { printer.Canvas(); }), QString("プリンタに印刷できる状態ではありません"));
        QCOMPARE(Message([&] { printer.EndDoc(); }), QString("プリンタに印刷できる状態ではありません"));
        printer.Title = "別の名前 1";
        printer.BeginDoc();
        QVERIFY(printer.Printing());
        QCOMPARE(Message([&] { printer.BeginDoc(); }), QString("現在印刷中です"));
        QCOMPARE(Message([&] { printer.SetOrientation(TPrinterOrientation::poPortrait); }),
                 QString("現在印刷中です"));
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
            QCOMPARE(QString::fromStdString(job.Name), kDocumentName);
        }
        QCOMPARE(QString::fromStdString(cups->PageLog()).count(kDocumentName), 2);

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
        for (const auto& text : without.Texts())
            problemDigits += QString::fromStdString(text).count(digit);
        for (const auto& text : withAnswers.Texts())
            answerDigits += QString::fromStdString(text).count(digit);
        QVERIFY(answerDigits > problemDigits);
        QCOMPARE(problems.count(digit), problemDigits);
        QCOMPARE(answers.count(digit), answerDigits);
        const QString problemRows = QString(problems).remove('.');
        const QString answerRows = QString(answers).remove('.');
        for (int k = 1; k <= 16; ++k) {
            const Problem& p = state.Problems[k];
            const QString product = QString::fromStdString(FormatDecimal(
                static_cast<Extended>(p.MultiplicandMilli) / 1000 * (static_cast<Extended>(p.MultiplierMilli) / 1000)));
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
        QTest::newRow("7") << "7" << "8";
        QTest::newRow("-1") << "-1" << "0";
        QTest::newRow("top of the range wraps") << "2147483647" << "-2147483648";
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
        QTest::newRow("no printer at all") << "none" << "デフォルト プリンタが存在しません";
        QTest::newRow("printers without a default") << "no default" << "デフォルト プリンタが存在しません";
        QTest::newRow("scheduler unreachable") << "dead" << "^Win32 エラー。コード : \\d+\\.\\n\\S.*$";
        QTest::newRow("scheduler stopped") << "stopped" << "^Win32 エラー。コード : \\d+\\.\\n\\S.*$";
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
        }
        Preview(16);
        prnNum = "5";
        state.PrintNumber = 1;
        const QRegularExpression expected(message.startsWith('^') ? message
                                                                  : QRegularExpression::escape(message));
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

        if (stopScheduler)
            return;
        cups->AcceptJobs("pdf");
        PrintCommand(withAnswers);
        QCOMPARE(prnNum, QString("9"));
        QVERIFY(cups->WaitForFinishedJobs("pdf", withAnswers ? 3 : 2));
    }

    // OK in Print settings: the printer and paper chosen there are used by the next prints,
    // which are portrait whatever the dialog said. The dialog is Japanese, has no page range,
    // copies or file output, and opens centred with a third of the free height above it.
    void settingsAccepted() {
        cups->AddPdfQueue("pdf", true);
        cups->AddPdfQueue("other", false);
        Preview(16);
        dialogs.answer = [](QPrintDialog& dialog) {
            auto* printers = dialog.findChild<QComboBox*>("printers");
            if (!printers || printers->findText("other") < 0)
                return false;
            printers->setCurrentIndex(printers->findText("other"));
            dialog.accept();
            dialog.printer()->setPageSize(QPageSize(QPageSize::A5));
            dialog.printer()->setPageOrientation(QPageLayout::Landscape);
            return dialog.result() == QDialog::Accepted;
        };
        QString title;
        QPoint placed, expected;
        bool noRangeCopiesOrFile = false;
        auto choose = dialogs.answer;
        dialogs.answer = [&](QPrintDialog& dialog) {
            title = dialog.windowTitle();
            placed = dialog.pos();
            const QRect screen = window.screen()->geometry();
            expected = QPoint(screen.x() + (screen.width() - dialog.width()) / 2,
                              screen.y() + (screen.height() - dialog.height()) / 3);
            noRangeCopiesOrFile = !dialog.testOption(QAbstractPrintDialog::PrintPageRange) &&
                                  !dialog.testOption(QAbstractPrintDialog::PrintCollateCopies) &&
                                  !dialog.testOption(QAbstractPrintDialog::PrintToFile) &&
                                  dialog.testOption(QAbstractPrintDialog::PrintShowPageSize);
            return choose(dialog);
        };
        Settings();
        QCOMPARE(dialogs.printDialogs, 1);
        QCOMPARE(title, QString("印刷"));
        QCOMPARE(placed, expected);
        QVERIFY(noRangeCopiesOrFile);
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

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
