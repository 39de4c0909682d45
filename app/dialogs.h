#pragma once
// Every modal dialog and the beep go through here, so that tests can answer them without
// running a real modal loop. The program uses the real implementation; a test installs its
// own with SetDialogs and restores the real one afterwards.
#include <QString>

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
// nullptr restores the real dialogs.
void SetDialogs(TDialogs* dialogs);

// The print settings dialog as the window shows it: it only chooses a printer and its settings
// (printing is another button), so its accept button says OK and "Options >>" (copies, page
// range, page order) is hidden.
void PreparePrintDialog(QPrintDialog& dialog);
