// The process environment: environment variables and where the plug-in's own
// library file lies (its language file and DNS cache are found from it).
// Thread-safe.
#pragma once

#include <optional>
#include <string>

namespace trellisk::platform {

// The variable's value, or nothing when it is not set.
std::optional<std::string> EnvironmentVariable(const char* name);

// Sets (or replaces) a variable of this process's environment.
bool SetEnvironmentVariable(const char* name, const std::string& value);

// Full path of the library (or program) this code is linked into.
std::string OwnModulePath();

// Full path of the running program.
std::string ExecutablePath();

// The separator this platform uses between directory names ("/" or "\").
inline constexpr char kPathSeparator =
#ifdef _WIN32
    '\\';
#else
    '/';
#endif

}  // namespace trellisk::platform
