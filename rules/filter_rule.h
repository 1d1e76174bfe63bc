// FilterRule is one rule of the rule file once read: the part of the
// message it looks at, the text or expression it looks for there, the
// points it adds when it fires, and the flags that join it to its
// neighbours. RuleTarget is the part of the message a field name stands
// for, decided once when the rule is read.
//
// Rules are built by the rule-file reader and never changed afterwards; a
// loaded rule set owns them and shares them read-only between threads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "rules/rule_expression.h"

namespace trellisk {

enum class RuleTarget : uint8_t {
  kMatch,           // MATCH: the whole header, "." stops at line feeds
  kCompleteHeader,  // COMPLETEHEADER: the whole header, "." crosses lines
  kHeader,          // HEADER: a field of the pattern's name exists
  kSize,            // SIZE (text rules): the message is at most that long
  kAnySender,       // ANY-SENDER: every sender field
  kAnyRecipient,    // ANY-RECIPIENT: every recipient field
  kLine,            // LINE: the body, "." stops at line feeds
  kBody,            // BODY: the body, "." crosses lines
  kField,           // any other name: the fields of that name
};

struct FilterRule {
  // The flag characters, in the order they must be written: % + = - @ ~.
  bool percent = false;       // "%": read and kept, no effect
  bool plus = false;          // "+": read and kept, no effect
  bool stopAfter = false;     // "=": firing with a non-zero score ends the evaluation
  bool negate = false;        // "-": the rule holds when its pattern is not found
  bool chainToNext = false;   // "@": the rule is a condition of the next one
  bool useCollected = false;  // "~": look in the parser's collected texts
  bool isExpression = false;  // the pattern was given in braces
  std::string fieldName;      // as written, blanks included
  float score = 0;
  std::string pattern;        // between the quotes or braces
  std::string foldedPattern;  // text rules: `pattern` with ASCII letters in lower case
  std::string options;        // between the square brackets; for the trace only
  RuleExpression compiled;    // expression rules only; empty when it did not compile
  RuleTarget target = RuleTarget::kField;
};

// The target a field name stands for (compared without regard to case); an
// expression rule on SIZE looks for a header field named SIZE.
RuleTarget TargetOf(std::string_view fieldName, bool isExpression);

// Whether an expression on this field name lets "." cross line feeds.
DotMatches DotMatchesFor(std::string_view fieldName);

}  // namespace trellisk
