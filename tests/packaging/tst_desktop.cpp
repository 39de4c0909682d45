// How the program presents itself to the desktop: the name it gives itself, the icon it takes
// from the theme (or its compiled-in one without it), the version on the window's title label,
// and the window on a screen of twice the usual pixel density (QT_SCALE_FACTOR=2, its own case).
// CTest runs the icon cases each in its own process, since the icon is chosen at start: the theme
// search path (TAVRELO_TEST_ICON_PATH, folders separated by ":") holds the theme's index and,
// for the themed case only, the built icons.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QtTest>

#include "app/Fmain.h"
#include "app/application.h"
#include "tests/app/recording_dialogs.h"

namespace {

const QString AppId = QStringLiteral(TAVRELO_APP_ID);
const QList<int> IconSizes{16, 24, 32, 48, 64, 128, 256};

// The first folder of the search path that has the icon of this size, or an empty string.
QString ThemeIconFile(int size) {
    for (const QString& dir : QIcon::themeSearchPaths()) {
        const QString file = QStringLiteral("%1/hicolor/%2x%2/apps/%3.png").arg(dir).arg(size).arg(AppId);
        if (QFileInfo::exists(file)) return file;
    }
    return {};
}

// Pixmaps keep their colours premultiplied by alpha: compare in that form.
QImage Rgba(const QImage& image) { return image.convertToFormat(QImage::Format_ARGB32_Premultiplied); }

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT
private slots:
    void namesItselfByTheMenuEntry() {
        QCOMPARE(QGuiApplication::desktopFileName(), AppId);
        // The entry of that name is what the build installs.
        QVERIFY(QFileInfo::exists(QStringLiteral(TAVRELO_TEST_SHARE "/applications/") + AppId +
                                  QStringLiteral(".desktop")));
    }

    void iconFromTheTheme() {
        for (int size : IconSizes) QVERIFY2(!ThemeIconFile(size).isEmpty(), qPrintable(QString::number(size)));
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

    void themeIconsAreSheetsOfTheirSize() {
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
                    if (qAlpha(image.pixel(x, y)) == 255) colours.insert(image.pixel(x, y));
            QVERIFY2(colours.size() >= 5, qPrintable(QString::number(size)));
        }
    }

    void compiledInIconWithoutTheTheme() {
        QVERIFY(ThemeIconFile(32).isEmpty());
        const QIcon icon = QGuiApplication::windowIcon();
        QVERIFY(icon.name().isEmpty());
        QCOMPARE(icon.availableSizes(), QList<QSize>{QSize(32, 32)});
        QCOMPARE(Rgba(icon.pixmap(QSize(32, 32), 1.0).toImage()), Rgba(QImage(QStringLiteral(":/glyphs/tavrelo.xpm"))));
    }

    void titleLabelShowsThePackageVersion() {
        TForm1 form;
        QStringList titles;
        for (const QLabel* label : form.findChildren<QLabel*>())
            if (label->text().startsWith(QStringLiteral("Tavrelo For"))) titles << label->text();
        QCOMPARE(titles.size(), 1);
        QVERIFY2(titles.front().endsWith(QStringLiteral(" Ver" TAVRELO_VERSION)), qPrintable(titles.front()));
    }

    void previewDrawnAtScreenResolution() {
        RecordingDialogs dialogs;
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.devicePixelRatio(), 2.0);
        // The layout is in the window's own units, whatever the density.
        QCOMPARE(form.u1l->geometry(), QRect(360, 176, 17, 23));
        QCOMPARE(form.PaintBox1->geometry(), QRect(448, 32, 320, 441));

        for (QLineEdit* field : {form.u4h, form.u3h, form.d4h}) field->setText(QStringLiteral("9"));
        form.AnsHigh->setText(QStringLiteral("100"));
        QTest::mouseClick(form.btnPreview, Qt::LeftButton);
        QVERIFY(dialogs.Events.isEmpty());

        const QImage page = form.PaintBox1->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(page.size(), QSize(640, 882));
        // A page drawn small and enlarged is made of 2 x 2 blocks of one colour; drawn at the
        // screen's resolution, most of the ink has finer edges than that.
        int ink = 0, fine = 0;
        for (int y = 0; y + 1 < page.height(); y += 2)
            for (int x = 0; x + 1 < page.width(); x += 2) {
                const QRgb block[] = {page.pixel(x, y), page.pixel(x + 1, y), page.pixel(x, y + 1),
                                      page.pixel(x + 1, y + 1)};
                if (qGray(block[0]) > 200 && qGray(block[1]) > 200 && qGray(block[2]) > 200 && qGray(block[3]) > 200)
                    continue;
                ++ink;
                if (block[0] != block[1] || block[0] != block[2] || block[0] != block[3]) ++fine;
            }
        QVERIFY2(ink > 1000, qPrintable(QString::number(ink)));
        QVERIFY2(fine * 2 > ink, qPrintable(QStringLiteral("%1 of %2").arg(fine).arg(ink)));
    }
};

int main(int argc, char** argv) {
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
