// RuleChain is the running state of one evaluation of the rule list, and
// CheckPos/CheckNeg are its two steps: what a rule contributes once it is
// known whether its pattern was found.
//
// A rule fires when its pattern was found (or, with "-", when it was not).
// A rule marked "@" never scores itself; it is a condition of the next
// rule, which scores only when every "@" rule before it held. A rule that
// fires with a non-zero score writes a trace line, and with "=" ends the
// evaluation.
//
// A RuleChain belongs to one scoring call. The functions are pure apart
// from the state they are given.
#pragma once

#include <span>
#include <string>

#include "rules/filter_rule.h"

namespace trellisk {

struct RuleChain {
  // False once a "@" rule did not hold; the next scoring rule then adds 0.
  bool chain = true;
  // Set when a "=" rule fired with a non-zero score: evaluate no further.
  bool stop = false;
  // "<score> <field name> <options>\n" for every rule that fired with a
  // non-zero score.
  std::string trace;
};

// The contribution of rules[index] when its pattern was found.
float CheckPos(std::span<const FilterRule> rules, size_t index, RuleChain& state);
// The contribution of rules[index] when its pattern was not found.
float CheckNeg(std::span<const FilterRule> rules, size_t index, RuleChain& state);

}  // namespace trellisk
