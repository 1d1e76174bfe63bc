#include "rules/rule_file.h"

#include <boost/regex.hpp>

#include <cfloat>
#include <charconv>
#include <locale>
#include <set>
#include <stdexcept>

#include "base/ascii.h"
#include "base/path_text.h"
#include "platform/limited_file.h"
#include "rules/text_lines.h"

namespace trellisk {
namespace {

constexpr size_t kReadChunk = 64 * 1024;

// Compiled in the classic locale, so that "\s" and case folding mean the
// same whatever locale the host process runs in.
boost::regex CompileClassic(const char* pattern, boost::regex::flag_type flags) {
  boost::regex regex;
  regex.imbue(std::locale::classic());
  regex.assign(pattern, flags);
  return regex;
}

// "^" and "$" at line boundaries; "." stops at line ends, so the name is
// the rest of its line.
const boost::regex& IncludeLine() {
  static const boost::regex regex = CompileClassic(R"(^B_INCLUDE_LIST\s+(.*)$)", boost::regex::perl | boost::regex::no_mod_s);
  return regex;
}

// The two rule forms. Blanks around the score are written as
// ":\s*(?:(score)\s*)?" rather than ":\s*(score)?\s*": the same lines and
// groups, but a line of many blanks that is no rule fails in linear time
// instead of trying every split of the blanks between the two "\s*".
const boost::regex& ExpressionForm() {
  static const boost::regex regex = CompileClassic(
      R"((%)?(\+)?(=)?(\-)?(@)?(~)?([^:]+):\s*(?:([0-9\.\-]+)\s*)?(\{.*\})\s*(\[.*\])?)",
      boost::regex::perl | boost::regex::icase);
  return regex;
}

const boost::regex& TextForm() {
  static const boost::regex regex = CompileClassic(
      R"((%)?(\+)?(=)?(\-)?(@)?(~)?([^:]+):\s*(?:([0-9\.\-]+)\s*)?("[^"]*")\s*(\[.*\])?)",
      boost::regex::perl | boost::regex::icase);
  return regex;
}

// Group numbers of the two rule forms.
enum RuleGroup {
  kPercentGroup = 1,
  kPlusGroup,
  kStopAfterGroup,
  kNegateGroup,
  kChainGroup,
  kCollectedGroup,
  kFieldGroup,
  kScoreGroup,
  kPatternGroup,
  kOptionsGroup,
};

// Whole-line match. A line so convoluted that Boost gives up on it (it
// throws when a match grows too complex) is no rule either.
bool MatchesWholeLine(std::string_view line, const boost::regex& form, boost::cmatch& groups) {
  try {
    return boost::regex_match(line.data(), line.data() + line.size(), groups, form);
  } catch (const std::runtime_error&) {
    return false;
  }
}

std::string_view GroupText(const boost::cmatch& groups, int group) {
  if (!groups[group].matched) return {};
  return std::string_view(groups[group].first, static_cast<size_t>(groups[group].length()));
}

// The text between the first and the last character (quotes, braces,
// brackets); empty for a group that did not take part.
std::string Inner(const boost::cmatch& groups, int group) {
  const std::string_view text = GroupText(groups, group);
  if (text.size() < 2) return {};
  return std::string(text.substr(1, text.size() - 2));
}

FilterRule RuleFromGroups(const boost::cmatch& groups, bool isExpression) {
  FilterRule rule;
  rule.percent = groups[kPercentGroup].matched;
  rule.plus = groups[kPlusGroup].matched;
  rule.stopAfter = groups[kStopAfterGroup].matched;
  rule.negate = groups[kNegateGroup].matched;
  rule.chainToNext = groups[kChainGroup].matched;
  rule.useCollected = groups[kCollectedGroup].matched;
  rule.isExpression = isExpression;
  rule.fieldName = std::string(GroupText(groups, kFieldGroup));
  rule.score = ParseScore(GroupText(groups, kScoreGroup));
  rule.pattern = Inner(groups, kPatternGroup);
  if (!isExpression) {
    rule.foldedPattern = rule.pattern;
    AsciiLowerInPlace(rule.foldedPattern);
  }
  rule.options = Inner(groups, kOptionsGroup);
  rule.target = TargetOf(rule.fieldName, isExpression);
  if (isExpression) rule.compiled = RuleExpression(rule.pattern, DotMatchesFor(rule.fieldName));
  return rule;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t SkipDigits(std::string_view text, size_t at) {
  while (at < text.size() && IsDigit(text[at])) ++at;
  return at;
}

// The longest prefix of the form -?digits*(.digits*)?.
std::string_view NumberPrefix(std::string_view text) {
  size_t end = 0;
  if (end < text.size() && text[end] == '-') ++end;
  end = SkipDigits(text, end);
  if (end < text.size() && text[end] == '.') end = SkipDigits(text, end + 1);
  return text.substr(0, end);
}

}  // namespace

std::optional<std::string> ReadWholeFile(platform::FileSystem& files, const std::string& path, uint64_t maxBytes,
                                         bool& cut) {
  const std::unique_ptr<platform::ReadableFile> file = files.OpenForReading(path);
  cut = false;
  if (!file) return std::nullopt;
  platform::LimitedFile limited(*file, maxBytes);
  std::string content;
  for (;;) {
    const size_t before = content.size();
    content.resize(before + kReadChunk);
    const size_t read = limited.Read(content.data() + before, kReadChunk);
    content.resize(before + read);
    if (read == 0) break;
  }
  cut = limited.exceeded();
  return content;
}

std::optional<RuleText> ReadRuleText(platform::FileSystem& files, const std::string& path) {
  bool cut = false;
  std::optional<std::string> main = ReadWholeFile(files, path, kMaxRuleFileBytes, cut);
  if (!main) return std::nullopt;
  RuleText rules{std::move(*main), {}, false};
  if (cut) rules.cutFiles.push_back(path);
  std::string& text = rules.text;
  const std::string directory(DirectoryOf(path));
  // A file is known by its identity, so "d/../filters.dat" is no new file.
  std::set<std::string> read{files.Identity(path).value_or(path)};
  boost::smatch include;
  size_t from = 0;
  while (boost::regex_search(text.cbegin() + static_cast<ptrdiff_t>(from), text.cend(), include, IncludeLine(),
                             from == 0 ? boost::match_default : boost::match_prev_avail)) {
    const std::string includedPath = directory + include[1].str();
    from = static_cast<size_t>(include[1].second - text.cbegin());
    if (include[1].length() == 0) continue;
    const std::optional<std::string> identity = files.Identity(includedPath);
    if (!identity || read.count(*identity)) continue;
    if (read.size() > kMaxIncludedFiles) {
      rules.includeLimitReached = true;
      break;
    }
    read.insert(*identity);
    if (const std::optional<std::string> included = ReadWholeFile(files, includedPath, kMaxRuleFileBytes, cut)) {
      if (cut) rules.cutFiles.push_back(includedPath);
      text.push_back('\n');
      text.append(*included);
    }
  }
  return rules;
}

std::optional<FilterRule> ParseRuleLine(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() == '#') return std::nullopt;
  boost::cmatch groups;
  if (MatchesWholeLine(line, ExpressionForm(), groups)) return RuleFromGroups(groups, true);
  if (MatchesWholeLine(line, TextForm(), groups)) return RuleFromGroups(groups, false);
  return std::nullopt;
}

std::vector<FilterRule> ParseRules(std::string_view text) {
  std::vector<FilterRule> rules;
  ForEachLinePiece(text, [&](std::string_view line) {
    if (std::optional<FilterRule> rule = ParseRuleLine(line)) rules.push_back(std::move(*rule));
  });
  return rules;
}

float ParseScore(std::string_view text) {
  const std::string_view number = NumberPrefix(text);
  double value = 0;
  const std::from_chars_result result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Too large for a double (too small ones read as 0).
    const std::string_view whole = number.substr(0, number.find('.'));
    value = whole.find_first_of("123456789") == std::string_view::npos ? 0.0 : DBL_MAX;
    if (number.front() == '-') value = -value;
  } else if (result.ec != std::errc()) {
    return 0;
  }
  if (value > FLT_MAX) return FLT_MAX;
  if (value < -FLT_MAX) return -FLT_MAX;
  return static_cast<float>(value);
}

}  // namespace trellisk
