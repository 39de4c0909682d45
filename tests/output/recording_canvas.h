#pragma once
// A surface that draws nothing and remembers each text and rectangle, with whether answers
// were being shown at that moment. Fixed-pitch metrics: half-width characters Height / 2,
// others Height.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/canvas.h"
#include "core/shared_state.h"

struct TRecordedDraw {
    bool isText = true;
    std::int32_t x = 0, y = 0, x2 = 0, y2 = 0;
    std::string text;
    std::int32_t fontHeight = 0;
    bool answersShown = false;
};

class TRecordingCanvas : public TCanvas {
public:
    explicit TRecordingCanvas(const SharedState& state) : state_(state) {}

    std::vector<TRecordedDraw> draws;

    void TextOut(std::int32_t x, std::int32_t y, std::string_view text) override {
        draws.push_back({true, x, y, 0, 0, std::string(text), Font.Height, state_.ShowAnswers});
    }
    std::int32_t TextWidth(std::string_view text) override {
        std::int32_t w = 0;
        for (unsigned char c : text) {
            if (c < 0x80) w += Font.Height / 2;
            else if ((c & 0xC0u) == 0xC0u) w += Font.Height;
        }
        return w;
    }
    std::int32_t TextHeight(std::string_view) override { return Font.Height; }
    void Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override {
        draws.push_back({false, x1, y1, x2, y2, {}, Font.Height, state_.ShowAnswers});
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const auto& d : draws)
            if (d.isText) out.push_back(d.text);
        return out;
    }
    bool HasText(std::string_view text) const {
        for (const auto& d : draws)
            if (d.isText && d.text == text) return true;
        return false;
    }
    // Figures drawn: each figure writes its operator and multiplier as one text beginning "×".
    int Figures() const {
        int n = 0;
        for (const auto& d : draws)
            if (d.isText && d.text.rfind("×", 0) == 0) ++n;
        return n;
    }

private:
    const SharedState& state_;
};
