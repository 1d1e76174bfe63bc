#include "parser/url_decode.h"

namespace trellisk {
namespace {

int HexValueOrMinusOne(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool DecodeUrl(std::string_view input, std::string& output) {
  output.clear();
  output.reserve(input.size());
  for (size_t i = 0; i < input.size(); ++i) {
    if (input[i] != '%') {
      output.push_back(input[i]);
      continue;
    }
    if (input.size() - i < 3) return false;
    const int value = 16 * HexValueOrMinusOne(input[i + 1]) + HexValueOrMinusOne(input[i + 2]);
    output.push_back(static_cast<char>(value & 0xFF));
    i += 2;
  }
  return true;
}

}  // namespace trellisk
