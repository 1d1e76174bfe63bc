// SearchBudget bounds the work of the sender lists' expressions on one text.
// Boost.Regex's own limit grows with the length of the pattern, so a long,
// badly written user expression can backtrack for seconds; the budget
// counts the characters the engine reads instead, for each search and for
// all searches of one check together, and a search that runs out gives up
// (it counts as no match).
//
// One budget belongs to one check on one thread.
#pragma once

#include <algorithm>
#include <cstdint>

namespace trellisk {

// Characters one search may read: far more than any sound expression reads
// in a 64 KB message, a few milliseconds of work.
inline constexpr uint64_t kExpressionSearchBudget = 4'000'000;
// Characters all searches of one check may read together.
inline constexpr uint64_t kExpressionCheckBudget = 12'000'000;

class SearchBudget {
 public:
  SearchBudget(uint64_t perSearch, uint64_t perCheck) : perSearch_(perSearch), left_(perCheck) {}

  // What the next search may read.
  uint64_t NextAllowance() const { return std::min(perSearch_, left_); }
  void Spend(uint64_t characters) { left_ -= std::min(characters, left_); }
  bool exhausted() const { return left_ == 0; }

 private:
  uint64_t perSearch_;
  uint64_t left_;
};

}  // namespace trellisk
