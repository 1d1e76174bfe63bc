// The fast list check against the literal slot-by-slot scan on every message
// of the real-mail corpus, with entries drawn from the corpus itself. Each
// message is checked whole and then, with the same record, its second half,
// as the mail parser checks a decoded part after the raw message.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "lists/black_whitelist.h"
#include "lists/testing/list_corpus.h"
#include "lists/testing/literal_list_check.h"
#include "platform/message_box.h"
#include "plugin/component_options.h"
#include "tests/support/test_message_boxes.h"

namespace trellisk {
namespace {

struct Scenario {
  const char* name;
  testing::CorpusEntryMix mix;
};

class ListsCorpusTest : public ::testing::TestWithParam<Scenario> {
 protected:
  static void SetUpTestSuite() { messages_ = new std::vector<std::string>(testing::LoadListCorpus()); }
  static void TearDownTestSuite() {
    delete messages_;
    messages_ = nullptr;
  }
  void SetUp() override {
    if (messages_->empty()) GTEST_SKIP() << "the corpus has not been fetched";
    messageBoxes_.Observe(
        [this](std::string_view, std::string_view text, platform::MessageBoxIcon) { fastNotices_.emplace_back(text); });
  }

  static std::vector<std::string>* messages_;
  std::vector<std::string> fastNotices_;
  testing::TestMessageBoxes messageBoxes_;
};

std::vector<std::string>* ListsCorpusTest::messages_ = nullptr;

TEST_P(ListsCorpusTest, FastCheckAgreesWithTheLiteralScanOnEveryMessage) {
  Settings settings;
  BuiltinTexts texts;
  std::atomic<const TextSource*> textSource{&texts};
  Log log(&texts);
  CBlackWhitelist lists(ListOptionsOf(settings), log, platform::DefaultFileSystem(), textSource, messageBoxes_);
  uint32_t sequence = 0;
  for (const auto& entry : testing::CorpusListEntries(*messages_, GetParam().mix)) lists.Add(entry.text, entry.kind, sequence++);
  ASSERT_GT(lists.blackCount(), 0u);
  ASSERT_GT(lists.whiteCount(), 0u);

  std::map<ScanState, int> verdicts;
  std::vector<std::string> literalNotices;
  for (size_t i = 0; i < messages_->size(); ++i) {
    const std::string& message = (*messages_)[i];
    const std::string_view secondHalf = std::string_view(message).substr(message.size() / 2);
    ListMatch fast;
    ListMatch literal;
    for (const auto& [text, reset] : {std::pair{std::string_view(message), true}, std::pair{secondHalf, false}}) {
      const bool fastResult = lists.CheckBlackWhitelist(fast, text, reset);
      const bool literalResult = testing::LiteralCheckBlackWhitelist(
          lists, literal, text, reset, [&](std::string_view entry, ListEntryKind) { literalNotices.emplace_back(entry); });
      ASSERT_EQ(fastResult, literalResult) << "message " << i;
      ASSERT_EQ(fast.verdict, literal.verdict) << "message " << i;
      ASSERT_EQ(fast.matchedEntry, literal.matchedEntry) << "message " << i;
      ASSERT_EQ(fast.expressionNoticeShown, literal.expressionNoticeShown) << "message " << i;
    }
    ++verdicts[fast.verdict];
  }
  EXPECT_EQ(fastNotices_, literalNotices);
  // The entries are drawn so that every outcome occurs often.
  EXPECT_GT(verdicts[kBlacklisted], 50);
  EXPECT_GT(verdicts[kWhitelisted], 50);
  EXPECT_GT(verdicts[kNoDecision], 50);
}

INSTANTIATE_TEST_SUITE_P(
    Mixes, ListsCorpusTest,
    ::testing::Values(Scenario{"AddressesAndWords", {.addresses = 150, .words = 100, .expressions = 0, .seed = 1}},
                      Scenario{"WithExpressions", {.addresses = 120, .words = 80, .expressions = 12, .seed = 2}},
                      Scenario{"WithAnInvalidExpression",
                               {.addresses = 120, .words = 80, .expressions = 8, .invalidExpression = true, .seed = 3}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace trellisk
