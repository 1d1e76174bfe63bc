#include "store/word_database_file.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "base/ascii.h"
#include "base/number_text.h"
#include "base/text_line_end.h"
#include "platform/line_reader.h"
#include "store/buffered_text_writer.h"
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

// A numeric line; a line that cannot be read counts as 0.
uint32_t ReadNumberLine(platform::LineReader& reader) {
  std::string_view line;
  return reader.ReadLine(kWordFileLineBuffer, line) ? ParseUnsignedDecimal(line) : 0;
}

void ReadEntries(platform::LineReader& reader, CountedStringTable& table) {
  std::string key;
  while (!reader.AtEnd()) {
    std::string_view line;
    key.assign(reader.ReadLine(kWordFileLineBuffer, line) ? Trim(TextBeforeZeroByte(line)) : std::string_view());
    if (reader.AtEnd() || key.empty()) return;
    const uint32_t spam = ReadNumberLine(reader);
    const uint32_t ham = ReadNumberLine(reader);
    if (spam == 0 && ham == 0) return;
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

WordDatabaseHeader ReadWordDatabase(platform::ReadableFile& file, CountedStringTable& table) {
  platform::LineReader reader(file);
  WordDatabaseHeader header;
  std::string_view line;
  if (reader.ReadLine(kWordFileLineBuffer, line)) {
    header.sizeHint = ParseUnsignedDecimal(line);
    SetUpForSizeHint(table, header.sizeHint);
  }
  header.spamMessages = ReadNumberLine(reader);
  header.hamMessages = ReadNumberLine(reader);
  ReadEntries(reader, table);
  return header;
}

}  // namespace trellisk
