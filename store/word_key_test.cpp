#include "store/word_key.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trellisk {
namespace {

struct KeyCase {
  std::string word;
  uint32_t limit;
  std::string key;
};

TEST(WordKey, HashesWordsLongerThanTheLimit) {
  const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";
  const std::vector<KeyCase> cases{
      {alphabet, 25, "82fd860699cbecbf"},
      {alphabet.substr(0, 25), 25, alphabet.substr(0, 25)},
      {alphabet.substr(0, 11), 10, "be2defe2"},
      {alphabet.substr(0, 10), 10, alphabet.substr(0, 10)},
      {alphabet.substr(0, 17), 16, "836e9cf9"},
      {alphabet.substr(0, 18), 17, "7c1954ddf1423c8b"},
      {alphabet, 8, alphabet},
      {alphabet, 0, alphabet},
      {"S*" + std::string(20, '\xE4'), 17, "44239f7ab311f02d"},
      {"", 25, ""},
  };
  for (const KeyCase& c : cases) {
    WordKeyBuffer buffer;
    EXPECT_EQ(WordKey(c.word, c.limit, buffer), c.key) << c.word << " limit " << c.limit;
  }
}

TEST(WordKey, HashedKeysConvertToThemselves) {
  WordKeyBuffer buffer;
  const std::string key(WordKey(std::string(40, 'x'), 25, buffer));
  WordKeyBuffer again;
  EXPECT_EQ(WordKey(key, 25, again), key);
}

TEST(WordKey, EffectiveLengthDiscountsATypePrefix) {
  const std::vector<std::pair<std::string, size_t>> cases{
      {"S*ab", 2}, {"S*abc", 3}, {"abc", 3}, {"a*", 0}, {"*abc", 4}, {"x", 1}, {"", 0}};
  for (const auto& [word, length] : cases) EXPECT_EQ(EffectiveWordLength(word), length) << word;
}

}  // namespace
}  // namespace trellisk
