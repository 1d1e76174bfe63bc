#include "dnsbl/dns_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "base/log.h"
#include "base/text_source.h"
#include "platform/file_system.h"
#include "plugin/component_options.h"
#include "plugin/settings.h"
#include "tests/support/fault_injection_file_system.h"
#include "tests/support/temp_directory.h"

namespace trellisk::testing {
namespace {

constexpr uint32_t kNow = 1'700'000'000;
constexpr uint32_t kFiveDays = 432000;

class DnsCacheTest : public ::testing::Test {
 protected:
  DnsCacheTest() {
    settings_.VerboseLogfile = 0;
    cache_.SetOptions(DnsCacheOptionsOf(settings_));
    log_.Open(dir_.File("trellisk.log"), true);
  }

  struct Entry {
    uint32_t listings = 0;
    uint32_t lastListed = 0;
    bool operator==(const Entry&) const = default;
  };
  // The cached entry, or {0, 0} when the address is not cached.
  Entry Lookup(const std::string& address) {
    Entry entry;
    cache_.Find(address, entry.listings, entry.lastListed);
    return entry;
  }
  std::string CachePath() const { return dir_.File("cache.dat"); }
  std::string BackupPath() const { return dir_.File("cache.tmp"); }
  void WriteCacheFile(const std::string& bytes) { WriteFileBytes(CachePath(), bytes); }
  std::string CacheFile() const { return ReadFileBytes(CachePath()); }
  // The file's three-line records, each as one text, in sorted order.
  static std::vector<std::string> SortedRecords(const std::string& file) {
    std::vector<std::string> records;
    size_t start = 0;
    for (size_t lines = 0, pos = 0; (pos = file.find('\n', pos)) != std::string::npos; ++pos) {
      if (++lines % 3 != 0) continue;
      records.push_back(file.substr(start, pos + 1 - start));
      start = pos + 1;
    }
    std::sort(records.begin(), records.end());
    return records;
  }
  // A cache over the same directory, as the next process would see it.
  bool ReloadedHas(const std::string& address) {
    DnsCache reloaded(DnsCacheOptionsOf(settings_), log_, platform::DefaultFileSystem(), dir_.path(), [this] { return now_.load(); });
    reloaded.Load();
    uint32_t listings = 0;
    uint32_t lastListed = 0;
    return reloaded.Find(address, listings, lastListed);
  }

  TempDirectory dir_;
  Settings settings_;
  BuiltinTexts texts_;
  Log log_{&texts_};
  std::atomic<uint32_t> now_{kNow};
  FaultInjectionFileSystem files_{platform::DefaultFileSystem()};
  DnsCache cache_{DnsCacheOptionsOf(settings_), log_, files_, dir_.path(), [this] { return now_.load(); }};
};

TEST_F(DnsCacheTest, LivesInCacheDatOfItsDirectory) { EXPECT_EQ(cache_.path(), CachePath()); }

TEST_F(DnsCacheTest, AddSumsListingsAndTakesTheNewTime) {
  cache_.Add("1.2.3.4", 100, 1);
  cache_.Add("1.2.3.4", 50, 2);
  EXPECT_EQ(Lookup("1.2.3.4"), (Entry{3, 50}));
  EXPECT_EQ(cache_.EntryCount(), 1u);
}

TEST_F(DnsCacheTest, AddOfAnEmptyAddressDoesNothing) {
  EXPECT_FALSE(cache_.Add("", kNow, 1));
  EXPECT_EQ(cache_.EntryCount(), 0u);
  EXPECT_FALSE(cache_.IsModified());
}

TEST_F(DnsCacheTest, RemoveForgetsTheAddressAndMarksTheCacheModified) {
  cache_.Add("1.2.3.4", kNow, 3);
  ASSERT_TRUE(cache_.Save());
  EXPECT_TRUE(cache_.Remove("1.2.3.4"));
  EXPECT_TRUE(cache_.IsModified());
  EXPECT_EQ(Lookup("1.2.3.4"), Entry{});
  EXPECT_FALSE(cache_.Remove("1.2.3.4"));
}

TEST_F(DnsCacheTest, RemoveIfBelowDropsOnlyListingsUnderTheThreshold) {
  cache_.Add("1.1.1.1", kNow, 1);
  cache_.Add("2.2.2.2", kNow, 3);
  cache_.Add("3.3.3.3", kNow, 0);
  EXPECT_TRUE(cache_.RemoveIfBelow("1.1.1.1", 3));
  EXPECT_FALSE(cache_.RemoveIfBelow("2.2.2.2", 3));
  EXPECT_FALSE(cache_.RemoveIfBelow("3.3.3.3", 3));
  EXPECT_FALSE(cache_.RemoveIfBelow("4.4.4.4", 3));
  EXPECT_EQ(cache_.EntryCount(), 2u);
}

TEST_F(DnsCacheTest, SaveWritesThreeLinesPerAddress) {
  cache_.Add("1.2.3.4", kNow - 5, 3);
  ASSERT_TRUE(cache_.Save());
  EXPECT_EQ(CacheFile(), "1.2.3.4\n3\n1699999995\n");
  EXPECT_FALSE(cache_.IsModified());
  EXPECT_FALSE(FileExists(BackupPath()));
}

TEST_F(DnsCacheTest, SaveWithoutChangesLeavesTheFileAlone) {
  ASSERT_TRUE(cache_.Save());
  EXPECT_FALSE(FileExists(CachePath()));
}

TEST_F(DnsCacheTest, SaveDropsEntriesOlderThanFiveDays) {
  cache_.Add("10.0.0.1", kNow - kFiveDays - 1, 3);
  cache_.Add("10.0.0.2", kNow - kFiveDays, 3);
  ASSERT_TRUE(cache_.Save());
  EXPECT_FALSE(ReloadedHas("10.0.0.1"));
  EXPECT_TRUE(ReloadedHas("10.0.0.2"));
}

TEST_F(DnsCacheTest, CompressKeepsTimesNearTheEndOfTheClock) {
  cache_.Add("10.0.0.1", 0xFFFFFFF0u, 3);
  cache_.Compress(kFiveDays);
  EXPECT_EQ(Lookup("10.0.0.1").listings, 3u);
}

TEST_F(DnsCacheTest, RoundTripKeepsEveryEntry) {
  for (int i = 0; i < 300; ++i) cache_.Add("10.1." + std::to_string(i / 256) + "." + std::to_string(i % 256), kNow, 3);
  ASSERT_TRUE(cache_.Save());
  const std::string saved = CacheFile();
  cache_.Load();
  EXPECT_EQ(cache_.EntryCount(), 300u);
  EXPECT_EQ(Lookup("10.1.1.43"), (Entry{3, kNow}));
  // Loaded entries count as changes and are written back. Loading inserts
  // into a fresh table, so the slot order (the record order) may differ.
  EXPECT_TRUE(cache_.IsModified());
  ASSERT_TRUE(cache_.Save());
  EXPECT_EQ(SortedRecords(CacheFile()), SortedRecords(saved));
}

struct LoadCase {
  const char* name;
  const char* file;
  uint32_t entries;
  const char* address;  // an address expected with (listings, lastListed)
  uint32_t listings;
  uint32_t lastListed;
};

class DnsCacheLoadTest : public DnsCacheTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(DnsCacheLoadTest, ReadsCompleteRecordsOnly) {
  const LoadCase& c = GetParam();
  cache_.Add("9.9.9.9", kNow, 1);  // Load replaces what was there
  WriteCacheFile(c.file);
  EXPECT_TRUE(cache_.Load());
  EXPECT_EQ(cache_.EntryCount(), c.entries);
  if (c.address[0] != '\0') {
    EXPECT_EQ(Lookup(c.address), (Entry{c.listings, c.lastListed}));
  }
  EXPECT_EQ(Lookup("9.9.9.9"), Entry{});
}

INSTANTIATE_TEST_SUITE_P(Files, DnsCacheLoadTest, ::testing::Values(
    LoadCase{"Lf", "1.2.3.4\n3\n100\n5.6.7.8\n4\n200\n", 2, "5.6.7.8", 4, 200},
    LoadCase{"CrLf", "1.2.3.4\r\n3\r\n100\r\n", 1, "1.2.3.4", 3, 100},
    LoadCase{"NoFinalLineEnd", "1.2.3.4\n3\n100", 1, "1.2.3.4", 3, 100},
    LoadCase{"BlanksAroundTheAddress", " \t1.2.3.4 \r\n3\n100\n", 1, "1.2.3.4", 3, 100},
    LoadCase{"RepeatedAddressSums", "1.2.3.4\n3\n100\n1.2.3.4\n2\n50\n", 1, "1.2.3.4", 5, 50},
    LoadCase{"TruncatedLastRecord", "1.2.3.4\n3\n100\n5.6.7.8\n4\n", 1, "1.2.3.4", 3, 100},
    LoadCase{"TruncatedAfterAddress", "1.2.3.4\n3\n100\n5.6.7.8\n", 1, "1.2.3.4", 3, 100},
    LoadCase{"GarbageCountStopsReading", "1.2.3.4\n3\n100\n5.6.7.8\nmany\n200\n7.7.7.7\n1\n1\n", 1, "1.2.3.4", 3, 100},
    LoadCase{"GarbageTimeStopsReading", "1.2.3.4\n3\nyesterday\n", 0, "", 0, 0},
    LoadCase{"ShiftedRecordsStop", "3\n100\n1.2.3.4\n3\n100\n", 0, "", 0, 0},
    LoadCase{"BlankAddressIsSkipped", "\n3\n100\n1.2.3.4\n3\n100\n", 1, "1.2.3.4", 3, 100},
    LoadCase{"EmptyFile", "", 0, "", 0, 0},
    LoadCase{"BinaryGarbage", "\x01\x02\xff\n\n\n\n", 0, "", 0, 0}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST_F(DnsCacheTest, LoadOfAnOverlongAddressStops) {
  WriteCacheFile("1.2.3.4\n3\n100\n" + std::string(5000, 'a') + "\n3\n100\n");
  cache_.Load();
  EXPECT_EQ(cache_.EntryCount(), 1u);
}

TEST_F(DnsCacheTest, LoadFallsBackToTheBackupFile) {
  WriteFileBytes(BackupPath(), "1.2.3.4\n3\n100\n");
  cache_.Load();
  EXPECT_EQ(Lookup("1.2.3.4"), (Entry{3, 100}));
}

TEST_F(DnsCacheTest, LoadWithoutAFileGivesAnEmptyUnmodifiedCache) {
  cache_.Add("1.2.3.4", kNow, 3);
  EXPECT_TRUE(cache_.Load());
  EXPECT_EQ(cache_.EntryCount(), 0u);
  EXPECT_FALSE(cache_.IsModified());
}

TEST_F(DnsCacheTest, CloseSavesAndEmpties) {
  cache_.Add("1.2.3.4", kNow, 3);
  EXPECT_TRUE(cache_.Close());
  EXPECT_EQ(cache_.EntryCount(), 0u);
  EXPECT_FALSE(cache_.IsModified());
  EXPECT_TRUE(ReloadedHas("1.2.3.4"));
}

TEST_F(DnsCacheTest, GrowsPastItsFirstHundredSlots) {
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(cache_.Add("10.2." + std::to_string(i / 256) + "." + std::to_string(i % 256), kNow, 1));
  EXPECT_EQ(cache_.EntryCount(), 1000u);
  EXPECT_EQ(Lookup("10.2.3.231"), (Entry{1, kNow}));
}

}  // namespace
}  // namespace trellisk::testing
