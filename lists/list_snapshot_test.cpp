// The fast check against the literal slot-by-slot scan, on random lists and
// texts over a small alphabet, so that entries overlap, both lists match the
// same text, expressions match, fail to compile and end checks, and records
// carry verdicts from one text to the next. Entries come and go between the
// checks, so that snapshots are built whole and from the changes since.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "lists/black_whitelist.h"
#include "lists/testing/literal_list_check.h"
#include "platform/message_box.h"
#include "plugin/component_options.h"
#include "tests/support/temp_directory.h"
#include "tests/support/test_message_boxes.h"

namespace trellisk {
namespace {

class ListCheckDifferentialTest : public ::testing::Test {
 protected:
  ListCheckDifferentialTest() {
    messageBoxes_.Observe([this](std::string_view, std::string_view text, platform::MessageBoxIcon) {
      fastNotices_.emplace_back(text);
    });
  }

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
  void AddRandomly(CBlackWhitelist& lists, int count) {
    for (int i = 0; i < count; ++i) {
      const auto kind = static_cast<ListEntryKind>(kBlackText + random_() % 4);
      const bool expression = kind == kBlackRegExp || kind == kWhiteRegExp;
      const std::string text = expression ? RandomExpression() : RandomText(4);
      if (lists.Add(text, kind, i)) added_.push_back({text, kind});
    }
  }
  void RemoveRandomly(CBlackWhitelist& lists) {
    if (added_.empty()) return;
    const size_t at = random_() % added_.size();
    EXPECT_TRUE(lists.Remove(added_[at].first, added_[at].second));
    added_.erase(added_.begin() + static_cast<std::ptrdiff_t>(at));
  }
  // Checks one text with both and compares everything they give.
  void CompareCheck(CBlackWhitelist& lists, ListMatch& fast, ListMatch& literal, bool reset, const std::string& where) {
    const std::string body = RandomText(40);
    const bool fastResult = lists.CheckBlackWhitelist(fast, body, reset);
    const bool literalResult = testing::LiteralCheckBlackWhitelist(
        lists, literal, body, reset, [&](std::string_view entry, ListEntryKind) { literalNotices_.emplace_back(entry); });
    ASSERT_EQ(fastResult, literalResult) << where << " text " << body;
    ASSERT_EQ(fast.verdict, literal.verdict) << where << " text " << body;
    ASSERT_EQ(fast.matchedEntry, literal.matchedEntry) << where << " text " << body;
    ASSERT_EQ(fast.expressionNoticeShown, literal.expressionNoticeShown) << where;
    ASSERT_EQ(fastNotices_, literalNotices_) << where;
  }

  std::mt19937 random_{11};
  std::vector<std::pair<std::string, ListEntryKind>> added_;
  std::vector<std::string> fastNotices_;
  std::vector<std::string> literalNotices_;
  Settings settings_;
  testing::TestMessageBoxes messageBoxes_;
  BuiltinTexts texts_;
  std::atomic<const TextSource*> textSource_{&texts_};
  Log log_{&texts_};
};

TEST_F(ListCheckDifferentialTest, AgreesWithTheLiteralScan) {
  for (int round = 0; round < 400; ++round) {
    CBlackWhitelist lists(ListOptionsOf(settings_), log_, platform::DefaultFileSystem(), textSource_, messageBoxes_);
    added_.clear();
    AddRandomly(lists, 1 + random_() % 25);
    ListMatch fast;
    ListMatch literal;
    for (int step = 0; step < 8; ++step) {
      if (step > 0 && random_() % 2) AddRandomly(lists, 1 + random_() % 3);
      if (step > 0 && random_() % 2) RemoveRandomly(lists);
      const bool reset = step == 0 || random_() % 4 == 0;
      CompareCheck(lists, fast, literal, reset, "round " + std::to_string(round) + " step " + std::to_string(step));
      if (HasFatalFailure()) return;
    }
  }
}

// Thousands of changes: the table grows (every slot moves) and the changes
// since the last full build outgrow what a snapshot carries beside it.
TEST_F(ListCheckDifferentialTest, AgreesWhileTheListsGrowAndShrink) {
  CBlackWhitelist lists(ListOptionsOf(settings_), log_, platform::DefaultFileSystem(), textSource_, messageBoxes_);
  ListMatch fast;
  ListMatch literal;
  const uint32_t initialSlots = lists.SlotCount();
  for (int step = 0; step < 300; ++step) {
    AddRandomly(lists, 1 + random_() % 40);
    for (int i = random_() % 8; i > 0; --i) RemoveRandomly(lists);
    CompareCheck(lists, fast, literal, random_() % 3 == 0, "step " + std::to_string(step));
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(lists.SlotCount(), initialSlots) << lists.blackCount() + lists.whiteCount();
}

}  // namespace
}  // namespace trellisk
