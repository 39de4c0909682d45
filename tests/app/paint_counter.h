#pragma once
// Counts the paint events a widget receives: whether the window asked for a repaint, which a
// grab cannot tell (a grab paints afresh).
#include <QEvent>
#include <QWidget>

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) : widget_(widget) { widget_->installEventFilter(this); }
    ~PaintCounter() override { widget_->removeEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        Paints += event->type() == QEvent::Paint;
        return false;
    }
    int Paints = 0;

private:
    QWidget* widget_;
};
