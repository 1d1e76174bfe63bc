// ScanState is the decision about one message that the rule-based checks
// reach, with the numbers the log and the pipeline use.
#pragma once

#include <cstdint>

namespace trellisk {

enum ScanState : int32_t {
  kNoDecision = 0,
  kBlacklisted = 1,
  kWhitelisted = 2,
  kDnsBlacklisted = 10,
  kRuleFiltered = 11,
};

}  // namespace trellisk
