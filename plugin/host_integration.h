// HostIntegration reads what the plug-in takes from the mail client's own
// installation: the host's program directory (the default home of every
// store file) from the host's registry key, and the host's junk threshold
// from the host's tbplugin.ini. It only reads; problems go to the log.
//
// Thread-safe as far as the registry and the log are; holds no state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/registry.h"

namespace trellisk {

class Log;

// The host's key under HKEY_CURRENT_USER.
inline constexpr const char* kHostRegistryKey = "Software\\RIT\\The Bat!";
inline constexpr const char* kHostIniFileName = "tbplugin.ini";

class HostIntegration {
 public:
  HostIntegration(platform::Registry& registry, platform::FileSystem& files, Log& log);

  // The host's program directory with a trailing path separator, or empty
  // text when it is unknown (then the stores use bare file names).
  std::string HostDirectory();

  // The junk threshold of the host's tbplugin.ini, 0 when it is unknown.
  uint32_t JunkThreshold();

 private:
  std::string IniFilePath(std::string workingDirectory);

  platform::Registry& registry_;
  platform::FileSystem& files_;
  Log& log_;
};

// A registry text value as the plug-in accepts it: readable within
// `maxBytes`, of a string type (an expandable string is taken as it is), and
// ending with a zero byte. The text is everything before the first zero byte.
std::optional<std::string> ReadRegistryText(platform::RegistryKey& key, std::string_view name,
                                            size_t maxBytes);

}  // namespace trellisk
