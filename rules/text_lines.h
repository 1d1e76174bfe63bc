// The line pieces of a text as the rule filter reads them: the text is cut at
// every carriage return and every line feed, and empty pieces are dropped, so
// CR LF, LF and CR line ends all work and blank lines vanish. Pure;
// thread-safe.
#pragma once

#include <string_view>

namespace trellisk {

// Calls `visit(piece)` for every non-empty piece, in order.
template <typename Visit>
void ForEachLinePiece(std::string_view text, Visit&& visit) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) visit(text.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace trellisk
