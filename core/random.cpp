#include "core/random.h"

#include <chrono>

std::uint32_t ClockSeed() {
    // The date takes no part: only the time of day, in UTC, to the millisecond.
    const auto sinceEpoch =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch());
    constexpr std::int64_t MillisecondsPerDay = 86'400'000;
    std::int64_t ofDay = sinceEpoch.count() % MillisecondsPerDay;
    if (ofDay < 0) ofDay += MillisecondsPerDay;
    return static_cast<std::uint32_t>(ofDay);
}
