// RuleSet is one loaded rule list, immutable once built. The filter keeps
// the current set behind a shared pointer: a scoring call holds the set it
// started with, so a reload never changes the rules under a running call.
//
// The set owns its rules. Everything is read-only and thread-safe; the one
// thing that changes is the note, per rule, that its expression gave up at
// the match limit, and that a pass ran out of time: atomic flags, so that
// each is reported once.
#pragma once

#include <atomic>
#include <memory>
#include <utility>
#include <vector>

#include "rules/filter_rule.h"

namespace trellisk {

class RuleSet {
 public:
  explicit RuleSet(std::vector<FilterRule> rules)
      : rules_(std::move(rules)), gaveUp_(std::make_unique<std::atomic<bool>[]>(rules_.size())) {}

  const std::vector<FilterRule>& rules() const { return rules_; }

  // True only the first time it is called for this rule of this set.
  bool FirstTimeGivenUp(size_t index) const { return !gaveUp_[index].exchange(true, std::memory_order_relaxed); }
  // True only the first time a message's rule pass ran out of time.
  bool FirstTimeOverBudget() const { return !overBudget_.exchange(true, std::memory_order_relaxed); }

 private:
  std::vector<FilterRule> rules_;
  std::unique_ptr<std::atomic<bool>[]> gaveUp_;
  mutable std::atomic<bool> overBudget_{false};
};

}  // namespace trellisk
