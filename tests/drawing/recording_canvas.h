#pragma once
// A drawing surface that draws nothing and remembers every call, with the font, brush and pen
// state at the time of the call. Its metrics are fixed-pitch and exact: a half-width
// character is Height / 2 wide, any other character Height; a text is Height tall.
#include <cstdint>
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
};

class TRecordingCanvas : public TCanvas {
public:
    std::vector<TRecordedCall> calls;

    void TextOut(std::int32_t x, std::int32_t y, std::string_view text) override {
        calls.push_back({TRecordedCall::Kind::TextOut, x, y, 0, 0, std::string(text), Font, Brush, Pen});
    }
    std::int32_t TextWidth(std::string_view text) override { return WidthAt(Font.Height, text); }
    std::int32_t TextHeight(std::string_view) override { return Font.Height; }
    void Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override {
        calls.push_back({TRecordedCall::Kind::Rectangle, x1, y1, x2, y2, {}, Font, Brush, Pen});
    }

    static std::int32_t WidthAt(std::int32_t height, std::string_view text) {
        std::int32_t w = 0;
        for (unsigned char c : text) {
            if (c < 0x80) w += height / 2;
            else if ((c & 0xC0u) == 0xC0u) w += height;  // lead byte of a multi-byte character
        }
        return w;
    }

    std::vector<TRecordedCall> TextOuts() const {
        std::vector<TRecordedCall> out;
        for (const auto& c : calls)
            if (c.kind == TRecordedCall::Kind::TextOut) out.push_back(c);
        return out;
    }
};
