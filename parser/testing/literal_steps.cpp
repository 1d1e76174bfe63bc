#include "parser/testing/literal_steps.h"

#include <boost/regex.hpp>
#include <deque>
#include <tuple>

#include "base/ascii.h"
#include "parser/html_cleaner.h"
#include "parser/patterns.h"
#include "parser/regex_compile.h"
#include "parser/text_cut.h"
#include "parser/tokenizer.h"
#include "parser/url_decode.h"

namespace trellisk::oracle {
namespace {

using Iterator = std::string_view::const_iterator;
using Match = boost::match_results<Iterator>;

const boost::regex& Pattern(std::string_view text, RegexCase regexCase) {
  // One compiled expression per pattern text and case, made on first use;
  // a deque keeps the references handed out valid as it grows.
  static thread_local std::deque<std::tuple<std::string, RegexCase, boost::regex>> compiled;
  for (const auto& [pattern, c, expression] : compiled) {
    if (pattern == text && c == regexCase) return expression;
  }
  compiled.emplace_back(std::string(text), regexCase, CompilePattern(text, regexCase));
  return std::get<2>(compiled.back());
}

const boost::regex& IgnoringCase(std::string_view text) { return Pattern(text, RegexCase::kIgnore); }

bool SearchFrom(std::string_view text, size_t from, Match& match, const boost::regex& expression) {
  return from <= text.size() && boost::regex_search(text.begin() + from, text.end(), match, expression);
}

size_t Offset(std::string_view text, Iterator at) { return static_cast<size_t>(at - text.begin()); }

// ReplaceAll as written: find, close the text up, copy the replacement in,
// search on just after it.
void LiteralReplaceAll(std::string& text, std::string_view find, std::string_view replacement) {
  if (replacement.size() > find.size()) return;
  for (size_t at = text.find(find); at != std::string::npos; at = text.find(find, at + replacement.size())) {
    text.replace(at, find.size(), replacement);
  }
}

// Character references from 33 to 255 become their byte; the search goes
// on after the byte, or after a reference that stays.
void ReplaceReferences(std::string& text, std::string_view pattern, int base) {
  Match match;
  size_t from = 0;
  while (SearchFrom(text, from, match, IgnoringCase(pattern))) {
    const size_t begin = Offset(text, match[0].first);
    const unsigned long value = std::stoul(match[1].str(), nullptr, base);
    if (value >= 33 && value <= 255) {
      text.replace(begin, static_cast<size_t>(match.length(0)), 1, static_cast<char>(value));
      from = begin + 1;
    } else {
      from = begin + static_cast<size_t>(match.length(0));
    }
  }
}

void AddAttributeWord(std::string value, Tokenizer& words) {
  std::erase(value, '"');
  std::erase(value, '\'');
  AsciiUpperInPlace(value);
  words.AddWordVector(value, kMarkerTrimSet);
}

void AddLinkWords(std::string_view value, Tokenizer& words) {
  std::string decoded;
  DecodeUrl(value, decoded);
  CutAtZeroByte(decoded);
  const std::string_view link = decoded;
  Match match;
  if (!SearchFrom(link, 0, match, IgnoringCase(patterns::kLinkParts))) return;
  for (int group = 2; group <= 5; ++group) {
    const std::string text = match[group].matched ? match[group].str() : std::string();
    if (text.find('/') == std::string::npos) {
      words.AddWordVector(text, kWordTrimSet);
      continue;
    }
    size_t begin = 0;
    for (size_t slash = text.find('/'); slash != std::string::npos; slash = text.find('/', begin)) {
      words.AddWordVector(text.substr(begin, slash - begin), kLinkPieceTrimSet);
      begin = slash + 1;
    }
    words.AddWordVector(text.substr(begin), kLinkPieceTrimSet);
  }
}

void AddMarker(int pattern, std::string_view rawValue, Tokenizer& words) {
  const std::string value(Trim(rawValue, "\"'"));
  switch (pattern) {
    case 0:
    case 1:
      if (pattern == 0 && value.compare(0, 7, "mailto:") == 0) {
        Match match;
        if (!SearchFrom(value, 0, match, IgnoringCase(patterns::kMailLinkAddress))) return;
        words.AddWordVector(match[1].str(), "");
        if (match[2].matched && match.length(2) > 9) words.AddWordVector(match[2].str().substr(9), "");
      } else {
        AddLinkWords(value, words);
      }
      return;
    case 4:
      words.AddWordVector("HEADERSIZE" + value.substr(1), kMarkerTrimSet);
      return;
    case 7: {
      std::string upper = value;
      AsciiUpperInPlace(upper);
      words.AddWordVector("STYLESHEET" + upper, kMarkerTrimSet);
      return;
    }
    default:
      AddAttributeWord(value, words);
      return;
  }
}

}  // namespace

void RemoveTricks(std::string& text) {
  static constexpr std::pair<std::string_view, std::string_view> kEntities[] = {
      {"&nbsp;", " "},     {"&amp;", "&"},      {"&uuml;", "\xFC"},  {"&Uuml;", "\xDC"},   {"&ouml;", "\xF6"},
      {"&Ouml;", "\xD6"},  {"&auml;", "\xE4"},  {"&Auml;", "\xC4"},  {"&szlig;", "\xDF"},  {"&quot;", "\""},
  };
  for (const auto& [name, replacement] : kEntities) LiteralReplaceAll(text, name, replacement);
  RegexReplace(text, patterns::kDotRun, ".");
  RegexReplace(text, patterns::kHyphenRun, "-");
  RegexReplace(text, patterns::kUnderscoreRun, "_");
  ReplaceReferences(text, patterns::kHexReference, 16);
  ReplaceReferences(text, patterns::kDecimalReference, 10);
  RegexReplace(text, patterns::kRemainingReference, patterns::kRemainingReferenceFormat);
}

void RemoveHTMLComments(std::string& text, Tokenizer& words) {
  Match match;
  while (SearchFrom(text, 0, match, IgnoringCase(patterns::kHtmlComment))) {
    const size_t begin = Offset(text, match[0].first);
    const size_t length = static_cast<size_t>(match.length(0));
    words.ParseLine(std::string_view(text).substr(begin, length), WordPrefix::kNone);
    text.erase(begin, length);
  }
}

void ParseHTML(std::string_view text, Tokenizer& words) {
  for (int pattern = 0; pattern < static_cast<int>(patterns::kHtmlMarkers.size()); ++pattern) {
    const boost::regex& expression = IgnoringCase(patterns::kHtmlMarkers[static_cast<size_t>(pattern)]);
    Match match;
    size_t from = 0;
    while (SearchFrom(text, from, match, expression)) {
      int group = static_cast<int>(match.size()) - 1;
      while (group > 1 && !match[group].matched) --group;
      AddMarker(pattern, match[group].str(), words);
      from = Offset(text, match[1].second);
    }
  }
}

void RemoveHTMLTags(std::string& text) {
  Match match;
  while (SearchFrom(text, 0, match, IgnoringCase(patterns::kHtmlTag))) {
    text.erase(Offset(text, match[0].first), static_cast<size_t>(match.length(0)));
  }
}

void MergeWordDoublets(WordVector& words) {
  for (size_t i = 0; i < words.size(); ++i) {
    for (size_t j = i + 1; j < words.size();) {
      if (words[j].word == words[i].word) {
        words.erase(words.begin() + static_cast<std::ptrdiff_t>(j));
        words[i].count += 1;
      } else {
        ++j;
      }
    }
  }
}

const CleaningSteps& LiteralCleaningSteps() {
  static const CleaningSteps steps = {&RemoveTricks, &RemoveHTMLComments, &ParseHTML, &RemoveHTMLTags,
                                      &MergeWordDoublets};
  return steps;
}

std::optional<EncodedWord> FindEncodedWord(std::string_view line, size_t from) {
  Match match;
  if (!SearchFrom(line, from, match, IgnoringCase(patterns::kEncodedWord))) return std::nullopt;
  EncodedWord word;
  word.begin = Offset(line, match[0].first);
  word.end = Offset(line, match[0].second);
  word.charset = line.substr(Offset(line, match[1].first), static_cast<size_t>(match.length(1)));
  word.encoding = match[2].matched ? *match[2].first : 0;
  word.text = line.substr(Offset(line, match[3].first), static_cast<size_t>(match.length(3)));
  return word;
}

std::optional<TextSpan> FindDottedQuad(std::string_view line, size_t from) {
  Match match;
  if (!SearchFrom(line, from, match, IgnoringCase(patterns::kDottedQuad))) return std::nullopt;
  return TextSpan{Offset(line, match[0].first), Offset(line, match[0].second)};
}

std::optional<TextSpan> FindHostName(std::string_view line, size_t from) {
  Match match;
  if (!SearchFrom(line, from, match, IgnoringCase(patterns::kHostName))) return std::nullopt;
  return TextSpan{Offset(line, match[0].first), Offset(line, match[0].second)};
}

std::optional<std::string_view> FindSenderAddress(std::string_view text) {
  Match match;
  if (!SearchFrom(text, 0, match, IgnoringCase(patterns::kSenderAddress))) return std::nullopt;
  return text.substr(Offset(text, match[0].first), static_cast<size_t>(match.length(0)));
}

std::optional<MailLinkAddress> FindMailLinkAddress(std::string_view text) {
  Match match;
  if (!SearchFrom(text, 0, match, IgnoringCase(patterns::kMailLinkAddress))) return std::nullopt;
  MailLinkAddress link;
  link.address = text.substr(Offset(text, match[1].first), static_cast<size_t>(match.length(1)));
  if (match[2].matched) link.subjectPart = text.substr(Offset(text, match[2].first), static_cast<size_t>(match.length(2)));
  return link;
}

}  // namespace trellisk::oracle
