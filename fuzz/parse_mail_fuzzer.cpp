// libFuzzer target for CMailParser::ParseMail. The first input byte picks
// the settings that steer the parser (ParseHTML, LowerCase, SpecialMarkers,
// RemoveDoublets, rule-filter collection); the rest is the message, handed
// over in a heap buffer of exactly its size plus the terminator, so the
// address sanitizer sees any access outside it. Inputs of up to 4 KB are
// also parsed with the literal cleaning algorithms, and any difference in
// words or collected texts aborts.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "base/log.h"
#include "base/text_source.h"
#include "parser/mail_parser.h"
#include "parser/testing/literal_steps.h"
#include "plugin/component_options.h"
#include "plugin/settings.h"

namespace {

using namespace trellisk;

constexpr size_t kLongestMessage = 65535;
constexpr size_t kLongestCompared = 4096;

// The literal steps, noting when one of them gives up (the regex engine's
// backtracking limit), since such a run has nothing to compare.
bool literalGaveUp = false;

template <auto Step, typename... Args>
void Noting(Args... args) {
  try {
    Step(args...);
  } catch (...) {
    literalGaveUp = true;
    throw;
  }
}

const CleaningSteps kNotingLiteralSteps = {
    &Noting<&oracle::RemoveTricks, std::string&>,
    &Noting<&oracle::RemoveHTMLComments, std::string&, Tokenizer&>,
    &Noting<&oracle::ParseHTML, std::string_view, Tokenizer&>,
    &Noting<&oracle::RemoveHTMLTags, std::string&>,
    &Noting<&oracle::MergeWordDoublets, WordVector&>,
};

struct Outcome {
  WordVector words;
  std::optional<std::string> headerText, bodyText;
  std::string from, subject, messageId;
  std::vector<std::string> relays;
};

bool SameWords(const WordVector& a, const WordVector& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].word != b[i].word || a[i].count != b[i].count) return false;
  }
  return true;
}

Outcome Parse(const Settings& settings, Log& log, const uint8_t* data, size_t size, const CleaningSteps& steps) {
  const std::unique_ptr<char[]> text(new char[size + 1]);
  std::memcpy(text.get(), data, size);
  text[size] = '\0';
  CMailParser parser(ParserOptionsOf(settings), log, nullptr, steps);
  parser.SetMail(text.get(), size, false);
  parser.ParseMail();
  parser.GetFrom(true);
  const std::string messageId = parser.GetMessageId();
  const ParsedMail& mail = parser.mail();
  return {mail.words, mail.headerText, mail.bodyText, mail.from, mail.subject, messageId, mail.relays};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size - 1 > kLongestMessage) return 0;
  static const BuiltinTexts texts;
  static Log log(&texts);
  Settings settings;
  settings.ParseHTML = data[0] & 1;
  settings.LowerCase = (data[0] >> 1) & 1;
  settings.SpecialMarkers = (data[0] >> 2) & 1;
  settings.RemoveDoublets = (data[0] >> 3) & 1;
  settings.Algorithm = (data[0] & 0x10) ? kAlgorithmRuleFilter | 1 : 1;
  settings.MinWordLength = (data[0] >> 5) & 3;
  const Outcome linear = Parse(settings, log, data + 1, size - 1, LinearCleaningSteps());
  if (size - 1 > kLongestCompared) return 0;
  literalGaveUp = false;
  const Outcome literal = Parse(settings, log, data + 1, size - 1, kNotingLiteralSteps);
  if (literalGaveUp) return 0;
  if (!SameWords(linear.words, literal.words) || linear.headerText != literal.headerText ||
      linear.bodyText != literal.bodyText || linear.from != literal.from || linear.subject != literal.subject ||
      linear.messageId != literal.messageId || linear.relays != literal.relays) {
    std::abort();
  }
  return 0;
}
