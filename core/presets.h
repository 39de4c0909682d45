#pragma once
// Named settings for the exercises of decimal multiplication that the grade 4 and grade 5
// textbooks drill, so that a teacher need not work out the patterns for the usual cases.
#include <span>
#include <string_view>

struct SheetPreset {
    const char* Name;          // what --preset takes
    const char* Title;         // what a teacher reads in the list
    const char* Multiplicand;  // digit patterns (core/digit_pattern.h)
    const char* Multiplier;
    const char* Answer;  // "LOW:HIGH"
};

std::span<const SheetPreset> SheetPresets();
// nullptr when no preset has that name.
const SheetPreset* FindSheetPreset(std::string_view name);
