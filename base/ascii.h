// ASCII text helpers shared by the whole plug-in. Texts are 8-bit byte
// strings; case is folded for the ASCII letters A-Z only, never by locale.
// All functions are pure and thread-safe.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace trellisk {

// Spaces, tabs, carriage returns and line feeds: the set most texts are trimmed of.
inline constexpr std::string_view kBlanks = " \t\r\n";

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

inline void AsciiLowerInPlace(std::string& text) {
  for (char& c : text) c = AsciiLower(c);
}
inline void AsciiUpperInPlace(std::string& text) {
  for (char& c : text) c = AsciiUpper(c);
}

inline bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

inline bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

// Removes every leading and trailing byte that occurs in `set`.
inline std::string_view Trim(std::string_view text, std::string_view set = kBlanks) {
  const size_t first = text.find_first_not_of(set);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(set);
  return text.substr(first, last - first + 1);
}

}  // namespace trellisk
