#pragma once
// A drawing surface that draws nothing and remembers every call with the font, brush and pen
// in force at that moment: a page or figure recorded once can be compared call for call with
// another, or searched for its texts. Its metrics are fixed-pitch and exact: a half-width
// character is Height / 2 wide, any other character Height; a text is Height tall.
// FillRectangles is recorded as the Rectangle calls it stands for.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/canvas.h"

struct TRecordedCall {
    enum class Kind { TextOut, Rectangle } kind = Kind::TextOut;
    std::int32_t x = 0, y = 0, x2 = 0, y2 = 0;  // x2, y2 for rectangles only
    std::string text;
    TFont font;
    TBrush brush;
    TPen pen;

    bool operator==(const TRecordedCall&) const = default;
};

// One line a call, e.g. TextOut(12, 40, "2.35") font ＭＳ 明朝/14 brush clear pen 000000.
std::string Describe(const TRecordedCall& call);
std::ostream& operator<<(std::ostream& out, const TRecordedCall& call);

class TRecordingCanvas : public TCanvas {
public:
    std::vector<TRecordedCall> calls;

    void TextOut(std::int32_t x, std::int32_t y, std::string_view text) override;
    std::int32_t TextWidth(std::string_view text) override { return WidthAt(Font.Height, text); }
    std::int32_t TextHeight(std::string_view) override { return Font.Height; }
    void Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override;

    static std::int32_t WidthAt(std::int32_t height, std::string_view text);

    std::vector<TRecordedCall> TextOuts() const;
    std::vector<std::string> Texts() const;
    bool HasText(std::string_view text) const;
    // Figures drawn: each figure writes its operator and multiplier as one text beginning "×".
    int Figures() const;
};
