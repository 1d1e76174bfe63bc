#include "store/key_record_file.h"

#include <cstdint>
#include <string>

#include "base/text_line_end.h"
#include "store/buffered_text_writer.h"

namespace trellisk {

bool WriteKeyRecords(platform::WritableFile& file, const CountedStringTable& table, size_t lineBuffer,
                     bool* everyEntryAsIs) {
  BufferedTextWriter out(file);
  std::string key;
  uint32_t first = 0;
  uint32_t second = 0;
  bool asIs = true;
  for (uint32_t slot = 0; slot < table.slotCount(); ++slot) {
    if (!table.GetAt(slot, key, first, second)) continue;
    asIs = asIs && KeyReadsBackAsIs(key, lineBuffer);
    if (!ReadsBackAsOneLine(key, lineBuffer)) continue;
    out.Write(key);
    out.EndLine();
    out.WriteNumber(first);
    out.EndLine();
    out.WriteNumber(second);
    out.EndLine();
  }
  if (everyEntryAsIs) *everyEntryAsIs = asIs;
  return out.Finish();
}

}  // namespace trellisk
