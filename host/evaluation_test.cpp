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

TEST(Evaluation, SpamMissedAtAFixedRateOfFalsePositives) {
  Evaluation evaluation;
  for (int i = 0; i < 198; ++i) evaluation.Add(0, false);
  evaluation.Add(95, false);
  evaluation.Add(97, false);
  for (int score : {100, 98, 97, 60}) evaluation.Add(score, true);
  const Evaluation::OperatingPoint none = evaluation.AtFalsePositiveRate(0);
  EXPECT_EQ(none.threshold, 98);
  EXPECT_EQ(none.spamMissed, 2u) << "97 and 60";
  const Evaluation::OperatingPoint half = evaluation.AtFalsePositiveRate(0.005);
  EXPECT_EQ(half.threshold, 96) << "one ham of 200 may score above it";
  EXPECT_EQ(half.spamMissed, 1u);

  evaluation.Add(100, false);
  EXPECT_EQ(evaluation.AtFalsePositiveRate(0).spamMissed, 4u) << "a ham at 100 leaves no threshold but 101";
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
