#pragma once
// A typical full page for the benchmark, the developer tools and the tests that need one:
// sixteen problems that exercise every kind of figure (one- to five-digit multipliers, zeros
// in the product, points to place on both sides, the largest operands).
#include "core/problem.h"
#include "drawing/worksheet.h"

ProblemSet SampleProblems();
inline constexpr int SampleProblemCount = 16;

// The page of those problems, sheet 1, with the usual instruction sentence.
PageContent SamplePage(const ProblemSet& problems, bool showAnswers);
