#include "output/printing.h"

#include <QPainter>

#include "core/numtext.h"
#include "core/sheet_run.h"
#include "drawing/qt_canvas.h"
#include "drawing/worksheet.h"
#include "output/printer.h"
#include "run/sheet_page.h"

namespace {

constexpr std::int32_t PreviewWidth = 320;
constexpr std::int32_t PreviewHeight = 441;

// ShowAnswers is set only while one page is drawn; it must not outlive a failed print.
class AnswersShown {
public:
    explicit AnswersShown(SharedState& state) : state_(state) { state_.ShowAnswers = true; }
    ~AnswersShown() { state_.ShowAnswers = false; }
    AnswersShown(const AnswersShown&) = delete;
    AnswersShown& operator=(const AnswersShown&) = delete;

private:
    SharedState& state_;
};

// Everything a page drawing reads, as it is at this moment.
void DrawOn(const TSheetSource& source, TCanvas& canvas, std::int32_t width, std::int32_t height, bool showAnswers) {
    const std::string sentence = source.Sentence ? source.Sentence() : std::string();
    PageContent content = SheetPage(sentence, source.State.PrintNumber, source.State.Problems,
                                    source.State.ProblemCount, showAnswers, TPageStyle::Plain());
    content.BaseWidth = source.BaseWidth;
    content.BaseHeight = source.BaseHeight;
    MakePrint(canvas, width, height, content);
}

// Printed into files, the sheets of one number go side by side: "かけ算_No7.pdf" and
// "かけ算_No7_答え.pdf".
void PrintSheet(const TSheetSource& source, TPrinter& printer, std::int32_t width, std::int32_t height) {
    printer.Title = DocumentName;
    printer.FileNameTag = "_No" + FormatInteger(source.State.PrintNumber) + (source.State.ShowAnswers ? "_答え" : "");
    printer.BeginDoc();
    try {
        DrawOn(source, printer.Canvas(), width, height, source.State.ShowAnswers);
    } catch (...) {
        // Half a page is no sheet: the document goes, the error goes on to the window, and
        // the printer is free for the next print.
        printer.Abort();
        throw;
    }
    printer.EndDoc();
}

bool PreviewShows(const SharedState& state) { return state.PreviewReady && state.ProblemCount > 0; }

}  // namespace

std::int32_t NextPrintNumber(std::int32_t number) { return SheetNumber(number, 1); }

void DrawPreviewPage(const TSheetSource& source, TCanvas& canvas) {
    const AnswersShown answers(source.State);
    DrawOn(source, canvas, PreviewWidth, PreviewHeight, source.State.ShowAnswers);
}

void DrawSheetPage(const TSheetSource& source, TCanvas& canvas, std::int32_t width, std::int32_t height,
                   bool showAnswers) {
    if (PreviewShows(source.State)) DrawOn(source, canvas, width, height, showAnswers);
}

bool PreviewHandOff(SharedState& state) {
    if (state.ProblemCount <= 3) return false;
    state.PreviewReady = true;
    return true;
}

void PaintPreview(const TSheetSource& source, TCanvas& canvas) {
    if (PreviewShows(source.State)) DrawPreviewPage(source, canvas);
}

void PaintPreview(const TSheetSource& source, QPainter& painter) {
    if (!PreviewShows(source.State)) return;
    TQtCanvas canvas(painter);
    DrawPreviewPage(source, canvas);
}

std::int32_t PrintSheets(const TSheetSource& source, bool withAnswers) {
    // While a sheet is handed to the spooler the window takes input, and a Preview then draws a
    // new set: the print keeps the set and the number it started with, so that its answer sheet
    // answers its problem sheet. The sentence is still read as each sheet is drawn.
    SharedState started = source.State;
    const TSheetSource printed{started, source.Sentence, source.BaseWidth, source.BaseHeight};
    TPrinter& printer = Printer();
    printer.SetOrientation(TPrinterOrientation::poPortrait);
    const std::int32_t height = printer.PageHeight();
    const std::int32_t width = printer.PageWidth();
    PrintSheet(printed, printer, width, height);
    if (withAnswers) {
        // The answer sheet keeps the problem sheet's page size: it is not measured again.
        const AnswersShown answers(started);
        PrintSheet(printed, printer, width, height);
    }
    source.State.PrintNumber = NextPrintNumber(started.PrintNumber);
    return source.State.PrintNumber;
}

void RunPrintSettings(QWidget* parent, const std::function<bool(QPrintDialog&)>& run) {
    Printer().ExecuteSetupDialog(parent, run);
}
