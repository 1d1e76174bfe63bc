#include "parser/base64.h"

#include <array>
#include <cstdint>

namespace trellisk {
namespace {

constexpr int8_t kNotInAlphabet = -1;

constexpr std::array<int8_t, 256> MakeAlphabet() {
  std::array<int8_t, 256> values{};
  for (auto& v : values) v = kNotInAlphabet;
  for (int c = 'A'; c <= 'Z'; ++c) values[c] = static_cast<int8_t>(c - 'A');
  for (int c = 'a'; c <= 'z'; ++c) values[c] = static_cast<int8_t>(c - 'a' + 26);
  for (int c = '0'; c <= '9'; ++c) values[c] = static_cast<int8_t>(c - '0' + 52);
  values['+'] = 62;
  values['/'] = 63;
  return values;
}

constexpr std::array<int8_t, 256> kAlphabet = MakeAlphabet();

}  // namespace

bool DecodeBase64(std::string_view input, std::string& output) {
  output.clear();
  output.reserve(input.size() / 4 * 3 + 3);
  uint32_t bits = 0;
  int collected = 0;
  for (char c : input) {
    const int8_t value = kAlphabet[static_cast<unsigned char>(c)];
    if (value == kNotInAlphabet) continue;
    bits = (bits << 6) | static_cast<uint32_t>(value);
    if (++collected == 4) {
      output.push_back(static_cast<char>(bits >> 16));
      output.push_back(static_cast<char>(bits >> 8));
      output.push_back(static_cast<char>(bits));
      bits = 0;
      collected = 0;
    }
  }
  if (collected == 2) {
    output.push_back(static_cast<char>(bits >> 4));
  } else if (collected == 3) {
    output.push_back(static_cast<char>(bits >> 10));
    output.push_back(static_cast<char>(bits >> 2));
  }
  return true;
}

}  // namespace trellisk
