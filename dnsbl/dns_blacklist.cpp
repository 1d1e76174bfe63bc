#include "dnsbl/dns_blacklist.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/ascii.h"
#include "base/exception_report.h"
#include "base/number_text.h"
#include "base/stopwatch.h"
#include "dnsbl/reverse_ip.h"
#include "platform/threads.h"

namespace trellisk {
namespace {

using platform::LookupResult;

// The zones of a comma-separated list: every non-empty piece, trimmed of
// blanks, the one after the last comma included.
std::vector<std::string> SplitZoneList(std::string_view list) {
  std::vector<std::string> zones;
  while (true) {
    const size_t comma = list.find(',');
    const std::string_view zone = Trim(list.substr(0, comma));
    if (!zone.empty()) zones.emplace_back(zone);
    if (comma == std::string_view::npos) return zones;
    list.remove_prefix(comma + 1);
  }
}

// Only names that begin with a plausible dotted quad are sent to the
// resolver; an address whose reversed form fails that cannot be listed.
bool CanBeListed(std::string_view address) { return StartsWithDottedQuad(ReverseIP(address)); }

std::string ElapsedText(const Stopwatch& stopwatch) {
  return FormatTwoDecimals(stopwatch.ElapsedMilliseconds()) + "ms)";
}

// The explanation the server test gives for a failed lookup; kNoText for
// results it does not report.
TextId ExplainLookupFailure(LookupResult result) {
  static constexpr std::array<std::pair<LookupResult, TextId>, 9> kExplanations{{
      {LookupResult::kInterrupted, kTextWsaInterrupted},
      {LookupResult::kFault, kTextWsaFault},
      {LookupResult::kInProgress, kTextWsaInProgress},
      {LookupResult::kNetworkDown, kTextWsaNetDown},
      {LookupResult::kNotInitialised, kTextWsaNotInitialised},
      {LookupResult::kHostNotFound, kTextWsaHostNotFound},
      {LookupResult::kTryAgain, kTextWsaTryAgain},
      {LookupResult::kNoRecovery, kTextWsaNoRecovery},
      {LookupResult::kNoData, kTextWsaNoData},
  }};
  for (const auto& [code, text] : kExplanations) {
    if (code == result) return text;
  }
  return kNoText;
}

}  // namespace

// What one check has found so far. Shared by the check and its lookup
// threads; every field but the constants is guarded by the query mutex.
struct CDNSBlacklist::CheckState {
  CheckState(LogBlockKey key, const DnsCheckOptions& checkOptions)
      : logKey(key), options(checkOptions), threshold(checkOptions.spamCount),
        threadLimit(std::max<uint32_t>(checkOptions.maxThreads, 1)) {}

  bool Decided() const { return hits >= threshold; }

  const LogBlockKey logKey;
  const DnsCheckOptions options;
  const uint32_t threshold;
  const uint32_t threadLimit;
  ScanState verdict = kNoDecision;
  std::string reason;
  uint32_t hits = 0;     // zones that listed the address being checked now
  uint32_t pending = 0;  // lookup threads of this check that have not ended
};

CDNSBlacklist::CDNSBlacklist(const DnsCacheOptions& cacheOptions, Log& log, platform::FileSystem& files,
                             platform::DnsResolver& resolver, std::string cacheDirectory,
                             const std::atomic<const TextSource*>& texts, platform::MessageBoxes& boxes,
                             Clock now)
    : log_(log), resolver_(resolver), texts_(texts), boxes_(boxes), now_(std::move(now)),
      cache_(cacheOptions, log, files, std::move(cacheDirectory), now_) {}

void CDNSBlacklist::SetCacheOptions(const DnsCacheOptions& options) { cache_.SetOptions(options); }

DnsVerdict CDNSBlacklist::CheckDNSBlacklists(LogBlockKey logKey, const std::vector<std::string>& relays,
                                             const DnsCheckOptions& options) {
  const auto check = std::make_shared<CheckState>(logKey, options);
  GuardedCall(log_, "CDNSBlacklist::CheckDNSBlacklists", [&] { CheckRelays(check, relays); });
  // Also after an exception: the lookup threads still use the check.
  WaitUntilLookupsEnded(*check);
  return GuardedCall(log_, "CDNSBlacklist::CheckDNSBlacklists", DnsVerdict{}, [&] {
    std::lock_guard lock(queryMutex_);
    return DnsVerdict{check->verdict, check->reason};
  });
}

void CDNSBlacklist::CheckRelays(const std::shared_ptr<CheckState>& check, const std::vector<std::string>& relays) {
  const std::string& zoneList = check->options.zoneList;
  if (zoneList.empty() || relays.empty()) return;
  const bool verbose = check->options.verbose;
  if (verbose) log_.AddToBlock(check->logKey, Text(kTextDnsRequestStarted), false, true);
  const Stopwatch stopwatch;
  const std::vector<std::string> zones = SplitZoneList(zoneList);
  for (const std::string& address : relays) {
    {
      std::lock_guard lock(queryMutex_);
      if (check->Decided()) break;
    }
    CheckAddress(check, address, zones);
  }
  if (verbose) log_.AddToBlock(check->logKey, Text(kTextDnsRequestFinished) + "(" + ElapsedText(stopwatch), false, true);
}

void CDNSBlacklist::CheckAddress(const std::shared_ptr<CheckState>& check, const std::string& address,
                                 const std::vector<std::string>& zones) {
  // Too few listings to decide: look the address up afresh.
  cache_.RemoveIfBelow(address, check->threshold);
  {
    std::lock_guard lock(queryMutex_);
    check->hits = 0;
  }
  if (TakeCachedVerdict(*check, address) || !CanBeListed(address)) return;
  for (const std::string& zone : zones) {
    if (!ReserveQuerySlot(*check)) break;
    StartLookup(check, LookupRequest{address, zone});
  }
  WaitUntilLookupsEnded(*check);
}

bool CDNSBlacklist::TakeCachedVerdict(CheckState& check, const std::string& address) {
  uint32_t listings = 0;
  uint32_t lastListed = 0;
  if (!cache_.Find(address, listings, lastListed) || listings < check.threshold) return false;
  std::string reason = Text(kTextCachedDnsRequest);
  std::lock_guard lock(queryMutex_);
  check.hits = listings;
  check.verdict = kDnsBlacklisted;
  check.reason = std::move(reason);
  return true;
}

bool CDNSBlacklist::ReserveQuerySlot(CheckState& check) {
  std::unique_lock lock(queryMutex_);
  queryChanged_.wait(lock, [&] { return check.Decided() || runningQueries_ < check.threadLimit; });
  if (check.Decided()) return false;
  ++runningQueries_;
  ++check.pending;
  return true;
}

void CDNSBlacklist::StartLookup(const std::shared_ptr<CheckState>& check, LookupRequest request) {
  bool started = false;
  try {
    started = platform::StartDetachedThread(
        [this, check, request = std::move(request)] { DNSBlacklistRequest(*check, request); });
  } catch (...) {
    EndLookup(*check);
    throw;
  }
  // A thread that cannot be made skips its zone.
  if (!started) EndLookup(*check);
}

void CDNSBlacklist::DNSBlacklistRequest(CheckState& check, const LookupRequest& request) {
  GuardedCall(log_, "CDNSBlacklist::DNSBlacklistRequest", [&] {
    const Stopwatch stopwatch;
    if (DNSRequest(request.zone, request.address)) RecordListing(check, request);
    if (check.options.verbose) {
      log_.AddToBlock(check.logKey, request.zone + " (" + ElapsedText(stopwatch), false, true);
    }
  });
  EndLookup(check);
}

void CDNSBlacklist::RecordListing(CheckState& check, const LookupRequest& request) {
  {
    std::lock_guard lock(queryMutex_);
    ++check.hits;
    if (check.Decided()) check.verdict = kDnsBlacklisted;
    if (!check.reason.empty()) check.reason += ", ";
    check.reason += request.zone + "(" + request.address + ")";
    // A check waiting for a free slot may now stop.
    queryChanged_.notify_all();
  }
  cache_.Add(request.address, now_(), 1);
}

void CDNSBlacklist::EndLookup(CheckState& check) {
  std::lock_guard lock(queryMutex_);
  --runningQueries_;
  --check.pending;
  // Notified under the lock: once it is released the check may return and
  // the checker may go, so nothing of it is touched afterwards.
  queryChanged_.notify_all();
}

void CDNSBlacklist::WaitUntilLookupsEnded(const CheckState& check) {
  std::unique_lock lock(queryMutex_);
  queryChanged_.wait(lock, [&] { return check.pending == 0; });
}

bool CDNSBlacklist::DNSRequest(const std::string& zone, const std::string& address) {
  return GuardedCall(log_, "CDNSBlacklist::DNSRequest", false, [&] {
    const std::string reversed = trellisk::ReverseIP(address);
    if (reversed.empty()) return false;
    const std::string name = reversed + "." + zone;
    if (!resolver_.Ready() || !StartsWithDottedQuad(name)) return false;
    // Any address in the answer means listed; its value is not examined.
    return resolver_.Lookup(name) == LookupResult::kFound;
  });
}

bool CDNSBlacklist::Remove(const std::string& address) {
  return GuardedCall(log_, "CDNSBlacklist::Remove", false, [&] { return cache_.Remove(address); });
}

std::string CDNSBlacklist::ReverseIP(std::string_view address) { return trellisk::ReverseIP(address); }

bool CDNSBlacklist::Add(std::string_view address, uint32_t time, uint32_t listings) {
  return GuardedCall(log_, "CDNSBlacklist::Add", false, [&] { return cache_.Add(address, time, listings); });
}

bool CDNSBlacklist::Find(std::string_view address, uint32_t& listings, uint32_t& lastListed) {
  return GuardedCall(log_, "CDNSBlacklist::Find", false, [&] { return cache_.Find(address, listings, lastListed); });
}

bool CDNSBlacklist::Load() {
  return GuardedCall(log_, "CDNSBlacklist::Load", false, [&] { return cache_.Load(); });
}

bool CDNSBlacklist::Save() {
  return GuardedCall(log_, "CDNSBlacklist::Save", false, [&] { return cache_.Save(); });
}

bool CDNSBlacklist::Compress(uint32_t maxAgeSeconds) {
  return GuardedCall(log_, "CDNSBlacklist::Compress", false, [&] { return cache_.Compress(maxAgeSeconds); });
}

bool CDNSBlacklist::Close() {
  return GuardedCall(log_, "CDNSBlacklist::Close", false, [&] { return cache_.Close(); });
}

uint32_t CDNSBlacklist::EntryCount() {
  return GuardedCall(log_, "CDNSBlacklist::EntryCount", 0u, [&] { return cache_.EntryCount(); });
}

bool CDNSBlacklist::IsModified() {
  return GuardedCall(log_, "CDNSBlacklist::IsModified", false, [&] { return cache_.IsModified(); });
}

void CDNSBlacklist::CheckServers(const std::vector<std::string>& zones) {
  GuardedCall(log_, "CDNSBlacklist::CheckServers", [&] {
    const std::string report = ServerReport(zones);
    if (report.empty()) {
      boxes_.Show(Text(kTextError), Text(kTextAllDnsServersExist), platform::MessageBoxIcon::None);
    } else {
      boxes_.Show(Text(kTextError), report, platform::MessageBoxIcon::Error);
    }
  });
}

std::string CDNSBlacklist::ServerReport(const std::vector<std::string>& zones) {
  std::string report;
  for (const std::string& piece : zones) {
    const std::string zone(Trim(piece));
    if (zone.empty()) continue;
    const LookupResult result = resolver_.Ready() ? resolver_.Lookup(zone) : LookupResult::kNotInitialised;
    if (result == LookupResult::kFound) continue;
    const TextId explanation = ExplainLookupFailure(result);
    if (explanation != kNoText) report += zone + ": (" + Text(explanation) + ")\r\n";
  }
  return report;
}

uint32_t CDNSBlacklist::RunningQueries() {
  std::lock_guard lock(queryMutex_);
  return runningQueries_;
}

std::string CDNSBlacklist::Text(TextId id) const {
  const TextSource* source = texts_.load();
  return source ? source->Load(id) : std::string();
}

}  // namespace trellisk
