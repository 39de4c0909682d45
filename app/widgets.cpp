#include "app/widgets.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <algorithm>
#include <utility>

TPaintBox::TPaintBox(PaintHandler onPaint, QWidget* parent) : QWidget(parent), onPaint_(std::move(onPaint)) {}

void TPaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (onPaint_) onPaint_(painter);
}

void TPaintBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && onDoubleClick_)
        onDoubleClick_();
    else
        QWidget::mouseDoubleClickEvent(event);
}

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent), columns_(std::max(1, columns)) {
    for (const QString& text : items) {
        auto* button = new QRadioButton(text, this);
        items_.push_back(button);
        // Tab reaches only the selected item, as one stop of the window's tab order.
        connect(button, &QRadioButton::toggled, this,
                [button](bool on) { button->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus); });
        button->setFocusPolicy(Qt::ClickFocus);
    }
    if (!items_.empty()) SetItemIndex(0);
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    PlaceItems();
}

// Items fill the columns top to bottom; the columns share the space inside the frame and
// below the caption equally, and so do the rows.
void TRadioGroup::PlaceItems() {
    const int count = static_cast<int>(items_.size());
    if (count == 0) return;
    const int rows = (count + columns_ - 1) / columns_;
    const QRect inner = contentsRect();
    for (int i = 0; i < count; ++i) {
        const int column = i / rows, row = i % rows;
        const int left = inner.left() + inner.width() * column / columns_;
        const int right = inner.left() + inner.width() * (column + 1) / columns_;
        const int top = inner.top() + inner.height() * row / rows;
        const int bottom = inner.top() + inner.height() * (row + 1) / rows;
        items_[static_cast<std::size_t>(i)]->setGeometry(left, top, right - left, bottom - top);
    }
}

int TRadioGroup::ItemIndex() const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->isChecked()) return static_cast<int>(i);
    return -1;
}

void TRadioGroup::SetItemIndex(int index) { Item(index)->setChecked(true); }

TBevel::TBevel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void TBevel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int right = width() - 1, bottom = height() - 1;
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, 0, right, 0);
    painter.drawLine(0, 0, 0, bottom);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(1, bottom, right, bottom);
    painter.drawLine(right, 1, right, bottom);
}

TShape::TShape(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::black);
    const QRect box(0, 0, width() - 1, height() - 1);
    if (kind_ == Kind::Circle) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.drawEllipse(box);
    } else {
        painter.drawRect(box);
    }
}
