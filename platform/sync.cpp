#include "platform/sync.h"

#include <chrono>

namespace trellisk::platform {

void RecursiveMutex::lock() { mutex_.lock(); }
void RecursiveMutex::unlock() { mutex_.unlock(); }
bool RecursiveMutex::try_lock() { return mutex_.try_lock(); }

void ManualResetEvent::Set() {
  // Notified under the lock: a waiter may destroy the event as soon as it
  // sees it set, so Set must not touch the event after releasing the lock.
  std::lock_guard<std::mutex> lock(mutex_);
  set_ = true;
  signalled_.notify_all();
}

void ManualResetEvent::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  set_ = false;
}

bool ManualResetEvent::Wait(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (timeoutMs == kWaitForever) {
    signalled_.wait(lock, [this] { return set_; });
    return true;
  }
  return signalled_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return set_; });
}

}  // namespace trellisk::platform
