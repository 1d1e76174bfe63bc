#include "store/safe_file_replace.h"

#include <vector>

namespace trellisk {
namespace {

constexpr size_t kCopyPiece = 64 * 1024;

// The file the new content is written to. A data file whose own name is its
// backup name ("x.tmp", "tmp") must not be truncated by the write; it gets a
// name of its own.
std::string WritingPathFor(const std::string& path) {
  std::string backup = BackupPathFor(path);
  if (backup == path) backup += ".tmp";
  return backup;
}

}  // namespace

std::string BackupPathFor(std::string_view path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return "tmp";
  return std::string(path.substr(0, dot + 1)) + "tmp";
}

std::unique_ptr<platform::ReadableFile> OpenStoredFile(platform::FileSystem& files, const std::string& path,
                                                       std::string* openedPath) {
  std::string opened = path;
  auto file = files.OpenForReading(path);
  if (!file) {
    opened = BackupPathFor(path);
    file = files.OpenForReading(opened);
  }
  if (file && openedPath) *openedPath = opened;
  return file;
}

std::optional<std::string> KeepCopyOf(platform::FileSystem& files, const std::string& path, std::string_view suffix,
                                      uint32_t time) {
  const std::string stem = path + std::string(suffix) + std::to_string(time);
  std::string copyPath = stem;
  for (int n = 2; files.Exists(copyPath); ++n) copyPath = stem + "-" + std::to_string(n);
  const std::unique_ptr<platform::ReadableFile> source = files.OpenForReading(path);
  std::unique_ptr<platform::WritableFile> copy = source ? files.OpenForWriting(copyPath) : nullptr;
  if (!copy) return std::nullopt;
  bool copied = true;
  std::vector<char> buffer(kCopyPiece);
  while (const size_t count = source->Read(buffer.data(), buffer.size())) {
    copied = copied && copy->Append(std::string_view(buffer.data(), count));
  }
  copied = copied && copy->Sync();
  copied = copy->Close() && copied;
  if (copied) return copyPath;
  files.Remove(copyPath);
  return std::nullopt;
}

bool StoredFileExists(platform::FileSystem& files, const std::string& path) {
  return files.Exists(path) || files.Exists(BackupPathFor(path));
}

bool ReplaceStoredFile(platform::FileSystem& files, const std::string& path,
                       const std::function<bool(platform::WritableFile&)>& write) {
  const std::string writingPath = WritingPathFor(path);
  std::unique_ptr<platform::WritableFile> file = files.OpenForWriting(writingPath);
  if (!file) return false;
  const bool written = write(*file) && file->Sync();
  const bool closed = file->Close();
  file.reset();
  if (written && closed && files.Replace(writingPath, path)) return true;
  files.Remove(writingPath);
  return false;
}

bool StoredFileHolds(platform::FileSystem& files, const std::string& path, std::string_view content) {
  const std::unique_ptr<platform::ReadableFile> file = files.OpenForReading(path);
  if (!file) return false;
  char buffer[65536];
  size_t compared = 0;
  while (const size_t read = file->Read(buffer, sizeof buffer)) {
    if (compared + read > content.size() || content.substr(compared, read) != std::string_view(buffer, read)) {
      return false;
    }
    compared += read;
  }
  return compared == content.size();
}

}  // namespace trellisk
