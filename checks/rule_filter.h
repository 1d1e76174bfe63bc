// RuleFilter is the core's view of the regular-expression rule filter: the
// rules' total score for one message and the trace of the rules that fired.
// Without a rule filter (null) no message is rule-filtered.
//
// Calls must not overlap each other; the scoring pipeline serialises them.
#pragma once

#include <cstddef>
#include <string>

#include "plugin/tbp_api.h"

namespace trellisk {

struct RuleFilterInput {
  MessageHandle logKey;
  // The message's header and body as received; null when not kept.
  const std::string* rawHeader;
  const std::string* rawBody;
  // The parser's collected header lines and part texts; null when none.
  const std::string* headerText;
  const std::string* bodyText;
  // The length of the whole message as the host delivered it.
  size_t size;
};

class RuleFilter {
 public:
  virtual ~RuleFilter() = default;
  // The sum of the scores of the rules that fired.
  virtual float ScoreMail(const RuleFilterInput& input) = 0;
  // One line per rule that fired with a non-zero score in the last ScoreMail.
  virtual std::string TraceText() = 0;
};

}  // namespace trellisk
