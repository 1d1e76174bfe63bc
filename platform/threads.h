// Threads of the core: detached worker threads (learning, reporting, DNS
// look-ups) and sleeping. Thread-safe.
#pragma once

#include <cstdint>
#include <functional>

namespace trellisk::platform {

// Starts `body` on a new detached thread; false when no thread could be made.
bool StartDetachedThread(std::function<void()> body);

void SleepMilliseconds(uint32_t milliseconds);

}  // namespace trellisk::platform
