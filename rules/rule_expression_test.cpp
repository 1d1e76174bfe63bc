#include "rules/rule_expression.h"

#include <gtest/gtest.h>

#include <string>

namespace trellisk {
namespace {

MatchOutcome Match(const char* pattern, const std::string& text, DotMatches dot = DotMatches::kAllButLineFeed) {
  const RuleExpression expression(pattern, dot);
  EXPECT_TRUE(expression.compiled()) << pattern;
  MatchScratch scratch;
  return expression.Match(text, scratch);
}

TEST(RuleExpression, CaselessAndMultiLine) {
  struct Case {
    const char* pattern;
    const char* text;
    MatchOutcome expected;
  } cases[] = {
      {"viagra", "Buy VIAGRA now", MatchOutcome::kFound},
      {"^buy", "hello\nBuy", MatchOutcome::kFound},
      {"hello$", "hello\nBuy", MatchOutcome::kFound},
      {"hello$", "hello\r\nBuy", MatchOutcome::kNotFound},
      {"^hello\\r$", "hello\r\nBuy", MatchOutcome::kFound},
      {"^buy", "hello\rBuy", MatchOutcome::kNotFound},
      {"a.b", "a\nb", MatchOutcome::kNotFound},
      {"a.b", "a\rb", MatchOutcome::kFound},
      // Only ASCII letters fold.
      {"\xE4", "\xC4", MatchOutcome::kNotFound},
      {"\xE4", "x\xE4y", MatchOutcome::kFound},
      {"", "", MatchOutcome::kFound},
      {"^$", "", MatchOutcome::kFound},
      {"x", "", MatchOutcome::kNotFound},
  };
  for (const Case& c : cases) EXPECT_EQ(Match(c.pattern, c.text), c.expected) << c.pattern;
}

TEST(RuleExpression, MatchesEmbeddedZeroBytes) {
  EXPECT_EQ(Match("a\\x00b", std::string("xa\0b", 4)), MatchOutcome::kFound);
}

TEST(RuleExpression, DotAllOnRequest) {
  EXPECT_EQ(Match("a.b", "a\nb", DotMatches::kEverything), MatchOutcome::kFound);
}

TEST(RuleExpression, BadPatternDoesNotCompile) {
  for (const char* pattern : {"(", "[", "a{2,1}", "(?<", "\\"}) {
    EXPECT_FALSE(RuleExpression(pattern, DotMatches::kAllButLineFeed).compiled()) << pattern;
  }
  EXPECT_FALSE(RuleExpression().compiled());
}

TEST(RuleExpression, CatastrophicBacktrackingGivesUp) {
  EXPECT_EQ(Match("(a+)+$", std::string(30, 'a') + "!"), MatchOutcome::kGaveUp);
  EXPECT_EQ(Match("(\\w+\\s*)+zzz", std::string(5000, 'w') + " zz"), MatchOutcome::kGaveUp);
  // The same shape on a text it can decide quickly.
  EXPECT_EQ(Match("(a+)+$", std::string(30, 'a')), MatchOutcome::kFound);
}

TEST(RuleExpression, DeepMatchesStillWork) {
  // Far more nested repeats than the JIT's own stack holds.
  std::string text;
  for (int i = 0; i < 50000; ++i) text += "ab";
  EXPECT_EQ(Match("^(?:(a)|b)*$", text), MatchOutcome::kFound);
  EXPECT_EQ(Match("^(?:(a)|b)*c", text), MatchOutcome::kNotFound);
}

TEST(RuleExpression, ScratchServesManyExpressions) {
  const RuleExpression one("one", DotMatches::kAllButLineFeed);
  const RuleExpression two("two", DotMatches::kAllButLineFeed);
  MatchScratch scratch;
  EXPECT_EQ(one.Match("one two", scratch), MatchOutcome::kFound);
  EXPECT_EQ(two.Match("one", scratch), MatchOutcome::kNotFound);
  EXPECT_EQ(two.Match("two", scratch), MatchOutcome::kFound);
}

}  // namespace
}  // namespace trellisk
