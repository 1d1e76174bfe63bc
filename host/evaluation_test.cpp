#include "host/evaluation.h"

#include <gtest/gtest.h>

namespace trellisk::host {
namespace {

TEST(Evaluation, CountsErrorsAroundTheThreshold) {
  Evaluation evaluation;
  for (int score : {0, 3, 50, 89, 90}) evaluation.Add(score, false);
  for (int score : {100, 95, 90, 89, 10}) evaluation.Add(score, true);
  EXPECT_EQ(evaluation.hamCount(), 5u);
  EXPECT_EQ(evaluation.spamCount(), 5u);
  EXPECT_EQ(evaluation.FalsePositives(90), 1u);
  EXPECT_EQ(evaluation.FalseNegatives(90), 2u);
  EXPECT_EQ(evaluation.HamBetween(80, 100), 2u);
  EXPECT_EQ(evaluation.SpamBetween(80, 100), 3u);
}

TEST(Evaluation, RocAreaCountsTiesHalf) {
  Evaluation perfect;
  perfect.Add(10, false);
  perfect.Add(90, true);
  EXPECT_DOUBLE_EQ(perfect.RocArea(), 1.0);

  Evaluation inverted;
  inverted.Add(90, false);
  inverted.Add(10, true);
  EXPECT_DOUBLE_EQ(inverted.RocArea(), 0.0);

  Evaluation tied;
  tied.Add(50, false);
  tied.Add(50, true);
  EXPECT_DOUBLE_EQ(tied.RocArea(), 0.5);

  Evaluation mixed;  // spam 80 beats ham 20 and 60; spam 40 beats ham 20, loses to 60
  mixed.Add(20, false);
  mixed.Add(60, false);
  mixed.Add(80, true);
  mixed.Add(40, true);
  EXPECT_DOUBLE_EQ(mixed.RocArea(), 0.75);
}

TEST(Evaluation, ScoresOutsideTheRangeAreClamped) {
  Evaluation evaluation;
  evaluation.Add(-5, false);
  evaluation.Add(500, true);
  EXPECT_EQ(evaluation.HamBetween(0, 1), 1u);
  EXPECT_EQ(evaluation.SpamBetween(100, 101), 1u);
  EXPECT_DOUBLE_EQ(Evaluation().RocArea(), 0.5);
}

}  // namespace
}  // namespace trellisk::host
