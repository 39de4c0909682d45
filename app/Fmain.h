#pragma once
// The one window: every input of a worksheet request, the command buttons and the preview.
// Controls are public and keep the names the rest of the program and the tests use.
#include <QMainWindow>
#include <array>

#include "app/widgets.h"
#include "core/random.h"
#include "output/printing.h"
#include "output/shared_state.h"

class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;
class QScrollArea;

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
    // The window's one generator: seeded from the clock when the window is made, then carried on
    // from Preview to Preview for the window's life.
    TRandom Random;

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
    // Opens the enlarged view of the current sheet.
    void PaintBox1DblClick();

    // The widget that holds every control at its fixed place (inside the scroll area).
    QWidget* ClientArea() const { return client_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void CreateControls();
    // What the page drawings read of this window.
    TSheetSource SheetSource();
    // Print and Print with answers: the number from the field, the sheets, the next number.
    void PrintCommand(bool withAnswers);
    // Has the preview area show the current set and number (once there is a preview at all).
    void ShowCurrentSheet();
    // The current sheet in words, for a screen reader: its number and every problem on the
    // page with its product, as the preview shows them.
    QString SheetDescription() const;
    void SetOuterHeight(int height);
    void SetOuterWidth(int width);
    void CentreOnScreen();

    QScrollArea* scroll_ = nullptr;
    QWidget* client_ = nullptr;
    bool outerSizeSettled_ = false;
};
