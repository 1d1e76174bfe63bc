// Test helpers for the parser suites: default settings, a closed log and
// short ways to run the tokenizer, the cleaning steps or a whole message and
// read the words back. One harness per test; not thread-safe.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/log.h"
#include "base/text_source.h"
#include "parser/mail_parser.h"
#include "parser/tokenizer.h"
#include "plugin/component_options.h"
#include "plugin/settings.h"

namespace trellisk::testing {

// The words of a vector, in order.
std::vector<std::string> WordsOf(const WordVector& words);
// "word:count" for every entry, in order.
std::vector<std::string> CountsOf(const WordVector& words);

class ParserHarness {
 public:
  ParserHarness();

  // Words of one text through ParseLine.
  std::vector<std::string> Tokenize(std::string_view text, WordPrefix prefix = WordPrefix::kNone);
  // A fresh tokenizer over `words`.
  Tokenizer MakeTokenizer(WordVector& words) { return Tokenizer(ParserOptionsOf(settings).tokenizer, log, words); }

  // Parses `message` (copied into a buffer of its own) and keeps the parser.
  CMailParser& Parse(std::string message, bool noCollect = false, SenderListCheck* lists = nullptr,
                     const CleaningSteps* steps = nullptr);
  // The words of the last parse (empty when ParseMail returned null).
  std::vector<std::string> Words() const;
  // The message buffer as the parser left it.
  const std::string& buffer() const { return buffer_; }

  Settings settings;
  BuiltinTexts texts;
  Log log{&texts};

 private:
  std::string buffer_;
  std::unique_ptr<CMailParser> parser_;
  WordVector* result_ = nullptr;
};

}  // namespace trellisk::testing
