#include "parser/html_cleaner.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <optional>
#include <vector>

#include "base/ascii.h"
#include "parser/address_match.h"
#include "parser/regex_compile.h"
#include "parser/replace_all.h"
#include "parser/text_cut.h"
#include "parser/tokenizer.h"
#include "parser/url_decode.h"
#include "platform/hex_digit.h"

namespace trellisk {
namespace {

// ---------------------------------------------------------------- tricks

struct NamedEntity {
  std::string_view name;
  std::string_view replacement;
};

// Latin-1 replacements; names are case-sensitive.
constexpr std::array<NamedEntity, 10> kNamedEntities = {{
    {"&nbsp;", " "},
    {"&amp;", "&"},
    {"&uuml;", "\xFC"},
    {"&Uuml;", "\xDC"},
    {"&ouml;", "\xF6"},
    {"&Ouml;", "\xD6"},
    {"&auml;", "\xE4"},
    {"&Auml;", "\xC4"},
    {"&szlig;", "\xDF"},
    {"&quot;", "\""},
}};

// The bytes that follow an "&" somewhere in the text.
std::array<bool, 256> BytesAfterAmpersands(std::string_view text) {
  std::array<bool, 256> seen{};
  for (size_t at = text.find('&'); at != std::string_view::npos && at + 1 < text.size(); at = text.find('&', at + 1)) {
    seen[static_cast<unsigned char>(text[at + 1])] = true;
  }
  return seen;
}

// Each entity in table order, as separate passes; a pass whose name cannot
// occur is skipped. Only "&amp;" makes new "&", so the bytes after them are
// looked at again after its pass.
void ReplaceNamedEntities(std::string& text) {
  if (text.find('&') == std::string::npos) return;
  std::array<bool, 256> after = BytesAfterAmpersands(text);
  for (const NamedEntity& entity : kNamedEntities) {
    if (!after[static_cast<unsigned char>(entity.name[1])]) continue;
    const size_t before = text.size();
    ReplaceAll(text, entity.name, entity.replacement);
    if (entity.replacement == "&" && text.size() != before) after = BytesAfterAmpersands(text);
  }
}

bool IsRunByte(char c) { return c == '.' || c == '-' || c == '_'; }

// Every run of three or more dots, hyphens or underscores becomes one such
// byte. Runs of different bytes never join, so one pass does all three.
void CollapseRuns(std::string& text) {
  size_t read = 0;
  // Nothing moves before the first run.
  for (; read + 2 < text.size(); ++read) {
    if (IsRunByte(text[read]) && text[read + 1] == text[read] && text[read + 2] == text[read]) break;
  }
  if (read + 2 >= text.size()) return;
  size_t write = read;
  while (read < text.size()) {
    const char c = text[read];
    size_t runEnd = read + 1;
    if (IsRunByte(c)) {
      while (runEnd < text.size() && text[runEnd] == c) ++runEnd;
      if (runEnd - read >= 3) read = runEnd - 1;
    }
    while (read < runEnd) text[write++] = text[read++];
  }
  text.resize(write);
}

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// A character reference "&#" [x] digits ";" at the start of `rest`.
struct Reference {
  size_t length = 0;  // of the whole reference, ";" included
  unsigned value = 0;
};

// "&#x" with one to four hexadecimal digits of either case, then ";".
std::optional<Reference> HexReferenceAt(std::string_view rest) {
  if (rest.size() < 5 || rest[1] != '#' || (rest[2] != 'x' && rest[2] != 'X')) return std::nullopt;
  Reference reference;
  size_t i = 3;
  for (; i < rest.size() && i < 7 && HexDigitValue(rest[i]) >= 0; ++i) {
    reference.value = reference.value * 16 + static_cast<unsigned>(HexDigitValue(rest[i]));
  }
  if (i == 3 || i >= rest.size() || rest[i] != ';') return std::nullopt;
  reference.length = i + 1;
  return reference;
}

// "&#" with one to five decimal digits, then ";".
std::optional<Reference> DecimalReferenceAt(std::string_view rest) {
  if (rest.size() < 4 || rest[1] != '#') return std::nullopt;
  Reference reference;
  size_t i = 2;
  for (; i < rest.size() && i < 7 && IsDecimalDigit(rest[i]); ++i) {
    reference.value = reference.value * 10 + static_cast<unsigned>(rest[i] - '0');
  }
  if (i == 2 || i >= rest.size() || rest[i] != ';') return std::nullopt;
  reference.length = i + 1;
  return reference;
}

// Replaces each reference whose value is a visible Latin-1 byte (33 to 255)
// by that byte; the search resumes after the byte, so one pass suffices.
template <typename ReferenceAt>
void DecodeReferences(std::string& text, ReferenceAt referenceAt) {
  size_t write = 0;
  size_t read = 0;
  while (read < text.size()) {
    if (text[read] == '&') {
      if (auto reference = referenceAt(std::string_view(text).substr(read))) {
        if (reference->value >= 33 && reference->value <= 255) {
          text[write++] = static_cast<char>(reference->value);
          read += reference->length;
          continue;
        }
        std::memmove(&text[write], &text[read], reference->length);
        write += reference->length;
        read += reference->length;
        continue;
      }
    }
    text[write++] = text[read++];
  }
  text.resize(write);
}

bool IsUpperHexDigit(char c) { return IsDecimalDigit(c) || (c >= 'A' && c <= 'F'); }

// (&#x?[0-9A-F]{1,5}); -> ($1#), case-sensitive: the ";" becomes "#".
void MarkRemainingReferences(std::string& text) {
  for (size_t at = text.find("&#"); at != std::string::npos; at = text.find("&#", at + 1)) {
    size_t i = at + 2;
    if (i < text.size() && text[i] == 'x') ++i;
    const size_t digitsBegin = i;
    while (i < text.size() && IsUpperHexDigit(text[i])) ++i;
    const size_t digits = i - digitsBegin;
    if (digits >= 1 && digits <= 5 && i < text.size() && text[i] == ';') text[i] = '#';
  }
}

// ---------------------------------------------------------------- markers

bool IsRegexSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

size_t SkipSpaces(std::string_view text, size_t at) {
  while (at < text.size() && IsRegexSpace(text[at])) ++at;
  return at;
}

bool HasWordAt(std::string_view text, size_t at, std::string_view word) {
  return StartsWithIgnoreCase(text.substr(at), word);
}

// One attribute "NAME\s*=\s*VALUE" found inside a tag.
struct Attribute {
  size_t nameBegin = 0;
  size_t valueBegin = 0;
  size_t valueEnd = 0;
};

// The value of `name` at `at`: \s*=\s* and a run of bytes that are neither
// spaces nor ">".
std::optional<Attribute> AttributeAt(std::string_view text, size_t at, std::string_view name) {
  if (!HasWordAt(text, at, name)) return std::nullopt;
  size_t i = SkipSpaces(text, at + name.size());
  if (i >= text.size() || text[i] != '=') return std::nullopt;
  i = SkipSpaces(text, i + 1);
  const size_t valueBegin = i;
  while (i < text.size() && !IsRegexSpace(text[i]) && text[i] != '>') ++i;
  if (i == valueBegin) return std::nullopt;
  return Attribute{at, valueBegin, i};
}

// How a marker value becomes words. Link and form targets may be mail
// links; image and input sources are always plain links.
enum class MarkerKind { kTarget, kLink, kAttributeWord, kHeading, kStyle };

// A tag pattern of the form <\s*(NAMES)[^>]+(ATTRIBUTES)\s*=\s*(VALUE)[^>]*>.
struct TagMarker {
  std::vector<std::string_view> names;
  std::vector<std::string_view> attributes;
  bool valueIncludesAttribute;  // the marker is "SIZE=..." rather than the value
  bool resumeAfterValue;        // group 1 is the value (else the tag name)
  MarkerKind kind;
};

// Finds the matches of one tag pattern. The greedy [^>]+ makes the
// attribute the last valid one before the tag's first ">"; that choice
// depends only on the ">", so it is computed once per ">" however many "<"
// share it.
class TagMatcher {
 public:
  TagMatcher(std::string_view text, const std::vector<size_t>& opens, const TagMarker& marker)
      : text_(text), opens_(opens), marker_(marker) {}

  struct Match {
    size_t resume;
    std::string_view value;
  };

  std::optional<Match> Find(size_t from) {
    for (auto open = std::lower_bound(opens_.begin(), opens_.end(), from); open != opens_.end(); ++open) {
      const size_t nameAt = SkipSpaces(text_, *open + 1);
      for (std::string_view name : marker_.names) {
        if (!HasWordAt(text_, nameAt, name)) continue;
        const size_t nameEnd = nameAt + name.size();
        const size_t close = FirstCloseFrom(nameEnd);
        if (close == std::string_view::npos) return std::nullopt;
        const Attribute* attribute = LastAttributeBefore(close);
        if (attribute && attribute->nameBegin >= nameEnd + 1) return MakeMatch(nameEnd, *attribute);
      }
    }
    return std::nullopt;
  }

 private:
  Match MakeMatch(size_t nameEnd, const Attribute& attribute) const {
    const size_t valueBegin = marker_.valueIncludesAttribute ? attribute.nameBegin : attribute.valueBegin;
    return Match{marker_.resumeAfterValue ? attribute.valueEnd : nameEnd,
                 text_.substr(valueBegin, attribute.valueEnd - valueBegin)};
  }

  // Searches start at increasing positions, so the last answer usually
  // serves again.
  size_t FirstCloseFrom(size_t from) {
    if (from < closeSearchFrom_ || from > closeFound_) {
      closeSearchFrom_ = from;
      closeFound_ = text_.find('>', from);
    }
    return closeFound_;
  }

  // The last attribute of the tag that ends at `close`, or null.
  const Attribute* LastAttributeBefore(size_t close) {
    if (cachedClose_ != close) {
      cachedClose_ = close;
      cachedFound_ = FindLastAttribute(close);
    }
    return cachedFound_ ? &cachedAttribute_ : nullptr;
  }

  bool FindLastAttribute(size_t close) {
    for (size_t at = close; at-- > 0 && text_[at] != '>';) {
      for (std::string_view name : marker_.attributes) {
        if (auto attribute = AttributeAt(text_, at, name)) {
          cachedAttribute_ = *attribute;
          return true;
        }
      }
    }
    return false;
  }

  std::string_view text_;
  const std::vector<size_t>& opens_;
  const TagMarker& marker_;
  size_t closeSearchFrom_ = std::string_view::npos;
  size_t closeFound_ = std::string_view::npos;
  size_t cachedClose_ = std::string_view::npos;
  bool cachedFound_ = false;
  Attribute cachedAttribute_;
};

const std::array<TagMarker, 6>& TagMarkers() {
  static const std::array<TagMarker, 6> markers = {{
      {{"A", "FORM"}, {"HREF", "ACTION"}, false, false, MarkerKind::kTarget},
      {{"IMG", "INPUT"}, {"SRC"}, false, false, MarkerKind::kLink},
      {{"FONT"}, {"COLOR"}, false, true, MarkerKind::kAttributeWord},
      {{"FONT"}, {"SIZE"}, true, true, MarkerKind::kAttributeWord},
      {{"BODY", "TABLE", "TD", "TR"},
       {"BGCOLOR", "TEXT", "BORDERCOLOR", "BORDERCOLORLIGHT", "BORDERCOLORDARK"},
       false,
       false,
       MarkerKind::kAttributeWord},
      {{"META"}, {"CHARSET"}, false, true, MarkerKind::kAttributeWord},
  }};
  return markers;
}

struct MarkerMatch {
  size_t resume;
  std::string_view value;
};

// <\s*(H[12345678])\s*>
std::optional<MarkerMatch> FindHeading(std::string_view text, const std::vector<size_t>& opens, size_t from) {
  for (auto open = std::lower_bound(opens.begin(), opens.end(), from); open != opens.end(); ++open) {
    const size_t h = SkipSpaces(text, *open + 1);
    if (h + 1 >= text.size() || (text[h] != 'H' && text[h] != 'h') || text[h + 1] < '1' || text[h + 1] > '8') {
      continue;
    }
    const size_t close = SkipSpaces(text, h + 2);
    if (close < text.size() && text[close] == '>') return MarkerMatch{h + 2, text.substr(h, 2)};
  }
  return std::nullopt;
}

// The value of a style property whose name ends at `at`: \s*:\s*([^;>]+).
// When only spaces follow the colon before ";", ">" or the end, the last of
// them is the value.
std::optional<std::string_view> StyleValueAt(std::string_view text, size_t at) {
  const size_t colon = SkipSpaces(text, at);
  if (colon >= text.size() || text[colon] != ':') return std::nullopt;
  const size_t valueAt = SkipSpaces(text, colon + 1);
  if (valueAt < text.size() && text[valueAt] != ';' && text[valueAt] != '>') {
    const size_t end = text.find_first_of(";>", valueAt);
    return text.substr(valueAt, (end == std::string_view::npos ? text.size() : end) - valueAt);
  }
  if (valueAt > colon + 1) return text.substr(valueAt - 1, 1);
  return std::nullopt;
}

// (COLOR|BACKGROUND\-COLOR|FONT\-WEIGHT|FONT\-SIZE|TEXT\-DECORATION)\s*:\s*([^;>]+)
// Every match needs a colon after its name and the blanks before it, and a
// name holds no colon, so the matches follow the colons in order: for each
// colon the longest name that ends where its blanks begin gives the
// leftmost start.
std::optional<MarkerMatch> FindStyleProperty(std::string_view text, size_t from) {
  static constexpr std::array<std::string_view, 5> kLongestFirst = {"BACKGROUND-COLOR", "TEXT-DECORATION",
                                                                   "FONT-WEIGHT", "FONT-SIZE", "COLOR"};
  for (size_t colon = text.find(':', from); colon != std::string_view::npos; colon = text.find(':', colon + 1)) {
    size_t nameEnd = colon;
    while (nameEnd > from && IsRegexSpace(text[nameEnd - 1])) --nameEnd;
    for (std::string_view name : kLongestFirst) {
      if (nameEnd < from + name.size() || !HasWordAt(text, nameEnd - name.size(), name)) continue;
      if (auto value = StyleValueAt(text, nameEnd)) return MarkerMatch{nameEnd, *value};
      break;
    }
  }
  return std::nullopt;
}

std::string UpperCased(std::string_view text) {
  std::string result(text);
  AsciiUpperInPlace(result);
  return result;
}

void AddAttributeWord(std::string_view value, Tokenizer& words) {
  std::string word;
  for (char c : value) {
    if (c != '"' && c != '\'') word += AsciiUpper(c);
  }
  words.AddWordVector(word, kMarkerTrimSet);
}

void AddLinkGroup(std::string_view group, Tokenizer& words) {
  if (group.find('/') == std::string_view::npos) {
    words.AddWordVector(group, kWordTrimSet);
    return;
  }
  size_t begin = 0;
  for (size_t slash = group.find('/'); slash != std::string_view::npos; slash = group.find('/', begin)) {
    words.AddWordVector(group.substr(begin, slash - begin), kLinkPieceTrimSet);
    begin = slash + 1;
  }
  words.AddWordVector(group.substr(begin), kLinkPieceTrimSet);
}

// ([^:/?#]+://)?([^/?#]*)?([^?#]*)?([^&#]*)?([^#]*)? matched at the start:
// the scheme is skipped; host, path, query and the rest become words.
void AddLinkWords(std::string_view value, Tokenizer& words) {
  std::string target;
  DecodeUrl(value, target);
  CutAtZeroByte(target);
  const std::string_view link = target;
  size_t at = 0;
  const size_t schemeEnd = link.find_first_of(":/?#");
  if (schemeEnd != 0 && schemeEnd != std::string_view::npos && link.substr(schemeEnd, 3) == "://") {
    at = schemeEnd + 3;
  }
  for (std::string_view stops : {"/?#", "?#", "&#", "#"}) {
    const size_t end = std::min(link.find_first_of(stops, at), link.size());
    AddLinkGroup(link.substr(at, end - at), words);
    at = end;
  }
}

void AddMailLinkWords(std::string_view value, Tokenizer& words) {
  const auto link = FindMailLinkAddress(value);
  if (!link) return;
  words.AddWordVector(link->address, "");
  constexpr size_t kSubjectKeyLength = 9;  // "?subject="
  if (link->subjectPart.size() > kSubjectKeyLength) {
    words.AddWordVector(link->subjectPart.substr(kSubjectKeyLength), "");
  }
}

void AddMarker(MarkerKind kind, std::string_view rawValue, Tokenizer& words) {
  const std::string_view value = Trim(rawValue, "\"'");
  switch (kind) {
    case MarkerKind::kTarget:
      if (value.substr(0, 7) == "mailto:") {
        AddMailLinkWords(value, words);
      } else {
        AddLinkWords(value, words);
      }
      break;
    case MarkerKind::kLink:
      AddLinkWords(value, words);
      break;
    case MarkerKind::kAttributeWord:
      AddAttributeWord(value, words);
      break;
    case MarkerKind::kHeading:
      if (!value.empty()) words.AddWordVector("HEADERSIZE" + std::string(value.substr(1)), kMarkerTrimSet);
      break;
    case MarkerKind::kStyle:
      words.AddWordVector("STYLESHEET" + UpperCased(value), kMarkerTrimSet);
      break;
  }
}

template <typename FindNext>
void AddEveryMarker(MarkerKind kind, Tokenizer& words, FindNext findNext) {
  for (size_t from = 0; auto match = findNext(from);) {
    AddMarker(kind, match->value, words);
    from = match->resume;
  }
}

}  // namespace

void RemoveTricks(std::string& text) {
  ReplaceNamedEntities(text);
  CollapseRuns(text);
  if (text.find("&#") == std::string::npos) return;
  DecodeReferences(text, HexReferenceAt);
  DecodeReferences(text, DecimalReferenceAt);
  MarkRemainingReferences(text);
}

void RemoveHTMLComments(std::string& text, Tokenizer& words) {
  // The greedy middle makes one match run from the first opening to the
  // last closing; what remains holds no closing after any opening, so the
  // loop ends after at most one removal.
  for (;;) {
    const size_t open = text.find("<!--");
    if (open == std::string::npos) return;
    const size_t close = text.rfind("-->");
    if (close == std::string::npos || close < open + 4) return;
    const size_t end = close + 3;
    words.ParseLine(std::string_view(text).substr(open, end - open), WordPrefix::kNone);
    text.erase(open, end - open);
  }
}

void ParseHTML(std::string_view text, Tokenizer& words) {
  // Patterns 0 to 3 and 5, 6 are tag markers; the heading marker (4) comes
  // between them and the style properties (7) last.
  // Every tag pattern starts at a "<"; they are found once for all.
  std::vector<size_t> opens;
  for (size_t open = text.find('<'); open != std::string_view::npos; open = text.find('<', open + 1)) {
    opens.push_back(open);
  }
  const auto& tags = TagMarkers();
  for (size_t i = 0; i < tags.size() && !opens.empty(); ++i) {
    if (i == 4) {
      AddEveryMarker(MarkerKind::kHeading, words, [&](size_t from) { return FindHeading(text, opens, from); });
    }
    TagMatcher matcher(text, opens, tags[i]);
    AddEveryMarker(tags[i].kind, words, [&](size_t from) { return matcher.Find(from); });
  }
  AddEveryMarker(MarkerKind::kStyle, words, [&](size_t from) { return FindStyleProperty(text, from); });
}

void RemoveHTMLTags(std::string& text) {
  // Removing one tag never breaks another, so the result does not depend on
  // the order of removals: a left-to-right pass that removes each tag as
  // its ">" arrives -- including tags that form when the text closes up --
  // gives the same text as searching again from the start after each one.
  constexpr size_t kMaxTagInside = 256;
  std::vector<size_t> openings;  // "<" in the result with no ">" after them
  size_t write = 0;
  for (size_t read = 0; read < text.size(); ++read) {
    const char c = text[read];
    if (c == '>' && !openings.empty() && write - openings.back() - 1 <= kMaxTagInside) {
      write = openings.back();
      openings.pop_back();
      continue;
    }
    if (c == '<') openings.push_back(write);
    if (c == '>') openings.clear();
    text[write++] = c;
  }
  text.resize(write);
}

void RegexReplace(std::string& text, std::string_view pattern, std::string_view format) {
  if (format.size() > pattern.size()) return;
  // Callers use a handful of fixed patterns; each thread compiles each once.
  thread_local std::deque<std::pair<std::string, boost::regex>> compiled;
  auto known = std::find_if(compiled.begin(), compiled.end(), [&](const auto& entry) { return entry.first == pattern; });
  if (known == compiled.end()) {
    compiled.emplace_back(std::string(pattern), CompilePattern(pattern, RegexCase::kSensitive));
    known = std::prev(compiled.end());
  }
  text = boost::regex_replace(text, known->second, std::string(format), boost::match_default | boost::format_all);
}

}  // namespace trellisk
