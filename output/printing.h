#pragma once
// The preview of the page and the print commands. They work on what they touch of the main
// window, gathered in TOutputHost, so that the window only forwards its events here.
#include <cstdint>

#include "drawing/canvas.h"
#include "core/shared_state.h"

class QAbstractButton;
class QLineEdit;
class QPainter;
class QWidget;

struct TOutputHost {
    SharedState& State;
    QLineEdit* PrnNum = nullptr;        // the sheet number, read at each print, advanced after it
    QLineEdit* QstSentence = nullptr;   // the instruction sentence, read at each drawing
    QWidget* PaintBox1 = nullptr;       // the preview area; its size is the page's base size
    QAbstractButton* btnPrint = nullptr;
    QAbstractButton* btnPrintWithAns = nullptr;
    QWidget* Window = nullptr;          // the main window: parent and screen of the dialog
};

// The name of every document the program prints.
inline constexpr const char* DocumentName = "Tavreloかけ算小数編";

// The page with answers on the preview area's surface at 320 x 441.
void DrawPreviewPage(TOutputHost& host, TCanvas& canvas);

// The end of the Preview command, once the new set is stored.
void PreviewHandOff(TOutputHost& host);

// The preview area's repaint; the window calls it from PaintBox1's paintEvent with a painter on
// PaintBox1.
void PaintBox1Paint(TOutputHost& host, QPainter& painter);
void PaintBox1Paint(TOutputHost& host, TCanvas& canvas);

// Print, Print with answers, Print settings. Failures raise EPrinter or EConvertError.
void btnPrintClick(TOutputHost& host);
void btnPrintWithAnsClick(TOutputHost& host);
void btnMaintenanceClick(TOutputHost& host);

// The sheet number after `number`; 2147483647 is followed by -2147483648.
std::int32_t NextPrintNumber(std::int32_t number);
