#pragma once
// Drawing a set of distinct problems from the digit ranges and the answer range.
// Window-free: the window reads its fields into GenerationSettings, runs this, and then
// beeps and warns when the result says the set could not be completed.
#include <array>
#include <cstdint>
#include <string>

#include "core/problem.h"

constexpr int AttemptLimit = 1000;

struct DigitRangeTexts {
    std::string MultiplicandLow, MultiplicandHigh, MultiplierLow, MultiplierHigh;
};

struct GenerationSettings {
    std::int32_t RequestedCount = 12;  // 12 or 16
    std::string AnswerLowText = "0";   // parsed with ParseDecimal
    std::string AnswerHighText = "0";
    std::array<DigitRangeTexts, 5> DigitRanges{};  // [k-1], k = 1 thousandths .. 5 tens
};

enum class GenerationResult { Complete, GaveUp };

// Fills slots 1..ProblemCount of `problems` (values and texts) and sets ProblemCount.
// A conversion error (EConvertError) leaves `problems` and `problemCount` untouched.
// On GaveUp the kept problems' texts are already written when this returns.
GenerationResult GenerateProblems(const GenerationSettings& settings, ProblemSet& problems, std::int32_t& problemCount);
