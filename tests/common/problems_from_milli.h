#pragma once
// A sheet's problems from chosen operands in thousandths, written as the generator writes them:
// tests of layout pick the widest and longest figures rather than draw them.
#include <cstdint>
#include <utility>
#include <vector>

#include "core/numtext.h"
#include "core/problem.h"

inline ProblemSet ProblemsFromMilli(const std::vector<std::pair<std::int32_t, std::int32_t>>& milli) {
    ProblemSet set;
    int k = 1;
    for (const auto& [a, b] : milli) {
        set[k].MultiplicandMilli = a;
        set[k].MultiplierMilli = b;
        set[k].MultiplicandText = FormatDecimal(Thousandths(a));
        set[k].MultiplierText = FormatDecimal(Thousandths(b));
        ++k;
    }
    return set;
}
