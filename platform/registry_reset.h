// Test support on Windows: deletes a key of the system registry with all
// its subkeys and values, so that an end-to-end test starts from a machine
// that never ran the plug-in. Not part of the plug-in; thread-safe.
#pragma once

#include <string_view>

#include "platform/registry.h"

namespace trellisk::platform {

// True when the key is gone afterwards (also when it never existed).
bool DeleteRegistryTree(RegistryHive hive, std::string_view path);

}  // namespace trellisk::platform
