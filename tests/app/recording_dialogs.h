#pragma once
// Answers every dialog at once and remembers what was asked, in order.
#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QStringList>
#include <functional>

#include "app/dialogs.h"

class RecordingDialogs : public TDialogs {
public:
    RecordingDialogs() { SetDialogs(this); }
    ~RecordingDialogs() override { SetDialogs(nullptr); }

    void ErrorBox(QWidget*, const QString& caption, const QString& text) override {
        Events << QStringLiteral("error|%1|%2").arg(caption, text);
        if (WhileErrorShown) WhileErrorShown();
    }
    void WarningBox(QWidget*, const QString& caption, const QString& text) override {
        Events << QStringLiteral("warning|%1|%2").arg(caption, text);
    }
    void Beep() override { Events << QStringLiteral("beep"); }
    // Records the buttons the user would see: their texts, hidden ones left out.
    bool ExecPrintDialog(QPrintDialog& dialog) override {
        QStringList shown;
        if (const auto* buttons = dialog.findChild<QDialogButtonBox*>())
            for (const QAbstractButton* button : buttons->buttons())
                if (!button->isHidden()) shown << button->text();
        PrintDialogButtons = shown;
        Events << QStringLiteral("print-dialog");
        return false;
    }

    QStringList PrintDialogButtons;
    // Runs while an error box would be on the screen, to look at the program's state then.
    std::function<void()> WhileErrorShown;

    QStringList Events;
};
