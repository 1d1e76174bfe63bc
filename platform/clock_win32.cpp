// The performance counter of Windows behind the stopwatch.
#include <windows.h>

#include <ctime>

#include "platform/clock.h"

namespace trellisk::platform {

int64_t HighResolutionTicks() {
  LARGE_INTEGER ticks;
  QueryPerformanceCounter(&ticks);
  return ticks.QuadPart;
}

int64_t HighResolutionFrequency() {
  // Fixed at boot; never 0 on systems since Windows XP.
  static const int64_t frequency = [] {
    LARGE_INTEGER perSecond;
    QueryPerformanceFrequency(&perSecond);
    return perSecond.QuadPart;
  }();
  return frequency;
}

uint32_t CalendarTimeSeconds() { return static_cast<uint32_t>(std::time(nullptr)); }

}  // namespace trellisk::platform
