#include "rules/filter_rule.h"

#include <array>

#include "base/ascii.h"

namespace trellisk {
namespace {

struct NamedTarget {
  std::string_view name;
  RuleTarget target;
};

constexpr std::array<NamedTarget, 8> kKeywords{{
    {"MATCH", RuleTarget::kMatch},
    {"COMPLETEHEADER", RuleTarget::kCompleteHeader},
    {"HEADER", RuleTarget::kHeader},
    {"SIZE", RuleTarget::kSize},
    {"ANY-SENDER", RuleTarget::kAnySender},
    {"ANY-RECIPIENT", RuleTarget::kAnyRecipient},
    {"LINE", RuleTarget::kLine},
    {"BODY", RuleTarget::kBody},
}};

// Fields whose expressions let "." cross line feeds: the whole header, the
// address fields (whose values may be folded over several lines) and BODY.
constexpr std::array<std::string_view, 13> kDotAllFields{
    "COMPLETEHEADER", "FROM",          "SENDER", "REPLY-TO", "X-SENDER",      "ENVELOPE-FROM", "X-ENVELOPE-FROM",
    "TO",             "CC",            "BCC",    "ENVELOPE-TO", "X-ENVELOPE-TO", "BODY"};

}  // namespace

RuleTarget TargetOf(std::string_view fieldName, bool isExpression) {
  for (const NamedTarget& keyword : kKeywords) {
    if (!EqualsIgnoreCase(fieldName, keyword.name)) continue;
    if (keyword.target == RuleTarget::kSize && isExpression) return RuleTarget::kField;
    return keyword.target;
  }
  return RuleTarget::kField;
}

DotMatches DotMatchesFor(std::string_view fieldName) {
  for (std::string_view name : kDotAllFields) {
    if (EqualsIgnoreCase(fieldName, name)) return DotMatches::kEverything;
  }
  return DotMatches::kAllButLineFeed;
}

}  // namespace trellisk
