// RuleMatcher answers, for one message, whether a rule's pattern is found
// in the part of the message the rule names: the whole header, the body,
// header fields, the size. A text pattern is searched as a substring with
// ASCII letters compared without regard to case; an expression is matched
// with PCRE2.
//
// Text rules on the whole header or body search a copy of the text with its
// ASCII letters in lower case, made once per message when first needed.
//
// The matcher borrows the message's texts, its header fields and the
// scratch for matching, all of which must outlive it; it belongs to one
// scoring call and one thread.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "rules/filter_rule.h"
#include "rules/header_fields.h"
#include "rules/rule_expression.h"
#include "rules/rule_filter.h"

namespace trellisk {

enum class RuleOutcome {
  kFound,
  kNotFound,
  // An expression that did not compile, on a whole-header or body rule:
  // the rule is left out as if it were not there.
  kSkipped,
};

class RuleMatcher {
 public:
  RuleMatcher(const RuleFilterInput& message, const HeaderFields& fields, MatchScratch& scratch);

  RuleOutcome Evaluate(const FilterRule& rule);
  // Whether the last Evaluate had an expression give up at the match limit
  // (counted as not found).
  bool gaveUp() const { return gaveUp_; }

 private:
  // The four whole texts of a message.
  enum WholeText { kRawHeader, kHeaderText, kRawBody, kBodyText, kWholeTextCount };

  RuleTarget TargetIn(const FilterRule& rule) const;
  const std::string* Text(WholeText which) const;
  const std::string& FoldedText(WholeText which);
  RuleOutcome InText(const FilterRule& rule, WholeText which);
  RuleOutcome InFields(const FilterRule& rule, bool (*selects)(const FilterRule&, const HeaderField&));
  bool Finds(const FilterRule& rule, std::string_view text);
  bool HasFieldNamed(std::string_view name) const;
  bool WithinSize(std::string_view limit) const;

  const RuleFilterInput& message_;
  const HeaderFields& fields_;
  MatchScratch& scratch_;
  bool gaveUp_ = false;
  std::array<std::optional<std::string>, kWholeTextCount> folded_;
};

}  // namespace trellisk
