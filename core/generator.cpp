#include "core/generator.h"

#include <algorithm>
#include <utility>

#include "core/decimal_text.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "core/random.h"

namespace {

constexpr std::int32_t PlaceWeight[5] = {1, 10, 100, 1000, 10000};

// The refusal of a text, told which field held it.
std::int32_t FieldInteger(const std::string& text, const char* field) {
    try {
        return ParseInteger(text);
    } catch (EConvertError& e) {
        e.SetField(field);
        throw;
    }
}

ExactDecimal FieldDecimal(const std::string& text, const char* field) {
    try {
        return ParseDecimal(text);
    } catch (EConvertError& e) {
        e.SetField(field);
        throw;
    }
}

void OrderPair(std::int32_t& a, std::int32_t& b) {
    if (a > b) std::swap(a, b);
}

// One place of one candidate: the multiplicand's digit first, then the multiplier's.
// The texts are parsed afresh every time, so a bad field fails on the first candidate,
// before anything of the set is touched.
void DrawDigitPair(const DigitRangeTexts& texts, std::size_t place, TRandom& random, std::int32_t& multiplicandDigit,
                   std::int32_t& multiplierDigit) {
    const auto& names = DigitFieldNames[place];
    std::int32_t uLow = FieldInteger(texts.MultiplicandLow, names[0]);
    std::int32_t uHigh = FieldInteger(texts.MultiplicandHigh, names[1]);
    std::int32_t dLow = FieldInteger(texts.MultiplierLow, names[2]);
    std::int32_t dHigh = FieldInteger(texts.MultiplierHigh, names[3]);
    OrderPair(uLow, uHigh);
    OrderPair(dLow, dHigh);
    // The window only lets single digits through, but the settings may carry any integer:
    // widths and sums wrap at 32 bits rather than overflow.
    const auto draw = [&random](std::int32_t low, std::int32_t high) {
        const std::uint32_t width = static_cast<std::uint32_t>(high) - static_cast<std::uint32_t>(low) + 1u;
        const auto r = static_cast<std::uint32_t>(random.Below(static_cast<std::int32_t>(width)));
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(low) + r);
    };
    multiplicandDigit = draw(uLow, uHigh);
    multiplierDigit = draw(dLow, dHigh);
}

struct Candidate {
    std::int32_t Multiplicand = 0;
    std::int32_t Multiplier = 0;
};

Candidate DrawCandidate(const std::array<DigitRangeTexts, 5>& ranges, TRandom& random) {
    std::uint32_t multiplicand = 0, multiplier = 0;
    for (std::size_t k = 0; k < 5; ++k) {
        std::int32_t u = 0, d = 0;
        DrawDigitPair(ranges[k], k, random, u, d);
        const auto weight = static_cast<std::uint32_t>(PlaceWeight[k]);
        multiplicand += static_cast<std::uint32_t>(u) * weight;
        multiplier += static_cast<std::uint32_t>(d) * weight;
    }
    return {static_cast<std::int32_t>(multiplicand), static_cast<std::int32_t>(multiplier)};
}

bool IsDuplicate(const ProblemSet& problems, int slot, const Candidate& c) {
    for (int s = 1; s < slot; ++s) {
        if (problems[s].MultiplicandMilli == c.Multiplicand && problems[s].MultiplierMilli == c.Multiplier) return true;
    }
    return false;
}

}  // namespace

GenerationResult GenerateProblems(const GenerationSettings& settings, TRandom& random, ProblemSet& problems,
                                  std::int32_t& problemCount) {
    // The bounds are read first, the low one before the high one: the first text refused gives
    // the message. The range is judged exactly: a product in millionths against the bounds'
    // exact decimal values, so that "0.21" admits 0.3 x 0.7.
    ExactDecimal low = FieldDecimal(settings.AnswerLowText, AnswerLowField);
    ExactDecimal high = FieldDecimal(settings.AnswerHighText, AnswerHighField);
    if (CompareExact(high, low) < 0) std::swap(low, high);
    const std::int64_t minProduct = CeilMillionths(low);
    const std::int64_t maxProduct = FloorMillionths(high);

    // The store has ProblemCapacity slots; a larger request cannot be honoured beyond them.
    const std::int32_t requested = std::clamp<std::int32_t>(settings.RequestedCount, 0, ProblemCapacity);

    bool GaveUp = false;
    std::int32_t count = requested;
    for (int slot = 1; slot <= requested && !GaveUp; ++slot) {
        int attempts = 0;
        for (;;) {
            const Candidate c = DrawCandidate(settings.DigitRanges, random);
            problems[slot].MultiplicandMilli = c.Multiplicand;
            problems[slot].MultiplierMilli = c.Multiplier;
            ++attempts;
            const std::int64_t product = static_cast<std::int64_t>(c.Multiplicand) * c.Multiplier;
            const bool passes = product >= minProduct && product <= maxProduct && !IsDuplicate(problems, slot, c);
            // Only the first AttemptLimit candidates may be kept: the next one ends the set,
            // whatever it is.
            if (attempts > AttemptLimit) {
                count = slot - 1;
                GaveUp = true;
                break;
            }
            if (passes) break;
        }
    }

    problemCount = count;
    // The texts are written before the caller warns: a repaint under the warning draws this set.
    for (int slot = 1; slot <= count; ++slot) {
        Problem& p = problems[slot];
        p.MultiplicandText = FormatDecimal(Thousandths(p.MultiplicandMilli));
        p.MultiplierText = FormatDecimal(Thousandths(p.MultiplierMilli));
    }
    return GaveUp ? GenerationResult::GaveUp : GenerationResult::Complete;
}
