#include "store/word_key.h"

#include <charconv>

namespace trellisk {
namespace {

// h = h * 33 + c over the bytes taken as signed chars, modulo 2^bits of Int.
template <typename Int>
Int TimesThirtyThreeHash(std::string_view word) {
  Int hash = 0;
  for (const char c : word) hash = hash * 33u + static_cast<Int>(static_cast<signed char>(c));
  return hash;
}

template <typename Int>
std::string_view WriteHex(Int value, WordKeyBuffer& buffer) {
  const auto result = std::to_chars(buffer.digits, buffer.digits + sizeof buffer.digits, value, 16);
  return std::string_view(buffer.digits, static_cast<size_t>(result.ptr - buffer.digits));
}

}  // namespace

std::string_view WordKey(std::string_view word, uint32_t hashLimit, WordKeyBuffer& buffer) {
  if (word.size() <= hashLimit || hashLimit <= 8) return word;
  if (hashLimit > 16) return WriteHex(TimesThirtyThreeHash<uint64_t>(word), buffer);
  return WriteHex(TimesThirtyThreeHash<uint32_t>(word), buffer);
}

size_t EffectiveWordLength(std::string_view word) {
  return word.size() >= 2 && word[1] == '*' ? word.size() - 2 : word.size();
}

}  // namespace trellisk
