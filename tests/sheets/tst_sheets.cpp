// tavrelo-sheets from the outside: the built command is run as a teacher would run it, without a
// display, and its PDFs are read back with poppler's pdftotext and pdfinfo.
#include <sys/resource.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <functional>
#include <utility>

#include "core/digit_pattern.h"
#include "core/sheet_run.h"
#include "tests/common/shell_words.h"

namespace {

const QString Command = QStringLiteral(SHEETS_EXE);

struct Outcome {
    int status = -1;  // -1: ended by a signal
    QByteArray out;
    QString err;
};

QProcessEnvironment Headless() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(QLatin1String(name));
    return env;
}

Outcome Run(const QStringList& args, const QString& dir = QString(), const QProcessEnvironment& env = Headless()) {
    QProcess p;
    p.setProcessEnvironment(env);
    if (!dir.isEmpty()) p.setWorkingDirectory(dir);
    p.start(Command, args);
    if (!p.waitForFinished(180000)) p.kill();
    Outcome o;
    o.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    o.out = p.readAllStandardOutput();
    o.err = QString::fromUtf8(p.readAllStandardError());
    return o;
}

QString Tool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString PdfText(const QString& pdf) { return Tool("pdftotext", {"-enc", "UTF-8", pdf, "-"}); }

QString PdfInfo(const QString& pdf, const QString& field) {
    const QRegularExpression line("^" + QRegularExpression::escape(field) + ":\\s*(.*)$",
                                  QRegularExpression::MultilineOption);
    return line.match(Tool("pdfinfo", {"-enc", "UTF-8", pdf})).captured(1).trimmed();
}

int PdfPages(const QString& pdf) { return PdfInfo(pdf, "Pages").toInt(); }

struct Figure {
    QString multiplicand, multiplier;
    QStringList worked;  // partial products and the product, on an answer sheet, by value
    // The product as pdftotext reads it, struck zeros followed by a "/" each, a struck point
    // written "./" (whichever of the two pdftotext reads first).
    QString shownProduct;
};

// pdftotext reads the slashes in the order of their left edges, which puts the short one
// across a point anywhere among the others: the product's characters, then a slash for each
// struck zero, with "./" for a point whose slash is one more than the zeros after it.
QString Canonical(const QString& read) {
    QString digits = read;
    const auto slashes = digits.count(u'/');
    digits.remove(u'/');
    const qsizetype point = digits.indexOf(u'.');
    const qsizetype fraction = point < 0 ? 0 : digits.size() - point - 1;
    if (point >= 0 && slashes == fraction + 1 && digits.endsWith(QString(fraction, u'0')))
        return digits.insert(point + 1, u'/') + QString(slashes - 1, u'/');
    return digits + QString(slashes, u'/');
}

// A product read with its struck zeros ("377.0/" for 377.0 with the 0 struck, "0.30/", "15./0/"
// for 15.0 with the point and the 0 struck) as the value it stands for: the struck zeros are
// dropped, and the point with them where it is struck.
QString StruckValue(const QString& shown) {
    qsizetype struck = 0;
    while (struck < shown.size() && shown[shown.size() - 1 - struck] == u'/') ++struck;
    QString digits = shown.left(shown.size() - struck);
    const bool pointStruck = digits.contains(QStringLiteral("./"));
    digits.replace(QStringLiteral("./"), QStringLiteral("."));
    if (struck == 0) return pointStruck ? shown : digits;       // a struck point before no struck zero stays visible
    if (!digits.endsWith(QString(struck, u'0'))) return shown;  // a slash across anything else stays visible
    digits.chop(struck);
    if (digits.endsWith(u'.') != pointStruck) return shown;  // the point struck alone, or left before nothing
    if (pointStruck) digits.chop(1);
    return digits;
}

struct Page {
    int number = INT_MIN;
    QStringList lines;
    QVector<Figure> figures;
    bool answers() const {
        for (const Figure& f : figures) {
            if (!f.worked.isEmpty()) return true;
        }
        return false;
    }
};

// pdftotext gives the page in drawing order: the header, then per figure the multiplicand,
// "×", the multiplier and, on an answer sheet, the worked lines down to the product.
QVector<Page> ReadPages(const QString& pdf) {
    static const QRegularExpression number("問題No\\.(-?\\d+)(\\s|$)"), operand("^\\d+(\\.\\d+)?$"),
        multiplier("^× ?(\\d+(\\.\\d+)?)$"), worked("^\\d+[./\\d]*$");
    QVector<Page> pages;
    QStringList texts = PdfText(pdf).split('\f');
    if (!texts.isEmpty() && texts.last().trimmed().isEmpty()) texts.removeLast();
    for (const QString& text : texts) {
        Page page;
        page.lines = text.split('\n');
        const QStringList& l = page.lines;
        for (qsizetype i = 0; i < l.size(); ++i) {
            const auto n = number.match(l[i]);
            if (n.hasMatch()) page.number = n.captured(1).toInt();
            if (i + 1 >= l.size() || !operand.match(l[i]).hasMatch()) continue;
            // Where the gap after "×" is wide, pdftotext puts the multiplier on a line of its own.
            Figure f{l[i], {}, {}, {}};
            qsizetype j = i + 2;
            const auto m = multiplier.match(l[i + 1]);
            if (m.hasMatch()) {
                f.multiplier = m.captured(1);
            } else if (l[i + 1] == u"×" && i + 2 < l.size() && operand.match(l[i + 2]).hasMatch()) {
                f.multiplier = l[i + 2];
                j = i + 3;
            } else {
                continue;
            }
            while (j < l.size() && worked.match(l[j]).hasMatch()) {
                f.shownProduct = Canonical(l[j]);
                f.worked << StruckValue(f.shownProduct);
                ++j;
            }
            // Slashes over more than one zero may come on a line of their own.
            if (!f.worked.isEmpty() && j < l.size() && !l[j].isEmpty() && l[j].count(u'/') == l[j].size()) {
                f.shownProduct = Canonical(f.shownProduct + l[j++]);
                f.worked.last() = StruckValue(f.shownProduct);
            }
            page.figures << f;
            i = j - 1;
        }
        pages << page;
    }
    return pages;
}

// An exact decimal text as an integer count of 10^-places.
qint64 Scaled(const QString& text, int places) {
    const QStringList parts = text.split('.');
    QString fraction = parts.size() > 1 ? parts[1] : QString();
    fraction = fraction.leftJustified(places, '0');
    return (parts[0] + fraction).toLongLong();
}

QString MillionthsText(qint64 millionths) {
    QString fraction = QString::number(millionths % 1000000).rightJustified(6, '0');
    while (fraction.endsWith('0')) fraction.chop(1);
    const QString whole = QString::number(millionths / 1000000);
    return fraction.isEmpty() ? whole : whole + '.' + fraction;
}

QString Order(const QVector<Page>& pages) {
    QStringList order;
    for (const Page& p : pages) order << QString::number(p.number) + (p.answers() ? "A" : "P");
    return order.join(' ');
}

// One word of pdftotext -bbox, in points from the page's top left.
struct Word {
    double left, top, right, bottom;
    QString text;
};

bool Overlap(const Word& a, const Word& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The words of each page, as pdftotext -bbox gives them.
QVector<QVector<Word>> PageWords(const QString& pdf) {
    static const QRegularExpression word(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>");
    QVector<QVector<Word>> pages;
    for (const QString& page : Tool("pdftotext", {"-bbox", pdf, "-"}).split(QStringLiteral("<page ")).mid(1)) {
        QVector<Word> words;
        for (auto it = word.globalMatch(page); it.hasNext();) {
            const auto m = it.next();
            words.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                             m.captured(4).toDouble(), m.captured(5)});
        }
        pages.push_back(words);
    }
    return pages;
}

QStringList EntriesOf(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

}  // namespace

class TestSheets : public QObject {
    Q_OBJECT

private slots:
    void pagesFollowTheAnswersOption_data();
    void pagesFollowTheAnswersOption();
    void problemsStayInsidePatternAndRange_data();
    void problemsStayInsidePatternAndRange();
    void theSeedMakesTheSameSheetsAgain();
    void aSetDateMakesTheSameBytesAgain();
    void aMalformedDateIsRefused_data();
    void aMalformedDateIsRefused();
    void answersAreWrittenAsPupilsWriteThem_data();
    void answersAreWrittenAsPupilsWriteThem();
    void problemNumbersAndTheAnswerSheetsHeader();
    void dateScoreAndALongSentence();
    void textbookPagesKeepEveryWordApartAndOnThePaper_data();
    void textbookPagesKeepEveryWordApartAndOnThePaper();
    void failuresWriteNothing_data();
    void failuresWriteNothing();
    void anExistingFileSurvivesFailedAndInterruptedRuns();
    void standardOutputTakesTheWholePdf();
    void progressOnlyOnATerminal();
    void helpVersionAndPresets();
    void aQuietRunSaysTheSeedAlone();
    void pagesFitThePaperInsideTheBorder_data();
    void pagesFitThePaperInsideTheBorder();
    void theSameFileUnderEveryLocale_data();
    void theSameFileUnderEveryLocale();
    void memoryThatRunsOut();
    void signalsIgnoredAtTheStartStayIgnored_data();
    void signalsIgnoredAtTheStartStayIgnored();
    void signalsThatEndARunLeaveNothing_data();
    void signalsThatEndARunLeaveNothing();
    void linksAreFollowedToTheFile_data();
    void linksAreFollowedToTheFile();
    void aLoopOfLinksIsRefused();
    void longestLegalFileName();
    void messagesQuoteValuesShortAndPlain_data();
    void messagesQuoteValuesShortAndPlain();
};

void TestSheets::pagesFollowTheAnswersOption_data() {
    QTest::addColumn<QString>("answers");
    QTest::addColumn<QString>("order");
    QTest::newRow("after") << "after"
                           << "7P 7A 8P 8A 9P 9A";
    QTest::newRow("end") << "end"
                         << "7P 8P 9P 7A 8A 9A";
    QTest::newRow("none") << "none"
                          << "7P 8P 9P";
}

void TestSheets::pagesFollowTheAnswersOption() {
    QFETCH(QString, answers);
    QFETCH(QString, order);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("s.pdf");
    const Outcome o =
        Run({"--sheets", "3", "--number", "7", "--problems", "12", "--seed", "11", "--answers", answers, "-o", pdf});
    QCOMPARE(o.status, 0);
    const QVector<Page> pages = ReadPages(pdf);
    QCOMPARE(PdfPages(pdf), static_cast<int>(pages.size()));
    QCOMPARE(Order(pages), order);
    for (const Page& a : pages) {
        QCOMPARE(a.figures.size(), 12);
        if (!a.answers()) continue;
        for (const Figure& f : a.figures) QVERIFY(!f.worked.isEmpty());
        // The answer sheet works out exactly the problems of the sheet with its number.
        for (const Page& p : pages) {
            if (p.answers() || p.number != a.number) continue;
            for (int i = 0; i < 12; ++i) {
                QCOMPARE(a.figures[i].multiplicand, p.figures[i].multiplicand);
                QCOMPARE(a.figures[i].multiplier, p.figures[i].multiplier);
            }
        }
    }
}

void TestSheets::problemsStayInsidePatternAndRange_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("multiplicand");  // what every operand must look like
    QTest::addColumn<QString>("multiplier");
    QTest::addColumn<QString>("low");
    QTest::addColumn<QString>("high");
    QTest::addColumn<int>("problems");
    QTest::newRow("defaults") << QStringList{} << "[1-9]\\.[1-9]"
                              << "[2-9]"
                              << "0"
                              << "1000" << 16;
    QTest::newRow("hundredths, narrow range")
        << QStringList{"--multiplicand", "[1-9].[0-9][1-9]", "--answer", "10:20"} << "[1-9]\\.[0-9][1-9]"
        << "[2-9]"
        << "10"
        << "20" << 16;
    QTest::newRow("range typed high to low") << QStringList{"--multiplicand", "[1-9][0-9]", "--multiplier", "0.[1-9]",
                                                            "--answer",       "50:5",       "--problems",   "12"}
                                             << "[1-9][0-9]"
                                             << "0\\.[1-9]"
                                             << "5"
                                             << "50" << 12;
    QTest::newRow("digit ranges typed high to low")
        << QStringList{"--multiplicand", "[9-7].[1-9]", "--multiplier", "[3-1]"} << "[7-9]\\.[1-9]"
        << "[1-3]"
        << "0"
        << "1000" << 16;
    QTest::newRow("preset") << QStringList{"--preset", "g5-tenths-x-below1"} << "[1-9]\\.[1-9]"
                            << "0\\.[1-9]"
                            << "0"
                            << "1000" << 16;
    QTest::newRow("option after preset overrides it")
        << QStringList{"--preset", "g5-tenths-x-tenths", "--multiplier", "7", "--answer", "20:60"} << "[1-9]\\.[1-9]"
        << "7"
        << "20"
        << "60" << 16;
    QTest::newRow("preset after option overrides it")
        << QStringList{"--multiplier", "7", "--preset", "g4-tenths-x-2digit"} << "[1-9]\\.[1-9]"
        << "[1-9][0-9]"
        << "0"
        << "1000" << 16;
    QTest::newRow("thousandths") << QStringList{"--multiplicand", "[1-2][0-9].[0-9][0-9][1-9]",
                                                "--multiplier",   "[1-9].[1-9]",
                                                "--answer",       "100:150"}
                                 << "[12][0-9]\\.[0-9][0-9][1-9]"
                                 << "[1-9]\\.[1-9]"
                                 << "100"
                                 << "150" << 16;
    // Rows of two and five rows of four read back problem by problem, as many as asked for.
    for (const int problems : {6, 8, 10, 20})
        QTest::addRow("%d problems", problems)
            << QStringList{"--problems", QString::number(problems)} << "[1-9]\\.[1-9]"
            << "[2-9]"
            << "0"
            << "1000" << problems;
}

void TestSheets::problemsStayInsidePatternAndRange() {
    QFETCH(QStringList, args);
    QFETCH(QString, multiplicand);
    QFETCH(QString, multiplier);
    QFETCH(QString, low);
    QFETCH(QString, high);
    QFETCH(int, problems);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("s.pdf");
    const Outcome o = Run(args + QStringList{"--sheets", "6", "--seed", "31", "-o", pdf});
    QVERIFY2(o.status == 0, qPrintable(o.err));
    const QRegularExpression u(QRegularExpression::anchoredPattern(multiplicand));
    const QRegularExpression d(QRegularExpression::anchoredPattern(multiplier));
    const qint64 lowest = Scaled(low, 6), highest = Scaled(high, 6);
    const QVector<Page> pages = ReadPages(pdf);
    QCOMPARE(pages.size(), 12);
    for (qsizetype k = 0; k < pages.size(); k += 2) {
        const Page& p = pages[k];
        const Page& a = pages[k + 1];
        QCOMPARE(p.number, static_cast<int>(k / 2 + 1));
        QCOMPARE(p.figures.size(), problems);
        QCOMPARE(a.figures.size(), problems);
        QSet<QString> distinct;
        for (int i = 0; i < problems; ++i) {
            const Figure& f = p.figures[i];
            QVERIFY2(u.match(f.multiplicand).hasMatch(), qPrintable(f.multiplicand));
            QVERIFY2(d.match(f.multiplier).hasMatch(), qPrintable(f.multiplier));
            const qint64 product = Scaled(f.multiplicand, 3) * Scaled(f.multiplier, 3);
            QVERIFY2(product >= lowest && product <= highest, qPrintable(f.multiplicand + " × " + f.multiplier));
            distinct.insert(f.multiplicand + "×" + f.multiplier);
            // The answer sheet ends each figure with the exact product.
            QVERIFY(!a.figures[i].worked.isEmpty());
            QCOMPARE(a.figures[i].worked.last(), MillionthsText(product));
        }
        QCOMPARE(distinct.size(), problems);
    }
}

void TestSheets::theSeedMakesTheSameSheetsAgain() {
    QTemporaryDir dir;
    const QStringList settings{"--preset",   "g5-hundredths-x-tenths", "--sheets", "3", "--number", "5",
                               "--sentence", "Ken's 計算 をしよう"};
    const Outcome first = Run(settings + QStringList{"--seed", "99", "-o", dir.filePath("a.pdf")});
    const Outcome again = Run(settings + QStringList{"--seed", "99", "-o", dir.filePath("b.pdf")});
    const Outcome other = Run(settings + QStringList{"--seed", "100", "-o", dir.filePath("c.pdf")});
    QCOMPARE(first.status, 0);
    QCOMPARE(first.err, QStringLiteral("seed: 99\n"));
    const QString text = PdfText(dir.filePath("a.pdf"));
    QVERIFY(text.contains("Ken's 計算 をしよう"));
    QCOMPARE(PdfText(dir.filePath("b.pdf")), text);
    QVERIFY(PdfText(dir.filePath("c.pdf")) != text);
    QCOMPARE(PdfInfo(dir.filePath("a.pdf"), "Title"), QStringLiteral("Tavreloかけ算小数編"));

    // Without --seed the clock chooses it, and the reported seed makes the same sheets.
    const Outcome clock = Run(settings + QStringList{"-o", dir.filePath("d.pdf")});
    const QRegularExpressionMatch seed = QRegularExpression("^seed: (\\d+)\n$").match(clock.err);
    QVERIFY2(seed.hasMatch(), qPrintable(clock.err));
    QCOMPARE(Run(settings + QStringList{"--seed", seed.captured(1), "-o", dir.filePath("e.pdf")}).status, 0);
    QCOMPARE(PdfText(dir.filePath("e.pdf")), PdfText(dir.filePath("d.pdf")));

    // The file itself says how it was made: its command line makes it again.
    const QString creator = PdfInfo(dir.filePath("a.pdf"), "Creator");
    const QString prefix = QStringLiteral("tavrelo-sheets " TAVRELO_VERSION ": ");
    QVERIFY2(creator.startsWith(prefix), qPrintable(creator));
    QStringList words = ShellWords(creator.mid(prefix.size()));
    QCOMPARE(words.value(0), QStringLiteral("tavrelo-sheets"));
    words.removeFirst();
    QCOMPARE(Run(words + QStringList{"-o", dir.filePath("f.pdf")}).status, 0);
    QCOMPARE(PdfText(dir.filePath("f.pdf")), text);
}

// SOURCE_DATE_EPOCH, as a package build sets it: two runs give the same file byte for byte,
// wherever they run, and the file's date is the one given.
void TestSheets::aSetDateMakesTheSameBytesAgain() {
    QTemporaryDir dir;
    const auto make = [&](const QString& epoch, const QString& zone, const QString& file) {
        QProcessEnvironment env = Headless();
        env.insert("SOURCE_DATE_EPOCH", epoch);
        env.insert("TZ", zone);
        return Run({"--preset", "g4-tenths-x-2digit", "--seed", "7", "--sheets", "3", "-o", dir.filePath(file)},
                   QString(), env)
            .status;
    };
    QCOMPARE(make("1700000000", "UTC", "a.pdf"), 0);
    QCOMPARE(make("1700000000", "Asia/Tokyo", "b.pdf"), 0);
    QCOMPARE(make("1800000000", "UTC", "c.pdf"), 0);
    QCOMPARE(QProcess::execute("cmp", {dir.filePath("a.pdf"), dir.filePath("b.pdf")}), 0);
    QCOMPARE(QProcess::execute("cmp", {"-s", dir.filePath("a.pdf"), dir.filePath("c.pdf")}), 1);
    const auto date = [&](const QString& file) {
        QProcess p;
        p.start("pdfinfo", {"-isodates", dir.filePath(file)});
        p.waitForFinished(60000);
        const QRegularExpression line("^CreationDate:\\s*(\\S+)", QRegularExpression::MultilineOption);
        return line.match(QString::fromUtf8(p.readAllStandardOutput())).captured(1);
    };
    QCOMPARE(date("a.pdf"), QStringLiteral("2023-11-14T22:13:20Z"));
    QCOMPARE(date("c.pdf"), QStringLiteral("2027-01-15T08:00:00Z"));
    // Every other date the writer stamps (Qt 6.8: the modification date and the XMP metadata's
    // three) is the given one too.
    const auto otherDates = [&](const QString& file) {
        QProcess p;
        p.start("pdfinfo", {"-isodates", "-meta", dir.filePath(file)});
        p.waitForFinished(60000);
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        QStringList found;
        const QRegularExpression info("^ModDate:\\s*(\\S+)", QRegularExpression::MultilineOption);
        if (const auto m = info.match(out); m.hasMatch()) found << m.captured(1);
        const QRegularExpression xmp("xmp:\\w*Date=[\"'](.*?)[\"']");
        for (auto it = xmp.globalMatch(out); it.hasNext();) found << it.next().captured(1);
        return found;
    };
    for (const QString& other : otherDates("b.pdf")) {
        QVERIFY2(other == "2023-11-14T22:13:20Z" || other == "2023-11-14T22:13:20+00:00", qPrintable(other));
    }
    QCOMPARE(PdfPages(dir.filePath("a.pdf")), 6);

    // Without it the clock gives the date, as before.
    QCOMPARE(Run({"--seed", "7", "-o", dir.filePath("d.pdf")}).status, 0);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime stamped = QDateTime::fromString(date("d.pdf"), Qt::ISODate);
    QVERIFY2(qAbs(stamped.secsTo(now)) < 600, qPrintable(date("d.pdf")));
}

void TestSheets::aMalformedDateIsRefused_data() {
    QTest::addColumn<QString>("epoch");
    QTest::newRow("negative") << "-1";
    QTest::newRow("not a number") << "yesterday";
    QTest::newRow("fraction") << "1700000000.5";
    QTest::newRow("past the year 9999") << "253402300800";
    QTest::newRow("blank around it") << " 1700000000";
}

void TestSheets::aMalformedDateIsRefused() {
    QFETCH(QString, epoch);
    QTemporaryDir dir;
    QProcessEnvironment env = Headless();
    env.insert("SOURCE_DATE_EPOCH", epoch);
    const Outcome o = Run({"--seed", "7", "-o", dir.filePath("a.pdf")}, QString(), env);
    QCOMPARE(o.status, 2);
    QVERIFY2(o.err.contains("SOURCE_DATE_EPOCH"), qPrintable(o.err));
    QVERIFY(!QFile::exists(dir.filePath("a.pdf")));
}

// The product as pupils are taught to write it: every digit the column multiplication gives,
// each zero after the point that has no value followed by its slash, and the point struck too
// ("./") where nothing but struck zeros follows it. Worked out here from the factors' digits
// alone.
QString TextbookProduct(const QString& a, const QString& b) {
    const int places = int(a.section('.', 1).size() + b.section('.', 1).size());
    const qint64 digits = QString(a).remove('.').toLongLong() * QString(b).remove('.').toLongLong();
    if (digits == 0) return QStringLiteral("0");
    QString text = QString::number(digits).rightJustified(places + 1, '0');
    int zeros = 0;
    while (zeros < places && text[text.size() - 1 - zeros] == u'0') ++zeros;
    if (places > 0) text.insert(text.size() - places, zeros == places ? QStringLiteral("./") : QStringLiteral("."));
    return text + QString(zeros, u'/');
}

void TestSheets::answersAreWrittenAsPupilsWriteThem_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("struck");
    // Products with zeros to strike: a factor ending in 5 times an even one, or a multiplier
    // ending in 0 (which has no row of its own either); the odd ones drop nothing.
    const QStringList tens{"--multiplicand", "[1-9].[1-9]", "--multiplier", "[1-9]0"};
    const QStringList fives{"--multiplicand", "[1-9].[1-9]5", "--multiplier", "[2-8]"};
    QTest::newRow("tens, default") << tens << true;
    QTest::newRow("tens, omitted") << tens + QStringList{"--zeros", "omitted"} << false;
    QTest::newRow("fives, struck") << QStringList{"--zeros", "omitted"} + fives + QStringList{"--zeros", "struck"}
                                   << true;
    QTest::newRow("fives, omitted") << fives + QStringList{"--zeros", "omitted"} << false;
    QTest::newRow("preset") << QStringList{"--preset", "g5-tenths-x-tenths"} << true;
}

void TestSheets::answersAreWrittenAsPupilsWriteThem() {
    QFETCH(QStringList, args);
    QFETCH(bool, struck);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("s.pdf");
    const Outcome o = Run(args + QStringList{"--sheets", "3", "--seed", "17", "-o", pdf});
    QVERIFY2(o.status == 0, qPrintable(o.err));
    int slashes = 0;
    for (const Page& page : ReadPages(pdf)) {
        for (const Figure& f : page.figures) {
            if (f.worked.isEmpty()) continue;
            const QString product = MillionthsText(Scaled(f.multiplicand, 3) * Scaled(f.multiplier, 3));
            QCOMPARE(f.worked.last(), product);
            QCOMPARE(f.shownProduct, struck ? TextbookProduct(f.multiplicand, f.multiplier) : product);
            slashes += int(f.shownProduct.count(u'/'));
            // A multiplier of one digit besides its zeros has no partial products, only the product.
            if (struck && QString(f.multiplier).remove('.').remove('0').size() == 1) QCOMPARE(f.worked.size(), 1);
        }
    }
    QCOMPARE(slashes > 0, struck);
    // The style is part of the command line the file keeps, and that line makes the same sheets.
    const QString creator = PdfInfo(pdf, "Creator");
    QVERIFY2(creator.contains(struck ? " --zeros struck" : " --zeros omitted"), qPrintable(creator));
    QStringList words = ShellWords(creator.section(": ", 1));
    words.removeFirst();
    QCOMPARE(Run(words + QStringList{"-o", dir.filePath("again.pdf")}).status, 0);
    QCOMPARE(PdfText(dir.filePath("again.pdf")), PdfText(pdf));
}

// Each problem carries its number, unless told not to; the answer sheet says it is one.
void TestSheets::problemNumbersAndTheAnswerSheetsHeader() {
    QTemporaryDir dir;
    for (const bool numbers : {true, false}) {
        const QString pdf = dir.filePath(numbers ? "on.pdf" : "off.pdf");
        QStringList args{"--problems", "12", "--seed", "4", "-o", pdf};
        if (!numbers)
            args << "--numbers"
                 << "off";
        QCOMPARE(Run(args).status, 0);
        const QVector<Page> pages = ReadPages(pdf);
        QCOMPARE(pages.size(), 2);
        for (const Page& page : pages) {
            QCOMPARE(page.figures.size(), 12);
            const QString text = page.lines.join('\n');
            QVERIFY(text.contains(QStringLiteral("名前")));
            QCOMPARE(text.contains(QStringLiteral("こたえ")), page.answers());
            for (int k = 1; k <= 16; ++k) {
                const QString label = QStringLiteral("(%1)").arg(k);
                QVERIFY2(page.lines.contains(label) == (numbers && k <= 12), qPrintable(label));
            }
        }
        QVERIFY(PdfInfo(pdf, "Creator").contains(numbers ? "--numbers on" : "--numbers off"));
    }
}

// The date and the score box on request; a sentence too long for one line is all on the page.
void TestSheets::dateScoreAndALongSentence() {
    QTemporaryDir dir;
    const QString sentence = QStringLiteral(
        "つぎの小数のかけ算を筆算でしましょう。答えの小数点をわすれずに、"
        "いらない0は斜線で消しましょう。ぜんぶたしかめましょう。");
    QCOMPARE(sentence.size(), 60);
    for (const QString& header : {QStringLiteral("name"), QStringLiteral("name-date-score")}) {
        const QString pdf = dir.filePath(header + ".pdf");
        QCOMPARE(Run({"--header", header, "--sentence", sentence, "--seed", "2", "-o", pdf}).status, 0);
        for (const Page& page : ReadPages(pdf)) {
            const QString text = page.lines.join('\n');
            QVERIFY(QString(text).remove('\n').contains(sentence));
            const bool dated = text.contains(u'月') && text.contains(u'日') && text.contains(u'点');
            QCOMPARE(dated, header == u"name-date-score");
            QCOMPARE(page.figures.size(), 16);
        }
        QVERIFY(PdfInfo(pdf, "Creator").contains("--header " + header));
    }
}

void TestSheets::textbookPagesKeepEveryWordApartAndOnThePaper_data() {
    QTest::addColumn<QString>("paper");
    QTest::addColumn<double>("widthMm");
    QTest::addColumn<double>("heightMm");
    QTest::addColumn<int>("problems");
    QTest::newRow("A4, 16") << "A4" << 210.0 << 297.0 << 16;
    QTest::newRow("A4, 12") << "A4" << 210.0 << 297.0 << 12;
    QTest::newRow("B5, 16") << "B5" << 182.0 << 257.0 << 16;
    QTest::newRow("B5, 12") << "B5" << 182.0 << 257.0 << 12;
    for (const int problems : {6, 8, 10, 20}) {
        QTest::addRow("A4, %d", problems) << "A4" << 210.0 << 297.0 << problems;
        QTest::addRow("B5, %d", problems) << "B5" << 182.0 << 257.0 << problems;
    }
    QTest::newRow("B4, 6") << "B4" << 257.0 << 364.0 << 6;
    QTest::newRow("A3, 10") << "A3" << 297.0 << 420.0 << 10;
    QTest::newRow("Letter, 8") << "Letter" << 215.9 << 279.4 << 8;
    QTest::newRow("Letter, 20") << "Letter" << 215.9 << 279.4 << 20;
}

// The textbook pages read back word by word: every word, problem number and slash on the
// printable area (the paper less 5 mm a side), each figure's words clear of every other
// figure's and of every problem number, and a 60-character sentence whole. A figure's words
// are those whose top left lies in its cell: right of and below its number, left of the next
// number on the row and above the next row's numbers.
void TestSheets::textbookPagesKeepEveryWordApartAndOnThePaper() {
    QFETCH(QString, paper);
    QFETCH(double, widthMm);
    QFETCH(double, heightMm);
    QFETCH(int, problems);
    const QString sentence = QStringLiteral(
        "つぎの小数のかけ算を筆算でしましょう。答えの小数点をわすれずに、"
        "いらない0は斜線で消しましょう。ぜんぶたしかめましょう。");
    QTemporaryDir dir;
    const QString pdf = dir.filePath("t.pdf");
    const Outcome o = Run({"--paper", paper, "--problems", QString::number(problems), "--multiplicand", "[1-9].[1-9]",
                           "--multiplier", "[1-9][0-9].[0-9][0-9][0-9]", "--header", "name-date-score", "--sentence",
                           sentence, "--sheets", "2", "--seed", "23", "-o", pdf});
    QVERIFY2(o.status == 0, qPrintable(o.err));
    const double ptPerMm = 72 / 25.4, border = 5 * ptPerMm, slack = 0.05;
    const double right = (widthMm - 5) * ptPerMm, bottom = (heightMm - 5) * ptPerMm;
    static const QRegularExpression numberText("^\\((\\d+)\\)$");
    const QVector<QVector<Word>> pages = PageWords(pdf);
    QCOMPARE(pages.size(), 4);
    int slashes = 0;
    for (const QVector<Word>& words : pages) {
        QString all;
        QVector<Word> numbers;
        for (const Word& w : words) {
            all += w.text;
            slashes += int(w.text.count(u'/'));
            QVERIFY2(
                w.left >= border - slack && w.right <= right + slack && w.top >= border - slack &&
                    w.bottom <= bottom + slack,
                qPrintable(
                    QStringLiteral("%1 at %2,%3-%4,%5").arg(w.text).arg(w.left).arg(w.top).arg(w.right).arg(w.bottom)));
            const auto n = numberText.match(w.text);
            if (n.hasMatch()) numbers.push_back(w);
        }
        QVERIFY(all.contains(sentence));
        QCOMPARE(numbers.size(), problems);
        std::sort(numbers.begin(), numbers.end(), [](const Word& a, const Word& b) {
            return numberText.match(a.text).captured(1).toInt() < numberText.match(b.text).captured(1).toInt();
        });
        for (int k = 0; k < problems; ++k) QCOMPARE(numbers[k].text, QStringLiteral("(%1)").arg(k + 1));
        QVector<QVector<Word>> figures(problems);
        for (const Word& w : words) {
            if (numberText.match(w.text).hasMatch() || w.top < numbers[0].top) continue;
            int cell = -1;
            for (int k = 0; k < problems; ++k) {
                if (numbers[k].left <= w.left && numbers[k].top <= w.top)
                    cell = cell < 0 || numbers[k].top >= numbers[cell].top ? k : cell;
            }
            QVERIFY2(cell >= 0, qPrintable(w.text + " is in no problem's cell"));
            figures[cell].push_back(w);
        }
        QVector<Word> boxes;
        for (int k = 0; k < problems; ++k) {
            QVERIFY2(figures[k].size() >= 2, qPrintable(numbers[k].text));
            Word box = figures[k].first();
            for (const Word& w : figures[k]) {
                box.left = qMin(box.left, w.left);
                box.top = qMin(box.top, w.top);
                box.right = qMax(box.right, w.right);
                box.bottom = qMax(box.bottom, w.bottom);
            }
            box.text = numbers[k].text;
            boxes.push_back(box);
        }
        for (int a = 0; a < problems; ++a) {
            for (int b = 0; b < problems; ++b) {
                if (a != b)
                    QVERIFY2(!Overlap(boxes[a], boxes[b]), qPrintable(boxes[a].text + " meets " + boxes[b].text));
                QVERIFY2(!Overlap(numbers[a], boxes[b]),
                         qPrintable(numbers[a].text + " touches figure " + boxes[b].text));
            }
        }
    }
    QVERIFY(slashes > 0);
}

void TestSheets::failuresWriteNothing_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const auto row = [](const char* name, QStringList args, int status, const QString& message) {
        QTest::newRow(name) << args << status << message;
    };
    row("bad answer bound", {"--answer", "1,5:3"}, 2, "--answer: '1,5' は浮動小数点数ではありません");
    row("bad upper bound", {"--answer", "1:abc"}, 2, "--answer: 'abc' は浮動小数点数ではありません");
    row("answer without colon", {"--answer", "5"}, 2, "--answer: '5' は答えの範囲として読めません");
    row("too many places", {"--multiplicand", "1.2345"}, 2, "--multiplicand: '1.2345' は位の指定として読めません");
    row("bad multiplier", {"--multiplier", "[2-x]"}, 2, "--multiplier: '[2-x]' は位の指定として読めません");
    row("problems not one of the six counts", {"--problems", "7"}, 2,
        "--problems: '7' は 6、8、10、12、16、20 のどれでもありません");
    row("problems not a number", {"--problems", "x"}, 2, "--problems: 'x' は整数ではありません");
    row("no sheets", {"--sheets", "0"}, 2, "--sheets: '0' は 1 から 1000 までの枚数ではありません");
    row("too many sheets", {"--sheets", "1001"}, 2, "--sheets: '1001' は 1 から 1000 までの枚数ではありません");
    row("number not an integer", {"--number", "1.5"}, 2, "--number: '1.5' は整数ではありません");
    row("numbers run out", {"--number", "2147483647", "--sheets", "2"}, 2, "--number: 2147483647 から 2 枚では");
    row("answers placement", {"--answers", "later"}, 2,
        "--answers: 'later' は after、end、none、list のどれでもありません");
    row("paper", {"--paper", "A5"}, 2, "--paper: 'A5' は A4、B5、B4、A3、Letter のどれでもありません");
    row("header", {"--header", "date"}, 2, "--header: 'date' は name、name-date-score のどちらでもありません");
    row("numbers", {"--numbers", "yes"}, 2, "--numbers: 'yes' は on、off のどちらでもありません");
    row("zeros", {"--zeros", "crossed"}, 2, "--zeros: 'crossed' は struck、omitted のどちらでもありません");
    row("negative seed", {"--seed", "-1"}, 2, "--seed: '-1' は 0 から 4294967295 までの整数ではありません");
    row("seed too large", {"--seed", "4294967296"}, 2, "--seed: '4294967296' は 0 から 4294967295");
    row("unknown preset", {"--preset", "g9"}, 2, "--preset: 'g9' という設定はありません");
    row("unknown option", {"--colour", "red"}, 2, "'--colour' というオプションはありません");
    row("missing value", {"--sheets"}, 2, "'--sheets' の後に値がありません");
    row("stray argument", {"extra.pdf"}, 2, "'extra.pdf' は余分な引数です");
    row("cannot fill the first sheet", {"--multiplicand", "0", "--multiplier", "0", "--number", "4"}, 3,
        "今の条件では、指定された問題数が確保できません。\n  1 枚目（問題No.4）: 16 問のうち 1 問しか見つかりません。");

    // A sheet further on: settings where some sheets fill and some do not, and a seed whose first
    // sheet fills.
    GenerationSettings tight;
    tight.RequestedCount = 16;
    SetDigitRanges(tight, ParseDigitPattern("[0-9].[0-9][0-9]"), ParseDigitPattern("1"));
    tight.AnswerLowText = "0";
    tight.AnswerHighText = "0.15";
    for (std::uint32_t seed = 1; seed < 200; ++seed) {
        const auto found = FindShortSheet(tight, seed, 8);
        if (!found || found->Sheet < 2) continue;
        row("cannot fill a later sheet",
            {"--multiplicand", "[0-9].[0-9][0-9]", "--multiplier", "1", "--answer", "0:0.15", "--sheets", "8",
             "--number", "10", "--seed", QString::number(seed)},
            3,
            QStringLiteral("今の条件では、指定された問題数が確保できません。\n  %1 枚目（問題No.%2）: 16 問のうち %3 "
                           "問しか見つかりません。")
                .arg(found->Sheet)
                .arg(9 + found->Sheet)
                .arg(found->Found));
        break;
    }

    // The system's reason in the user's language, as the C library words it for this locale.
    const auto reason = [](int error) { return QString::fromLocal8Bit(std::strerror(error)); };
    row("no such folder", {"-o", "missing/x.pdf"}, 1,
        "-o/--output: 'missing/x.pdf' に書き込めません: " + reason(ENOENT));
    row("a folder", {"-o", "."}, 1, "-o/--output: '.' に書き込めません: " + reason(EISDIR));
    row("device full", {"-o", "/dev/full"}, 1, "-o/--output: '/dev/full' に書き込めません: No space left on device");
}

void TestSheets::failuresWriteNothing() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const Outcome o = Run(QStringList{"-o", "out.pdf"} + args, dir.path());
    QCOMPARE(o.status, status);
    QVERIFY2(o.err.contains("tavrelo-sheets: " + message), qPrintable(o.err));
    QVERIFY(o.out.isEmpty());
    QCOMPARE(EntriesOf(dir.path()), QStringList());
}

void TestSheets::anExistingFileSurvivesFailedAndInterruptedRuns() {
    QTemporaryDir dir;
    const QString target = dir.filePath("week.pdf");
    const QByteArray earlier = "last week's sheets";
    QFile f(target);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(earlier);
    f.close();
    const auto unchanged = [&] {
        QFile g(target);
        return g.open(QIODevice::ReadOnly) && g.readAll() == earlier &&
               EntriesOf(dir.path()) == QStringList{"week.pdf"};
    };

    QCOMPARE(Run({"--sheets", "abc", "-o", target}).status, 2);
    QVERIFY(unchanged());
    QCOMPARE(Run({"--multiplicand", "0", "--multiplier", "0", "-o", target}).status, 3);
    QVERIFY(unchanged());

    // Interrupted while the pages are being drawn, as by Ctrl-C.
    QProcess p;
    p.setProcessEnvironment(Headless());
    p.start(Command, {"--sheets", "1000", "--seed", "3", "-q", "-o", target});
    QVERIFY(p.waitForStarted());
    bool writing = false;
    for (int i = 0; i < 2000 && !writing && p.state() == QProcess::Running; ++i) {
        writing = EntriesOf(dir.path()).size() > 1;
        if (!writing) QThread::msleep(5);
    }
    QVERIFY2(writing, "the run never started writing");
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitStatus(), QProcess::CrashExit);
    QVERIFY(unchanged());

    // A run that completes replaces it; through a link, the file the link names.
    QVERIFY(QFile::link("week.pdf", dir.filePath("link.pdf")));
    QCOMPARE(Run({"--seed", "3", "-o", dir.filePath("link.pdf")}).status, 0);
    QCOMPARE(PdfPages(target), 2);
    QVERIFY(QFileInfo(dir.filePath("link.pdf")).isSymLink());
    QCOMPARE(EntriesOf(dir.path()), (QStringList{"link.pdf", "week.pdf"}));
}

void TestSheets::standardOutputTakesTheWholePdf() {
    QTemporaryDir dir;
    const Outcome o = Run({"--sheets", "2", "--seed", "5", "-o", "-"}, dir.path());
    QCOMPARE(o.status, 0);
    QCOMPARE(o.err, QStringLiteral("seed: 5\n"));
    QVERIFY(o.out.startsWith("%PDF-"));
    QVERIFY(o.out.trimmed().endsWith("%%EOF"));
    QCOMPARE(EntriesOf(dir.path()), QStringList());
    const QString piped = dir.filePath("piped.pdf");
    QFile f(piped);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(o.out);
    f.close();
    QCOMPARE(PdfPages(piped), 4);
    QCOMPARE(Run({"--sheets", "2", "--seed", "5", "-o", dir.filePath("file.pdf")}).status, 0);
    QCOMPARE(PdfText(piped), PdfText(dir.filePath("file.pdf")));
}

void TestSheets::progressOnlyOnATerminal() {
    QTemporaryDir dir;
    const QStringList run{"--sheets", "3", "--seed", "1", "-o", dir.filePath("p.pdf")};
    // The bar from the first sheet on, so that a short run would show it where it may.
    QProcessEnvironment env = Headless();
    env.insert("TAVRELO_TEST_PROGRESS_DELAY_MS", "0");
    // To a pipe: the seed and nothing else.
    QCOMPARE(Run(run, QString(), env).err, QStringLiteral("seed: 1\n"));

    // On a terminal (script gives the command one): the bar, ending at all pages done.
    if (QStandardPaths::findExecutable("script").isEmpty()) QSKIP("script(1) is not installed");
    const auto onTerminal = [&](const QStringList& args) {
        QStringList quoted;
        for (const QString& a : QStringList{Command} + args) quoted << "'" + a + "'";
        QProcess p;
        p.setProcessEnvironment(env);
        p.start("script", {"-qec", quoted.join(' '), "/dev/null"});
        p.waitForFinished(180000);
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    const QString shown = onTerminal(run);
    QVERIFY2(shown.contains("6/6 枚"), qPrintable(shown));
    QVERIFY(shown.contains('\r'));
    const QString quiet = onTerminal(run + QStringList{"-q"});
    QVERIFY2(!quiet.contains("枚") && quiet.contains("seed: 1"), qPrintable(quiet));
}

void TestSheets::helpVersionAndPresets() {
    const Outcome help = Run({"--help"});
    QCOMPARE(help.status, 0);
    const QString h = QString::fromUtf8(help.out);
    for (const char* expected :
         {"使い方 (Usage):", "-o OUTPUT.pdf", "--multiplicand <PATTERN>", "かけられる数の各位に使う数字",
          "Digits allowed in each place of the", "--answers <after|end|none|list>", "--zeros <struck|omitted>",
          "--numbers <on|off>", "--header <name|name-date-score>", "-q, --quiet", "--list-presets",
          "終了コード (Exit status)"}) {
        QVERIFY2(h.contains(QString::fromUtf8(expected)), expected);
    }
    const Outcome version = Run({"--version"});
    QCOMPARE(version.status, 0);
    QCOMPARE(QString::fromUtf8(version.out), QStringLiteral("tavrelo-sheets " TAVRELO_VERSION "\n"));
    const QString presets = QString::fromUtf8(Run({"--list-presets"}).out);
    QVERIFY(presets.contains("g5-tenths-x-tenths\n    5年 小数×小数"));
    QVERIFY(presets.contains("--multiplicand \"[1-9].[0-9][1-9]\" --multiplier \"[2-9]\" --answer 0:1000"));
}

// -q leaves the seed as the only word on standard error, whichever way the switch is written and
// wherever it stands (Qt 6.8 adds a warning of its own when a switch is asked for values).
void TestSheets::aQuietRunSaysTheSeedAlone() {
    QTemporaryDir dir;
    for (const QStringList& args : {QStringList{"-q", "--seed", "3", "-o", dir.filePath("a.pdf")},
                                    QStringList{"--seed", "3", "-o", dir.filePath("b.pdf"), "--quiet"}}) {
        const Outcome o = Run(args);
        QCOMPARE(o.status, 0);
        QCOMPARE(o.err, QStringLiteral("seed: 3\n"));
    }
}

void TestSheets::pagesFitThePaperInsideTheBorder_data() {
    QTest::addColumn<QString>("paper");
    QTest::addColumn<double>("widthMm");
    QTest::addColumn<double>("heightMm");
    QTest::newRow("A4") << "A4" << 210.0 << 297.0;
    QTest::newRow("B5 (JIS)") << "b5" << 182.0 << 257.0;
    QTest::newRow("B4 (JIS)") << "B4" << 257.0 << 364.0;
    QTest::newRow("A3") << "A3" << 297.0 << 420.0;
    QTest::newRow("Letter") << "Letter" << 215.9 << 279.4;
}

// The page is drawn at 1200 dpi on the paper less 5 mm on every side: the title stands at
// Scaled(14) from the left edge of that area.
void TestSheets::pagesFitThePaperInsideTheBorder() {
    QFETCH(QString, paper);
    QFETCH(double, widthMm);
    QFETCH(double, heightMm);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("p.pdf");
    QCOMPARE(Run({"--paper", paper, "--seed", "1", "--answers", "none", "-o", pdf}).status, 0);
    const double ptPerMm = 72 / 25.4;
    const QRegularExpressionMatch size =
        QRegularExpression("^([\\d.]+) x ([\\d.]+) pts").match(PdfInfo(pdf, "Page size"));
    QVERIFY(size.hasMatch());
    QVERIFY(qAbs(size.captured(1).toDouble() - widthMm * ptPerMm) < 1);
    QVERIFY(qAbs(size.captured(2).toDouble() - heightMm * ptPerMm) < 1);

    const double widthPx = (widthMm - 10) / 25.4 * 1200, heightPx = (heightMm - 10) / 25.4 * 1200;
    const double scale = qMin(widthPx / 320, heightPx / 441);
    const double expectedX = 5 * ptPerMm + qRound(14 * scale) * 72.0 / 1200;
    const QString boxes = Tool("pdftotext", {"-bbox", "-f", "1", "-l", "1", pdf, "-"});
    const QRegularExpressionMatch title =
        QRegularExpression("<word xMin=\"([\\d.]+)\"[^>]*>小数のかけ算</word>").match(boxes);
    QVERIFY(title.hasMatch());
    QVERIFY2(qAbs(title.captured(1).toDouble() - expectedX) < 0.8,
             qPrintable(QStringLiteral("title at %1 pt, expected %2").arg(title.captured(1)).arg(expectedX)));
}

// A teacher's desktop in Japanese, and machines set up in a language that writes 2,5: the same
// sheets as under the C locale, every word in the same place (so in the same faces), the
// figures in the fixed-pitch Mincho face, and no font reported missing.
void TestSheets::theSameFileUnderEveryLocale_data() {
    QTest::addColumn<QStringList>("locale");
    QTest::newRow("Japanese desktop") << QStringList{"LANG=ja_JP.UTF-8"};
    QTest::newRow("comma locale") << QStringList{"LC_ALL=de_DE.UTF-8"};
    QTest::newRow("comma numbers in a Japanese desktop") << QStringList{"LANG=ja_JP.UTF-8", "LC_NUMERIC=de_DE.UTF-8"};
}

void TestSheets::theSameFileUnderEveryLocale() {
    QFETCH(QStringList, locale);
    QTemporaryDir dir;
    const auto make = [&](const QStringList& settings, const QString& file) {
        QProcessEnvironment env = Headless();
        for (const char* name : {"LANG", "LANGUAGE", "LC_ALL", "LC_NUMERIC", "LC_CTYPE", "LC_MESSAGES"})
            env.remove(QLatin1String(name));
        env.insert("LANG", "C.UTF-8");
        for (const QString& setting : settings) env.insert(setting.section('=', 0, 0), setting.section('=', 1));
        const Outcome o =
            Run({"--preset", "g5-hundredths-x-tenths", "--seed", "101", "--sheets", "2", "-o", file}, dir.path(), env);
        // The words and their boxes; the head holds the creation time.
        QStringList words = Tool("pdftotext", {"-bbox", dir.filePath(file), "-"}).split('\n');
        words.removeIf([](const QString& line) { return !line.contains(QLatin1String("<word ")); });
        return std::make_pair(o, words.join('\n'));
    };
    const auto [plain, plainWords] = make({}, "c.pdf");
    QCOMPARE(plain.status, 0);
    QVERIFY(plainWords.count("<word ") > 100);
    const auto [localized, localizedWords] = make(locale, "l.pdf");
    QCOMPARE(localized.status, 0);
    QVERIFY2(!localized.err.contains("tavrelo: font"), qPrintable(localized.err));
    QCOMPARE(localizedWords, plainWords);
    const QString fonts = Tool("pdffonts", {dir.filePath("l.pdf")});
    QVERIFY2(fonts.contains(QRegularExpression("^IPAMincho ", QRegularExpression::MultilineOption)), qPrintable(fonts));
}

// Memory that runs out in the middle of a run: a message and the status of an unwritten file,
// never the abort of an exception that nobody caught, and nothing left in the folder. The limit
// is raised step by step from where the program cannot even load its libraries to where the
// whole run fits, so that some steps run out while the pages are made.
void TestSheets::memoryThatRunsOut() {
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer reserves more address space than any limit that could run out here");
#else
    QTemporaryDir dir;
    const QString target = dir.filePath("big.pdf");
    int ranOut = 0;
    for (int megabytes = 48; megabytes <= 512; megabytes += 8) {
        QProcess p;
        p.setProcessEnvironment(Headless());
        p.setChildProcessModifier([megabytes] {
            const rlimit limit{rlim_t(megabytes) << 20, rlim_t(megabytes) << 20};
            setrlimit(RLIMIT_AS, &limit);
        });
        p.start(Command, {"--sheets", "1000", "--seed", "3", "-q", "-o", target});
        QVERIFY(p.waitForFinished(180000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        const QString at = QStringLiteral("%1 MiB: ").arg(megabytes) + err;
        if (p.exitStatus() == QProcess::CrashExit) {
            // fontconfig does not check its own allocations: where the limit falls inside it,
            // the run dies of a segmentation fault that no program over it can catch.
            QVERIFY2(p.exitCode() != SIGABRT, qPrintable(at));
            for (const QString& name : EntriesOf(dir.path())) QFile::remove(dir.filePath(name));
            continue;
        }
        if (p.exitCode() == 127 && err.contains("error while loading shared libraries")) continue;
        if (p.exitCode() == 0) {
            QCOMPARE(EntriesOf(dir.path()), QStringList{"big.pdf"});
            break;
        }
        QVERIFY2(p.exitCode() == 1 && err.contains(QStringLiteral("メモリが足りない")), qPrintable(at));
        QCOMPARE(EntriesOf(dir.path()), QStringList());
        ++ranOut;
    }
    QVERIFY2(ranOut > 0, "no limit ran out while the pages were made");
    QVERIFY(QFileInfo::exists(target));
#endif
}

namespace {

// A long run started in `dir` and watched until its temporary file appears.
struct LongRun {
    QProcess process;
    bool writing = false;

    // A run that is to be ended makes many sheets, so that it is still writing when the signal
    // comes; one that is to finish makes fewer, so that the sanitized build finishes it soon.
    LongRun(const QString& dir, const QString& target, int sheets, const std::function<void()>& beforeExec = {}) {
        process.setProcessEnvironment(Headless());
        if (beforeExec) process.setChildProcessModifier(beforeExec);
        process.start(Command, {"--sheets", QString::number(sheets), "--seed", "3", "-q", "-o", target});
        process.waitForStarted();
        for (int i = 0; i < 4000 && !writing && process.state() == QProcess::Running; ++i) {
            writing = EntriesOf(dir).size() > 0;
            if (!writing) QThread::msleep(5);
        }
    }
    void Signal(int signal) { ::kill(static_cast<pid_t>(process.processId()), signal); }
};

}  // namespace

// nohup ignores SIGHUP for the run it starts, a shell's background job SIGINT: such a signal
// was meant to pass the run by, and it does.
void TestSheets::signalsIgnoredAtTheStartStayIgnored_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGHUP under nohup") << int(SIGHUP);
    QTest::newRow("SIGINT in a background job") << int(SIGINT);
}

void TestSheets::signalsIgnoredAtTheStartStayIgnored() {
    QFETCH(int, signal);
    QTemporaryDir dir;
    const QString target = dir.filePath("batch.pdf");
    LongRun run(dir.path(), target, 120, [signal] { std::signal(signal, SIG_IGN); });
    QVERIFY2(run.writing, "the run never started writing");
    run.Signal(signal);
    QVERIFY(run.process.waitForFinished(180000));
    QCOMPARE(run.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.process.exitCode(), 0);
    QCOMPARE(EntriesOf(dir.path()), QStringList{"batch.pdf"});
    QCOMPARE(PdfPages(target), 240);
}

// A signal that ends a run, the default way: nothing is left in the folder.
void TestSheets::signalsThatEndARunLeaveNothing_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("SIGABRT") << int(SIGABRT);
}

void TestSheets::signalsThatEndARunLeaveNothing() {
    QFETCH(int, signal);
    QTemporaryDir dir;
    LongRun run(dir.path(), dir.filePath("batch.pdf"), 1000);
    QVERIFY2(run.writing, "the run never started writing");
    run.Signal(signal);
    QVERIFY(run.process.waitForFinished(60000));
    QCOMPARE(run.process.exitStatus(), QProcess::CrashExit);
    QCOMPARE(run.process.exitCode(), signal);
    QCOMPARE(EntriesOf(dir.path()), QStringList());
}

// -o through links replaces the file the system itself opens through them, and every link stays
// a link to where it pointed. Each link is read from its own folder, and "x/.." is where the
// system goes up from, which is not the folder holding x when x is a link to elsewhere.
void TestSheets::linksAreFollowedToTheFile_data() {
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("links");  // "name=what it points to", made in this order
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("written");  // the one file in the end, with the new PDF
    QTest::addColumn<bool>("existed");     // with older contents before the run
    QTest::newRow("a chain of two") << QStringList{} << QStringList{"b.pdf=real.pdf", "a.pdf=b.pdf"} << "a.pdf"
                                    << "real.pdf" << true;
    QTest::newRow("a chain to nothing yet") << QStringList{} << QStringList{"b.pdf=new.pdf", "a.pdf=b.pdf"} << "a.pdf"
                                            << "new.pdf" << false;
    QTest::newRow("each link from its own folder")
        << QStringList{"sub"} << QStringList{"a.pdf=sub/b.pdf", "sub/b.pdf=real.pdf"} << "a.pdf"
        << "sub/real.pdf" << true;
    QTest::newRow("up out of a linked folder")
        << QStringList{"2026/term1", "2026/shared"}
        << QStringList{"term=2026/term1", "2026/term1/sheet.pdf=../shared/sheet.pdf"} << "term/sheet.pdf"
        << "2026/shared/sheet.pdf" << true;
    QTest::newRow("a linked folder, then up")
        << QStringList{"2026/term1"} << QStringList{"term=2026/term1"} << "term/../out.pdf"
        << "2026/out.pdf" << false;
}

void TestSheets::linksAreFollowedToTheFile() {
    QFETCH(QStringList, folders);
    QFETCH(QStringList, links);
    QFETCH(QString, output);
    QFETCH(QString, written);
    QFETCH(bool, existed);
    QTemporaryDir dir;
    for (const QString& folder : folders) QVERIFY(QDir(dir.path()).mkpath(folder));
    for (const QString& link : links) QVERIFY(QFile::link(link.section('=', 1), dir.filePath(link.section('=', 0, 0))));
    if (existed) {
        QFile old(dir.filePath(written));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    const Outcome o = Run({"--seed", "3", "-q", "-o", output}, dir.path());
    QVERIFY2(o.status == 0, qPrintable(o.err));
    QCOMPARE(PdfPages(dir.filePath(written)), 2);
    for (const QString& link : links) {
        const QString name = dir.filePath(link.section('=', 0, 0));
        QVERIFY2(QFileInfo(name).isSymLink(), qPrintable(name));
    }
    QStringList files;  // everything but folders and links: no temporary, no file made beside
    QDirIterator all(dir.path(), QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                     QDirIterator::Subdirectories);
    while (all.hasNext()) files << QDir(dir.path()).relativeFilePath(all.next());
    QCOMPARE(files, QStringList{written});
}

// A loop of links is refused with the system's reason, and nothing is written.
void TestSheets::aLoopOfLinksIsRefused() {
    QTemporaryDir dir;
    QVERIFY(QFile::link("loop2.pdf", dir.filePath("loop1.pdf")));
    QVERIFY(QFile::link("loop1.pdf", dir.filePath("loop2.pdf")));
    const Outcome o = Run({"--seed", "3", "-o", "loop1.pdf"}, dir.path());
    QCOMPARE(o.status, 1);
    QVERIFY2(o.err.contains(QString::fromLocal8Bit(std::strerror(ELOOP))), qPrintable(o.err));
    QCOMPARE(EntriesOf(dir.path()), (QStringList{"loop1.pdf", "loop2.pdf"}));
}

// A file name of 255 bytes, the longest a folder takes, is written like any other.
void TestSheets::longestLegalFileName() {
    QTemporaryDir dir;
    const QString name = QString(251, 'x') + ".pdf";
    QCOMPARE(Run({"--seed", "3", "-o", name}, dir.path()).status, 0);
    QCOMPARE(EntriesOf(dir.path()), QStringList{name});
    QCOMPARE(PdfPages(dir.filePath(name)), 2);
}

// A value quoted in a message is cut short and its control characters are shown, not sent to
// the terminal.
void TestSheets::messagesQuoteValuesShortAndPlain_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("shown");  // what the message quotes, from its start
    QTest::newRow("120 KB pattern") << QStringList{"--multiplicand", QString(120000, '9')} << QString(60, '9');
    QTest::newRow("escape and newline") << QStringList{"--sheets", "3\x1b[2J\nrm"} << "3\\x1b[2J\\x0arm";
    QTest::newRow("long Japanese preset")
        << QStringList{"--preset", QString(300, QChar(0x3042))} << QString(79, QChar(0x3042));
    QTest::newRow("long extra argument") << QStringList{QString(5000, 'a') + '\t'} << QString(79, 'a');
    QTest::newRow("long output path") << QStringList{"-o", "missing/" + QString(300, 'p')} << "missing/pppp";
    QTest::newRow("120 KB of quotes") << QStringList{"--paper", QString("'a").repeated(60000)} << "'a'a'a'a";
    QTest::newRow("120 KB after one dash") << QStringList{"-" + QString(120000, 'z')} << "-z";
    QTest::newRow("short options before a missing value") << QStringList{"-" + QString(120000, 'q') + "o"} << "-qqqq";
    QTest::newRow("C1 escape") << QStringList{"--sheets", QChar(0x9B) + QStringLiteral("31m")} << "\\x9b31m";
    QTest::newRow("upper bound of tabs") << QStringList{"--answer", "1:" + QString(300, '\t')} << "\\x09\\x09";
}

void TestSheets::messagesQuoteValuesShortAndPlain() {
    QFETCH(QStringList, args);
    QFETCH(QString, shown);
    QTemporaryDir dir;
    const Outcome o = Run(args, dir.path());
    QVERIFY(o.status == 1 || o.status == 2);
    const QString message = o.err.section('\n', -2, -2);  // the last line before the final newline
    QVERIFY2(message.size() < 300, qPrintable(QString::number(message.size())));
    QVERIFY2(message.contains("'" + shown), qPrintable(message));
    for (const QChar c : message) {
        const char16_t u = c.unicode();
        QVERIFY2(u >= 0x20 && (u < 0x7F || u >= 0xA0), qPrintable(message));
    }
    QCOMPARE(o.err.count('\n'), o.err.startsWith("seed:") ? 2 : 1);
}

QTEST_GUILESS_MAIN(TestSheets)
#include "tst_sheets.moc"
