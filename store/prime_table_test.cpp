#include "store/prime_table.h"

#include <gtest/gtest.h>

#include <vector>

namespace trellisk {
namespace {

bool IsPrimeByTrialDivision(uint32_t n) {
  if (n < 2) return false;
  for (uint32_t d = 2; d * d <= n; ++d) {
    if (n % d == 0) return false;
  }
  return true;
}

std::vector<uint32_t> RoundNumbers() {
  std::vector<uint32_t> numbers;
  for (uint32_t step : {100u, 1000u, 10000u}) {
    for (uint32_t k = 1; k <= 9; ++k) numbers.push_back(k * step);
  }
  for (uint32_t n = 100000; n <= 14990000; n += 10000) numbers.push_back(n);
  return numbers;
}

TEST(SizePrimes, StartsWithTheKnownEntries) {
  const std::vector<uint32_t> first{101, 211, 307, 401, 503, 601, 701, 809, 907, 1009, 2003, 3001};
  const auto primes = SizePrimes();
  EXPECT_EQ(std::vector<uint32_t>(primes.begin(), primes.begin() + 12), first);
  EXPECT_EQ(primes[27], 100003u);
  EXPECT_EQ(primes.back(), 14990011u);
  EXPECT_EQ(primes.size(), 1517u);
}

TEST(SizePrimes, EveryEntryIsTheSmallestPrimeNotBelowItsRoundNumber) {
  const std::vector<uint32_t> rounds = RoundNumbers();
  const auto primes = SizePrimes();
  ASSERT_EQ(rounds.size(), primes.size());
  for (size_t k = 0; k < primes.size(); ++k) {
    uint32_t expected = rounds[k];
    while (!IsPrimeByTrialDivision(expected)) ++expected;
    ASSERT_EQ(primes[k], expected) << "entry " << k;
  }
}

}  // namespace
}  // namespace trellisk
