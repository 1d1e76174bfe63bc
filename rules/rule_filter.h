// RuleFilter is the core's view of the regular-expression rule filter: the
// rules' total score for one message and the trace of the rules that fired.
// Without a rule filter (null) no message is rule-filtered.
//
// Implementations are thread-safe: scoring calls of several host threads may
// overlap, so everything that belongs to one message lives in the call and
// its result, and a reload of the rules never runs during a ScoreMail.
#pragma once

#include <cstddef>
#include <string>

#include "base/log_block_key.h"

namespace trellisk {

struct RuleFilterInput {
  LogBlockKey logKey;
  // The message's header and body as received; null when not kept.
  const std::string* rawHeader;
  const std::string* rawBody;
  // The parser's collected header lines and part texts; null when none.
  const std::string* headerText;
  const std::string* bodyText;
  // The length of the whole message as the host delivered it.
  size_t size;
  // The VerboseLogfile setting of the call: the filter's start and end
  // lines go to the message's block.
  bool verbose;
};

struct RuleFilterResult {
  // The sum of the scores of the rules that fired.
  float total = 0;
  // One line per rule that fired with a non-zero score.
  std::string trace;
};

class RuleFilter {
 public:
  virtual ~RuleFilter() = default;
  virtual RuleFilterResult ScoreMail(const RuleFilterInput& input) = 0;
};

}  // namespace trellisk
