#include "fuzz/memory_file_system.h"

#include <string_view>

#include "tests/support/memory_readable_file.h"

namespace trellisk::fuzz {
namespace {

class MemoryWritableFile final : public platform::WritableFile {
 public:
  MemoryWritableFile(MemoryFileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}

  bool Append(std::string_view data) override {
    bytes_.append(data);
    return true;
  }
  bool Sync() override { return true; }
  bool Close() override {
    files_.SetFile(path_, bytes_);
    return true;
  }

 private:
  MemoryFileSystem& files_;
  const std::string path_;
  std::string bytes_;
};

}  // namespace

std::unique_ptr<platform::ReadableFile> MemoryFileSystem::OpenForReading(const std::string& path) {
  std::lock_guard lock(mutex_);
  const auto found = files_.find(path);
  if (found == files_.end()) return nullptr;
  return std::make_unique<testing::MemoryReadableFile>(found->second);
}

std::unique_ptr<platform::WritableFile> MemoryFileSystem::OpenForWriting(const std::string& path) {
  SetFile(path, {});
  return std::make_unique<MemoryWritableFile>(*this, path);
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

}  // namespace trellisk::fuzz
