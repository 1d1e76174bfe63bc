#include "plugin/auto_learning.h"

#include <algorithm>

namespace trellisk {
namespace {

constexpr int kHamScore = 0;
constexpr int kSpamScore = 100;

}  // namespace

std::optional<bool> AutoLearningVerdict(const Settings& settings, int score) {
  const uint32_t mode = settings.AutoLearning;
  const bool spamAllowed = mode == 1 || mode == 3;
  const bool hamAllowed = mode == 2 || mode == 3;
  int spamGrade = static_cast<int>(settings.AutoLearningGradeAbove);
  const int hamGrade = static_cast<int>(settings.AutoLearningGradeBelow);
  if (settings.UsesPreciseMode()) {
    if (score <= kHamScore || score >= kSpamScore) return std::nullopt;
    spamGrade = std::max(spamGrade, kSpamScore - hamGrade);
  }
  if (spamAllowed && score > spamGrade) return true;
  if (hamAllowed && score < hamGrade) return false;
  return std::nullopt;
}

}  // namespace trellisk
