// The real file system on POSIX: stdio streams for buffering, fsync for the
// commit to disk and rename(2) for the atomic replacement.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/file_system.h"

namespace trellisk::platform {
namespace {

class PosixReadableFile final : public ReadableFile {
 public:
  explicit PosixReadableFile(std::FILE* file) : file_(file) {}
  ~PosixReadableFile() override { std::fclose(file_); }
  size_t Read(char* buffer, size_t capacity) override {
    return std::fread(buffer, 1, capacity, file_);
  }

 private:
  std::FILE* file_;
};

class PosixWritableFile final : public WritableFile {
 public:
  explicit PosixWritableFile(std::FILE* file) : file_(file) {}
  ~PosixWritableFile() override {
    if (file_) std::fclose(file_);
  }
  bool Append(std::string_view data) override {
    if (!ok_ || !file_) return false;
    ok_ = std::fwrite(data.data(), 1, data.size(), file_) == data.size();
    return ok_;
  }
  bool Flush() override {
    if (!ok_ || !file_) return false;
    ok_ = std::fflush(file_) == 0;
    return ok_;
  }
  bool Sync() override {
    if (!ok_ || !file_) return false;
    ok_ = std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
    return ok_;
  }
  bool Close() override {
    if (!file_) return false;
    const bool flushed = std::fflush(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    ok_ = ok_ && flushed && closed;
    return ok_;
  }

 private:
  std::FILE* file_;
  bool ok_ = true;
};

class PosixFileSystem final : public FileSystem {
 public:
  // Opened without blocking (a FIFO would wait for a writer) and checked
  // before the first read.
  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return nullptr;
    struct stat info;
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
      ::close(descriptor);
      return nullptr;
    }
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(descriptor, "rb");
    if (!file) {
      ::close(descriptor);
      return nullptr;
    }
    return std::make_unique<PosixReadableFile>(file);
  }
  std::unique_ptr<WritableFile> OpenForWriting(const std::string& path) override {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return nullptr;
    return std::make_unique<PosixWritableFile>(file);
  }
  std::unique_ptr<WritableFile> OpenForAppending(const std::string& path) override {
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file) return nullptr;
    return std::make_unique<PosixWritableFile>(file);
  }
  bool Remove(const std::string& path) override { return std::remove(path.c_str()) == 0; }
  bool Replace(const std::string& from, const std::string& to) override {
    if (std::rename(from.c_str(), to.c_str()) != 0) return false;
    SyncDirectoryOf(to);
    return true;
  }
  bool ReplaceUncommitted(const std::string& from, const std::string& to) override {
    return std::rename(from.c_str(), to.c_str()) == 0;
  }
  bool Exists(const std::string& path) override {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
  }
  ZeroedBlock ReadBlock(const std::string& path, uint64_t offset, size_t fileBytes, size_t blockBytes) override {
    return ZeroedBlock::FromFile(path, offset, fileBytes, blockBytes);
  }
  std::optional<std::string> Identity(const std::string& path) override {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
  }

 private:
  // Makes the rename itself durable.
  static void SyncDirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
  }
};

}  // namespace

FileSystem& DefaultFileSystem() {
  static PosixFileSystem fileSystem;
  return fileSystem;
}

}  // namespace trellisk::platform
