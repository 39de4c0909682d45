#pragma once
// Drawing a set of distinct problems from the digit ranges and the answer range.
// Window-free: the window reads its fields into GenerationSettings, runs this, and then
// beeps and warns when the result says the set could not be completed.
#include <array>
#include <cstdint>
#include <string>

#include "core/problem.h"
#include "core/random.h"

constexpr int AttemptLimit = 1000;

struct DigitRangeTexts {
    std::string MultiplicandLow, MultiplicandHigh, MultiplierLow, MultiplierHigh;
};

struct GenerationSettings {
    std::int32_t RequestedCount = 12;  // the window's 12 or 16; a run's 6, 8, 10, 12, 16 or 20
    std::string AnswerLowText = "0";   // parsed with ParseDecimal
    std::string AnswerHighText = "0";
    std::array<DigitRangeTexts, 5> DigitRanges{};  // [k-1], k = 1 thousandths .. 5 tens
};

// The window's names of the fields that hold each place's four texts, in DigitRangeTexts' order
// (u multiplicand, d multiplier; l low, h high), and of the answer range's two: the field an
// EConvertError from GenerateProblems names.
inline constexpr const char* DigitFieldNames[5][4] = {{"u1l", "u1h", "d1l", "d1h"},
                                                      {"u2l", "u2h", "d2l", "d2h"},
                                                      {"u3l", "u3h", "d3l", "d3h"},
                                                      {"u4l", "u4h", "d4l", "d4h"},
                                                      {"u5l", "u5h", "d5l", "d5h"}};
inline constexpr const char* AnswerLowField = "AnsLow";
inline constexpr const char* AnswerHighField = "AnsHigh";

enum class GenerationResult { Complete, GaveUp };

// Fills slots 1..ProblemCount of `problems` (values and texts) and sets ProblemCount, drawing
// from `random`. A conversion error (EConvertError, naming its field) leaves `problems` and
// `problemCount` untouched.
// On GaveUp the kept problems' texts are already written when this returns.
GenerationResult GenerateProblems(const GenerationSettings& settings, TRandom& random, ProblemSet& problems,
                                  std::int32_t& problemCount);
