#pragma once
// A run of sheets: one Preview per sheet over the same settings, the random sequence started
// once from the seed and carried on from sheet to sheet, so a seed names the whole run.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/generator.h"
#include "core/problem.h"

enum class AnswerPlacement {
    After,  // each problem sheet followed by its answer sheet
    End,    // all problem sheets, then all answer sheets in the same order
    None,
    // No answer sheets: after all problem sheets, pages listing every sheet's products, which a
    // teacher marking a pile of sheets reads faster than a worked answer sheet per sheet.
    List,
};

// sheet: 0-based index in the run. `set` holds `count` problems with their texts.
using SheetPageSink = std::function<void(std::int32_t sheet, bool answers, const ProblemSet& set, std::int32_t count)>;

// How the list of answers lays out the products of sheets of `problems` problems. A sheet's
// products take one line, or two when more than ten would make the digits too small to read
// across a desk; the page holds a fixed number of lines whatever its paper, for pages are drawn
// to scale: how many sheets it lists follows from the problem count alone.
struct AnswerListShape {
    std::int32_t ProductsPerLine = 0;
    std::int32_t LinesPerSheet = 0;
    std::int32_t SheetsPerPage = 0;
};
AnswerListShape ListShape(std::int32_t problems);

struct AnswerListRow {
    std::int32_t Sheet = 0;  // 0-based index in the run
    // The products of (1), (2), ... as plain values ("22.714", "10" for 2.5 x 4).
    std::vector<std::string> Products;
};

// One page of the list of answers: the rows of consecutive sheets.
struct AnswerListPage {
    std::int32_t Page = 0;      // 0-based among the list's pages
    std::int32_t Pages = 0;     // the list's pages in all
    std::int32_t Problems = 0;  // the run's problems a sheet, which the shape follows
    std::vector<AnswerListRow> Rows;
};

using AnswerListSink = std::function<void(const AnswerListPage& page)>;

// Hands every page to `page` in print order. Answer sheets placed at the end, and the list's
// products, are made by running the sequence again from the seed rather than by keeping every
// set: memory stays the same however many sheets there are. The run draws from a generator of
// its own, seeded with `seed`. The list's pages go to `list`, after every problem sheet.
void RunSheets(const GenerationSettings& settings, std::uint32_t seed, std::int32_t sheets, AnswerPlacement placement,
               const SheetPageSink& page, const AnswerListSink& list = {});

// `problems`: the problems a sheet, which the list's pages depend on.
std::int64_t PageCount(AnswerPlacement placement, std::int32_t sheets, std::int32_t problems);
std::int32_t ListPageCount(std::int32_t sheets, std::int32_t problems);

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
