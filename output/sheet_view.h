#pragma once
// A view of the current sheet larger than the window's small preview, for a teacher to read
// the points and check the set: the problem sheet and the answer sheet, zoomed freely, drawn by
// the page layout itself at the view's own device resolution. It only looks; printing stays
// with the window's buttons.
//
// The view knows nothing of the window: it is given a function that draws a page of the
// current set at a size, and is told to Refresh when the set or the sheet number changes.
#include <QWidget>
#include <cstdint>
#include <exception>
#include <functional>

#include "drawing/canvas.h"

class QLabel;
class QScrollArea;
class QTabBar;
class QToolButton;

// Draws one page of the current sheet onto `canvas`, a surface of width x height device pixels,
// with or without the worked answers. Draws nothing where there is no sheet to show.
using TSheetPainter = std::function<void(TCanvas& canvas, std::int32_t width, std::int32_t height, bool showAnswers)>;

// Shown an error the painter function raised, once the page's painter has ended.
using TPaintFailure = std::function<void(const std::exception& error)>;

class TSheetView : public QWidget {
    Q_OBJECT

public:
    // A separate, resizable window over `parent` (which may be null), never modal.
    explicit TSheetView(TSheetPainter draw, QWidget* parent = nullptr, TPaintFailure failed = {});
    ~TSheetView() override;

    // Shows the view of `window`, creating it the first time; a second call brings the same
    // view to the front with its zoom and sheet as they were.
    // `failed` takes an error of the painter function; without it the error goes on to Qt's
    // event dispatch.
    static TSheetView* ShowFor(QWidget* window, TSheetPainter draw, TPaintFailure failed = {});
    // The view of `window` if one was created, else null.
    static TSheetView* Of(QWidget* window);
    // Redraws the view of `window`, if it has one; call after every change to the set.
    static void RefreshFor(QWidget* window);

    // Redraws the page from the current set.
    void Refresh();

    // The zoom is the page's width relative to an A4 sheet at the screen's resolution: 1 shows
    // it as wide as the paper (about 794 pixels at 96 dpi).
    double Zoom() const { return zoom_; }
    void SetZoom(double zoom);
    // One step of + or - from `zoom`: 25, 33, 50, 67, 75, 100, 125, 150, 200, 300, 400 %.
    static double NextZoom(double zoom, bool in);
    void ZoomIn();
    void ZoomOut();
    void FitToWidth();
    void FitToPage();

    bool ShowsAnswers() const { return showAnswers_; }
    void SetShowAnswers(bool answers);

    // The page's size in the widget's own (device-independent) pixels at a zoom.
    QSize PageSizeAt(double zoom) const;
    // The page as it stands in the view.
    QWidget* Page() const { return page_; }
    QScrollArea* ScrollArea() const { return scroll_; }

    static constexpr double MinZoom = 0.25;
    static constexpr double MaxZoom = 4.0;
    // Room left around the page inside the scrolled area, in pixels.
    static constexpr int PageMargin = 12;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Fit { None, Width, Page };

    void ApplyZoom(double zoom, QPointF anchor);
    void ApplyFit();
    void UpdateControls();
    double PaperWidthPixels() const;

    TSheetPainter draw_;
    TPaintFailure failed_;
    double zoom_ = 1.0;
    bool showAnswers_ = true;  // the window's preview shows the answers too
    Fit fit_ = Fit::Page;
    int wheelDelta_ = 0;  // a wheel's eighths of a degree, not yet worth a step

    QTabBar* sheets_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QWidget* desk_ = nullptr;
    QWidget* page_ = nullptr;
    QLabel* zoomLabel_ = nullptr;
    QToolButton* zoomOut_ = nullptr;
    QToolButton* zoomIn_ = nullptr;
};
