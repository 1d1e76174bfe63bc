#include "store/buffered_text_writer.h"

#include <charconv>

#include "base/text_line_end.h"

namespace trellisk {
namespace {
constexpr size_t kFlushSize = 1 << 16;
}

BufferedTextWriter::BufferedTextWriter(platform::WritableFile& file) : file_(file) {
  buffer_.reserve(kFlushSize + 64);
}

void BufferedTextWriter::Write(std::string_view text) {
  buffer_.append(text);
  FlushWhenFull();
}

void BufferedTextWriter::WriteNumber(uint32_t value) {
  char digits[10];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  Write(std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
}

void BufferedTextWriter::EndLine() { Write(kTextLineEnd); }

bool BufferedTextWriter::Finish() {
  Flush();
  return ok_;
}

void BufferedTextWriter::FlushWhenFull() {
  if (buffer_.size() >= kFlushSize) Flush();
}

void BufferedTextWriter::Flush() {
  // After a failed append the file is broken; the rest is not offered.
  if (ok_ && !buffer_.empty()) ok_ = file_.Append(buffer_);
  buffer_.clear();
}

}  // namespace trellisk
