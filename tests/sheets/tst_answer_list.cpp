// tavrelo-sheets' list of answers read back from its PDF with poppler's pdftotext: the same
// products as the worked answer sheets of the same run, every sheet once and in order, and every
// word on the paper inside its border, apart from every other.
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cmath>

namespace {

const QString Command = QStringLiteral(SHEETS_EXE);

int Run(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(QLatin1String(name));
    p.setProcessEnvironment(env);
    p.start(Command, args);
    if (!p.waitForFinished(180000)) p.kill();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QString Tool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A run's sheets, each its products in order (1), (2), ...
using Products = QVector<QStringList>;

// The worked answer sheets of a run with zeros left out, where the product is written as its
// plain value. pdftotext -raw keeps the order of drawing: per figure the multiplicand, "× " and
// the multiplier, the partial products, then the product; a number's point is a text of its
// own, ending the line of the digits before it. Keyed by the sheet number in the header.
QMap<int, QStringList> AnswerSheetProducts(const QString& pdf) {
    static const QRegularExpression number("問題No\\.(-?\\d+)"), value("^\\d+(\\.\\d+)?$");
    QMap<int, QStringList> sheets;
    for (const QString& page : Tool("pdftotext", {"-raw", "-enc", "UTF-8", pdf, "-"}).split('\f')) {
        if (!page.contains(QStringLiteral("こたえ"))) continue;
        QStringList lines;
        bool joined = false;
        for (const QString& line : page.split('\n')) {
            if (joined)
                lines.last() += line;
            else
                lines << line;
            joined = line.endsWith(u'.');
        }
        // A figure's product is the last number before the next figure's multiplicand.
        QVector<qsizetype> multiplicands;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            if (lines[i].startsWith(u'×')) multiplicands << i - 1;
        }
        QStringList& products = sheets[number.match(page).captured(1).toInt()];
        for (qsizetype f = 0; f < multiplicands.size(); ++f) {
            qsizetype last = f + 1 < multiplicands.size() ? multiplicands[f + 1] - 1 : lines.size() - 1;
            while (last > multiplicands[f] && !value.match(lines[last]).hasMatch()) --last;
            products << lines[last];
        }
    }
    return sheets;
}

// One word of pdftotext -bbox, in points from the page's top left.
struct Word {
    double left, top, right, bottom;
    QString text;
};

struct ListPage {
    double width = 0, height = 0;
    QVector<Word> words;
};

QVector<ListPage> ListPages(const QString& pdf) {
    static const QRegularExpression pageSize("width=\"([\\d.]+)\" height=\"([\\d.]+)\""),
        word("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>");
    QVector<ListPage> pages;
    for (const QString& text : Tool("pdftotext", {"-bbox", pdf, "-"}).split(QStringLiteral("<page ")).mid(1)) {
        if (!text.contains(QStringLiteral("こたえ一覧"))) continue;
        ListPage page;
        const auto size = pageSize.match(text);
        page.width = size.captured(1).toDouble();
        page.height = size.captured(2).toDouble();
        for (auto it = word.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            page.words.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                                  m.captured(4).toDouble(), m.captured(5)});
        }
        pages << page;
    }
    return pages;
}

// The list's rows: the words below the problem numbers' line(s) by line, top down; a line that
// starts left of the sheet numbers' column edge starts a sheet, and its number is the key.
QVector<QPair<int, QStringList>> ListedSheets(const QVector<ListPage>& pages) {
    QVector<QPair<int, QStringList>> sheets;
    for (const ListPage& page : pages) {
        double numbersRight = 0, labelsBottom = 0;
        for (const Word& w : page.words) {
            if (w.text == u"問題No.") numbersRight = w.right;
            if (w.text.startsWith(u'(')) labelsBottom = std::max(labelsBottom, w.bottom);
        }
        QVector<Word> cells;
        for (const Word& w : page.words) {
            if (w.top > labelsBottom) cells << w;
        }
        // By line, then left to right: a sheet's number and its products are of different
        // heights, centred on their line.
        const auto middle = [](const Word& w) { return (w.top + w.bottom) / 2; };
        std::sort(cells.begin(), cells.end(), [&](const Word& a, const Word& b) {
            return std::abs(middle(a) - middle(b)) > 1 ? middle(a) < middle(b) : a.left < b.left;
        });
        for (const Word& w : cells) {
            if (w.right <= numbersRight + 0.5)
                sheets.append(qMakePair(w.text.toInt(), QStringList()));
            else if (!sheets.isEmpty())
                sheets.last().second << w.text;
        }
    }
    return sheets;
}

bool Overlap(const Word& a, const Word& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

class TestAnswerList : public QObject {
    Q_OBJECT

private slots:
    void theListHasTheAnswerSheetsProducts_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("sheets");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("problems");
        QTest::addColumn<int>("listPages");
        QTest::newRow("one sheet") << QStringList{"--seed", "3"} << 1 << 1 << 16 << 1;
        QTest::newRow("40 sheets of 12 on B5, from 21")
            << QStringList{"--seed", "40", "--problems", "12", "--paper", "B5", "--number", "21"} << 40 << 21 << 12
            << 3;
        QTest::newRow("100 sheets of long products")
            << QStringList{"--seed",          "100", "--multiplicand", "[1-9][0-9].[0-9][1-9]", "--multiplier",
                           "[1-9].[0-9][1-9]"}
            << 100 << 1 << 16 << 6;
        // Two to a row: every problem of the sheet listed, on one line.
        QTest::newRow("37 sheets of 6") << QStringList{"--seed", "6", "--problems", "6"} << 37 << 1 << 6 << 2;
        QTest::newRow("3 sheets of 10") << QStringList{"--seed", "10", "--problems", "10"} << 3 << 1 << 10 << 1;
        QTest::newRow("19 sheets of 20") << QStringList{"--seed", "20", "--problems", "20"} << 19 << 1 << 20 << 2;
    }

    void theListHasTheAnswerSheetsProducts() {
        QFETCH(QStringList, args);
        QFETCH(int, sheets);
        QFETCH(int, first);
        QFETCH(int, problems);
        QFETCH(int, listPages);
        QTemporaryDir dir;
        const QString list = dir.filePath("list.pdf"), end = dir.filePath("end.pdf");
        const QStringList run = args + QStringList{"--sheets", QString::number(sheets), "--zeros", "omitted"};
        QCOMPARE(Run(run + QStringList{"--answers", "list", "-o", list}), 0);
        QCOMPARE(Run(run + QStringList{"--answers", "end", "-o", end}), 0);

        const QRegularExpression pages("Pages:\\s*(\\d+)");
        QCOMPARE(pages.match(Tool("pdfinfo", {list})).captured(1).toInt(), sheets + listPages);
        const QVector<ListPage> listed = ListPages(list);
        QCOMPARE(listed.size(), listPages);
        const QMap<int, QStringList> worked = AnswerSheetProducts(end);
        QCOMPARE(worked.size(), sheets);

        const QVector<QPair<int, QStringList>> rows = ListedSheets(listed);
        QCOMPARE(rows.size(), sheets);
        for (int i = 0; i < sheets; ++i) {
            QCOMPARE(rows[i].first, first + i);
            QCOMPARE(rows[i].second.size(), problems);
            QCOMPARE(rows[i].second, worked.value(first + i));
        }
    }

    // Every word of the list inside the paper's 5 mm border, and no word over another.
    void theListStaysInsideTheBorder_data() {
        QTest::addColumn<QString>("paper");
        QTest::addColumn<QString>("problems");
        for (const char* paper : {"A4", "B5", "B4", "A3", "Letter"}) {
            for (const char* problems : {"6", "10", "12", "16", "20"})
                QTest::addRow("%s, %s problems", paper, problems) << QString(paper) << QString(problems);
        }
    }

    void theListStaysInsideTheBorder() {
        QFETCH(QString, paper);
        QFETCH(QString, problems);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("p.pdf");
        // The widest products there are, and sheet numbers as long as they come.
        QCOMPARE(Run({"--paper",
                      paper,
                      "--problems",
                      problems,
                      "--sheets",
                      "40",
                      "--seed",
                      "8",
                      "--multiplicand",
                      "[1-9][0-9].[0-9][0-9][1-9]",
                      "--multiplier",
                      "[1-9].[0-9][0-9][1-9]",
                      "--answer",
                      "0:10000",
                      "--number",
                      "-2147483648",
                      "--answers",
                      "list",
                      "-o",
                      pdf}),
                 0);
        const double border = 5 * 72 / 25.4;
        const QVector<ListPage> pages = ListPages(pdf);
        QVERIFY(!pages.isEmpty());
        for (const ListPage& page : pages) {
            for (const Word& w : page.words) {
                QVERIFY2(w.left >= border - 0.5 && w.top >= border - 0.5 && w.right <= page.width - border + 0.5 &&
                             w.bottom <= page.height - border + 0.5,
                         qPrintable(w.text));
                for (const Word& other : page.words) {
                    if (&other != &w) QVERIFY2(!Overlap(w, other), qPrintable(w.text + " over " + other.text));
                }
            }
        }
        // The longest sheet numbers and products are listed whole.
        const QVector<QPair<int, QStringList>> rows = ListedSheets(pages);
        QCOMPARE(rows.size(), 40);
        QCOMPARE(rows.first().first, -2147483647 - 1);
        for (const auto& row : rows) QCOMPARE(row.second.size(), problems.toInt());
    }
};

QTEST_GUILESS_MAIN(TestAnswerList)
#include "tst_answer_list.moc"
