#include "output/sheet_view.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <utility>

#include "drawing/qt_canvas.h"
#include "drawing/worksheet.h"

namespace {

// The steps that + and - and the wheel go through; a zoom between two steps (after a fit)
// goes to the neighbouring one.
constexpr double ZoomSteps[] = {0.25, 0.33, 0.5, 0.67, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};
constexpr double SmallestFit = 0.05;
constexpr double A4WidthMm = 210.0;
constexpr int WheelStep = 120;  // one notch of a wheel, in eighths of a degree

const QColor Desk(0x80, 0x80, 0x80);

QToolButton* Button(const QString& text, const QString& hint, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(hint);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setAutoRaise(false);
    return b;
}

}  // namespace

// The paper inside the view: paints one page through the view's painter function at the
// widget's size in device pixels.
class TSheetPage : public QWidget {
public:
    TSheetPage(const TSheetPainter& draw, const TPaintFailure& failed, const bool& showAnswers, QWidget* parent)
        : QWidget(parent), draw_(draw), failed_(failed), showAnswers_(showAnswers) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (!draw_) return;
        // The page is laid out on the device's own pixels, so a high-density screen gets
        // sharper figures rather than an enlarged low-resolution page.
        const qreal ratio = devicePixelRatioF();
        const auto width = static_cast<std::int32_t>(std::lround(this->width() * ratio));
        const auto height = static_cast<std::int32_t>(std::lround(this->height() * ratio));
        painter.scale(1.0 / ratio, 1.0 / ratio);
        try {
            TQtCanvas canvas(painter);
            draw_(canvas, width, height, showAnswers_);
        } catch (const std::exception& error) {
            // An error box over an active painter leaves the window's backing store painting
            // for good; the page ends first, half drawn.
            painter.end();
            if (!failed_) throw;
            failed_(error);
        }
    }

private:
    const TSheetPainter& draw_;
    const TPaintFailure& failed_;
    const bool& showAnswers_;
};

TSheetView::TSheetView(TSheetPainter draw, QWidget* parent, TPaintFailure failed)
    : QWidget(parent, Qt::Window), draw_(std::move(draw)), failed_(std::move(failed)) {
    setObjectName(QStringLiteral("SheetView"));
    setWindowTitle(QStringLiteral("プレビューの拡大"));
    // The window's Japanese face and its locale, though this is a window of its own.
    setAttribute(Qt::WA_WindowPropagation);

    sheets_ = new QTabBar(this);
    sheets_->addTab(QStringLiteral("問題用紙"));
    sheets_->addTab(QStringLiteral("答えの用紙"));
    sheets_->setCurrentIndex(showAnswers_ ? 1 : 0);
    sheets_->setExpanding(false);
    connect(sheets_, &QTabBar::currentChanged, this, [this](int index) { SetShowAnswers(index == 1); });

    zoomOut_ = Button(QStringLiteral("縮小"), QStringLiteral("縮小 (-)"), this);
    zoomIn_ = Button(QStringLiteral("拡大"), QStringLiteral("拡大 (+)"), this);
    zoomLabel_ = new QLabel(this);
    zoomLabel_->setAlignment(Qt::AlignCenter);
    zoomLabel_->setMinimumWidth(zoomLabel_->fontMetrics().horizontalAdvance(QStringLiteral("0000%")));
    auto* actual = Button(QStringLiteral("実寸"), QStringLiteral("用紙と同じ大きさで表示"), this);
    auto* width = Button(QStringLiteral("幅に合わせる"), QStringLiteral("用紙の幅をウィンドウに合わせる"), this);
    auto* whole = Button(QStringLiteral("ページ全体"), QStringLiteral("用紙全体をウィンドウに収める"), this);
    auto* close = Button(QStringLiteral("閉じる"), QStringLiteral("閉じる (Esc)"), this);
    zoomOut_->setObjectName(QStringLiteral("zoomOut"));
    zoomIn_->setObjectName(QStringLiteral("zoomIn"));
    actual->setObjectName(QStringLiteral("actualSize"));
    width->setObjectName(QStringLiteral("fitWidth"));
    whole->setObjectName(QStringLiteral("fitPage"));
    close->setObjectName(QStringLiteral("close"));
    connect(zoomOut_, &QToolButton::clicked, this, &TSheetView::ZoomOut);
    connect(zoomIn_, &QToolButton::clicked, this, &TSheetView::ZoomIn);
    connect(actual, &QToolButton::clicked, this, [this] { SetZoom(1.0); });
    connect(width, &QToolButton::clicked, this, &TSheetView::FitToWidth);
    connect(whole, &QToolButton::clicked, this, &TSheetView::FitToPage);
    connect(close, &QToolButton::clicked, this, &QWidget::close);

    auto* bar = new QHBoxLayout;
    bar->addWidget(sheets_);
    bar->addStretch(1);
    bar->addWidget(zoomOut_);
    bar->addWidget(zoomLabel_);
    bar->addWidget(zoomIn_);
    bar->addSpacing(8);
    bar->addWidget(actual);
    bar->addWidget(width);
    bar->addWidget(whole);
    bar->addSpacing(8);
    bar->addWidget(close);

    scroll_ = new QScrollArea(this);
    scroll_->setWidgetResizable(false);
    scroll_->setAlignment(Qt::AlignCenter);
    QPalette desk = scroll_->palette();
    desk.setColor(QPalette::Window, Desk);
    scroll_->setPalette(desk);
    scroll_->setBackgroundRole(QPalette::Window);
    desk_ = new QWidget;
    desk_->setAutoFillBackground(true);
    desk_->setPalette(desk);
    page_ = new TSheetPage(draw_, failed_, showAnswers_, desk_);
    page_->move(PageMargin, PageMargin);
    scroll_->setWidget(desk_);
    scroll_->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addLayout(bar);
    layout->addWidget(scroll_, 1);

    ApplyZoom(zoom_, {});
}

TSheetView::~TSheetView() = default;

TSheetView* TSheetView::Of(QWidget* window) {
    return window ? window->findChild<TSheetView*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

TSheetView* TSheetView::ShowFor(QWidget* window, TSheetPainter draw, TPaintFailure failed) {
    TSheetView* view = Of(window);
    if (!view) {
        view = new TSheetView(std::move(draw), window, std::move(failed));
        if (!window) view->setAttribute(Qt::WA_DeleteOnClose);
        // Most of the screen's height, as wide as the whole page then needs.
        QScreen* screen = window ? window->screen() : QGuiApplication::primaryScreen();
        const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        const int height = available.height() * 9 / 10;
        const QSize page = view->PageSizeAt(1.0);
        const int pageWidth = (height - 120) * page.width() / std::max(1, page.height());
        const int width = std::min(available.width() * 9 / 10, std::max(view->sizeHint().width(), pageWidth + 80));
        view->resize(width, height);
        view->move(available.center() - QPoint(width / 2, height / 2));
    }
    view->show();
    view->raise();
    view->activateWindow();
    view->Refresh();
    return view;
}

void TSheetView::RefreshFor(QWidget* window) {
    if (TSheetView* view = Of(window)) view->Refresh();
}

void TSheetView::Refresh() { page_->update(); }

double TSheetView::PaperWidthPixels() const { return A4WidthMm / 25.4 * logicalDpiX(); }

QSize TSheetView::PageSizeAt(double zoom) const {
    const PageContent base;  // the page layout's own proportion
    const int width = std::max(1, static_cast<int>(std::lround(zoom * PaperWidthPixels())));
    const int height =
        std::max(1, static_cast<int>(std::lround(static_cast<double>(width) * base.BaseHeight / base.BaseWidth)));
    return {width, height};
}

void TSheetView::SetZoom(double zoom) {
    fit_ = Fit::None;
    ApplyZoom(std::clamp(zoom, MinZoom, MaxZoom), scroll_->viewport()->rect().center());
}

double TSheetView::NextZoom(double zoom, bool in) {
    if (in) {
        for (const double step : ZoomSteps)
            if (step > zoom + 1e-9) return step;
        return std::max(zoom, MaxZoom);
    }
    for (auto it = std::rbegin(ZoomSteps); it != std::rend(ZoomSteps); ++it)
        if (*it < zoom - 1e-9) return *it;
    return std::min(zoom, MinZoom);  // below the steps only after a fit: stay there
}

void TSheetView::ZoomIn() {
    fit_ = Fit::None;
    ApplyZoom(NextZoom(zoom_, true), scroll_->viewport()->rect().center());
}

void TSheetView::ZoomOut() {
    fit_ = Fit::None;
    ApplyZoom(NextZoom(zoom_, false), scroll_->viewport()->rect().center());
}

void TSheetView::FitToWidth() {
    fit_ = Fit::Width;
    ApplyFit();
}

void TSheetView::FitToPage() {
    fit_ = Fit::Page;
    ApplyFit();
}

void TSheetView::SetShowAnswers(bool answers) {
    if (showAnswers_ == answers) return;
    showAnswers_ = answers;
    sheets_->setCurrentIndex(answers ? 1 : 0);
    Refresh();
}

void TSheetView::ApplyFit() {
    const QSize available = scroll_->maximumViewportSize() - QSize(2 * PageMargin, 2 * PageMargin);
    const double paper = PaperWidthPixels();
    int width = available.width();
    if (fit_ == Fit::Width) {
        // Taller than the window, the page brings a vertical scroll bar that takes its share.
        if (PageSizeAt(width / paper).height() > available.height())
            width -= scroll_->verticalScrollBar()->sizeHint().width();
    } else if (fit_ == Fit::Page) {
        const PageContent base;
        width = std::min(width, available.height() * base.BaseWidth / base.BaseHeight);
        while (width > 1 && PageSizeAt(width / paper).height() > available.height()) --width;
    } else {
        return;
    }
    ApplyZoom(std::max(1, width) / paper, scroll_->viewport()->rect().center());
}

void TSheetView::ApplyZoom(double zoom, QPointF anchor) {
    // A fit may go below the smallest step, so that a small window still shows the whole page.
    zoom = std::clamp(zoom, SmallestFit, MaxZoom);
    // The point of the page under the anchor stays under it.
    const QSize before = page_->size();
    const QPointF onPage = page_->mapFrom(scroll_->viewport(), anchor.toPoint());
    const double fx = before.width() > 0 ? onPage.x() / before.width() : 0.5;
    const double fy = before.height() > 0 ? onPage.y() / before.height() : 0.0;

    zoom_ = zoom;
    const QSize size = PageSizeAt(zoom);
    page_->resize(size);
    desk_->resize(size + QSize(2 * PageMargin, 2 * PageMargin));

    QScrollBar* h = scroll_->horizontalScrollBar();
    QScrollBar* v = scroll_->verticalScrollBar();
    h->setValue(static_cast<int>(std::lround(PageMargin + fx * size.width() - anchor.x())));
    v->setValue(static_cast<int>(std::lround(PageMargin + fy * size.height() - anchor.y())));
    UpdateControls();
    page_->update();
}

void TSheetView::UpdateControls() {
    zoomLabel_->setText(QString::number(std::lround(zoom_ * 100)) + QStringLiteral("%"));
    zoomIn_->setEnabled(zoom_ < MaxZoom - 1e-9);
    zoomOut_->setEnabled(zoom_ > MinZoom + 1e-9);
}

void TSheetView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            close();
            return;
        case Qt::Key_Plus:
        case Qt::Key_Equal:  // + without Shift on many keyboards
            ZoomIn();
            return;
        case Qt::Key_Minus:
            ZoomOut();
            return;
        case Qt::Key_0:
            if (event->modifiers() & Qt::ControlModifier) {
                SetZoom(1.0);
                return;
            }
            break;
        default:
            break;
    }
    QWidget::keyPressEvent(event);
}

void TSheetView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ApplyFit();
}

bool TSheetView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            // A touchpad sends small deltas: they add up to whole steps.
            wheelDelta_ += wheel->angleDelta().y();
            while (std::abs(wheelDelta_) >= WheelStep) {
                const bool in = wheelDelta_ > 0;
                wheelDelta_ -= in ? WheelStep : -WheelStep;
                // About the pointer rather than the middle of the view.
                fit_ = Fit::None;
                ApplyZoom(NextZoom(zoom_, in), wheel->position());
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
