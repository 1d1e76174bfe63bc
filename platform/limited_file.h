// LimitedFile reads at most a given number of bytes of another ReadableFile
// and tells whether the file had more, so that no reader of a file a user
// or a file can name reads without end (a huge or endless file reads as its
// first part). Used by one thread, as the file it wraps.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/file_system.h"

namespace trellisk::platform {

class LimitedFile final : public ReadableFile {
 public:
  LimitedFile(ReadableFile& file, uint64_t limit) : file_(file), left_(limit) {}

  size_t Read(char* buffer, size_t capacity) override {
    if (left_ == 0) {
      char probe;
      exceeded_ = exceeded_ || file_.Read(&probe, 1) != 0;
      return 0;
    }
    const size_t count = file_.Read(buffer, static_cast<size_t>(std::min<uint64_t>(capacity, left_)));
    left_ -= count;
    return count;
  }
  // Whether a read past the limit found more bytes.
  bool exceeded() const { return exceeded_; }

 private:
  ReadableFile& file_;
  uint64_t left_;
  bool exceeded_ = false;
};

}  // namespace trellisk::platform
