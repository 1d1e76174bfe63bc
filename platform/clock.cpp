#include "platform/clock.h"

#include <chrono>
#include <ctime>

namespace trellisk::platform {

int64_t HighResolutionTicks() {
  return std::chrono::steady_clock::now().time_since_epoch().count();
}

int64_t HighResolutionFrequency() {
  using Period = std::chrono::steady_clock::period;
  return Period::den / Period::num;
}

uint32_t CalendarTimeSeconds() { return static_cast<uint32_t>(std::time(nullptr)); }

}  // namespace trellisk::platform
