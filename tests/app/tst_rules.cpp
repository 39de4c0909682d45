// The two small rules of the application object: the title from the executable's name and
// the closing "." of error messages.
#include <QTest>

#include "app/application.h"

class RulesTest : public QObject {
    Q_OBJECT
private slots:
    void title_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("unix") << "/usr/bin/tavrelo"
                              << "Tavrelo";
        QTest::newRow("windows upper") << "C:\\PROGRA~1\\WORKSHEET.EXE"
                                       << "Worksheet";
        QTest::newRow("mixed separators") << "C:\\a/b\\MyTool.v2.exe"
                                          << "Mytool";
        QTest::newRow("bare name") << "tavrelo"
                                   << "Tavrelo";
        QTest::newRow("dot first") << "/opt/.hidden"
                                   << "";
        QTest::newRow("trailing slash") << "/opt/"
                                        << "";
        QTest::newRow("digits stay") << "/x/3DTool"
                                     << "3dtool";
    }
    void title() {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(ApplicationTitleFromPath(path), title);
    }

    void period_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("letter") << "abc"
                                << "abc.";
        QTest::newRow("digit") << "x9"
                               << "x9.";
        QTest::newRow("slash 0x2F") << "a/"
                                    << "a/.";
        QTest::newRow("dot") << "done."
                             << "done.";
        QTest::newRow("minus 0x2D") << "a-"
                                    << "a-";
        QTest::newRow("blank") << "a "
                               << "a ";
        QTest::newRow("bang") << "a!"
                              << "a!";
        QTest::newRow("paren") << "(a)"
                               << "(a)";
        QTest::newRow("quote 0x27") << "'a'"
                                    << "'a'";
        QTest::newRow("japanese") << "'a' は整数ではありません"
                                  << "'a' は整数ではありません.";
        QTest::newRow("full-width stop") << "終わり。"
                                         << "終わり。.";
        QTest::newRow("control") << "a\n"
                                 << "a\n";
    }
    void period() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(QString::fromStdString(AddFinalPeriod(message.toStdString())), shown);
    }
};

QTEST_APPLESS_MAIN(RulesTest)
#include "tst_rules.moc"
