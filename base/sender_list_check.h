// SenderListCheck is how the mail parser and the scoring pipeline ask the
// black and white lists whether a text contains a listed entry. The sender
// lists implement it; a null check (no lists) decides nothing.
//
// Implementations are thread-safe; each caller brings its own ListMatch.
#pragma once

#include <string_view>

#include "base/list_match.h"

namespace trellisk {

class SenderListCheck {
 public:
  virtual ~SenderListCheck() = default;
  // Scans the lists for entries contained in `text` and records the verdict
  // in `record`; with `reset` the record is cleared first. An empty text
  // changes nothing. The returned bool is informational only.
  virtual bool CheckBlackWhitelist(ListMatch& record, std::string_view text, bool reset) = 0;
};

}  // namespace trellisk
