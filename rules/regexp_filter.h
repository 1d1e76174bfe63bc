// CRegExpFilter scores a message with the user's rule file (RegExpPath):
// each rule names a part of the message, a text or expression to look for
// there and a score; the scores of the rules that fire add up to the total,
// and every rule that fires with a score leaves a line in the trace.
//
// The filter borrows the log and the file system, which must outlive it,
// keeps a copy of its options and owns the loaded rules as one immutable
// RuleSet.
//
// Thread-safety: every operation may be called from any thread. Scoring
// calls may overlap each other and a reload: everything that belongs to one
// message (header fields, chain state, trace) lives in the call, and each
// call scores with the rule set that was current when it began; Load and
// Close swap the set under a mutex, which also guards the options. Every operation reports an exception
// in the log as "CRegExpFilter::<operation>" and returns its failure value.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "rules/rule_filter.h"
#include "rules/rule_set.h"

namespace trellisk {

inline constexpr uint32_t kRulePassBudgetMs = 50;

class Log;
struct RuleChain;
struct RuleText;

// What the rule filter takes from the settings (the owner fills every field).
struct RuleFilterOptions {
  std::string path;      // RegExpPath
  bool verbose = false;  // VerboseLogfile: status lines
  // Once the rules of one message have taken this long, the rest are left
  // out, so that expressions that backtrack never hold up scoring for long:
  // with each expression's match limit (rule_expression.h), the pass of one
  // message ends within about 100 ms.
  uint32_t passBudgetMs = kRulePassBudgetMs;
};

class CRegExpFilter final : public RuleFilter {
 public:
  CRegExpFilter(const RuleFilterOptions& options, Log& log, platform::FileSystem& files);
  CRegExpFilter(const CRegExpFilter&) = delete;
  CRegExpFilter& operator=(const CRegExpFilter&) = delete;

  // The options of every later operation; a new path is read at the next Load.
  void SetOptions(const RuleFilterOptions& options);

  // Reads the rule file named by the options (at the time of the call) with
  // its includes and puts its rules in force. False when the rule file
  // cannot be opened; then no rules are in force.
  bool Load();
  // Puts no rules in force.
  void Close();
  RuleFilterResult ScoreMail(const RuleFilterInput& input) override;
  // The rule file's whole text, for the editor; nullopt when it cannot be
  // opened.
  std::optional<std::string> Get();
  // Replaces the rule file with `text` (null: an empty file), each CR and
  // LF written as a line end. The file is replaced in one step, so a failed
  // write leaves the old file. The rules in force stay until the next Load.
  void Save(const char* text);
  // The number of rules in force.
  size_t RuleCount();

 private:
  std::shared_ptr<const RuleSet> Current();
  RuleFilterOptions Options();
  void Install(std::shared_ptr<const RuleSet> rules);
  bool ReadAndInstall();
  void Evaluate(const RuleFilterInput& input, const RuleSet& rules, uint32_t passBudgetMs, RuleFilterResult& result,
                RuleChain& chain);
  void ReportPassOverBudget(const RuleSet& rules, size_t index, uint32_t passBudgetMs);
  void ReportReadProblems(const std::string& path, const RuleText& rules);
  void ReportGivenUp(const RuleSet& rules, size_t index);

  Log& log_;
  platform::FileSystem& files_;
  std::mutex mutex_;
  RuleFilterOptions options_;             // guarded by mutex_
  std::shared_ptr<const RuleSet> rules_;  // guarded by mutex_; null: no rules
};

}  // namespace trellisk
