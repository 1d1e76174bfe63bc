// A save that fails at any write -- any Append, the Sync, the Close or the
// Replace -- must leave the stored file exactly as the last good save left
// it, and keep the changes unsaved so a later save can write them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "plugin/component_options.h"
#include "store/bayes_database.h"
#include "store/store_test_fixture.h"
#include "store/undo_database.h"
#include "tests/support/fault_injection_file_system.h"

namespace trellisk {
namespace {

using testing::FileExists;
using testing::ReadFileBytes;

class SaveFaultTest : public testing::StoreTest {
 protected:
  static void AddWords(CBayesDatabase& db, const std::string& stem, int count) {
    for (int i = 0; i < count; ++i) ASSERT_TRUE(db.AddSpam(stem + std::to_string(i), 1));
  }
  static void AddRecords(CUndo& undo, const std::string& stem, int count) {
    for (int i = 0; i < count; ++i) ASSERT_TRUE(undo.Add(stem + std::to_string(i), 1, 1700000000));
  }
  void ForgetStoredFiles() {
    std::remove(settings_.DatabasePath.c_str());
    std::remove(settings_.UndodataPath.c_str());
  }

  testing::FaultInjectionFileSystem faulty_{platform::DefaultFileSystem()};
  platform::FileSystem& disk_ = platform::DefaultFileSystem();
};

// The write operations of a clean save of the first version of each store
// (large enough to take several appends).
constexpr int kWords = 20000;
constexpr int kRecords = 8000;

TEST_F(SaveFaultTest, WordDatabaseSaveFailingAtAnyWriteKeepsTheLastSavedFile) {
  CBayesDatabase probe(WordDatabaseOptionsOf(settings_), log_, faulty_);
  AddWords(probe, "first", kWords);
  faulty_.FailWriteOperation(0);
  ASSERT_TRUE(probe.Save());
  const int operations = faulty_.writeOperations();
  ASSERT_GE(operations, 6) << "several appends, the sync, the close and the replace";

  for (int n = 1; n <= operations; ++n) {
    SCOPED_TRACE("failing write operation " + std::to_string(n));
    ForgetStoredFiles();
    CBayesDatabase db(WordDatabaseOptionsOf(settings_), log_, faulty_);
    AddWords(db, "first", kWords);
    db.spamMessages = 1;
    faulty_.FailWriteOperation(0);
    ASSERT_TRUE(db.Save());
    AddWords(db, "second", 10);
    db.spamMessages = 2;

    faulty_.FailWriteOperation(n);
    EXPECT_FALSE(db.Save());
    EXPECT_TRUE(db.IsModified());
    EXPECT_FALSE(FileExists(dir_.File("database.tmp")));
    CBayesDatabase stored(WordDatabaseOptionsOf(settings_), log_, disk_);
    ASSERT_TRUE(stored.Load());
    EXPECT_EQ(stored.EntryCount(), static_cast<uint32_t>(kWords));
    EXPECT_EQ(stored.spamMessages, 1u);

    faulty_.FailWriteOperation(0);
    EXPECT_TRUE(db.Save());
    ASSERT_TRUE(stored.Load());
    EXPECT_EQ(stored.EntryCount(), static_cast<uint32_t>(kWords + 10));
    EXPECT_EQ(stored.spamMessages, 2u);
  }
}

TEST_F(SaveFaultTest, UndoSaveFailingAtAnyWriteKeepsTheLastSavedFile) {
  CUndo probe(UndoOptionsOf(settings_), log_, faulty_);
  AddRecords(probe, "first", kRecords);
  faulty_.FailWriteOperation(0);
  ASSERT_TRUE(probe.Save());
  const int operations = faulty_.writeOperations();
  ASSERT_GE(operations, 5) << "several appends, the sync, the close and the replace";

  for (int n = 1; n <= operations; ++n) {
    SCOPED_TRACE("failing write operation " + std::to_string(n));
    ForgetStoredFiles();
    CUndo undo(UndoOptionsOf(settings_), log_, faulty_);
    AddRecords(undo, "first", kRecords);
    faulty_.FailWriteOperation(0);
    ASSERT_TRUE(undo.Save());
    AddRecords(undo, "second", 10);

    faulty_.FailWriteOperation(n);
    EXPECT_FALSE(undo.Save());
    EXPECT_TRUE(undo.IsModified());
    EXPECT_FALSE(FileExists(dir_.File("undo.tmp")));
    CUndo stored(UndoOptionsOf(settings_), log_, disk_);
    ASSERT_TRUE(stored.Load());
    EXPECT_EQ(stored.EntryCount(), static_cast<uint32_t>(kRecords));

    faulty_.FailWriteOperation(0);
    EXPECT_TRUE(undo.Save());
    ASSERT_TRUE(stored.Load());
    EXPECT_EQ(stored.EntryCount(), static_cast<uint32_t>(kRecords + 10));
  }
}

// A stored file that exists but cannot be opened (locked, unreadable) is
// never replaced by the empty store that the failed load left.
TEST_F(SaveFaultTest, AStoredFileThatCouldNotBeReadIsNeverReplaced) {
  {
    CBayesDatabase db(WordDatabaseOptionsOf(settings_), log_, disk_);
    AddWords(db, "kept", 10);
    ASSERT_TRUE(db.Save());
    CUndo undo(UndoOptionsOf(settings_), log_, disk_);
    AddRecords(undo, "kept", 10);
    ASSERT_TRUE(undo.Save());
  }
  const std::string words = ReadFileBytes(settings_.DatabasePath);
  const std::string records = ReadFileBytes(settings_.UndodataPath);
  faulty_.SetFailOpenForReading(true);
  CBayesDatabase db(WordDatabaseOptionsOf(settings_), log_, faulty_);
  CUndo undo(UndoOptionsOf(settings_), log_, faulty_);
  EXPECT_FALSE(db.Load());
  undo.Load();
  ASSERT_TRUE(db.AddSpam("new", 1));
  ASSERT_TRUE(undo.Add("new", 1, 1700000000));
  EXPECT_FALSE(db.Close());
  EXPECT_FALSE(undo.Save());
  EXPECT_EQ(ReadFileBytes(settings_.DatabasePath), words);
  EXPECT_EQ(ReadFileBytes(settings_.UndodataPath), records);
  const std::string log = LogText();
  EXPECT_NE(log.find("The Word Database file exists but cannot be read; it is not overwritten."), std::string::npos)
      << log;
  EXPECT_NE(log.find("The Undo Database file exists but cannot be read; it is not overwritten."), std::string::npos);

  faulty_.SetFailOpenForReading(false);
  EXPECT_TRUE(db.Load()) << "a readable file is used again";
  ASSERT_TRUE(db.AddSpam("new", 1));
  EXPECT_TRUE(db.Save());
}

// Without any stored file, a failed load is a first start: saving is fine.
TEST_F(SaveFaultTest, WithoutAStoredFileTheNewStoreIsSaved) {
  faulty_.SetFailOpenForReading(true);
  CBayesDatabase db(WordDatabaseOptionsOf(settings_), log_, faulty_);
  EXPECT_FALSE(db.Load());
  ASSERT_TRUE(db.AddSpam("first", 1));
  EXPECT_TRUE(db.Save());
}

}  // namespace
}  // namespace trellisk
