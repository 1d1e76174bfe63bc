// Record files of a CountedStringTable: three text lines per live entry, in
// slot order -- the key, the first counter, the second counter (unsigned
// decimal). The undo file and the DNS cache file are such files; what their
// counters mean and how strictly they are read is theirs.
//
// Free function; the caller owns the file and the table and guards them.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/file_system.h"
#include "platform/line_reader.h"
#include "store/counted_string_table.h"
#include "store/file_damage.h"

namespace trellisk {

// Writes every entry whose key reads back as one line with a reader buffer
// of `lineBuffer` bytes (text_line_end.h); longer keys, which only a damaged
// file can give, are left out. False when a write failed.
bool WriteKeyRecords(platform::WritableFile& file, const CountedStringTable& table, size_t lineBuffer);

// Reads the lines of a record file and notes where they leave the form:
// a cut line, a number line that is not a number, a record cut short.
class KeyRecordReader {
 public:
  KeyRecordReader(platform::ReadableFile& file, size_t lineBuffer, DamageReport& damage);

  // A key line; false at the end of the file.
  bool ReadLine(std::string_view& line);
  // A number line of the record begun; false (a record cut short) at the end.
  bool ReadNumberLine(std::string_view& line);
  bool AtEnd() const { return reader_.AtEnd(); }

 private:
  platform::LineReader reader_;
  const size_t lineBuffer_;
  DamageReport& damage_;
};

}  // namespace trellisk
