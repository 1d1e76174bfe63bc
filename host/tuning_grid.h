// The settings `tune` tries on the user's mail, and how it picks one: each
// candidate is a classifier mode with its parameters, stored as the plug-in
// reads them from the registry; the recommendation is the candidate that
// lets no ham through and misses the fewest spam. Plain values; used by one
// thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/evaluation.h"
#include "host/host_environment.h"

namespace trellisk::host {

struct TuningCandidate {
  uint32_t algorithm;         // Algorithm: 1 product rule, 3 chi-square, 11 precise
  uint32_t removeNoise;       // RemoveNoise (not used by the precise mode)
  uint32_t significantWords;  // SignificantWords (not used by the precise mode)
  uint32_t hamWeight;         // HamWeight, times 100000 as stored
  uint32_t significanceCut;   // SignificanceCut, times 100000 (precise mode only)

  bool precise() const;
  // The registry values that select this candidate; `keptAlgorithmBits`
  // (the rule filter bit of the user's Algorithm) are carried over.
  std::vector<PluginSetting> Settings(uint32_t keptAlgorithmBits = 0) const;
  // "Algorithm=11 HamWeight=1.00 SignificanceCut=0.05", the values that matter.
  std::string Describe() const;
};

// Algorithm 1 and 3 with and without noise reduction, 15, 20 or 30 words
// and ham weights 1 and 1.25; the precise mode with cuts 0, 0.05 and 0.1
// and the same ham weights.
std::vector<TuningCandidate> TuningGrid();

// The index of the candidate with no false positives at `threshold` and the
// fewest spam missed, the larger ROC area breaking ties and then the grid
// order; when every candidate has false positives, the one with the fewest.
// `results` holds one evaluation per candidate and is not empty.
size_t RecommendedCandidate(const std::vector<Evaluation>& results, int threshold);

}  // namespace trellisk::host
