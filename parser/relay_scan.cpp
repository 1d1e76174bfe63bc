#include "parser/relay_scan.h"

namespace trellisk {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHostByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '_' || c == '-' || c == '\xE4' ||
         c == '\xFC' || c == '\xF6';
}

size_t DigitRun(std::string_view line, size_t at) {
  size_t end = at;
  while (end < line.size() && IsDigit(line[end])) ++end;
  return end - at;
}

// The end of a dotted quad starting at `at`, or npos. The first three
// numbers must reach their dot within three digits; the last takes up to
// three.
size_t DottedQuadEnd(std::string_view line, size_t at) {
  for (int number = 0; number < 3; ++number) {
    const size_t digits = DigitRun(line, at);
    if (digits == 0 || digits > 3 || at + digits >= line.size() || line[at + digits] != '.') {
      return std::string_view::npos;
    }
    at += digits + 1;
  }
  const size_t digits = DigitRun(line, at);
  if (digits == 0) return std::string_view::npos;
  return at + (digits < 3 ? digits : 3);
}

size_t HostRunEnd(std::string_view line, size_t at) {
  while (at < line.size() && IsHostByte(line[at])) ++at;
  return at;
}

}  // namespace

std::optional<TextSpan> FindDottedQuad(std::string_view line, size_t from) {
  for (size_t at = from; at < line.size(); ++at) {
    if (!IsDigit(line[at])) continue;
    const size_t end = DottedQuadEnd(line, at);
    if (end != std::string_view::npos) return TextSpan{at, end};
  }
  return std::nullopt;
}

std::optional<TextSpan> FindHostName(std::string_view line, size_t from) {
  size_t at = from;
  while (at < line.size()) {
    if (!IsHostByte(line[at])) {
      ++at;
      continue;
    }
    // Every start inside a label reaches the same label end, so only the
    // label's first byte needs trying.
    const size_t begin = at;
    size_t end = HostRunEnd(line, at);
    size_t matchEnd = std::string_view::npos;
    while (end + 1 < line.size() && line[end] == '.' && IsHostByte(line[end + 1])) {
      end = HostRunEnd(line, end + 1);
      matchEnd = end;
    }
    if (matchEnd != std::string_view::npos) return TextSpan{begin, matchEnd};
    at = end;
  }
  return std::nullopt;
}

}  // namespace trellisk
