// The browser edition's entry: the page hands its settings over in the address's own syntax
// (tavrelo-sheets' long option names and values, URL-encoded, "&"-separated), plus the window's
// field names for the fields a teacher typed into, and gets back JSON: the messages, or the
// sheets as SVG drawn by the same page layout as every other edition.
// Built by `make web` (em++, see web/CMakeLists.txt) into one HTML file with web/page.html.
#include <emscripten/emscripten.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/digit_pattern.h"
#include "core/errors.h"
#include "core/generator.h"
#include "core/presets.h"
#include "core/sheet_run.h"
#include "core/window_texts.h"
#include "drawing/svg_canvas.h"
#include "drawing/worksheet.h"
#include "run/paper.h"
#include "run/run_options.h"
#include "run/sheet_page.h"

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

// The printable area of a sheet at 96 pixels to the inch (the browser's CSS pixel).
struct PageSize {
    std::int32_t Width, Height;
};
PageSize PrintableArea(TPaper paper) {
    const TPaperSize area = PrintableSize(paper);
    const auto px = [](double mm) { return static_cast<std::int32_t>(mm / 25.4 * 96 + 0.5); };
    return {px(area.Width), px(area.Height)};
}

// A length in millimetres as CSS takes it ("215.9mm").
std::string Millimetres(double mm) {
    const auto tenths = static_cast<long long>(mm * 10 + 0.5);
    return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "") + "mm";
}

// Appends text as a JSON string: the runs that need no escape at once (a sheet's image is tens of
// kilobytes, nearly all of it such runs).
void AppendJson(std::string& out, std::string_view text) {
    out += '"';
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\' && c != '<') continue;
        out.append(text, from, i - from);
        from = i + 1;
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '<':
                // Never "</script>" in what the page may print into the document.
                out += "\\u003c";
                break;
            default:
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
        }
    }
    out.append(text, from, std::string_view::npos);
    out += '"';
}

std::string Json(std::string_view text) {
    std::string out;
    AppendJson(out, text);
    return out;
}

// What the page's print style needs: the paper's name and size, the border, the area inside it.
std::string PaperJson(TPaper paper) {
    const TPaperSize size = PaperSize(paper), area = PrintableSize(paper);
    return "{\"name\":" + Json(PaperName(paper)) +
           ",\"size\":" + Json(Millimetres(size.Width) + " " + Millimetres(size.Height)) +
           ",\"border\":" + Json(Millimetres(SheetBorderMillimetres)) +
           ",\"areaWidth\":" + Json(Millimetres(area.Width)) + ",\"areaHeight\":" + Json(Millimetres(area.Height)) +
           "}";
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string UrlDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string UrlEncoded(std::string_view text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~' || c == ':' || c == '[' || c == ']') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs QueryPairs(std::string_view query) {
    Pairs pairs;
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view part = query.substr(0, amp);
        if (!part.empty()) {
            const std::size_t eq = part.find('=');
            pairs.emplace_back(UrlDecoded(part.substr(0, eq)),
                               eq == std::string_view::npos ? std::string() : UrlDecoded(part.substr(eq + 1)));
        }
        if (amp == std::string_view::npos) break;
        query.remove_prefix(amp + 1);
    }
    return pairs;
}

// Calls f(name, text) for each of the window's twenty digit fields and the text it holds; stops
// at the first call that returns true.
template <typename Settings, typename F>
void ForEachDigitField(Settings& s, F f) {
    for (std::size_t k = 0; k < 5; ++k) {
        auto& r = s.DigitRanges[k];
        const std::array texts{&r.MultiplicandLow, &r.MultiplicandHigh, &r.MultiplierLow, &r.MultiplierHigh};
        for (std::size_t i = 0; i < 4; ++i) {
            if (f(std::string_view(DigitFieldNames[k][i]), *texts[i])) return;
        }
    }
}

std::string* DigitText(GenerationSettings& s, std::string_view field) {
    std::string* found = nullptr;
    ForEachDigitField(s, [&](std::string_view name, std::string& text) {
        if (name == field) found = &text;
        return found != nullptr;
    });
    return found;
}

struct Request {
    RunOptions Options = DefaultRunOptions();
    std::string Errors;  // JSON objects, comma-separated
    bool FieldsGiven = false;
};

void AddError(Request& r, std::string_view key, std::string_view message) {
    if (!r.Errors.empty()) r.Errors += ",";
    r.Errors += "{\"key\":" + Json(key) + ",\"message\":" + Json(message) + "}";
}

// Options first, in their order, as the command line takes them; then the window's fields,
// which hold what the teacher typed and are judged later, by the generator, as the window's are.
Request Read(std::string_view query) {
    Request r;
    for (const auto& [key, value] : QueryPairs(query)) {
        if (IsRunOption(key)) {
            try {
                ApplyRunOption(key, value, r.Options);
            } catch (const Exception& e) {
                AddError(r, key, e.what());
            }
        } else if (std::string* text = DigitText(r.Options.Settings, key)) {
            *text = value;
            r.FieldsGiven = true;
        } else if (key == "AnsLow") {
            r.Options.Settings.AnswerLowText = value;
        } else if (key == "AnsHigh") {
            r.Options.Settings.AnswerHighText = value;
        }
        // Other keys (a newer page's) are left alone, so that an old file opens a new link.
    }
    // A browser holds every page in memory at once: the page's limits are narrower than
    // tavrelo-sheets', which writes page by page.
    try {
        CheckPageLimits(r.Options);
    } catch (const EOptionError& e) {
        AddError(r, e.Option(), e.what());
    }
    if (r.Errors.empty()) {
        try {
            CheckRunOptions(r.Options);
        } catch (const Exception& e) {
            AddError(r, "number", e.what());
        }
    }
    return r;
}

std::string FieldsJson(const RunOptions& o) {
    std::string out = "{";
    ForEachDigitField(o.Settings, [&](std::string_view name, const std::string& text) {
        out += Json(name) + ":" + Json(text) + ",";
        return false;
    });
    out += "\"AnsLow\":" + Json(o.Settings.AnswerLowText) + ",\"AnsHigh\":" + Json(o.Settings.AnswerHighText);
    for (const auto& [name, value] : RunOptionValues(o, o.Seed.value_or(0))) {
        if (name == "seed" && !o.Seed) {
            out += ",\"seed\":\"\"";
            continue;
        }
        if (name == "multiplicand" || name == "multiplier" || name == "answer") continue;
        out += "," + Json(name) + ":" + Json(value);
    }
    return out + "}";
}

// The address of a run: the options that make it again.
std::string Address(const RunOptions& o, std::uint32_t seed) {
    std::string out;
    for (const auto& [name, value] : RunOptionValues(o, seed)) {
        if (!out.empty()) out += "&";
        out += name + "=" + UrlEncoded(value);
    }
    return out;
}

const char* Answer(std::string json) {
    static std::string kept;
    kept = std::move(json);
    return kept.c_str();
}

}  // namespace

extern "C" {

// The presets as the command line lists them.
EMSCRIPTEN_KEEPALIVE const char* tavrelo_presets() {
    std::string out = "[";
    for (const SheetPreset& p : SheetPresets()) {
        if (out.size() > 1) out += ",";
        out += "{\"name\":" + Json(p.Name) + ",\"title\":" + Json(p.Title) +
               ",\"multiplicand\":" + Json(p.Multiplicand) + ",\"multiplier\":" + Json(p.Multiplier) +
               ",\"answer\":" + Json(p.Answer) + "}";
    }
    return Answer(out + "]");
}

// The window's words the page shows.
EMSCRIPTEN_KEEPALIVE const char* tavrelo_texts() {
    std::string out = "{\"hints\":[";
    for (std::size_t k = 0; k < 5; ++k) out += std::string(k ? "," : "") + Json(DigitFieldHints[k]);
    out += "],\"places\":[";
    for (std::size_t k = 0; k < 5; ++k) out += std::string(k ? "," : "") + Json(PlaceNames[k]);
    out += "],\"answerHint\":" + Json(AnswerFieldHint) + ",\"sentenceHint\":" + Json(SentenceFieldHint) +
           ",\"numberHint\":" + Json(NumberFieldHint) + ",\"sentenceLabel\":" + Json(SentenceLabel) +
           ",\"settingsLabel\":" + Json(SettingsLabel) + ",\"answerLabel\":" + Json(AnswerRangeLabel) +
           ",\"numberLabel\":" + Json(NumberLabel) + ",\"countLabel\":" + Json(CountLabel) + ",\"countChoices\":[" +
           Json(CountChoices[0]) + "," + Json(CountChoices[1]) + "],\"preview\":" + Json(PreviewLabel) +
           ",\"print\":" + Json(PrintLabel) + ",\"warningCaption\":" + Json(ShortSetCaption) +
           ",\"warning\":" + Json(ShortSetWarning) + ",\"defaultSentence\":" + Json(DefaultSentence) + "}";
    return Answer(out);
}

// An address read into what the fields show: {"errors": [...], "fields": {...}}.
EMSCRIPTEN_KEEPALIVE const char* tavrelo_read(const char* query) {
    const Request r = Read(query);
    return Answer("{\"errors\":[" + r.Errors + "],\"fields\":" + FieldsJson(r.Options) + "}");
}

// Draws the run: {"errors": [...]} when a value is refused, else {"errors": [], "warning": ...,
// "seed": N, "address": "...", "pages": [{"sheet": S, "answers": B, "number": N, "svg": "..."}]}.
EMSCRIPTEN_KEEPALIVE const char* tavrelo_make(const char* query) {
    Request r = Read(query);
    if (!r.Errors.empty()) return Answer("{\"errors\":[" + r.Errors + "]}");
    const RunOptions& o = r.Options;
    const std::uint32_t seed = ChooseSeed(o);
    std::string warning = "null";
    try {
        if (FindShortSheet(o.Settings, seed, o.Sheets)) warning = Json(ShortSetWarning);
    } catch (const Exception& e) {
        // The window's message for a field it cannot read; the page puts it by that field.
        const auto* convert = dynamic_cast<const EConvertError*>(&e);
        const std::string key = convert && !convert->Field().empty() ? convert->Field() : std::string("answer");
        const std::string message = e.what();
        AddError(r, key, message);
        return Answer("{\"errors\":[" + r.Errors + "]}");
    }

    BrowserMeasurer& measurer = Measurer();
    const PageSize area = PrintableArea(o.Paper);
    std::string pages;
    RunSheets(o.Settings, seed, o.Sheets, o.Answers,
              [&](std::int32_t sheet, bool answers, const ProblemSet& set, std::int32_t count) {
                  TSvgCanvas canvas(area.Width, area.Height, measurer);
                  const PageContent content = RunSheetPage(o, sheet, answers, set, count);
                  MakePrint(canvas, area.Width, area.Height, content);
                  if (!pages.empty()) pages += ",";
                  pages += "{\"sheet\":" + std::to_string(sheet + 1) + ",\"answers\":" + (answers ? "true" : "false") +
                           ",\"number\":" + std::to_string(content.PrintNumber) + ",\"svg\":";
                  AppendJson(pages, canvas.Svg());
                  pages += "}";
              });
    std::string address;
    try {
        address = Address(o, seed);
    } catch (const Exception&) {
        // Fields that no pattern writes (the window allows a digit field to hold any one
        // character): the sheets are drawn, the address keeps the settings it had.
    }
    return Answer("{\"errors\":[],\"warning\":" + warning + ",\"seed\":" + std::to_string(seed) + ",\"address\":" +
                  Json(address) + ",\"paper\":" + PaperJson(o.Paper) + ",\"width\":" + std::to_string(area.Width) +
                  ",\"height\":" + std::to_string(area.Height) + ",\"pages\":[" + pages + "]}");
}

}  // extern "C"
