#include "store/undo_file.h"

#include <string>

#include "platform/line_reader.h"
#include "plugin/ascii.h"
#include "plugin/number_text.h"
#include "store/buffered_text_writer.h"
#include "store/text_line_end.h"

namespace trellisk {

bool WriteUndoRecords(platform::WritableFile& file, const CountedStringTable& table) {
  BufferedTextWriter out(file);
  std::string key;
  uint32_t kind = 0;
  uint32_t time = 0;
  for (uint32_t slot = 0; slot < table.slotCount(); ++slot) {
    if (!table.GetAt(slot, key, kind, time) || !ReadsBackAsOneLine(key, kUndoFileLineBuffer)) continue;
    out.Write(key);
    out.EndLine();
    out.WriteNumber(kind);
    out.EndLine();
    out.WriteNumber(time);
    out.EndLine();
  }
  return out.Finish();
}

void ReadUndoRecords(platform::ReadableFile& file, const std::function<void(const UndoRecord&)>& onRecord) {
  platform::LineReader reader(file);
  std::string key;
  std::string_view line;
  while (!reader.AtEnd()) {
    if (!reader.ReadLine(kUndoFileLineBuffer, line)) return;
    key.assign(Trim(TextBeforeZeroByte(line)));
    if (!reader.ReadLine(kUndoFileLineBuffer, line)) return;
    const uint32_t kind = ParseUnsignedDecimal(line);
    if (!reader.ReadLine(kUndoFileLineBuffer, line)) return;
    onRecord(UndoRecord{key, kind, ParseUnsignedDecimal(line)});
  }
}

}  // namespace trellisk
