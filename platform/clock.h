// Clocks: the high-resolution tick counter behind Stopwatch, and calendar
// time in seconds since 1970-01-01 00:00 UTC. Thread-safe.
#pragma once

#include <cstdint>

namespace trellisk::platform {

int64_t HighResolutionTicks();
// Ticks per second of HighResolutionTicks.
int64_t HighResolutionFrequency();

// Seconds since 1970-01-01 00:00 UTC, as an unsigned 32-bit count.
uint32_t CalendarTimeSeconds();

}  // namespace trellisk::platform
