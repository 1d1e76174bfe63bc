// The plug-in's substring search: the first occurrence of a pattern in a
// text at or after a start position, ASCII letters compared without regard
// to case and every other byte exactly. An empty pattern or text is never
// found. Used to test whether a sender is also a recipient, and by the list
// and rule checks. Pure; thread-safe.
#pragma once

#include <cstddef>
#include <string_view>

namespace trellisk {

inline constexpr size_t kNotFound = std::string_view::npos;

// The position of the first occurrence at or after `start`, or kNotFound.
size_t FindIgnoringCase(std::string_view text, std::string_view pattern, size_t start = 0);

// True when the pattern occurs in the text.
inline bool ContainsIgnoringCase(std::string_view text, std::string_view pattern) {
  return FindIgnoringCase(text, pattern) != kNotFound;
}

}  // namespace trellisk
