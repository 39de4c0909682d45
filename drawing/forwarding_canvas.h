#pragma once
// A surface that passes every call on to another, with the font, brush and pen in force at
// that moment, so that a drawing can be watched or thinned out on its way to a real surface.
// Subclasses override the calls they look at and call the base to pass them on.
#include <cstdint>
#include <span>
#include <string_view>

#include "drawing/canvas.h"

class TForwardingCanvas : public TCanvas {
public:
    explicit TForwardingCanvas(TCanvas& target) : target_(target) {}
    TForwardingCanvas(const TForwardingCanvas&) = delete;
    TForwardingCanvas& operator=(const TForwardingCanvas&) = delete;

    void TextOut(std::int32_t x, std::int32_t y, std::string_view text) override {
        Sync();
        target_.TextOut(x, y, text);
    }
    std::int32_t TextWidth(std::string_view text) override {
        Sync();
        return target_.TextWidth(text);
    }
    std::int32_t TextHeight(std::string_view text) override {
        Sync();
        return target_.TextHeight(text);
    }
    void Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override {
        Sync();
        target_.Rectangle(x1, y1, x2, y2);
    }
    void FillRectangles(std::span<const TRect> rects) override {
        Sync();
        target_.FillRectangles(rects);
    }

protected:
    TCanvas& Target() { return target_; }

private:
    void Sync() {
        target_.Font = Font;
        target_.Brush = Brush;
        target_.Pen = Pen;
    }

    TCanvas& target_;
};
