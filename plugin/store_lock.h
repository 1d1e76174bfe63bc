// The store lock keeps two instances of the plug-in (two mail clients, or
// two test hosts) from using the stores of one directory at once: whoever
// saves last would throw away what the other learned. An instance holds the
// lock file "trellisk.lock" beside its word database from start-up to
// shutdown; a second one waits for it a bounded time and, when it cannot
// have it, runs read-only.
//
// Free functions; the lock they return belongs to the caller.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/file_lock.h"

namespace trellisk {

inline constexpr const char* kStoreLockFileName = "trellisk.lock";

// The lock file of the stores that live beside `databasePath`.
std::string StoreLockPath(const std::string& databasePath);

struct StoreLockAttempt {
  std::unique_ptr<platform::FileLock> lock;  // null: not had
  bool waited = false;  // another instance held it when the attempt began
  std::string error;    // why the lock file could not be locked, if not held
};

// Takes the lock, waiting up to `waitMs` (polling every 100 ms with
// `sleep`) while another instance holds it; `onWait` is told once when the
// wait begins.
StoreLockAttempt LockStores(const std::string& lockPath, uint32_t waitMs,
                            const std::function<void(uint32_t milliseconds)>& sleep,
                            const std::function<void()>& onWait);

}  // namespace trellisk
