// flock(2) locks belong to the open file description, so two descriptors
// opened separately exclude each other even inside one process.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/file_lock.h"

namespace trellisk::platform {

std::unique_ptr<FileLock> FileLock::Take(const std::string& path, bool wait, std::string& error) {
  error.clear();
  const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    error = "cannot open the lock file " + path + ": " + std::generic_category().message(errno);
    return nullptr;
  }
  int result;
  do {
    result = ::flock(descriptor, wait ? LOCK_EX : LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    if (errno != EWOULDBLOCK) error = "cannot lock " + path + ": " + std::generic_category().message(errno);
    ::close(descriptor);
    return nullptr;
  }
  return std::unique_ptr<FileLock>(new FileLock(descriptor));
}

FileLock::~FileLock() { ::close(static_cast<int>(handle_)); }

}  // namespace trellisk::platform
