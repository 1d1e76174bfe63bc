// The keys the plug-in and its host write into the system registry, for the
// Windows end-to-end suites, which must leave none of them behind for later
// users of the machine's registry. Test-only; not thread-safe.
#pragma once

#include "platform/registry_reset.h"
#include "plugin/host_integration.h"

namespace trellisk::testing {

inline constexpr const char* kPluginSettingsKey = "Software\\Trellisk";

// Deletes both keys from both hives; false when one could not be deleted.
inline bool DeletePluginRegistryKeys() {
  bool deleted = true;
  for (const char* key : {kPluginSettingsKey, kHostRegistryKey}) {
    deleted = platform::DeleteRegistryTree(platform::RegistryHive::LocalMachine, key) && deleted;
    deleted = platform::DeleteRegistryTree(platform::RegistryHive::CurrentUser, key) && deleted;
  }
  return deleted;
}

}  // namespace trellisk::testing
