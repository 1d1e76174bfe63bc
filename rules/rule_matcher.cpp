#include "rules/rule_matcher.h"

#include <array>
#include <cstdint>
#include <limits>

#include "base/ascii.h"
#include "base/substring_search.h"

namespace trellisk {
namespace {

constexpr std::array<std::string_view, 6> kSenderFields{"FROM",          "SENDER",         "REPLY-TO",
                                                        "X-SENDER",      "ENVELOPE-FROM",  "X-ENVELOPE-FROM"};
constexpr std::array<std::string_view, 5> kRecipientFields{"TO", "CC", "BCC", "ENVELOPE-TO", "X-ENVELOPE-TO"};

template <size_t N>
bool NamedOneOf(const HeaderField& field, const std::array<std::string_view, N>& names) {
  for (std::string_view name : names) {
    if (EqualsIgnoreCase(field.name, name)) return true;
  }
  return false;
}

bool IsSenderField(const FilterRule&, const HeaderField& field) { return NamedOneOf(field, kSenderFields); }
bool IsRecipientField(const FilterRule&, const HeaderField& field) { return NamedOneOf(field, kRecipientFields); }
bool IsNamedField(const FilterRule& rule, const HeaderField& field) { return EqualsIgnoreCase(field.name, rule.fieldName); }

// Whole-text rules leave out an expression that did not compile; field
// rules count it as not found.
bool IsWholeTextTarget(RuleTarget target) {
  return target == RuleTarget::kMatch || target == RuleTarget::kCompleteHeader || target == RuleTarget::kLine ||
         target == RuleTarget::kBody;
}

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The integer at the start of a text as atoi reads it (blanks, an optional
// sign, digits; none gives 0), held within the range of int64_t.
int64_t LeadingInteger(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  const bool negative = at < text.size() && text[at] == '-';
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
  constexpr int64_t kLargest = std::numeric_limits<int64_t>::max();
  int64_t value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    const int digit = text[at] - '0';
    value = value > (kLargest - digit) / 10 ? kLargest : value * 10 + digit;
  }
  return negative ? -value : value;
}

}  // namespace

RuleMatcher::RuleMatcher(const RuleFilterInput& message, const HeaderFields& fields, MatchScratch& scratch)
    : message_(message), fields_(fields), scratch_(scratch) {}

RuleOutcome RuleMatcher::Evaluate(const FilterRule& rule) {
  gaveUp_ = false;
  const RuleTarget target = TargetIn(rule);
  if (rule.isExpression && !rule.compiled.compiled() && IsWholeTextTarget(target)) return RuleOutcome::kSkipped;
  switch (target) {
    case RuleTarget::kMatch:
    case RuleTarget::kCompleteHeader:
      return InText(rule, rule.useCollected ? kHeaderText : kRawHeader);
    case RuleTarget::kHeader:
      return HasFieldNamed(rule.pattern) ? RuleOutcome::kFound : RuleOutcome::kNotFound;
    case RuleTarget::kSize:
      return WithinSize(rule.pattern) ? RuleOutcome::kFound : RuleOutcome::kNotFound;
    case RuleTarget::kAnySender:
      return InFields(rule, IsSenderField);
    case RuleTarget::kAnyRecipient:
      return InFields(rule, IsRecipientField);
    case RuleTarget::kLine:
    case RuleTarget::kBody:
      return InText(rule, rule.useCollected ? kBodyText : kRawBody);
    case RuleTarget::kField:
      return InFields(rule, IsNamedField);
  }
  return RuleOutcome::kNotFound;
}

// LINE and BODY stand for the body only when the parser collected one;
// otherwise they are plain field names.
RuleTarget RuleMatcher::TargetIn(const FilterRule& rule) const {
  const bool bodyTarget = rule.target == RuleTarget::kLine || rule.target == RuleTarget::kBody;
  return bodyTarget && !message_.bodyText ? RuleTarget::kField : rule.target;
}

const std::string* RuleMatcher::Text(WholeText which) const {
  switch (which) {
    case kRawHeader: return message_.rawHeader;
    case kHeaderText: return message_.headerText;
    case kRawBody: return message_.rawBody;
    case kBodyText: return message_.bodyText;
    case kWholeTextCount: break;
  }
  return nullptr;
}

const std::string& RuleMatcher::FoldedText(WholeText which) {
  std::optional<std::string>& folded = folded_[which];
  if (!folded) {
    folded.emplace(*Text(which));
    AsciiLowerInPlace(*folded);
  }
  return *folded;
}

// Folding the text once lets every text rule on it use a plain search:
// the same result as the case-insensitive search, several times faster
// when many rules look at the same body.
RuleOutcome RuleMatcher::InText(const FilterRule& rule, WholeText which) {
  const std::string* text = Text(which);
  if (!text) return RuleOutcome::kNotFound;
  if (rule.isExpression) return Finds(rule, *text) ? RuleOutcome::kFound : RuleOutcome::kNotFound;
  if (rule.foldedPattern.empty()) return RuleOutcome::kNotFound;
  const bool found = FoldedText(which).find(rule.foldedPattern) != std::string::npos;
  return found ? RuleOutcome::kFound : RuleOutcome::kNotFound;
}

// Fields are tried in header order; the first one that holds the pattern
// decides.
RuleOutcome RuleMatcher::InFields(const FilterRule& rule, bool (*selects)(const FilterRule&, const HeaderField&)) {
  if (rule.isExpression && !rule.compiled.compiled()) return RuleOutcome::kNotFound;
  for (const HeaderField& field : fields_) {
    if (!selects(rule, field)) continue;
    if (Finds(rule, rule.useCollected ? field.altValue : field.value)) return RuleOutcome::kFound;
  }
  return RuleOutcome::kNotFound;
}

bool RuleMatcher::Finds(const FilterRule& rule, std::string_view text) {
  if (!rule.isExpression) return ContainsIgnoringCase(text, rule.pattern);
  const MatchOutcome outcome = rule.compiled.Match(text, scratch_);
  if (outcome == MatchOutcome::kGaveUp) gaveUp_ = true;
  return outcome == MatchOutcome::kFound;
}

bool RuleMatcher::HasFieldNamed(std::string_view name) const {
  for (const HeaderField& field : fields_) {
    if (EqualsIgnoreCase(field.name, name)) return true;
  }
  return false;
}

bool RuleMatcher::WithinSize(std::string_view limit) const {
  const int64_t bound = LeadingInteger(limit);
  return bound >= 0 && message_.size <= static_cast<uint64_t>(bound);
}

}  // namespace trellisk
