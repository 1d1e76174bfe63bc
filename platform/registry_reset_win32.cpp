#include <windows.h>

#include <string>

#include "platform/registry_reset.h"

namespace trellisk::platform {

bool DeleteRegistryTree(RegistryHive hive, std::string_view path) {
  const HKEY root = hive == RegistryHive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  const std::string keyPath(path);
  // With a subkey name, RegDeleteTree removes that key itself too.
  const LSTATUS status = RegDeleteTreeA(root, keyPath.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace trellisk::platform
