#include "drawing/svg_canvas.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "drawing/utf8.h"

namespace {

// Numbers in the image never follow the C library's locale (a German desktop's "2,5").
void AppendNumber(std::string& out, double value) {
    // Hundredths are far below a device pixel; whole numbers stay whole. Written digit by digit:
    // not every standard library has to_chars for floating point yet.
    const long long hundredths = std::llround(value * 100.0);
    const unsigned long long magnitude = hundredths < 0 ? 0ULL - static_cast<unsigned long long>(hundredths)
                                                        : static_cast<unsigned long long>(hundredths);
    if (hundredths < 0) out += '-';
    out += std::to_string(magnitude / 100);
    const unsigned fraction = static_cast<unsigned>(magnitude % 100);
    if (fraction != 0) {
        out += '.';
        out += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0) out += static_cast<char>('0' + fraction % 10);
    }
}

void AppendNumber(std::string& out, std::int32_t value) {
    char buffer[16];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error == std::errc()) out.append(buffer, end);
}

void AppendColor(std::string& out, TColor color) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%06x", static_cast<unsigned>(color & 0xFFFFFFu));
    out += buffer;
}

// Text as character data: never markup, and always well-formed UTF-8 (a byte that starts no
// character becomes U+FFFD; so do the control characters XML does not allow).
void AppendEscaped(std::string& out, std::string_view text) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = byte(i);
        if (lead < 0x80) {
            switch (lead) {
                case '&':
                    out += "&amp;";
                    break;
                case '<':
                    out += "&lt;";
                    break;
                case '>':
                    out += "&gt;";
                    break;
                case '"':
                    out += "&quot;";
                    break;
                case '\'':
                    out += "&#39;";
                    break;
                default:
                    if (lead < 0x20 && lead != '\t' && lead != '\n' && lead != '\r')
                        out += ReplacementCharacter;
                    else
                        out += static_cast<char>(lead);
            }
            ++i;
            continue;
        }
        const std::size_t start = i;
        const char32_t c = NextCodePoint(text, i);
        // U+FFFE and U+FFFF are no characters in XML either.
        if (c == 0xFFFD || c == 0xFFFE || c == 0xFFFF)
            out += ReplacementCharacter;
        else
            out.append(text.substr(start, i - start));
    }
}

// Stands in the body for a text's font-family attribute; never in what is written, which holds no
// control characters (AppendEscaped replaces them).
constexpr char FaceMark = '\x01';
constexpr std::size_t MaxMarkedFace = 255;  // the mark is followed by the face's index as one byte

}  // namespace

std::string SvgFontFamily(std::string_view faceName) {
    // The faces the tests and a Debian desktop have first, then Windows', macOS' and iPadOS',
    // then ChromeOS'. The figures need a fixed pitch: every family named for the fixed-pitch
    // faces is one.
    if (faceName == "ＭＳ 明朝") {
        return "'IPAMincho', 'IPA明朝', 'MS Mincho', 'ＭＳ 明朝', 'Hiragino Mincho ProN', 'Noto Serif CJK JP', "
               "'Noto Sans Mono CJK JP', monospace";
    }
    if (faceName == "ＭＳ ゴシック") {
        return "'IPAGothic', 'IPAゴシック', 'MS Gothic', 'ＭＳ ゴシック', 'Osaka-Mono', 'Noto Sans Mono CJK JP', "
               "monospace";
    }
    if (faceName == "ＭＳ Ｐゴシック") {
        return "'IPAPGothic', 'IPAPゴシック', 'MS PGothic', 'ＭＳ Ｐゴシック', 'Yu Gothic', 'Hiragino Sans', "
               "'Noto Sans CJK JP', sans-serif";
    }
    std::string family = "'";
    for (char c : faceName) {
        if (c != '\'' && c != '"' && c != '<' && c != '>' && c != '&' && c != '\\') family += c;
    }
    return family + "', sans-serif";
}

// No line breaks between the elements: a browser keeps each as a node of its own (a third of a
// sheet's nodes) and draws none of them.
TSvgCanvas::TSvgCanvas(std::int32_t width, std::int32_t height, TTextMeasurer& measurer)
    : width_(width), height_(height), measurer_(measurer) {}

std::size_t TSvgCanvas::FaceIndex(const std::string& name) {
    for (std::size_t i = 0; i < faces_.size(); ++i) {
        if (faces_[i].Name == name) return i;
    }
    Face face{name, std::string(), 0};
    AppendEscaped(face.Family, SvgFontFamily(name));
    faces_.push_back(std::move(face));
    return faces_.size() - 1;
}

void TSvgCanvas::TextOut(std::int32_t x, std::int32_t y, std::string_view text) {
    const TSvgFontMetrics metrics = measurer_.Metrics(Font);
    if (Brush.Style == TBrushStyle::Solid) {
        // An opaque text paints its own cell first, as wide as TextWidth says.
        body_ += "<rect x=\"";
        AppendNumber(body_, x);
        body_ += "\" y=\"";
        AppendNumber(body_, y);
        body_ += "\" width=\"";
        AppendNumber(body_, measurer_.Width(Font, text));
        body_ += "\" height=\"";
        AppendNumber(body_, Font.Height);
        body_ += "\" fill=\"";
        AppendColor(body_, Brush.Color);
        body_ += "\"/>";
    }
    // Texts are black whatever the pen, as on every other surface.
    body_ += "<text x=\"";
    AppendNumber(body_, x);
    body_ += "\" y=\"";
    AppendNumber(body_, static_cast<double>(y) + metrics.Ascent);
    body_ += "\" font-size=\"";
    AppendNumber(body_, metrics.Size);
    body_ += '"';
    const std::size_t face = FaceIndex(Font.Name);
    ++faces_[face].Texts;
    if (face <= MaxMarkedFace) {
        body_ += FaceMark;
        body_ += static_cast<char>(face);
    } else {
        // A page draws in a face or two; beyond what a byte numbers, a text names its face itself.
        body_ += " font-family=\"" + faces_[face].Family + "\"";
    }
    if (Font.Style == TFontStyle::Underline) body_ += " text-decoration=\"underline\"";
    body_ += ">";
    AppendEscaped(body_, text);
    body_ += "</text>";
}

std::int32_t TSvgCanvas::TextWidth(std::string_view text) { return measurer_.Width(Font, text); }

std::int32_t TSvgCanvas::TextHeight(std::string_view /*text*/) { return Font.Height; }

void TSvgCanvas::Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    // Covers x1..x2-1 and y1..y2-1, outline included: the outline is the one-pixel border inside.
    if (x2 <= x1 || y2 <= y1) return;
    const std::int64_t w = static_cast<std::int64_t>(x2) - x1, h = static_cast<std::int64_t>(y2) - y1;
    body_ += "<rect x=\"";
    AppendNumber(body_, x1 + 0.5);
    body_ += "\" y=\"";
    AppendNumber(body_, y1 + 0.5);
    body_ += "\" width=\"";
    AppendNumber(body_, static_cast<double>(w) - 1.0);
    body_ += "\" height=\"";
    AppendNumber(body_, static_cast<double>(h) - 1.0);
    body_ += "\" fill=\"";
    if (Brush.Style == TBrushStyle::Solid)
        AppendColor(body_, Brush.Color);
    else
        body_ += "none";
    body_ += "\" stroke=\"";
    AppendColor(body_, Pen.Color);
    body_ += "\" stroke-width=\"1\"/>";
}

void TSvgCanvas::FillRectangles(std::span<const TRect> rects) {
    std::string path;
    for (const TRect& r : rects) {
        if (r.Right <= r.Left || r.Bottom <= r.Top) continue;
        path += 'M';
        AppendNumber(path, r.Left);
        path += ' ';
        AppendNumber(path, r.Top);
        path += 'h';
        AppendNumber(path, static_cast<double>(static_cast<std::int64_t>(r.Right) - r.Left));
        path += 'v';
        AppendNumber(path, static_cast<double>(static_cast<std::int64_t>(r.Bottom) - r.Top));
        path += 'h';
        AppendNumber(path, -static_cast<double>(static_cast<std::int64_t>(r.Right) - r.Left));
        path += 'z';
    }
    if (path.empty()) return;
    // One element for all of them: a page of grids stays a few hundred elements, not thousands.
    // Lines a pixel thin are drawn light rather than snapped away when the page is shown smaller.
    body_ += "<path d=\"" + path + "\" fill=\"";
    AppendColor(body_, Brush.Color);
    body_ += "\" shape-rendering=\"geometricPrecision\"/>";
}

std::string TSvgCanvas::Svg() const {
    std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"";
    AppendNumber(out, width_);
    out += "\" height=\"";
    AppendNumber(out, height_);
    out += "\" viewBox=\"0 0 ";
    AppendNumber(out, width_);
    out += " ";
    AppendNumber(out, height_);
    out += "\" shape-rendering=\"crispEdges\" xml:space=\"preserve\"";
    // The face of most texts, inherited by them: a page's texts are nearly all in one face, and
    // the browser reads (and styles) each attribute written.
    std::size_t common = faces_.size();
    for (std::size_t i = 0; i < faces_.size() && i <= MaxMarkedFace; ++i) {
        if (common == faces_.size() || faces_[i].Texts > faces_[common].Texts) common = i;
    }
    if (common < faces_.size()) {
        out += " font-family=\"";
        out += faces_[common].Family;
        out += '"';
    }
    out += ">";
    out.reserve(out.size() + body_.size() + 64);
    std::size_t from = 0;
    for (std::size_t at = body_.find(FaceMark); at != std::string::npos; at = body_.find(FaceMark, from)) {
        out.append(body_, from, at - from);
        const auto face = static_cast<std::size_t>(static_cast<unsigned char>(body_[at + 1]));
        if (face != common) {
            out += " font-family=\"";
            out += faces_[face].Family;
            out += '"';
        }
        from = at + 2;
    }
    out.append(body_, from, std::string::npos);
    out += "</svg>";
    return out;
}
