#include <dlfcn.h>

#include <cstdlib>

#include "platform/environment.h"

namespace trellisk::platform {

std::optional<std::string> EnvironmentVariable(const char* name) {
  const char* value = std::getenv(name);
  if (!value) return std::nullopt;
  return std::string(value);
}

std::string OwnModulePath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&OwnModulePath), &info) == 0 || !info.dli_fname) return {};
  return info.dli_fname;
}

}  // namespace trellisk::platform
