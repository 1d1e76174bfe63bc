// How the registry tests print a RegistryValue when an expectation fails:
// its type number and its bytes in hex. Test-only; stateless.
#pragma once

#include <cstdio>
#include <ostream>

#include "platform/registry.h"

namespace trellisk::platform {

inline void PrintTo(const RegistryValue& value, std::ostream* out) {
  *out << "{type " << value.type << ":";
  for (const uint8_t byte : value.data) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02x", byte);
    *out << hex;
  }
  *out << "}";
}

}  // namespace trellisk::platform
