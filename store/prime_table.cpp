#include "store/prime_table.h"

#include <array>

namespace trellisk {
namespace {

// a^e mod m; the products of two residues below 2^32 fit in 64 bits.
constexpr uint64_t PowMod(uint64_t a, uint32_t e, uint32_t m) {
  uint64_t result = 1;
  for (a %= m; e != 0; e >>= 1, a = a * a % m) {
    if (e & 1) result = result * a % m;
  }
  return result;
}

// Miller-Rabin with the bases 2, 7 and 61, which is exact for every number
// below 4759123141 (Jaeschke); cheap enough for the compiler to run on every
// candidate, which trial division is not under instrumented builds.
constexpr bool IsPrime(uint32_t n) {
  for (const uint32_t p : {2u, 3u, 5u, 7u, 11u, 13u, 17u, 19u, 23u, 29u, 31u, 37u, 41u, 43u, 47u, 53u, 59u, 61u}) {
    if (n % p == 0) return n == p;
  }
  if (n < 2) return false;
  uint32_t odd = n - 1;
  int twos = 0;
  for (; odd % 2 == 0; odd /= 2) ++twos;
  for (const uint32_t base : {2u, 7u, 61u}) {
    uint64_t x = PowMod(base, odd, n);
    bool passes = x == 1 || x == n - 1;
    for (int r = 1; r < twos && !passes; ++r) {
      x = x * x % n;
      passes = x == n - 1;
    }
    if (!passes) return false;
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
static_assert(!IsPrime(1) && IsPrime(2) && IsPrime(61) && !IsPrime(3215031751u), "a strong pseudoprime to 2, 3, 5, 7");
static_assert(kSizePrimes[0] == 101 && kSizePrimes[9] == 1009 && kSizePrimes[11] == 3001);
static_assert(kSizePrimes[27] == 100003, "entry 27 is the word database's initial size");
static_assert(kSizePrimes[kSizePrimeCount - 1] == 14990011, "the last entry");

}  // namespace

std::span<const uint32_t, kSizePrimeCount> SizePrimes() { return kSizePrimes; }

}  // namespace trellisk
