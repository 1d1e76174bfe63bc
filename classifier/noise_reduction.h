// Bayesian noise reduction: a pass over a message's words in message order
// that marks as noise the low-probability words standing next to neutral
// words, and the runs of words that follow such a word. The classifier drops
// the marked words before it combines the rest (CBayesFilter::ReduceNoise).
//
// The tokens borrow the words' texts from the caller's vector, which must
// outlive the context. One context serves one message on one thread.
#pragma once

#include <string>
#include <vector>

namespace trellisk {

struct NoiseToken {
  const std::string* text;
  // The word's probability in single precision, as the pass compares it.
  float value;
  bool eliminated = false;
};

struct NoiseContext {
  explicit NoiseContext(std::vector<NoiseToken> list) : tokens(std::move(list)) {}

  std::vector<NoiseToken> tokens;
  int eliminatedCount = 0;
};

// Marks the noise tokens of the list.
void NoiseScan(NoiseContext& context);

// The texts of the unmarked tokens, in list order.
std::vector<const std::string*> KeptTokens(const NoiseContext& context);

}  // namespace trellisk
