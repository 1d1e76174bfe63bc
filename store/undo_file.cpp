#include "store/undo_file.h"

#include <string>

#include "base/ascii.h"
#include "base/number_text.h"
#include "base/text_line_end.h"
#include "store/key_record_file.h"
#include "store/plain_record_lines.h"
#include "store/record_file_reader.h"

namespace trellisk {

bool WriteUndoRecords(platform::WritableFile& file, const CountedStringTable& table) {
  return WriteKeyRecords(file, table, kUndoFileLineBuffer);
}

namespace {

// Hands on the records at the front of the reader's buffer whose three
// lines are plain (plain_record_lines.h), which read in place exactly as
// line by line, and passes over them.
void TakePlainRecords(RecordFileReader& reader, const std::function<void(const UndoRecord&)>& onRecord) {
  const std::string_view buffered = reader.Buffered();
  const char* const begin = buffered.data();
  const char* const end = begin + buffered.size();
  const char* at = begin;
  uint64_t lines = 0;
  for (;;) {
    UndoRecord record{};
    const char* next = PlainKeyLine(at, end, kUndoFileLineBuffer, record.key);
    if (next) next = PlainNumberLine(next, end, kUndoFileLineBuffer, record.kind);
    if (next) next = PlainNumberLine(next, end, kUndoFileLineBuffer, record.time);
    if (!next) break;
    onRecord(record);
    at = next;
    lines += 3;
  }
  reader.Skip(static_cast<size_t>(at - begin), lines);
}

}  // namespace

void ReadUndoRecords(platform::ReadableFile& file, const std::function<void(const UndoRecord&)>& onRecord,
                     DamageReport& damage) {
  RecordFileReader reader(file, kUndoFileLineBuffer, damage);
  std::string key;
  std::string_view line;
  while (!reader.AtEnd()) {
    TakePlainRecords(reader, onRecord);
    if (!reader.ReadLine(line)) return;
    key.assign(Trim(TextBeforeZeroByte(line)));
    if (!reader.ReadNumberLine(line)) return;
    const uint32_t kind = ParseUnsignedDecimal(line);
    if (!reader.ReadNumberLine(line)) return;
    onRecord(UndoRecord{key, kind, ParseUnsignedDecimal(line)});
  }
}

}  // namespace trellisk
