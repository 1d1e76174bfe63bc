// Scoring calls of several threads overlap each other and reloads of the
// rules; run under ThreadSanitizer in CI.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "base/log.h"
#include "base/text_source.h"
#include "plugin/component_options.h"
#include "plugin/settings.h"
#include "rules/regexp_filter.h"
#include "tests/support/temp_directory.h"

namespace trellisk {
namespace {

constexpr int kScoringThreads = 4;
constexpr int kMessagesPerThread = 400;
constexpr int kReloads = 200;

// Two rule files with different results for the same message, so every
// result shows which rule set scored it: all of one set or nothing.
constexpr const char* kRulesA =
    "SUBJECT: 2 \"offer\" [a1]\n"
    "@FROM: 0 \"spam.example\"\n"
    "BODY: 3 {buy\\s+now} [a2]\n";
constexpr const char* kRulesB =
    "-X-CLEAN: 7 \"yes\" [b1]\n"
    "=~SUBJECT: 4 \"special\" [b2]\n"
    "BODY: 100 \"never reached\"\n";

TEST(RegExpFilterThreads, ScoringOverlapsReloads) {
  testing::TempDirectory dir;
  testing::WriteFileBytes(dir.File("a.dat"), kRulesA);
  testing::WriteFileBytes(dir.File("b.dat"), kRulesB);
  Settings settings;
  settings.RegExpPath = dir.File("a.dat");
  BuiltinTexts texts;
  Log log(&texts);
  CRegExpFilter filter(RuleFilterOptionsOf(settings), log, platform::DefaultFileSystem());
  ASSERT_TRUE(filter.Load());

  const std::string header = "From: x@spam.example\r\nSubject: special offer\r\n";
  const std::string collected = "From: x@spam.example\nSubject: special offer";
  const std::string body = "Buy  now!\r\n";
  std::atomic<int> unexpected{0};
  std::vector<std::thread> scorers;
  for (int t = 0; t < kScoringThreads; ++t) {
    scorers.emplace_back([&, t] {
      for (int i = 0; i < kMessagesPerThread; ++i) {
        const RuleFilterInput input{static_cast<LogBlockKey>(t * kMessagesPerThread + i),
                                    &header,
                                    &body,
                                    &collected,
                                    &body,
                                    header.size() + body.size(),
                                    settings.VerboseLogfile != 0};
        const RuleFilterResult result = filter.ScoreMail(input);
        const bool setA = result.total == 5 && result.trace == "2.00 SUBJECT a1\n3.00 BODY a2\n";
        const bool setB = result.total == 11 && result.trace == "7.00 X-CLEAN b1\n4.00 SUBJECT b2\n";
        const bool none = result.total == 0 && result.trace.empty();
        if (!setA && !setB && !none) ++unexpected;
      }
    });
  }
  // The path is read by Load only; scorers never read it.
  for (int i = 0; i < kReloads; ++i) {
    settings.RegExpPath = dir.File(i % 2 ? "a.dat" : "b.dat");
    filter.SetOptions(RuleFilterOptionsOf(settings));
    if (i % 5 == 4) {
      filter.Close();
    } else {
      filter.Load();
    }
  }
  for (std::thread& scorer : scorers) scorer.join();
  EXPECT_EQ(unexpected.load(), 0);
}

}  // namespace
}  // namespace trellisk
