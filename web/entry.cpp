#include "web/entry.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "core/errors.h"
#include "core/generator.h"
#include "core/practice.h"
#include "core/presets.h"
#include "core/sheet_run.h"
#include "core/window_texts.h"
#include "core/worked_multiplication.h"
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

// Practice. The keys below are no run option's, so that Read passes over them.

std::optional<std::string> Param(const Pairs& pairs, std::string_view key) {
    std::optional<std::string> value;
    for (const auto& [k, v] : pairs) {
        if (k == key) value = v;
    }
    return value;
}

std::optional<int> SmallInteger(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

FieldError BadValue(std::string_view key, std::string_view value, std::string_view what) {
    const std::string reason = "\"" + std::string(value) + "\" " + std::string(what);
    return {std::string(key), std::string(value), std::string(key) + ": " + reason, reason};
}

FieldError Missing(std::string_view key) { return {std::string(key), "", std::string(key) + ": missing", "missing"}; }

// A number the key must hold, within low..high; with `fallback`, the key may be left out.
std::optional<int> NumberParam(const Pairs& pairs, std::string_view key, int low, int high,
                               std::vector<FieldError>& errors, std::optional<int> fallback = std::nullopt) {
    const std::optional<std::string> text = Param(pairs, key);
    if (!text) {
        if (!fallback) errors.push_back(Missing(key));
        return fallback;
    }
    const std::optional<int> n = SmallInteger(*text);
    if (!n || *n < low || *n > high) {
        errors.push_back(
            BadValue(key, *text, "is not a whole number from " + std::to_string(low) + " to " + std::to_string(high)));
        return std::nullopt;
    }
    return n;
}

struct PracticeSheet {
    std::string Key;  // the run and sheet it is of
    std::uint32_t Seed = 0;
    std::int32_t Sheet = 0, Number = 0;
    std::vector<TPracticeFigure> Figures;
};

// The sheet asked for. A pupil's every digit is judged against it, so the last one is kept
// rather than drawn again from the seed for each (sheet 100 of a run draws 100 sheets).
const PracticeSheet* SheetFor(const Request& r, const Pairs& pairs, std::vector<FieldError>& errors) {
    static PracticeSheet kept;
    const RunOptions& o = r.Options;
    const std::optional<int> sheet = NumberParam(pairs, "practice", 1, o.Sheets, errors, 1);
    if (!sheet) return nullptr;
    const std::uint32_t seed = ChooseSeed(o);
    std::string key;
    try {
        key = Address(o, seed);
    } catch (const Exception&) {
        // Fields no pattern writes: the run is named by what was typed.
        for (const auto& [k, v] : pairs) key += k + "=" + v + "&";
    }
    key += "#" + std::to_string(*sheet);
    if (o.Seed && kept.Key == key) return &kept;

    PracticeSheet made;
    made.Key = std::move(key);
    made.Seed = seed;
    made.Sheet = *sheet;
    try {
        RunSheets(o.Settings, seed, *sheet, AnswerPlacement::None,
                  [&](std::int32_t index, bool, const ProblemSet& set, std::int32_t count) {
                      if (index + 1 != *sheet) return;
                      made.Number = RunSheetPage(o, index, false, set, count).PrintNumber;
                      for (int k = 1; k <= count; ++k)
                          made.Figures.push_back(
                              MakePracticeFigure(set[k].MultiplicandText, set[k].MultiplierText, o.Style.Figure));
                  });
    } catch (const EConvertError& e) {
        errors.push_back({e.Field(), e.Value(), e.what(), e.what()});
        return nullptr;
    } catch (const Exception& e) {
        errors.push_back({"", "", e.what(), e.what()});
        return nullptr;
    }
    kept = std::move(made);
    return &kept;
}

void WriteLine(JsonWriter& json, const TWorkedNumber& line) {
    json.BeginObject().Key("text").String(line.Text).Key("cells").BeginArray();
    for (const TDigitCell& cell : line.Digits) {
        json.BeginObject().Key("column").Number(cell.Column).Key("digit").Number(cell.Digit).EndObject();
    }
    json.EndArray().Key("point");
    if (line.PointColumn) {
        json.Number(*line.PointColumn);
    } else {
        json.Null();
    }
    json.EndObject();
}

const char* SourceName(TCellSource source) {
    switch (source) {
        case TCellSource::DigitProduct:
            return "digitProduct";
        case TCellSource::ColumnSum:
            return "columnSum";
        case TCellSource::ShiftedZero:
            return "shiftedZero";
        case TCellSource::PointZero:
            return "pointZero";
    }
    return "";
}

const char* StepName(TStepKind kind) {
    switch (kind) {
        case TStepKind::DigitProduct:
            return "digitProduct";
        case TStepKind::ZeroRow:
            return "zeroRow";
        case TStepKind::ShiftedZeros:
            return "shiftedZeros";
        case TStepKind::Rule:
            return "rule";
        case TStepKind::ColumnSum:
            return "columnSum";
        case TStepKind::PointZeros:
            return "pointZeros";
        case TStepKind::Point:
            return "point";
        case TStepKind::Strike:
            return "strike";
    }
    return "";
}

const char* MistakeName(TMistake mistake) {
    switch (mistake) {
        case TMistake::None:
            return "none";
        case TMistake::Blank:
            return "blank";
        case TMistake::PartialCarryForgotten:
            return "partialCarryForgotten";
        case TMistake::PartialDigit:
            return "partialDigit";
        case TMistake::AdditionCarryForgotten:
            return "additionCarryForgotten";
        case TMistake::AdditionDigit:
            return "additionDigit";
        case TMistake::ZeroMissing:
            return "zeroMissing";
        case TMistake::RowShifted:
            return "rowShifted";
        case TMistake::ExtraDigit:
            return "extraDigit";
        case TMistake::PointMisplaced:
            return "pointMisplaced";
        case TMistake::ZeroLeftUnstruck:
            return "zeroLeftUnstruck";
        case TMistake::ValuedDigitStruck:
            return "valuedDigitStruck";
    }
    return "";
}

void WriteFigure(JsonWriter& json, const TPracticeFigure& f, int problem) {
    const TWorkedMultiplication& w = f.Worked;
    json.BeginObject().Key("problem").Number(problem);
    json.Key("multiplicand");
    WriteLine(json, w.Multiplicand);
    json.Key("multiplier");
    WriteLine(json, w.Multiplier);
    json.Key("product").String(w.ProductValue);
    json.Key("rows").BeginArray();
    for (const TPartialRow& row : w.Rows) {
        json.BeginObject().Key("place").Number(row.Place).Key("digit").Number(row.MultiplierDigit).EndObject();
    }
    json.EndArray().Key("ruleColumns").Number(w.RuleColumns);
    json.Key("cells").BeginArray();
    for (const TPracticeCell& c : f.Cells) {
        json.BeginObject()
            .Key("line")
            .Number(c.Line)
            .Key("column")
            .Number(c.Column)
            .Key("digit")
            .Number(c.Digit)
            .Key("strike")
            .Bool(c.Strike)
            .Key("source")
            .String(SourceName(c.Source))
            .Key("step")
            .Number(c.Step)
            .EndObject();
    }
    json.EndArray().Key("memos").BeginArray();
    for (const TMemoCell& m : f.Memos) {
        json.BeginObject()
            .Key("line")
            .Number(m.Line)
            .Key("column")
            .Number(m.Column)
            .Key("value")
            .Number(m.Value)
            .Key("step")
            .Number(m.Step)
            .EndObject();
    }
    json.EndArray().Key("point").BeginObject().Key("column");
    if (f.PointColumn) {
        json.Number(*f.PointColumn);
    } else {
        json.Null();
    }
    json.Key("struck")
        .Bool(f.PointStruck)
        .Key("multiplicandDigits")
        .Number(f.MultiplicandFractionDigits)
        .Key("multiplierDigits")
        .Number(f.MultiplierFractionDigits)
        .EndObject();
    json.Key("steps").BeginArray();
    for (const TPracticeStep& s : f.Steps) {
        json.BeginObject()
            .Key("kind")
            .String(StepName(s.Kind))
            .Key("line")
            .Number(s.Line)
            .Key("column")
            .Number(s.Column);
        if (s.Kind == TStepKind::DigitProduct) {
            json.Key("multiplicandDigit")
                .Number(s.MultiplicandDigit)
                .Key("multiplicandColumn")
                .Number(s.MultiplicandColumn)
                .Key("multiplierDigit")
                .Number(s.MultiplierDigit)
                .Key("multiplierColumn")
                .Number(s.MultiplierColumn);
        }
        if (s.Kind == TStepKind::ColumnSum) {
            json.Key("addends").BeginArray();
            for (const int addend : s.Addends) json.Number(addend);
            json.EndArray();
        }
        if (s.Kind == TStepKind::DigitProduct || s.Kind == TStepKind::ColumnSum) {
            json.Key("carryIn").Number(s.CarryIn).Key("carryOut").Number(s.CarryOut).Key("value").Number(s.Value);
        }
        json.Key("cells").BeginArray();
        for (const int cell : s.Cells) json.Number(cell);
        json.EndArray().Key("memo");
        if (s.Memo) {
            json.Number(*s.Memo);
        } else {
            json.Null();
        }
        json.EndObject();
    }
    json.EndArray().EndObject();
}

// A verdict's members, into the object being written.
void WriteVerdict(JsonWriter& json, const TVerdict& v) {
    json.Key("right").Bool(v.Right).Key("mistake").String(MistakeName(v.Mistake)).Key("hint").String(v.Hint);
}

std::vector<int> NumberList(std::string_view text, char separator, bool& ok) {
    std::vector<int> numbers;
    ok = true;
    while (!text.empty()) {
        const std::size_t end = text.find(separator);
        const std::optional<int> n = SmallInteger(text.substr(0, end));
        if (!n) ok = false;
        numbers.push_back(n.value_or(0));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return numbers;
}

// "L:C:D,L:C:D": each entry's line, column and digit.
std::optional<std::vector<TEntry>> Entries(std::string_view text) {
    std::vector<TEntry> entries;
    while (!text.empty()) {
        const std::size_t end = text.find(',');
        bool ok = false;
        const std::vector<int> parts = NumberList(text.substr(0, end), ':', ok);
        if (!ok || parts.size() != 3 || parts[2] < 0 || parts[2] > 9) return std::nullopt;
        entries.push_back({parts[0], parts[1], parts[2]});
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return entries;
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

std::string PracticeAnswer(std::string_view query) {
    const Request r = Read(query);
    if (!r.Errors.empty()) return Refused(r.Errors);
    const Pairs pairs = QueryPairs(query);
    std::vector<FieldError> errors;
    const PracticeSheet* sheet = SheetFor(r, pairs, errors);
    if (!sheet) return Refused(errors);
    const int count = static_cast<int>(sheet->Figures.size());
    const std::optional<int> problem = NumberParam(pairs, "problem", 1, std::max(count, 1), errors, 0);
    if (!errors.empty()) return Refused(errors);

    JsonWriter json;
    json.BeginObject();
    WriteErrors(json, {});
    json.Key("seed")
        .Number(static_cast<std::int64_t>(sheet->Seed))
        .Key("sheet")
        .Number(sheet->Sheet)
        .Key("number")
        .Number(sheet->Number)
        .Key("count")
        .Number(count);
    json.Key("mistakes").BeginObject();
    for (int m = static_cast<int>(TMistake::Blank); m <= static_cast<int>(TMistake::ValuedDigitStruck); ++m) {
        const auto mistake = static_cast<TMistake>(m);
        json.Key(MistakeName(mistake)).String(std::string(MistakeTitle(mistake)));
    }
    json.EndObject();
    json.Key("figures").BeginArray();
    for (int k = 1; k <= count; ++k) {
        if (*problem == 0 || *problem == k) WriteFigure(json, sheet->Figures[static_cast<std::size_t>(k - 1)], k);
    }
    json.EndArray().EndObject();
    return json.Text();
}

std::string JudgeAnswer(std::string_view query) {
    const Request r = Read(query);
    if (!r.Errors.empty()) return Refused(r.Errors);
    const Pairs pairs = QueryPairs(query);
    std::vector<FieldError> errors;
    // Without a seed each call would judge against other problems.
    if (!r.Options.Seed) return Refused({Missing("seed")});
    const PracticeSheet* sheet = SheetFor(r, pairs, errors);
    if (!sheet) return Refused(errors);
    const int count = static_cast<int>(sheet->Figures.size());
    const std::optional<int> problem = NumberParam(pairs, "problem", 1, count, errors);
    if (!problem) return Refused(errors);
    const TPracticeFigure& f = sheet->Figures[static_cast<std::size_t>(*problem - 1)];
    const std::string judge = Param(pairs, "judge").value_or("");

    JsonWriter json;
    json.BeginObject();
    if (judge == "cell") {
        const auto cell = NumberParam(pairs, "cell", 0, static_cast<int>(f.Cells.size()) - 1, errors);
        const auto digit = NumberParam(pairs, "digit", 0, 9, errors);
        if (!errors.empty()) return Refused(errors);
        WriteErrors(json, {});
        WriteVerdict(json, JudgeCell(f, *cell, *digit));
    } else if (judge == "point") {
        const std::string text = Param(pairs, "point").value_or("");
        const auto column = text.empty() ? std::nullopt : NumberParam(pairs, "point", 0, 20, errors);
        if (!errors.empty()) return Refused(errors);
        WriteErrors(json, {});
        WriteVerdict(json, JudgePoint(f, column));
    } else if (judge == "stray") {
        const auto line = NumberParam(pairs, "line", ProductLine, 20, errors);
        const auto column = NumberParam(pairs, "column", 0, 21, errors);
        const auto digit = NumberParam(pairs, "digit", 0, 9, errors);
        if (!errors.empty()) return Refused(errors);
        const bool hasCell = std::any_of(f.Cells.begin(), f.Cells.end(), [&](const TPracticeCell& c) {
            return c.Line == *line && c.Column == *column;
        });
        if (hasCell)
            return Refused({BadValue("column", Param(pairs, "column").value_or(""), "has a cell: judge=cell")});
        WriteErrors(json, {});
        WriteVerdict(json, JudgeStray(f, *line, *column, *digit));
    } else if (judge == "strike") {
        const auto column = NumberParam(pairs, "column", 0, 20, errors);
        if (!errors.empty()) return Refused(errors);
        WriteErrors(json, {});
        WriteVerdict(json, JudgeStrike(f, *column));
    } else if (judge == "all") {
        TFigureEntries entries;
        const std::string digits = Param(pairs, "digits").value_or("");
        if (const auto parsed = Entries(digits)) {
            entries.Digits = *parsed;
        } else {
            errors.push_back(BadValue("digits", digits, "is not a list of line:column:digit"));
        }
        const std::string point = Param(pairs, "point").value_or("");
        if (!point.empty()) entries.Point = NumberParam(pairs, "point", 0, 20, errors);
        const std::string struck = Param(pairs, "struck").value_or("");
        bool ok = true;
        entries.Struck = NumberList(struck, ',', ok);
        if (!ok) errors.push_back(BadValue("struck", struck, "is not a list of columns"));
        if (!errors.empty()) return Refused(errors);
        const TFigureVerdict v = JudgeFigure(f, entries);
        WriteErrors(json, {});
        json.Key("right").Bool(v.Right).Key("cells").BeginArray();
        for (const TCellVerdict& c : v.Cells) {
            json.BeginObject().Key("cell").Number(c.Cell).Key("entered");
            if (c.Entered) {
                json.Number(*c.Entered);
            } else {
                json.Null();
            }
            WriteVerdict(json, c.Verdict);
            json.EndObject();
        }
        json.EndArray().Key("stray").BeginArray();
        for (const auto& [entry, verdict] : v.Stray) {
            json.BeginObject()
                .Key("line")
                .Number(entry.Line)
                .Key("column")
                .Number(entry.Column)
                .Key("digit")
                .Number(entry.Digit);
            WriteVerdict(json, verdict);
            json.EndObject();
        }
        json.EndArray().Key("point").BeginObject();
        WriteVerdict(json, v.Point);
        json.EndObject().Key("strikes").BeginArray();
        for (const TStrikeVerdict& s : v.Strikes) {
            json.BeginObject().Key("column").Number(s.Column);
            WriteVerdict(json, s.Verdict);
            json.EndObject();
        }
        json.EndArray();
    } else {
        return Refused({BadValue("judge", judge, "is not cell, stray, point, strike or all")});
    }
    json.EndObject();
    return json.Text();
}
