// BufferedTextWriter collects the text of a store file in memory and hands
// it to the file in large pieces, so that writing a million records costs a
// few hundred appends rather than millions.
//
// The writer refers to a file it does not own; one thread uses it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace trellisk {

class BufferedTextWriter {
 public:
  explicit BufferedTextWriter(platform::WritableFile& file);
  BufferedTextWriter(const BufferedTextWriter&) = delete;
  BufferedTextWriter& operator=(const BufferedTextWriter&) = delete;

  void Write(std::string_view text);
  // Unsigned decimal, as "%u" prints it.
  void WriteNumber(uint32_t value);
  void EndLine();
  // Hands over what is still buffered; false when any append failed.
  bool Finish();

 private:
  void FlushWhenFull();
  void Flush();

  platform::WritableFile& file_;
  std::string buffer_;
  bool ok_ = true;
};

}  // namespace trellisk
