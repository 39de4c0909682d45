#pragma once
// A 32-bit linear congruential generator. Its sequence decides which problems a sheet gets, so it
// is reproduced exactly. Whoever draws holds one: the window one for its life, seeded once from
// the clock; a run of sheets one of its own, seeded from the run's seed, so that nothing else
// moves its sequence in between.
#include <cstdint>

class TRandom {
public:
    explicit TRandom(std::uint32_t seed = 0) : seed_(seed) {}

    // 0 .. n-1 for n >= 1; advances the state before using it. Inline: a candidate problem
    // takes ten draws, and the generator tries up to a thousand candidates a slot.
    std::int32_t Below(std::int32_t n) {
        seed_ = seed_ * 134775813u + 1u;  // modulo 2^32 by unsigned wrap
        const std::uint64_t product = static_cast<std::uint64_t>(static_cast<std::uint32_t>(n)) * seed_;
        return static_cast<std::int32_t>(product >> 32);
    }
    // The state: the seed until the first draw, then the last draw's.
    std::uint32_t Seed() const { return seed_; }

private:
    std::uint32_t seed_;
};

// Milliseconds since midnight UTC: the seed when nobody chose one.
std::uint32_t ClockSeed();
