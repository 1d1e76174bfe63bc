#include "store/undo_database.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "plugin/component_options.h"
#include "store/undo_kind.h"
#include "tests/support/store_test_fixture.h"

namespace trellisk {
namespace {

using testing::FileExists;
using testing::Lines;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

constexpr uint32_t kDay = 86400;
constexpr uint32_t kNow = 1700000000;

struct Record {
  uint32_t kind;
  uint32_t time;
  bool operator==(const Record&) const = default;
};

uint32_t Kind(UndoKind kind) { return static_cast<uint32_t>(kind); }

class UndoTest : public testing::StoreTest {
 protected:
  std::optional<Record> Find(CUndo& undo, std::string_view key) {
    Record r{};
    if (!undo.Find(key, r.kind, r.time)) return std::nullopt;
    return r;
  }
  std::optional<Record> Find(std::string_view key) { return Find(undo_, key); }
  std::string StoredFile() { return ReadFileBytes(settings_.UndodataPath); }
  void StoreFile(const std::string& content) { WriteFileBytes(settings_.UndodataPath, content); }
  // The store takes the settings as they are now.
  void ApplySettings() { undo_.SetOptions(UndoOptionsOf(settings_)); }
  size_t FilesInDirectory() {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir_.path()), {}));
  }

  uint32_t now_ = kNow;
  CUndo undo_{UndoOptionsOf(settings_), log_, platform::DefaultFileSystem(), [this] { return now_; }};
};

TEST_F(UndoTest, AddReplacesKindAndTime) {
  ASSERT_TRUE(undo_.Add("id1", Kind(UndoKind::ScoredSpam), 100));
  ASSERT_TRUE(undo_.Add("id1", Kind(UndoKind::LearnedHam), 200));
  EXPECT_EQ(Find("id1"), (Record{0, 200}));
  EXPECT_EQ(undo_.EntryCount(), 1u);
  EXPECT_TRUE(undo_.IsModified());
}

TEST_F(UndoTest, AnEmptyKeyIsRefused) {
  EXPECT_FALSE(undo_.Add("", 1, 1));
  EXPECT_FALSE(undo_.IsModified());
  uint32_t kind = 9, time = 9;
  EXPECT_FALSE(undo_.Find("", kind, time));
  EXPECT_FALSE(undo_.Remove(""));
}

TEST_F(UndoTest, FindOfAnUnknownKeyLeavesTheOutputsAlone) {
  uint32_t kind = 9, time = 9;
  EXPECT_FALSE(undo_.Find("unknown", kind, time));
  EXPECT_EQ(kind, 9u);
  EXPECT_EQ(time, 9u);
}

TEST_F(UndoTest, RemoveDeletesTheRecord) {
  ASSERT_TRUE(undo_.Add("id1", 1, 100));
  ASSERT_TRUE(undo_.Save());
  EXPECT_TRUE(undo_.Remove("id1"));
  EXPECT_TRUE(undo_.IsModified());
  EXPECT_EQ(Find("id1"), std::nullopt);
  EXPECT_FALSE(undo_.Remove("id1"));
}

TEST_F(UndoTest, CompressRemovesRecordsOlderThanTheMaximumAge) {
  ASSERT_TRUE(undo_.Add("old", 1, kNow - 31 * kDay));
  ASSERT_TRUE(undo_.Add("recent", 1, kNow - 29 * kDay));
  ASSERT_TRUE(undo_.Add("exactly", 1, kNow - 30 * kDay));
  ASSERT_TRUE(undo_.Add("future", 1, 0xFFFFFFF0u));
  ASSERT_TRUE(undo_.Compress(2592000));
  EXPECT_EQ(Find("old"), std::nullopt);
  EXPECT_TRUE(Find("recent"));
  EXPECT_TRUE(Find("exactly")) << "older than, not as old as";
  EXPECT_TRUE(Find("future"));
  EXPECT_EQ(undo_.EntryCount(), 3u);
}

TEST_F(UndoTest, SavesOneRecordAsThreeLines) {
  ASSERT_TRUE(undo_.Add("<id@host>", 3, 1100000000));
  ASSERT_TRUE(undo_.Save());
  EXPECT_EQ(StoredFile(), Lines({"<id@host>", "3", "1100000000"}));
  EXPECT_FALSE(undo_.IsModified());
  EXPECT_FALSE(FileExists(dir_.File("undo.tmp")));
}

TEST_F(UndoTest, ASavedStoreLoadsWithEveryRecord) {
  for (uint32_t i = 0; i < 2500; ++i) ASSERT_TRUE(undo_.Add("id" + std::to_string(i), i % 4, kNow - i));
  ASSERT_TRUE(undo_.Save());
  CUndo reloaded(UndoOptionsOf(settings_), log_, platform::DefaultFileSystem());
  ASSERT_TRUE(reloaded.Load());
  EXPECT_EQ(reloaded.EntryCount(), 2500u);
  EXPECT_EQ(Find(reloaded, "id2499"), (Record{3, kNow - 2499}));
  EXPECT_EQ(Find(reloaded, "id0"), (Record{0, kNow}));
}

TEST_F(UndoTest, ATruncatedLastRecordIsDropped) {
  StoreFile("id1\n1\n1100000000\nid2\n0");
  ASSERT_TRUE(undo_.Load());
  EXPECT_EQ(undo_.EntryCount(), 1u);
  EXPECT_EQ(Find("id1"), (Record{1, 1100000000}));
}

TEST_F(UndoTest, AFileWithoutFinalLineEndKeepsItsLastRecord) {
  StoreFile("id1\n1\n1100000000");
  ASSERT_TRUE(undo_.Load());
  EXPECT_EQ(Find("id1"), (Record{1, 1100000000}));
}

TEST_F(UndoTest, ABlankKeyLineSkipsOnlyThatRecord) {
  StoreFile(" \n1\n5\nid2\n0\n7\n");
  ASSERT_TRUE(undo_.Load());
  EXPECT_EQ(undo_.EntryCount(), 1u);
  EXPECT_EQ(Find("id2"), (Record{0, 7}));
}

TEST_F(UndoTest, RecordsOfEveryFormLoadAlikeAcrossTheReadBuffer) {
  // Far longer than one read of the file, with plain records and others
  // (blanks around the key or a number) mixed.
  std::string content;
  for (uint32_t i = 0; i < 6000; ++i) {
    const std::string key = "message-" + std::to_string(i) + "@example.org";
    content += (i % 7 == 0 ? " " + key + " \n" : key + "\n") + std::to_string(i % 3) + "\n";
    content += std::to_string(kNow + i) + (i % 11 == 0 ? " \n" : "\n");
  }
  StoreFile(content);
  ASSERT_TRUE(undo_.Load());
  EXPECT_EQ(undo_.EntryCount(), 6000u);
  for (const uint32_t i : {0u, 1u, 3000u, 3001u, 5999u}) {
    EXPECT_EQ(Find("message-" + std::to_string(i) + "@example.org"), (Record{i % 3, kNow + i})) << i;
  }
}

TEST_F(UndoTest, ReadsCrLfTrimmedKeysAndNumbersModulo2To32) {
  StoreFile("  id1 \r\n 2\r\n4294967297\r\nid2\r\n-1\r\nx\r\n");
  ASSERT_TRUE(undo_.Load());
  EXPECT_EQ(Find("id1"), (Record{2, 1}));
  EXPECT_EQ(Find("id2"), (Record{4294967295u, 0}));
}

TEST_F(UndoTest, LoadReplacesTheContentAndFallsBackToTheBackupName) {
  ASSERT_TRUE(undo_.Add("before", 1, 1));
  WriteFileBytes(dir_.File("undo.tmp"), Lines({"after", "2", "3"}));
  ASSERT_TRUE(undo_.Load());
  EXPECT_EQ(Find("before"), std::nullopt);
  EXPECT_EQ(Find("after"), (Record{2, 3}));
}

TEST_F(UndoTest, AMissingFileLoadsAsAnEmptyStore) {
  ASSERT_TRUE(undo_.Add("before", 1, 1));
  EXPECT_TRUE(undo_.Load());
  EXPECT_EQ(undo_.EntryCount(), 0u);
  EXPECT_FALSE(undo_.IsModified());
}

TEST_F(UndoTest, ALoadedStoreIsWrittenBackAtTheNextSave) {
  StoreFile("id1\n1\n5\n");
  ASSERT_TRUE(undo_.Load());
  EXPECT_TRUE(undo_.IsModified());
  StoreFile("");
  ASSERT_TRUE(undo_.Save());
  EXPECT_EQ(StoredFile(), Lines({"id1", "1", "5"}));
}

TEST_F(UndoTest, SaveWithNothingChangedWritesNothing) {
  StoreFile("");
  ASSERT_TRUE(undo_.Load());
  EXPECT_TRUE(undo_.Save());
  EXPECT_EQ(FilesInDirectory(), 2u) << "undo.dat and the log";
  ASSERT_TRUE(undo_.Add("id", 1, 1));
  ASSERT_TRUE(undo_.Save());
  StoreFile("changed behind the store's back");
  EXPECT_TRUE(undo_.Save());
  EXPECT_EQ(StoredFile(), "changed behind the store's back");
}

TEST_F(UndoTest, AnEmptyPathKeepsTheStoreInMemoryOnly) {
  settings_.UndodataPath = "";
  ApplySettings();
  EXPECT_FALSE(undo_.Load());
  ASSERT_TRUE(undo_.Add("id", 1, 2));
  EXPECT_FALSE(undo_.Save());
  EXPECT_TRUE(undo_.IsModified());
  EXPECT_EQ(Find("id"), (Record{1, 2}));
  EXPECT_EQ(FilesInDirectory(), 1u) << "only the log";
}

TEST_F(UndoTest, ClearEmptiesTheStoreAndMarksItModified) {
  for (int i = 0; i < 2000; ++i) ASSERT_TRUE(undo_.Add("id" + std::to_string(i), 1, 1));
  ASSERT_TRUE(undo_.Save());
  ASSERT_TRUE(undo_.Clear());
  EXPECT_EQ(undo_.EntryCount(), 0u);
  EXPECT_TRUE(undo_.IsModified());
}

}  // namespace
}  // namespace trellisk
