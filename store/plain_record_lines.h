// Plain record lines: the form nearly every line of a store's record file
// has, which the record readers parse in place from the reader's buffer
// (RecordFileReader::Buffered) instead of line by line. A plain line is
// whole within [at, end) and within the format's line buffer (lineBuffer - 1
// bytes with its LF), so it reads back exactly as line by line would and
// leaves no damage to note:
//
// - a key line: no 0 byte, not blank; the key is the line trimmed of blanks;
// - a number line: digits alone (a CR before the LF allowed), read as
//   ParseUnsignedDecimal reads them, modulo 2^32.
//
// Each parser returns the position after the line's LF, or null when the
// line is not plain; the reader then reads that record line by line.
// TakePlainRecords walks the plain records of a key and two numbers at the
// front of a reader's buffer. The parsers are pure functions; thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "store/record_file_reader.h"

namespace trellisk {

const char* PlainKeyLine(const char* at, const char* end, size_t lineBuffer, std::string_view& key);
const char* PlainNumberLine(const char* at, const char* end, size_t lineBuffer, uint32_t& number);

// A record of three plain lines: a key and two numbers.
struct PlainRecord {
  std::string_view key;
  uint32_t first = 0;
  uint32_t second = 0;
};

// Hands each plain record at the front of the reader's buffer to `take`,
// which returns false to stop before that record, and passes the reader
// over the records taken. The rest is for the reader's line-by-line path.
template <typename Take>
void TakePlainRecords(RecordFileReader& reader, size_t lineBuffer, Take&& take) {
  const std::string_view buffered = reader.Buffered();
  const char* const begin = buffered.data();
  const char* const end = begin + buffered.size();
  const char* at = begin;
  uint64_t lines = 0;
  for (;;) {
    PlainRecord record;
    const char* next = PlainKeyLine(at, end, lineBuffer, record.key);
    if (next) next = PlainNumberLine(next, end, lineBuffer, record.first);
    if (next) next = PlainNumberLine(next, end, lineBuffer, record.second);
    if (!next || !take(record)) break;
    at = next;
    lines += 3;
  }
  reader.Skip(static_cast<size_t>(at - begin), lines);
}

}  // namespace trellisk
