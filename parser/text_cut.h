// The parser's texts are zero-terminated byte strings: a decoded part or
// header word that contains a zero byte ends there for every later step.
// Pure helpers; thread-safe.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

namespace trellisk {

// Shortens `text` to the bytes before its first zero byte.
inline void CutAtZeroByte(std::string& text) {
  const size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
}

// The first `length` bytes of `text`, or fewer when a zero byte comes first.
inline std::string_view TextBeforeZeroByte(const char* text, size_t length) {
  const void* zero = std::memchr(text, 0, length);
  return {text, zero ? static_cast<size_t>(static_cast<const char*>(zero) - text) : length};
}

}  // namespace trellisk
