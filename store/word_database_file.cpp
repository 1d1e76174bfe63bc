#include "store/word_database_file.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <string_view>

#include "base/ascii.h"
#include "base/number_text.h"
#include "base/text_line_end.h"
#include "store/buffered_text_writer.h"
#include "store/prime_table.h"
#include "store/record_file_reader.h"

namespace trellisk {
namespace {

// A hint beyond the size table can only come from a damaged first line (no
// table grows that far in practice); it must not make the reload allocate
// gigabytes of slots, nor, when that fails, leave a table that refuses every
// entry.
void SetUpForSizeHint(CountedStringTable& table, uint32_t sizeHint) {
  const uint32_t request = std::min(sizeHint, SizePrimes().back());
  if (!table.Init(request)) table.Init(kWordTableInitialSize);
}

// A count line; a line that cannot be read counts as 0.
uint32_t ReadCount(RecordFileReader& reader) {
  std::string_view line;
  return reader.ReadNumberLine(line) ? ParseUnsignedDecimal(line) : 0;
}

// The plain form of a record, which nearly every record of a file has: a
// key line without a 0 byte, two count lines of digits alone (a CR before
// the LF allowed), every line whole within the line buffer, the counts not
// both 0. Such a record reads in place exactly as line by line, with no
// damage to note; the parsers below return the position after the line,
// or null when it is not plain or not whole in [at, end).
bool IsBlankByte(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

const char* LineLimit(const char* at, const char* end) {
  return at + std::min<size_t>(static_cast<size_t>(end - at), kWordFileLineBuffer - 1);
}

// Where the first LF or 0 byte is among the eight bytes of `word` (in
// memory order): 0 to 7, or 8 when there is none. A byte b is found where
// (b - 1) & ~b has its top bit set, which a borrow can fake only above a
// byte truly found, so the lowest mark is exact.
unsigned FirstLineFeedOrZero(uint64_t word) {
  static_assert(std::endian::native == std::endian::little);
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kTops = 0x8080808080808080u;
  const uint64_t lineFeeds = word ^ (kOnes * '\n');
  const uint64_t marks = (((lineFeeds - kOnes) & ~lineFeeds) | ((word - kOnes) & ~word)) & kTops;
  return static_cast<unsigned>(std::countr_zero(marks)) / 8;
}

// The first LF or 0 byte in [at, limit), or limit; eight bytes a step.
const char* FindLineFeedOrZero(const char* at, const char* limit) {
  const char* p = at;
  for (; limit - p >= 8; p += 8) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    if (const unsigned found = FirstLineFeedOrZero(word); found < 8) return p + found;
  }
  while (p < limit && *p != '\n' && *p != '\0') ++p;
  return p;
}

const char* PlainKeyLine(const char* at, const char* end, std::string_view& key) {
  const char* const limit = LineLimit(at, end);
  const char* const p = FindLineFeedOrZero(at, limit);
  if (p == limit || *p != '\n') return nullptr;
  key = std::string_view(at, static_cast<size_t>(p - at));
  if (!key.empty() && (IsBlankByte(key.front()) || IsBlankByte(key.back()))) key = Trim(key);
  return key.empty() ? nullptr : p + 1;
}

// The count as ParseUnsignedDecimal reads it (wrapping modulo 2^32).
const char* PlainCountLine(const char* at, const char* end, uint32_t& count) {
  const char* const limit = LineLimit(at, end);
  const char* p = at;
  uint32_t value = 0;
  for (; p < limit && *p >= '0' && *p <= '9'; ++p) value = value * 10u + static_cast<uint32_t>(*p - '0');
  if (p == at) return nullptr;
  if (p < limit && *p == '\r') ++p;
  if (p == limit || *p != '\n') return nullptr;
  count = value;
  return p + 1;
}

// Adds the plain records at the front of the reader's buffer and passes
// over them; stops before the first record that is not plain or not whole
// in the buffer, which ReadEntry then reads.
void AddPlainRecords(RecordFileReader& reader, CountedStringTable& table) {
  const std::string_view buffered = reader.Buffered();
  const char* const begin = buffered.data();
  const char* const end = begin + buffered.size();
  const char* at = begin;
  uint64_t lines = 0;
  for (;;) {
    std::string_view key;
    uint32_t spam = 0;
    uint32_t ham = 0;
    const char* next = PlainKeyLine(at, end, key);
    if (next) next = PlainCountLine(next, end, spam);
    if (next) next = PlainCountLine(next, end, ham);
    if (!next || (spam == 0 && ham == 0)) break;
    table.Add(key, spam, ham);
    at = next;
    lines += 3;
  }
  reader.Skip(static_cast<size_t>(at - begin), lines);
}

// Reads one record line by line; false when it ends the entries.
bool ReadEntry(RecordFileReader& reader, CountedStringTable& table, std::string& key) {
  std::string_view line;
  const bool read = reader.ReadLine(line);
  key.assign(read ? Trim(TextBeforeZeroByte(line)) : std::string_view());
  if (read && reader.AtEnd()) reader.NoteAt(reader.lineNumber(), kTextDamageRecordCutShort);
  if (reader.AtEnd()) return false;
  if (key.empty()) {
    const uint64_t blankLine = reader.lineNumber();
    if (!reader.RestIsBlank()) reader.NoteAt(blankLine, kTextDamageBlankWord);
    return false;
  }
  const uint64_t keyLine = reader.lineNumber();
  const uint32_t spam = ReadCount(reader);
  const uint32_t ham = ReadCount(reader);
  if (spam == 0 && ham == 0) {
    reader.NoteAt(keyLine, kTextDamageZeroCounts);
    return false;
  }
  table.Add(key, spam, ham);
  return true;
}

void ReadEntries(RecordFileReader& reader, CountedStringTable& table) {
  std::string key;
  while (!reader.AtEnd()) {
    AddPlainRecords(reader, table);
    if (!ReadEntry(reader, table, key)) return;
  }
}

}  // namespace

bool WriteWordDatabase(platform::WritableFile& file, const WordDatabaseHeader& header,
                       const CountedStringTable& table) {
  BufferedTextWriter out(file);
  for (const uint32_t value : {header.sizeHint, header.spamMessages, header.hamMessages}) {
    out.WriteNumber(value);
    out.EndLine();
  }
  std::string key;
  uint32_t spam = 0;
  uint32_t ham = 0;
  for (uint32_t slot = 0; slot < table.slotCount(); ++slot) {
    if (!table.GetAt(slot, key, spam, ham) || (spam == 0 && ham == 0)) continue;
    if (!ReadsBackAsOneLine(key, kWordFileLineBuffer)) continue;
    out.Write(key);
    out.EndLine();
    out.WriteNumber(spam);
    out.EndLine();
    out.WriteNumber(ham);
    out.EndLine();
  }
  return out.Finish();
}

WordDatabaseHeader ReadWordDatabase(platform::ReadableFile& file, CountedStringTable& table, DamageReport& damage) {
  RecordFileReader reader(file, kWordFileLineBuffer, damage);
  WordDatabaseHeader header;
  std::string_view line;
  if (!reader.ReadLine(line)) return header;
  header.sizeHint = ParseUnsignedDecimal(line);
  SetUpForSizeHint(table, header.sizeHint);
  header.spamMessages = ReadCount(reader);
  header.hamMessages = ReadCount(reader);
  ReadEntries(reader, table);
  return header;
}

}  // namespace trellisk
