#include "store/word_database_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/support/store_test_fixture.h"

namespace trellisk {
namespace {

using testing::Lines;
using platform::MemoryReadableFile;
using testing::MemoryWritableFile;

using Entries = std::map<std::string, std::pair<uint32_t, uint32_t>>;

struct ReadResult {
  WordDatabaseHeader header;
  Entries entries;
  uint32_t slotCount = 0;
  std::optional<FileDamage> damage;
};

// A table as the word database makes it.
struct WordTable : CountedStringTable {
  WordTable() : CountedStringTable(kWordTableGrowStep, kWordTablePoolStep) { Init(kWordTableInitialSize); }
};

Entries EntriesOf(const CountedStringTable& table) {
  Entries entries;
  std::string key;
  uint32_t spam = 0, ham = 0;
  for (uint32_t slot = 0; slot < table.slotCount(); ++slot) {
    if (table.GetAt(slot, key, spam, ham)) entries[key] = {spam, ham};
  }
  return entries;
}

ReadResult Read(const std::string& content) {
  MemoryReadableFile file(content);
  WordTable table;
  ReadResult result;
  DamageReport damage;
  result.header = ReadWordDatabase(file, table, damage);
  result.damage = damage.first();
  result.entries = EntriesOf(table);
  result.slotCount = table.slotCount();
  return result;
}

std::string Write(const WordDatabaseHeader& header, const CountedStringTable& table) {
  MemoryWritableFile file;
  EXPECT_TRUE(WriteWordDatabase(file, header, table));
  return file.content;
}

TEST(WordDatabaseFile, WritesTheHeaderThenEntriesInSlotOrder) {
  WordTable table;
  ASSERT_TRUE(table.Add("meeting", 0, 1));
  ASSERT_TRUE(table.Add("free", 1, 0));
  EXPECT_EQ(Write({100003, 1, 1}, table),
            Lines({"100003", "1", "1", "free", "1", "0", "meeting", "0", "1"}));
}

TEST(WordDatabaseFile, WriteReadWriteGivesTheSameBytes) {
  WordTable table;
  for (int i = 0; i < 5000; ++i) {
    ASSERT_TRUE(table.Add("word" + std::to_string(i * 7919), static_cast<uint32_t>(i), 0xFFFFFFFFu - i));
  }
  const std::string first = Write({table.slotCount(), 4294967295u, 12}, table);

  MemoryReadableFile file(first);
  WordTable reread;
  DamageReport damage;
  const WordDatabaseHeader header = ReadWordDatabase(file, reread, damage);
  EXPECT_FALSE(damage.first()) << "what the writer wrote is in form";
  EXPECT_EQ(Write(header, reread), first);
  EXPECT_EQ(EntriesOf(reread), EntriesOf(table));
}

TEST(WordDatabaseFile, EntriesWhoseCountsAreBothZeroAreNotWritten) {
  WordTable table;
  ASSERT_TRUE(table.Add("zero", 0, 0));
  ASSERT_TRUE(table.Add("free", 1, 0));
  const ReadResult result = Read(Write({100003, 0, 0}, table));
  EXPECT_EQ(result.entries, (Entries{{"free", {1, 0}}}));
}

struct MalformedCase {
  const char* behaviour;
  std::string content;
  uint32_t spamMessages;
  uint32_t hamMessages;
  Entries entries;
  uint32_t slotCount = 100003;
};

TEST(WordDatabaseFile, ReadingKeepsWhatCameBeforeTheFirstFault) {
  const std::vector<MalformedCase> cases{
      {"a blank key line ends loading", "100003\n2\n3\n\nfree\n1\n0\n", 2, 3, {}},
      {"a key line of blanks ends loading", "100003\n2\n3\n \t\r\nfree\n1\n0\n", 2, 3, {}},
      {"a record with both counts 0 ends loading", "100003\n1\n1\na\n1\n0\nword\n0\n0\nb\n1\n0\n", 1, 1,
       {{"a", {1, 0}}}},
      {"non-numeric counts read as 0 and end loading", "100003\n1\n1\na\n1\n0\nword\nx\ny\nb\n1\n0\n", 1, 1,
       {{"a", {1, 0}}}},
      {"a key as the last line without line end is dropped", "100003\n1\n1\nfree\n1\n0\nlast", 1, 1,
       {{"free", {1, 0}}}},
      {"a key as the last line with line end has counts 0", "100003\n1\n1\nfree\n1\n0\nlast\n", 1, 1,
       {{"free", {1, 0}}}},
      {"a last count without line end still counts", "100003\n1\n1\nfree\n1\n2", 1, 1, {{"free", {1, 2}}}},
      {"a missing ham count reads as 0", "100003\n1\n1\nfree\n4", 1, 1, {{"free", {4, 0}}}},
      {"a file shorter than the header", "100003\n5", 5, 0, {}},
      {"a first line alone sizes the table", "200003\n", 0, 0, {}, 200003},
      {"an empty file keeps the cleared table", "", 0, 0, {}},
      {"a key ends at its first 0 byte", std::string("100003\n0\n0\nfree\0later word\n1\n0\n", 31), 0, 0,
       {{"free", {1, 0}}}},
      {"keys are trimmed of blanks", "100003\n0\n0\n  free \t\n1\n0\n", 0, 0, {{"free", {1, 0}}}},
      {"CR LF line ends", "100003\r\n1\r\n1\r\nfree\r\n1\r\n0\r\n", 1, 1, {{"free", {1, 0}}}},
      {"numbers are taken modulo 2^32", "100003\n4294967297\n-1\nfree\n+7\n 12abc\n", 1, 4294967295u,
       {{"free", {7, 12}}}},
      {"a duplicate key gets the sum", "100003\n0\n0\nfree\n1\n0\nfree\n2\n3\n", 0, 0, {{"free", {3, 3}}}},
      {"the size hint rounds to a size-table prime", "150050\n0\n0\n", 0, 0, {}, 150001},
      {"a damaged size hint is capped at the largest size", "4000000000\n1\n1\nfree\n1\n0\n", 1, 1,
       {{"free", {1, 0}}}, 14990011},
  };
  for (const MalformedCase& c : cases) {
    const ReadResult result = Read(c.content);
    EXPECT_EQ(result.header.spamMessages, c.spamMessages) << c.behaviour;
    EXPECT_EQ(result.header.hamMessages, c.hamMessages) << c.behaviour;
    EXPECT_EQ(result.entries, c.entries) << c.behaviour;
    EXPECT_EQ(result.slotCount, c.slotCount) << c.behaviour;
  }
}

TEST(WordDatabaseFile, TheFirstPlaceOutOfFormIsReported) {
  const struct {
    const char* file;
    uint64_t line;  // 0: no damage
    TextId what;
  } cases[] = {
      {"100003\n1\n1\nfree\n1\n0\n", 0, kNoText},
      {"100003\r\n1\r\n1\r\nfree\r\n1\r\n0\r\n", 0, kNoText},
      {"100003\n1\n1\nfree\n1\n0\n\n \n", 0, kNoText},
      {"", 0, kNoText},
      {"100003\n2\n3\n\nfree\n1\n0\n", 4, kTextDamageBlankWord},
      {"100003\n1\n1\na\n1\n0\nword\n0\n0\nb\n1\n0\n", 7, kTextDamageZeroCounts},
      {"100003\n1\n1\na\n1\n0\nword\nx\n1\n", 8, kTextDamageNotANumber},
      {"100003\n1\n1\nfree\n1\n0\nlast", 7, kTextDamageRecordCutShort},
      {"100003\n1\n1\nfree\n1\n0\nlast\n", 8, kTextDamageRecordCutShort},
      {"100003\n1\n1\nfree\n4", 6, kTextDamageRecordCutShort},
      {"100003\n5", 3, kTextDamageRecordCutShort},
  };
  for (const auto& c : cases) {
    const std::optional<FileDamage> damage = Read(c.file).damage;
    EXPECT_EQ(damage ? damage->line : 0, c.line) << c.file;
    EXPECT_EQ(damage ? damage->what : kNoText, c.what) << c.file;
  }
  const std::string longLine = "100003\n0\n0\n" + std::string(3000, 'k') + "\n1\n0\n";
  const std::optional<FileDamage> cut = Read(longLine).damage;
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->line, 4u);
  EXPECT_EQ(cut->what, kTextDamageLineCut);
}

TEST(WordDatabaseFile, ALineLongerThanTheBufferArrivesInPieces) {
  // 2047 bytes of key, then the rest of the line is read as the spam count.
  const std::string content = "100003\n0\n0\n" + std::string(2047, 'k') + "5\n0\nfree\n1\n0\n";
  const ReadResult result = Read(content);
  EXPECT_EQ(result.entries, (Entries{{std::string(2047, 'k'), {5, 0}}, {"free", {1, 0}}}));
}

// Gives the file a few bytes per read, so that records lie across the
// reader's buffer refills.
class TricklingFile final : public platform::ReadableFile {
 public:
  TricklingFile(std::string bytes, size_t step) : bytes_(std::move(bytes)), step_(step) {}
  size_t Read(char* buffer, size_t capacity) override {
    const size_t count = std::min({capacity, step_, bytes_.size() - position_});
    bytes_.copy(buffer, count, position_);
    position_ += count;
    return count;
  }

 private:
  std::string bytes_;
  size_t step_;
  size_t position_ = 0;
};

TEST(WordDatabaseFile, RecordsReadAlikeWhereverTheReadsOfTheFileEnd) {
  std::string content = "100003\n1\n1\n";
  for (int i = 0; i < 300; ++i) {
    content += (i % 7 == 0 ? " key" : "key") + std::to_string(i) + (i % 5 == 0 ? "\r\n" : "\n");
    content += std::to_string(i + 1) + (i % 3 == 0 ? " \n" : "\n") + std::to_string(i % 4) + "\n";
  }
  content += std::string(2046, 'k') + "\n1\n0\nword\nx\n1\n";
  const ReadResult whole = Read(content);
  ASSERT_TRUE(whole.damage);
  EXPECT_EQ(whole.damage->line, 3u + 300 * 3 + 5);
  EXPECT_EQ(whole.entries.size(), 302u);
  for (const size_t step : {1, 5, 7, 64, 1000}) {
    TricklingFile file(content, step);
    WordTable table;
    DamageReport damage;
    ReadWordDatabase(file, table, damage);
    EXPECT_EQ(EntriesOf(table), whole.entries) << step;
    ASSERT_TRUE(damage.first()) << step;
    EXPECT_EQ(damage.first()->line, whole.damage->line) << step;
    EXPECT_EQ(damage.first()->what, kTextDamageNotANumber) << step;
  }
}

}  // namespace
}  // namespace trellisk
