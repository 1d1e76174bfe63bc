// The environment through the Win32 calls, not the C runtime's copy, so that
// a variable set by the host process is seen by the plug-in.
#include <vector>

#include "platform/environment.h"
#include "platform/win32_module.h"

// windows.h names the ANSI call SetEnvironmentVariable; ours is meant here.
#undef SetEnvironmentVariable

namespace trellisk::platform {
namespace {

std::string ModuleFileName(HMODULE module) {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);  // cut off: try a larger buffer
  }
}

}  // namespace

std::optional<std::string> EnvironmentVariable(const char* name) {
  std::vector<char> buffer(256);
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableA(name, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(length);  // the size needed, terminator included
  }
}

bool SetEnvironmentVariable(const char* name, const std::string& value) {
  return SetEnvironmentVariableA(name, value.c_str()) != 0;
}

std::string OwnModulePath() { return ModuleFileName(OwnModule()); }

std::string ExecutablePath() { return ModuleFileName(nullptr); }

}  // namespace trellisk::platform
