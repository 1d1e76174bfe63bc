// A synthetic vocabulary for the store benchmarks: distinct lowercase words
// of 3 to 14 letters, some with the "S*", "F*" or "H*" prefix of header
// words, drawn from a fixed seed so every run measures the same data.
//
// Thread-safe; LearnSyntheticWords changes only the database it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace trellisk {
class CBayesDatabase;
}

namespace trellisk::bench {

// `count` distinct words.
std::vector<std::string> SyntheticWords(size_t count, uint32_t seed);

// `count` words none of which SyntheticWords(…, seed) gives (they contain a
// digit).
std::vector<std::string> AbsentWords(size_t count, uint32_t seed);

// Learns every word of `words` with small random spam and ham counts (never
// both 0) and sets message totals to match a database of that size.
void LearnSyntheticWords(CBayesDatabase& database, const std::vector<std::string>& words, uint32_t seed);

}  // namespace trellisk::bench
