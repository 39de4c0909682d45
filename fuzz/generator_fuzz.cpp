// Feeds arbitrary digit patterns and answer ranges to the generator, as tavrelo-sheets passes
// them on from its command line. Besides "no crash, no sanitizer report", every set it keeps
// holds to the settings:
//  - each factor's digit in each place lies within that place's range of its pattern;
//  - each product lies within the answer range, judged exactly in decimal;
//  - no problem comes twice;
//  - the texts on the sheet read back exactly to the values held.
// Input: multiplicand pattern, multiplier pattern and answer range on three lines, then a line
// whose first byte picks 12 or 16 problems and whose next four bytes are the seed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/decimal_text.h"
#include "core/digit_pattern.h"
#include "core/errors.h"
#include "core/generator.h"
#include "core/numtext.h"
#include "core/random.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
    std::abort();
}

std::vector<std::string_view> Lines(std::string_view data, std::size_t count) {
    std::vector<std::string_view> lines;
    while (lines.size() + 1 < count) {
        const std::size_t end = data.find('\n');
        if (end == std::string_view::npos) break;
        lines.push_back(data.substr(0, end));
        data.remove_prefix(end + 1);
    }
    lines.push_back(data);
    return lines;
}

// The exact value of a count of thousandths or millionths, through the decimal text grammar.
ExactDecimal Scaled(std::int64_t units, int places) {
    const bool negative = units < 0;
    std::string digits = std::to_string(negative ? -units : units);
    return ParseExactDecimal((negative ? "-" : "") + digits + "e-" + std::to_string(places));
}

void CheckDigits(std::int32_t value, const OperandPlaces& places, const char* factor) {
    if (value < 0 || value > 99999) Fail(factor, "value outside five places: " + std::to_string(value));
    std::int32_t rest = value;
    for (std::size_t k = 0; k < places.size(); ++k) {
        const int digit = rest % 10;
        rest /= 10;
        int low = std::stoi(places[k].Low), high = std::stoi(places[k].High);
        if (low > high) std::swap(low, high);
        if (digit < low || digit > high)
            Fail(factor, "digit " + std::to_string(digit) + " of place " + std::to_string(k + 1) + " in " +
                             std::to_string(value) + " outside " + places[k].Low + "-" + places[k].High);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto lines = Lines(std::string_view(reinterpret_cast<const char*>(data), size), 4);
    if (lines.size() < 4) return 0;

    OperandPlaces multiplicand, multiplier;
    AnswerRangeTexts answer;
    try {
        multiplicand = ParseDigitPattern(lines[0]);
        multiplier = ParseDigitPattern(lines[1]);
        answer = SplitAnswerRange(lines[2]);
    } catch (const EPatternError& e) {
        if (std::string_view(e.what()).empty()) Fail("refused without a message", std::string(lines[0]));
        return 0;
    }
    // The shortest form of an accepted pattern reads back to the same places.
    for (const OperandPlaces* places : {&multiplicand, &multiplier}) {
        bool single = true;
        for (const PlaceRange& p : *places) single = single && p.Low.size() == 1 && p.High.size() == 1;
        if (!single) Fail("a place is not one digit", FormatDigitPattern(*places));
        if (ParseDigitPattern(FormatDigitPattern(*places)) != *places)
            Fail("the shortest form reads back otherwise", FormatDigitPattern(*places));
    }

    GenerationSettings settings;
    const std::string_view tail = lines[3];
    settings.RequestedCount = !tail.empty() && (static_cast<unsigned char>(tail[0]) & 1) ? 16 : 12;
    std::uint32_t seed = 0;
    for (std::size_t i = 1; i < tail.size() && i < 5; ++i) seed = (seed << 8) | static_cast<unsigned char>(tail[i]);
    TRandom random(seed);
    SetDigitRanges(settings, multiplicand, multiplier);
    settings.AnswerLowText = answer.Low;
    settings.AnswerHighText = answer.High;

    ProblemSet set;
    std::int32_t count = -1;
    GenerationResult result = GenerationResult::Complete;
    try {
        result = GenerateProblems(settings, random, set, count);
    } catch (const EConvertError&) {
        if (count != -1) Fail("a refused answer range still set the count", answer.Low + ":" + answer.High);
        return 0;
    }
    if (count < 0 || count > settings.RequestedCount) Fail("count out of range", std::to_string(count));
    // The warning is shown exactly when the set is short: a complete set says so.
    const std::int32_t requested = std::clamp<std::int32_t>(settings.RequestedCount, 0, ProblemCapacity);
    if ((result == GenerationResult::Complete) != (count == requested))
        Fail("the result does not match the count", std::to_string(count) + " of " + std::to_string(requested));

    ExactDecimal low = ParseExactDecimal(answer.Low), high = ParseExactDecimal(answer.High);
    if (CompareExact(high, low) < 0) std::swap(low, high);
    std::set<std::pair<std::int32_t, std::int32_t>> seen;
    for (int k = 1; k <= count; ++k) {
        const Problem& p = set[k];
        CheckDigits(p.MultiplicandMilli, multiplicand, "multiplicand");
        CheckDigits(p.MultiplierMilli, multiplier, "multiplier");
        const ExactDecimal product = Scaled(std::int64_t{p.MultiplicandMilli} * p.MultiplierMilli, 6);
        if (CompareExact(product, low) < 0 || CompareExact(product, high) > 0)
            Fail("product outside the answer range", std::to_string(p.MultiplicandMilli) + " x " +
                                                         std::to_string(p.MultiplierMilli) + " (thousandths) in " +
                                                         answer.Low + ":" + answer.High);
        if (!seen.insert({p.MultiplicandMilli, p.MultiplierMilli}).second)
            Fail("a problem came twice", p.MultiplicandText + " x " + p.MultiplierText);
        if (CompareExact(ParseExactDecimal(p.MultiplicandText), Scaled(p.MultiplicandMilli, 3)) != 0 ||
            CompareExact(ParseExactDecimal(p.MultiplierText), Scaled(p.MultiplierMilli, 3)) != 0)
            Fail("a text reads back otherwise", p.MultiplicandText + " x " + p.MultiplierText);
    }
    return 0;
}
