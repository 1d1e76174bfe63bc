// FileLock: an exclusive lock between processes (and between threads), held
// on a lock file for as long as the object lives. Each Acquire opens the lock
// file anew, so a lock is never shared with a forked child through an
// inherited descriptor, and two locks of one process exclude each other too.
// The lock file itself is left in place. POSIX uses flock(2), Windows
// LockFileEx.
//
// The caller owns the FileLock; one object is used by one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace trellisk::platform {

class FileLock {
 public:
  // Blocks until this caller holds the lock on `path` (the file is created
  // when missing); null when the file cannot be opened or locked, with the
  // reason in `error`.
  static std::unique_ptr<FileLock> Acquire(const std::string& path, std::string& error);
  // Takes the lock only when nobody holds it; null otherwise, with `error`
  // left empty when another holder is the reason.
  static std::unique_ptr<FileLock> TryAcquire(const std::string& path, std::string& error);

  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  explicit FileLock(std::intptr_t handle) : handle_(handle) {}
  static std::unique_ptr<FileLock> Take(const std::string& path, bool wait, std::string& error);

  // A descriptor on POSIX, a HANDLE on Windows.
  std::intptr_t handle_;
};

}  // namespace trellisk::platform
