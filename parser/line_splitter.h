// LineSplitter walks the lines of a message text: runs of bytes between
// carriage returns and line feeds, a run of breaks counting as one, so empty
// lines never appear. Lines are handed out as writable spans of the text,
// since the parser upper-cases some of them in place.
//
// The position lives in the splitter, which belongs to one caller.
#pragma once

#include <cstring>
#include <optional>
#include <span>

namespace trellisk {

class LineSplitter {
 public:
  explicit LineSplitter(std::span<char> text) : text_(text) {}

  // The next non-empty line, or nullopt at the end of the text.
  std::optional<std::span<char>> Next() {
    while (position_ < text_.size() && IsBreak(text_[position_])) ++position_;
    if (position_ >= text_.size()) return std::nullopt;
    const size_t begin = position_;
    while (position_ < text_.size() && !IsBreak(text_[position_])) ++position_;
    return text_.subspan(begin, position_ - begin);
  }

 private:
  static bool IsBreak(char c) { return c == '\r' || c == '\n'; }

  std::span<char> text_;
  size_t position_ = 0;
};

}  // namespace trellisk
