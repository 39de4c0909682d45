#include "run/sheet_page.h"

#include "core/random.h"
#include "core/sheet_run.h"

std::uint32_t ChooseSeed(const RunOptions& options) {
    if (options.Seed) return *options.Seed;
    return ClockSeed();
}

PageContent SheetPage(std::string_view sentence, std::int32_t number, const ProblemSet& set, std::int32_t count,
                      bool answers, const TPageStyle& style) {
    PageContent content;
    content.Sentence = sentence;
    content.PrintNumber = number;
    content.Problems = &set;
    content.ProblemCount = count;
    content.ShowAnswers = answers;
    content.Style = style;
    return content;
}

PageContent RunSheetPage(const RunOptions& options, std::int32_t sheet, bool answers, const ProblemSet& set,
                         std::int32_t count) {
    PageContent content =
        SheetPage(options.Sentence, SheetNumber(options.FirstNumber, sheet), set, count, answers, options.Style);
    // Laid out for the count asked for: a short set (the page warns and draws it) keeps its rows.
    SetSheetLayout(content, options.Settings.RequestedCount);
    return content;
}

AnswerListContent RunListPage(const RunOptions& options, const AnswerListPage& page) {
    AnswerListContent content;
    content.Page = &page;
    content.FirstNumber = options.FirstNumber;
    return content;
}
