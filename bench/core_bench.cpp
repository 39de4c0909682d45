// Timing of the Preview command's generation, and of the conversions it leans on.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "generator.h"
#include "numtext.h"
#include "random.h"

namespace {

GenerationSettings Blank(std::int32_t requested) {
    GenerationSettings s;
    s.RequestedCount = requested;
    for (auto& r : s.DigitRanges) r = {"0", "0", "0", "0"};
    return s;
}

// A usual drill: 3-digit multiplicand (x.xx) times 2-digit multiplier (x.x), answers up to 50.
GenerationSettings Ordinary() {
    GenerationSettings s = Blank(16);
    s.AnswerLowText = "0";
    s.AnswerHighText = "50";
    s.DigitRanges[1] = {"1", "9", "0", "0"};
    s.DigitRanges[2] = {"0", "9", "1", "9"};
    s.DigitRanges[3] = {"1", "9", "1", "9"};
    return s;
}

// Ones digits 1..9 on both sides and answers 2..7: exactly 15 distinct problems among 81,
// so the sixteenth slot draws its full thousand candidates and gives up.
GenerationSettings Exhausted() {
    GenerationSettings s = Blank(16);
    s.AnswerLowText = "2";
    s.AnswerHighText = "7";
    s.DigitRanges[3] = {"1", "9", "1", "9"};
    return s;
}

void Run(benchmark::State& state, const GenerationSettings& settings, GenerationResult expected, std::int32_t count) {
    ProblemSet set;
    std::int32_t problemCount = 0;
    std::uint32_t seed = 1;
    for (auto _ : state) {
        RandomSeed = seed++;
        const GenerationResult result = GenerateProblems(settings, set, problemCount);
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
        benchmark::DoNotOptimize(FormatDecimal(static_cast<Extended>(milli) / 1000));
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

}  // namespace

BENCHMARK_MAIN();
