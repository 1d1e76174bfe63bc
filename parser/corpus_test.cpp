// The real-mail corpus, the fuzz seeds and the regression inputs through the
// whole parser: every message must parse (the sanitizer builds run this),
// and the linear cleaning steps must give exactly the words and collected
// texts of the literal algorithms under every combination of the settings
// that steer them.
#include <gtest/gtest.h>

#include <cstdlib>

#include "parser/testing/literal_steps.h"
#include "parser/testing/message_files.h"
#include "parser/testing/parser_harness.h"
#include "tests/support/temp_directory.h"

namespace trellisk {
namespace {

using testing::ParserHarness;

// Everything a parse leaves that later stages read.
struct ParseResult {
  std::vector<std::string> words;
  std::optional<std::string> headerText, bodyText;
  std::string from, to, cc, subject, date, deliveryDate, messageId;
  std::vector<std::string> relays;
  bool operator==(const ParseResult&) const = default;
};

// The settings that steer the parser, from the bits of `combination` (the
// layout of the fuzzer's first input byte): ParseHTML, LowerCase,
// SpecialMarkers, RemoveDoublets, collection for the rule filter, and two
// bits of MinWordLength.
void ApplyCombination(Settings& settings, unsigned combination) {
  settings.ParseHTML = combination & 1;
  settings.LowerCase = (combination >> 1) & 1;
  settings.SpecialMarkers = (combination >> 2) & 1;
  settings.RemoveDoublets = (combination >> 3) & 1;
  settings.Algorithm = (combination & 0x10) ? kAlgorithmRuleFilter | 1 : 1;
  settings.MinWordLength = (combination >> 5) & 3;
}

constexpr unsigned kCollectAndMinWordLength3 = 0x10 | (3 << 5);
// ParseHTML, SpecialMarkers and RemoveDoublets on, as by default.
constexpr unsigned kDefaults = 0b1101 | kCollectAndMinWordLength3;

class Differential {
 public:
  Differential() { linear_.log.Open(logPath_, true), literal_.log.Open(logPath_ + ".literal", true); }

  // False when the literal run met an exception (its backtracking limit),
  // so there is nothing to compare.
  bool Compare(const std::string& message, unsigned combination, const std::string& name) {
    ApplyCombination(linear_.settings, combination);
    ApplyCombination(literal_.settings, combination);
    const ParseResult fast = Run(linear_, message, &LinearCleaningSteps());
    const ParseResult slow = Run(literal_, message, &oracle::LiteralCleaningSteps());
    if (!literal_.log.ReadAll().empty()) {
      literal_.log.ReopenTruncated();
      return false;
    }
    EXPECT_EQ(fast.words, slow.words) << name << " settings " << combination;
    EXPECT_TRUE(fast == slow) << name << " settings " << combination;
    return true;
  }

 private:
  static ParseResult Run(ParserHarness& harness, const std::string& message, const CleaningSteps* steps) {
    const CMailParser& parser = harness.Parse(message, false, nullptr, steps);
    const ParsedMail& mail = parser.mail();
    return {testing::CountsOf(mail.words), mail.headerText, mail.bodyText, mail.from, mail.to, mail.cc,
            mail.subject, mail.date, mail.deliveryDate, mail.messageId, mail.relays};
  }

  testing::TempDirectory directory_;
  std::string logPath_ = directory_.File("parser.log");
  ParserHarness linear_;
  ParserHarness literal_;
};

enum class InputFormat { kByName, kAllFuzzInputs };

// Each message under the default settings and one other combination; an
// input saved by the fuzzer (".fuzz", or every file of a fuzzer corpus)
// under the settings of its first byte.
void CompareAll(const std::vector<std::string>& files, InputFormat format = InputFormat::kByName) {
  Differential differential;
  size_t skipped = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string message = testing::ReadMessage(files[i]);
    if (format == InputFormat::kAllFuzzInputs || files[i].ends_with(".fuzz")) {
      if (!message.empty() && !differential.Compare(message.substr(1), static_cast<unsigned char>(message[0]), files[i])) {
        ++skipped;
      }
      continue;
    }
    if (!differential.Compare(message, kDefaults, files[i])) ++skipped;
    const unsigned combination = static_cast<unsigned>(i % 16) | kCollectAndMinWordLength3;
    if (!differential.Compare(message, combination, files[i])) ++skipped;
  }
  EXPECT_LE(skipped, files.size() / 100) << "literal runs that hit the regex engine's limits";
}

TEST(ParserCorpus, EveryMessageParses) {
  const std::vector<std::string> files = testing::CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "the real-mail corpus has not been fetched";
  ParserHarness harness;
  harness.settings.Algorithm = kAlgorithmRuleFilter | 1;
  size_t withWords = 0;
  for (const std::string& file : files) {
    const CMailParser& parser = harness.Parse(testing::ReadMessage(file));
    if (!parser.mail().words.empty()) ++withWords;
  }
  EXPECT_GT(withWords, files.size() * 95 / 100);
}

TEST(ParserCorpus, LinearStepsMatchTheLiteralAlgorithms) {
  const std::vector<std::string> files = testing::CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "the real-mail corpus has not been fetched";
  CompareAll(files);
}

// The corpus a local fuzzing run grew (scripts/fuzz-parser.sh), when there
// is one: every input, also those too long for the fuzzer's own comparison.
TEST(ParserCorpus, FuzzerCorpusMatchesTheLiteralAlgorithms) {
  const char* configured = std::getenv("TRELLISK_FUZZ_CORPUS_DIR");
  const std::vector<std::string> files = testing::FilesBelow(configured ? configured : "");
  if (files.empty()) GTEST_SKIP() << "no fuzzer corpus; set TRELLISK_FUZZ_CORPUS_DIR to compare one";
  CompareAll(files, InputFormat::kAllFuzzInputs);
}

TEST(ParserRegressions, FuzzSeedsAndRegressionsMatchTheLiteralAlgorithms) {
  std::vector<std::string> files = testing::RegressionFiles();
  const std::vector<std::string> seeds = testing::FuzzSeedFiles();
  files.insert(files.end(), seeds.begin(), seeds.end());
  ASSERT_FALSE(files.empty());
  CompareAll(files);
}

}  // namespace
}  // namespace trellisk
