// CBayesFilter turns the word vector of one message into a spam score from 0
// (ham) to 100 (spam) with the word database: a spam probability for every
// word, the most significant words kept, and their combination by the
// product rule P / (P + Q) or, with the chi-square bit of Algorithm, by
// Fisher's chi-square method with per-word smoothing. ReduceNoise can first
// drop words that disagree with their neighbours (see noise_reduction.h).
//
// The precise mode (bit 8 of Algorithm) combines by chi-square with
// smoothing too, but gives every learned word its probability however
// rarely it was seen, treats words never learned as no evidence, and keeps
// every word whose significance exceeds the cut instead of a fixed number.
//
// One filter serves one message on one thread and is then discarded; the
// database it reads is shared and locks itself per lookup.
#pragma once

#include <cstdint>
#include <vector>

#include "parser/word_vector.h"
#include "store/bayes_database.h"

namespace trellisk {

class Log;

// What the classifier takes from the settings (the owner fills every field).
struct ClassifierOptions {
  bool chiSquare = false;  // bit 2 of Algorithm
  // Bit 8 of Algorithm: chi-square over every word whose significance
  // exceeds significanceCut, with no minimum-evidence rule.
  bool precise = false;
  float significanceCut = 0;  // SignificanceCut
  // Single precision, as the settings hold them; widened where used.
  float hamWeight = 0;               // HamWeight
  float unknownWordStrength = 0;     // UnknownWordStrength
  float unknownWordPossibility = 0;  // UnknownWordPossibility
  bool removeNonSignificant = false;  // RemoveNonSignificant
  uint32_t significantWords = 0;      // SignificantWords
};

class CBayesFilter {
 public:
  // Fixes the probability clamps from the database's message totals now.
  CBayesFilter(const ClassifierOptions& options, Log& log, CBayesDatabase& database);

  // The message's score. Looks every word up (keeping the probabilities that
  // ReduceNoise set when `computeProbabilities` is false), drops words of no
  // significance when RemoveNonSignificant is set, orders the vector most
  // significant first, keeps the first SignificantWords and combines them.
  // The precise mode keeps every word above the cut instead, with only the
  // first SignificantWords in order.
  // 50 when no spam or no ham has been learned (the vector is then untouched).
  int CalculatePluginReturn(WordVector& vector, bool computeProbabilities);

  // Sets every entry's probability: the word's, or 0.4 for an unknown word.
  void CalculateSpamPossibility(WordVector& vector);

  // Removes the entries whose probability is 0.5 within 1e-7, keeping the
  // order of the others.
  void RemoveNonSignificant(WordVector& vector);

  // Combines the probabilities of the (already selected) entries.
  int CalculateSpaminess(const WordVector& vector);

  // Drops the words that the noise pass marks; true when it ran.
  bool ReduceNoise(WordVector& vector);

  // The spam probability of a word seen in `spam` spam and `ham` ham messages.
  double WordProbability(uint32_t spam, uint32_t ham) const;

  // Upper-tail probability of the chi-square distribution with an even
  // number `v` of degrees of freedom at `x`, at most 1. Large x takes the
  // logarithmic series, whose terms cannot underflow.
  static double ChiSquareTail(double x, int v);

  // The natural logarithm of the same tail, finite for any x and v.
  static double LogChiSquareTail(double x, int v);

  double minProbability() const { return minProbability_; }
  double maxProbability() const { return maxProbability_; }

 private:
  // The database counts of every word of the vector, in one batch.
  std::vector<CBayesDatabase::WordCounts> LookUpWords(const WordVector& vector);
  void ScoreWords(WordVector& vector, bool computeProbabilities);
  int ProductSpaminess(const WordVector& vector) const;
  int ChiSquareSpaminess(const WordVector& vector) const;
  void KeepWordsAboveCut(WordVector& vector) const;

  const ClassifierOptions options_;
  Log& log_;
  CBayesDatabase& database_;
  double minProbability_;
  double maxProbability_;
};

// True when x is to come before y: the more significant word first; among
// equally significant ones the one more frequent in its class, then the one
// seen more often in this message, then the longer one.
bool MoreSignificant(const WordEntry& x, const WordEntry& y);

}  // namespace trellisk
