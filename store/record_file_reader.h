// RecordFileReader reads the lines of a store's record file with the rules
// of LineReader (a line buffer of the format's size) and notes in a
// DamageReport where they leave the form: a line cut into pieces, a number
// line that is not a number, a record cut short at the end of the file.
// The word database, undo and DNS cache readers share it.
//
// One reader belongs to one thread, as its file does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/text_id.h"
#include "platform/file_system.h"
#include "platform/line_reader.h"
#include "store/file_damage.h"

namespace trellisk {

class RecordFileReader {
 public:
  RecordFileReader(platform::ReadableFile& file, size_t lineBuffer, DamageReport& damage);

  // The next line; false at the end of the file.
  bool ReadLine(std::string_view& line);
  // A number line of the record begun; false (a record cut short) at the end.
  bool ReadNumberLine(std::string_view& line);
  // Whether nothing but blank lines follows (it reads them).
  bool RestIsBlank();

  // The unread bytes at hand and passing over whole lines of them, for a
  // reader that parses plain records in place (LineReader::Buffered, Skip).
  std::string_view Buffered() const { return reader_.Buffered(); }
  void Skip(size_t bytes, uint64_t lines) { reader_.Skip(bytes, lines); }

  bool AtEnd() const { return reader_.AtEnd(); }
  // The number of the line read last.
  uint64_t lineNumber() const { return reader_.lineNumber(); }
  void NoteAt(uint64_t line, TextId what) { damage_.Note(line, what); }

 private:
  platform::LineReader reader_;
  const size_t lineBuffer_;
  DamageReport& damage_;
};

}  // namespace trellisk
