// The real file system on Windows. Files are read and written as bytes: the
// stores write their text files with the platform's line end themselves
// (store/text_line_end.h), and their readers accept CR LF and LF. A
// replacement is committed with FlushFileBuffers and MoveFileEx, which
// replaces the target in one step.
#include <windows.h>

#include <string>

#include "platform/file_system.h"

namespace trellisk::platform {
namespace {

class Win32ReadableFile final : public ReadableFile {
 public:
  explicit Win32ReadableFile(HANDLE file) : file_(file) {}
  ~Win32ReadableFile() override { CloseHandle(file_); }
  Win32ReadableFile(const Win32ReadableFile&) = delete;
  Win32ReadableFile& operator=(const Win32ReadableFile&) = delete;

  size_t Read(char* buffer, size_t capacity) override {
    // ReadFile takes a 32-bit count; larger requests are served in parts by
    // the callers' loops.
    const DWORD request = capacity > kMaxRequest ? kMaxRequest : static_cast<DWORD>(capacity);
    DWORD read = 0;
    if (!ReadFile(file_, buffer, request, &read, nullptr)) return 0;
    return read;
  }

 private:
  static constexpr DWORD kMaxRequest = 1u << 30;
  HANDLE file_;
};

class Win32WritableFile final : public WritableFile {
 public:
  explicit Win32WritableFile(HANDLE file) : file_(file) { buffer_.reserve(kBufferBytes); }
  ~Win32WritableFile() override {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  }
  Win32WritableFile(const Win32WritableFile&) = delete;
  Win32WritableFile& operator=(const Win32WritableFile&) = delete;

  bool Append(std::string_view data) override {
    if (!ok_ || file_ == INVALID_HANDLE_VALUE) return false;
    buffer_.append(data);
    if (buffer_.size() >= kBufferBytes) return WriteBuffer();
    return true;
  }

  bool Flush() override {
    if (!ok_ || file_ == INVALID_HANDLE_VALUE) return false;
    return WriteBuffer();
  }

  bool Sync() override {
    if (!ok_ || file_ == INVALID_HANDLE_VALUE) return false;
    ok_ = WriteBuffer() && FlushFileBuffers(file_) != 0;
    return ok_;
  }

  bool Close() override {
    if (file_ == INVALID_HANDLE_VALUE) return false;
    const bool written = ok_ && WriteBuffer();
    const bool closed = CloseHandle(file_) != 0;
    file_ = INVALID_HANDLE_VALUE;
    ok_ = written && closed;
    return ok_;
  }

 private:
  static constexpr size_t kBufferBytes = 64 * 1024;

  bool WriteBuffer() {
    size_t done = 0;
    while (ok_ && done < buffer_.size()) {
      DWORD written = 0;
      const DWORD request = static_cast<DWORD>(buffer_.size() - done);
      ok_ = WriteFile(file_, buffer_.data() + done, request, &written, nullptr) != 0 && written > 0;
      done += written;
    }
    buffer_.clear();
    return ok_;
  }

  HANDLE file_;
  std::string buffer_;
  bool ok_ = true;
};

class Win32FileSystem final : public FileSystem {
 public:
  std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    // Only a file on a disk: no console, pipe or other device.
    if (GetFileType(file) != FILE_TYPE_DISK) {
      CloseHandle(file);
      return nullptr;
    }
    return std::make_unique<Win32ReadableFile>(file);
  }
  std::unique_ptr<WritableFile> OpenForWriting(const std::string& path) override {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32WritableFile>(file);
  }
  // With append access only, every write goes to the end of the file.
  std::unique_ptr<WritableFile> OpenForAppending(const std::string& path) override {
    const HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32WritableFile>(file);
  }
  bool Remove(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }
  bool Replace(const std::string& from, const std::string& to) override {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }
  bool ReplaceUncommitted(const std::string& from, const std::string& to) override {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
  }
  bool Exists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  ZeroedBlock ReadBlock(const std::string& path, uint64_t offset, size_t fileBytes, size_t blockBytes) override {
    return ZeroedBlock::FromFile(path, offset, fileBytes, blockBytes);
  }
  std::optional<std::string> Identity(const std::string& path) override {
    const HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (!known) return std::nullopt;
    return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":" +
           std::to_string(info.nFileIndexLow);
  }
};

}  // namespace

FileSystem& DefaultFileSystem() {
  static Win32FileSystem fileSystem;
  return fileSystem;
}

}  // namespace trellisk::platform
