// The browser edition's entry: the page's calls into the module (web/entry.h answers them) and
// the module's calls out to the page, which measures texts in the browser's own fonts.
// Built by `make web` (em++, see web/CMakeLists.txt) into one HTML file with web/page.html.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "drawing/svg_canvas.h"
#include "web/entry.h"

// The browser measures: in the page's font, at a size chosen for the cell height.
EM_JS(double, tavrelo_font_size, (const char* family, int cell),
      { return tavreloMeasure.size(UTF8ToString(family), cell); });
EM_JS(double, tavrelo_font_ascent, (const char* family, int cell),
      { return tavreloMeasure.ascent(UTF8ToString(family), cell); });
EM_JS(int, tavrelo_text_width, (const char* family, int cell, const char* text, int length),
      { return tavreloMeasure.width(UTF8ToString(family), cell, UTF8ToString(text, length)); });

namespace {

// Every answer is kept: a page asks for the same few fonts and texts again and again (a digit's
// width for each figure it fits), and each question to the browser is a call out of WebAssembly
// with its strings decoded on the way. The browser's font does not change while the page is open.
class BrowserMeasurer : public TTextMeasurer {
public:
    TSvgFontMetrics Metrics(const TFont& font) override {
        Key(font, {});
        const auto [at, added] = metrics_.try_emplace(key_);
        if (added) {
            const std::string family = SvgFontFamily(font.Name);
            at->second = {tavrelo_font_size(family.c_str(), font.Height),
                          tavrelo_font_ascent(family.c_str(), font.Height)};
        }
        return at->second;
    }
    std::int32_t Width(const TFont& font, std::string_view text) override {
        Key(font, text);
        const auto [at, added] = widths_.try_emplace(key_);
        if (added) {
            const std::string family = SvgFontFamily(font.Name);
            at->second = tavrelo_text_width(family.c_str(), font.Height, text.data(), static_cast<int>(text.size()));
        }
        return at->second;
    }

private:
    // The face, the height and the text, apart: no face name holds a NUL.
    void Key(const TFont& font, std::string_view text) {
        key_.assign(font.Name);
        key_ += '\0';
        key_ += std::to_string(font.Height);
        key_ += '\0';
        key_ += text;
    }
    std::string key_;
    std::unordered_map<std::string, TSvgFontMetrics> metrics_;
    std::unordered_map<std::string, std::int32_t> widths_;
};

BrowserMeasurer& Measurer() {
    static BrowserMeasurer measurer;
    return measurer;
}

// The answer stays until the next call: the page copies it out as a string at once.
const char* Answer(std::string json) {
    static std::string kept;
    kept = std::move(json);
    return kept.c_str();
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* tavrelo_presets() { return Answer(PresetsAnswer()); }

EMSCRIPTEN_KEEPALIVE const char* tavrelo_texts() { return Answer(TextsAnswer()); }

EMSCRIPTEN_KEEPALIVE const char* tavrelo_choices() { return Answer(ChoicesAnswer()); }

EMSCRIPTEN_KEEPALIVE const char* tavrelo_read(const char* query) { return Answer(ReadAnswer(query)); }

EMSCRIPTEN_KEEPALIVE const char* tavrelo_make(const char* query) { return Answer(MakeAnswer(query, Measurer())); }

EMSCRIPTEN_KEEPALIVE const char* tavrelo_practice(const char* query) { return Answer(PracticeAnswer(query)); }

EMSCRIPTEN_KEEPALIVE const char* tavrelo_judge(const char* query) { return Answer(JudgeAnswer(query)); }

}  // extern "C"
