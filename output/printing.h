#pragma once
// The preview of the page and the print commands' work. They take values from the window and
// answer with values; the window reads its own fields before and writes them after.
#include <cstdint>
#include <functional>
#include <string>

#include "drawing/canvas.h"
#include "output/shared_state.h"

class QPainter;
class QPrintDialog;
class QWidget;

// What a page drawing reads besides the shared values. The sentence is asked for at the moment
// of drawing: while a print hands a page over, the window still takes input, so the answer
// sheet shows the sentence as it is when that sheet is drawn.
struct TSheetSource {
    SharedState& State;
    std::function<std::string()> Sentence;
    std::int32_t BaseWidth = 320;  // the preview area's size: the page is designed on it
    std::int32_t BaseHeight = 441;
};

// The page with answers on the preview area's surface at 320 x 441.
void DrawPreviewPage(const TSheetSource& source, TCanvas& canvas);

// A page of the current sheet at any size, with or without answers, for the enlarged view:
// nothing where the preview area shows nothing. It never touches ShowAnswers, so the view can
// repaint in the middle of a print.
void DrawSheetPage(const TSheetSource& source, TCanvas& canvas, std::int32_t width, std::int32_t height,
                   bool showAnswers);

// The end of the Preview command, once the new set is stored. True when the window is now to
// show the preview and enable both print buttons; then PreviewReady is set.
bool PreviewHandOff(SharedState& state);

// The preview area's repaint: the page, or nothing before the first preview and with no problem.
void PaintPreview(const TSheetSource& source, TCanvas& canvas);
void PaintPreview(const TSheetSource& source, QPainter& painter);

// Both print commands after the window has read the sheet number into State.PrintNumber: the
// problem sheet, with `withAnswers` the answer sheet as a second document, then the number
// advances. Returns the advanced number (also in State.PrintNumber) for the window's field.
// Failures raise EPrinter and leave the number as read.
std::int32_t PrintSheets(const TSheetSource& source, bool withAnswers);

// Print settings: the printer setup dialog over `parent`, run modally by `run` (true when
// accepted).
void RunPrintSettings(QWidget* parent, const std::function<bool(QPrintDialog&)>& run);

// The sheet number after `number`; 2147483647 is followed by -2147483648, as in a run of sheets
// (SheetNumber).
std::int32_t NextPrintNumber(std::int32_t number);
