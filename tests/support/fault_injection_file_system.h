// FaultInjectionFileSystem wraps another FileSystem and makes one chosen
// write operation fail, to test that a failed save never damages the stored
// file; it can also refuse to open files for reading, as a locked or
// unreadable file would. The write operations are counted together, in the
// order they are made: every Append, Flush, Sync and Close of the files it
// opened for writing or appending, and every Replace. The failing operation
// does nothing and reports false; an Append, Flush or Sync that failed
// leaves the file broken, so its later writes fail too, and its Close
// (which still closes) reports false.
//
// The wrapper refers to the base file system, which must outlive it and the
// files it opened. Thread-safe as far as the base is.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "platform/file_system.h"

namespace trellisk::testing {

class FaultInjectionFileSystem final : public platform::FileSystem {
 public:
  explicit FaultInjectionFileSystem(platform::FileSystem& base);

  // Makes the nth write operation counted from now fail (1 = the next one);
  // 0 makes none fail. Restarts the count.
  void FailWriteOperation(int n);
  // Write operations counted since the last FailWriteOperation (or creation).
  int writeOperations() const { return count_; }
  // While set, every OpenForReading fails (files still exist).
  void SetFailOpenForReading(bool fail) { failReads_ = fail; }

  std::unique_ptr<platform::ReadableFile> OpenForReading(const std::string& path) override;
  std::unique_ptr<platform::WritableFile> OpenForWriting(const std::string& path) override;
  std::unique_ptr<platform::WritableFile> OpenForAppending(const std::string& path) override;
  bool Remove(const std::string& path) override;
  bool Replace(const std::string& from, const std::string& to) override;
  bool Exists(const std::string& path) override;
  std::optional<std::string> Identity(const std::string& path) override;

  // Counts one write operation; false when it is the one that must fail.
  bool NextWriteSucceeds();

 private:
  platform::FileSystem& base_;
  std::atomic<int> count_{0};
  std::atomic<int> failAt_{0};
  std::atomic<bool> failReads_{false};
};

}  // namespace trellisk::testing
