#include "base/text_line_end.h"

namespace trellisk {

std::string WithTextLineEnds(std::string_view text) {
  if (kTextLineEnd == "\n") return std::string(text);
  std::string bytes;
  bytes.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\n') {
      bytes.append(kTextLineEnd);
    } else {
      bytes.push_back(c);
    }
  }
  return bytes;
}

std::string WithoutTextLineEnds(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (size_t start = 0;;) {
    const size_t lineEnd = bytes.find("\r\n", start);
    if (lineEnd == std::string_view::npos) {
      text.append(bytes.substr(start));
      return text;
    }
    text.append(bytes.substr(start, lineEnd - start));
    start = lineEnd + 1;
  }
}

}  // namespace trellisk
