#include "app/application.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QProxyStyle>
#include <QTranslator>
#include <algorithm>

#include "app/dialogs.h"
#include "drawing/fonts.h"

#ifndef TAVRELO_APP_ID
#error "TAVRELO_APP_ID, the name the desktop knows the program by, comes from packaging/CMakeLists.txt"
#endif

QString ApplicationTitleFromPath(const QString& path) {
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    QString name = path.mid(slash + 1);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) name.truncate(dot);
    if (name.isEmpty()) return name;
    return name.left(1).toUpper() + name.mid(1).toLower();
}

std::string AddFinalPeriod(std::string message) {
    // In UTF-8 the last byte of a multi-byte character is >= 0x80, so comparing the last byte
    // gives the same answer as comparing the lead byte of a double-byte character.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > 0x2E) message += '.';
    return message;
}

void LoadGlyphResources() {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(tavrelo);
        return true;
    }();
    Q_UNUSED(loaded);
}

namespace {

// Tool-tips appear after half a second, as the window's hints are meant to.
class TStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return 500;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QTranslator* LoadQtJapanese(QObject* owner) {
    // Japanese whatever the system locale says: the standard dialogs must match the window.
    auto* translator = new QTranslator(owner);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    return translator;
}

}  // namespace

void ShowError(const std::exception& error) {
    if (TApplication* app = TApplication::Instance()) {
        app->ShowException(error);
        return;
    }
    // Without the program's application object (a tool or a test) there is no title to give.
    Dialogs().ErrorBox(QApplication::activeWindow(), QCoreApplication::applicationName(),
                       QString::fromStdString(AddFinalPeriod(error.what())));
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    LoadGlyphResources();
    // Not applicationDisplayName: Qt would append that to the window caption.
    title_ = ApplicationTitleFromPath(applicationFilePath().isEmpty() && argc > 0 ? QString::fromLocal8Bit(argv[0])
                                                                                  : applicationFilePath());
    InstallFontSubstitutions();
    LoadQtJapanese(this);
    setStyle(new TStyle);
    // The desktop finds the menu entry by this name, and through it the icon and the name that
    // the taskbar and a Wayland compositor show for the window.
    setDesktopFileName(QStringLiteral(TAVRELO_APP_ID));
    // The installed icon has every size a desktop asks for; run from the build tree, the program
    // has only the one compiled in.
    setWindowIcon(QIcon::fromTheme(QStringLiteral(TAVRELO_APP_ID), QIcon(QStringLiteral(":/glyphs/tavrelo.xpm"))));
}

TApplication::~TApplication() = default;

TApplication* TApplication::Instance() { return qobject_cast<TApplication*>(QCoreApplication::instance()); }

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(error);
        return true;
    }
}

void TApplication::ShowException(const std::exception& error) {
    const QString text = QString::fromStdString(AddFinalPeriod(error.what()));
    Dialogs().ErrorBox(activeWindow(), title_, text);
}
