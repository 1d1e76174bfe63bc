#include "dnsbl/dns_cache.h"

#include <utility>

#include "dnsbl/dns_cache_file.h"

namespace trellisk {
namespace {

constexpr StoredTable::StatusTexts kStatusTexts{kTextDnsCacheUnreadable, kNoText, kNoText, kNoText,
                                                kTextDnsCacheStoreFailed};

std::string JoinPath(const std::string& directory, const char* name) {
  if (directory.empty()) return name;
  const char last = directory.back();
  if (last == '/' || last == '\\') return directory + name;
  return directory + "/" + name;
}

}  // namespace

DnsCache::DnsCache(const DnsCacheOptions& options, Log& log, platform::FileSystem& files, std::string directory,
                   Clock now)
    : log_(log), options_(options), path_(JoinPath(directory, kDnsCacheFileName)), now_(std::move(now)),
      stored_(kDnsCacheGrowStep, kDnsCachePoolStep, kStatusTexts, kMaxDnsCacheFileBytes, log, files, now_) {}

void DnsCache::SetOptions(const DnsCacheOptions& options) {
  const auto lock = stored_.Lock();
  options_ = options;
}

bool DnsCache::Add(std::string_view address, uint32_t time, uint32_t listings) {
  const auto lock = stored_.Lock();
  return AddLocked(address, time, listings);
}

bool DnsCache::AddLocked(std::string_view address, uint32_t time, uint32_t listings) {
  if (address.empty()) return false;
  stored_.MarkModified();
  CountedStringTable& table = stored_.table();
  uint32_t oldListings = 0;
  uint32_t oldTime = 0;
  if (!table.Lookup(address, oldListings, oldTime)) return table.Add(address, listings, time);
  // The counters add modulo 2^32, so adding (time - oldTime) sets the time
  // in place; the entry keeps its slot and no deleted slot is left behind.
  return table.Add(address, listings, time - oldTime);
}

bool DnsCache::Find(std::string_view address, uint32_t& listings, uint32_t& lastListed) {
  const auto lock = stored_.Lock();
  return stored_.table().Lookup(address, listings, lastListed);
}

bool DnsCache::Remove(std::string_view address) {
  const auto lock = stored_.Lock();
  if (!stored_.table().Remove(address)) return false;
  stored_.MarkModified();
  return true;
}

bool DnsCache::RemoveIfBelow(std::string_view address, uint32_t threshold) {
  const auto lock = stored_.Lock();
  CountedStringTable& table = stored_.table();
  uint32_t listings = 0;
  uint32_t lastListed = 0;
  if (!table.Lookup(address, listings, lastListed)) return false;
  if (listings == 0 || listings >= threshold) return false;
  table.Remove(address);
  stored_.MarkModified();
  return true;
}

bool DnsCache::Compress(uint32_t maxAgeSeconds) {
  const auto lock = stored_.Lock();
  return CompressLocked(maxAgeSeconds);
}

bool DnsCache::CompressLocked(uint32_t maxAgeSeconds) {
  CountedStringTable& table = stored_.table();
  const uint32_t now = now_();
  std::string address;
  uint32_t listings = 0;
  uint32_t lastListed = 0;
  for (uint32_t slot = 0; slot < table.slotCount(); ++slot) {
    if (!table.GetAt(slot, address, listings, lastListed)) continue;
    // Without wrap-around: a time near 2^32 plus the age is not in the past.
    if (uint64_t{lastListed} + maxAgeSeconds >= now) continue;
    table.Remove(address);
    stored_.MarkModified();
  }
  if (options_.verbose) log_.TextLine(kTextDnsCacheCompressed);
  return true;
}

bool DnsCache::Load() {
  const auto lock = stored_.Lock();
  stored_.Load(path_, options_.verbose, [&](platform::ReadableFile& file, DamageReport& damage) {
    ReadDnsCacheRecords(
        file, [&](const DnsCacheRecord& record) { AddLocked(record.address, record.lastListed, record.listings); },
        damage);
  });
  return true;
}

bool DnsCache::Save() {
  const auto lock = stored_.Lock();
  if (!stored_.modified()) return true;
  CompressLocked(kMaxAgeAtSave);
  return stored_.Save(path_, options_.verbose,
                      [&](platform::WritableFile& file) { return WriteDnsCacheRecords(file, stored_.table()); });
}

bool DnsCache::Close() {
  const auto lock = stored_.Lock();
  const bool saved = Save();
  stored_.Reset();
  return saved;
}

uint32_t DnsCache::EntryCount() {
  const auto lock = stored_.Lock();
  return stored_.table().entryCount();
}

bool DnsCache::IsModified() {
  const auto lock = stored_.Lock();
  return stored_.modified();
}

}  // namespace trellisk
