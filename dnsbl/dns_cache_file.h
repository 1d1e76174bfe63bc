// The DNS blacklist cache file ("cache.dat", written as "cache.tmp" first):
// a text file without header, three lines per cached address in slot order
// of the cache's table: the address as found in the message, the number of
// zone answers that listed it, and the time of its latest listing (seconds
// since 1970), both unsigned decimal. Lines are read in pieces of at most
// 4095 bytes; reading stops at the first record with a line missing or with
// a number line that is not a decimal number, so a truncated or damaged
// tail is dropped.
//
// Also the constants of the cache's table. Free functions; the caller owns
// the file and the table and guards them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/file_system.h"
#include "store/counted_string_table.h"
#include "store/file_damage.h"

namespace trellisk {

inline constexpr const char* kDnsCacheFileName = "cache.dat";
inline constexpr uint32_t kDnsCacheGrowStep = 100;
inline constexpr uint32_t kDnsCachePoolStep = 1500;
inline constexpr uint32_t kDnsCacheInitialSize = 100;
inline constexpr size_t kDnsCacheLineBuffer = 4096;
// A larger file is read only this far.
inline constexpr uint64_t kMaxDnsCacheFileBytes = 16ull * 1024 * 1024;

struct DnsCacheRecord {
  std::string_view address;  // trimmed of blanks; may be empty
  uint32_t listings;
  uint32_t lastListed;
};

// Every entry in slot order (key, first counter = listings, second =
// lastListed), except those whose address is too long to read back as one
// line (text_line_end.h). False when a write failed.
bool WriteDnsCacheRecords(platform::WritableFile& file, const CountedStringTable& table);

// Calls `onRecord` for each complete record; the address view lasts for the
// call. `damage` learns the first cut line, number line that is not a
// number, or record cut short.
void ReadDnsCacheRecords(platform::ReadableFile& file, const std::function<void(const DnsCacheRecord&)>& onRecord,
                         DamageReport& damage);

}  // namespace trellisk
