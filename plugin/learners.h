// Learners counts the running learning threads (ActiveLearners). A slot is
// taken before a learning thread is started and given back when it ends, so
// the limit for user training holds even when several host threads train at
// once, and shutdown never misses a thread that has not yet been scheduled.
//
// Thread-safe.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/sync.h"

namespace trellisk {

class Learners {
 public:
  // Takes a slot when fewer than `limit` learners run; false otherwise.
  bool TryReserve(uint32_t limit) {
    std::lock_guard<platform::RecursiveMutex> lock(mutex_);
    if (active_ >= limit) return false;
    ++active_;
    return true;
  }
  // Takes a slot regardless of any limit (automatic learning).
  void Reserve() {
    std::lock_guard<platform::RecursiveMutex> lock(mutex_);
    ++active_;
  }
  void Release() {
    std::lock_guard<platform::RecursiveMutex> lock(mutex_);
    if (active_ > 0) --active_;
    if (active_ == 0) idle_.notify_all();
  }
  // Waits until no learner runs, at most `timeoutMs`; whether none runs.
  bool WaitUntilIdle(uint32_t timeoutMs) {
    std::unique_lock<platform::RecursiveMutex> lock(mutex_);
    return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return active_ == 0; });
  }
  uint32_t Active() {
    std::lock_guard<platform::RecursiveMutex> lock(mutex_);
    return active_;
  }

 private:
  platform::RecursiveMutex mutex_;
  std::condition_variable_any idle_;
  uint32_t active_ = 0;
};

}  // namespace trellisk
