#include "checks/dns_cache.h"

#include <mutex>
#include <utility>

#include "checks/dns_cache_file.h"
#include "store/safe_file_replace.h"

namespace trellisk {
namespace {

using Lock = std::lock_guard<platform::RecursiveMutex>;

std::string JoinPath(const std::string& directory, const char* name) {
  if (directory.empty()) return name;
  const char last = directory.back();
  if (last == '/' || last == '\\') return directory + name;
  return directory + "/" + name;
}

}  // namespace

DnsCache::DnsCache(const Settings& settings, Log& log, platform::FileSystem& files, std::string directory,
                   Clock now)
    : settings_(settings), log_(log), files_(files), path_(JoinPath(directory, kDnsCacheFileName)),
      now_(std::move(now)), table_(kDnsCacheGrowStep, kDnsCachePoolStep) {
  table_.Init(kDnsCacheInitialSize);
}

bool DnsCache::Add(std::string_view address, uint32_t time, uint32_t listings) {
  Lock lock(mutex_);
  return AddLocked(address, time, listings);
}

bool DnsCache::AddLocked(std::string_view address, uint32_t time, uint32_t listings) {
  if (address.empty()) return false;
  modified_ = true;
  uint32_t oldListings = 0;
  uint32_t oldTime = 0;
  if (!table_.Lookup(address, oldListings, oldTime)) return table_.Add(address, listings, time);
  // The counters add modulo 2^32, so adding (time - oldTime) sets the time
  // in place; the entry keeps its slot and no deleted slot is left behind.
  return table_.Add(address, listings, time - oldTime);
}

bool DnsCache::Find(std::string_view address, uint32_t& listings, uint32_t& lastListed) {
  Lock lock(mutex_);
  return table_.Lookup(address, listings, lastListed);
}

bool DnsCache::Remove(std::string_view address) {
  Lock lock(mutex_);
  if (!table_.Remove(address)) return false;
  modified_ = true;
  return true;
}

bool DnsCache::RemoveIfBelow(std::string_view address, uint32_t threshold) {
  Lock lock(mutex_);
  uint32_t listings = 0;
  uint32_t lastListed = 0;
  if (!table_.Lookup(address, listings, lastListed)) return false;
  if (listings == 0 || listings >= threshold) return false;
  table_.Remove(address);
  modified_ = true;
  return true;
}

bool DnsCache::Compress(uint32_t maxAgeSeconds) {
  Lock lock(mutex_);
  const uint32_t now = now_();
  std::string address;
  uint32_t listings = 0;
  uint32_t lastListed = 0;
  for (uint32_t slot = 0; slot < table_.slotCount(); ++slot) {
    if (!table_.GetAt(slot, address, listings, lastListed)) continue;
    // Without wrap-around: a time near 2^32 plus the age is not in the past.
    if (uint64_t{lastListed} + maxAgeSeconds >= now) continue;
    table_.Remove(address);
    modified_ = true;
  }
  if (settings_.VerboseLogfile) log_.TextLine(kTextDnsCacheCompressed);
  return true;
}

bool DnsCache::Load() {
  Lock lock(mutex_);
  table_.Clear();
  modified_ = false;
  const auto file = OpenStoredFile(files_, path_);
  if (!file) return true;
  ReadDnsCacheRecords(*file, [&](const DnsCacheRecord& record) {
    AddLocked(record.address, record.lastListed, record.listings);
  });
  return true;
}

bool DnsCache::Save() {
  Lock lock(mutex_);
  if (!modified_) return true;
  Compress(kMaxAgeAtSave);
  const bool replaced = ReplaceStoredFile(files_, path_, [&](platform::WritableFile& file) {
    return WriteDnsCacheRecords(file, table_);
  });
  if (replaced) modified_ = false;
  return replaced;
}

bool DnsCache::Close() {
  Lock lock(mutex_);
  const bool saved = Save();
  table_.Clear();
  modified_ = false;
  return saved;
}

uint32_t DnsCache::EntryCount() {
  Lock lock(mutex_);
  return table_.entryCount();
}

bool DnsCache::IsModified() {
  Lock lock(mutex_);
  return modified_;
}

}  // namespace trellisk
