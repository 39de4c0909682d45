// How long from the click on Print (the btnPrintClick call) until the spooler reports the job
// completed, through a private scheduler with a cups-pdf queue. Not a test: prints figures.
//   print_latency [runs]   (root; runs offscreen)
#include <cups/cups.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "core/generator.h"
#include "cups_sandbox.h"
#include "drawing/fonts.h"
#include "output/printer.h"
#include "output/printing.h"

namespace {

using Clock = std::chrono::steady_clock;

int CompletedJobs() {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, "pdf", 0, CUPS_WHICHJOBS_COMPLETED);
    cupsFreeJobs(count, jobs);
    return count;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    const double median = ms.size() % 2 ? ms[ms.size() / 2] : (ms[ms.size() / 2 - 1] + ms[ms.size() / 2]) / 2;
    std::printf("%-44s median %7.1f ms   min %7.1f   max %7.1f   (n=%zu)\n", what, median, ms.front(), ms.back(),
                ms.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const std::string why = CupsSandbox::Unavailable();
    if (!why.empty()) {
        std::fprintf(stderr, "print_latency: %s\n", why.c_str());
        return 1;
    }
    InstallFontSubstitutions();
    CupsSandbox cups;
    cups.Start();
    cups.AddPdfQueue("pdf", true);

    SharedState state;
    GenerationSettings settings;
    settings.RequestedCount = 16;
    settings.AnswerLowText = "1";
    settings.AnswerHighText = "90";
    settings.DigitRanges[2] = {"1", "9", "0", "9"};
    settings.DigitRanges[3] = {"1", "9", "1", "9"};
    for (int k : {0, 1, 4}) settings.DigitRanges[static_cast<std::size_t>(k)] = {"0", "0", "0", "0"};
    TRandom random;
    GenerateProblems(settings, random, state.Problems, state.ProblemCount);

    state.PrintNumber = 1;
    const TSheetSource source{state, [] { return std::string("つぎの計算をしましょう。"); }};
    PreviewHandOff(state);

    for (const bool withAnswers : {false, true}) {
        std::vector<double> returned, completed;
        double first = 0;
        for (int run = 0; run < runs; ++run) {
            const int before = CompletedJobs();
            const int expected = before + (withAnswers ? 2 : 1);
            const auto start = Clock::now();
            PrintSheets(source, withAnswers);
            const auto back = Clock::now();
            while (CompletedJobs() < expected) {
                if (Clock::now() - start > std::chrono::seconds(30)) {
                    std::fprintf(stderr, "print_latency: job not completed within 30 s\n");
                    return 1;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            const auto done = Clock::now();
            if (run == 0 && !withAnswers) first = Ms(done - start);
            returned.push_back(Ms(back - start));
            completed.push_back(Ms(done - start));
        }
        if (!withAnswers) std::printf("first Print of the run (printer chosen then): %.1f ms to completed\n", first);
        Report(withAnswers ? "Print with answers: click -> call returns" : "Print: click -> call returns", returned);
        Report(withAnswers ? "Print with answers: click -> both completed" : "Print: click -> job completed",
               completed);
    }
    ReleasePrinter();
    return 0;
}
