#pragma once
// The settings of one run of sheets, read from option names and values: tavrelo-sheets takes
// them on its command line, the browser edition in its page's address. One reader over one
// table of the options, so that the same values give the same sheets and the same messages
// everywhere, and the help and the page's choices say what the reader takes.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/errors.h"
#include "core/generator.h"
#include "core/sheet_run.h"
#include "drawing/page_style.h"
#include "run/paper.h"

// A run as DefaultRunOptions makes it has the table's defaults; a RunOptions made otherwise has
// only what its members start at.
struct RunOptions {
    GenerationSettings Settings;  // count, answer texts and the twenty digit texts
    std::int32_t Sheets = 1;
    std::int32_t FirstNumber = 1;
    std::string Sentence;
    AnswerPlacement Answers = AnswerPlacement::After;
    TPaper Paper = TPaper::A4;
    std::optional<std::uint32_t> Seed;  // none: the caller picks one (the clock)
    // Sheets are written the way pupils are taught to write them, unless told otherwise.
    TPageStyle Style = TPageStyle::Textbook();
};

// A value that an option does not take; the message names the option ("--answer: ..."), and
// the option (without dashes) and the value as given come with it, for a form to place it.
class EOptionError : public Exception {
public:
    // The message is "--option: reason" for an option the run knows, the reason alone otherwise.
    EOptionError(std::string option, std::string value, const std::string& message, std::string reason)
        : Exception(message), option_(std::move(option)), value_(std::move(value)), reason_(std::move(reason)) {}
    const std::string& Option() const { return option_; }
    const std::string& Value() const { return value_; }
    // The message without the option's name: what a form's field, which names it already, says.
    const std::string& Reason() const { return reason_; }

private:
    std::string option_;
    std::string value_;
    std::string reason_;
};

enum class TOptionKind {
    Pattern,      // a digit pattern (core/digit_pattern.h)
    AnswerRange,  // LOW:HIGH
    Integer,      // a whole number, within Limits or one of Choices
    Text,
    Choice,  // one of Choices' values
    Seed,    // digits only, within Limits
    Preset,  // a preset's name (core/presets.h)
};

struct TOptionChoice {
    const char* Value;      // as the command line and the address write it
    const char* PageWords;  // as the browser page offers it
};

struct TOptionLimits {
    std::int64_t Low = 0, High = 0;
};

struct TRunOption {
    const char* Name;  // without dashes
    TOptionKind Kind;
    std::span<const TOptionChoice> Choices = {};  // a Choice's; an Integer's that takes only these
    bool AnyCase = false;                         // a Choice's value read without regard to case
    const char* Default = nullptr;                // as the value is written; none: the run has none
    std::optional<TOptionLimits> Limits = std::nullopt;
    // The browser page's own, narrower: it holds every sheet in memory at once.
    std::optional<TOptionLimits> PageLimits = std::nullopt;
    // After the quoted value: {low}, {high}, {choices} (a、b、c) and {alternatives} (a か b)
    // are filled in. Empty: the kind's reader words its own refusals.
    const char* Refusal = "";
    // Where the run keeps the value: a Choice's index, an Integer's or a Seed's number.
    void (*SetNumber)(RunOptions&, std::int64_t) = nullptr;
    std::int64_t (*NumberOf)(const RunOptions&) = nullptr;
    // A Text's, a Pattern's and an AnswerRange's value; Pattern and AnswerRange are judged first.
    void (*SetText)(RunOptions&, std::string_view) = nullptr;
    std::string (*TextOf)(const RunOptions&) = nullptr;
};

// Every option a run takes, in the order of the command line's help and the stored options.
std::span<const TRunOption> RunOptionTable();
// nullptr when there is no such option.
const TRunOption* FindRunOption(std::string_view name);

// Every option of the table at its Default, on the textbook's page style; no seed.
RunOptions DefaultRunOptions();

bool IsRunOption(std::string_view name);

// Applies one option, as the command line does when it meets it: a later option overrides
// what an earlier one or a preset set. Raises EOptionError.
void ApplyRunOption(std::string_view name, std::string_view value, RunOptions& options);

// What no single option can judge: the last sheet's number must not pass 2147483647.
void CheckRunOptions(const RunOptions& options);

// The browser page's narrower limits (PageLimits), as the option's own limits are refused.
void CheckPageLimits(const RunOptions& options);

// A value of the user's as a message shows it: between single quotes, cut to about 80
// characters and with control characters written as \x.. escapes.
std::string QuotedValue(std::string_view value);

// The options, in the command line's order, that make the same run again with `seed`.
std::vector<std::pair<std::string, std::string>> RunOptionValues(const RunOptions& options, std::uint32_t seed);
