// Synchronisation primitives of the core: a re-entrant mutex and a
// manual-reset event. Where the platform has window messages, every wait on
// them keeps dispatching the waiting thread's messages (the message-pumping
// wait), so that a host window thread that waits stays responsive; on POSIX
// they are plain waits. On Windows each object holds an unnamed kernel mutex
// or manual-reset event, created with it (unowned, unsignalled) and closed
// with it.
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
#ifdef _WIN32
  RecursiveMutex();
  ~RecursiveMutex();
  RecursiveMutex(const RecursiveMutex&) = delete;
  RecursiveMutex& operator=(const RecursiveMutex&) = delete;
#endif
  void lock();
  void unlock();
  bool try_lock();

 private:
#ifdef _WIN32
  void* handle_;
#else
  std::recursive_mutex mutex_;
#endif
};

// Starts unsignalled; once Set, every wait returns at once until Reset.
class ManualResetEvent {
 public:
#ifdef _WIN32
  ManualResetEvent();
  ~ManualResetEvent();
  ManualResetEvent(const ManualResetEvent&) = delete;
  ManualResetEvent& operator=(const ManualResetEvent&) = delete;
#endif
  void Set();
  void Reset();
  // The message-pumping wait: true when the event is (or becomes) signalled
  // within `timeoutMs`, false on time-out.
  bool Wait(uint32_t timeoutMs = kWaitForever);

 private:
#ifdef _WIN32
  void* handle_;
#else
  std::mutex mutex_;
  std::condition_variable signalled_;
  bool set_ = false;
#endif
};

}  // namespace trellisk::platform
