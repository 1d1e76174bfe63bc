#include "classifier/bayes_filter.h"

#include <algorithm>
#include <cmath>

#include "base/exception_report.h"
#include "classifier/noise_reduction.h"
#include "store/bayes_database.h"

namespace trellisk {
namespace {

constexpr double kUnknownWordProbability = 0.4;
constexpr double kNeutralProbability = 0.5;
// Below this many weighted occurrences a word says nothing.
constexpr double kMinimumEvidence = 5;
constexpr double kTieMargin = 1e-7;
constexpr int kNeutralScore = 50;
// The chi-square products are renormalised below this, so that they never
// underflow however many words there are.
constexpr double kRenormaliseBelow = 1e-200;
// The chi-square tail's series is rescaled above this sum, and ends once its
// terms fall below this share of the sum.
constexpr double kRescaleAbove = 1e200;
constexpr double kNegligibleTerm = 1e-18;
constexpr double kLargestExponent = 700;

// The clamp distance from 0 and 1 shrinks tenfold with every tenfold growth
// of the learned messages: 0.01 below 100 messages, down to 0.00001 from
// 10000 on.
double ClampMargin(uint32_t messages) {
  if (messages < 100) return 0.01;
  if (messages < 1000) return 0.001;
  if (messages < 10000) return 0.0001;
  return 0.00001;
}

int RoundedPercent(double indicator) { return static_cast<int>(std::floor(indicator * 100 + 0.5)); }

// Multiplies into `product`, moving its binary exponent into `exponent`
// whenever it grows too small.
void MultiplyRenormalised(double& product, int& exponent, double factor) {
  product *= factor;
  if (product < kRenormaliseBelow) {
    int shift = 0;
    product = std::frexp(product, &shift);
    exponent += shift;
  }
}

// Keeps the first `kept` entries of the vector in significance order, the
// first `ordered` of them (at most `kept`) most significant first. Words
// that tie on every key keep their message order, so the same message
// always keeps the same words; only the ordered entries are sorted, and
// entries are moved once.
void KeepMostSignificant(WordVector& vector, size_t ordered, size_t kept) {
  std::vector<uint32_t> order(vector.size());
  for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  auto before = [&vector](uint32_t a, uint32_t b) {
    if (MoreSignificant(vector[a], vector[b])) return true;
    return !MoreSignificant(vector[b], vector[a]) && a < b;
  };
  kept = std::min(kept, order.size());
  ordered = std::min(ordered, kept);
  if (kept < order.size()) {
    std::nth_element(order.begin(), order.begin() + static_cast<long>(kept), order.end(), before);
  }
  std::partial_sort(order.begin(), order.begin() + static_cast<long>(ordered),
                    order.begin() + static_cast<long>(kept), before);
  WordVector selected;
  selected.reserve(kept);
  for (size_t i = 0; i < kept; ++i) selected.push_back(std::move(vector[order[i]]));
  vector = std::move(selected);
}

}  // namespace

bool MoreSignificant(const WordEntry& x, const WordEntry& y) {
  if (std::fabs(x.significance - y.significance) >= kTieMargin) return x.significance > y.significance;
  if (std::fabs(x.frequency - y.frequency) >= kTieMargin) return x.frequency > y.frequency;
  if (x.count != y.count) return x.count > y.count;
  return x.word.size() > y.word.size();
}

CBayesFilter::CBayesFilter(const ClassifierOptions& options, Log& log, CBayesDatabase& database)
    : options_(options),
      log_(log),
      database_(database),
      minProbability_(ClampMargin(database.hamMessages)),
      maxProbability_(1.0 - ClampMargin(database.spamMessages)) {}

double CBayesFilter::WordProbability(uint32_t spam, uint32_t ham) const {
  const double weightedHam = static_cast<double>(options_.hamWeight) * ham;
  double p = kNeutralProbability;
  const double evidenceNeeded = options_.precise ? 0 : kMinimumEvidence;
  if (spam + weightedHam > evidenceNeeded) {
    const double spamShare = spam / static_cast<double>(std::max<uint32_t>(database_.spamMessages, 1));
    const double hamShare = weightedHam / std::max<uint32_t>(database_.hamMessages, 1);
    p = std::min(spamShare / (spamShare + hamShare), 1.0);
    if (p < minProbability_) {
      p = minProbability_;
    } else if (p > maxProbability_) {
      p = maxProbability_;
    }
  }
  if (options_.chiSquare || options_.precise) {
    const double strength = options_.unknownWordStrength;
    const double unknownProbability = options_.unknownWordPossibility;
    const double n = static_cast<double>(spam) + ham;
    p = (strength * unknownProbability + n * p) / (strength + n);
  }
  return p;
}

std::vector<CBayesDatabase::WordCounts> CBayesFilter::LookUpWords(const WordVector& vector) {
  std::vector<std::string_view> words;
  words.reserve(vector.size());
  for (const WordEntry& entry : vector) words.push_back(entry.word);
  std::vector<CBayesDatabase::WordCounts> counts(vector.size());
  database_.FindMany(words, counts);
  return counts;
}

void CBayesFilter::CalculateSpamPossibility(WordVector& vector) {
  GuardedCall(log_, "CBayesFilter::CalculateSpamPossibility", [&] {
    const std::vector<CBayesDatabase::WordCounts> counts = LookUpWords(vector);
    for (size_t i = 0; i < vector.size(); ++i) {
      vector[i].probability =
          counts[i].found ? WordProbability(counts[i].first, counts[i].second) : kUnknownWordProbability;
    }
  });
}

void CBayesFilter::RemoveNonSignificant(WordVector& vector) {
  GuardedCall(log_, "CBayesFilter::RemoveNonSignificant", [&] {
    std::erase_if(vector, [](const WordEntry& entry) {
      return entry.significance > -kTieMargin && entry.significance < kTieMargin;
    });
  });
}

void CBayesFilter::ScoreWords(WordVector& vector, bool computeProbabilities) {
  const uint32_t spamMessages = database_.spamMessages;
  const uint32_t hamMessages = database_.hamMessages;
  const std::vector<CBayesDatabase::WordCounts> counts = LookUpWords(vector);
  for (size_t i = 0; i < vector.size(); ++i) {
    WordEntry& entry = vector[i];
    const uint32_t spam = counts[i].first;
    const uint32_t ham = counts[i].second;
    if (counts[i].found) {
      if (computeProbabilities) entry.probability = WordProbability(spam, ham);
    } else {
      entry.probability = kUnknownWordProbability;
    }
    // In the precise mode a word never learned is no evidence either way.
    const bool evidence = counts[i].found || !options_.precise;
    entry.significance = evidence ? std::fabs(kNeutralProbability - entry.probability) : 0;
    entry.frequency = entry.probability < kNeutralProbability ? static_cast<double>(ham) / hamMessages
                                                              : static_cast<double>(spam) / spamMessages;
  }
}

int CBayesFilter::CalculatePluginReturn(WordVector& vector, bool computeProbabilities) {
  if (database_.spamMessages == 0 || database_.hamMessages == 0) return kNeutralScore;
  GuardedCall(log_, "CBayesFilter::CalculatePluginReturn", [&] {
    ScoreWords(vector, computeProbabilities);
    if (options_.precise) {
      KeepWordsAboveCut(vector);
      return;
    }
    if (options_.removeNonSignificant) RemoveNonSignificant(vector);
    KeepMostSignificant(vector, options_.significantWords, options_.significantWords);
  });
  return CalculateSpaminess(vector);
}

int CBayesFilter::CalculateSpaminess(const WordVector& vector) {
  return GuardedCall(log_, "CBayesFilter::CalculateSpaminess", kNeutralScore, [&] {
    return options_.chiSquare || options_.precise ? ChiSquareSpaminess(vector) : ProductSpaminess(vector);
  });
}

int CBayesFilter::ProductSpaminess(const WordVector& vector) const {
  double spamProduct = 1.0;
  double hamProduct = 1.0;
  for (const WordEntry& entry : vector) {
    spamProduct *= entry.probability;
    hamProduct *= 1.0 - entry.probability;
  }
  if (spamProduct > 0 || hamProduct > 0) return RoundedPercent(spamProduct / (spamProduct + hamProduct));
  return kNeutralScore;
}

int CBayesFilter::ChiSquareSpaminess(const WordVector& vector) const {
  double spamProduct = 1.0;
  double hamProduct = 1.0;
  int spamExponent = 0;
  int hamExponent = 0;
  for (const WordEntry& entry : vector) {
    MultiplyRenormalised(hamProduct, hamExponent, 1.0 - entry.probability);
    MultiplyRenormalised(spamProduct, spamExponent, entry.probability);
  }
  if (vector.empty()) return kNeutralScore;
  const double logSpam = std::log(spamProduct) + spamExponent * std::log(2.0);
  const double logHam = std::log(hamProduct) + hamExponent * std::log(2.0);
  const int freedom = 2 * static_cast<int>(vector.size());
  const double spamIndicator = ChiSquareTail(-2.0 * logSpam, freedom);
  const double hamIndicator = ChiSquareTail(-2.0 * logHam, freedom);
  return RoundedPercent((spamIndicator - hamIndicator + 1) * 0.5);
}

double CBayesFilter::ChiSquareTail(double x, int v) {
  const double m = x / 2;
  // Beyond this e^-m underflows, and the series below with it.
  if (m > kLargestExponent) return std::exp(LogChiSquareTail(x, v));
  double term = std::exp(-m);
  double sum = term;
  for (int i = 1; i < v / 2; ++i) {
    term *= m / i;
    sum += term;
  }
  return std::min(sum, 1.0);
}

void CBayesFilter::KeepWordsAboveCut(WordVector& vector) const {
  const double cut = options_.significanceCut;
  std::erase_if(vector, [cut](const WordEntry& entry) { return entry.significance <= cut; });
  // Only the first SignificantWords are shown in the log's word table.
  KeepMostSignificant(vector, options_.significantWords, vector.size());
}

double CBayesFilter::LogChiSquareTail(double x, int v) {
  // e^-m times the sum of m^i / i! for i below v / 2, with the e^-m factored
  // out of the sum and the sum rescaled whenever it grows large.
  const double m = x / 2;
  double term = 1.0;
  double sum = 1.0;
  double logScale = 0.0;
  for (int i = 1; i < v / 2; ++i) {
    term *= m / i;
    sum += term;
    if (sum > kRescaleAbove) {
      term /= sum;
      logScale += std::log(sum);
      sum = 1.0;
    } else if (i > m && term < sum * kNegligibleTerm) {
      break;
    }
  }
  return std::min(logScale + std::log(sum) - m, 0.0);
}

bool CBayesFilter::ReduceNoise(WordVector& vector) {
  return GuardedCall(log_, "CBayesFilter::ReduceNoise", false, [&] {
    CalculateSpamPossibility(vector);
    std::vector<NoiseToken> tokens;
    tokens.reserve(vector.size());
    for (const WordEntry& entry : vector) {
      tokens.push_back(NoiseToken{&entry.word, static_cast<float>(entry.probability)});
    }
    NoiseContext context(std::move(tokens));
    NoiseScan(context);
    // An entry stays exactly when its own text is among the kept tokens; both
    // lists are in message order, so one walk pairs them up.
    const std::vector<const std::string*> kept = KeptTokens(context);
    WordVector reduced;
    reduced.reserve(kept.size());
    size_t next = 0;
    for (WordEntry& entry : vector) {
      if (next < kept.size() && kept[next] == &entry.word) {
        reduced.push_back(std::move(entry));
        ++next;
      }
    }
    vector = std::move(reduced);
    return true;
  });
}

}  // namespace trellisk
