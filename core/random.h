#pragma once
// The program's one random generator: a 32-bit linear congruential state, seeded once from
// the clock. Its sequence decides which problems a sheet gets, so it is reproduced exactly.
#include <cstdint>

// 0 until SeedRandom runs; every RandomBelow advances it once.
extern std::uint32_t RandomSeed;

// Milliseconds since midnight UTC.
void SeedRandom();
// 0 .. n-1 for n >= 1; advances RandomSeed before using it.
std::int32_t RandomBelow(std::int32_t n);
