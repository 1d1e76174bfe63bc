#include "platform/threads.h"

#include <chrono>
#include <thread>

namespace trellisk::platform {

void SleepMilliseconds(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace trellisk::platform
