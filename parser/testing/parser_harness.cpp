#include "parser/testing/parser_harness.h"
#include "plugin/component_options.h"

namespace trellisk::testing {

std::vector<std::string> WordsOf(const WordVector& words) {
  std::vector<std::string> result;
  for (const WordEntry& entry : words) result.push_back(entry.word);
  return result;
}

std::vector<std::string> CountsOf(const WordVector& words) {
  std::vector<std::string> result;
  for (const WordEntry& entry : words) result.push_back(entry.word + ":" + std::to_string(entry.count));
  return result;
}

ParserHarness::ParserHarness() = default;

std::vector<std::string> ParserHarness::Tokenize(std::string_view text, WordPrefix prefix) {
  WordVector words;
  MakeTokenizer(words).ParseLine(text, prefix);
  return WordsOf(words);
}

CMailParser& ParserHarness::Parse(std::string message, bool noCollect, SenderListCheck* lists,
                                  const CleaningSteps* steps) {
  buffer_ = std::move(message);
  const size_t length = buffer_.size();
  parser_ = steps ? std::make_unique<CMailParser>(ParserOptionsOf(settings), log, lists, *steps)
                  : std::make_unique<CMailParser>(ParserOptionsOf(settings), log, lists);
  parser_->SetMail(buffer_.data(), length, noCollect);
  result_ = parser_->ParseMail();
  return *parser_;
}

std::vector<std::string> ParserHarness::Words() const { return result_ ? WordsOf(*result_) : std::vector<std::string>(); }

}  // namespace trellisk::testing
