#pragma once
// The values that the window, the generator, the page drawing and printing share.
// One instance lives as long as the main window and is owned by it; the other parts are
// handed a reference. Who writes what:
//   Problems, ProblemCount  - the Preview command (generation) only
//   PrintNumber             - window creation, Preview, the print commands
//   ShowAnswers, PreviewReady - preview and printing only
#include <cstdint>

#include "core/problem.h"

struct SharedState {
    ProblemSet Problems;
    std::int32_t ProblemCount = 0;
    std::int32_t PrintNumber = 0;
    bool ShowAnswers = false;   // set only for the duration of one page drawing
    bool PreviewReady = false;  // set by the first preview of more than 3 problems, never cleared
};
