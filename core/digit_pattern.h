#pragma once
// The digit places of an operand written as one short text, so that the twenty digit fields of
// the window fit on a command line: "[1-9].[0-9][1-9]" is 1.01 to 9.99. Places are right-aligned
// at the point: up to two before it (tens, ones) and up to three after it (tenths, hundredths,
// thousandths); each place is one digit or a range "[a-b]", a range may run high to low as in
// the window; a place not written is "0" to "0".
#include <array>
#include <string>
#include <string_view>

#include "core/errors.h"
#include "core/generator.h"

// A text that is not a digit pattern or not an answer range.
class EPatternError : public Exception {
public:
    using Exception::Exception;
};

// The low and high digit text of one place, as the window's two fields hold them.
struct PlaceRange {
    std::string Low = "0";
    std::string High = "0";
    friend bool operator==(const PlaceRange&, const PlaceRange&) = default;
};

// [k-1] for k = 1 (thousandths) .. 5 (tens), the order of GenerationSettings::DigitRanges.
using OperandPlaces = std::array<PlaceRange, 5>;

// Raises EPatternError with a message in Japanese that quotes the pattern and says what is wrong.
OperandPlaces ParseDigitPattern(std::string_view pattern);

// The shortest pattern for `places` (each text a single digit): zero places at either end are
// left out, but the ones place is always written ("0.[1-9]", not ".[1-9]").
std::string FormatDigitPattern(const OperandPlaces& places);

void SetDigitRanges(GenerationSettings& settings, const OperandPlaces& multiplicand, const OperandPlaces& multiplier);
OperandPlaces MultiplicandPlaces(const GenerationSettings& settings);
OperandPlaces MultiplierPlaces(const GenerationSettings& settings);

// "LOW:HIGH" split into the texts of the window's two answer fields, unconverted: they go to
// ParseDecimal, which judges them with its own message. Raises EPatternError without one ":".
struct AnswerRangeTexts {
    std::string Low;
    std::string High;
};
AnswerRangeTexts SplitAnswerRange(std::string_view text);
