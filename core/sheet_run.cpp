#include "core/sheet_run.h"

#include "core/random.h"
#include "core/worked_multiplication.h"

namespace {

// More products than this on one line would make each too narrow for digits a teacher reads
// across a desk.
constexpr std::int32_t MostProductsPerLine = 10;
// The lines of products a list page holds, below its header and the problem numbers' line(s).
constexpr std::int32_t ListLinesPerPage = 36;

void HandListPages(const GenerationSettings& settings, std::uint32_t seed, std::int32_t sheets,
                   const AnswerListSink& list) {
    const std::int32_t perPage = ListShape(settings.RequestedCount).SheetsPerPage;
    AnswerListPage listPage;
    listPage.Pages = ListPageCount(sheets, settings.RequestedCount);
    listPage.Problems = settings.RequestedCount;
    ProblemSet set;
    std::int32_t count = 0;
    TRandom random(seed);
    for (std::int32_t s = 0; s < sheets; ++s) {
        GenerateProblems(settings, random, set, count);
        AnswerListRow& row = listPage.Rows.emplace_back();
        row.Sheet = s;
        for (std::int32_t k = 1; k <= count; ++k)
            row.Products.push_back(PlainProductText(set[k].MultiplicandText, set[k].MultiplierText));
        if (std::ssize(listPage.Rows) == perPage || s + 1 == sheets) {
            list(listPage);
            ++listPage.Page;
            listPage.Rows.clear();
        }
    }
}

}  // namespace

AnswerListShape ListShape(std::int32_t problems) {
    AnswerListShape shape;
    const std::int32_t n = problems < 1 ? 1 : problems;
    shape.LinesPerSheet = (n + MostProductsPerLine - 1) / MostProductsPerLine;
    shape.ProductsPerLine = (n + shape.LinesPerSheet - 1) / shape.LinesPerSheet;
    shape.SheetsPerPage = ListLinesPerPage / shape.LinesPerSheet;
    if (shape.SheetsPerPage < 1) shape.SheetsPerPage = 1;
    return shape;
}

std::int32_t ListPageCount(std::int32_t sheets, std::int32_t problems) {
    if (sheets <= 0) return 0;
    const std::int32_t perPage = ListShape(problems).SheetsPerPage;
    return (sheets + perPage - 1) / perPage;
}

void RunSheets(const GenerationSettings& settings, std::uint32_t seed, std::int32_t sheets, AnswerPlacement placement,
               const SheetPageSink& page, const AnswerListSink& list) {
    ProblemSet set;
    std::int32_t count = 0;
    TRandom random(seed);
    for (std::int32_t s = 0; s < sheets; ++s) {
        GenerateProblems(settings, random, set, count);
        page(s, false, set, count);
        if (placement == AnswerPlacement::After) page(s, true, set, count);
    }
    if (placement == AnswerPlacement::List && list) HandListPages(settings, seed, sheets, list);
    if (placement != AnswerPlacement::End) return;
    random = TRandom(seed);
    for (std::int32_t s = 0; s < sheets; ++s) {
        GenerateProblems(settings, random, set, count);
        page(s, true, set, count);
    }
}

std::int64_t PageCount(AnswerPlacement placement, std::int32_t sheets, std::int32_t problems) {
    switch (placement) {
        case AnswerPlacement::None:
            return sheets;
        case AnswerPlacement::List:
            return static_cast<std::int64_t>(sheets) + ListPageCount(sheets, problems);
        case AnswerPlacement::After:
        case AnswerPlacement::End:
            break;
    }
    return 2 * static_cast<std::int64_t>(sheets);
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
