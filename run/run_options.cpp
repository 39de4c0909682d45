#include "run/run_options.h"

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

// SheetProblemCounts' order. Six choices read better on the page with their counts; the window's
// two keep its words ("３段４列") after theirs.
constexpr TOptionChoice ProblemCounts[] = {{"6", "6問（３段２列）"},   {"8", "8問（４段２列）"},
                                           {"10", "10問（５段２列）"}, {"12", "12問（３段４列）"},
                                           {"16", "16問（４段４列）"}, {"20", "20問（５段４列）"}};
constexpr TOptionChoice AnswerPlacements[] = {{"after", "問題用紙の次に"},
                                              {"end", "最後にまとめて"},
                                              {"none", "なし"},
                                              {"list", "一覧"}};  // AnswerPlacement's order
constexpr auto PaperChoices = [] {
    std::array<TOptionChoice, std::size(Papers)> choices{};
    for (std::size_t i = 0; i < choices.size(); ++i) choices[i] = {Papers[i].Name, Papers[i].Name};
    return choices;
}();
constexpr TOptionChoice Zeros[] = {{"struck", "書いて斜線で消す"}, {"omitted", "書かない"}};
constexpr TOptionChoice Numbers[] = {{"on", "つける"}, {"off", "つけない"}};
constexpr TOptionChoice Headers[] = {{"name", "名前"}, {"name-date-score", "名前・月日・点数"}};
constexpr THeader HeaderOf[] = {THeader::Name, THeader::NameDateScore};  // Headers' order
// In TFigureGrid's order.
constexpr TOptionChoice Grids[] = {{"none", "なし"}, {"squares", "マス目"}};

constexpr const char* NoneOfThem = "は {choices} のどれでもありません";
constexpr const char* NeitherOfThem = "は {choices} のどちらでもありません";

// constexpr: read by DefaultRunOptions wherever it is called, before any other initialisation.
constexpr TRunOption Table[] = {
    {.Name = "multiplicand",
     .Kind = TOptionKind::Pattern,
     .Default = "[1-9].[1-9]",
     .SetText =
         [](RunOptions& o, std::string_view v) {
             SetDigitRanges(o.Settings, ParseDigitPattern(v), MultiplierPlaces(o.Settings));
         },
     .TextOf = [](const RunOptions& o) { return FormatDigitPattern(MultiplicandPlaces(o.Settings)); }},
    {.Name = "multiplier",
     .Kind = TOptionKind::Pattern,
     .Default = "[2-9]",
     .SetText =
         [](RunOptions& o, std::string_view v) {
             SetDigitRanges(o.Settings, MultiplicandPlaces(o.Settings), ParseDigitPattern(v));
         },
     .TextOf = [](const RunOptions& o) { return FormatDigitPattern(MultiplierPlaces(o.Settings)); }},
    {.Name = "answer",
     .Kind = TOptionKind::AnswerRange,
     .Default = "0:1000",
     .SetText =
         [](RunOptions& o, std::string_view v) {
             AnswerRangeTexts texts = SplitAnswerRange(v);
             o.Settings.AnswerLowText = std::move(texts.Low);
             o.Settings.AnswerHighText = std::move(texts.High);
         },
     .TextOf = [](const RunOptions& o) { return o.Settings.AnswerLowText + ":" + o.Settings.AnswerHighText; }},
    {.Name = "problems",
     .Kind = TOptionKind::Integer,
     .Choices = ProblemCounts,
     .Default = "16",
     .Refusal = NoneOfThem,
     .SetNumber = [](RunOptions& o, std::int64_t n) { o.Settings.RequestedCount = static_cast<std::int32_t>(n); },
     .NumberOf = [](const RunOptions& o) -> std::int64_t { return o.Settings.RequestedCount; }},
    {.Name = "sheets",
     .Kind = TOptionKind::Integer,
     .Default = "1",
     .Limits = TOptionLimits{1, 1000},
     .PageLimits = TOptionLimits{1, 100},
     .Refusal = "は {low} から {high} までの枚数ではありません",
     .SetNumber = [](RunOptions& o, std::int64_t n) { o.Sheets = static_cast<std::int32_t>(n); },
     .NumberOf = [](const RunOptions& o) -> std::int64_t { return o.Sheets; }},
    {.Name = "number",
     .Kind = TOptionKind::Integer,
     .Default = "1",
     .SetNumber = [](RunOptions& o, std::int64_t n) { o.FirstNumber = static_cast<std::int32_t>(n); },
     .NumberOf = [](const RunOptions& o) -> std::int64_t { return o.FirstNumber; }},
    {.Name = "sentence",
     .Kind = TOptionKind::Text,
     .Default = DefaultSentence,
     .SetText = [](RunOptions& o, std::string_view v) { o.Sentence = std::string(v); },
     .TextOf = [](const RunOptions& o) { return o.Sentence; }},
    {.Name = "answers",
     .Kind = TOptionKind::Choice,
     .Choices = AnswerPlacements,
     .Default = "after",
     .Refusal = NoneOfThem,
     .SetNumber = [](RunOptions& o, std::int64_t i) { o.Answers = static_cast<AnswerPlacement>(i); },
     .NumberOf = [](const RunOptions& o) { return static_cast<std::int64_t>(o.Answers); }},
    {.Name = "paper",
     .Kind = TOptionKind::Choice,
     .Choices = PaperChoices,
     .AnyCase = true,
     .Default = "A4",
     .Refusal = NoneOfThem,
     .SetNumber = [](RunOptions& o, std::int64_t i) { o.Paper = Papers[i].Paper; },
     .NumberOf =
         [](const RunOptions& o) {
             std::int64_t i = 0;
             while (i + 1 < std::ssize(Papers) && Papers[i].Paper != o.Paper) ++i;
             return i;
         }},
    {.Name = "zeros",
     .Kind = TOptionKind::Choice,
     .Choices = Zeros,
     .Default = "struck",
     .Refusal = NeitherOfThem,
     .SetNumber = [](RunOptions& o, std::int64_t i) { o.Style.Figure.StruckZeros = i == 0; },
     .NumberOf = [](const RunOptions& o) -> std::int64_t { return o.Style.Figure.StruckZeros ? 0 : 1; }},
    {.Name = "numbers",
     .Kind = TOptionKind::Choice,
     .Choices = Numbers,
     .Default = "on",
     .Refusal = NeitherOfThem,
     .SetNumber = [](RunOptions& o, std::int64_t i) { o.Style.ProblemNumbers = i == 0; },
     .NumberOf = [](const RunOptions& o) -> std::int64_t { return o.Style.ProblemNumbers ? 0 : 1; }},
    {.Name = "header",
     .Kind = TOptionKind::Choice,
     .Choices = Headers,
     .Default = "name",
     .Refusal = NeitherOfThem,
     .SetNumber = [](RunOptions& o, std::int64_t i) { o.Style.Header = HeaderOf[i]; },
     .NumberOf =
         [](const RunOptions& o) {
             // The window's plain header has no choice of its own: it is written as the first.
             std::int64_t i = std::ssize(HeaderOf) - 1;
             while (i > 0 && HeaderOf[i] != o.Style.Header) --i;
             return i;
         }},
    {.Name = "grid",
     .Kind = TOptionKind::Choice,
     .Choices = Grids,
     .Default = "none",
     .Refusal = NeitherOfThem,
     .SetNumber = [](RunOptions& o, std::int64_t i) { o.Style.Grid = static_cast<TFigureGrid>(i); },
     .NumberOf = [](const RunOptions& o) { return static_cast<std::int64_t>(o.Style.Grid); }},
    {.Name = "seed",
     .Kind = TOptionKind::Seed,
     .Limits = TOptionLimits{0, std::numeric_limits<std::uint32_t>::max()},
     .Refusal = "は {low} から {high} までの整数ではありません",
     .SetNumber = [](RunOptions& o, std::int64_t n) { o.Seed = static_cast<std::uint32_t>(n); }},
    {.Name = "preset",
     .Kind = TOptionKind::Preset,
     .Refusal = "という設定はありません（--list-presets で一覧を表示します）"},
};

std::string Filled(std::string_view text, const TRunOption& option, const TOptionLimits& limits) {
    std::string choices, alternatives;
    for (const TOptionChoice& c : option.Choices) {
        choices += std::string(choices.empty() ? "" : "、") + c.Value;
        alternatives += std::string(alternatives.empty() ? "" : " か ") + c.Value;
    }
    const std::pair<std::string_view, std::string> fields[] = {{"{low}", std::to_string(limits.Low)},
                                                               {"{high}", std::to_string(limits.High)},
                                                               {"{choices}", choices},
                                                               {"{alternatives}", alternatives}};
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool matched = false;
        for (const auto& [key, value] : fields) {
            if (text.substr(i).starts_with(key)) {
                out += value;
                i += key.size();
                matched = true;
                break;
            }
        }
        if (!matched) out += text[i++];
    }
    return out;
}

[[noreturn]] void Fail(std::string_view name, std::string_view value, const std::string& message) {
    throw EOptionError(std::string(name), std::string(value), "--" + std::string(name) + ": " + message, message);
}

[[noreturn]] void Refuse(const TRunOption& option, std::string_view value, const TOptionLimits& limits) {
    Fail(option.Name, value, QuotedValue(value) + " " + Filled(option.Refusal, option, limits));
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
        Fail(name, value, CoreMessage(e, {value}));
    }
}

void SetPattern(const TRunOption& option, std::string_view value, RunOptions& o) {
    try {
        (void)ParseDigitPattern(value);
    } catch (const EPatternError& e) {
        Fail(option.Name, value, CoreMessage(e, {value}));
    }
    option.SetText(o, value);
}

void SetAnswerRange(const TRunOption& option, std::string_view value, RunOptions& o) {
    AnswerRangeTexts texts;
    try {
        texts = SplitAnswerRange(value);
        // Judged now, as the window would, so that a bad bound is refused before any work.
        (void)ParseDecimal(texts.Low);
        (void)ParseDecimal(texts.High);
    } catch (const Exception& e) {
        Fail(option.Name, value, CoreMessage(e, {value, texts.Low, texts.High}));
    }
    option.SetText(o, value);
}

void SetInteger(const TRunOption& option, std::string_view value, RunOptions& o) {
    const std::int32_t n = IntegerValue(option.Name, value);
    bool taken = !option.Limits || (n >= option.Limits->Low && n <= option.Limits->High);
    if (!option.Choices.empty()) {
        taken = false;
        for (const TOptionChoice& c : option.Choices) taken = taken || std::to_string(n) == c.Value;
    }
    if (!taken) Refuse(option, value, option.Limits.value_or(TOptionLimits{}));
    option.SetNumber(o, n);
}

void SetSeed(const TRunOption& option, std::string_view value, RunOptions& o) {
    bool digitsOnly = !value.empty() && value.size() <= 10;
    for (char c : value) digitsOnly = digitsOnly && c >= '0' && c <= '9';
    std::uint64_t n = 0;
    if (digitsOnly) std::from_chars(value.data(), value.data() + value.size(), n);
    const TOptionLimits limits = *option.Limits;
    if (!digitsOnly || n < static_cast<std::uint64_t>(limits.Low) || n > static_cast<std::uint64_t>(limits.High))
        Refuse(option, value, limits);
    option.SetNumber(o, static_cast<std::int64_t>(n));
}

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

void SetChoice(const TRunOption& option, std::string_view value, RunOptions& o) {
    for (std::size_t i = 0; i < option.Choices.size(); ++i) {
        const std::string_view word = option.Choices[i].Value;
        if (option.AnyCase ? SameLetters(value, word) : value == word) {
            option.SetNumber(o, static_cast<std::int64_t>(i));
            return;
        }
    }
    Refuse(option, value, {});
}

void SetPreset(const TRunOption& option, std::string_view value, RunOptions& o) {
    const SheetPreset* preset = FindSheetPreset(value);
    if (!preset) Refuse(option, value, {});
    GenerationSettings& settings = o.Settings;
    SetDigitRanges(settings, ParseDigitPattern(preset->Multiplicand), ParseDigitPattern(preset->Multiplier));
    const AnswerRangeTexts answer = SplitAnswerRange(preset->Answer);
    settings.AnswerLowText = answer.Low;
    settings.AnswerHighText = answer.High;
}

// The value as the stored options write it; none for an option the run does not keep.
std::optional<std::string> WrittenValue(const TRunOption& option, const RunOptions& o) {
    if (option.TextOf) return option.TextOf(o);
    if (!option.NumberOf) return std::nullopt;
    const std::int64_t n = option.NumberOf(o);
    if (option.Kind == TOptionKind::Choice) return option.Choices[static_cast<std::size_t>(n)].Value;
    return std::to_string(n);
}

}  // namespace

std::span<const TRunOption> RunOptionTable() { return Table; }

const TRunOption* FindRunOption(std::string_view name) {
    for (const TRunOption& option : Table) {
        if (name == option.Name) return &option;
    }
    return nullptr;
}

RunOptions DefaultRunOptions() {
    RunOptions o;
    for (const TRunOption& option : Table) {
        if (option.Default) ApplyRunOption(option.Name, option.Default, o);
    }
    return o;
}

bool IsRunOption(std::string_view name) { return FindRunOption(name) != nullptr; }

void ApplyRunOption(std::string_view name, std::string_view value, RunOptions& o) {
    const TRunOption* option = FindRunOption(name);
    if (!option) {
        const std::string message = QuotedValue("--" + std::string(name)) + " というオプションはありません";
        throw EOptionError(std::string(name), std::string(value), message, message);
    }
    switch (option->Kind) {
        case TOptionKind::Pattern:
            SetPattern(*option, value, o);
            break;
        case TOptionKind::AnswerRange:
            SetAnswerRange(*option, value, o);
            break;
        case TOptionKind::Integer:
            SetInteger(*option, value, o);
            break;
        case TOptionKind::Text:
            option->SetText(o, value);
            break;
        case TOptionKind::Choice:
            SetChoice(*option, value, o);
            break;
        case TOptionKind::Seed:
            SetSeed(*option, value, o);
            break;
        case TOptionKind::Preset:
            SetPreset(*option, value, o);
            break;
    }
}

void CheckRunOptions(const RunOptions& options) {
    constexpr std::int32_t Last = std::numeric_limits<std::int32_t>::max();
    const std::int64_t last = static_cast<std::int64_t>(options.FirstNumber) + options.Sheets - 1;
    if (last > Last) {
        const std::string first = std::to_string(options.FirstNumber);
        Fail("number", first,
             first + " から " + std::to_string(options.Sheets) + " 枚では、最後の番号が " + std::to_string(Last) +
                 " を超えます");
    }
}

void CheckPageLimits(const RunOptions& options) {
    for (const TRunOption& option : Table) {
        if (!option.PageLimits || !option.NumberOf) continue;
        const std::int64_t n = option.NumberOf(options);
        if (n < option.PageLimits->Low || n > option.PageLimits->High)
            Refuse(option, std::to_string(n), *option.PageLimits);
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

std::vector<std::pair<std::string, std::string>> RunOptionValues(const RunOptions& options, std::uint32_t seed) {
    std::vector<std::pair<std::string, std::string>> values{{"seed", std::to_string(seed)}};
    for (const TRunOption& option : Table) {
        if (option.Kind == TOptionKind::Seed) continue;
        if (std::optional<std::string> value = WrittenValue(option, options)) values.emplace_back(option.Name, *value);
    }
    return values;
}
