#include "drawing/sample_page.h"

#include "core/numtext.h"

ProblemSet SampleProblems() {
    static constexpr std::int32_t milli[SampleProblemCount][2] = {
        {2350, 1400},   {12500, 600}, {3000, 250},   {99999, 99999}, {4, 3},   {12500, 800},
        {23000, 45000}, {2300, 1050}, {12345, 6000}, {50005, 50002}, {0, 500}, {2500, 4000},
        {20000, 3000},  {5, 4},       {25, 4},       {48700, 3060},
    };
    ProblemSet set;
    for (int k = 1; k <= SampleProblemCount; ++k) {
        Problem& p = set[k];
        p.MultiplicandMilli = milli[k - 1][0];
        p.MultiplierMilli = milli[k - 1][1];
        p.MultiplicandText = FormatDecimal(Thousandths(p.MultiplicandMilli));
        p.MultiplierText = FormatDecimal(Thousandths(p.MultiplierMilli));
    }
    return set;
}

PageContent SamplePage(const ProblemSet& problems, bool showAnswers) {
    PageContent content;
    content.Sentence = "次の計算をしましょう。";
    content.PrintNumber = 1;
    content.Problems = &problems;
    content.ProblemCount = SampleProblemCount;
    content.ShowAnswers = showAnswers;
    return content;
}
