#include "bench/synthetic_words.h"

#include "store/bayes_database.h"

#include <random>
#include <unordered_set>

namespace trellisk::bench {
namespace {

std::string RandomWord(std::mt19937& random, bool withDigit) {
  static constexpr const char* kPrefixes[] = {"", "", "", "", "", "", "", "S*", "F*", "H*"};
  std::uniform_int_distribution<int> length(3, 14);
  std::uniform_int_distribution<int> letter('a', 'z');
  std::uniform_int_distribution<size_t> prefix(0, std::size(kPrefixes) - 1);
  std::string word = kPrefixes[prefix(random)];
  const int letters = length(random);
  for (int i = 0; i < letters; ++i) word += static_cast<char>(letter(random));
  if (withDigit) word[word.size() / 2] = '7';
  return word;
}

std::vector<std::string> DistinctWords(size_t count, uint32_t seed, bool withDigit) {
  std::mt19937 random(seed);
  std::unordered_set<std::string> seen;
  std::vector<std::string> words;
  words.reserve(count);
  while (words.size() < count) {
    std::string word = RandomWord(random, withDigit);
    if (seen.insert(word).second) words.push_back(std::move(word));
  }
  return words;
}

}  // namespace

std::vector<std::string> SyntheticWords(size_t count, uint32_t seed) { return DistinctWords(count, seed, false); }

std::vector<std::string> AbsentWords(size_t count, uint32_t seed) { return DistinctWords(count, seed + 1, true); }

void LearnSyntheticWords(CBayesDatabase& database, const std::vector<std::string>& words, uint32_t seed) {
  std::mt19937 random(seed);
  for (const std::string& word : words) {
    const uint32_t spam = random() % 4;
    const uint32_t ham = random() % 3;
    if (spam != 0 || ham == 0) database.AddSpam(word, spam == 0 ? 1 : spam);
    if (ham != 0) database.AddHam(word, ham);
  }
  database.spamMessages = static_cast<uint32_t>(words.size() / 25);
  database.hamMessages = static_cast<uint32_t>(words.size() / 50);
}

}  // namespace trellisk::bench
