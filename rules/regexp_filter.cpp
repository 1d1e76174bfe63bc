#include "rules/regexp_filter.h"

#include <optional>
#include <span>
#include <utility>

#include "base/exception_report.h"
#include "base/log.h"
#include "base/number_text.h"
#include "base/stopwatch.h"
#include "base/text_format.h"
#include "base/text_line_end.h"
#include "rules/header_fields.h"
#include "rules/rule_chain.h"
#include "rules/rule_file.h"
#include "rules/rule_matcher.h"
#include "store/safe_file_replace.h"

namespace trellisk {
namespace {

// The editor hands over its lines separated by CR; each CR and LF becomes
// a line end of the file.
std::string WithTextLineEnds(const char* text) {
  std::string content;
  if (!text) return content;
  for (const char* c = text; *c; ++c) {
    if (*c == '\r' || *c == '\n') {
      content.append(kTextLineEnd);
    } else {
      content.push_back(*c);
    }
  }
  return content;
}

}  // namespace

CRegExpFilter::CRegExpFilter(const RuleFilterOptions& options, Log& log, platform::FileSystem& files)
    : log_(log), files_(files), options_(options) {}

void CRegExpFilter::SetOptions(const RuleFilterOptions& options) {
  const std::lock_guard<std::mutex> lock(mutex_);
  options_ = options;
}

RuleFilterOptions CRegExpFilter::Options() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return options_;
}

bool CRegExpFilter::Load() {
  const bool loaded = GuardedCall(log_, "CRegExpFilter::Load", false, [&] { return ReadAndInstall(); });
  if (!loaded) Install(nullptr);
  return loaded;
}

// The rules in force stay until the new ones are ready, so messages scored
// meanwhile still meet rules.
bool CRegExpFilter::ReadAndInstall() {
  const RuleFilterOptions options = Options();
  const std::optional<RuleText> rules = ReadRuleText(files_, options.path);
  if (!rules) return false;
  ReportReadProblems(options.path, *rules);
  Install(std::make_shared<const RuleSet>(ParseRules(rules->text)));
  if (options.verbose) log_.TextLine(kTextRegExpFilterLoaded);
  return true;
}

void CRegExpFilter::Close() {
  GuardedCall(log_, "CRegExpFilter::Close", [&] { Install(nullptr); });
}

RuleFilterResult CRegExpFilter::ScoreMail(const RuleFilterInput& input) {
  RuleFilterResult result;
  RuleChain chain;
  GuardedCall(log_, "CRegExpFilter::ScoreMail", [&] {
    const bool verbose = input.verbose;
    if (verbose) log_.AddToBlock(input.logKey, log_.LoadText(kTextRegExpFilterStarted), true, true);
    const Stopwatch stopwatch;
    const std::shared_ptr<const RuleSet> rules = Current();
    if (rules && !rules->rules().empty()) Evaluate(input, *rules, Options().passBudgetMs, result, chain);
    if (verbose) {
      const std::string elapsed = FormatTwoDecimals(stopwatch.ElapsedMilliseconds());
      log_.AddToBlock(input.logKey, log_.LoadText(kTextRegExpFilterFinished) + "(" + elapsed + "ms)", true, true);
    }
  });
  // After a failure the trace and total reached so far still go back.
  result.trace = std::move(chain.trace);
  return result;
}

void CRegExpFilter::Evaluate(const RuleFilterInput& input, const RuleSet& rules, uint32_t passBudgetMs,
                             RuleFilterResult& result, RuleChain& chain) {
  const Stopwatch pass;
  HeaderFields fields;
  GuardedCall(log_, "CRegExpFilter::ParseHeader", [&] { ParseHeader(input.rawHeader, input.headerText, fields); });
  MatchScratch scratch;
  RuleMatcher matcher(input, fields, scratch);
  const std::span<const FilterRule> list = rules.rules();
  for (size_t index = 0; index < list.size() && !chain.stop; ++index) {
    if (index > 0 && pass.ElapsedMilliseconds() >= passBudgetMs) {
      ReportPassOverBudget(rules, index, passBudgetMs);
      return;
    }
    const RuleOutcome outcome = matcher.Evaluate(list[index]);
    if (matcher.gaveUp()) ReportGivenUp(rules, index);
    if (outcome == RuleOutcome::kFound) {
      result.total += GuardedCall(log_, "CRegExpFilter::CheckPos", 0.0f, [&] { return CheckPos(list, index, chain); });
    } else if (outcome == RuleOutcome::kNotFound) {
      result.total += GuardedCall(log_, "CRegExpFilter::CheckNeg", 0.0f, [&] { return CheckNeg(list, index, chain); });
    }
  }
}

void CRegExpFilter::ReportPassOverBudget(const RuleSet& rules, size_t index, uint32_t passBudgetMs) {
  if (!rules.FirstTimeOverBudget()) return;
  const FilterRule& rule = rules.rules()[index];
  log_.PlainLine(FormatText(log_.LoadText(kTextRulePassOverBudget),
                            {std::to_string(passBudgetMs), std::to_string(index + 1), rule.pattern}));
}

void CRegExpFilter::ReportReadProblems(const std::string& path, const RuleText& rules) {
  const std::string megabytes = std::to_string(kMaxRuleFileBytes / (1024 * 1024));
  for (const std::string& cut : rules.cutFiles) {
    log_.PlainLine(FormatText(log_.LoadText(kTextFileReadCut), {cut, megabytes}));
  }
  if (rules.includeLimitReached) {
    log_.PlainLine(FormatText(log_.LoadText(kTextIncludeLimitReached), {path, std::to_string(kMaxIncludedFiles)}));
  }
}

void CRegExpFilter::ReportGivenUp(const RuleSet& rules, size_t index) {
  if (!rules.FirstTimeGivenUp(index)) return;
  const FilterRule& rule = rules.rules()[index];
  log_.PlainLine("CRegExpFilter: the expression {" + rule.pattern + "} of a " + rule.fieldName +
                 " rule reached the match limit and counts as not found");
}

std::optional<std::string> CRegExpFilter::Get() {
  return GuardedCall(log_, "CRegExpFilter::Get", std::optional<std::string>(),
                     [&] {
                       bool cut = false;
                       return ReadWholeFile(files_, Options().path, kMaxRuleFileBytes, cut);
                     });
}

void CRegExpFilter::Save(const char* text) {
  GuardedCall(log_, "CRegExpFilter::Save", [&] {
    const std::string content = WithTextLineEnds(text);
    ReplaceStoredFile(files_, Options().path,
                      [&](platform::WritableFile& file) { return file.Append(content); });
  });
}

size_t CRegExpFilter::RuleCount() {
  const std::shared_ptr<const RuleSet> rules = Current();
  return rules ? rules->rules().size() : 0;
}

std::shared_ptr<const RuleSet> CRegExpFilter::Current() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return rules_;
}

// The old set is released outside the lock: freeing many compiled
// expressions must not hold up scoring calls that fetch the new set.
void CRegExpFilter::Install(std::shared_ptr<const RuleSet> rules) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    rules_.swap(rules);
  }
}

}  // namespace trellisk
