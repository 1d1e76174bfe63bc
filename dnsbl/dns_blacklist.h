// CDNSBlacklist asks DNS blacklist zones whether the relays that handled a
// message are listed. Each relay address is looked up in every zone of the
// check's zone list (the name d.c.b.a.<zone> for a.b.c.d); an address that
// at least the check's spam count of zones list makes the message
// DNS-blacklisted. Lookups of one address run in parallel on short-lived
// detached threads, at most the check's thread limit at once in the whole
// process.
// Addresses found listed are remembered in the cache (dns_cache.h), so a
// relay listed often enough costs no lookup until its entry ages out.
//
// The core owns the one process-wide instance, which owns the cache and the
// count of running lookups. It refers to the log, the file system, the
// resolver, the text source and the message boxes, which must outlive it. A check
// returns only when all lookup threads it started have ended, so no thread
// outlives the check that started it; the instance must not be destroyed
// while a check runs.
//
// Thread-safety: every operation may be called from any thread; checks of
// different messages may overlap. The running-lookup count and the state of
// every check are guarded by one query mutex; the cache has its own (never
// taken while the query mutex is held). Every public operation reports an
// unexpected exception to the log as "CDNSBlacklist::<operation>" and then
// returns its failure value.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/log.h"
#include "base/text_source.h"
#include "dnsbl/dns_blacklist_check.h"
#include "dnsbl/dns_cache.h"
#include "platform/clock.h"
#include "platform/dns_resolver.h"
#include "platform/file_system.h"
#include "platform/message_box.h"

namespace trellisk {

class CDNSBlacklist final : public DnsBlacklistCheck {
 public:
  using Clock = DnsCache::Clock;

  // The cache lies in `cacheDirectory` as "cache.dat"; it starts empty (see
  // Load). `now` gives the current time in seconds since 1970.
  CDNSBlacklist(const DnsCacheOptions& cacheOptions, Log& log, platform::FileSystem& files,
                platform::DnsResolver& resolver, std::string cacheDirectory,
                const std::atomic<const TextSource*>& texts, platform::MessageBoxes& boxes,
                Clock now = platform::CalendarTimeSeconds);
  CDNSBlacklist(const CDNSBlacklist&) = delete;
  CDNSBlacklist& operator=(const CDNSBlacklist&) = delete;

  // Looks the relays up in order until one is listed by enough zones; its
  // log lines (when verbose) go to the block of `logKey`. The verdict is
  // kDnsBlacklisted with the reason "zone(address), ..." or "cached DNS
  // request", else kNoDecision.
  DnsVerdict CheckDNSBlacklists(LogBlockKey logKey, const std::vector<std::string>& relays,
                                const DnsCheckOptions& options) override;
  void SetCacheOptions(const DnsCacheOptions& options);
  bool Remove(const std::string& address) override;

  // The address's four numbers in reverse order, "" for private relays and
  // texts without an address (reverse_ip.h).
  static std::string ReverseIP(std::string_view address);

  // The cache (dns_cache.h).
  bool Add(std::string_view address, uint32_t time, uint32_t listings);
  bool Find(std::string_view address, uint32_t& listings, uint32_t& lastListed);
  bool Load();
  bool Save();
  bool Compress(uint32_t maxAgeSeconds);
  bool Close();
  uint32_t EntryCount();
  bool IsModified();

  // The server test of the setup dialog: resolves every zone name itself and
  // shows one message box, captioned "Error", that lists each zone that did
  // not resolve with the reason (error icon), or says "All DNS Servers
  // exists!" (no icon). Empty names are skipped.
  void CheckServers(const std::vector<std::string>& zones);

  // Lookup threads running in the whole process.
  uint32_t RunningQueries();

 private:
  struct CheckState;
  struct LookupRequest {
    std::string address;
    std::string zone;
  };

  void CheckRelays(const std::shared_ptr<CheckState>& check, const std::vector<std::string>& relays);
  void CheckAddress(const std::shared_ptr<CheckState>& check, const std::string& address,
                    const std::vector<std::string>& zones);
  bool TakeCachedVerdict(CheckState& check, const std::string& address);
  bool ReserveQuerySlot(CheckState& check);
  void StartLookup(const std::shared_ptr<CheckState>& check, LookupRequest request);
  void DNSBlacklistRequest(CheckState& check, const LookupRequest& request);
  void RecordListing(CheckState& check, const LookupRequest& request);
  void EndLookup(CheckState& check);
  void WaitUntilLookupsEnded(const CheckState& check);
  bool DNSRequest(const std::string& zone, const std::string& address);
  std::string ServerReport(const std::vector<std::string>& zones);
  std::string Text(TextId id) const;

  Log& log_;
  platform::DnsResolver& resolver_;
  const std::atomic<const TextSource*>& texts_;
  platform::MessageBoxes& boxes_;
  Clock now_;
  DnsCache cache_;

  // Guards runningQueries_ and the state of every running check; signalled
  // whenever a lookup ends or a check's hits grow.
  std::mutex queryMutex_;
  std::condition_variable queryChanged_;
  uint32_t runningQueries_ = 0;
};

}  // namespace trellisk
