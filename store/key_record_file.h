// Record files of a CountedStringTable: three text lines per live entry, in
// slot order -- the key, the first counter, the second counter (unsigned
// decimal). The undo file and the DNS cache file are such files; what their
// counters mean and how strictly they are read is theirs.
//
// Free function; the caller owns the file and the table and guards them.
#pragma once

#include <cstddef>

#include "platform/file_system.h"
#include "platform/line_reader.h"
#include "store/counted_string_table.h"
#include "store/file_damage.h"

namespace trellisk {

// Writes every entry whose key reads back as one line with a reader buffer
// of `lineBuffer` bytes (text_line_end.h); longer keys, which only a damaged
// file can give, are left out. False when a write failed. `everyEntryAsIs`,
// when given, learns whether a reader gets every entry back as it is in the
// table (KeyReadsBackAsIs).
bool WriteKeyRecords(platform::WritableFile& file, const CountedStringTable& table, size_t lineBuffer,
                     bool* everyEntryAsIs = nullptr);

}  // namespace trellisk
