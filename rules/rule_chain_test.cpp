#include "rules/rule_chain.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trellisk {
namespace {

FilterRule Rule(float score, const std::string& flags = "") {
  FilterRule rule;
  rule.fieldName = "SUBJECT";
  rule.options = "opt";
  rule.score = score;
  rule.stopAfter = flags.find('=') != std::string::npos;
  rule.negate = flags.find('-') != std::string::npos;
  rule.chainToNext = flags.find('@') != std::string::npos;
  return rule;
}

// Rules are move-only (their compiled expressions), so no initializer list.
template <typename... Each>
std::vector<FilterRule> Rules(Each&&... each) {
  std::vector<FilterRule> rules;
  (rules.push_back(std::forward<Each>(each)), ...);
  return rules;
}

// Runs the rules as the filter does, with `found[i]` telling whether rule
// i's pattern was found; returns the total.
float Evaluate(const std::vector<FilterRule>& rules, const std::vector<bool>& found, RuleChain& state) {
  float total = 0;
  for (size_t i = 0; i < rules.size() && !state.stop; ++i) {
    total += found[i] ? CheckPos(rules, i, state) : CheckNeg(rules, i, state);
  }
  return total;
}

TEST(RuleChain, FiringRuleScoresAndTraces) {
  RuleChain state;
  EXPECT_EQ(CheckPos(Rules(Rule(2.5f)), 0, state), 2.5f);
  EXPECT_EQ(state.trace, "2.50 SUBJECT opt\n");
  EXPECT_TRUE(state.chain);
  EXPECT_FALSE(state.stop);
}

TEST(RuleChain, RuleThatDoesNotFireAddsNothing) {
  RuleChain state;
  EXPECT_EQ(CheckNeg(Rules(Rule(2.5f)), 0, state), 0);
  EXPECT_EQ(CheckPos(Rules(Rule(2.5f, "-")), 0, state), 0);
  EXPECT_EQ(state.trace, "");
  EXPECT_TRUE(state.chain);
}

TEST(RuleChain, NegatedRuleFiresWhenNotFound) {
  RuleChain state;
  EXPECT_EQ(CheckNeg(Rules(Rule(-10, "-")), 0, state), -10);
  EXPECT_EQ(state.trace, "-10.00 SUBJECT opt\n");
}

TEST(RuleChain, ConditionsBreakAndKeepTheChain) {
  RuleChain state;
  const std::vector<FilterRule> rules = Rules(Rule(9, "@"), Rule(9, "@"), Rule(4));
  EXPECT_EQ(CheckNeg(rules, 0, state), 0);
  EXPECT_FALSE(state.chain);
  // A condition that holds leaves a broken chain broken.
  EXPECT_EQ(CheckPos(rules, 1, state), 0);
  EXPECT_FALSE(state.chain);
  EXPECT_EQ(CheckPos(rules, 2, state), 0);
  EXPECT_TRUE(state.chain);
  EXPECT_EQ(state.trace, "");
}

TEST(RuleChain, BrokenChainOnlyMattersRightAfterACondition) {
  const std::vector<FilterRule> rules = Rules(Rule(9, "@"), Rule(1, "-"), Rule(4));
  RuleChain state;
  // The negated rule is found: it does not fire and, not being a
  // condition, mends the chain.
  EXPECT_EQ(Evaluate(rules, {false, true, true}, state), 4);
}

TEST(RuleChain, StopOnlyAfterANonZeroScore) {
  RuleChain zero;
  EXPECT_EQ(Evaluate(Rules(Rule(0, "="), Rule(3)), {true, true}, zero), 3);
  RuleChain tiny;
  EXPECT_EQ(Evaluate(Rules(Rule(0.00000001f, "="), Rule(3)), {true, true}, tiny), 3.00000001f);
  EXPECT_EQ(tiny.trace, "3.00 SUBJECT opt\n");
  RuleChain some;
  EXPECT_EQ(Evaluate(Rules(Rule(-1, "="), Rule(3)), {true, true}, some), -1);
  EXPECT_TRUE(some.stop);
}

TEST(RuleChain, ChainedRuleWithStopDoesNotStopWhenTheChainIsBroken) {
  RuleChain state;
  EXPECT_EQ(Evaluate(Rules(Rule(9, "@"), Rule(5, "="), Rule(3)), {false, true, true}, state), 3);
  EXPECT_EQ(state.trace, "3.00 SUBJECT opt\n");
}

}  // namespace
}  // namespace trellisk
