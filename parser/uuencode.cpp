#include "parser/uuencode.h"

#include <cstdint>

#include "base/ascii.h"

namespace trellisk {
namespace {

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// The six-bit value of one character; the grave accent stands for zero.
uint32_t SixBits(char c) { return c == '`' ? 0 : static_cast<uint32_t>(static_cast<unsigned char>(c) - 32) & 63; }

bool StartsSkippedLine(std::string_view rest) {
  return (rest.size() >= 5 && StartsWithIgnoreCase(rest, "begin")) ||
         (rest.size() >= 3 && StartsWithIgnoreCase(rest, "end"));
}

}  // namespace

bool DecodeUuencode(std::string_view input, std::string& output) {
  output.clear();
  output.reserve(input.size());
  size_t i = 0;
  bool skippingLine = false;
  while (i < input.size()) {
    if (IsLineBreak(input[i])) {
      skippingLine = false;
      ++i;
      continue;
    }
    if (skippingLine) {
      ++i;
      continue;
    }
    if (StartsSkippedLine(input.substr(i))) {
      skippingLine = true;
      continue;
    }
    const uint32_t length = SixBits(input[i++]);
    for (uint32_t written = 0; written < length;) {
      uint32_t group = 0;
      for (int k = 0; k < 4; ++k) {
        const char c = i < input.size() ? input[i++] : '`';
        if (IsLineBreak(c)) return false;
        group = (group << 6) | SixBits(c);
      }
      for (int shift = 16; shift >= 0 && written < length; shift -= 8, ++written) {
        output.push_back(static_cast<char>(group >> shift));
      }
    }
  }
  return true;
}

}  // namespace trellisk
