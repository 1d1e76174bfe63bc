#include "parser/quoted_printable.h"

#include "platform/hex_digit.h"

namespace trellisk {
namespace {

bool IsDigitOrLetter(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The byte of "=XY": the hexadecimal digits among X and Y, the first
// non-digit ending the number ("=3G" gives 03, "=GA" gives 00).
char EscapedByte(char first, char second) {
  int value = 0;
  for (char c : {first, second}) {
    const int digit = HexDigitValue(c);
    if (digit < 0) break;
    value = value * 16 + digit;
  }
  return static_cast<char>(value);
}

}  // namespace

bool DecodeQuotedPrintable(std::string_view input, std::string& output) {
  output.clear();
  output.reserve(input.size());
  size_t i = 0;
  while (i < input.size()) {
    const char c = input[i];
    if (c == '\r' || c == '\n') {
      ++i;
    } else if (c != '=') {
      output.push_back(c);
      ++i;
    } else if (i + 2 >= input.size()) {
      // A lone "=" or "=X" at the very end has no two characters to read.
      return false;
    } else if (IsDigitOrLetter(input[i + 1])) {
      output.push_back(EscapedByte(input[i + 1], input[i + 2]));
      i += 3;
    } else if (input[i + 1] == '\r' && input[i + 2] == '\n') {
      i += 3;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace trellisk
