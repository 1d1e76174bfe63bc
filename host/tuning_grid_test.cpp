#include "host/tuning_grid.h"

#include <gtest/gtest.h>

#include <set>
#include <variant>

namespace trellisk::host {
namespace {

Evaluation Scored(std::initializer_list<int> ham, std::initializer_list<int> spam) {
  Evaluation evaluation;
  for (int score : ham) evaluation.Add(score, false);
  for (int score : spam) evaluation.Add(score, true);
  return evaluation;
}

TEST(TuningGrid, CoversEveryModeOnceAndStoresWhatItDescribes) {
  const std::vector<TuningCandidate> grid = TuningGrid();
  std::set<std::string> described;
  std::set<uint32_t> algorithms;
  for (const TuningCandidate& candidate : grid) {
    described.insert(candidate.Describe());
    algorithms.insert(candidate.algorithm);
  }
  EXPECT_EQ(described.size(), grid.size()) << "no setting is tried twice";
  EXPECT_EQ(algorithms, (std::set<uint32_t>{1, 3, 11}));

  const TuningCandidate precise{11, 1, 20, 125000, 5000};
  EXPECT_EQ(precise.Describe(), "Algorithm=11 HamWeight=1.25 SignificanceCut=0.05");
  const std::vector<PluginSetting> settings = precise.Settings(4);
  ASSERT_EQ(settings.front().name, "Algorithm");
  EXPECT_EQ(std::get<uint32_t>(settings.front().value), 15u) << "the rule filter bit is kept";
  EXPECT_EQ(std::get<uint32_t>(settings.back().value), 5000u);
}

TEST(TuningGrid, RecommendsNoFalsePositivesThenFewestMissedThenArea) {
  const struct {
    const char* why;
    std::vector<Evaluation> results;
    size_t expected;
  } rows[] = {
      {"a false positive outweighs missed spam",
       {Scored({95, 10}, {99, 99}), Scored({10, 10}, {99, 50})}, 1},
      {"then the fewest spam missed",
       {Scored({10}, {50, 50}), Scored({10}, {99, 50}), Scored({10}, {40, 40})}, 1},
      {"then the larger ROC area",
       {Scored({80, 10}, {99, 70}), Scored({10, 10}, {99, 70})}, 1},
      {"then the grid order", {Scored({10}, {99}), Scored({10}, {99})}, 0},
      {"with false positives everywhere, the fewest",
       {Scored({95, 95}, {99}), Scored({95, 10}, {20})}, 1},
  };
  for (const auto& row : rows) EXPECT_EQ(RecommendedCandidate(row.results, 90), row.expected) << row.why;
}

}  // namespace
}  // namespace trellisk::host
