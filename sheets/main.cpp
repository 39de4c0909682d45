// tavrelo-sheets: many sheets at once as one PDF, from the same generator and the same page
// drawing as the window, reproducible from a seed.
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHashSeed>
#include <QString>
#include <cstdio>
#include <exception>
#include <new>
#include <optional>
#include <string>

#include "core/random.h"
#include "core/sheet_run.h"
#include "drawing/fonts.h"
#include "drawing/worksheet.h"
#include "sheets/creation_date.h"
#include "sheets/options.h"
#include "sheets/output_file.h"
#include "sheets/sheet_pdf.h"

namespace {

constexpr const char* Program = "tavrelo-sheets";

enum ExitStatus { Done = 0, CannotWrite = 1, BadOption = 2, NotEnoughProblems = 3 };

void Say(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

// Every value of the user's in a message has gone through Quoted(): cut short, no control
// characters.
void Complain(const QString& message) { Say(stderr, QString::fromUtf8(Program) + ": " + message + '\n'); }

// Sheets done / all, redrawn in place; only once the run has gone on long enough to be worth it.
class ProgressBar {
public:
    static constexpr qint64 DelayMs = 300;

    ProgressBar(bool enabled, qint64 delayMs) : enabled_(enabled), delayMs_(delayMs) { clock_.start(); }

    void Update(std::int64_t done, std::int64_t all) {
        if (!enabled_) return;
        const qint64 now = clock_.elapsed();
        if (now < delayMs_ || (done < all && now - lastDraw_ < EveryMs)) return;
        lastDraw_ = now;
        constexpr int width = 30;
        const int filled = static_cast<int>(width * done / all);
        std::fprintf(stderr, "\r[%s%s] %lld/%lld 枚", std::string(static_cast<std::size_t>(filled), '#').c_str(),
                     std::string(static_cast<std::size_t>(width - filled), '-').c_str(), static_cast<long long>(done),
                     static_cast<long long>(all));
        if (done == all) std::fputc('\n', stderr);
        std::fflush(stderr);
    }

private:
    static constexpr qint64 EveryMs = 100;
    bool enabled_;
    qint64 delayMs_;
    QElapsedTimer clock_;
    qint64 lastDraw_ = 0;
};

// A command that never opens a window has no use for Qt's remarks about the desktop session
// (a cron job or a container has no XDG_RUNTIME_DIR); everything else Qt says is passed on.
QtMessageHandler gQtHandler = nullptr;

void FilterQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("XDG_RUNTIME_DIR"))) return;
    if (gQtHandler) gQtHandler(type, context, message);
}

int Run(const SheetOptions& options);

}  // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
    // Qt's PDF writer takes fresh compression buffers for every page and frees them again; with
    // glibc's default thresholds they go back to the kernel each time and come back zeroed, which
    // cost a third of a long run. Kept in the heap they are reused page after page, and the
    // peak stays that of one page.
    mallopt(M_MMAP_THRESHOLD, 16 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
    // The PDF writer keeps the embedded fonts in a hash and writes them in its order: with Qt's
    // seed, random per process, the same sheets would come out as different bytes each run. The
    // seed must be fixed before Qt fills any hash.
    QHashSeed::setDeterministicGlobalSeed();
    // The writer stamps local time with its offset, "Z" in UTC and "+09'00'" in Japan: a file of a
    // set date must not depend on where it was made, so such a run keeps its clock in UTC.
    if (!qEnvironmentVariableIsEmpty("SOURCE_DATE_EPOCH")) qputenv("TZ", "UTC");
    // No window is ever shown: the run must work without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    gQtHandler = qInstallMessageHandler(FilterQtMessages);
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromUtf8(Program));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVRELO_VERSION));
    InstallParserTranslations();

    const ParsedOptions parsed = ParseSheetOptions(QCoreApplication::arguments());
    switch (parsed.Outcome) {
        case OptionsOutcome::Help:
        case OptionsOutcome::Version:
        case OptionsOutcome::ListPresets:
            Say(stdout, parsed.Text);
            return Done;
        case OptionsOutcome::Error:
            Complain(parsed.Text);
            return BadOption;
        case OptionsOutcome::Run:
            break;
    }
    // Whatever else goes wrong ends as a message and the status of an unwritten file, never as
    // an abort with a core dump; the output file, not yet committed, is left as it was.
    try {
        return Run(parsed.Options);
    } catch (const std::bad_alloc&) {
        Complain(QStringLiteral("メモリが足りないため、プリントを作れません。"));
    } catch (const std::exception& error) {
        Complain(QStringLiteral("プリントを作れません: ") + QString::fromUtf8(error.what()));
    }
    return CannotWrite;
}

namespace {

int Run(const SheetOptions& options) {
    // The reproducible-builds convention: a package build that makes sheets sets the date.
    bool malformed = false;
    const std::optional<QDateTime> creationDate = SourceDate(qgetenv("SOURCE_DATE_EPOCH"), malformed);
    if (malformed) {
        Complain(QStringLiteral("SOURCE_DATE_EPOCH: %1 は 1970年1月1日 (UTC) からの秒数ではありません。")
                     .arg(Quoted(qEnvironmentVariable("SOURCE_DATE_EPOCH"))));
        return BadOption;
    }

    const std::uint32_t seed = options.Seed ? *options.Seed : ClockSeed();
    std::fprintf(stderr, "seed: %u\n", seed);

    // Every sheet is made once before anything is written, so that a run that cannot be
    // completed writes nothing at all. Making them again costs far less than drawing them.
    if (const auto shortSheet = FindShortSheet(options.Settings, seed, options.Sheets)) {
        Complain(QStringLiteral("今の条件では、指定された問題数が確保できません。\n"
                                "  %1 枚目（問題No.%2）: %3 問のうち %4 問しか見つかりません。"
                                "--multiplicand、--multiplier、--answer を見直してください。")
                     .arg(shortSheet->Sheet)
                     .arg(SheetNumber(options.FirstNumber, shortSheet->Sheet - 1))
                     .arg(options.Settings.RequestedCount)
                     .arg(shortSheet->Found));
        return NotEnoughProblems;
    }

    InstallFontSubstitutions();

    TOutputFile output(options.Output);
    QString reason;
    if (!output.Open(reason)) {
        Complain(QStringLiteral("-o/--output: %1 に書き込めません: %2").arg(Quoted(options.Output), reason));
        return CannotWrite;
    }

    SheetPdfJob job;
    job.Settings = options.Settings;
    job.Seed = seed;
    job.Sheets = options.Sheets;
    job.FirstNumber = options.FirstNumber;
    job.Sentence = options.Sentence;
    job.Answers = options.Answers;
    job.Paper = PageSizeOf(options.Paper);
    job.Style = options.Style;
    job.Title = QString::fromUtf8(DocumentName);
    job.CreationDate = creationDate;
    job.Creator = QStringLiteral("%1 %2: %3")
                      .arg(QString::fromUtf8(Program), QStringLiteral(TAVRELO_VERSION), RemakeCommand(options, seed));

    // Test seam, not for users: TAVRELO_TEST_PROGRESS_DELAY_MS replaces the delay before the bar
    // shows, so that a test sees the bar on a run of a few sheets rather than one long enough to
    // pass the delay.
    bool seam = false;
    const int delayMs = qEnvironmentVariableIntValue("TAVRELO_TEST_PROGRESS_DELAY_MS", &seam);
    ProgressBar progress(!options.Quiet && isatty(STDERR_FILENO),
                         seam && delayMs >= 0 ? delayMs : ProgressBar::DelayMs);
    WriteSheetsPdf(output.Device(), job, [&](std::int64_t done, std::int64_t all) { progress.Update(done, all); });

    if (!output.Commit(reason)) {
        Complain(QStringLiteral("-o/--output: %1 に書き込めません: %2").arg(Quoted(options.Output), reason));
        return CannotWrite;
    }
    return Done;
}

}  // namespace
