#include "drawing/recording_canvas.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

std::string Describe(const TRecordedCall& call) {
    char colours[64];
    std::snprintf(colours, sizeof colours, " brush %s %06X pen %06X",
                  call.brush.Style == TBrushStyle::Clear ? "clear" : "solid", static_cast<unsigned>(call.brush.Color),
                  static_cast<unsigned>(call.pen.Color));
    std::string out;
    if (call.kind == TRecordedCall::Kind::TextOut) {
        out = "TextOut(" + std::to_string(call.x) + ", " + std::to_string(call.y) + ", \"" + call.text + "\")";
    } else {
        out = "Rectangle(" + std::to_string(call.x) + ", " + std::to_string(call.y) + ", " + std::to_string(call.x2) +
              ", " + std::to_string(call.y2) + ")";
    }
    out += " font " + call.font.Name + "/" + std::to_string(call.font.Height);
    if (call.font.Style == TFontStyle::Underline) out += " underline";
    return out + colours;
}

std::ostream& operator<<(std::ostream& out, const TRecordedCall& call) { return out << Describe(call); }

void TRecordingCanvas::TextOut(std::int32_t x, std::int32_t y, std::string_view text) {
    calls.push_back({TRecordedCall::Kind::TextOut, x, y, 0, 0, std::string(text), Font, Brush, Pen});
}

void TRecordingCanvas::Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    calls.push_back({TRecordedCall::Kind::Rectangle, x1, y1, x2, y2, {}, Font, Brush, Pen});
}

std::int32_t TRecordingCanvas::WidthAt(std::int32_t height, std::string_view text) {
    std::int32_t w = 0;
    for (const unsigned char c : text) {
        if (c < 0x80)
            w += height / 2;
        else if ((c & 0xC0u) == 0xC0u)  // the lead byte of a multi-byte character
            w += height;
    }
    return w;
}

std::vector<TRecordedCall> TRecordingCanvas::TextOuts() const {
    std::vector<TRecordedCall> out;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(out),
                 [](const TRecordedCall& c) { return c.kind == TRecordedCall::Kind::TextOut; });
    return out;
}

std::vector<std::string> TRecordingCanvas::Texts() const {
    std::vector<std::string> out;
    for (const TRecordedCall& c : calls)
        if (c.kind == TRecordedCall::Kind::TextOut) out.push_back(c.text);
    return out;
}

bool TRecordingCanvas::HasText(std::string_view text) const {
    return std::any_of(calls.begin(), calls.end(), [text](const TRecordedCall& c) {
        return c.kind == TRecordedCall::Kind::TextOut && c.text == text;
    });
}

int TRecordingCanvas::Figures() const {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [](const TRecordedCall& c) {
        return c.kind == TRecordedCall::Kind::TextOut && c.text.rfind("×", 0) == 0;
    }));
}
