#include "core/sheet_run.h"

#include "core/random.h"

void RunSheets(const GenerationSettings& settings, std::uint32_t seed, std::int32_t sheets, AnswerPlacement placement,
               const SheetPageSink& page) {
    ProblemSet set;
    std::int32_t count = 0;
    TRandom random(seed);
    for (std::int32_t s = 0; s < sheets; ++s) {
        GenerateProblems(settings, random, set, count);
        page(s, false, set, count);
        if (placement == AnswerPlacement::After) page(s, true, set, count);
    }
    if (placement != AnswerPlacement::End) return;
    random = TRandom(seed);
    for (std::int32_t s = 0; s < sheets; ++s) {
        GenerateProblems(settings, random, set, count);
        page(s, true, set, count);
    }
}

std::int64_t PageCount(AnswerPlacement placement, std::int32_t sheets) {
    return placement == AnswerPlacement::None ? sheets : 2 * static_cast<std::int64_t>(sheets);
}

std::optional<ShortSheet> FindShortSheet(const GenerationSettings& settings, std::uint32_t seed, std::int32_t sheets) {
    ProblemSet set;
    std::int32_t count = 0;
    TRandom random(seed);
    for (std::int32_t s = 0; s < sheets; ++s) {
        if (GenerateProblems(settings, random, set, count) == GenerationResult::GaveUp) return ShortSheet{s + 1, count};
    }
    return std::nullopt;
}

std::int32_t SheetNumber(std::int32_t first, std::int32_t index) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(first) + static_cast<std::uint32_t>(index));
}
