// HiveFile: one registry hive kept in a REGEDIT4 file (regedit_format.h),
// shared safely by every thread and process that uses the same directory.
//
// Files, for the hive HKEY_LOCAL_MACHINE in directory D:
//   D/HKEY_LOCAL_MACHINE.reg        the hive; only ever replaced by rename,
//                                   so a reader sees an old or a new file,
//                                   never a half-written one
//   D/HKEY_LOCAL_MACHINE.reg.lock   held (flock) by the one writer at a time
//   D/HKEY_LOCAL_MACHINE.reg.tmp    the next hive while it is being written
//   D/HKEY_LOCAL_MACHINE.reg.corrupt-<unix time>
//                                   a damaged hive, set aside and kept
//                                   ("-2", "-3" ... added when that name
//                                   is taken)
//
// A change takes the lock, reads the current file, applies the change,
// writes and fsyncs the temporary file, renames it over the hive and fsyncs
// the directory; so writers in different processes never lose each other's
// values. Reads take no lock (only a reader that finds damage takes it, to
// set the file aside). The parsed hive is cached under the file's
// identity (device, inode, size, modification time); a file modified within
// the last two seconds of the moment it was read is read again each time,
// because a later file could reuse the inode with the same size within one
// tick of the file system's clock; such a file is read again, but when its
// bytes are those the cached hive was parsed from, they are not parsed again.
//
// A file with damaged lines is renamed aside under the lock, reported once
// through the problem sink, and every value that parsed becomes the hive
// (written anew at once). When it cannot be moved it is left alone: reads
// see the values that parsed and changes fail, so the damaged file is never
// overwritten. A file that is no regular file, or larger than 16 MB, is not
// read: the hive is unreadable. Failed writes are reported too, once
// until a write succeeds again.
//
// Thread-safe (one mutex; problems are reported after it is released).
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/regedit_format.h"
#include "platform/registry.h"
#include "platform/registry_tree.h"

namespace trellisk::platform {

class HiveFile {
 public:
  // The directory is created (with its parents, mode 0700) by the first
  // change; `problems` may be empty.
  HiveFile(const std::string& directory, RegistryHive hive, RegistryProblemSink problems);

  const std::string& path() const { return path_; }

  // Calls `inspect` with the hive as its file holds it now; false, without
  // calling it, when the file exists but cannot be read.
  bool Inspect(const std::function<void(const RegistryTree&)>& inspect);

  // Applies `change` to the hive as its file holds it now and stores the
  // result; `change` returns whether it changed anything, and an unchanged
  // hive is not written again. False when the hive could not be read or
  // stored (then the file is as it was).
  bool Update(const std::function<bool(RegistryTree&)>& change);

  // What tells one version of the file from another.
  struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNs = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
  };

 private:
  enum class LoadOutcome { kLoaded, kDamaged, kUnreadable };

  template <typename Operation>
  bool RunLocked(Operation operation);

  LoadOutcome Load(bool underFileLock);
  LoadOutcome LoadFromDisk(bool underFileLock);
  bool CacheIsCurrent(const FileIdentity& identity) const;
  void UseHive(RegistryTree tree, std::optional<FileIdentity> identity, int64_t readNs, bool damaged);
  LoadOutcome HandleDamage(const FileIdentity& identity, int64_t readNs, RegeditParseResult& parsed,
                           bool underFileLock);
  LoadOutcome SetAside(const FileIdentity& identity, int64_t readNs, RegeditParseResult& parsed);
  LoadOutcome KeepDamaged(const FileIdentity& identity, int64_t readNs, RegeditParseResult& parsed,
                          const std::string& whyKept);
  bool ReplaceFile(std::string& error);
  void ReportWriteFailure(const std::string& error);
  void Report(std::string problem);

  const RegistryHive hive_;
  const std::string directory_;
  const std::string path_;
  const std::string lockPath_;
  const std::string temporaryPath_;
  const RegistryProblemSink problems_;

  std::mutex mutex_;
  // The hive as last read or written, valid while `cacheValid_`; the file's
  // identity then (nothing when there was no file), and when it was read.
  RegistryTree tree_;
  bool cacheValid_ = false;
  std::optional<FileIdentity> identity_;
  int64_t readNs_ = 0;
  // The bytes `tree_` was parsed from, while it is unchanged since.
  std::optional<std::string> parsedText_;
  bool damaged_ = false;
  std::optional<FileIdentity> reportedDamage_;
  bool writeFailureReported_ = false;
  std::string readError_;  // why the last load found the file unreadable
  std::vector<std::string> pendingProblems_;
};

}  // namespace trellisk::platform
