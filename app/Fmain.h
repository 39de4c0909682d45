#pragma once
// The one window: every input of a worksheet request, the command buttons and the preview.
// Controls are public and keep the names the rest of the program and the tests use.
#include <QFrame>
#include <QGroupBox>
#include <QMainWindow>
#include <array>
#include <vector>

#include "output/printing.h"
#include "core/shared_state.h"

class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;
class QRadioButton;
class QScrollArea;
class TForm1;

// Paint area without a border; its repaint is the window's PaintBox1Paint.
class TPaintBox : public QWidget {
    Q_OBJECT
public:
    TPaintBox(TForm1* form, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TForm1* form_;
};

// A framed group of radio buttons laid out in columns; exactly one item is selected.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent);
    int ItemIndex() const;
    void SetItemIndex(int index);
    QRadioButton* Item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    int Count() const { return static_cast<int>(items_.size()); }

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
    Kind ShapeKind() const { return kind_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind kind_;
};

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Digit-range fields: u = multiplicand, d = multiplier; k = 1 thousandths .. 5 tens;
    // l / h = low / high bound.
    QLineEdit *u1l, *u1h, *u2l, *u2h, *u3l, *u3h, *u4l, *u4h, *u5l, *u5h;
    QLineEdit *d1l, *d1h, *d2l, *d2h, *d3l, *d3h, *d4l, *d4h, *d5l, *d5h;
    QLineEdit *AnsLow, *AnsHigh, *PrnNum, *QstSentence;
    TRadioGroup* QNumPattern;
    QPushButton *btnPreview, *btnPrint, *btnPrintWithAns, *btnMaintenance, *btnClose;
    TPaintBox* PaintBox1;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9;
    QLabel *Label10, *Label11, *Label12, *Label13, *Label14, *Label15, *Label16, *Label17, *Label18;
    TBevel *Bevel1, *Bevel2, *Bevel3, *Bevel4, *Bevel5, *Bevel6, *Bevel7, *Bevel8, *Bevel9, *Bevel10;
    TBevel *Bevel11, *Bevel12, *Bevel13, *Bevel14, *Bevel15;
    TShape *Shape1, *Shape2, *Shape3;

    // Problems, counts and flags shared with generation, the page drawing and printing.
    SharedState State;

    // The twenty digit fields, in the order the Preview command reads them (k = 1..5; for each:
    // multiplicand low, high, multiplier low, high).
    std::array<QLineEdit*, 20> DigitFields() const;

    void FormCreate();
    void KuhakuCheck(QLineEdit* Sender);
    void btnPreviewClick();
    void PaintBox1Paint(QPainter& painter);
    void btnPrintClick();
    void btnPrintWithAnsClick();
    void btnMaintenanceClick();

    // The widget that holds every control at its fixed place (inside the scroll area).
    QWidget* ClientArea() const { return client_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void CreateControls();
    // What preview and printing touch of this window.
    TOutputHost Host();
    void SetOuterHeight(int height);
    void SetOuterWidth(int width);
    void CentreOnScreen();

    QScrollArea* scroll_ = nullptr;
    QWidget* client_ = nullptr;
    bool outerSizeSettled_ = false;
};
