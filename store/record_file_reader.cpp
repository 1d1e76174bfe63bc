#include "store/record_file_reader.h"

#include "base/ascii.h"
#include "base/number_text.h"

namespace trellisk {

RecordFileReader::RecordFileReader(platform::ReadableFile& file, size_t lineBuffer, DamageReport& damage)
    : reader_(file), lineBuffer_(lineBuffer), damage_(damage) {}

bool RecordFileReader::ReadLine(std::string_view& line) {
  if (!reader_.ReadLine(lineBuffer_, line)) return false;
  if (reader_.LastLineWasCut()) NoteAt(lineNumber(), kTextDamageLineCut);
  return true;
}

bool RecordFileReader::ReadNumberLine(std::string_view& line) {
  if (!ReadLine(line)) {
    NoteAt(lineNumber() + 1, kTextDamageRecordCutShort);
    return false;
  }
  if (!IsDecimalNumberLine(line)) NoteAt(lineNumber(), kTextDamageNotANumber);
  return true;
}

bool RecordFileReader::RestIsBlank() {
  std::string_view line;
  while (reader_.ReadLine(lineBuffer_, line)) {
    if (!Trim(line).empty()) return false;
  }
  return true;
}

}  // namespace trellisk
