#include "drawing/qt_canvas.h"

#include <QColor>
#include <QCoreApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QRect>
#include <QTextLayout>
#include <QTextLine>
#include <QThread>
#include <algorithm>
#include <vector>

#include "drawing/fonts.h"

namespace {

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QColor ToQColor(TColor c) {
    return QColor(static_cast<int>((c >> 16) & 0xFFu), static_cast<int>((c >> 8) & 0xFFu), static_cast<int>(c & 0xFFu));
}

int CellOf(const QFont& face, int pixelSize, QPaintDevice* device) {
    QFont f(face);
    f.setPixelSize(pixelSize);
    const QFontMetrics fm(f, device);
    return fm.ascent() + fm.descent();
}

using DeviceKey = std::tuple<int, int, int>;

template <typename Resolved>
using FontMemory =
    std::map<std::pair<std::tuple<std::string, std::int32_t, bool>, DeviceKey>, std::shared_ptr<Resolved>>;

// The fonts this thread has resolved. The main thread's are let go with the application: a
// QFont outliving the font database it came from would be destroyed after Qt's own clean-up.
template <typename Resolved>
FontMemory<Resolved>& ResolvedFonts() {
    thread_local FontMemory<Resolved> known;
    static bool mainThreadWatched = false;
    if (!mainThreadWatched && QCoreApplication::instance() &&
        QThread::currentThread() == QCoreApplication::instance()->thread()) {
        mainThreadWatched = true;
        qAddPostRoutine([] {
            ResolvedFonts<Resolved>().clear();
            mainThreadWatched = false;
        });
    }
    return known;
}

}  // namespace

TQtCanvas::TQtCanvas(QPainter& painter) : painter_(painter), device_(painter.device()) {
    // The sheet must never come out in a Latin face with boxes for the Japanese, even if a
    // caller draws before the window has set the substitutions up.
    if (QFont::substitutes(QStringLiteral("ＭＳ 明朝")).isEmpty()) InstallFontSubstitutions();
}

TQtCanvas::~TQtCanvas() = default;

int TQtCanvas::PixelSizeForCell(const QFont& face, int cellHeight, QPaintDevice* device) {
    if (cellHeight <= 1) return 1;
    // Ascent and descent are rounded separately, so the cell does not grow by exactly one per
    // pixel size: some heights have two sizes that hit them and some have none. Start a little
    // below the estimate from a large reference size and walk upwards.
    constexpr int Reference = 1000;
    const int refCell = std::max(1, CellOf(face, Reference, device));
    const double ratio = static_cast<double>(refCell) / Reference;
    int start = std::max(1, static_cast<int>(cellHeight / ratio) - 2);
    while (start > 1 && CellOf(face, start, device) >= cellHeight) start = std::max(1, start - 4);

    int exact = 0;
    int below = 0;
    // Bounded, in case a face reports no cell at all: the cell can never lag this far behind.
    const int last = start + 2 * cellHeight + 16;
    for (int size = start; size <= last; ++size) {
        const int cell = CellOf(face, size, device);
        if (cell > cellHeight) break;
        if (cell == cellHeight)
            exact = size;
        else
            below = size;
    }
    if (exact > 0) return exact;
    return std::max(1, below);
}

std::shared_ptr<TQtCanvas::Resolved> TQtCanvas::Resolve(const Key& key, QPaintDevice* device) {
    auto& known = ResolvedFonts<Resolved>();
    // Metrics follow the device's resolution and kind (a widget's screen, a printer), nothing else
    // of it.
    std::pair<Key, DeviceKey> where{key, {device->devType(), device->logicalDpiX(), device->logicalDpiY()}};
    if (const auto it = known.find(where); it != known.end()) return it->second;

    const auto& [name, height, underline] = key;
    // The requested face name goes to Qt unchanged; the program's own substitutions
    // (InstallFontSubstitutions) decide which installed face it becomes.
    QFont face(Utf8(name));
    face.setKerning(false);  // columns of digits must not be nudged by pair kerning
    // Full hinting rounds the advances to whole pixels (13 px IPAMincho: 7 instead of 6.5),
    // so every column of a figure is a whole number of pixels wide and an underline broken
    // around a small point joins up again without a half-pixel gap on the small preview.
    face.setHintingPreference(QFont::PreferFullHinting);
    const int size = PixelSizeForCell(face, std::max(1, height), device);
    QFont font(face);
    font.setPixelSize(size);
    font.setUnderline(underline);
    QFontMetrics fm(font, device);
    const int ascent = fm.ascent();
    const int cell = fm.ascent() + fm.descent();
    auto entry = std::make_shared<Resolved>(Resolved{font, fm, ascent, cell});
    // Canvases hold on to what they use, so forgetting everything at once harms none of them.
    if (known.size() >= FontsKept) known.clear();
    known.emplace(std::move(where), entry);
    return entry;
}

TQtCanvas::Resolved& TQtCanvas::Current() {
    const bool underline = Font.Style == TFontStyle::Underline;
    if (last_ && std::get<1>(lastKey_) == Font.Height && std::get<2>(lastKey_) == underline &&
        std::get<0>(lastKey_) == Font.Name)
        return *last_;

    Key key{Font.Name, Font.Height, underline};
    auto it = cache_.find(key);
    if (it == cache_.end()) {
        auto entry = Resolve(key, device_);
        it = cache_.emplace(std::move(key), std::move(entry)).first;
    }
    lastKey_ = it->first;
    last_ = it->second.get();
    return *last_;
}

const QFont& TQtCanvas::CurrentQFont() { return Current().font; }

std::int32_t TQtCanvas::Width(Resolved& r, std::string_view text) {
    if (const auto known = r.widths.find(text); known != r.widths.end()) return known->second;
    // Whole strings only: half-width advances are fractional at many sizes, so the sum of
    // single-character widths drifts away from what drawText lays out.
    const std::int32_t width = r.metrics.horizontalAdvance(Utf8(text));
    if (r.widths.size() >= WidthsKept) r.widths.clear();
    r.widths.emplace(text, width);
    return width;
}

const TQtCanvas::Resolved::Shaped& TQtCanvas::Shape(Resolved& r, std::string_view text) {
    if (const auto known = r.shaped.find(text); known != r.shaped.end()) return known->second;
    // Laid out as drawText lays out one line: the same itemizing, the same fallback faces for
    // characters the font lacks, the same device metrics.
    QTextLayout layout(Utf8(text), r.font, device_);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    Resolved::Shaped shaped;
    if (line.isValid()) {
        shaped.runs = layout.glyphRuns();
        shaped.lineAscent = line.ascent();
    }
    if (r.shaped.size() >= WidthsKept) r.shaped.clear();
    return r.shaped.emplace(text, std::move(shaped)).first->second;
}

void TQtCanvas::TextOut(std::int32_t x, std::int32_t y, std::string_view text) {
    Resolved& r = Current();
    if (Brush.Style == TBrushStyle::Solid) {
        // An opaque text paints its own cell first, as wide as TextWidth says.
        painter_.fillRect(QRect(x, y, Width(r, text), r.cell), ToQColor(Brush.Color));
    }
    painter_.setFont(r.font);
    painter_.setPen(QPen(QColor(Qt::black)));
    const Resolved::Shaped& shaped = Shape(r, text);
    if (shaped.runs.size() == 1) {
        // The run's glyphs stand on the layout line's baseline; the text's baseline is the font's.
        painter_.drawGlyphRun(QPointF(x, y + r.ascent - shaped.lineAscent), shaped.runs.front());
    } else {
        // Several faces (a character from a fallback face): drawText lines an underline up
        // across them as one, which separate runs would not.
        painter_.drawText(QPoint(x, y + r.ascent), Utf8(text));
    }
}

std::int32_t TQtCanvas::TextWidth(std::string_view text) { return Width(Current(), text); }

std::int32_t TQtCanvas::TextHeight(std::string_view /*text*/) { return Current().cell; }

void TQtCanvas::Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    // The rectangle covers x1..x2-1 and y1..y2-1, outline included.
    if (x2 <= x1 || y2 <= y1) return;
    const QRect area(x1, y1, x2 - x1, y2 - y1);
    const bool aa = painter_.testRenderHint(QPainter::Antialiasing);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    if (Brush.Style == TBrushStyle::Solid) painter_.fillRect(area, ToQColor(Brush.Color));
    QPen pen(ToQColor(Pen.Color));
    pen.setWidth(1);
    pen.setJoinStyle(Qt::MiterJoin);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
    painter_.setRenderHint(QPainter::Antialiasing, aa);
}

void TQtCanvas::FillRectangles(std::span<const TRect> rects) {
    std::vector<QRect> areas;
    areas.reserve(rects.size());
    for (const TRect& r : rects)
        if (r.Right > r.Left && r.Bottom > r.Top) areas.emplace_back(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    if (areas.empty()) return;
    // No pen: each area covers exactly its pixels, and a PDF gets one fill of all of them.
    const bool aa = painter_.testRenderHint(QPainter::Antialiasing);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(ToQColor(Brush.Color));
    painter_.drawRects(areas.data(), static_cast<int>(areas.size()));
    painter_.setBrush(Qt::NoBrush);
    painter_.setRenderHint(QPainter::Antialiasing, aa);
}
