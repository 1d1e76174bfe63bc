#include "platform/registry.h"

#include <optional>

namespace trellisk::platform {

RegistryValue RegistryValue::Dword(uint32_t number) {
  RegistryValue value;
  value.type = kRegDword;
  for (int shift = 0; shift < 32; shift += 8) value.data.push_back(static_cast<uint8_t>(number >> shift));
  return value;
}

std::optional<uint32_t> RegistryValue::AsDword() const {
  if (type != kRegDword || data.size() != 4) return std::nullopt;
  return data[0] | data[1] << 8 | data[2] << 16 | uint32_t{data[3]} << 24;
}

RegistryValue RegistryValue::String(std::string_view text) {
  RegistryValue value;
  value.type = kRegString;
  value.data.assign(text.begin(), text.end());
  value.data.push_back(0);
  return value;
}

bool Registry::WriteValues(RegistryHive hive, std::span<const RegistryWrite> writes) {
  std::optional<std::string_view> failedKey;
  for (const RegistryWrite& write : writes) {
    if (failedKey && *failedKey != write.path) continue;
    const std::unique_ptr<RegistryKey> key = Create(hive, write.path);
    if (!key || !key->Write(write.name, write.value)) failedKey = write.path;
  }
  return !failedKey;
}

}  // namespace trellisk::platform
