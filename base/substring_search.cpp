#include "base/substring_search.h"

#include <array>

#include "base/ascii.h"

namespace trellisk {
namespace {

// Patterns of this many bytes are searched with Horspool's skip table;
// shorter and longer ones with a straight scan.
constexpr size_t kSkipTableMinimum = 2;
constexpr size_t kSkipTableMaximum = 256;

unsigned char Folded(char c) { return static_cast<unsigned char>(AsciiLower(c)); }

bool MatchesAt(std::string_view text, size_t at, std::string_view pattern) {
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (Folded(text[at + i]) != Folded(pattern[i])) return false;
  }
  return true;
}

size_t StraightScan(std::string_view text, std::string_view pattern, size_t start) {
  for (size_t at = start; at + pattern.size() <= text.size(); ++at) {
    if (MatchesAt(text, at, pattern)) return at;
  }
  return kNotFound;
}

size_t Horspool(std::string_view text, std::string_view pattern, size_t start) {
  const size_t last = pattern.size() - 1;
  std::array<size_t, 256> skip;
  skip.fill(pattern.size());
  for (size_t i = 0; i < last; ++i) skip[Folded(pattern[i])] = last - i;
  for (size_t at = start; at + pattern.size() <= text.size(); at += skip[Folded(text[at + last])]) {
    if (MatchesAt(text, at, pattern)) return at;
  }
  return kNotFound;
}

}  // namespace

size_t FindIgnoringCase(std::string_view text, std::string_view pattern, size_t start) {
  if (pattern.empty() || text.empty() || start >= text.size()) return kNotFound;
  if (pattern.size() >= kSkipTableMinimum && pattern.size() <= kSkipTableMaximum) {
    return Horspool(text, pattern, start);
  }
  return StraightScan(text, pattern, start);
}

}  // namespace trellisk
