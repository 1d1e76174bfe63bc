// The text format of the black and white list files: one entry per line,
// "TEXT: <text>" for a plain text, "REGEXP: <expression>" for a regular
// expression, and a line without either prefix is a plain text. Prefixes are
// recognised in any case and blanks around the entry are dropped. Lines are
// read in pieces of at most kListLinePiece bytes, so a longer line gives
// several entries. The text of a file is built with LF line ends, which the
// size limit counts as one byte each, and written with the platform's text
// line ends (CR LF on Windows); readers accept both.
//
// Pure functions; thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace trellisk {

// The read buffer of a line, terminating 0 included.
inline constexpr size_t kListLineBuffer = 4096;
inline constexpr std::string_view kTextPrefix = "TEXT:";
inline constexpr std::string_view kExpressionPrefix = "REGEXP:";

struct ListLine {
  // Empty for a blank line (or a bare prefix).
  std::string_view text;
  bool expression = false;
};

// One line (or piece of a line) as read from the file. The line is a C
// string to the file's writers: it ends at its first 0 byte.
ListLine ParseListLine(std::string_view line);

// The line of one entry, LF included. Every entry carries its prefix, so an
// entry whose own text starts with a prefix reads back unchanged.
std::string FormatListLine(std::string_view text, bool expression);

// The size limit of a list file: with `limit` not 0 and the text longer,
// only whole lines from within its last `limit` bytes are kept, and never
// the first line there, even if the cut falls at its start. The oldest
// lines, which come first, go first.
std::string_view KeepNewestLines(std::string_view text, uint32_t limit);

}  // namespace trellisk
