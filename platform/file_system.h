// FileSystem: how the stores and the log reach files. They never touch the
// OS directly; they go through this interface so that tests can put a
// fault-injecting or in-memory file system (memory_file_system.h) in place
// of the real disk.
//
// A FileSystem implementation is thread-safe. The file objects it returns
// belong to the caller, who uses each from one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/zeroed_block.h"

namespace trellisk::platform {

// A file opened for reading from its start, in binary mode: line ends are
// returned as stored (readers trim the carriage return of CR LF themselves).
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // Reads up to `capacity` bytes; returns the count read, 0 at the end of the
  // file or on a read error.
  virtual size_t Read(char* buffer, size_t capacity) = 0;
};

// A file opened for writing (created or truncated) or for appending. Writes
// are buffered.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Appends bytes; false when the write failed (then every later call fails).
  virtual bool Append(std::string_view data) = 0;
  // Hands the buffered bytes to the OS without committing them to the disk:
  // they survive a crash of the process, and readers of the file see them.
  virtual bool Flush() = 0;
  // Pushes buffered bytes to the OS and commits them to the disk.
  virtual bool Sync() = 0;
  // Flushes and closes; false when any write, the flush or the close failed.
  virtual bool Close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Null when the file cannot be opened, or is no regular file: a FIFO, a
  // device or a directory is never read, and opening one never blocks.
  virtual std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) = 0;
  // Creates or truncates; null when the file cannot be opened.
  virtual std::unique_ptr<WritableFile> OpenForWriting(const std::string& path) = 0;
  // Opens for writing at the end, creating a missing file; null when the
  // file cannot be opened. The file may be read while it is open.
  virtual std::unique_ptr<WritableFile> OpenForAppending(const std::string& path) = 0;
  virtual bool Remove(const std::string& path) = 0;
  // Renames `from` to `to`; an existing `to` is replaced in one atomic step,
  // so there is never a moment without a file named `to`.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  // Replace for a file that a crash may lose (a cache): the rename is not
  // committed to the disk. This one calls Replace.
  virtual bool ReplaceUncommitted(const std::string& from, const std::string& to) { return Replace(from, to); }
  virtual bool Exists(const std::string& path) = 0;
  // A text that names the file itself, whatever path leads to it (device
  // and inode; volume and file index); nothing when it cannot be found.
  virtual std::optional<std::string> Identity(const std::string& path) = 0;
  // ZeroedBlock::FromFile through this file system: a block of blockBytes
  // whose first fileBytes are the file's from `offset` (a multiple of
  // ZeroedBlock::kFileOffsetAlignment). Empty when the file is shorter or
  // cannot be read. This one reads through OpenForReading; the real file
  // systems map the file instead.
  virtual ZeroedBlock ReadBlock(const std::string& path, uint64_t offset, size_t fileBytes, size_t blockBytes);
};

// Reads exactly `size` bytes into `into`; false when the file ends first.
bool ReadExactly(ReadableFile& file, char* into, size_t size);

// The real file system of this machine; lives for the whole process.
FileSystem& DefaultFileSystem();

}  // namespace trellisk::platform
