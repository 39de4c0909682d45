// How the program presents itself to the desktop: the name it gives itself, the icon it takes
// from the theme (or its compiled-in one without it), and the version on the window's title label.
// CTest runs the icon cases each in its own process, since the icon is chosen at start: the theme
// search path (TAVRELO_TEST_ICON_PATH, folders separated by ":") holds the theme's index and,
// for the themed case only, the built icons.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QtTest>

#include "app/Fmain.h"
#include "app/application.h"

namespace {

const QString AppId = QStringLiteral(TAVRELO_APP_ID);
const QList<int> IconSizes{16, 24, 32, 48, 64, 128, 256};

// The first folder of the search path that has the icon of this size, or an empty string.
QString ThemeIconFile(int size)
{
    for (const QString& dir : QIcon::themeSearchPaths()) {
        const QString file = QStringLiteral("%1/hicolor/%2x%2/apps/%3.png").arg(dir).arg(size).arg(AppId);
        if (QFileInfo::exists(file))
            return file;
    }
    return {};
}

// Pixmaps keep their colours premultiplied by alpha: compare in that form.
QImage Rgba(const QImage& image) { return image.convertToFormat(QImage::Format_ARGB32_Premultiplied); }

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT
private slots:
    void namesItselfByTheMenuEntry()
    {
        QCOMPARE(QGuiApplication::desktopFileName(), AppId);
        // The entry of that name is what the build installs.
        QVERIFY(QFileInfo::exists(QStringLiteral(TAVRELO_TEST_SHARE "/applications/") + AppId +
                                  QStringLiteral(".desktop")));
    }

    void iconFromTheTheme()
    {
        for (int size : IconSizes)
            QVERIFY2(!ThemeIconFile(size).isEmpty(), qPrintable(QString::number(size)));
        const QIcon icon = QGuiApplication::windowIcon();
        QCOMPARE(icon.name(), AppId);
        const QList<QSize> available = icon.availableSizes();
        for (int size : IconSizes) {
            QVERIFY2(available.contains(QSize(size, size)), qPrintable(QString::number(size)));
            // Each size is its own drawing from the theme, not another size scaled.
            const QImage drawn = Rgba(icon.pixmap(QSize(size, size), 1.0).toImage());
            QCOMPARE(drawn.size(), QSize(size, size));
            QCOMPARE(drawn, Rgba(QImage(ThemeIconFile(size))));
        }
    }

    void themeIconsAreSheetsOfTheirSize()
    {
        for (int size : IconSizes) {
            const QImage image = Rgba(QImage(ThemeIconFile(size)));
            QCOMPARE(image.size(), QSize(size, size));
            // A portrait sheet: the left and right edge columns and the corners stay clear,
            // the middle is covered.
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(image.pixel(0, size - 1)), 0);
            QCOMPARE(qAlpha(image.pixel(size - 1, 0)), 0);
            QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
            // Not one colour: the figure's cells stand out from the paper.
            QSet<QRgb> colours;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    if (qAlpha(image.pixel(x, y)) == 255)
                        colours.insert(image.pixel(x, y));
            QVERIFY2(colours.size() >= 5, qPrintable(QString::number(size)));
        }
    }

    void compiledInIconWithoutTheTheme()
    {
        QVERIFY(ThemeIconFile(32).isEmpty());
        const QIcon icon = QGuiApplication::windowIcon();
        QVERIFY(icon.name().isEmpty());
        QCOMPARE(icon.availableSizes(), QList<QSize>{QSize(32, 32)});
        QCOMPARE(Rgba(icon.pixmap(QSize(32, 32), 1.0).toImage()),
                 Rgba(QImage(QStringLiteral(":/glyphs/tavrelo.xpm"))));
    }

    void titleLabelShowsThePackageVersion()
    {
        TForm1 form;
        QStringList titles;
        for (const QLabel* label : form.findChildren<QLabel*>())
            if (label->text().startsWith(QStringLiteral("Tavrelo For")))
                titles << label->text();
        QCOMPARE(titles.size(), 1);
        QVERIFY2(titles.front().endsWith(QStringLiteral(" Ver" TAVRELO_VERSION)), qPrintable(titles.front()));
    }
};

int main(int argc, char** argv)
{
    // Before the application exists: the icon is looked up while it is made. The theme is the
    // one every desktop theme falls back to; the offscreen platform names none of its own.
    QIcon::setThemeSearchPaths(qEnvironmentVariable("TAVRELO_TEST_ICON_PATH").split(QLatin1Char(':')));
    QIcon::setThemeName(QStringLiteral("hicolor"));
    TApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    DesktopTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desktop.moc"
