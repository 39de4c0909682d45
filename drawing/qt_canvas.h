#pragma once
// TCanvas drawn through a QPainter: the preview widget, a printer page, a PDF or an image.
#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QList>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include "drawing/canvas.h"

class QPainter;
class QPaintDevice;

class TQtCanvas : public TCanvas {
public:
    // The painter must be active on its device for as long as this canvas is used.
    explicit TQtCanvas(QPainter& painter);
    ~TQtCanvas() override;

    void TextOut(std::int32_t x, std::int32_t y, std::string_view text) override;
    std::int32_t TextWidth(std::string_view text) override;
    std::int32_t TextHeight(std::string_view text) override;
    void Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override;
    void FillRectangles(std::span<const TRect> rects) override;

    // The QFont that the current Font state resolves to (pixel size chosen to hit Height).
    const QFont& CurrentQFont();

    // The largest pixel size whose cell (ascent + descent) on `device` is exactly `cellHeight`;
    // where no size hits it, the largest whose cell is below it (at least 1).
    static int PixelSizeForCell(const QFont& face, int cellHeight, QPaintDevice* device);

    // Widths remembered per font before the oldest are forgotten: a sheet measures a few hundred
    // strings, a long run of sheets ever new numbers.
    static constexpr std::size_t WidthsKept = 4096;
    // Fonts a thread keeps resolved for the canvases that come after: the preview draws on a new
    // canvas each time and the figure fit tries several heights on each.
    static constexpr std::size_t FontsKept = 32;

private:
    struct StringHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
    };
    struct Resolved {
        QFont font;
        QFontMetrics metrics;
        int ascent;
        int cell;
        // Shaping a string is most of what measuring costs, and a page measures the same short
        // strings (digits, a point, a column's width) over and over.
        std::unordered_map<std::string, std::int32_t, StringHash, std::equal_to<>> widths{};
        // What drawing a string needs once it is shaped: its glyphs and where they stand. Kept
        // for the same reason as the widths; drawing shaped glyphs is the same as drawing the
        // text, without shaping it again for every figure of every page.
        struct Shaped {
            QList<QGlyphRun> runs;
            qreal lineAscent = 0;
        };
        std::unordered_map<std::string, Shaped, StringHash, std::equal_to<>> shaped{};
    };
    using Key = std::tuple<std::string, std::int32_t, bool>;

    Resolved& Current();
    // Shared by every canvas of the thread on a device of the same kind and resolution.
    static std::shared_ptr<Resolved> Resolve(const Key& key, QPaintDevice* device);
    static std::int32_t Width(Resolved& r, std::string_view text);
    const Resolved::Shaped& Shape(Resolved& r, std::string_view text);

    QPainter& painter_;
    QPaintDevice* device_;
    std::map<Key, std::shared_ptr<Resolved>> cache_;
    // The last font looked up: a figure keeps asking for the same one.
    Key lastKey_;
    Resolved* last_ = nullptr;
};
