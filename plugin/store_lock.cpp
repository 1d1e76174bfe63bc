#include "plugin/store_lock.h"

#include "base/path_text.h"

namespace trellisk {
namespace {

constexpr uint32_t kPollMs = 100;

}  // namespace

std::string StoreLockPath(const std::string& databasePath) {
  return std::string(DirectoryOf(databasePath)) + kStoreLockFileName;
}

StoreLockAttempt LockStores(const std::string& lockPath, uint32_t waitMs,
                            const std::function<void(uint32_t milliseconds)>& sleep,
                            const std::function<void()>& onWait) {
  StoreLockAttempt attempt;
  for (uint32_t waited = 0;; waited += kPollMs) {
    attempt.lock = platform::FileLock::TryAcquire(lockPath, attempt.error);
    if (attempt.lock || !attempt.error.empty() || waited >= waitMs) return attempt;
    if (!attempt.waited) onWait();
    attempt.waited = true;
    sleep(kPollMs);
  }
}

}  // namespace trellisk
