// LineReader reads a file line by line with the rules of the C runtime's
// fgets and feof, which the file formats of the stores are defined by: a line
// is read into a buffer of a given size, so at most size - 1 bytes come back
// and a longer line arrives in pieces; the line feed stays part of the line;
// the end-of-file flag is raised only by a read that ran into the end.
//
// Not thread-safe: one reader belongs to one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace trellisk::platform {

class LineReader {
 public:
  explicit LineReader(ReadableFile& file);

  // Reads the next line as fgets with a buffer of `bufferSize` bytes would.
  // Returns false, with `line` empty, when nothing could be read. The view
  // stays valid until the next call.
  bool ReadLine(size_t bufferSize, std::string_view& line);

  // True once a read has run into the end of the file (feof).
  bool AtEnd() const { return atEnd_; }
  // How many lines (or pieces of lines) ReadLine has returned.
  uint64_t lineNumber() const { return lineNumber_; }
  // Whether the last line returned filled the whole buffer without its line
  // feed: a piece of a longer line, whose rest the next read returns.
  bool LastLineWasCut() const { return lastLineCut_; }

  // The bytes read ahead and not returned yet, for a caller that parses
  // whole lines in place (empty before the first ReadLine and whenever the
  // next read must go to the file). Valid until the next call.
  std::string_view Buffered() const { return std::string_view(chunk_.data() + chunkPos_, chunkLen_ - chunkPos_); }
  // Passes over the first `bytes` of Buffered(), which hold `lines` whole
  // lines, each ending with its line feed and short enough for the buffer
  // size the caller reads with: the state is then as after that many
  // ReadLine calls.
  void Skip(size_t bytes, uint64_t lines);

 private:
  bool Refill();
  // Counts the line that ReadLine returns.
  bool Returned(std::string_view line, size_t limit);

  ReadableFile& file_;
  std::string chunk_;
  size_t chunkPos_ = 0;
  size_t chunkLen_ = 0;
  std::string assembled_;
  bool atEnd_ = false;
  uint64_t lineNumber_ = 0;
  bool lastLineCut_ = false;
};

}  // namespace trellisk::platform
