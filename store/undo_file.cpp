#include "store/undo_file.h"

#include <string>

#include "base/ascii.h"
#include "base/number_text.h"
#include "base/text_line_end.h"
#include "store/key_record_file.h"
#include "store/plain_record_lines.h"
#include "store/record_file_reader.h"

namespace trellisk {

bool WriteUndoRecords(platform::WritableFile& file, const CountedStringTable& table, bool* everyEntryAsIs) {
  return WriteKeyRecords(file, table, kUndoFileLineBuffer, everyEntryAsIs);
}

void ReadUndoRecords(platform::ReadableFile& file, const std::function<void(const UndoRecord&)>& onRecord,
                     DamageReport& damage) {
  RecordFileReader reader(file, kUndoFileLineBuffer, damage);
  std::string key;
  std::string_view line;
  while (!reader.AtEnd()) {
    TakePlainRecords(reader, kUndoFileLineBuffer, [&onRecord](const PlainRecord& record) {
      onRecord(UndoRecord{record.key, record.first, record.second});
      return true;
    });
    if (!reader.ReadLine(line)) return;
    key.assign(Trim(TextBeforeZeroByte(line)));
    if (!reader.ReadNumberLine(line)) return;
    const uint32_t kind = ParseUnsignedDecimal(line);
    if (!reader.ReadNumberLine(line)) return;
    onRecord(UndoRecord{key, kind, ParseUnsignedDecimal(line)});
  }
}

}  // namespace trellisk
