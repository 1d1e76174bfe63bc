#include "host/evaluation.h"

#include <algorithm>

namespace trellisk::host {

void Evaluation::Add(int score, bool isSpam) {
  const int bucket = std::clamp(score, 0, kMaxScore);
  ++(isSpam ? spam_ : ham_)[static_cast<size_t>(bucket)];
}

size_t Evaluation::Count(const Histogram& histogram, int low, int high) {
  size_t count = 0;
  for (int score = std::max(low, 0); score < std::min(high, kMaxScore + 1); ++score) {
    count += histogram[static_cast<size_t>(score)];
  }
  return count;
}

double Evaluation::RocArea() const {
  const double spam = static_cast<double>(spamCount());
  const double ham = static_cast<double>(hamCount());
  if (spam == 0 || ham == 0) return 0.5;
  double pairs = 0;
  double hamBelow = 0;
  for (size_t score = 0; score <= kMaxScore; ++score) {
    pairs += static_cast<double>(spam_[score]) * (hamBelow + 0.5 * static_cast<double>(ham_[score]));
    hamBelow += static_cast<double>(ham_[score]);
  }
  return pairs / (spam * ham);
}

Evaluation::OperatingPoint Evaluation::AtFalsePositiveRate(double rate) const {
  const auto allowed = static_cast<size_t>(rate * static_cast<double>(hamCount()));
  int threshold = 0;
  while (threshold <= kMaxScore && FalsePositives(threshold) > allowed) ++threshold;
  return OperatingPoint{threshold, FalseNegatives(threshold)};
}

}  // namespace trellisk::host
