#pragma once
// Answers every dialog at once and remembers what was asked, in order.
#include <QStringList>

#include "output/dialogs.h"

class RecordingDialogs : public TDialogs {
public:
    RecordingDialogs() { SetDialogs(this); }
    ~RecordingDialogs() override { SetDialogs(nullptr); }

    void ErrorBox(QWidget*, const QString& caption, const QString& text) override
    {
        Events << QStringLiteral("error|%1|%2").arg(caption, text);
    }
    void WarningBox(QWidget*, const QString& caption, const QString& text) override
    {
        Events << QStringLiteral("warning|%1|%2").arg(caption, text);
    }
    void Beep() override { Events << QStringLiteral("beep"); }
    bool ExecPrintDialog(QPrintDialog&) override
    {
        Events << QStringLiteral("print-dialog");
        return false;
    }

    QStringList Events;
};
