#include "lists/testing/literal_list_check.h"

#include <boost/regex.hpp>
#include <locale>
#include <string>

#include "base/ascii.h"

namespace trellisk::testing {
namespace {

enum class ExpressionResult { kMatch, kNoMatch, kInvalid };

ExpressionResult SearchExpression(const std::string& pattern, std::string_view text) {
  boost::regex expression;
  expression.imbue(std::locale::classic());
  try {
    expression.assign(pattern, boost::regex::perl | boost::regex::icase);
  } catch (const boost::regex_error&) {
    return ExpressionResult::kInvalid;
  }
  try {
    const bool found =
        boost::regex_search(text.begin(), text.end(), expression, boost::match_default | boost::match_not_dot_newline);
    return found ? ExpressionResult::kMatch : ExpressionResult::kNoMatch;
  } catch (...) {
    return ExpressionResult::kNoMatch;
  }
}

bool IsWhite(ListEntryKind kind) { return kind == kWhiteText || kind == kWhiteRegExp; }

std::string Folded(std::string_view text) {
  std::string folded(text);
  AsciiLowerInPlace(folded);
  return folded;
}

}  // namespace

bool ContainsFolded(std::string_view text, std::string_view pattern) {
  if (pattern.empty() || pattern.size() > text.size()) return false;
  for (size_t at = 0; at + pattern.size() <= text.size(); ++at) {
    if (EqualsIgnoreCase(text.substr(at, pattern.size()), pattern)) return true;
  }
  return false;
}

bool LiteralCheckBlackWhitelist(CBlackWhitelist& lists, ListMatch& record, std::string_view text, bool reset,
                                const ExpressionNotice& notice) {
  text = text.substr(0, text.find('\0'));
  if (text.empty()) return false;
  if (reset) {
    record.verdict = kNoDecision;
    record.matchedEntry.clear();
  }
  if (lists.blackCount() + lists.whiteCount() == 0 || record.verdict == kWhitelisted) return true;
  // Folding both sides once makes each search a plain find; the result is
  // that of a search without regard to case.
  const std::string foldedText = Folded(text);
  std::string entry;
  ListEntryKind kind{};
  uint32_t sequence = 0;
  for (uint32_t slot = 0; slot < lists.SlotCount(); ++slot) {
    if (!lists.GetByIndex(slot, entry, kind, sequence)) continue;
    bool matched = false;
    if (kind == kBlackRegExp || kind == kWhiteRegExp) {
      const ExpressionResult result = SearchExpression(entry, text);
      if (result == ExpressionResult::kInvalid) {
        if (record.expressionNoticeShown) continue;
        notice(entry, kind);
        record.expressionNoticeShown = true;
        return false;
      }
      matched = result == ExpressionResult::kMatch;
    } else {
      matched = !entry.empty() && foldedText.find(Folded(entry)) != std::string::npos;
    }
    if (!matched) continue;
    record.verdict = IsWhite(kind) ? kWhitelisted : kBlacklisted;
    record.matchedEntry = entry;
    if (record.verdict == kWhitelisted) return true;
  }
  return true;
}

}  // namespace trellisk::testing
