#pragma once
// One page of a run, as every edition draws it, and the seed the run starts from.
#include <cstdint>
#include <string_view>

#include "core/problem.h"
#include "drawing/answer_list.h"
#include "drawing/page_style.h"
#include "drawing/worksheet.h"
#include "run/run_options.h"

// The options' seed, else one from the clock.
std::uint32_t ChooseSeed(const RunOptions& options);

// What a page shows: the window's sheet and a run's sheet alike. `sentence` and `set` are
// referred to, not copied.
PageContent SheetPage(std::string_view sentence, std::int32_t number, const ProblemSet& set, std::int32_t count,
                      bool answers, const TPageStyle& style);

// The page of sheet `sheet` (0-based) of the run, its problem sheet or its answer sheet, as
// RunSheets hands it over.
PageContent RunSheetPage(const RunOptions& options, std::int32_t sheet, bool answers, const ProblemSet& set,
                         std::int32_t count);

// A page of the run's list of answers, as RunSheets hands it over.
AnswerListContent RunListPage(const RunOptions& options, const AnswerListPage& page);
