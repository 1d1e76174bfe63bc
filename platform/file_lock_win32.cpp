// LockFileEx locks belong to the handle, so two handles opened separately
// exclude each other even inside one process.
#include <windows.h>

#include "platform/file_lock.h"

namespace trellisk::platform {

std::unique_ptr<FileLock> FileLock::Take(const std::string& path, bool wait, std::string& error) {
  error.clear();
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = "cannot open the lock file " + path + " (error " + std::to_string(GetLastError()) + ")";
    return nullptr;
  }
  OVERLAPPED whole{};
  const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
  if (!LockFileEx(file, flags, 0, MAXDWORD, MAXDWORD, &whole)) {
    const DWORD reason = GetLastError();
    if (reason != ERROR_LOCK_VIOLATION) error = "cannot lock " + path + " (error " + std::to_string(reason) + ")";
    CloseHandle(file);
    return nullptr;
  }
  return std::unique_ptr<FileLock>(new FileLock(reinterpret_cast<std::intptr_t>(file)));
}

FileLock::~FileLock() { CloseHandle(reinterpret_cast<HANDLE>(handle_)); }

}  // namespace trellisk::platform
