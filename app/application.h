#pragma once
// The application object: fixes the title, Qt's Japanese texts and the font names before any
// window exists, and is the one place where an error raised by a handler is caught and shown.
#include <QApplication>
#include <QPainter>
#include <QString>
#include <exception>
#include <string>
#include <utility>

// "/usr/bin/tavrelo" and "C:\\TAVRELO.EXE" both give "Tavrelo": the part after the last
// separator, cut at its first ".", first letter upper-case, the rest lower-case.
QString ApplicationTitleFromPath(const QString& path);

// Messages that end in a letter, digit or Japanese character get a closing ".". The test is
// on the code of the last character (for a multi-byte character, of its first byte), so any
// non-ASCII ending counts as above "." (0x2E).
std::string AddFinalPeriod(std::string message);

// Shows an error raised by a handler in the error box: the message with the "." rule, the
// application title as caption.
void ShowError(const std::exception& error);

// Runs one event handler or slot. An error it raises ends the handler where it arose (what
// it already changed stays) and is shown at once; it never unwinds through Qt's signal
// emission or event dispatch, which do not expect exceptions and leak on the way.
template <class Handler>
void Guarded(Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        ShowError(error);
    }
}

// Guarded for a paint handler: the painter ends before the error box opens, since a modal box
// over an active painter leaves the widget's backing store painting for good.
template <class Handler>
void GuardedPaint(QPainter& painter, Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        painter.end();
        ShowError(error);
    }
}

// The glyphs and the icon are compiled into the program; registers them once.
void LoadGlyphResources();

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    // The caption of every error box; never changed after start.
    const QString& ApplicationTitle() const { return title_; }

    // The last safety net: every handler of the program is Guarded, so an error gets here
    // only from a handler that is not; it is shown in the same box and the loop goes on.
    bool notify(QObject* receiver, QEvent* event) override;

    // The error box itself.
    void ShowException(const std::exception& error);

    static TApplication* Instance();

private:
    QString title_;
};
