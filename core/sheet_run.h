#pragma once
// A run of sheets: one Preview per sheet over the same settings, the random sequence started
// once from the seed and carried on from sheet to sheet, so a seed names the whole run.
#include <cstdint>
#include <functional>
#include <optional>

#include "core/generator.h"
#include "core/problem.h"

enum class AnswerPlacement {
    After,  // each problem sheet followed by its answer sheet
    End,    // all problem sheets, then all answer sheets in the same order
    None,
};

// sheet: 0-based index in the run. `set` holds `count` problems with their texts.
using SheetPageSink = std::function<void(std::int32_t sheet, bool answers, const ProblemSet& set, std::int32_t count)>;

// Hands every page to `page` in print order. Answer sheets placed at the end are made by running
// the sequence again from the seed rather than by keeping every set: memory stays the same
// however many sheets there are. The run draws from a generator of its own, seeded with `seed`.
void RunSheets(const GenerationSettings& settings, std::uint32_t seed, std::int32_t sheets, AnswerPlacement placement,
               const SheetPageSink& page);

std::int64_t PageCount(AnswerPlacement placement, std::int32_t sheets);

// The number of the sheet `index` places after `first`; past 2147483647 the numbers go on from
// -2147483648, as the window's sheet number does after a print.
std::int32_t SheetNumber(std::int32_t first, std::int32_t index);

struct ShortSheet {
    std::int32_t Sheet;  // 1-based position in the run
    std::int32_t Found;  // problems kept before the generator gave up
};

// The first sheet of the run that the generator cannot fill, if any; nothing is kept.
// Raises the generator's EConvertError for settings it cannot read.
std::optional<ShortSheet> FindShortSheet(const GenerationSettings& settings, std::uint32_t seed, std::int32_t sheets);
