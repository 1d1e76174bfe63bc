// MemoryReadableFile: a ReadableFile over bytes held in memory, for tests
// and fuzz targets that feed the stores' readers without touching the disk.
// Test-only; one instance is read from one thread.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/file_system.h"

namespace trellisk::testing {

class MemoryReadableFile final : public platform::ReadableFile {
 public:
  explicit MemoryReadableFile(std::string bytes) : bytes_(std::move(bytes)) {}

  size_t Read(char* buffer, size_t capacity) override {
    const size_t count = std::min(capacity, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    return count;
  }

 private:
  std::string bytes_;
  size_t position_ = 0;
};

}  // namespace trellisk::testing
