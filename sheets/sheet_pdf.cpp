#include "sheets/sheet_pdf.h"

#include <QIODevice>
#include <QMarginsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRect>
#include <QUuid>
#include <QtGlobal>
#include <memory>
#include <optional>

#include "drawing/answer_list.h"
#include "drawing/qt_canvas.h"
#include "drawing/worksheet.h"
#include "run/paper.h"
#include "run/sheet_page.h"
#include "sheets/creation_date.h"

QPageSize::PageSizeId PageSizeOf(TPaper paper) {
    switch (paper) {
        case TPaper::A4:
            return QPageSize::A4;
        case TPaper::B5:
            return QPageSize::JisB5;
        case TPaper::B4:
            return QPageSize::JisB4;
        case TPaper::A3:
            return QPageSize::A3;
        case TPaper::Letter:
            return QPageSize::Letter;
    }
    return QPageSize::A4;
}

void WriteSheetsPdf(QIODevice& device, const SheetPdfJob& job,
                    const std::function<void(std::int64_t, std::int64_t)>& pageDone) {
    std::optional<TCreationDateDevice> dated;
    if (job.CreationDate) dated.emplace(device, *job.CreationDate);
    QIODevice& out = dated ? static_cast<QIODevice&>(*dated) : device;
    // Both on the heap so that a failed run can abandon them (see below).
    auto pdf = std::make_unique<QPdfWriter>(&out);
    pdf->setTitle(job.Title);
    pdf->setCreator(job.Creator);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    // Qt 6.8 gives every document a random identifier; a dated run must come out the same
    // twice, so its identifier is made from what makes the run (the command line) and its date.
    if (job.CreationDate) {
        const QUuid space = QUuid::fromString(QLatin1String("{6c1e3a52-9a0f-4d57-b3c4-1f8e2d7a9b60}"));
        pdf->setDocumentId(QUuid::createUuidV5(
            space, job.Creator + QLatin1Char('\n') + job.CreationDate->toUTC().toString(Qt::ISODate)));
    }
#endif
    pdf->setResolution(SheetDotsPerInch);
    const double b = SheetBorderMillimetres;
    pdf->setPageLayout(QPageLayout(QPageSize(PageSizeOf(job.Run.Paper)), QPageLayout::Portrait, QMarginsF(b, b, b, b),
                                   QPageLayout::Millimeter));
    const QRect area = pdf->pageLayout().paintRectPixels(SheetDotsPerInch);

    auto painter = std::make_unique<QPainter>(pdf.get());
    try {
        // One canvas for the whole run: the fonts it has resolved for the first page serve all others.
        TQtCanvas canvas(*painter);
        const RunOptions& run = job.Run;
        const std::int64_t pages = PageCount(run.Answers, run.Sheets, run.Settings.RequestedCount);
        std::int64_t done = 0;
        const auto nextPage = [&] {
            if (done > 0) pdf->newPage();
        };
        const auto pageEnded = [&] {
            ++done;
            if (pageDone) pageDone(done, pages);
        };
        RunSheets(
            run.Settings, job.Seed, run.Sheets, run.Answers,
            [&](std::int32_t sheet, bool answers, const ProblemSet& set, std::int32_t count) {
                nextPage();
                MakePrint(canvas, area.width(), area.height(), RunSheetPage(run, sheet, answers, set, count));
                pageEnded();
            },
            [&](const AnswerListPage& list) {
                nextPage();
                MakeAnswerList(canvas, area.width(), area.height(), RunListPage(run, list));
                pageEnded();
            });
        painter->end();
        if (dated) dated->Finish();
    } catch (...) {
        // Ending the painter writes the rest of the PDF, and the painter's destructor ends it:
        // after running out of memory that needs memory again, and a second exception on the
        // way out would abort the program with the temporary file left behind. The document is
        // worthless now; the painter and the writer are let go unended, which costs nothing in
        // a program about to stop.
        static_cast<void>(painter.release());
        static_cast<void>(pdf.release());
        throw;
    }
}
