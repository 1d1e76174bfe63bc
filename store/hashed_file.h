// HashedReader and HashedWriter pass a file's bytes through to or from
// another file and keep the ContentHash of every byte that passed, so that a
// store learns the tag of the text it read or wrote (table_image.h) without
// a second pass over it. Used by one thread, as the file they wrap.
#pragma once

#include <string_view>

#include "platform/file_system.h"
#include "store/content_hash.h"
#include "store/table_image.h"

namespace trellisk {

class HashedReader final : public platform::ReadableFile {
 public:
  explicit HashedReader(platform::ReadableFile& file) : file_(file) {}

  size_t Read(char* buffer, size_t capacity) override {
    const size_t count = file_.Read(buffer, capacity);
    hash_.Add(std::string_view(buffer, count));
    return count;
  }
  // Reads what the reader left, so that the tag covers the whole file.
  TextFileTag TagOfWholeFile() {
    char buffer[65536];
    while (Read(buffer, sizeof buffer) != 0) {
    }
    return {hash_.byteCount(), hash_.Value()};
  }

 private:
  platform::ReadableFile& file_;
  ContentHash hash_;
};

class HashedWriter final : public platform::WritableFile {
 public:
  explicit HashedWriter(platform::WritableFile& file) : file_(file) {}

  bool Append(std::string_view data) override {
    hash_.Add(data);
    return file_.Append(data);
  }
  bool Flush() override { return file_.Flush(); }
  bool Sync() override { return file_.Sync(); }
  bool Close() override { return file_.Close(); }
  TextFileTag tag() const { return {hash_.byteCount(), hash_.Value()}; }

 private:
  platform::WritableFile& file_;
  ContentHash hash_;
};

}  // namespace trellisk
