// The line end of the plug-in's text files (the stores and the log). They
// are text files in the platform's text mode, which the file system layer does not
// apply (it reads and writes bytes as they are): CR LF on Windows, LF
// elsewhere. Readers accept both.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/ascii.h"

namespace trellisk {

#if defined(_WIN32)
inline constexpr std::string_view kTextLineEnd = "\r\n";
#else
inline constexpr std::string_view kTextLineEnd = "\n";
#endif

// The file's bytes of a text: every LF written as the platform's line end.
std::string WithTextLineEnds(std::string_view text);

// The text of a file's bytes: every CR LF read as LF.
std::string WithoutTextLineEnds(std::string_view bytes);

// Whether a line of `text` with its line end comes back whole from a reader
// whose line buffer (terminating 0 included) has `bufferSize` bytes. A
// longer line reads back in pieces, which puts every later line of a
// record file out of step, so record writers leave such a record out. Only
// a damaged file can give a key that long.
inline bool ReadsBackAsOneLine(std::string_view text, size_t bufferSize) {
  return text.size() + kTextLineEnd.size() < bufferSize;
}

// Whether a record file's reader, which trims a key line of blanks and
// takes an empty one for the end of the records, gets exactly `key` back.
inline bool KeyReadsBackAsIs(std::string_view key, size_t bufferSize) {
  return !key.empty() && Trim(key) == key && key.find('\n') == std::string_view::npos &&
         key.find('\r') == std::string_view::npos && ReadsBackAsOneLine(key, bufferSize);
}

// A key line as the files' text form defines it: a C string, ending at its
// first 0 byte. The tables hand keys out the same way, so a key read with a
// 0 byte in it would be written back cut short, as another key.
inline std::string_view TextBeforeZeroByte(std::string_view line) { return line.substr(0, line.find('\0')); }

}  // namespace trellisk
