#pragma once
#include <array>
#include <cstdint>
#include <string>

constexpr int ProblemCapacity = 20;

struct Problem {
    std::int32_t MultiplicandMilli = 0;  // thousandths: 12345 is 12.345
    std::int32_t MultiplierMilli = 0;
    std::string MultiplicandText;  // FormatDecimal of the thousandths / 1000
    std::string MultiplierText;
};

// Slots are numbered from 1, as the sheet numbers its problems.
class ProblemSet {
public:
    Problem& operator[](int slot) { return slots_.at(static_cast<std::size_t>(slot - 1)); }
    const Problem& operator[](int slot) const { return slots_.at(static_cast<std::size_t>(slot - 1)); }

private:
    std::array<Problem, ProblemCapacity> slots_{};
};
