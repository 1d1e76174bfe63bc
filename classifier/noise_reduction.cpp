#include "classifier/noise_reduction.h"

#include <cstddef>

namespace trellisk {
namespace {

// Every comparison takes the single-precision value, widened exactly,
// against the decimal constant in double precision.
bool IsNeutral(float value) {
  const double v = value;
  return v >= 0.4 && v <= 0.6;
}

bool IsHeaderWord(const NoiseToken& token) { return token.text->find('*') != std::string::npos; }

class NoisePass {
 public:
  explicit NoisePass(NoiseContext& context) : context_(context), tokens_(context.tokens) {}

  void Run() {
    for (size_t t = 0; t < tokens_.size(); ++t) {
      if (inRun_ && ContinueRun(t)) continue;
      ConsiderCandidate(t);
    }
  }

 private:
  double Value(size_t t) const { return tokens_[t].value; }
  // The following token, or the token itself when it is the last.
  size_t Next(size_t t) const { return t + 1 < tokens_.size() ? t + 1 : t; }

  void Mark(size_t t) {
    if (tokens_[t].eliminated) return;
    tokens_[t].eliminated = true;
    ++context_.eliminatedCount;
  }

  void Unmark(size_t t) {
    if (!tokens_[t].eliminated) return;
    tokens_[t].eliminated = false;
    --context_.eliminatedCount;
  }

  // True when token t extends the run; otherwise the run ends at t, a short
  // run gives back every token after its start, and t is looked at afresh.
  bool ContinueRun(size_t t) {
    if (Value(t) < 0.8 && (Value(t) > 0.25 || Value(Next(t)) > 0.25)) {
      ++runLength_;
      Mark(t);
      if (Value(t) <= 0.3) {
        runStart_ = t;
        if (IsHeaderWord(tokens_[t])) runLength_ = 1;
      }
      return true;
    }
    inRun_ = false;
    if (runLength_ > 1 && runLength_ < 4) {
      for (size_t u = runStart_ + 1; u < t; ++u) Unmark(u);
    }
    return false;
  }

  // A low-probability word next to a neutral word is noise and starts a run.
  void ConsiderCandidate(size_t t) {
    if (IsHeaderWord(tokens_[t]) || Value(t) > 0.3) return;
    const bool neutralBefore = t > 0 && IsNeutral(tokens_[t - 1].value);
    if (neutralBefore || IsNeutral(tokens_[Next(t)].value)) {
      Mark(t);
      inRun_ = true;
      runLength_ = 1;
      runStart_ = t;
    }
  }

  NoiseContext& context_;
  std::vector<NoiseToken>& tokens_;
  bool inRun_ = false;
  int runLength_ = 1;
  size_t runStart_ = 0;
};

}  // namespace

void NoiseScan(NoiseContext& context) { NoisePass(context).Run(); }

std::vector<const std::string*> KeptTokens(const NoiseContext& context) {
  std::vector<const std::string*> kept;
  kept.reserve(context.tokens.size() - static_cast<size_t>(context.eliminatedCount));
  for (const NoiseToken& token : context.tokens) {
    if (!token.eliminated) kept.push_back(token.text);
  }
  return kept;
}

}  // namespace trellisk
