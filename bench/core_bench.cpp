// Timing of the Preview command's generation, and of the conversions it leans on.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "core/generator.h"
#include "core/numtext.h"
#include "core/random.h"
#include "core/worked_multiplication.h"

namespace {

const DigitRangeTexts Zero{"0", "0", "0", "0"};

// A usual drill: 3-digit multiplicand (x.xx) times 2-digit multiplier (x.x), answers up to 50.
GenerationSettings Ordinary() {
    return {16, "0", "50", {Zero, {"1", "9", "0", "0"}, {"0", "9", "1", "9"}, {"1", "9", "1", "9"}, Zero}};
}

// Ones digits 1..9 on both sides and answers 2..7: exactly 15 distinct problems among 81,
// so the sixteenth slot draws its full thousand candidates and gives up.
GenerationSettings Exhausted() { return {16, "2", "7", {Zero, Zero, Zero, {"1", "9", "1", "9"}, Zero}}; }

void Run(benchmark::State& state, const GenerationSettings& settings, GenerationResult expected, std::int32_t count) {
    ProblemSet set;
    std::int32_t problemCount = 0;
    std::uint32_t seed = 1;
    for (auto _ : state) {
        TRandom random(seed++);
        const GenerationResult result = GenerateProblems(settings, random, set, problemCount);
        if (result != expected || problemCount != count) {
            state.SkipWithError("the settings no longer give the set they were chosen for");
            break;
        }
        benchmark::DoNotOptimize(set);
    }
}

void BM_OrdinarySet16(benchmark::State& state) { Run(state, Ordinary(), GenerationResult::Complete, 16); }
BENCHMARK(BM_OrdinarySet16);

void BM_WorstCaseGivesUpAtSlot16(benchmark::State& state) { Run(state, Exhausted(), GenerationResult::GaveUp, 15); }
BENCHMARK(BM_WorstCaseGivesUpAtSlot16)->Unit(benchmark::kMicrosecond);

void BM_FormatOperand(benchmark::State& state) {
    std::int32_t milli = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatDecimal(Thousandths(milli)));
        milli = (milli + 12347) % 100000;
    }
}
BENCHMARK(BM_FormatOperand);

void BM_ParseDigit(benchmark::State& state) {
    const std::string text = "7";
    for (auto _ : state) benchmark::DoNotOptimize(ParseInteger(text));
}
BENCHMARK(BM_ParseDigit);

void BM_ParseBound(benchmark::State& state) {
    const std::string text = "123.456";
    for (auto _ : state) benchmark::DoNotOptimize(ParseDecimal(text));
}
BENCHMARK(BM_ParseBound);

// The answer sheet's product text, from the operand texts as the figure has them.
void BM_ProductText(benchmark::State& state) {
    const std::string a = "98.765", b = "4.321";
    for (auto _ : state) benchmark::DoNotOptimize(FormatDecimal(MultiplyExact(ParseDecimal(a), ParseDecimal(b))));
}
BENCHMARK(BM_ProductText);

// A bound near the largest value accepted: the range check rounds step by step there.
void BM_ParseLargestBound(benchmark::State& state) {
    const std::string text = "1.18973149535723176502e4932";
    for (auto _ : state) benchmark::DoNotOptimize(ParseDecimal(text));
}
BENCHMARK(BM_ParseLargestBound);

// The workings of a page of figures: what a page works out once before it measures and draws.
void BM_WorkPageOfFigures(benchmark::State& state) {
    static constexpr const char* pairs[][2] = {
        {"2.35", "1.4"},    {"12.5", "0.6"},      {"3", "0.25"},      {"99.999", "99.999"},
        {"0.004", "0.003"}, {"12.5", "0.8"},      {"23", "45"},       {"2.3", "1.05"},
        {"12.345", "6"},    {"50.005", "50.002"}, {"0", "0.5"},       {"2.5", "4"},
        {"20", "3"},        {"0.005", "0.004"},   {"0.025", "0.004"}, {"48.7", "3.06"},
    };
    const TFigureRules rules{state.range(0) != 0, state.range(0) == 0};
    for (auto _ : state) {
        for (const auto& pair : pairs) benchmark::DoNotOptimize(WorkMultiplication(pair[0], pair[1], rules));
    }
}
BENCHMARK(BM_WorkPageOfFigures)->ArgName("textbook")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
