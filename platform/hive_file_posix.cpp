#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <memory>
#include <string_view>
#include <system_error>

#include "platform/file_lock.h"
#include "platform/hive_file.h"
#include "platform/regedit_format.h"

namespace trellisk::platform {
namespace {

// Longer than one tick of any file system's clock (FAT counts in two-second
// steps; Linux file systems in jiffies).
constexpr int64_t kRacyModificationNs = 2'000'000'000;
constexpr int64_t kNsPerSecond = 1'000'000'000;
constexpr mode_t kDirectoryMode = 0700;
constexpr mode_t kFileMode = 0666;  // narrowed by the umask
// A larger hive file is not read: no settings hive grows that far.
constexpr off_t kMaxHiveFileBytes = 16 * 1024 * 1024;

int64_t NowNs() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return int64_t{now.tv_sec} * kNsPerSecond + now.tv_nsec;
}

std::string ErrorText(int error) { return std::generic_category().message(error); }

bool IsDirectory(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeDirectories(const std::string& directory, std::string& error) {
  size_t slash = directory.find('/', 1);
  while (true) {
    const std::string prefix = directory.substr(0, slash);
    if (::mkdir(prefix.c_str(), kDirectoryMode) != 0 && errno != EEXIST && !IsDirectory(prefix)) {
      error = "cannot create the directory " + prefix + ": " + ErrorText(errno);
      return false;
    }
    if (slash == std::string::npos) return true;
    slash = directory.find('/', slash + 1);
  }
}

bool SyncDirectory(const std::string& directory) {
  const int descriptor = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return false;
  const bool synced = ::fsync(descriptor) == 0;
  ::close(descriptor);
  return synced;
}

bool ReadAll(int descriptor, std::string& text) {
  char buffer[64 * 1024];
  while (true) {
    const ssize_t count = ::read(descriptor, buffer, sizeof buffer);
    if (count > 0) {
      text.append(buffer, static_cast<size_t>(count));
    } else if (count == 0) {
      return true;
    } else if (errno != EINTR) {
      return false;
    }
  }
}

bool WriteAll(int descriptor, std::string_view text) {
  while (!text.empty()) {
    const ssize_t count = ::write(descriptor, text.data(), text.size());
    if (count > 0) {
      text.remove_prefix(static_cast<size_t>(count));
    } else if (count < 0 && errno != EINTR) {
      return false;
    }
  }
  return true;
}

HiveFile::FileIdentity IdentityOf(const struct stat& info) {
  return {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino), static_cast<int64_t>(info.st_size),
          int64_t{info.st_mtim.tv_sec} * kNsPerSecond + info.st_mtim.tv_nsec};
}

// A name beside `path` that is not taken yet: path.corrupt-<unix time>, with
// "-2", "-3" ... appended when damage is found twice in one second.
std::string FreeCorruptName(const std::string& path) {
  const std::string base = path + ".corrupt-" + std::to_string(std::time(nullptr));
  std::string candidate = base;
  struct stat info;
  for (int attempt = 2; ::lstat(candidate.c_str(), &info) == 0; ++attempt) {
    candidate = base + "-" + std::to_string(attempt);
  }
  return candidate;
}

}  // namespace

HiveFile::HiveFile(const std::string& directory, RegistryHive hive, RegistryProblemSink problems)
    : hive_(hive),
      directory_(directory.empty() ? "." : directory),
      path_(directory_ + "/" + std::string(RegistryHiveName(hive)) + ".reg"),
      lockPath_(path_ + ".lock"),
      temporaryPath_(path_ + ".tmp"),
      problems_(std::move(problems)) {}

template <typename Operation>
bool HiveFile::RunLocked(Operation operation) {
  std::vector<std::string> problems;
  bool result;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    result = operation();
    problems.swap(pendingProblems_);
  }
  if (problems_) {
    for (const std::string& problem : problems) problems_(problem);
  }
  return result;
}

bool HiveFile::Inspect(const std::function<void(const RegistryTree&)>& inspect) {
  return RunLocked([&] {
    if (Load(false) == LoadOutcome::kUnreadable) return false;
    inspect(tree_);
    return true;
  });
}

bool HiveFile::Update(const std::function<bool(RegistryTree&)>& change) {
  return RunLocked([&] {
    std::string error;
    if (!IsDirectory(directory_) && !MakeDirectories(directory_, error)) {
      ReportWriteFailure(error);
      return false;
    }
    const std::unique_ptr<FileLock> fileLock = FileLock::Acquire(lockPath_, error);
    if (!fileLock) {
      ReportWriteFailure(error);
      return false;
    }
    const LoadOutcome outcome = Load(true);
    if (outcome == LoadOutcome::kUnreadable) ReportWriteFailure(readError_);
    if (outcome != LoadOutcome::kLoaded) return false;
    // A change that throws half-way must not leave a cache that claims to
    // be the file.
    cacheValid_ = false;
    parsedText_.reset();
    if (!change(tree_)) {
      cacheValid_ = true;
      return true;
    }
    if (!ReplaceFile(error)) {
      ReportWriteFailure(error);
      return false;
    }
    writeFailureReported_ = false;
    return true;
  });
}

HiveFile::LoadOutcome HiveFile::Load(bool underFileLock) {
  struct stat info;
  if (::stat(path_.c_str(), &info) != 0) {
    if (errno != ENOENT) {
      readError_ = "cannot read " + path_ + ": " + ErrorText(errno);
      return LoadOutcome::kUnreadable;
    }
    UseHive(RegistryTree(), std::nullopt, NowNs(), false);
    return LoadOutcome::kLoaded;
  }
  // A damaged file kept in place is tried again under the lock: moving it
  // aside may work now.
  if (CacheIsCurrent(IdentityOf(info)) && !(damaged_ && underFileLock)) {
    return damaged_ ? LoadOutcome::kDamaged : LoadOutcome::kLoaded;
  }
  return LoadFromDisk(underFileLock);
}

HiveFile::LoadOutcome HiveFile::LoadFromDisk(bool underFileLock) {
  const int64_t readNs = NowNs();
  // Without blocking: a FIFO in the hive's place must not stop the plug-in.
  const int descriptor = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    if (errno == ENOENT) {
      UseHive(RegistryTree(), std::nullopt, readNs, false);
      return LoadOutcome::kLoaded;
    }
    readError_ = "cannot open " + path_ + ": " + ErrorText(errno);
    return LoadOutcome::kUnreadable;
  }
  struct stat info;
  std::string text;
  const bool regular = ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
  const bool read = regular && info.st_size <= kMaxHiveFileBytes && ReadAll(descriptor, text);
  const int readErrno = errno;
  ::close(descriptor);
  if (!read) {
    readError_ = !regular                         ? path_ + " is not a regular file"
                 : info.st_size > kMaxHiveFileBytes ? path_ + " is larger than 16 MB"
                                                  : "cannot read " + path_ + ": " + ErrorText(readErrno);
    return LoadOutcome::kUnreadable;
  }
  if (cacheValid_ && !damaged_ && parsedText_ == text) {
    identity_ = IdentityOf(info);
    readNs_ = readNs;
    return LoadOutcome::kLoaded;
  }
  RegeditParseResult parsed = ParseRegedit(text, hive_);
  if (!parsed.ok()) return HandleDamage(IdentityOf(info), readNs, parsed, underFileLock);
  tree_ = std::move(parsed.tree);
  parsedText_ = std::move(text);
  identity_ = IdentityOf(info);
  readNs_ = readNs;
  damaged_ = false;
  cacheValid_ = true;
  return LoadOutcome::kLoaded;
}

// A file modified shortly before it was read may be followed by another of
// the same identity, so only a file that was already old then is trusted.
bool HiveFile::CacheIsCurrent(const FileIdentity& identity) const {
  return cacheValid_ && identity_ == identity && identity.modifiedNs + kRacyModificationNs < readNs_;
}

void HiveFile::UseHive(RegistryTree tree, std::optional<FileIdentity> identity, int64_t readNs, bool damaged) {
  tree_ = std::move(tree);
  parsedText_.reset();
  identity_ = identity;
  readNs_ = readNs;
  damaged_ = damaged;
  cacheValid_ = true;
}

// Damage is only acted on under the lock, where no other writer can have
// replaced the file meanwhile: so a reader never moves a good file aside.
HiveFile::LoadOutcome HiveFile::HandleDamage(const FileIdentity& identity, int64_t readNs, RegeditParseResult& parsed,
                                             bool underFileLock) {
  if (underFileLock) return SetAside(identity, readNs, parsed);
  std::string error;
  const std::unique_ptr<FileLock> fileLock = FileLock::Acquire(lockPath_, error);
  if (!fileLock) return KeepDamaged(identity, readNs, parsed, error);
  return LoadFromDisk(true);
}

// The damaged file is kept under another name, and what could be read of it
// becomes the hive file at once, so other readers find its values too.
HiveFile::LoadOutcome HiveFile::SetAside(const FileIdentity& identity, int64_t readNs, RegeditParseResult& parsed) {
  const std::string target = FreeCorruptName(path_);
  if (::rename(path_.c_str(), target.c_str()) != 0) {
    return KeepDamaged(identity, readNs, parsed, "cannot be moved to " + target + ": " + ErrorText(errno));
  }
  SyncDirectory(directory_);
  UseHive(std::move(parsed.tree), std::nullopt, NowNs(), false);
  std::string error;
  const bool rewritten = ReplaceFile(error);
  Report("Registry hive file " + path_ + " is damaged (" + parsed.error + "); moved it to " + target +
         " and kept every value of it that could be read (" + std::to_string(parsed.skippedLines) +
         (parsed.skippedLines == 1 ? " line" : " lines") + " skipped)" +
         (rewritten ? "." : "; the hive could not be written anew: " + error));
  return LoadOutcome::kLoaded;
}

HiveFile::LoadOutcome HiveFile::KeepDamaged(const FileIdentity& identity, int64_t readNs, RegeditParseResult& parsed,
                                            const std::string& whyKept) {
  UseHive(std::move(parsed.tree), identity, readNs, true);
  if (reportedDamage_ != identity) {
    Report("Registry hive file " + path_ + " is damaged (" + parsed.error + ") and was left as it is (" + whyKept +
           "); its values that could be read are used, and the hive cannot be changed.");
    reportedDamage_ = identity;
  }
  return LoadOutcome::kDamaged;
}

bool HiveFile::ReplaceFile(std::string& error) {
  const std::string text = SerializeRegedit(tree_, hive_);
  const int descriptor = ::open(temporaryPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kFileMode);
  if (descriptor < 0) {
    error = "cannot create " + temporaryPath_ + ": " + ErrorText(errno);
    return false;
  }
  struct stat info;
  bool written = WriteAll(descriptor, text) && ::fsync(descriptor) == 0 && ::fstat(descriptor, &info) == 0;
  int writeErrno = errno;
  if (::close(descriptor) != 0 && written) {
    written = false;
    writeErrno = errno;
  }
  if (!written || ::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
    if (written) writeErrno = errno;
    error = "cannot write " + path_ + ": " + ErrorText(writeErrno);
    ::unlink(temporaryPath_.c_str());
    return false;
  }
  identity_ = IdentityOf(info);
  readNs_ = NowNs();
  damaged_ = false;
  cacheValid_ = true;
  if (!SyncDirectory(directory_)) {
    error = "cannot commit the directory " + directory_ + " to disk: " + ErrorText(errno);
    return false;
  }
  return true;
}

void HiveFile::ReportWriteFailure(const std::string& error) {
  if (writeFailureReported_) return;
  Report("Cannot store registry hive " + path_ + ": " + error);
  writeFailureReported_ = true;
}

void HiveFile::Report(std::string problem) { pendingProblems_.push_back(std::move(problem)); }

}  // namespace trellisk::platform
