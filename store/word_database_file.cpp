#include "store/word_database_file.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "base/ascii.h"
#include "base/number_text.h"
#include "base/text_line_end.h"
#include "store/buffered_text_writer.h"
#include "store/plain_record_lines.h"
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
    // A record with both counts 0 is left to ReadEntry, which notes the
    // damage and ends the entries there.
    TakePlainRecords(reader, kWordFileLineBuffer, [&table](const PlainRecord& record) {
      if (record.first == 0 && record.second == 0) return false;
      table.Add(record.key, record.first, record.second);
      return true;
    });
    if (!ReadEntry(reader, table, key)) return;
  }
}

}  // namespace

bool WriteWordDatabase(platform::WritableFile& file, const WordDatabaseHeader& header,
                       const CountedStringTable& table, bool* everyEntryAsIs) {
  BufferedTextWriter out(file);
  for (const uint32_t value : {header.sizeHint, header.spamMessages, header.hamMessages}) {
    out.WriteNumber(value);
    out.EndLine();
  }
  std::string key;
  uint32_t spam = 0;
  uint32_t ham = 0;
  bool asIs = true;
  for (uint32_t slot = 0; slot < table.slotCount(); ++slot) {
    if (!table.GetAt(slot, key, spam, ham)) continue;
    asIs = asIs && (spam != 0 || ham != 0) && KeyReadsBackAsIs(key, kWordFileLineBuffer);
    if ((spam == 0 && ham == 0) || !ReadsBackAsOneLine(key, kWordFileLineBuffer)) continue;
    out.Write(key);
    out.EndLine();
    out.WriteNumber(spam);
    out.EndLine();
    out.WriteNumber(ham);
    out.EndLine();
  }
  if (everyEntryAsIs) *everyEntryAsIs = asIs;
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
