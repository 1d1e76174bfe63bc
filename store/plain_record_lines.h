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
// Pure functions; thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace trellisk {

const char* PlainKeyLine(const char* at, const char* end, size_t lineBuffer, std::string_view& key);
const char* PlainNumberLine(const char* at, const char* end, size_t lineBuffer, uint32_t& number);

}  // namespace trellisk
