// Threads of the core: detached worker threads (learning, DNS look-ups), a
// worker thread its starter can wait for (the scan report), and sleeping.
// Thread-safe.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace trellisk::platform {

// Starts `body` on a new detached thread; false when no thread could be made.
bool StartDetachedThread(std::function<void()> body);

// A worker thread that its starter can wait for. Destroying the object does
// not stop the thread: one that still runs goes on, detached. On Windows the
// thread holds a reference on the module of its code while it runs and
// gives it back as it exits, so that a library is never unloaded under a
// thread that outlived its starter's wait.
class WaitableThread {
 public:
  // Starts `body` on a new thread; null when no thread could be made.
  static std::unique_ptr<WaitableThread> Start(std::function<void()> body);

  virtual ~WaitableThread() = default;
  // Waits until the thread has ended, at most `timeoutMs`, with the
  // message-pumping wait (sync.h); true when it has ended.
  virtual bool WaitEnded(uint32_t timeoutMs) = 0;
};

void SleepMilliseconds(uint32_t milliseconds);

}  // namespace trellisk::platform
