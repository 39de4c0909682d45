#include "output/dialog_place.h"

#include <QEvent>
#include <QGuiApplication>
#include <QList>
#include <QScreen>
#include <QWidget>
#include <utility>

namespace {

class TPlacer : public QObject {
public:
    TPlacer(QWidget& dialog, TPlacement placement)
        : QObject(&dialog), dialog_(dialog), placement_(std::move(placement)) {
        dialog_.installEventFilter(this);
        Place();
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (done_) return false;
        switch (event->type()) {
            case QEvent::Show:
            case QEvent::Resize:
                Place();
                break;
            case QEvent::Move:
                if (Framed())
                    done_ = true, Place();  // the frame is known: its last place
                else if (dialog_.isVisible() && !placedAt_.contains(dialog_.frameGeometry().topLeft()))
                    done_ = true;  // moved by someone else, without a frame to count
                break;
            default:
                break;
        }
        return false;
    }

private:
    bool Framed() const { return !(dialog_.frameGeometry().size() - dialog_.geometry().size()).isNull(); }

    void Place() {
        QScreen* screen = dialog_.screen() ? dialog_.screen() : QGuiApplication::primaryScreen();
        if (!screen) return;
        if (!dialog_.isVisible()) dialog_.adjustSize();
        const QSize frame = dialog_.frameGeometry().size() - dialog_.geometry().size();
        const QPoint place = placement_(dialog_.size() + frame, screen->geometry());
        // Move events of our own may arrive after a later place: remember every one.
        if (!placedAt_.contains(place)) placedAt_.append(place);
        if (dialog_.frameGeometry().topLeft() != place)
            dialog_.move(place);  // a top-level widget's position is its frame's
    }

    QWidget& dialog_;
    TPlacement placement_;
    QList<QPoint> placedAt_;
    bool done_ = false;
};

}  // namespace

void KeepPlaced(QWidget& dialog, TPlacement placement) { new TPlacer(dialog, std::move(placement)); }

QPoint CentredOnScreen(QSize outer, QRect screen) {
    return {screen.x() + (screen.width() - outer.width()) / 2, screen.y() + (screen.height() - outer.height()) / 2};
}

QPoint ThirdFromTop(QSize outer, QRect screen) {
    return {screen.x() + (screen.width() - outer.width()) / 2, screen.y() + (screen.height() - outer.height()) / 3};
}
