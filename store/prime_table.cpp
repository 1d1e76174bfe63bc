#include "store/prime_table.h"

#include <array>

namespace trellisk {
namespace {

// Trial division needs divisors up to the square root of the largest
// candidate (about 15 million), so the primes below 4000 suffice.
constexpr uint32_t kDivisorLimit = 4000;

constexpr bool IsPrimeBySmallDivisors(uint32_t n) {
  if (n < 2) return false;
  for (uint32_t d = 2; d * d <= n; d += (d == 2 ? 1 : 2)) {
    if (n % d == 0) return false;
  }
  return true;
}

constexpr size_t CountSmallPrimes() {
  size_t count = 0;
  for (uint32_t n = 2; n < kDivisorLimit; ++n) count += IsPrimeBySmallDivisors(n) ? 1 : 0;
  return count;
}

constexpr auto MakeSmallPrimes() {
  std::array<uint32_t, CountSmallPrimes()> primes{};
  size_t next = 0;
  for (uint32_t n = 2; n < kDivisorLimit; ++n) {
    if (IsPrimeBySmallDivisors(n)) primes[next++] = n;
  }
  return primes;
}

constexpr auto kSmallPrimes = MakeSmallPrimes();

constexpr bool IsPrime(uint32_t n) {
  if (n < 2) return false;
  for (uint32_t p : kSmallPrimes) {
    if (p * p > n) return true;
    if (n % p == 0) return n == p;
  }
  return true;
}

constexpr uint32_t SmallestPrimeNotBelow(uint32_t n) {
  while (!IsPrime(n)) ++n;
  return n;
}

// The k-th round number the table is built from.
constexpr uint32_t RoundNumber(size_t k) {
  if (k < 9) return static_cast<uint32_t>(100 * (k + 1));
  if (k < 18) return static_cast<uint32_t>(1000 * (k - 8));
  if (k < 27) return static_cast<uint32_t>(10000 * (k - 17));
  return static_cast<uint32_t>(100000 + 10000 * (k - 27));
}

constexpr std::array<uint32_t, kSizePrimeCount> MakeSizePrimes() {
  std::array<uint32_t, kSizePrimeCount> primes{};
  for (size_t k = 0; k < kSizePrimeCount; ++k) primes[k] = SmallestPrimeNotBelow(RoundNumber(k));
  return primes;
}

constexpr std::array<uint32_t, kSizePrimeCount> kSizePrimes = MakeSizePrimes();

static_assert(RoundNumber(kSizePrimeCount - 1) == 14990000, "the round numbers end at 14990000");
static_assert(kSizePrimes[0] == 101 && kSizePrimes[9] == 1009 && kSizePrimes[11] == 3001);
static_assert(kSizePrimes[27] == 100003, "entry 27 is the word database's initial size");
static_assert(kSizePrimes[kSizePrimeCount - 1] == 14990011, "the last entry");

}  // namespace

std::span<const uint32_t, kSizePrimeCount> SizePrimes() { return kSizePrimes; }

}  // namespace trellisk
