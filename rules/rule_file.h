// The rule file: reading it with the files its include lines name, and
// turning its lines into rules.
//
// The rule file is plain text. A line "B_INCLUDE_LIST <name>" names a file
// in the rule file's directory whose text is appended to the end (so its
// rules come after those of the main file, in the order the include lines
// were found); included files may include further files, and each file is
// read at most once, which ends include cycles. Every other line is a
// comment ("#"), a rule, or ignored:
//
//   [%][+][=][-][@][~]FIELD: [score] "text" [options]
//   [%][+][=][-][@][~]FIELD: [score] {expression} [options]
//
// Free functions; thread-safe as far as the FileSystem is.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "rules/filter_rule.h"

namespace trellisk {

// The whole content of one file; nullopt when it cannot be opened.
std::optional<std::string> ReadWholeFile(platform::FileSystem& files, const std::string& path);

// The rule file at `path` with the text of every file it includes appended;
// nullopt when the rule file itself cannot be opened. Included files that
// cannot be opened are skipped.
std::optional<std::string> ReadRuleText(platform::FileSystem& files, const std::string& path);

// The rule a line holds; nullopt for comments, include lines and anything
// that is not a rule. Compiles an expression rule's pattern.
std::optional<FilterRule> ParseRuleLine(std::string_view line);

// The rules of a whole rule text, in order.
std::vector<FilterRule> ParseRules(std::string_view text);

// A rule's score: an optional "-", digits, an optional "." and digits, read
// up to the first byte that does not fit; 0 when nothing fits. Values
// beyond the float range are held at the largest float.
float ParseScore(std::string_view text);

}  // namespace trellisk
