// What every store kept in a file of records promises, checked for each of
// them -- the word database, the undo database and the DNS cache -- on files
// in memory: a save that fails at any write leaves the last saved file and
// keeps the changes; a file that exists but cannot be read is never
// replaced; status lines appear only when verbose; an exception is reported
// with the operation's name and turns into a failure.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>

#include "base/log.h"
#include "base/text_source.h"
#include "dnsbl/dns_blacklist.h"
#include "dnsbl/testing/fake_resolver.h"
#include "platform/memory_file_system.h"
#include "plugin/component_options.h"
#include "plugin/settings.h"
#include "store/bayes_database.h"
#include "store/safe_file_replace.h"
#include "store/undo_database.h"
#include "tests/support/fault_injection_file_system.h"
#include "tests/support/test_message_boxes.h"
#include "tests/support/throwing_file_system.h"

namespace trellisk {
namespace {

constexpr uint32_t kNow = 1'700'000'000;

// What the suite needs of one store, over the settings and the services of
// the fixture.
struct Services {
  const Settings& settings;
  Log& log;
  platform::FileSystem& files;
};

struct WordStore {
  static constexpr const char* kClass = "CBayesDatabase";
  static constexpr const char* kPath = "words/database.dat";
  // Large enough that a save takes several appends.
  static constexpr int kRecords = 20000;
  static constexpr const char* kUnreadableLine =
      "The Word Database file exists but cannot be read; it is not overwritten.\n"
      "Storing of the Word Database failed! Its changes stay unsaved.\n";
  // A record whose counts are both 0 in the middle.
  static constexpr const char* kDamagedFile = "100003\n2\n0\nfree\n1\n0\nbroken\n0\n0\noffer\n1\n0\n";
  static constexpr const char* kDamage = "line 7 (a word whose counts are both 0)";
  static constexpr const char* kVerboseLines =
      "Word Database loaded...\nThe Word Database is empty.\nWord Database saved...\nWord Database compressed...\n";

  explicit WordStore(const Services& s)
      : store(WordDatabaseOptionsOf(s.settings), s.log, s.files, [] { return kNow; }) {}
  bool Add(const std::string& key) { return store.AddSpam(key, 1); }
  bool Compress() { return store.Compress(0); }
  uint32_t Entries() { return store.EntryCount(); }
  bool Modified() { return store.IsModified(); }

  CBayesDatabase store;
};

struct UndoStore {
  static constexpr const char* kClass = "CUndo";
  static constexpr const char* kPath = "undo/undo.dat";
  static constexpr int kRecords = 8000;
  static constexpr const char* kUnreadableLine =
      "The Undo Database file exists but cannot be read; it is not overwritten.\n"
      "Storing of the Undo Database failed! Its changes stay unsaved.\n";
  static constexpr const char* kDamagedFile = "<a@x>\n1\n1700000000\n<b@x>\n2\n";
  static constexpr const char* kDamage = "line 6 (a record cut short at the end of the file)";
  static constexpr const char* kVerboseLines =
      "Undo Database loaded...\nThe Undo Database is empty.\nUndo Database saved...\nUndo Database compressed...\n";

  explicit UndoStore(const Services& s) : store(UndoOptionsOf(s.settings), s.log, s.files, [] { return kNow; }) {}
  bool Add(const std::string& key) { return store.Add(key, 1, kNow); }
  bool Compress() { return store.Compress(2592000); }
  uint32_t Entries() { return store.EntryCount(); }
  bool Modified() { return store.IsModified(); }

  CUndo store;
};

// The cache through its checker, which reports the cache's exceptions.
struct DnsCacheStore {
  static constexpr const char* kClass = "CDNSBlacklist";
  static constexpr const char* kPath = "plugin/cache.dat";
  static constexpr int kRecords = 8000;
  static constexpr const char* kUnreadableLine =
      "The DNS-Blacklist cache file exists but cannot be read; it is not overwritten.\n"
      "Storing of the DNS-Blacklist cache failed! Its changes stay unsaved.\n";
  static constexpr const char* kDamagedFile = "1.2.3.4\n3\n1700000000\n5.6.7.8\nmany\n1700000000\n";
  static constexpr const char* kDamage = "line 5 (a number line that is not a number)";
  // A save ages the cache first, so it logs the line too.
  static constexpr const char* kVerboseLines = "DNS-Blacklist cache compressed...\nDNS-Blacklist cache compressed...\n";

  explicit DnsCacheStore(const Services& s)
      : store(DnsCacheOptionsOf(s.settings), s.log, s.files, resolver, "plugin", texts, boxes, [] { return kNow; }) {}
  bool Add(const std::string& key) { return store.Add(key, kNow, 1); }
  bool Compress() { return store.Compress(DnsCache::kMaxAgeAtSave); }
  uint32_t Entries() { return store.EntryCount(); }
  bool Modified() { return store.IsModified(); }

  testing::FakeResolver resolver;
  BuiltinTexts builtin;
  std::atomic<const TextSource*> texts{&builtin};
  testing::TestMessageBoxes boxes;
  CDNSBlacklist store;
};

template <typename Store>
class StoredTableTest : public ::testing::Test {
 protected:
  StoredTableTest() {
    settings_.DatabasePath = WordStore::kPath;
    settings_.UndodataPath = UndoStore::kPath;
    settings_.VerboseLogfile = 0;
    log_.Open(kLogPath, true);
  }

  std::unique_ptr<Store> Make(platform::FileSystem& files) {
    return std::make_unique<Store>(Services{settings_, log_, files});
  }
  static void AddRecords(Store& store, const std::string& stem, int count) {
    for (int i = 0; i < count; ++i) ASSERT_TRUE(store.Add(stem + std::to_string(i)));
  }
  // The entries the stored file holds, read by a fresh store.
  uint32_t StoredEntries() {
    const auto stored = Make(memory_);
    EXPECT_TRUE(stored->store.Load());
    return stored->Entries();
  }
  std::string StoredFile() { return memory_.File(Store::kPath).value_or("(none)"); }
  std::string LogText() {
    log_.Close();
    return memory_.File(kLogPath).value_or("");
  }

  static constexpr const char* kLogPath = "trellisk.log";
  Settings settings_;
  platform::MemoryFileSystem memory_;
  testing::FaultInjectionFileSystem faulty_{memory_};
  BuiltinTexts texts_;
  Log log_{&texts_, memory_};
};

using Stores = ::testing::Types<WordStore, UndoStore, DnsCacheStore>;
class StoreNames {
 public:
  template <typename Store>
  static std::string GetName(int) {
    return Store::kClass;
  }
};
TYPED_TEST_SUITE(StoredTableTest, Stores, StoreNames);

TYPED_TEST(StoredTableTest, ASaveFailingAtAnyWriteKeepsTheLastSavedFileAndTheChanges) {
  constexpr int kRecords = TypeParam::kRecords;
  const auto probe = this->Make(this->faulty_);
  this->AddRecords(*probe, "first", kRecords);
  this->faulty_.FailWriteOperation(0);
  ASSERT_TRUE(probe->store.Save());
  const int operations = this->faulty_.writeOperations();
  ASSERT_GE(operations, 5) << "several appends, the sync, the close and the replace";

  int failedSaves = 0;
  for (int n = 1; n <= operations; ++n) {
    SCOPED_TRACE("failing write operation " + std::to_string(n));
    this->memory_.Remove(TypeParam::kPath);
    const auto store = this->Make(this->faulty_);
    this->AddRecords(*store, "first", kRecords);
    this->faulty_.FailWriteOperation(0);
    ASSERT_TRUE(store->store.Save());
    this->AddRecords(*store, "second", 10);

    this->faulty_.FailWriteOperation(n);
    if (store->store.Save()) {
      // The failure hit the table image written after the file, a cache
      // that a reader does without.
      EXPECT_FALSE(store->Modified());
      EXPECT_EQ(this->StoredEntries(), static_cast<uint32_t>(kRecords + 10));
      continue;
    }
    ++failedSaves;
    EXPECT_TRUE(store->Modified());
    EXPECT_FALSE(this->memory_.Exists(BackupPathFor(TypeParam::kPath))) << "no half-written backup is left";
    EXPECT_EQ(this->StoredEntries(), static_cast<uint32_t>(kRecords));

    this->faulty_.FailWriteOperation(0);
    EXPECT_TRUE(store->store.Save()) << "the changes are saved later";
    EXPECT_EQ(this->StoredEntries(), static_cast<uint32_t>(kRecords + 10));
  }
  EXPECT_GE(failedSaves, 5) << "every write of the file itself fails the save";
}

TYPED_TEST(StoredTableTest, AStoredFileThatCouldNotBeReadIsNeverReplaced) {
  {
    const auto store = this->Make(this->memory_);
    this->AddRecords(*store, "kept", 10);
    ASSERT_TRUE(store->store.Save());
  }
  const std::string kept = this->StoredFile();
  this->faulty_.SetFailOpenForReading(true);
  const auto store = this->Make(this->faulty_);
  store->store.Load();
  ASSERT_TRUE(store->Add("new"));
  EXPECT_FALSE(store->store.Save());
  EXPECT_EQ(this->StoredFile(), kept);
  EXPECT_EQ(this->LogText(), TypeParam::kUnreadableLine);

  this->faulty_.SetFailOpenForReading(false);
  EXPECT_TRUE(store->store.Load()) << "a readable file is used again";
  ASSERT_TRUE(store->Add("new"));
  EXPECT_TRUE(store->store.Save());
}

TYPED_TEST(StoredTableTest, ADamagedFileIsKeptAsideBeforeASaveReplacesIt) {
  this->memory_.SetFile(TypeParam::kPath, TypeParam::kDamagedFile);
  const auto store = this->Make(this->memory_);
  store->store.Load();
  EXPECT_EQ(store->Entries(), 1u) << "what came before the damage is in use";
  ASSERT_TRUE(store->Add("new"));
  EXPECT_TRUE(store->store.Save());
  const std::string kept = std::string(TypeParam::kPath) + ".corrupt-" + std::to_string(kNow);
  EXPECT_EQ(this->memory_.File(kept), TypeParam::kDamagedFile);
  EXPECT_EQ(this->LogText(), std::string(TypeParam::kPath) + " is damaged at " + TypeParam::kDamage +
                                 ". What could be read before it is in use; the file as it was is kept as " + kept +
                                 ".\n");
}

TYPED_TEST(StoredTableTest, ABackupThatHoldsDataBesideAnEmptyFileIsKept) {
  const std::string backup = BackupPathFor(TypeParam::kPath);
  this->memory_.SetFile(TypeParam::kPath, "");
  this->memory_.SetFile(backup, TypeParam::kDamagedFile);
  const auto store = this->Make(this->memory_);
  store->store.Load();
  ASSERT_TRUE(store->Add("new"));
  EXPECT_TRUE(store->store.Save());
  EXPECT_EQ(this->memory_.File(backup + ".kept-" + std::to_string(kNow)), TypeParam::kDamagedFile);
  EXPECT_NE(this->LogText().find(std::string(TypeParam::kPath) + " holds nothing, but " + backup + " holds data"),
            std::string::npos);
}

TYPED_TEST(StoredTableTest, WithoutAStoredFileTheNewStoreIsSaved) {
  this->faulty_.SetFailOpenForReading(true);
  const auto store = this->Make(this->faulty_);
  store->store.Load();
  ASSERT_TRUE(store->Add("first"));
  EXPECT_TRUE(store->store.Save());
  EXPECT_EQ(this->StoredEntries(), 1u);
}

TYPED_TEST(StoredTableTest, StatusLinesOnlyWhenVerbose) {
  this->settings_.VerboseLogfile = 1;
  this->memory_.SetFile(TypeParam::kPath, "");
  const auto verbose = this->Make(this->memory_);
  ASSERT_TRUE(verbose->store.Load());
  ASSERT_TRUE(verbose->Add("record"));
  ASSERT_TRUE(verbose->store.Save());
  ASSERT_TRUE(verbose->Compress());
  this->settings_.VerboseLogfile = 0;
  const auto quiet = this->Make(this->memory_);
  ASSERT_TRUE(quiet->store.Load());
  ASSERT_TRUE(quiet->Add("other"));
  ASSERT_TRUE(quiet->store.Save());
  ASSERT_TRUE(quiet->Compress());
  EXPECT_EQ(this->LogText(), TypeParam::kVerboseLines);
}

TYPED_TEST(StoredTableTest, ExceptionsAreReportedWithTheOperationName) {
  testing::ThrowingFileSystem throwing;
  const auto store = this->Make(throwing);
  EXPECT_FALSE(store->store.Load());
  ASSERT_TRUE(store->Add("record"));
  EXPECT_FALSE(store->store.Save());
  const std::string report =
      "An unexpected exception occured! Please send a report to the author (bugs@trellisk.org) -=> ";
  const std::string name = TypeParam::kClass;
  EXPECT_EQ(this->LogText(), report + name + "::Load\n" + report + name + "::Save\n");
}

// A file past the store's size limit is read only that far and kept.
TEST(StoredTable, AFileLargerThanTheLimitIsReadThatFarAndNeverReplaced) {
  platform::MemoryFileSystem files;
  BuiltinTexts texts;
  Log log(&texts, files);
  log.Open("trellisk.log", true);
  constexpr uint64_t kLimit = 1024 * 1024;
  std::string content;
  while (content.size() <= kLimit) content += "1.2.3." + std::to_string(content.size() % 250) + "\n1\n1\n";
  files.SetFile("cache.dat", content);
  StoredTable stored(100, 1500, StoredTable::StatusTexts{}, kLimit, log, files, [] { return kNow; });
  uint64_t bytesRead = 0;
  const auto lock = stored.Lock();
  stored.Load("cache.dat", false, [&](platform::ReadableFile& file, DamageReport&) {
    char buffer[4096];
    while (const size_t count = file.Read(buffer, sizeof buffer)) bytesRead += count;
    stored.table().Add("record", 1, 1);
  });
  EXPECT_EQ(bytesRead, kLimit);
  stored.MarkModified();
  EXPECT_FALSE(stored.Save("cache.dat", false, [](platform::WritableFile&) { return true; }));
  EXPECT_EQ(files.File("cache.dat"), content);
  log.Close();
  EXPECT_EQ(files.File("trellisk.log"), "cache.dat is larger than 1 MB; only its first 1 MB are read, and it is not "
                                        "overwritten.\n");
}

}  // namespace
}  // namespace trellisk
