// DnsCache remembers relay addresses that DNS blacklist zones listed, so
// that an address listed often enough costs no lookup until its entry ages
// out. Key: the address text as found in the message (not reversed); per
// address the number of zone answers that listed it and the time of the
// latest listing (seconds since 1970). The cache is loaded at start-up,
// saved (and aged: entries older than five days go) at shutdown, in the file
// "cache.dat" of the directory it is given (dns_cache_file.h).
//
// The DNS blacklist checker owns the one process-wide instance; the cache
// refers to the log and the file system, which must outlive it, and keeps a
// copy of its options. The clock gives the current time in seconds since
// 1970 (for Compress).
// Thread-safety: every operation may be called from any thread; each takes
// the cache's re-entrant mutex for its whole duration. Operations do not
// catch exceptions; the checker reports them. A cache file that exists but
// cannot be opened is never replaced.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/log.h"
#include "platform/file_system.h"
#include "store/stored_table.h"

namespace trellisk {

// What the cache takes from the settings (the owner fills every field).
struct DnsCacheOptions {
  bool verbose = false;  // VerboseLogfile: status lines
};

class DnsCache {
 public:
  using Clock = std::function<uint32_t()>;
  // Save drops entries whose latest listing is older than this (five days).
  static constexpr uint32_t kMaxAgeAtSave = 432000;

  // Starts empty, with a table of 101 slots.
  DnsCache(const DnsCacheOptions& options, Log& log, platform::FileSystem& files, std::string directory, Clock now);
  DnsCache(const DnsCache&) = delete;
  DnsCache& operator=(const DnsCache&) = delete;

  void SetOptions(const DnsCacheOptions& options);

  // Adds `listings` to the address's count and makes `time` its latest
  // listing, or inserts the address with exactly these. False for an empty
  // address or when the table could not grow.
  bool Add(std::string_view address, uint32_t time, uint32_t listings);
  // The address's entry; false (outputs untouched) when it is not cached.
  bool Find(std::string_view address, uint32_t& listings, uint32_t& lastListed);
  bool Remove(std::string_view address);
  // Removes the address when it is cached with 0 < listings < threshold, so
  // that it is looked up afresh; true when it was removed.
  bool RemoveIfBelow(std::string_view address, uint32_t threshold);
  // Removes every entry whose latest listing is older than maxAgeSeconds.
  bool Compress(uint32_t maxAgeSeconds);
  // Replaces the content with the file's (or its backup's). A missing file
  // gives an empty cache. Loaded entries count as changes, so a non-empty
  // cache is written back (and aged) at the next save.
  bool Load();
  // When there are changes: ages the cache (Compress with kMaxAgeAtSave) and
  // puts the new file in place of the old one. False when it could not be
  // written; the old file is then untouched and the changes stay unsaved.
  bool Save();
  // Save, then empty the cache. The result is Save's.
  bool Close();

  uint32_t EntryCount();
  // Whether there are changes not yet saved.
  bool IsModified();
  const std::string& path() const { return path_; }

 private:
  bool AddLocked(std::string_view address, uint32_t time, uint32_t listings);
  bool CompressLocked(uint32_t maxAgeSeconds);

  Log& log_;
  DnsCacheOptions options_;
  const std::string path_;
  Clock now_;
  StoredTable stored_;
};

}  // namespace trellisk
