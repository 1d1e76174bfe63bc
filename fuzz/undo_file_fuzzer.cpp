// The undo file: the input is the file. Load it, save it, load the saved
// file and save again. A store keeps the last record of every non-empty
// key, so each saved file must hold exactly those records (but for keys too
// long to be written as one line).
#include <map>
#include <utility>

#include "base/text_line_end.h"
#include "fuzz/fuzz_fixture.h"
#include "fuzz/fuzz_targets.h"
#include "plugin/component_options.h"
#include "store/undo_database.h"
#include "store/undo_file.h"

namespace trellisk::fuzz {
namespace {

constexpr const char* kUndoPath = "undo.dat";
constexpr uint32_t kNow = 1700000000;
// A line of the file cannot hold a line end, so no loaded store has this key.
constexpr std::string_view kKeyNoFileHolds = "\n";

using UndoRecords = std::map<std::string, std::pair<uint32_t, uint32_t>>;  // key: kind, time

// The records of the file, the last one of each key winning.
UndoRecords ReadRecords(platform::MemoryFileSystem& files) {
  UndoRecords records;
  if (const auto file = files.OpenForReading(kUndoPath)) {
    DamageReport damage;
    ReadUndoRecords(
        *file,
        [&](const UndoRecord& record) {
          if (!record.key.empty() && ReadsBackAsOneLine(record.key, kUndoFileLineBuffer)) {
            records[std::string(record.key)] = {record.kind, record.time};
          }
        },
        damage);
  }
  return records;
}

void LoadAndSave(FuzzFixture& fixture) {
  CUndo undo(UndoOptionsOf(fixture.settings), fixture.log, fixture.files, [] { return kNow; });
  Expect(undo.Load(), "the undo file did not load");
  Expect(undo.Add(kKeyNoFileHolds, 1, kNow) && undo.Remove(kKeyNoFileHolds),
         "the marker record could not be added and removed");
  Expect(undo.Save(), "the undo store could not be saved");
}

}  // namespace

void FuzzUndoFile(FuzzInput input) {
  FuzzFixture fixture;
  fixture.settings.UndodataPath = kUndoPath;
  fixture.files.SetFile(kUndoPath, std::string(AsText(input)));
  const UndoRecords original = ReadRecords(fixture.files);
  LoadAndSave(fixture);
  Expect(ReadRecords(fixture.files) == original, "the first save changed the records");
  LoadAndSave(fixture);
  Expect(ReadRecords(fixture.files) == original, "the second save changed the records");
}

}  // namespace trellisk::fuzz
