// DnsBlacklistCheck is the core's view of the DNS blacklist checker: whether
// the relays of a message are listed by enough DNS blacklist zones, and the
// removal of a relay from its cache when spam training is taken back.
// Without a checker (null) no message is DNS-blacklisted.
//
// Implementations are thread-safe; checks of different messages may overlap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/log_block_key.h"
#include "base/scan_state.h"

namespace trellisk {

// What one check takes from the settings (the caller fills every field from
// the settings of its call).
struct DnsCheckOptions {
  std::string zoneList;    // DNSServerlist: the zones, comma-separated
  uint32_t spamCount = 0;  // DNSBlacklistSpamCount: listings that decide
  uint32_t maxThreads = 0; // MaxThreadCount: lookups at once in the process
  bool verbose = false;    // VerboseLogfile: the lookups' log lines
};

struct DnsVerdict {
  ScanState state = kNoDecision;  // kDnsBlacklisted when listed
  std::string reason;
};

class DnsBlacklistCheck {
 public:
  virtual ~DnsBlacklistCheck() = default;
  // Looks the relays up; its log lines go to the block of `logKey`.
  virtual DnsVerdict CheckDNSBlacklists(LogBlockKey logKey, const std::vector<std::string>& relays,
                                        const DnsCheckOptions& options) = 0;
  // Forgets a cached listing of the address.
  virtual bool Remove(const std::string& address) = 0;
};

}  // namespace trellisk
