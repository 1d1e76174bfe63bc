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
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text.push_back(bytes[i]);
  }
  return text;
}

}  // namespace trellisk
