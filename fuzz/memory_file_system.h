// MemoryFileSystem: a FileSystem whose files are byte strings in memory, so
// that the fuzz targets can run the stores' real load and save code
// thousands of times a second without touching the disk. Paths are plain
// map keys: no directories, no normalisation.
//
// Thread-safe: one mutex guards the files. A written file appears (or
// replaces the old one) when its WritableFile is closed, as with a real
// buffered file that is flushed at close. Readers get a copy taken at open.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace trellisk::fuzz {

class MemoryFileSystem final : public platform::FileSystem {
 public:
  std::unique_ptr<platform::ReadableFile> OpenForReading(const std::string& path) override;
  std::unique_ptr<platform::WritableFile> OpenForWriting(const std::string& path) override;
  bool Remove(const std::string& path) override;
  bool Replace(const std::string& from, const std::string& to) override;
  bool Exists(const std::string& path) override;

  void SetFile(const std::string& path, std::string bytes);
  // The file's bytes; nullopt when there is no such file.
  std::optional<std::string> File(const std::string& path);

 private:
  std::mutex mutex_;
  std::map<std::string, std::string> files_;
};

}  // namespace trellisk::fuzz
