#include "host/tuning_grid.h"

#include <cstdio>
#include <tuple>

namespace trellisk::host {
namespace {

constexpr uint32_t kPreciseAlgorithm = 11;
constexpr uint32_t kPreciseBit = 8;
constexpr double kStoredScale = 100000.0;

std::string Fixed(uint32_t stored) {
  char text[16];
  std::snprintf(text, sizeof text, "%.2f", stored / kStoredScale);
  return text;
}

}  // namespace

bool TuningCandidate::precise() const { return (algorithm & kPreciseBit) != 0; }

std::vector<PluginSetting> TuningCandidate::Settings(uint32_t keptAlgorithmBits) const {
  return {{"Algorithm", algorithm | keptAlgorithmBits},
          {"RemoveNoise", removeNoise},
          {"SignificantWords", significantWords},
          {"HamWeight", hamWeight},
          {"SignificanceCut", significanceCut}};
}

std::string TuningCandidate::Describe() const {
  std::string text = "Algorithm=" + std::to_string(algorithm);
  if (!precise()) {
    text += " RemoveNoise=" + std::to_string(removeNoise) + " SignificantWords=" + std::to_string(significantWords);
  }
  text += " HamWeight=" + Fixed(hamWeight);
  if (precise()) text += " SignificanceCut=" + Fixed(significanceCut);
  return text;
}

std::vector<TuningCandidate> TuningGrid() {
  const uint32_t hamWeights[] = {100000, 125000};
  std::vector<TuningCandidate> grid;
  for (const uint32_t algorithm : {1u, 3u}) {
    for (const uint32_t removeNoise : {1u, 0u}) {
      for (const uint32_t words : {15u, 20u, 30u}) {
        for (const uint32_t weight : hamWeights) grid.push_back({algorithm, removeNoise, words, weight, 0});
      }
    }
  }
  for (const uint32_t cut : {0u, 5000u, 10000u}) {
    for (const uint32_t weight : hamWeights) grid.push_back({kPreciseAlgorithm, 1, 20, weight, cut});
  }
  return grid;
}

size_t RecommendedCandidate(const std::vector<Evaluation>& results, int threshold) {
  // Smaller is better in every element; the ROC area is negated.
  auto rank = [threshold](const Evaluation& result) {
    return std::make_tuple(result.FalsePositives(threshold), result.FalseNegatives(threshold), -result.RocArea());
  };
  size_t best = 0;
  for (size_t i = 1; i < results.size(); ++i) {
    if (rank(results[i]) < rank(results[best])) best = i;
  }
  return best;
}

}  // namespace trellisk::host
