#include "store/key_record_file.h"

#include <cstdint>
#include <string>

#include "base/number_text.h"
#include "base/text_line_end.h"
#include "store/buffered_text_writer.h"

namespace trellisk {

bool WriteKeyRecords(platform::WritableFile& file, const CountedStringTable& table, size_t lineBuffer) {
  BufferedTextWriter out(file);
  std::string key;
  uint32_t first = 0;
  uint32_t second = 0;
  for (uint32_t slot = 0; slot < table.slotCount(); ++slot) {
    if (!table.GetAt(slot, key, first, second) || !ReadsBackAsOneLine(key, lineBuffer)) continue;
    out.Write(key);
    out.EndLine();
    out.WriteNumber(first);
    out.EndLine();
    out.WriteNumber(second);
    out.EndLine();
  }
  return out.Finish();
}

KeyRecordReader::KeyRecordReader(platform::ReadableFile& file, size_t lineBuffer, DamageReport& damage)
    : reader_(file), lineBuffer_(lineBuffer), damage_(damage) {}

bool KeyRecordReader::ReadLine(std::string_view& line) {
  if (!reader_.ReadLine(lineBuffer_, line)) return false;
  if (reader_.LastLineWasCut()) damage_.Note(reader_.lineNumber(), kTextDamageLineCut);
  return true;
}

bool KeyRecordReader::ReadNumberLine(std::string_view& line) {
  if (!ReadLine(line)) {
    damage_.Note(reader_.lineNumber() + 1, kTextDamageRecordCutShort);
    return false;
  }
  if (!IsDecimalNumberLine(line)) damage_.Note(reader_.lineNumber(), kTextDamageNotANumber);
  return true;
}

}  // namespace trellisk
