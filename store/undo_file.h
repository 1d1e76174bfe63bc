// The undo database file: a text file without header, three lines per
// record in slot order: the message identifier, the kind, the time (seconds
// since 1970), both unsigned decimal. Reading stops at the first record with
// a line missing, so a truncated last record is dropped. Lines are read with
// a 4096-byte buffer; a key line ends at its first 0 byte.
//
// Also the constants of the undo database's table. Free functions; the
// caller owns the file and the table and guards them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/file_system.h"
#include "store/counted_string_table.h"
#include "store/file_damage.h"

namespace trellisk {

inline constexpr uint32_t kUndoTableGrowStep = 1000;
inline constexpr uint32_t kUndoTablePoolStep = 150000;
inline constexpr uint32_t kUndoTableInitialSize = 1000;
inline constexpr size_t kUndoFileLineBuffer = 4096;
// A larger file is read only this far.
inline constexpr uint64_t kMaxUndoFileBytes = 16ull * 1024 * 1024;

struct UndoRecord {
  std::string_view key;  // trimmed of blanks; may be empty
  uint32_t kind;
  uint32_t time;
};

// Every record in slot order (key, first counter = kind, second = time),
// except those whose key is too long to read back as one line
// (text_line_end.h). False when a write failed.
bool WriteUndoRecords(platform::WritableFile& file, const CountedStringTable& table, bool* everyEntryAsIs = nullptr);

// Calls `onRecord` for each complete record; the key view lasts for the call.
// `damage` learns the first cut line, number line that is not a number, or
// record cut short (number lines are read as the C runtime reads them).
void ReadUndoRecords(platform::ReadableFile& file, const std::function<void(const UndoRecord&)>& onRecord,
                     DamageReport& damage);

}  // namespace trellisk
