#include "platform/registry.h"

namespace trellisk::platform {

RegistryValue RegistryValue::Dword(uint32_t number) {
  RegistryValue value;
  value.type = kRegDword;
  for (int shift = 0; shift < 32; shift += 8) value.data.push_back(static_cast<uint8_t>(number >> shift));
  return value;
}

RegistryValue RegistryValue::String(std::string_view text) {
  RegistryValue value;
  value.type = kRegString;
  value.data.assign(text.begin(), text.end());
  value.data.push_back(0);
  return value;
}

bool Registry::WriteValues(RegistryHive hive, std::span<const RegistryWrite> writes) {
  bool stored = true;
  for (const RegistryWrite& write : writes) {
    const std::unique_ptr<RegistryKey> key = Create(hive, write.path);
    stored = key && key->Write(write.name, write.value) && stored;
  }
  return stored;
}

}  // namespace trellisk::platform
