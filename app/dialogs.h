#pragma once
// Every modal dialog and the beep go through here, so that tests can answer them without
// running a real modal loop. The program uses the real implementation; a test installs its
// own with SetDialogs and restores the real one afterwards.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>

class QWidget;
class QPrintDialog;

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // Modal box: caption, text, stop icon, one OK button.
    virtual void ErrorBox(QWidget* parent, const QString& caption, const QString& text);
    // Modal box: caption, text, exclamation icon, one "OK" button, centred on the screen.
    virtual void WarningBox(QWidget* parent, const QString& caption, const QString& text);
    // The asterisk sound.
    virtual void Beep();
    // Runs the printer setup dialog; true when the user accepted it.
    virtual bool ExecPrintDialog(QPrintDialog& dialog);
};

TDialogs& Dialogs();

// Where a dialog's outer top-left goes, given its outer size (frame included) and the screen.
using TPlacement = std::function<QPoint(QSize outer, QRect screen)>;
// Places a top-level dialog by its outer size. A window manager reports the frame only once
// the dialog is shown, so the place is redone then.
void KeepPlaced(QWidget& dialog, TPlacement placement);
QPoint CentredOnScreen(QSize outer, QRect screen);
// Horizontally centred, a third of the remaining height above.
QPoint ThirdFromTop(QSize outer, QRect screen);

// The print settings dialog as the window shows it: it only chooses a printer and its settings
// (printing is another button), so its accept button says OK and "Options >>" (copies, page
// range, page order) is hidden.
void PreparePrintDialog(QPrintDialog& dialog);
// nullptr restores the real dialogs.
void SetDialogs(TDialogs* dialogs);
