// Files held in memory. MemoryFileSystem is a FileSystem whose files are
// byte strings, so that tests and fuzz targets run the stores' and the
// log's real load and save code without the disk; MemoryReadableFile reads
// one byte string as a file. Paths are plain map keys: no directories, no
// normalisation.
//
// MemoryFileSystem is thread-safe: one mutex guards the files. What a
// WritableFile wrote becomes the file's content when it is flushed, synced
// or closed, as with a real buffered file (each of these copies the file,
// which suits the small files of tests). Readers get a copy taken at open.
// A MemoryReadableFile is read from one thread.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace trellisk::platform {

class MemoryReadableFile final : public ReadableFile {
 public:
  explicit MemoryReadableFile(std::string bytes) : bytes_(std::move(bytes)) {}
  size_t Read(char* buffer, size_t capacity) override;

 private:
  std::string bytes_;
  size_t position_ = 0;
};

class MemoryFileSystem final : public FileSystem {
 public:
  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override;
  std::unique_ptr<WritableFile> OpenForWriting(const std::string& path) override;
  std::unique_ptr<WritableFile> OpenForAppending(const std::string& path) override;
  bool Remove(const std::string& path) override;
  bool Replace(const std::string& from, const std::string& to) override;
  bool Exists(const std::string& path) override;
  // The path itself: files in memory have no other names.
  std::optional<std::string> Identity(const std::string& path) override;

  void SetFile(const std::string& path, std::string bytes);
  // The file's bytes; nullopt when there is no such file.
  std::optional<std::string> File(const std::string& path);

 private:
  std::mutex mutex_;
  std::map<std::string, std::string> files_;
};

}  // namespace trellisk::platform
