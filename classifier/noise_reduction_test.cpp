#include "classifier/noise_reduction.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trellisk {
namespace {

// Runs the pass over words with these probabilities and returns the
// probabilities of the words it keeps. A word given as a negative value is a
// header word ("S*...") with the absolute value.
std::vector<double> Kept(const std::vector<double>& values) {
  std::vector<std::string> texts;
  texts.reserve(values.size());
  for (size_t i = 0; i < values.size(); ++i) texts.push_back((values[i] < 0 ? "S*w" : "w") + std::to_string(i));
  std::vector<NoiseToken> tokens;
  for (size_t i = 0; i < values.size(); ++i) tokens.push_back({&texts[i], static_cast<float>(std::abs(values[i]))});
  NoiseContext context(std::move(tokens));
  NoiseScan(context);
  std::vector<double> kept;
  for (const std::string* text : KeptTokens(context)) {
    const size_t index = static_cast<size_t>(text - texts.data());
    kept.push_back(values[index]);
  }
  EXPECT_EQ(static_cast<int>(values.size() - kept.size()), context.eliminatedCount);
  return kept;
}

using Values = std::vector<double>;

TEST(NoiseScan, LowWordAfterANeutralWordIsNoise) { EXPECT_EQ(Kept({0.5, 0.2, 0.9}), (Values{0.5, 0.9})); }

TEST(NoiseScan, LowWordBeforeANeutralWordIsNoise) { EXPECT_EQ(Kept({0.9, 0.2, 0.45, 0.9}), (Values{0.9, 0.45, 0.9})); }

TEST(NoiseScan, ARunStillOpenAtTheEndKeepsItsMarks) {
  EXPECT_EQ(Kept({0.9, 0.2, 0.45}), (Values{0.9}));
}

TEST(NoiseScan, NoNeutralNeighbourNoNoise) { EXPECT_EQ(Kept({0.9, 0.2, 0.9}), (Values{0.9, 0.2, 0.9})); }

TEST(NoiseScan, RunEndsAtALowWordFollowedByALowWord) {
  EXPECT_EQ(Kept({0.5, 0.2, 0.1, 0.1, 0.9}), (Values{0.5, 0.1, 0.1, 0.9}));
}

TEST(NoiseScan, ShortRunsGiveTheirWordsBack) {
  EXPECT_EQ(Kept({0.5, 0.2, 0.7, 0.7, 0.9}), (Values{0.5, 0.7, 0.7, 0.9}));
}

TEST(NoiseScan, RunsOfFourAreNoise) { EXPECT_EQ(Kept({0.5, 0.2, 0.7, 0.7, 0.7, 0.9}), (Values{0.5, 0.9})); }

TEST(NoiseScan, HeaderWordsAreNeverCandidates) { EXPECT_EQ(Kept({0.5, -0.1, 0.9}), (Values{0.5, -0.1, 0.9})); }

TEST(NoiseScan, HeaderWordsCanBePartOfARun) {
  EXPECT_EQ(Kept({0.5, 0.2, -0.7, 0.7, 0.7, 0.9}), (Values{0.5, 0.9}));
}

TEST(NoiseScan, ALowHeaderWordInsideARunRestartsIt) {
  // The header word becomes the run's start and restarts its count, so the
  // run stays short and only the words after the header word are given back.
  EXPECT_EQ(Kept({0.5, 0.2, 0.7, -0.28, 0.7, 0.9}), (Values{0.5, 0.7, 0.9}));
}

TEST(NoiseScan, TheLastWordIsItsOwnSuccessor) {
  EXPECT_EQ(Kept({0.9, 0.2}), (Values{0.9, 0.2}));
  EXPECT_EQ(Kept({0.5}), (Values{0.5}));
  EXPECT_EQ(Kept({0.2}), (Values{0.2}));
}

TEST(NoiseScan, ComparesInSinglePrecision) {
  // 0.3f lies above 0.3: not a candidate.
  EXPECT_EQ(Kept({0.5, 0.3, 0.9}), (Values{0.5, 0.3, 0.9}));
  // 0.6f lies above 0.6: not neutral; 0.4f lies above 0.4: neutral.
  EXPECT_EQ(Kept({0.6, 0.2, 0.9}), (Values{0.6, 0.2, 0.9}));
  EXPECT_EQ(Kept({0.4, 0.2, 0.9}), (Values{0.4, 0.9}));
  // 0.25f is exactly 0.25: a following word of 0.25 does not carry the run.
  EXPECT_EQ(Kept({0.5, 0.2, 0.2, 0.25, 0.9}), (Values{0.5, 0.2, 0.25, 0.9}));
}

TEST(NoiseScan, EmptyListMarksNothing) { EXPECT_EQ(Kept({}), (Values{})); }

}  // namespace
}  // namespace trellisk
