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

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "rules/filter_rule.h"

namespace trellisk {

// A file of the rule filter is read only this far.
inline constexpr uint64_t kMaxRuleFileBytes = 16ull * 1024 * 1024;
// A rule text includes at most this many files.
inline constexpr size_t kMaxIncludedFiles = 256;

// The content of one file, at most `maxBytes` of it; nullopt when it cannot
// be opened. `cut` learns whether the file had more.
std::optional<std::string> ReadWholeFile(platform::FileSystem& files, const std::string& path, uint64_t maxBytes,
                                         bool& cut);

struct RuleText {
  std::string text;
  // The files that were larger than kMaxRuleFileBytes, read that far.
  std::vector<std::string> cutFiles;
  // More than kMaxIncludedFiles were to be included; the rest were not.
  bool includeLimitReached = false;
};

// The rule file at `path` with the text of every file it includes appended;
// nullopt when the rule file itself cannot be opened. Included files that
// cannot be opened are skipped; each file is included once, however it is
// named (the file system's identity of the file decides).
std::optional<RuleText> ReadRuleText(platform::FileSystem& files, const std::string& path);

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
