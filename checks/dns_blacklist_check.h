// DnsBlacklistCheck is the core's view of the DNS blacklist checker: whether
// the relays of a message are listed by enough DNS blacklist zones, and the
// removal of a relay from its cache when spam training is taken back.
// Without a checker (null) no message is DNS-blacklisted.
//
// Implementations are thread-safe; checks of different messages may overlap.
#pragma once

#include <string>
#include <vector>

#include "checks/scan_state.h"
#include "plugin/tbp_api.h"

namespace trellisk {

struct DnsVerdict {
  ScanState state = kNoDecision;  // kDnsBlacklisted when listed
  std::string reason;
};

class DnsBlacklistCheck {
 public:
  virtual ~DnsBlacklistCheck() = default;
  // Looks the relays up; its log lines go to the block of `logKey`.
  virtual DnsVerdict CheckDNSBlacklists(MessageHandle logKey, const std::vector<std::string>& relays) = 0;
  // Forgets a cached listing of the address.
  virtual bool Remove(const std::string& address) = 0;
};

}  // namespace trellisk
