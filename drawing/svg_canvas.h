#pragma once
// A drawing surface that writes what is drawn on it as one SVG image: the browser edition's
// page, which stays vector and so prints sharply at any paper size. Plain C++; only the
// measuring of texts is left to whoever knows the font the image will be shown in.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/canvas.h"

// How a font is written into the image and where its texts stand, in the image's units.
struct TSvgFontMetrics {
    double Size = 0;    // the CSS font-size that gives the font's cell height
    double Ascent = 0;  // from the top of the text's cell down to its baseline
};

// Measures texts in the very font the image will be drawn with (in the browser: the browser).
class TTextMeasurer {
public:
    virtual ~TTextMeasurer() = default;
    virtual TSvgFontMetrics Metrics(const TFont& font) = 0;
    virtual std::int32_t Width(const TFont& font, std::string_view text) = 0;
};

// The CSS font-family list a face the drawing asks for ("ＭＳ 明朝", "ＭＳ ゴシック", ...) is
// written with: the faces the tests have first, then those of the machines teachers use.
std::string SvgFontFamily(std::string_view faceName);

class TSvgCanvas : public TCanvas {
public:
    TSvgCanvas(std::int32_t width, std::int32_t height, TTextMeasurer& measurer);

    void TextOut(std::int32_t x, std::int32_t y, std::string_view text) override;
    std::int32_t TextWidth(std::string_view text) override;
    std::int32_t TextHeight(std::string_view text) override;
    void Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override;
    void FillRectangles(std::span<const TRect> rects) override;

    // The whole drawing as one <svg> element of width x height units; every text is escaped,
    // never markup. The face most texts are in is written once, on the <svg> element, and
    // inherited; a text in another face names its own.
    std::string Svg() const;

private:
    struct Face {
        std::string Name;
        std::string Family;  // escaped, as an attribute's value
        std::size_t Texts = 0;
    };
    std::size_t FaceIndex(const std::string& name);

    std::int32_t width_;
    std::int32_t height_;
    TTextMeasurer& measurer_;
    std::vector<Face> faces_;
    // The texts' font-family attributes are left as FaceMark + the face's index until Svg()
    // knows which face the <svg> element carries.
    std::string body_;
};
