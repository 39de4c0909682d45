#include "web/entry.h"

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "core/errors.h"
#include "core/generator.h"
#include "core/presets.h"
#include "core/sheet_run.h"
#include "core/window_texts.h"
#include "drawing/answer_list.h"
#include "drawing/worksheet.h"
#include "run/paper.h"
#include "run/run_options.h"
#include "run/sheet_page.h"
#include "web/json_writer.h"

namespace {

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

// What the page's print style needs: the paper's name and size, the border, the area inside it.
void WritePaper(JsonWriter& json, TPaper paper) {
    const TPaperSize size = PaperSize(paper), area = PrintableSize(paper);
    json.BeginObject()
        .Key("name")
        .String(PaperName(paper))
        .Key("size")
        .String(Millimetres(size.Width) + " " + Millimetres(size.Height))
        .Key("border")
        .String(Millimetres(SheetBorderMillimetres))
        .Key("areaWidth")
        .String(Millimetres(area.Width))
        .Key("areaHeight")
        .String(Millimetres(area.Height))
        .EndObject();
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

// Calls f(name, text) for each of the window's twenty digit fields and the text it holds, in
// the order of GenerationSettings::DigitRanges' four texts; stops at the first call that
// returns true.
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

struct FieldError {
    std::string Field, Value, Message;
    std::string Short;  // without the option's name, which the field says already
};

FieldError OptionError(const EOptionError& e) { return {e.Option(), e.Value(), e.what(), e.Reason()}; }

void WriteErrors(JsonWriter& json, const std::vector<FieldError>& errors) {
    json.Key("errors").BeginArray();
    for (const FieldError& e : errors) {
        json.BeginObject()
            .Key("field")
            .String(e.Field)
            .Key("value")
            .String(e.Value)
            .Key("message")
            .String(e.Message)
            .Key("short")
            .String(e.Short)
            .EndObject();
    }
    json.EndArray();
}

struct Request {
    RunOptions Options = DefaultRunOptions();
    std::vector<FieldError> Errors;
};

// Options first, in their order, as the command line takes them; then the window's fields,
// which hold what the teacher typed and are judged later, by the generator, as the window's are.
Request Read(std::string_view query) {
    Request r;
    for (const auto& [key, value] : QueryPairs(query)) {
        if (IsRunOption(key)) {
            try {
                ApplyRunOption(key, value, r.Options);
            } catch (const EOptionError& e) {
                r.Errors.push_back(OptionError(e));
            }
        } else if (std::string* text = DigitText(r.Options.Settings, key)) {
            *text = value;
        } else if (key == AnswerLowField) {
            r.Options.Settings.AnswerLowText = value;
        } else if (key == AnswerHighField) {
            r.Options.Settings.AnswerHighText = value;
        }
        // Other keys (a newer page's) are left alone, so that an old file opens a new link.
    }
    // A browser holds every page in memory at once: the page's limits are narrower than
    // tavrelo-sheets', which writes page by page.
    try {
        CheckPageLimits(r.Options);
    } catch (const EOptionError& e) {
        r.Errors.push_back(OptionError(e));
    }
    if (r.Errors.empty()) {
        try {
            CheckRunOptions(r.Options);
        } catch (const EOptionError& e) {
            r.Errors.push_back(OptionError(e));
        }
    }
    return r;
}

void WriteFields(JsonWriter& json, const RunOptions& o) {
    json.Key("fields").BeginObject();
    ForEachDigitField(o.Settings, [&](std::string_view name, const std::string& text) {
        json.Key(name).String(text);
        return false;
    });
    json.Key(AnswerLowField).String(o.Settings.AnswerLowText);
    json.Key(AnswerHighField).String(o.Settings.AnswerHighText);
    for (const auto& [name, value] : RunOptionValues(o, o.Seed.value_or(0))) {
        // The patterns and the range are the fields' already.
        if (name == "multiplicand" || name == "multiplier" || name == "answer") continue;
        json.Key(name).String(name == "seed" && !o.Seed ? std::string() : value);
    }
    json.EndObject();
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

std::string Refused(const std::vector<FieldError>& errors) {
    JsonWriter json;
    json.BeginObject();
    WriteErrors(json, errors);
    json.EndObject();
    return json.Text();
}

}  // namespace

std::string PresetsAnswer() {
    JsonWriter json;
    json.BeginArray();
    for (const SheetPreset& p : SheetPresets()) {
        json.BeginObject()
            .Key("name")
            .String(p.Name)
            .Key("title")
            .String(p.Title)
            .Key("multiplicand")
            .String(p.Multiplicand)
            .Key("multiplier")
            .String(p.Multiplier)
            .Key("answer")
            .String(p.Answer)
            .EndObject();
    }
    json.EndArray();
    return json.Text();
}

std::string TextsAnswer() {
    JsonWriter json;
    json.BeginObject().Key("hints").BeginArray();
    for (const char* hint : DigitFieldHints) json.String(hint);
    json.EndArray().Key("places").BeginArray();
    for (const char* place : PlaceNames) json.String(place);
    json.EndArray();
    const std::pair<const char*, const char*> words[] = {
        {"answerHint", AnswerFieldHint},     {"sentenceHint", SentenceFieldHint},
        {"numberHint", NumberFieldHint},     {"sentenceLabel", SentenceLabel},
        {"settingsLabel", SettingsLabel},    {"answerLabel", AnswerRangeLabel},
        {"numberLabel", NumberLabel},        {"countLabel", CountLabel},
        {"preview", PreviewLabel},           {"print", PrintLabel},
        {"warningCaption", ShortSetCaption}, {"warning", ShortSetWarning},
        {"defaultSentence", DefaultSentence}};
    for (const auto& [key, text] : words) json.Key(key).String(text);
    json.EndObject();
    return json.Text();
}

std::string ChoicesAnswer() {
    JsonWriter json;
    json.BeginObject();
    for (const TRunOption& option : RunOptionTable()) {
        json.Key(option.Name).BeginObject();
        if (!option.Choices.empty()) {
            json.Key("choices").BeginArray();
            for (const TOptionChoice& c : option.Choices) {
                json.BeginObject().Key("value").String(c.Value).Key("label").String(c.PageWords).EndObject();
            }
            json.EndArray();
        }
        if (const std::optional<TOptionLimits> limits = option.PageLimits ? option.PageLimits : option.Limits) {
            json.Key("min").Number(limits->Low).Key("max").Number(limits->High);
        }
        if (option.Default) json.Key("default").String(option.Default);
        json.EndObject();
    }
    json.EndObject();
    return json.Text();
}

std::string ReadAnswer(std::string_view query) {
    const Request r = Read(query);
    JsonWriter json;
    json.BeginObject();
    WriteErrors(json, r.Errors);
    WriteFields(json, r.Options);
    json.EndObject();
    return json.Text();
}

std::string MakeAnswer(std::string_view query, TTextMeasurer& measurer) {
    const Request r = Read(query);
    if (!r.Errors.empty()) return Refused(r.Errors);
    const RunOptions& o = r.Options;
    const std::uint32_t seed = ChooseSeed(o);
    bool isShort = false;
    try {
        isShort = FindShortSheet(o.Settings, seed, o.Sheets).has_value();
    } catch (const EConvertError& e) {
        // The window's message for a field it cannot read, with the field it was read from.
        return Refused({{e.Field(), e.Value(), e.what(), e.what()}});
    } catch (const Exception& e) {
        return Refused({{"", "", e.what(), e.what()}});
    }

    const PageSize area = PrintableArea(o.Paper);
    JsonWriter json;
    json.BeginObject();
    WriteErrors(json, {});
    json.Key("warning");
    if (isShort) {
        json.String(ShortSetWarning);
    } else {
        json.Null();
    }
    json.Key("seed").Number(static_cast<std::int64_t>(seed));
    std::string address;
    try {
        address = Address(o, seed);
    } catch (const Exception&) {
        // Fields that no pattern writes (the window allows a digit field to hold any one
        // character): the sheets are drawn, the address keeps the settings it had.
    }
    json.Key("address").String(address);
    json.Key("paper");
    WritePaper(json, o.Paper);
    json.Key("width").Number(std::int64_t{area.Width}).Key("height").Number(std::int64_t{area.Height});
    json.Key("pages").BeginArray();
    RunSheets(
        o.Settings, seed, o.Sheets, o.Answers,
        [&](std::int32_t sheet, bool answers, const ProblemSet& set, std::int32_t count) {
            TSvgCanvas canvas(area.Width, area.Height, measurer);
            const PageContent content = RunSheetPage(o, sheet, answers, set, count);
            MakePrint(canvas, area.Width, area.Height, content);
            json.BeginObject()
                .Key("sheet")
                .Number(std::int64_t{sheet} + 1)
                .Key("answers")
                .Bool(answers)
                .Key("number")
                .Number(std::int64_t{content.PrintNumber})
                .Key("svg")
                .String(canvas.Svg())
                .EndObject();
        },
        [&](const AnswerListPage& page) {
            // An answers page that stands for the first sheet it lists; "list" counts its pages.
            TSvgCanvas canvas(area.Width, area.Height, measurer);
            MakeAnswerList(canvas, area.Width, area.Height, RunListPage(o, page));
            const std::int32_t first = page.Rows.empty() ? 0 : page.Rows.front().Sheet;
            json.BeginObject()
                .Key("sheet")
                .Number(std::int64_t{first} + 1)
                .Key("answers")
                .Bool(true)
                .Key("number")
                .Number(std::int64_t{SheetNumber(o.FirstNumber, first)})
                .Key("list")
                .Number(std::int64_t{page.Page} + 1)
                .Key("svg")
                .String(canvas.Svg())
                .EndObject();
        });
    json.EndArray().EndObject();
    return json.Text();
}
