#include "app/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QScreen>

namespace {
TDialogs realDialogs;

class TPlacer : public QObject {
public:
    TPlacer(QWidget& dialog, TPlacement placement) : QObject(&dialog), dialog_(dialog), placement_(std::move(placement))
    {
        dialog_.installEventFilter(this);
        Place();
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (!framed_ && (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize)) {
            framed_ = !(dialog_.frameGeometry().size() - dialog_.geometry().size()).isNull();
            Place();
        }
        return false;
    }

private:
    void Place()
    {
        QScreen* screen = dialog_.screen() ? dialog_.screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        if (!dialog_.isVisible())
            dialog_.adjustSize();
        const QSize frame = dialog_.frameGeometry().size() - dialog_.geometry().size();
        const QPoint place = placement_(dialog_.size() + frame, screen->geometry());
        if (dialog_.frameGeometry().topLeft() != place)
            dialog_.move(place);  // a top-level widget's position is its frame's
    }

    QWidget& dialog_;
    TPlacement placement_;
    bool framed_ = false;
};
TDialogs* current = &realDialogs;
}  // namespace

TDialogs& Dialogs() { return *current; }

void SetDialogs(TDialogs* dialogs) { current = dialogs ? dialogs : &realDialogs; }

void TDialogs::ErrorBox(QWidget* parent, const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

void TDialogs::WarningBox(QWidget* parent, const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::NoButton, parent);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    // Centred on the screen, not on the window.
    KeepPlaced(box, CentredOnScreen);
    box.exec();
}

void TDialogs::Beep() { QApplication::beep(); }

bool TDialogs::ExecPrintDialog(QPrintDialog& dialog) { return dialog.exec() == QDialog::Accepted; }

void PreparePrintDialog(QPrintDialog& dialog)
{
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    if (!buttons)
        return;
    for (QAbstractButton* button : buttons->buttons())
        if (buttons->buttonRole(button) == QDialogButtonBox::ResetRole)
            button->hide();
    if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
        ok->setText(QStringLiteral("OK"));
}

void KeepPlaced(QWidget& dialog, TPlacement placement) { new TPlacer(dialog, std::move(placement)); }

QPoint CentredOnScreen(QSize outer, QRect screen)
{
    return {screen.x() + (screen.width() - outer.width()) / 2, screen.y() + (screen.height() - outer.height()) / 2};
}

QPoint ThirdFromTop(QSize outer, QRect screen)
{
    return {screen.x() + (screen.width() - outer.width()) / 2, screen.y() + (screen.height() - outer.height()) / 3};
}
