#include "lists/list_text_automaton.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "lists/testing/literal_list_check.h"

namespace trellisk {
namespace {

using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;

std::vector<uint32_t> Find(const std::vector<std::string_view>& texts, std::string_view text) {
  return ListTextAutomaton(texts).FindOccurring(text);
}

TEST(ListTextAutomatonTest, FindsOverlappingAndNestedTexts) {
  EXPECT_THAT(Find({"he", "she", "his", "hers", "xyz"}, "ushers"), UnorderedElementsAre(0, 1, 3));
}

TEST(ListTextAutomatonTest, IgnoresTheCaseOfAsciiLettersOnly) {
  EXPECT_THAT(Find({"Cheap Pills", "\xE4rger"}, "buy cheap PILLS \xC4RGER"), UnorderedElementsAre(0));
  EXPECT_THAT(Find({"\xC4RGER"}, "\xC4rger"), UnorderedElementsAre(0));
}

TEST(ListTextAutomatonTest, ReportsEveryTextThatFoldsAlike) {
  EXPECT_THAT(Find({"Spam@X.org", "spam@x.ORG", "other"}, "from SPAM@x.org"), UnorderedElementsAre(0, 1));
}

TEST(ListTextAutomatonTest, ReportsEachTextOnce) {
  EXPECT_THAT(Find({"ab", "b"}, "ababab"), UnorderedElementsAre(0, 1));
}

TEST(ListTextAutomatonTest, FindsNothingInAnEmptyTextOrWithoutTexts) {
  EXPECT_THAT(Find({"a"}, ""), UnorderedElementsAre());
  EXPECT_THAT(Find({}, "abc"), UnorderedElementsAre());
  EXPECT_THAT(Find({"abcd"}, "abc"), UnorderedElementsAre());
}

TEST(ListTextAutomatonTest, MatchesBytesAboveAsciiAndZero) {
  EXPECT_THAT(Find({std::string_view("\xFF\x00\x80", 3)}, std::string_view("a\xFF\x00\x80z", 5)),
              UnorderedElementsAre(0));
}

// Many short texts over a small alphabet, so that they overlap and share
// prefixes and suffixes in every way; compared with the naive search.
TEST(ListTextAutomatonTest, AgreesWithTheNaiveSearch) {
  std::mt19937 random(7);
  const std::string alphabet = "abAB.@\xE4";
  auto randomText = [&](size_t maxLength) {
    std::string text(1 + random() % maxLength, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    return text;
  };
  for (int round = 0; round < 200; ++round) {
    std::vector<std::string> texts;
    for (int i = 0; i < 30; ++i) texts.push_back(randomText(6));
    const std::vector<std::string_view> views(texts.begin(), texts.end());
    const ListTextAutomaton automaton(views);
    const std::string text = randomText(60);
    std::vector<uint32_t> expected;
    for (uint32_t i = 0; i < texts.size(); ++i) {
      if (testing::ContainsFolded(text, texts[i])) expected.push_back(i);
    }
    ASSERT_THAT(automaton.FindOccurring(text), UnorderedElementsAreArray(expected)) << "round " << round;
  }
}

}  // namespace
}  // namespace trellisk
