#pragma once
// TCanvas drawn through a QPainter: the preview widget, a printer page, a PDF or an image.
#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>

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

    // The QFont that the current Font state resolves to (pixel size chosen to hit Height).
    const QFont& CurrentQFont();

    // The largest pixel size whose cell (ascent + descent) on `device` is exactly `cellHeight`;
    // where no size hits it, the largest whose cell is below it (at least 1).
    static int PixelSizeForCell(const QFont& face, int cellHeight, QPaintDevice* device);

private:
    struct Resolved {
        QFont font;
        QFontMetrics metrics;
        int ascent;
        int cell;
    };
    using Key = std::tuple<std::string, std::int32_t, bool>;

    const Resolved& Current();

    QPainter& painter_;
    QPaintDevice* device_;
    std::map<Key, std::unique_ptr<Resolved>> cache_;
    // The last font looked up: a figure keeps asking for the same one.
    Key lastKey_;
    const Resolved* last_ = nullptr;
};
