#pragma once
// The application object: fixes the title, Qt's Japanese texts and the font names before any
// window exists, and is the one place where an error raised by a handler is caught and shown.
#include <QApplication>
#include <QString>
#include <exception>
#include <string>

// "/usr/bin/tavrelo" and "C:\\TAVRELO.EXE" both give "Tavrelo": the part after the last
// separator, cut at its first ".", first letter upper-case, the rest lower-case.
QString ApplicationTitleFromPath(const QString& path);

// Messages that end in a letter, digit or Japanese character get a closing ".". The test is
// on the code of the last character (for a multi-byte character, of its first byte), so any
// non-ASCII ending counts as above "." (0x2E).
std::string AddFinalPeriod(std::string message);

// The glyphs and the icon are compiled into the program; registers them once.
void LoadGlyphResources();

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    // The caption of every error box; never changed after start.
    const QString& ApplicationTitle() const { return title_; }

    // Dispatches like QApplication, but an exception that leaves an event handler ends only
    // that handler: its message is shown and the event loop goes on.
    bool notify(QObject* receiver, QEvent* event) override;

    // The error box itself, for the few places that run a handler outside event dispatch
    // (the creation handler runs before the loop starts).
    void ShowException(const std::exception& error);

    static TApplication* Instance();

private:
    QString title_;
};
