// Developer tool, not part of the program: writes a worksheet page with and without answers
// as images (preview size and an A4 page at 600 dpi) and as an A4 PDF, to look at; and the same
// pages in the textbook style as A4 PDFs (the README's pictures come from those).
//   worksheet_png [output directory]
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <cstdio>
#include <string>

#include "drawing/fonts.h"
#include "drawing/qt_canvas.h"
#include "drawing/sample_page.h"
#include "drawing/worksheet.h"

namespace {

bool WriteImage(const QString& path, int width, int height, int dpi, const PageContent& content) {
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(QColor(0xEE, 0xEE, 0xEE));  // outside the page area, so its edge shows
    const int dpm = static_cast<int>(dpi / 0.0254 + 0.5);
    img.setDotsPerMeterX(dpm);
    img.setDotsPerMeterY(dpm);
    {
        QPainter p(&img);
        TQtCanvas canvas(p);
        MakePrint(canvas, width, height, content);
    }
    const bool ok = img.save(path);
    std::printf("%s %s (%d x %d)\n", ok ? "wrote" : "FAILED", qPrintable(path), width, height);
    return ok;
}

bool WritePdf(const QString& path, const PageContent& content) {
    QPdfWriter pdf(path);
    pdf.setResolution(600);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(3.53, 3.53, 3.53, 3.53),
                                  QPageLayout::Millimeter));
    QPainter p(&pdf);
    if (!p.isActive()) return false;
    TQtCanvas canvas(p);
    const QRect page = pdf.pageLayout().paintRectPixels(pdf.resolution());
    MakePrint(canvas, page.width(), page.height(), content);
    p.end();
    std::printf("wrote %s (%d x %d at 600 dpi)\n", qPrintable(path), page.width(), page.height());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InstallFontSubstitutions();
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out.path()));
        return 1;
    }
    const ProblemSet set = SampleProblems();
    bool ok = true;
    for (bool answers : {false, true}) {
        const PageContent content = SamplePage(set, answers);
        const QString suffix = answers ? QStringLiteral("answers") : QStringLiteral("problems");
        ok &= WriteImage(out.filePath("preview_" + suffix + ".png"), 320, 441, 96, content);
        // A4 at 600 dpi, the printable area inside 3.53 mm margins.
        ok &= WriteImage(out.filePath("a4_" + suffix + ".png"), 4794, 6849, 600, content);
        ok &= WritePdf(out.filePath("a4_" + suffix + ".pdf"), content);
        PageContent textbook = content;
        textbook.Style = TPageStyle::Textbook();
        ok &= WritePdf(out.filePath("a4_" + suffix + "_textbook.pdf"), textbook);
    }
    return ok ? 0 : 1;
}
