#include "platform/memory_file_system.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace trellisk::platform {
namespace {

class MemoryWritableFile final : public WritableFile {
 public:
  MemoryWritableFile(MemoryFileSystem& files, std::string path, std::string bytes)
      : files_(files), path_(std::move(path)), bytes_(std::move(bytes)) {}

  bool Append(std::string_view data) override {
    bytes_.append(data);
    return true;
  }
  bool Flush() override { return Publish(); }
  bool Sync() override { return Publish(); }
  bool Close() override { return Publish(); }

 private:
  bool Publish() {
    files_.SetFile(path_, bytes_);
    return true;
  }

  MemoryFileSystem& files_;
  const std::string path_;
  std::string bytes_;
};

}  // namespace

size_t MemoryReadableFile::Read(char* buffer, size_t capacity) {
  const size_t count = std::min(capacity, bytes_.size() - position_);
  if (count > 0) std::memcpy(buffer, bytes_.data() + position_, count);
  position_ += count;
  return count;
}

std::unique_ptr<ReadableFile> MemoryFileSystem::OpenForReading(const std::string& path) {
  std::lock_guard lock(mutex_);
  const auto found = files_.find(path);
  if (found == files_.end()) return nullptr;
  return std::make_unique<MemoryReadableFile>(found->second);
}

std::unique_ptr<WritableFile> MemoryFileSystem::OpenForWriting(const std::string& path) {
  SetFile(path, {});
  return std::make_unique<MemoryWritableFile>(*this, path, std::string());
}

std::unique_ptr<WritableFile> MemoryFileSystem::OpenForAppending(const std::string& path) {
  std::string bytes = File(path).value_or(std::string());
  SetFile(path, bytes);
  return std::make_unique<MemoryWritableFile>(*this, path, std::move(bytes));
}

bool MemoryFileSystem::Remove(const std::string& path) {
  std::lock_guard lock(mutex_);
  return files_.erase(path) != 0;
}

bool MemoryFileSystem::Replace(const std::string& from, const std::string& to) {
  std::lock_guard lock(mutex_);
  const auto found = files_.find(from);
  if (found == files_.end()) return false;
  std::string bytes = std::move(found->second);
  files_.erase(found);
  files_[to] = std::move(bytes);
  return true;
}

bool MemoryFileSystem::Exists(const std::string& path) {
  std::lock_guard lock(mutex_);
  return files_.count(path) != 0;
}

std::optional<std::string> MemoryFileSystem::Identity(const std::string& path) {
  if (!Exists(path)) return std::nullopt;
  return path;
}

void MemoryFileSystem::SetFile(const std::string& path, std::string bytes) {
  std::lock_guard lock(mutex_);
  files_[path] = std::move(bytes);
}

std::optional<std::string> MemoryFileSystem::File(const std::string& path) {
  std::lock_guard lock(mutex_);
  const auto found = files_.find(path);
  if (found == files_.end()) return std::nullopt;
  return found->second;
}

}  // namespace trellisk::platform
