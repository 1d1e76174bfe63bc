#include "platform/file_lock.h"

namespace trellisk::platform {

std::unique_ptr<FileLock> FileLock::Acquire(const std::string& path, std::string& error) {
  return Take(path, true, error);
}

std::unique_ptr<FileLock> FileLock::TryAcquire(const std::string& path, std::string& error) {
  return Take(path, false, error);
}

}  // namespace trellisk::platform
