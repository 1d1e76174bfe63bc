#include "parser/url_decode.h"

#include "platform/hex_digit.h"

namespace trellisk {

bool DecodeUrl(std::string_view input, std::string& output) {
  output.clear();
  output.reserve(input.size());
  for (size_t i = 0; i < input.size(); ++i) {
    if (input[i] != '%') {
      output.push_back(input[i]);
      continue;
    }
    if (input.size() - i < 3) return false;
    const int value = 16 * HexDigitValue(input[i + 1]) + HexDigitValue(input[i + 2]);
    output.push_back(static_cast<char>(value & 0xFF));
    i += 2;
  }
  return true;
}

}  // namespace trellisk
