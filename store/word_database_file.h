// The word database file: a text file of lines.
//
//   line 1   size hint: the table's slot count, or 100000 after Compress
//   line 2   number of spam messages learned
//   line 3   number of ham messages learned
//   then three lines per entry, in slot order: key, spam count, ham count
//
// All numbers are unsigned decimal. Reading never fails as such: it stops at
// a blank key line, at a record whose counts are both 0, and at a key line
// that ends the file without a line end, and keeps what it read so far.
// Lines are read with a 2048-byte buffer (longer lines arrive in pieces);
// a key line ends at its first 0 byte.
//
// This header also holds the constants of the word database's table, which
// the size hint refers to. Free functions; the caller owns the file and the
// table and guards them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/file_system.h"
#include "store/counted_string_table.h"
#include "store/file_damage.h"

namespace trellisk {

// The word database's table: growth and pool steps, and the size of a new one.
inline constexpr uint32_t kWordTableGrowStep = 100000;
inline constexpr uint32_t kWordTablePoolStep = 1000000;
inline constexpr uint32_t kWordTableInitialSize = 100000;
// The size hint written after Compress, so that a database that shrank is
// reloaded into a small table.
inline constexpr uint32_t kCompressedSizeHint = 100000;
// fgets buffer of every line read.
inline constexpr size_t kWordFileLineBuffer = 2048;
// A larger file is read only this far.
inline constexpr uint64_t kMaxWordFileBytes = 256ull * 1024 * 1024;

struct WordDatabaseHeader {
  uint32_t sizeHint = 0;
  uint32_t spamMessages = 0;
  uint32_t hamMessages = 0;
};

// Writes the header and every entry. False when a write failed. Entries whose
// counts are both 0 are left out: a reader would take them for the end; so
// are keys too long to read back as one line (text_line_end.h).
// `everyEntryAsIs`, when given, learns whether a reader gets every entry back
// as it is in the table (KeyReadsBackAsIs, counts not both 0).
bool WriteWordDatabase(platform::WritableFile& file, const WordDatabaseHeader& header,
                       const CountedStringTable& table, bool* everyEntryAsIs = nullptr);

// Reads the file into `table`, which holds what the caller cleared it to.
// When the file has a first line, the table is set up afresh with that size
// hint first (an unusable hint falls back to the size of a new table).
// Returns the header; totals the file lacks are 0, and so is sizeHint when
// the file is empty. `damage` learns the first place where the file leaves
// the format: a cut line, a record cut short, a number line that is not a
// number, a blank word line before the end, a word counted 0 and 0.
WordDatabaseHeader ReadWordDatabase(platform::ReadableFile& file, CountedStringTable& table, DamageReport& damage);

}  // namespace trellisk
