// How long one worksheet page takes to draw: the preview is redrawn on every repaint, the A4
// page once per printed sheet.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "drawing/fonts.h"
#include "drawing/qt_canvas.h"
#include "drawing/sample_page.h"
#include "drawing/worksheet.h"

namespace {

// Argument 0: the window's plain page; 1: the textbook page that tavrelo-sheets draws; 2: that
// page on squared paper (--grid squares), which must cost no more than a fifth more than 1.
PageContent BenchPage(const ProblemSet& set, const benchmark::State& state) {
    PageContent content = SamplePage(set, true);
    content.Style = state.range(0) != 0 ? TPageStyle::Textbook() : TPageStyle::Plain();
    if (state.range(0) == 2) content.Style.Grid = TFigureGrid::Squares;
    return content;
}

// As the preview repaints: a fresh painter and canvas each time on the same widget-sized image.
void BM_PreviewPageWithAnswers(benchmark::State& state) {
    const ProblemSet set = SampleProblems();
    const PageContent content = BenchPage(set, state);
    QImage img(320, 441, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&img);
        TQtCanvas canvas(p);
        MakePrint(canvas, 320, 441, content);
    }
}
BENCHMARK(BM_PreviewPageWithAnswers)->ArgName("textbook")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// An A4 page at 600 dpi into a PDF held in memory, as a printer page is drawn.
struct A4Pdf {
    QBuffer buffer;
    QPdfWriter pdf{&buffer};
    A4Pdf() {
        buffer.open(QIODevice::WriteOnly);
        pdf.setResolution(600);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(3.53, 3.53, 3.53, 3.53), QPageLayout::Millimeter));
    }
    QRect Page() const { return pdf.pageLayout().paintRectPixels(pdf.resolution()); }
};

// One printed page.
void DrawA4PageIntoPdf(const PageContent& content) {
    A4Pdf a4;
    QPainter p(&a4.pdf);
    TQtCanvas canvas(p);
    const QRect page = a4.Page();
    MakePrint(canvas, page.width(), page.height(), content);
    p.end();
    benchmark::DoNotOptimize(a4.buffer.data().size());
}

// One printed answer sheet.
void BM_A4PageIntoPdf(benchmark::State& state) {
    const ProblemSet set = SampleProblems();
    const PageContent content = BenchPage(set, state);
    for (auto _ : state) DrawA4PageIntoPdf(content);
}
BENCHMARK(BM_A4PageIntoPdf)->ArgName("textbook")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Its problem sheet: on squared paper it draws every row of squares the answer sheet has.
void BM_A4ProblemPageIntoPdf(benchmark::State& state) {
    const ProblemSet set = SampleProblems();
    PageContent content = BenchPage(set, state);
    content.ShowAnswers = false;
    for (auto _ : state) DrawA4PageIntoPdf(content);
}
BENCHMARK(BM_A4ProblemPageIntoPdf)->ArgName("textbook")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The fit search alone: the font height a page's figures get, as MakePrint finds it before it
// draws them. Its share of a page drawn is this over the page benchmarks above.
void BM_PreviewFitSearch(benchmark::State& state) {
    const ProblemSet set = SampleProblems();
    const PageContent content = BenchPage(set, state);
    QImage img(320, 441, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    TQtCanvas canvas(p);
    for (auto _ : state) benchmark::DoNotOptimize(FigureHeight(canvas, 320, 441, content));
}
BENCHMARK(BM_PreviewFitSearch)->ArgName("textbook")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_A4FitSearch(benchmark::State& state) {
    const ProblemSet set = SampleProblems();
    const PageContent content = BenchPage(set, state);
    A4Pdf a4;
    QPainter p(&a4.pdf);
    TQtCanvas canvas(p);
    const QRect page = a4.Page();
    for (auto _ : state) benchmark::DoNotOptimize(FigureHeight(canvas, page.width(), page.height(), content));
    p.end();
}
BENCHMARK(BM_A4FitSearch)->ArgName("textbook")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InstallFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
