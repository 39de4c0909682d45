#pragma once
// The settings of one run of sheets, read from option names and values: tavrelo-sheets takes
// them on its command line, the browser edition in its page's address. One reader, so that the
// same values give the same sheets and the same messages everywhere.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/errors.h"
#include "core/generator.h"
#include "core/sheet_run.h"
#include "drawing/page_style.h"

enum class TPaper { A4, B5, B4, A3, Letter };  // B5 and B4 are the JIS sizes

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

// A value that an option does not take; the message names the option ("--answer: ...").
class EOptionError : public Exception {
public:
    using Exception::Exception;
};

// 16 problems of "[1-9].[1-9]" times "[2-9]", answers 0 to 1000, one sheet numbered 1, answer
// sheets after each sheet, A4, つぎの計算をしましょう。
RunOptions DefaultRunOptions();

// The option names ApplyRunOption knows, without dashes: multiplicand, multiplier, answer,
// problems, sheets, number, sentence, answers, paper, zeros, numbers, header, seed, preset.
bool IsRunOption(std::string_view name);

// Applies one option, as the command line does when it meets it: a later option overrides
// what an earlier one or a preset set. Raises EOptionError.
void ApplyRunOption(std::string_view name, std::string_view value, RunOptions& options);

// What no single option can judge: the last sheet's number must not pass 2147483647.
void CheckRunOptions(const RunOptions& options);

// A value of the user's as a message shows it: between single quotes, cut to about 80
// characters and with control characters written as \x.. escapes.
std::string QuotedValue(std::string_view value);

const char* PaperName(TPaper paper);

// A sheet of the paper, upright, in millimetres.
struct TPaperSize {
    double Width, Height;
};
TPaperSize PaperSize(TPaper paper);

// The options, in the command line's order, that make the same run again with `seed`.
std::vector<std::pair<std::string, std::string>> RunOptionValues(const RunOptions& options, std::uint32_t seed);
