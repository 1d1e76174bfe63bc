// Evaluation collects the scores of test messages whose class is known and
// reports how well they are separated: false positives (ham at or above the
// threshold), false negatives (spam below it), the messages in an unsure
// band around the threshold, the spam a threshold set for a given rate of
// false positives misses, and the area under the ROC curve of the scores.
// Used by one thread.
#pragma once

#include <array>
#include <cstddef>

namespace trellisk::host {

class Evaluation {
 public:
  static constexpr int kMaxScore = 100;

  void Add(int score, bool isSpam);

  size_t spamCount() const { return Count(spam_, 0, kMaxScore + 1); }
  size_t hamCount() const { return Count(ham_, 0, kMaxScore + 1); }
  // Ham scored at or above the threshold.
  size_t FalsePositives(int threshold) const { return Count(ham_, threshold, kMaxScore + 1); }
  // Spam scored below the threshold.
  size_t FalseNegatives(int threshold) const { return Count(spam_, 0, threshold); }
  // Messages of one class scored in [low, high).
  size_t SpamBetween(int low, int high) const { return Count(spam_, low, high); }
  size_t HamBetween(int low, int high) const { return Count(ham_, low, high); }
  // The probability that a random spam scores above a random ham, ties
  // counting half; 0.5 when either class is missing.
  double RocArea() const;

  // The lowest threshold at which at most `rate` (0.005 for 0.5%) of the
  // ham score at or above it, and the spam that threshold misses.
  struct OperatingPoint {
    int threshold;
    size_t spamMissed;
  };
  OperatingPoint AtFalsePositiveRate(double rate) const;

 private:
  using Histogram = std::array<size_t, kMaxScore + 1>;
  static size_t Count(const Histogram& histogram, int low, int high);

  Histogram spam_{};
  Histogram ham_{};
};

}  // namespace trellisk::host
