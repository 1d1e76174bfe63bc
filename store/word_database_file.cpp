#include "store/word_database_file.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "base/ascii.h"
#include "base/number_text.h"
#include "base/text_line_end.h"
#include "platform/line_reader.h"
#include "store/buffered_text_writer.h"
#include "store/file_damage.h"
#include "store/prime_table.h"

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

// Reads the file's lines and notes where they leave the format.
class WordFileReader {
 public:
  WordFileReader(platform::ReadableFile& file, DamageReport& damage) : reader_(file), damage_(damage) {}

  bool ReadLine(std::string_view& line) {
    if (!reader_.ReadLine(kWordFileLineBuffer, line)) return false;
    if (reader_.LastLineWasCut()) Note(kTextDamageLineCut);
    return true;
  }
  // A numeric line; a line that cannot be read counts as 0.
  uint32_t ReadNumberLine() {
    std::string_view line;
    if (!ReadLine(line)) {
      Note(kTextDamageRecordCutShort, 1);
      return 0;
    }
    if (!IsDecimalNumberLine(line)) Note(kTextDamageNotANumber);
    return ParseUnsignedDecimal(line);
  }
  // Whether nothing but blank lines follows.
  bool RestIsBlank() {
    std::string_view line;
    while (reader_.ReadLine(kWordFileLineBuffer, line)) {
      if (!Trim(line).empty()) return false;
    }
    return true;
  }
  bool AtEnd() const { return reader_.AtEnd(); }
  uint64_t line() const { return reader_.lineNumber(); }
  // The damage is at the line read last, or at the one after it.
  void Note(TextId what, uint64_t ahead = 0) { NoteAt(line() + ahead, what); }
  void NoteAt(uint64_t line, TextId what) { damage_.Note(line, what); }

 private:
  platform::LineReader reader_;
  DamageReport& damage_;
};

void ReadEntries(WordFileReader& reader, CountedStringTable& table) {
  std::string key;
  while (!reader.AtEnd()) {
    std::string_view line;
    const bool read = reader.ReadLine(line);
    key.assign(read ? Trim(TextBeforeZeroByte(line)) : std::string_view());
    if (read && reader.AtEnd()) reader.Note(kTextDamageRecordCutShort);
    if (reader.AtEnd()) return;
    if (key.empty()) {
      const uint64_t blankLine = reader.line();
      if (!reader.RestIsBlank()) reader.NoteAt(blankLine, kTextDamageBlankWord);
      return;
    }
    const uint64_t keyLine = reader.line();
    const uint32_t spam = reader.ReadNumberLine();
    const uint32_t ham = reader.ReadNumberLine();
    if (spam == 0 && ham == 0) {
      reader.NoteAt(keyLine, kTextDamageZeroCounts);
      return;
    }
    table.Add(key, spam, ham);
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
  WordFileReader reader(file, damage);
  WordDatabaseHeader header;
  std::string_view line;
  if (!reader.ReadLine(line)) return header;
  header.sizeHint = ParseUnsignedDecimal(line);
  SetUpForSizeHint(table, header.sizeHint);
  header.spamMessages = reader.ReadNumberLine();
  header.hamMessages = reader.ReadNumberLine();
  ReadEntries(reader, table);
  return header;
}

}  // namespace trellisk
