#include "store/safe_file_replace.h"

namespace trellisk {
namespace {

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

std::unique_ptr<platform::ReadableFile> OpenStoredFile(platform::FileSystem& files, const std::string& path) {
  if (auto file = files.OpenForReading(path)) return file;
  return files.OpenForReading(BackupPathFor(path));
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

}  // namespace trellisk
