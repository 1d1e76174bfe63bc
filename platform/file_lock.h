// FileLock: an exclusive lock between processes (and between threads), held
// on a lock file for as long as the object lives. Each Acquire opens the lock
// file anew, so a lock is never shared with a forked child through an
// inherited descriptor. The lock file itself is left in place.
//
// The caller owns the FileLock; one object is used by one thread.
#pragma once

#include <memory>
#include <string>

namespace trellisk::platform {

class FileLock {
 public:
  // Blocks until this caller holds the lock on `path` (the file is created
  // when missing); null when the file cannot be opened or locked, with the
  // reason in `error`.
  static std::unique_ptr<FileLock> Acquire(const std::string& path, std::string& error);

  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  explicit FileLock(int descriptor) : descriptor_(descriptor) {}
  int descriptor_;
};

}  // namespace trellisk::platform
