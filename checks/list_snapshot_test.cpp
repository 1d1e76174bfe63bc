// The fast check against the literal slot-by-slot scan, on random lists and
// texts over a small alphabet, so that entries overlap, both lists match the
// same text, expressions match, fail to compile and end checks, and records
// carry verdicts from one text to the next.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "checks/black_whitelist.h"
#include "checks/testing/literal_list_check.h"
#include "platform/message_box.h"
#include "tests/support/temp_directory.h"

namespace trellisk {
namespace {

class ListCheckDifferentialTest : public ::testing::Test {
 protected:
  ListCheckDifferentialTest() {
    platform::SetMessageBoxObserver([this](std::string_view, std::string_view text, platform::MessageBoxIcon) {
      fastNotices_.emplace_back(text);
    });
  }
  ~ListCheckDifferentialTest() override { platform::SetMessageBoxObserver({}); }

  std::string RandomText(size_t maxLength) {
    static const std::string alphabet = "abcAB@.\n";
    std::string text(1 + random_() % maxLength, ' ');
    for (char& c : text) c = alphabet[random_() % alphabet.size()];
    return text;
  }
  std::string RandomExpression() {
    static const std::vector<std::string> expressions = {"a.b", "^ab", "c$", "(ab)+c", "[bc]{2}", "a\\.", "(",
                                                         "b[", "A.*C", "\\bab"};
    return expressions[random_() % expressions.size()];
  }
  void FillRandomly(CBlackWhitelist& lists) {
    const int count = 1 + random_() % 25;
    for (int i = 0; i < count; ++i) {
      const auto kind = static_cast<ListEntryKind>(kBlackText + random_() % 4);
      const bool expression = kind == kBlackRegExp || kind == kWhiteRegExp;
      lists.Add(expression ? RandomExpression() : RandomText(4), kind, i);
    }
  }

  std::mt19937 random_{11};
  std::vector<std::string> fastNotices_;
};

TEST_F(ListCheckDifferentialTest, AgreesWithTheLiteralScan) {
  Settings settings;
  BuiltinTexts texts;
  std::atomic<const TextSource*> textSource{&texts};
  Log log(&texts);
  for (int round = 0; round < 400; ++round) {
    CBlackWhitelist lists(settings, log, platform::DefaultFileSystem(), textSource);
    FillRandomly(lists);
    ListMatch fast;
    ListMatch literal;
    std::vector<std::string> literalNotices;
    fastNotices_.clear();
    for (int text = 0; text < 4; ++text) {
      const std::string body = RandomText(40);
      const bool reset = text == 0 || random_() % 4 == 0;
      const bool fastResult = lists.CheckBlackWhitelist(fast, body, reset);
      const bool literalResult = testing::LiteralCheckBlackWhitelist(
          lists, literal, body, reset, [&](std::string_view entry, ListEntryKind) { literalNotices.emplace_back(entry); });
      ASSERT_EQ(fastResult, literalResult) << "round " << round << " text " << body;
      ASSERT_EQ(fast.verdict, literal.verdict) << "round " << round << " text " << body;
      ASSERT_EQ(fast.matchedEntry, literal.matchedEntry) << "round " << round << " text " << body;
      ASSERT_EQ(fast.expressionNoticeShown, literal.expressionNoticeShown) << "round " << round;
      ASSERT_EQ(fastNotices_, literalNotices) << "round " << round;
    }
  }
}

}  // namespace
}  // namespace trellisk
