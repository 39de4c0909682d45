#include "drawing/run_options.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <limits>

#include "core/digit_pattern.h"
#include "core/numtext.h"
#include "core/presets.h"
#include "core/window_texts.h"
#include "drawing/utf8.h"

namespace {

constexpr const char* DefaultMultiplicand = "[1-9].[1-9]";
constexpr const char* DefaultMultiplier = "[2-9]";
constexpr const char* DefaultAnswer = "0:1000";
constexpr std::int32_t MaxSheets = 1000;

[[noreturn]] void Fail(std::string_view name, const std::string& message) {
    throw EOptionError("--" + std::string(name) + ": " + message);
}

// The core's messages start with the text they were given, quoted whole: it is quoted again
// the way every value is quoted here. `texts` are the ones the message may start with.
std::string CoreMessage(const Exception& error, std::initializer_list<std::string_view> texts) {
    const std::string message = error.what();
    for (std::string_view text : texts) {
        const std::string quoted = "'" + std::string(text) + "'";
        if (message.starts_with(quoted)) return QuotedValue(text) + message.substr(quoted.size());
    }
    return message;
}

std::int32_t IntegerValue(std::string_view name, std::string_view value) {
    try {
        return ParseInteger(value);
    } catch (const EConvertError& e) {
        Fail(name, CoreMessage(e, {value}));
    }
}

OperandPlaces PatternValue(std::string_view name, std::string_view value) {
    try {
        return ParseDigitPattern(value);
    } catch (const EPatternError& e) {
        Fail(name, CoreMessage(e, {value}));
    }
}

void SetAnswer(std::string_view name, std::string_view value, GenerationSettings& settings) {
    AnswerRangeTexts texts;
    try {
        texts = SplitAnswerRange(value);
        // Judged now, as the window would, so that a bad bound is refused before any work.
        (void)ParseDecimal(texts.Low);
        (void)ParseDecimal(texts.High);
        settings.AnswerLowText = texts.Low;
        settings.AnswerHighText = texts.High;
    } catch (const Exception& e) {
        Fail(name, CoreMessage(e, {value, texts.Low, texts.High}));
    }
}

std::uint32_t SeedValue(std::string_view value) {
    bool digitsOnly = !value.empty() && value.size() <= 10;
    for (char c : value) digitsOnly = digitsOnly && c >= '0' && c <= '9';
    std::uint64_t n = 0;
    if (digitsOnly) std::from_chars(value.data(), value.data() + value.size(), n);
    if (!digitsOnly || n > std::numeric_limits<std::uint32_t>::max())
        Fail("seed", QuotedValue(value) + " は 0 から 4294967295 までの整数ではありません");
    return static_cast<std::uint32_t>(n);
}

struct PaperEntry {
    const char* name;
    TPaper paper;
    TPaperSize size;
};
// Japanese schools mean the JIS B sizes when they say B5 or B4.
constexpr PaperEntry Papers[] = {
    {"A4", TPaper::A4, {210, 297}},
    {"B5", TPaper::B5, {182, 257}},
    {"B4", TPaper::B4, {257, 364}},
    {"A3", TPaper::A3, {297, 420}},
    {"Letter", TPaper::Letter, {215.9, 279.4}},
};

const PaperEntry& Paper(TPaper paper) {
    for (const PaperEntry& p : Papers) {
        if (p.paper == paper) return p;
    }
    return Papers[0];
}

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

void ApplyPreset(std::string_view value, GenerationSettings& settings) {
    const SheetPreset* preset = FindSheetPreset(value);
    if (!preset) Fail("preset", QuotedValue(value) + " という設定はありません（--list-presets で一覧を表示します）");
    SetDigitRanges(settings, ParseDigitPattern(preset->Multiplicand), ParseDigitPattern(preset->Multiplier));
    const AnswerRangeTexts answer = SplitAnswerRange(preset->Answer);
    settings.AnswerLowText = answer.Low;
    settings.AnswerHighText = answer.High;
}

// One of a few words, or the message that lists them.
template <typename T, std::size_t N>
T Choice(std::string_view name, std::string_view value, const std::array<std::pair<const char*, T>, N>& words,
         const char* listed) {
    for (const auto& [word, meaning] : words) {
        if (value == word) return meaning;
    }
    Fail(name, QuotedValue(value) + " は " + listed);
}

constexpr const char* Names[] = {"multiplicand", "multiplier", "answer", "problems", "sheets", "number", "sentence",
                                 "answers",      "paper",      "zeros",  "numbers",  "header", "seed",   "preset"};

}  // namespace

RunOptions DefaultRunOptions() {
    RunOptions o;
    o.Settings.RequestedCount = 16;
    SetDigitRanges(o.Settings, ParseDigitPattern(DefaultMultiplicand), ParseDigitPattern(DefaultMultiplier));
    const AnswerRangeTexts answer = SplitAnswerRange(DefaultAnswer);
    o.Settings.AnswerLowText = answer.Low;
    o.Settings.AnswerHighText = answer.High;
    o.Sentence = DefaultSentence;
    return o;
}

bool IsRunOption(std::string_view name) {
    for (const char* n : Names) {
        if (name == n) return true;
    }
    return false;
}

void ApplyRunOption(std::string_view name, std::string_view value, RunOptions& o) {
    if (name == "multiplicand") {
        SetDigitRanges(o.Settings, PatternValue(name, value), MultiplierPlaces(o.Settings));
    } else if (name == "multiplier") {
        SetDigitRanges(o.Settings, MultiplicandPlaces(o.Settings), PatternValue(name, value));
    } else if (name == "answer") {
        SetAnswer(name, value, o.Settings);
    } else if (name == "problems") {
        const std::int32_t n = IntegerValue(name, value);
        if (n != 12 && n != 16) Fail(name, QuotedValue(value) + " は 12 か 16 ではありません");
        o.Settings.RequestedCount = n;
    } else if (name == "sheets") {
        const std::int32_t n = IntegerValue(name, value);
        if (n < 1 || n > MaxSheets) Fail(name, QuotedValue(value) + " は 1 から 1000 までの枚数ではありません");
        o.Sheets = n;
    } else if (name == "number") {
        o.FirstNumber = IntegerValue(name, value);
    } else if (name == "sentence") {
        o.Sentence = std::string(value);
    } else if (name == "answers") {
        o.Answers = Choice<AnswerPlacement, 3>(
            name, value,
            {{{"after", AnswerPlacement::After}, {"end", AnswerPlacement::End}, {"none", AnswerPlacement::None}}},
            "after、end、none のどれでもありません");
    } else if (name == "paper") {
        const PaperEntry* found = nullptr;
        for (const PaperEntry& p : Papers) {
            if (SameLetters(value, p.name)) found = &p;
        }
        if (!found) Fail(name, QuotedValue(value) + " は A4、B5、B4、A3、Letter のどれでもありません");
        o.Paper = found->paper;
    } else if (name == "zeros") {
        o.Style.StruckZeros = Choice<bool, 2>(name, value, {{{"struck", true}, {"omitted", false}}},
                                              "struck、omitted のどちらでもありません");
    } else if (name == "numbers") {
        o.Style.ProblemNumbers =
            Choice<bool, 2>(name, value, {{{"on", true}, {"off", false}}}, "on、off のどちらでもありません");
    } else if (name == "header") {
        o.Style.Header =
            Choice<THeader, 2>(name, value, {{{"name", THeader::Name}, {"name-date-score", THeader::NameDateScore}}},
                               "name、name-date-score のどちらでもありません");
    } else if (name == "seed") {
        o.Seed = SeedValue(value);
    } else if (name == "preset") {
        ApplyPreset(value, o.Settings);
    } else {
        throw EOptionError(QuotedValue("--" + std::string(name)) + " というオプションはありません");
    }
}

void CheckRunOptions(const RunOptions& options) {
    const std::int64_t last = static_cast<std::int64_t>(options.FirstNumber) + options.Sheets - 1;
    if (last > std::numeric_limits<std::int32_t>::max()) {
        throw EOptionError("--number: " + std::to_string(options.FirstNumber) + " から " +
                           std::to_string(options.Sheets) + " 枚では、最後の番号が 2147483647 を超えます");
    }
}

std::string QuotedValue(std::string_view value) {
    // Counted in UTF-16 units, as the command line's own messages have always counted them.
    constexpr std::size_t Longest = 80;
    std::string shown;
    std::size_t units = 0;
    for (std::size_t i = 0; i < value.size();) {
        const std::size_t start = i;
        const char32_t c = NextCodePoint(value, i);
        // C0, DEL and C1: an escape sequence in a message would be obeyed by the terminal.
        const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
        std::string one;
        std::size_t oneUnits = 0;
        if (control) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned>(c));
            one = escape;
            oneUnits = one.size();
        } else {
            one = c == 0xFFFD ? ReplacementCharacter : value.substr(start, i - start);
            oneUnits = c >= 0x10000 ? 2 : 1;
        }
        if (units + oneUnits > Longest) {
            shown += "\u2026";  // …
            break;
        }
        shown += one;
        units += oneUnits;
    }
    return "'" + shown + "'";
}

const char* PaperName(TPaper paper) { return Paper(paper).name; }

TPaperSize PaperSize(TPaper paper) { return Paper(paper).size; }

std::vector<std::pair<std::string, std::string>> RunOptionValues(const RunOptions& options, std::uint32_t seed) {
    const GenerationSettings& s = options.Settings;
    const char* answers = options.Answers == AnswerPlacement::After ? "after"
                          : options.Answers == AnswerPlacement::End ? "end"
                                                                    : "none";
    return {
        {"seed", std::to_string(seed)},
        {"multiplicand", FormatDigitPattern(MultiplicandPlaces(s))},
        {"multiplier", FormatDigitPattern(MultiplierPlaces(s))},
        {"answer", s.AnswerLowText + ":" + s.AnswerHighText},
        {"problems", std::to_string(s.RequestedCount)},
        {"sheets", std::to_string(options.Sheets)},
        {"number", std::to_string(options.FirstNumber)},
        {"sentence", options.Sentence},
        {"answers", answers},
        {"paper", PaperName(options.Paper)},
        {"zeros", options.Style.StruckZeros ? "struck" : "omitted"},
        {"numbers", options.Style.ProblemNumbers ? "on" : "off"},
        {"header", options.Style.Header == THeader::NameDateScore ? "name-date-score" : "name"},
    };
}
