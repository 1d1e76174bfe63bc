// The entries of a counted string table as a sorted list, so that two
// tables can be compared whatever their slot order. For the fuzz targets'
// round-trip properties. Pure function; thread-safe as far as the table's
// readers are.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "store/counted_string_table.h"

namespace trellisk::fuzz {

using TableEntry = std::tuple<std::string, uint32_t, uint32_t>;  // key, first, second

// Every entry of the table, sorted; entries whose counters are both 0 are
// left out when `keepEmpty` is false.
inline std::vector<TableEntry> TableEntries(const CountedStringTable& table, bool keepEmpty = true) {
  std::vector<TableEntry> entries;
  std::string key;
  uint32_t first = 0, second = 0;
  for (uint32_t slot = 0; slot < table.slotCount(); ++slot) {
    if (!table.GetAt(slot, key, first, second)) continue;
    if (keepEmpty || first != 0 || second != 0) entries.emplace_back(key, first, second);
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

}  // namespace trellisk::fuzz
