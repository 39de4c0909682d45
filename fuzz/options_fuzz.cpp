// Feeds arbitrary command lines to tavrelo-sheets' option reader. Besides "no crash, no
// sanitizer report", an accepted command line and the command line the run stores in its PDF
// (to make it again) must mean the same run: read back, the stored line gives the same settings.
// Input: the arguments, one a line.
#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sheets/options.h"
#include "tests/common/shell_words.h"

namespace {

[[noreturn]] void Fail(const char* what, const QString& detail) {
    std::fprintf(stderr, "%s: %s\n", what, detail.toUtf8().constData());
    std::abort();
}

// Every setting that the stored line carries.
QString Settings(const SheetOptions& o, std::uint32_t seed) {
    const GenerationSettings& s = o.Settings;
    QStringList fields{QString::number(seed),
                       QString::number(s.RequestedCount),
                       QString::fromStdString(s.AnswerLowText),
                       QString::fromStdString(s.AnswerHighText),
                       QString::number(o.Sheets),
                       QString::number(o.FirstNumber),
                       QString::fromStdString(o.Sentence),
                       QString::number(static_cast<int>(o.Answers)),
                       QString::fromUtf8(PaperName(o.Paper)),
                       QString::number(static_cast<int>(o.Paper))};
    for (const DigitRangeTexts& r : s.DigitRanges)
        fields << QString::fromStdString(r.MultiplicandLow + r.MultiplicandHigh + r.MultiplierLow + r.MultiplierHigh);
    return fields.join(QLatin1Char('|'));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QStringList arguments{QStringLiteral("tavrelo-sheets")};
    arguments += input.split(QLatin1Char('\n'));
    const ParsedOptions first = ParseSheetOptions(arguments);
    if (first.Outcome == OptionsOutcome::Error && first.Text.isEmpty()) Fail("refused without a message", input);
    if (first.Outcome != OptionsOutcome::Run) return 0;

    const std::uint32_t seed = first.Options.Seed.value_or(7);
    const QString stored = RemakeCommand(first.Options, seed);
    // The stored line leaves the file to the one who runs it again.
    const ParsedOptions again =
        ParseSheetOptions(ShellWords(stored) << QStringLiteral("-o") << QStringLiteral("again.pdf"));
    if (again.Outcome != OptionsOutcome::Run) Fail("the stored line is refused", stored + " -> " + again.Text);
    if (!again.Options.Seed) Fail("the stored line has no seed", stored);
    if (Settings(again.Options, *again.Options.Seed) != Settings(first.Options, seed))
        Fail("the stored line means another run", stored + "\n  first: " + Settings(first.Options, seed) +
                                                      "\n  again: " + Settings(again.Options, *again.Options.Seed));
    return 0;
}
