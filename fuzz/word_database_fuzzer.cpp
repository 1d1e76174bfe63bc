// The word database file: the input is the file. Load it, save it, load
// the saved file and save again. Every entry and both message totals the
// file layer reads from the input must survive each round, except entries
// whose counts are both 0 and keys too long for one line, which are never
// written. An input the reader finds damaged must be kept aside byte for
// byte, and no file the store wrote may read as damaged.
#include <optional>

#include "base/number_text.h"
#include "base/text_line_end.h"
#include "fuzz/fuzz_fixture.h"
#include "fuzz/fuzz_targets.h"
#include "fuzz/table_entries.h"
#include "plugin/component_options.h"
#include "store/bayes_database.h"
#include "store/word_database_file.h"

namespace trellisk::fuzz {
namespace {

constexpr const char* kDatabasePath = "database.dat";
// Every table of a round is as large as the file's size hint asks; hints
// beyond this make each run allocate and clear tens of megabytes and slow
// fuzzing to a crawl, and the clamping of huge hints is plain code.
constexpr uint32_t kLargestFuzzedSizeHint = 200000;
// A line of the file cannot hold a line end, so this word is never in a
// loaded database: adding and removing it again only marks it modified.
constexpr std::string_view kWordNoFileHolds = "\n";

constexpr uint32_t kNow = 1'700'000'000;
const std::string kKeptPath = std::string(kDatabasePath) + ".corrupt-" + std::to_string(kNow);

struct DatabaseContent {
  uint32_t spamMessages = 0;
  uint32_t hamMessages = 0;
  std::vector<TableEntry> entries;
  bool damaged = false;
  friend bool operator==(const DatabaseContent&, const DatabaseContent&) = default;
};

DatabaseContent ReadContent(platform::MemoryFileSystem& files) {
  CountedStringTable table(kWordTableGrowStep, kWordTablePoolStep);
  table.Init(kWordTableInitialSize);
  DatabaseContent content;
  if (const auto file = files.OpenForReading(kDatabasePath)) {
    DamageReport damage;
    const WordDatabaseHeader header = ReadWordDatabase(*file, table, damage);
    content = {header.spamMessages, header.hamMessages, TableEntries(table, false), damage.first().has_value()};
    std::erase_if(content.entries, [](const TableEntry& entry) {
      return !ReadsBackAsOneLine(std::get<0>(entry), kWordFileLineBuffer);
    });
  }
  return content;
}

// Loads the database file, then writes it back as the plug-in would after a
// change.
void LoadAndSave(FuzzFixture& fixture) {
  CBayesDatabase database(WordDatabaseOptionsOf(fixture.settings), fixture.log, fixture.files, [] { return kNow; });
  Expect(database.Load(), "the database file did not load");
  Expect(database.AddSpam(kWordNoFileHolds, 1) && database.RemoveSpam(kWordNoFileHolds, 1),
         "the marker word could not be added and removed");
  Expect(database.Save(), "the database could not be saved");
}

}  // namespace

void FuzzWordDatabase(FuzzInput input) {
  const std::string_view text = AsText(input);
  if (ParseUnsignedDecimal(text.substr(0, text.find('\n'))) > kLargestFuzzedSizeHint) return;
  FuzzFixture fixture;
  fixture.settings.DatabasePath = kDatabasePath;
  fixture.settings.MinWordLength = 0;
  fixture.files.SetFile(kDatabasePath, std::string(text));
  DatabaseContent original = ReadContent(fixture.files);
  LoadAndSave(fixture);
  Expect(!original.damaged || fixture.files.File(kKeptPath) == text, "a damaged file was not kept as it was");
  original.damaged = false;
  Expect(ReadContent(fixture.files) == original, "the first save changed the database, or wrote a damaged file");
  LoadAndSave(fixture);
  Expect(ReadContent(fixture.files) == original, "the second save changed the database");
}

}  // namespace trellisk::fuzz
