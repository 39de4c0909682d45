#include "output/printing.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPainter>
#include <QWidget>

#include <string>

#include "core/numtext.h"
#include "output/printer.h"
#include "drawing/qt_canvas.h"
#include "drawing/worksheet.h"

namespace {

constexpr std::int32_t PreviewWidth = 320;
constexpr std::int32_t PreviewHeight = 441;

// Everything a page drawing reads, taken from the window as it is now.
struct LiveContent {
    std::string sentence;
    PageContent content;

    explicit LiveContent(const TOutputHost& host)
        : sentence(host.QstSentence ? host.QstSentence->text().toStdString() : std::string())
    {
        content.Sentence = sentence;
        content.PrintNumber = host.State.PrintNumber;
        content.Problems = &host.State.Problems;
        content.ProblemCount = host.State.ProblemCount;
        content.ShowAnswers = host.State.ShowAnswers;
        if (host.PaintBox1) {
            content.BaseWidth = host.PaintBox1->width();
            content.BaseHeight = host.PaintBox1->height();
        }
    }
};

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

void DrawOn(TOutputHost& host, TCanvas& canvas, std::int32_t width, std::int32_t height)
{
    const LiveContent live(host);
    MakePrint(canvas, width, height, live.content);
}

void PrintSheet(TOutputHost& host, TPrinter& printer, std::int32_t width, std::int32_t height)
{
    printer.Title = DocumentName;
    printer.BeginDoc();
    DrawOn(host, printer.Canvas(), width, height);
    printer.EndDoc();
}

struct PageSize {
    std::int32_t width;
    std::int32_t height;
};

// Steps shared by both print commands, up to the end of the problem sheet.
PageSize PrintProblemSheet(TOutputHost& host)
{
    host.State.PrintNumber = ParseInteger(host.PrnNum->text().toStdString());
    TPrinter& printer = Printer();
    printer.SetOrientation(TPrinterOrientation::poPortrait);
    PageSize page{};
    page.height = printer.PageHeight();
    page.width = printer.PageWidth();
    PrintSheet(host, printer, page.width, page.height);
    return page;
}

void AdvancePrintNumber(TOutputHost& host)
{
    host.State.PrintNumber = NextPrintNumber(host.State.PrintNumber);
    host.PrnNum->setText(QString::fromStdString(FormatInteger(host.State.PrintNumber)));
}

}  // namespace

std::int32_t NextPrintNumber(std::int32_t number)
{
    // Past the top of the 32-bit range the number wraps to the bottom, without overflow.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(number) + 1u);
}

void DrawPreviewPage(TOutputHost& host, TCanvas& canvas)
{
    const AnswersShown answers(host.State);
    DrawOn(host, canvas, PreviewWidth, PreviewHeight);
}

void PreviewHandOff(TOutputHost& host)
{
    if (host.State.ProblemCount <= 3)
        return;
    // A widget can only be painted from its paint event: ask for one. It runs as soon as the
    // Preview command returns to the event loop, by when PreviewReady is set.
    if (host.PaintBox1)
        host.PaintBox1->update();
    host.State.PreviewReady = true;
    host.btnPrint->setEnabled(true);
    host.btnPrintWithAns->setEnabled(true);
}

void PaintBox1Paint(TOutputHost& host, TCanvas& canvas)
{
    if (host.State.PreviewReady && host.State.ProblemCount > 0)
        DrawPreviewPage(host, canvas);
}

void PaintBox1Paint(TOutputHost& host, QPainter& painter)
{
    if (!(host.State.PreviewReady && host.State.ProblemCount > 0))
        return;
    TQtCanvas canvas(painter);
    DrawPreviewPage(host, canvas);
}

void btnPrintClick(TOutputHost& host)
{
    PrintProblemSheet(host);
    AdvancePrintNumber(host);
}

void btnPrintWithAnsClick(TOutputHost& host)
{
    const PageSize page = PrintProblemSheet(host);
    {
        // The answer sheet keeps the problem sheet's page size: it is not measured again.
        const AnswersShown answers(host.State);
        PrintSheet(host, Printer(), page.width, page.height);
    }
    AdvancePrintNumber(host);
}

void btnMaintenanceClick(TOutputHost& host)
{
    Printer().ExecuteSetupDialog(host.Window);
}
