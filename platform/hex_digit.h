// The value of a hexadecimal digit of either case. This one portable helper
// lives in the lowest layer so that the registry's text format below the
// base and the decoders above it share it. Pure; thread-safe.
#pragma once

namespace trellisk {

// 0 to 15 for '0'-'9', 'A'-'F' and 'a'-'f'; -1 for any other byte.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace trellisk
