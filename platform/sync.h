// Synchronisation primitives of the core: a re-entrant mutex and a
// manual-reset event. Where the platform has window messages, every wait on
// them keeps dispatching the waiting thread's messages (the message-pumping
// wait), so that a host window thread that waits stays responsive; on POSIX
// they are plain waits.
//
// All operations are thread-safe.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace trellisk::platform {

inline constexpr uint32_t kWaitForever = UINT32_MAX;

// Re-entrant for its owner; usable with std::lock_guard / std::unique_lock.
class RecursiveMutex {
 public:
  void lock();
  void unlock();
  bool try_lock();

 private:
  std::recursive_mutex mutex_;
};

// Starts unsignalled; once Set, every wait returns at once until Reset.
class ManualResetEvent {
 public:
  void Set();
  void Reset();
  // The message-pumping wait: true when the event is (or becomes) signalled
  // within `timeoutMs`, false on time-out.
  bool Wait(uint32_t timeoutMs = kWaitForever);

 private:
  std::mutex mutex_;
  std::condition_variable signalled_;
  bool set_ = false;
};

}  // namespace trellisk::platform
