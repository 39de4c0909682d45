#pragma once
// The window's own kinds of control: the borderless paint area of the preview, the framed
// radio group, the lowered 3-D frames and the black bar and dots.
#include <QGroupBox>
#include <QWidget>
#include <functional>
#include <vector>

class QPainter;
class QRadioButton;

// Paint area without a border; its repaint is the handler it is given (the window's
// PaintBox1Paint).
class TPaintBox : public QWidget {
    Q_OBJECT
public:
    using PaintHandler = std::function<void(QPainter&)>;
    TPaintBox(PaintHandler onPaint, QWidget* parent);
    // A double-click with the left button runs `handler`.
    void SetDoubleClick(std::function<void()> handler) { onDoubleClick_ = std::move(handler); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    PaintHandler onPaint_;
    std::function<void()> onDoubleClick_;
};

// A framed group of radio buttons laid out in columns; exactly one item is selected.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent);
    int ItemIndex() const;
    void SetItemIndex(int index);
    QRadioButton* Item(int index) const { return items_.at(static_cast<std::size_t>(index)); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceItems();

    std::vector<QRadioButton*> items_;
    int columns_;
};

// Lowered 3-D box outline: shadow on top and left, highlight on bottom and right.
class TBevel : public QWidget {
    Q_OBJECT
public:
    explicit TBevel(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Black filled rectangle or circle with a one-pixel black outline.
class TShape : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Rectangle, Circle };
    TShape(Kind kind, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind kind_;
};
