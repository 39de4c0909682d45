// tavrelo-sheets given hostile command lines, built by the sanitizers' build: a few hundred
// lines drawn with a fixed seed from a table of values a user, a script or a fuzzer might
// pass. Every run ends with one of the documented statuses (0 to 3), never by a signal or
// with a sanitizer's report, and a run that succeeds wrote exactly the pages it was asked for.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <random>
#include <vector>

#include "core/errors.h"
#include "core/numtext.h"
#include "core/sheet_run.h"

namespace {

const QString Command = QStringLiteral(SHEETS_EXE);

struct Option {
    QString name;
    QStringList values;
};

// Values near every limit the options have, and some that belong to no option at all.
const QStringList AnyValue = {
    "",
    " ",
    "-",
    "--",
    "0",
    "-0",
    "1",
    "-1",
    "2147483647",
    "2147483648",
    "-2147483649",
    "99999999999999999999",
    "1e400",
    "NaN",
    "inf",
    "$7FFFFFFF",
    "0x10",
    "１２",
    "あ",
    QString(600, '9'),
    QString(300, QChar(0x3042)),
    "\x1b[31m",
    "a\tb",
    "a\nb",
    "'",
    "\"",
    "\\",
    "%s%n",
    "[",
    "]",
    "[9-0]",
    "[0-9",
    ".",
    "..",
    "1:2:3",
    ":",
};

const std::vector<Option> OptionsToTry = {
    {"--multiplicand",
     {"[1-9].[1-9]", "[0-9][0-9].[0-9][0-9][0-9]", "0", "9", "[9-1]", "[1-9][1-9][1-9]", "1.2345", "[a-b]",
      "[1-9]..[1-9]", ".[1-9]", "0.", "[1-9].[1-9]x"}},
    {"--multiplier", {"[2-9]", "[1-9].[1-9]", "0.[0-9][1-9]", "[5-5]", "[10-1]", "9.999"}},
    {"--answer", {"1:100", "0:0", "100:1", "-5:5", "0.21:0.21", "1e3:1e-3", "1:", ":1", "a:b", "1,5:2", "1:2:3"}},
    {"--problems", {"12", "16", "0", "13", "+12", " 16", "$10"}},
    {"--sheets", {"1", "2", "3", "0", "1001", "$2", " 2", "+3", "2 "}},
    {"--number", {"1", "-2147483648", "2147483647", "0x7FFFFFFF"}},
    {"--sentence", {"つぎの計算をしましょう。", QString(400, QChar(0x5C0F)), "-x", "--sheets", ""}},
    {"--answers", {"after", "end", "none", "list", "AFTER", "both"}},
    {"--paper", {"A4", "b5", "B4", "A3", "letter", "A5", "legal"}},
    {"--preset", {"g4-hundredths-x-1digit", "g5-hundredths-x-tenths", "nope", ""}},
    {"--seed", {"0", "4294967295", "4294967296", "-1", "12"}},
    {"--bogus", {}},
};

struct Line {
    QStringList args;
    int sheets = 1;  // the last --sheets given, where it reads as a number
    int problems = 16;
    AnswerPlacement answers = AnswerPlacement::After;
};

Line Draw(std::mt19937& random) {
    Line line;
    const int count = std::uniform_int_distribution<int>(1, 6)(random);
    for (int i = 0; i < count; ++i) {
        const Option& option =
            OptionsToTry[std::uniform_int_distribution<std::size_t>(0, OptionsToTry.size() - 1)(random)];
        line.args << option.name;
        if (option.values.isEmpty()) continue;
        const bool hostile = std::uniform_int_distribution<int>(0, 3)(random) == 0;
        const QStringList& from = hostile ? AnyValue : option.values;
        const QString value = from[std::uniform_int_distribution<qsizetype>(0, from.size() - 1)(random)];
        line.args << value;
        if (option.name == "--sheets") {
            try {
                line.sheets = ParseInteger(value.toStdString());
            } catch (const Exception&) {
            }
        }
        if (option.name == "--problems") {
            try {
                line.problems = ParseInteger(value.toStdString());
            } catch (const Exception&) {
            }
        }
        if (option.name == "--answers") {
            const QStringList placements{"after", "end", "none", "list"};  // AnswerPlacement's order
            if (placements.contains(value)) line.answers = static_cast<AnswerPlacement>(placements.indexOf(value));
        }
    }
    return line;
}

}  // namespace

class TestHostileOptions : public QObject {
    Q_OBJECT

private slots:
    void everyRunEndsAsDocumented() {
        std::mt19937 random(20261209);
        QTemporaryDir dir;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        // Leaks are the rest of the suite's concern; here any report counts, so none is hidden.
        env.insert("ASAN_OPTIONS", "detect_leaks=1:abort_on_error=0:exitcode=99");
        env.insert("UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1:exitcode=98");
        int succeeded = 0;
        for (int n = 0; n < 250; ++n) {
            Line line = Draw(random);
            const QString target = dir.filePath(QStringLiteral("run%1.pdf").arg(n));
            line.args << "-q"
                      << "-o" << target;
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(Command, line.args);
            QVERIFY(p.waitForFinished(120000));
            const QString err = QString::fromUtf8(p.readAllStandardError());
            const QString what = line.args.join(QStringLiteral(" | ")).left(400) + "\n" + err.left(2000);
            QVERIFY2(p.exitStatus() == QProcess::NormalExit, qPrintable("signal: " + what));
            QVERIFY2(p.exitCode() >= 0 && p.exitCode() <= 3, qPrintable(QString::number(p.exitCode()) + ": " + what));
            QVERIFY2(!err.contains("Sanitizer") && !err.contains("runtime error"), qPrintable(what));
            if (p.exitCode() != 0) {
                QVERIFY2(!QFileInfo::exists(target), qPrintable("a failed run wrote " + what));
                continue;
            }
            ++succeeded;
            QProcess info;
            info.start("pdfinfo", {target});
            QVERIFY(info.waitForFinished(60000));
            const QString pages =
                QString::fromUtf8(info.readAllStandardOutput()).section("Pages:", 1).section('\n', 0, 0);
            QCOMPARE(pages.trimmed().toInt(), PageCount(line.answers, line.sheets, line.problems));
            QFile::remove(target);
        }
        // The table is meant to reach the runs that succeed as well as those that fail.
        QVERIFY2(succeeded >= 10, qPrintable(QString::number(succeeded)));
    }
};

QTEST_GUILESS_MAIN(TestHostileOptions)
#include "tst_hostile.moc"
