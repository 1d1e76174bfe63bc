#include "plugin/auto_learning.h"

#include <gtest/gtest.h>

namespace trellisk {
namespace {

constexpr std::optional<bool> kSpam = true;
constexpr std::optional<bool> kHam = false;
constexpr std::optional<bool> kNone = std::nullopt;

struct Row {
  int score;
  std::optional<bool> verdict;
};

void ExpectVerdicts(const Settings& settings, std::initializer_list<Row> rows) {
  for (const Row& row : rows) EXPECT_EQ(AutoLearningVerdict(settings, row.score), row.verdict) << row.score;
}

TEST(AutoLearning, DefaultModeLearnsEveryScoreBeyondTheGrades) {
  Settings settings;
  ExpectVerdicts(settings, {{100, kSpam}, {91, kSpam}, {90, kNone}, {5, kNone}, {4, kHam}, {0, kHam}});
  settings.AutoLearning = 2;
  ExpectVerdicts(settings, {{100, kNone}, {0, kHam}});
}

TEST(AutoLearning, PreciseModeLearnsNoSaturatedScoreAndMirrorsTheHamGrade) {
  Settings settings;
  settings.Algorithm = kAlgorithmPrecise | kAlgorithmChiSquare | 1;
  ExpectVerdicts(settings, {{100, kNone}, {99, kSpam}, {96, kSpam}, {95, kNone}, {91, kNone},
                            {4, kHam}, {1, kHam}, {0, kNone}});
  // A spam grade stricter than the mirrored ham grade stays.
  settings.AutoLearningGradeAbove = 97;
  ExpectVerdicts(settings, {{98, kSpam}, {97, kNone}});
}

}  // namespace
}  // namespace trellisk
