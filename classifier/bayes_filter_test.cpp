#include "classifier/bayes_filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/log.h"
#include "base/text_source.h"
#include "platform/file_system.h"
#include "plugin/component_options.h"
#include "plugin/settings.h"
#include "store/bayes_database.h"

namespace trellisk {
namespace {

class BayesFilterTest : public ::testing::Test {
 protected:
  BayesFilterTest() {
    settings_.MinWordLength = 1;
    database_.SetOptions(WordDatabaseOptionsOf(settings_));
  }

  void Learn(const std::string& word, uint32_t spam, uint32_t ham) {
    if (spam) database_.AddSpam(word, spam);
    if (ham) database_.AddHam(word, ham);
  }
  void Totals(uint32_t spam, uint32_t ham) {
    database_.spamMessages = spam;
    database_.hamMessages = ham;
  }
  CBayesFilter Filter() { return CBayesFilter(ClassifierOptionsOf(settings_), log_, database_); }

  static WordVector Vector(const std::vector<std::string>& words) {
    WordVector vector;
    for (const std::string& word : words) vector.push_back(WordEntry{word});
    return vector;
  }
  static WordVector WithProbabilities(const std::vector<double>& probabilities) {
    WordVector vector;
    for (double p : probabilities) vector.push_back(WordEntry{"w", 1, 0, 0, p});
    return vector;
  }

  Settings settings_;
  BuiltinTexts texts_;
  Log log_{&texts_};
  CBayesDatabase database_{WordDatabaseOptionsOf(settings_), log_, platform::DefaultFileSystem()};
};

TEST_F(BayesFilterTest, ClampsFollowTheMessageTotals) {
  const struct {
    uint32_t messages;
    double margin;
  } rows[] = {{0, 0.01}, {99, 0.01}, {100, 0.001}, {999, 0.001}, {1000, 0.0001}, {9999, 0.0001}, {10000, 0.00001}};
  for (const auto& row : rows) {
    Totals(row.messages, row.messages);
    CBayesFilter filter = Filter();
    EXPECT_DOUBLE_EQ(filter.minProbability(), row.margin) << row.messages;
    EXPECT_DOUBLE_EQ(filter.maxProbability(), 1 - row.margin) << row.messages;
  }
  Totals(150, 5);
  EXPECT_DOUBLE_EQ(Filter().minProbability(), 0.01);
  EXPECT_DOUBLE_EQ(Filter().maxProbability(), 0.999);
}

TEST_F(BayesFilterTest, WordsWithLittleEvidenceAreNeutral) {
  Totals(10, 10);
  EXPECT_DOUBLE_EQ(Filter().WordProbability(3, 2), 0.5) << "3 + 2 <= 5";
  settings_.HamWeight = 2;
  EXPECT_NEAR(Filter().WordProbability(3, 2), 0.3 / (0.3 + 0.4), 1e-12) << "3 + 4 > 5";
}

TEST_F(BayesFilterTest, SpamOnlyWordsAreClamped) {
  Totals(50, 50);
  EXPECT_DOUBLE_EQ(Filter().WordProbability(10, 0), 0.99);
  Totals(150, 50);
  EXPECT_DOUBLE_EQ(Filter().WordProbability(10, 0), 0.999);
  EXPECT_DOUBLE_EQ(Filter().WordProbability(0, 10), 0.01);
}

TEST_F(BayesFilterTest, ChiSquareSmoothingPullsTowardsTheUnknownProbability) {
  Totals(10, 10);
  settings_.Algorithm = kAlgorithmChiSquare;
  const double s = settings_.UnknownWordStrength;
  const double x = settings_.UnknownWordPossibility;
  EXPECT_DOUBLE_EQ(Filter().WordProbability(2, 1), (s * x + 3 * 0.5) / (s + 3));
  const double raw = 0.5 / (0.5 + 0.1);  // spam 5 of 10, ham 1 of 10
  EXPECT_DOUBLE_EQ(Filter().WordProbability(5, 1), (s * x + 6 * raw) / (s + 6));
}

TEST_F(BayesFilterTest, UnknownWordsCountAsPointFour) {
  Totals(10, 10);
  Learn("known", 9, 0);
  WordVector vector = Vector({"known", "unknown"});
  Filter().CalculateSpamPossibility(vector);
  EXPECT_DOUBLE_EQ(vector[0].probability, 0.99);
  EXPECT_DOUBLE_EQ(vector[1].probability, 0.4);
}

TEST_F(BayesFilterTest, WithoutHamOrSpamLearnedEveryMessageScoresFifty) {
  Learn("viagra", 50, 0);
  Totals(100, 0);
  WordVector vector = Vector({"viagra"});
  EXPECT_EQ(Filter().CalculatePluginReturn(vector, true), 50);
  EXPECT_DOUBLE_EQ(vector[0].probability, 0) << "the vector is left as it was";
  Totals(0, 100);
  EXPECT_EQ(Filter().CalculatePluginReturn(vector, true), 50);
}

TEST_F(BayesFilterTest, ProductMethod) {
  EXPECT_EQ(Filter().CalculateSpaminess(WithProbabilities({0.99})), 99);
  EXPECT_EQ(Filter().CalculateSpaminess(WithProbabilities({0.99, 0.01})), 50);
  EXPECT_EQ(Filter().CalculateSpaminess(WithProbabilities({})), 50);
  EXPECT_EQ(Filter().CalculateSpaminess(WithProbabilities({0.2, 0.3})), 10);  // 0.06 / (0.06 + 0.56)
}

TEST_F(BayesFilterTest, ProductMethodGivesFiftyWhenBothProductsUnderflow) {
  std::vector<double> probabilities(200, 1e-3);
  probabilities.insert(probabilities.end(), 200, 1 - 1e-3);
  EXPECT_EQ(Filter().CalculateSpaminess(WithProbabilities(probabilities)), 50);
}

TEST_F(BayesFilterTest, ChiSquareMethod) {
  settings_.Algorithm = kAlgorithmChiSquare;
  EXPECT_EQ(Filter().CalculateSpaminess(WithProbabilities({})), 50);
  EXPECT_EQ(Filter().CalculateSpaminess(WithProbabilities({0.5, 0.5})), 50);
  // One word: H = P, S = 1 - P, so the score is P itself.
  EXPECT_EQ(Filter().CalculateSpaminess(WithProbabilities({0.9})), 90);
  EXPECT_GT(Filter().CalculateSpaminess(WithProbabilities({0.99, 0.98, 0.95, 0.4})), 95);
  EXPECT_LT(Filter().CalculateSpaminess(WithProbabilities({0.01, 0.02, 0.05, 0.6})), 5);
}

TEST_F(BayesFilterTest, ChiSquareStaysFiniteForAnyNumberOfWords) {
  settings_.Algorithm = kAlgorithmChiSquare;
  std::vector<double> probabilities(5000, 1e-5);
  EXPECT_EQ(Filter().CalculateSpaminess(WithProbabilities(probabilities)), 0);
  std::vector<double> spammy(5000, 1 - 1e-5);
  EXPECT_EQ(Filter().CalculateSpaminess(WithProbabilities(spammy)), 100);
}

TEST_F(BayesFilterTest, PreciseModeTakesRareWordsAndSmoothsThem) {
  Totals(10, 10);
  settings_.Algorithm = kAlgorithmPrecise;
  const double s = settings_.UnknownWordStrength;
  const double x = settings_.UnknownWordPossibility;
  EXPECT_DOUBLE_EQ(Filter().WordProbability(1, 0), (s * x + 0.99) / (s + 1)) << "no minimum evidence";
  EXPECT_DOUBLE_EQ(Filter().WordProbability(0, 0), x);
}

TEST_F(BayesFilterTest, PreciseModeKeepsEveryLearnedWordAboveTheCut) {
  Totals(100, 100);
  settings_.Algorithm = kAlgorithmPrecise;
  settings_.SignificanceCut = 0.1f;
  std::vector<std::string> words = {"unknown", "weak"};
  Learn("weak", 11, 10);  // 0.52 after smoothing: below the cut
  for (int i = 0; i < 30; ++i) {
    words.push_back("spam" + std::to_string(i));
    Learn(words.back(), 20, 1);
  }
  WordVector vector = Vector(words);
  EXPECT_EQ(Filter().CalculatePluginReturn(vector, true), 100);
  EXPECT_EQ(vector.size(), 30u) << "more than SignificantWords, and the unknown word is no evidence";
  for (const WordEntry& entry : vector) EXPECT_EQ(entry.word.substr(0, 4), "spam");
}

TEST_F(BayesFilterTest, PreciseModeGoesWithoutTheNoisePass) {
  settings_.Algorithm = kAlgorithmPrecise | kAlgorithmRuleFilter;
  EXPECT_TRUE(settings_.UsesPreciseMode());
  EXPECT_TRUE(settings_.RuleFilterActive());
  EXPECT_FALSE(settings_.UsesChiSquare());
  EXPECT_FALSE(settings_.ReducesNoise());
  settings_.Algorithm = kAlgorithmChiSquare | kAlgorithmRuleFilter | 1;
  EXPECT_FALSE(settings_.UsesPreciseMode());
  EXPECT_TRUE(settings_.ReducesNoise());
}

TEST(ChiSquareTail, StaysExactWhereTheDirectSeriesUnderflows) {
  // 1000 words of 0.45: e^-m underflows, yet the tail is close to 1.
  const double x = -2 * 1000 * std::log(0.45);
  EXPECT_NEAR(CBayesFilter::ChiSquareTail(x, 2000), 1.0, 1e-9);
  EXPECT_NEAR(CBayesFilter::LogChiSquareTail(10, 6), -5 + std::log(18.5), 1e-12);
  EXPECT_LT(CBayesFilter::LogChiSquareTail(4000, 200), -1000) << "finite far below the double range";
}

TEST(ChiSquareTail, MatchesTheClosedForms) {
  EXPECT_DOUBLE_EQ(CBayesFilter::ChiSquareTail(0, 2), 1.0);
  EXPECT_DOUBLE_EQ(CBayesFilter::ChiSquareTail(3, 2), std::exp(-1.5));
  EXPECT_DOUBLE_EQ(CBayesFilter::ChiSquareTail(3, 4), std::exp(-1.5) * 2.5);
  EXPECT_NEAR(CBayesFilter::ChiSquareTail(10, 6), std::exp(-5) * (1 + 5 + 12.5), 1e-15);
  EXPECT_DOUBLE_EQ(CBayesFilter::ChiSquareTail(1e-9, 40), 1.0) << "capped at 1";
}

TEST_F(BayesFilterTest, NonSignificantWordsAreDroppedBeforeSelection) {
  Totals(10, 10);
  Learn("neutral", 3, 2);  // 3 + 2 <= 5: exactly 0.5
  Learn("spammy", 9, 0);
  WordVector vector = Vector({"neutral", "spammy", "unknown"});
  EXPECT_EQ(Filter().CalculatePluginReturn(vector, true), 99);  // 0.396 / (0.396 + 0.006)
  ASSERT_EQ(vector.size(), 2u);
  EXPECT_EQ(vector[0].word, "spammy");
  EXPECT_EQ(vector[1].word, "unknown");

  settings_.RemoveNonSignificant = 0;
  WordVector kept = Vector({"neutral", "spammy"});
  Filter().CalculatePluginReturn(kept, true);
  EXPECT_EQ(kept.size(), 2u);
}

TEST_F(BayesFilterTest, KeepsTheMostSignificantWords) {
  Totals(100, 100);
  std::vector<std::string> words;
  for (int i = 0; i < 25; ++i) {
    const std::string word = "word" + std::to_string(i);
    Learn(word, 10 + static_cast<uint32_t>(i), 5);  // more spam, more significant
    words.push_back(word);
  }
  WordVector vector = Vector(words);
  Filter().CalculatePluginReturn(vector, true);
  ASSERT_EQ(vector.size(), 20u);
  for (size_t i = 0; i < vector.size(); ++i) EXPECT_EQ(vector[i].word, "word" + std::to_string(24 - i));
  for (const WordEntry& entry : vector) {
    EXPECT_DOUBLE_EQ(entry.significance, std::fabs(0.5 - entry.probability));
    uint32_t spam = 0, ham = 0;
    database_.Find(entry.word, spam, ham);
    EXPECT_DOUBLE_EQ(entry.frequency, spam / 100.0);
  }
}

TEST_F(BayesFilterTest, WordsThatTieOnEveryKeyKeepTheirMessageOrder) {
  Totals(100, 100);
  std::vector<std::string> words;
  for (int i = 10; i < 40; ++i) {
    const std::string word = "tie" + std::to_string(i);  // same length, same counts
    Learn(word, 9, 1);
    words.push_back(word);
  }
  words.insert(words.begin() + 15, "strongest");
  Learn("strongest", 50, 1);
  WordVector vector = Vector(words);
  Filter().CalculatePluginReturn(vector, true);
  ASSERT_EQ(vector.size(), 20u);
  EXPECT_EQ(vector[0].word, "strongest");
  for (size_t i = 1; i < vector.size(); ++i) EXPECT_EQ(vector[i].word, "tie" + std::to_string(9 + i));
}

TEST_F(BayesFilterTest, PresetProbabilitiesAreKeptWhenAsked) {
  Totals(10, 10);
  Learn("word", 9, 0);
  WordVector vector = Vector({"word"});
  vector[0].probability = 0.7;
  EXPECT_EQ(Filter().CalculatePluginReturn(vector, false), 70);
  EXPECT_DOUBLE_EQ(vector[0].probability, 0.7);
  EXPECT_EQ(Filter().CalculatePluginReturn(vector, true), 99);
}

TEST(MoreSignificant, OrdersBySignificanceFrequencyCountAndLength) {
  const WordEntry base{"word", 1, 0.5, 0.4, 0.9};
  WordEntry moreSignificant = base;
  moreSignificant.significance = 0.41;
  EXPECT_TRUE(MoreSignificant(moreSignificant, base));
  EXPECT_FALSE(MoreSignificant(base, moreSignificant));

  WordEntry nearlyEqual = base;
  nearlyEqual.significance = 0.4 + 5e-8;  // within the tie margin
  nearlyEqual.frequency = 0.6;
  EXPECT_TRUE(MoreSignificant(nearlyEqual, base)) << "frequency decides";

  WordEntry moreOften = base;
  moreOften.count = 2;
  EXPECT_TRUE(MoreSignificant(moreOften, base));

  WordEntry longer = base;
  longer.word = "words";
  EXPECT_TRUE(MoreSignificant(longer, base));
  EXPECT_FALSE(MoreSignificant(base, base));
}

TEST_F(BayesFilterTest, ReduceNoiseDropsNoiseAndSetsProbabilities) {
  Totals(100, 100);
  Learn("neutral", 30, 30);  // 0.5
  Learn("hammy", 2, 8);      // 0.2
  Learn("spammy", 9, 1);     // 0.9
  Learn("S*hammy", 2, 8);
  WordVector vector = Vector({"neutral", "hammy", "spammy", "S*hammy", "unknown"});
  EXPECT_TRUE(Filter().ReduceNoise(vector));
  std::vector<std::string> kept;
  for (const WordEntry& entry : vector) kept.push_back(entry.word);
  EXPECT_EQ(kept, (std::vector<std::string>{"neutral", "spammy", "S*hammy", "unknown"}));
  EXPECT_DOUBLE_EQ(vector[1].probability, 0.9);
  EXPECT_DOUBLE_EQ(vector[3].probability, 0.4);
}

TEST_F(BayesFilterTest, ReduceNoiseKeepsEqualWordsAsDistinctTokens) {
  Totals(100, 100);
  Learn("neutral", 30, 30);
  Learn("hammy", 2, 8);
  Learn("spammy", 9, 1);
  WordVector vector = Vector({"spammy", "hammy", "spammy", "neutral", "hammy", "spammy"});
  EXPECT_TRUE(Filter().ReduceNoise(vector));
  std::vector<std::string> kept;
  for (const WordEntry& entry : vector) kept.push_back(entry.word);
  EXPECT_EQ(kept, (std::vector<std::string>{"spammy", "hammy", "spammy", "neutral", "spammy"}));
}

TEST_F(BayesFilterTest, ReduceNoiseOnAnEmptyVector) {
  WordVector vector;
  EXPECT_TRUE(Filter().ReduceNoise(vector));
  EXPECT_TRUE(vector.empty());
}

}  // namespace
}  // namespace trellisk
