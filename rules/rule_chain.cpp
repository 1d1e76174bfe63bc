#include "rules/rule_chain.h"

#include <cmath>

#include "base/number_text.h"

namespace trellisk {
namespace {

// Scores closer to zero than this count as no score.
constexpr float kNoScore = 0.0000001f;

// The rule did not fire: a "@" rule that did not hold breaks the chain, any
// other rule leaves it whole for the rule after it.
float Skip(const FilterRule& rule, RuleChain& state) {
  state.chain = !rule.chainToNext;
  return 0;
}

void AppendTrace(const FilterRule& rule, std::string& trace) {
  trace += FormatTwoDecimals(rule.score);
  trace += ' ';
  trace += rule.fieldName;
  trace += ' ';
  trace += rule.options;
  trace += '\n';
}

float Fire(std::span<const FilterRule> rules, size_t index, RuleChain& state) {
  const FilterRule& rule = rules[index];
  // A condition that held leaves the chain as it was.
  if (rule.chainToNext) return 0;
  const bool chainBroken = index > 0 && rules[index - 1].chainToNext && !state.chain;
  const float value = chainBroken ? 0.0f : rule.score;
  state.chain = true;
  if (std::fabs(value) < kNoScore) return value;
  if (rule.stopAfter) state.stop = true;
  AppendTrace(rule, state.trace);
  return value;
}

}  // namespace

float CheckPos(std::span<const FilterRule> rules, size_t index, RuleChain& state) {
  state.stop = false;
  if (rules[index].negate) return Skip(rules[index], state);
  return Fire(rules, index, state);
}

float CheckNeg(std::span<const FilterRule> rules, size_t index, RuleChain& state) {
  state.stop = false;
  if (!rules[index].negate) return Skip(rules[index], state);
  return Fire(rules, index, state);
}

}  // namespace trellisk
