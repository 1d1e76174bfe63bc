// The size table of CountedStringTable: 1517 ascending primes, the smallest
// prime not below each of the round numbers 100, 200, ..., 900; 1000, ...,
// 9000; 10000, ..., 90000; 100000, 110000, ..., 14990000. Slot arrays only
// ever take sizes from this table (or, past its end, the round number asked
// for), so a table reloaded with a stored slot count gets that same size.
//
// The table is computed at compile time and immutable; thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace trellisk {

inline constexpr size_t kSizePrimeCount = 1517;

// The whole table, ascending.
std::span<const uint32_t, kSizePrimeCount> SizePrimes();

}  // namespace trellisk
