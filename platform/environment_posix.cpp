#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/environment.h"

namespace trellisk::platform {

std::optional<std::string> EnvironmentVariable(const char* name) {
  const char* value = std::getenv(name);
  if (!value) return std::nullopt;
  return std::string(value);
}

bool SetEnvironmentVariable(const char* name, const std::string& value) {
  return ::setenv(name, value.c_str(), 1) == 0;
}

std::string OwnModulePath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&OwnModulePath), &info) == 0 || !info.dli_fname) return {};
  return info.dli_fname;
}

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

}  // namespace trellisk::platform
