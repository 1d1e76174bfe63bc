// Finds the relay addresses and host names of a "Received: from" header
// line. Linear-time matchers with the exact semantics of kDottedQuad and
// kHostName in patterns.h. Pure functions; thread-safe.
#pragma once

#include <optional>
#include <string_view>

namespace trellisk {

// A match as the offsets of its first and one-past-last byte.
struct TextSpan {
  size_t begin = 0;
  size_t end = 0;
};

// The leftmost dotted quad ("1.2.3.4", each number of one to three digits,
// not checked against 255) at or after `from`.
std::optional<TextSpan> FindDottedQuad(std::string_view line, size_t from);

// The leftmost dotted host name at or after `from`: labels of letters,
// digits, "_", "-" and the Latin-1 letters E4, FC, F6, at least two of them.
std::optional<TextSpan> FindHostName(std::string_view line, size_t from);

}  // namespace trellisk
