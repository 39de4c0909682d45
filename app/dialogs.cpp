#include "app/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>

#include "output/dialog_place.h"

namespace {
TDialogs realDialogs;

TDialogs* current = &realDialogs;
}  // namespace

TDialogs& Dialogs() { return *current; }

void SetDialogs(TDialogs* dialogs) { current = dialogs ? dialogs : &realDialogs; }

void TDialogs::ErrorBox(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

void TDialogs::WarningBox(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::NoButton, parent);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    // Centred on the screen, not on the window.
    KeepPlaced(box, CentredOnScreen);
    box.exec();
}

void TDialogs::Beep() { QApplication::beep(); }

bool TDialogs::ExecPrintDialog(QPrintDialog& dialog) { return dialog.exec() == QDialog::Accepted; }

void PreparePrintDialog(QPrintDialog& dialog) {
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    if (!buttons) return;
    for (QAbstractButton* button : buttons->buttons())
        if (buttons->buttonRole(button) == QDialogButtonBox::ResetRole) button->hide();
    if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) ok->setText(QStringLiteral("OK"));
}
