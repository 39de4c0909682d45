#pragma once
// The abstract drawing surface that the figure and the page are drawn on: the screen's
// preview area, a printer page, an image, or a recording surface in the tests.
// The font, brush and pen are plain state that each drawing operation reads when it runs.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

using TColor = std::uint32_t;  // 0xRRGGBB
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;

enum class TFontStyle { Empty, Underline };
enum class TBrushStyle { Solid, Clear };

struct TFont {
    std::string Name;         // requested face, e.g. "ＭＳ 明朝"; resolved by the surface
    std::int32_t Height = 0;  // character cell height (ascent + descent) in device pixels
    TFontStyle Style = TFontStyle::Empty;

    bool operator==(const TFont&) const = default;
};

struct TBrush {
    TBrushStyle Style = TBrushStyle::Solid;
    TColor Color = clWhite;

    bool operator==(const TBrush&) const = default;
};

struct TPen {
    TColor Color = clBlack;

    bool operator==(const TPen&) const = default;
};

// [Left, Right) x [Top, Bottom) in device pixels.
struct TRect {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;

    bool operator==(const TRect&) const = default;
};

class TCanvas {
public:
    virtual ~TCanvas() = default;

    TFont Font;
    TBrush Brush;
    TPen Pen;

    // Texts are UTF-8. (x, y) is the top-left corner of the text's cell.
    virtual void TextOut(std::int32_t x, std::int32_t y, std::string_view text) = 0;
    // Measure exactly what TextOut draws in the current font.
    virtual std::int32_t TextWidth(std::string_view text) = 0;
    virtual std::int32_t TextHeight(std::string_view text) = 0;
    // Filled with the brush (unless clear) and outlined with the pen.
    virtual void Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) = 0;
    // Each rectangle filled with the brush's colour and no outline: the many thin lines of a grid,
    // which a surface that can draws as one shape (a PDF's one fill, an image's one path) rather
    // than as a fill and an outline each. Drawn as Rectangle calls with the pen in the brush's
    // colour where a surface has nothing better.
    virtual void FillRectangles(std::span<const TRect> rects) {
        const TPen pen = Pen;
        Pen.Color = Brush.Color;
        for (const TRect& r : rects) Rectangle(r.Left, r.Top, r.Right, r.Bottom);
        Pen = pen;
    }
};
