#include "store/bayes_database.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "plugin/component_options.h"
#include "tests/support/store_test_fixture.h"

namespace trellisk {
namespace {

using testing::FileExists;
using testing::Lines;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

struct Counts {
  uint32_t spam;
  uint32_t ham;
  bool operator==(const Counts&) const = default;
};

class BayesDatabaseTest : public testing::StoreTest {
 protected:
  std::optional<Counts> Find(std::string_view word) { return FindIn(db_, word); }
  static std::optional<Counts> FindIn(CBayesDatabase& db, std::string_view word) {
    Counts c{};
    if (!db.Find(word, c.spam, c.ham)) return std::nullopt;
    return c;
  }
  std::string StoredFile() { return ReadFileBytes(settings_.DatabasePath); }
  void StoreFile(const std::string& content) { WriteFileBytes(settings_.DatabasePath, content); }
  // Both databases take the settings as they are now.
  void ApplySettings() {
    db_.SetOptions(WordDatabaseOptionsOf(settings_));
    reloaded_.SetOptions(WordDatabaseOptionsOf(settings_));
  }
  // Saves db_ and loads the file into `reloaded`.
  void SaveAndReload() {
    ASSERT_TRUE(db_.Save());
    ASSERT_TRUE(reloaded_.Load());
  }

  platform::FileSystem& files_ = platform::DefaultFileSystem();
  CBayesDatabase db_{WordDatabaseOptionsOf(settings_), log_, files_};
  CBayesDatabase reloaded_{WordDatabaseOptionsOf(settings_), log_, files_};
};

TEST_F(BayesDatabaseTest, StartsEmptyWithTheInitialTableSize) {
  EXPECT_EQ(db_.SlotCount(), 100003u);
  EXPECT_EQ(db_.EntryCount(), 0u);
  EXPECT_EQ(db_.spamMessages, 0u);
  EXPECT_FALSE(db_.IsModified());
}

TEST_F(BayesDatabaseTest, ConvertStringUsesTheHashLimitSetting) {
  const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";
  EXPECT_EQ(db_.ConvertString(alphabet), "82fd860699cbecbf");
  EXPECT_EQ(db_.ConvertString(alphabet.substr(0, 25)), alphabet.substr(0, 25));
  settings_.StringToHashLimit = 10;
  ApplySettings();
  EXPECT_EQ(db_.ConvertString(alphabet.substr(0, 11)), "be2defe2");
  settings_.StringToHashLimit = 8;
  ApplySettings();
  EXPECT_EQ(db_.ConvertString(alphabet), alphabet);
}

TEST_F(BayesDatabaseTest, ShortWordsAreIgnoredAndReportedAsLearned) {
  const std::vector<std::pair<std::string, bool>> cases{
      {"S*ab", false}, {"S*abc", true}, {"ab", false}, {"abc", true}, {"a*", false}, {"*ab", true}};
  for (const auto& [word, stored] : cases) {
    EXPECT_TRUE(db_.AddSpam(word, 1)) << word;
    EXPECT_EQ(Find(word).has_value(), stored) << word;
  }
  EXPECT_EQ(db_.EntryCount(), 3u);
}

TEST_F(BayesDatabaseTest, AZeroAmountOrAnEmptyKeyIsRefused) {
  EXPECT_FALSE(db_.AddSpam("word", 0));
  EXPECT_FALSE(db_.AddHam("word", 0));
  settings_.MinWordLength = 0;
  ApplySettings();
  EXPECT_FALSE(db_.AddSpam("", 1));
  EXPECT_EQ(db_.EntryCount(), 0u);
  EXPECT_FALSE(db_.IsModified());
}

TEST_F(BayesDatabaseTest, AddAndFindCountSpamAndHam) {
  ASSERT_TRUE(db_.AddSpam("viagra", 2));
  ASSERT_TRUE(db_.AddHam("viagra", 1));
  ASSERT_TRUE(db_.AddSpam("viagra", 3));
  EXPECT_EQ(Find("viagra"), (Counts{5, 1}));
  EXPECT_TRUE(db_.IsModified());
}

TEST_F(BayesDatabaseTest, FindOfAnUnknownWordGivesZeroAndOfAnEmptyWordTouchesNothing) {
  uint32_t spam = 7, ham = 7;
  EXPECT_FALSE(db_.Find("unknown", spam, ham));
  EXPECT_EQ(spam, 0u);
  EXPECT_EQ(ham, 0u);
  spam = ham = 7;
  EXPECT_FALSE(db_.Find("", spam, ham));
  EXPECT_EQ(spam, 7u);
  EXPECT_EQ(ham, 7u);
}

TEST_F(BayesDatabaseTest, LongWordsAreStoredByTheirHashAndFound) {
  const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";
  ASSERT_TRUE(db_.AddSpam(alphabet, 1));
  EXPECT_EQ(Find(alphabet), (Counts{1, 0}));
  EXPECT_EQ(Find("82fd860699cbecbf"), (Counts{1, 0})) << "the key itself is a word that converts to itself";
  SaveAndReload();
  EXPECT_NE(StoredFile().find(Lines({"82fd860699cbecbf", "1", "0"})), std::string::npos);
}

TEST_F(BayesDatabaseTest, FindManyGivesWhatFindGivesForEveryWord) {
  const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";
  ASSERT_TRUE(db_.AddSpam(alphabet, 2));
  ASSERT_TRUE(db_.AddHam("S*hello", 3));
  const std::vector<std::string_view> words = {alphabet, "S*hello", "unknown", "", "82fd860699cbecbf"};
  std::vector<CBayesDatabase::WordCounts> results(words.size());
  db_.FindMany(words, results);
  for (size_t i = 0; i < words.size(); ++i) {
    const std::optional<Counts> one = Find(words[i]);
    EXPECT_EQ(results[i].found, one.has_value()) << words[i];
    if (one) {
      EXPECT_EQ((Counts{results[i].first, results[i].second}), *one) << words[i];
    }
  }
}

TEST_F(BayesDatabaseTest, AddAllLearnsEveryWordAsAddSpamOrAddHamWould) {
  settings_.StringToHashLimit = 10;  // 32-bit hashes: short keys
  ApplySettings();
  std::vector<std::string> words = {"S*ab", "S*abc", "ab", "abc"};
  for (int i = 0; i < 100; ++i) words.push_back("longer than ten " + std::to_string(i));
  const std::vector<std::string_view> views(words.begin(), words.end());
  ASSERT_TRUE(db_.AddAll(views, 2, 0));
  ASSERT_TRUE(db_.AddAll(views, 0, 1));
  EXPECT_EQ(Find("S*ab"), std::nullopt) << "too short, ignored";
  EXPECT_EQ(Find("ab"), std::nullopt);
  EXPECT_EQ(Find("S*abc"), (Counts{2, 1}));
  for (int i = 0; i < 100; ++i) EXPECT_EQ(Find("longer than ten " + std::to_string(i)), (Counts{2, 1})) << i;
  EXPECT_EQ(db_.EntryCount(), 102u);
  EXPECT_TRUE(db_.IsModified());
}

TEST_F(BayesDatabaseTest, RemoveSpamAndHamNeverGoBelowZero) {
  ASSERT_TRUE(db_.AddSpam("alone", 3));
  ASSERT_TRUE(db_.AddSpam("mixed", 3));
  ASSERT_TRUE(db_.AddHam("mixed", 2));
  ASSERT_TRUE(db_.AddSpam("many", 9));
  ASSERT_TRUE(db_.AddHam("many", 2));
  EXPECT_TRUE(db_.RemoveSpam("alone", 4));
  EXPECT_TRUE(db_.RemoveSpam("mixed", 4));
  EXPECT_TRUE(db_.RemoveSpam("many", 5));
  EXPECT_EQ(Find("alone"), std::nullopt);
  EXPECT_EQ(Find("mixed"), (Counts{0, 2}));
  EXPECT_EQ(Find("many"), (Counts{4, 2}));
  EXPECT_TRUE(db_.RemoveHam("mixed", 2));
  EXPECT_EQ(Find("mixed"), std::nullopt);
  EXPECT_FALSE(db_.RemoveSpam("absent", 1));
  EXPECT_FALSE(db_.RemoveHam("many", 0));
}

TEST_F(BayesDatabaseTest, RemoveWordDeletesTheEntry) {
  ASSERT_TRUE(db_.AddHam("word", 5));
  EXPECT_TRUE(db_.RemoveWord("word"));
  EXPECT_EQ(Find("word"), std::nullopt);
  EXPECT_FALSE(db_.RemoveWord("word"));
  EXPECT_FALSE(db_.RemoveWord(""));
}

TEST_F(BayesDatabaseTest, ClearEmptiesTheTableButKeepsTheTotals) {
  ASSERT_TRUE(db_.AddSpam("word", 1));
  db_.spamMessages = 4;
  db_.hamMessages = 5;
  ASSERT_TRUE(db_.Save());
  ASSERT_TRUE(db_.Clear());
  EXPECT_EQ(db_.EntryCount(), 0u);
  EXPECT_EQ(db_.SlotCount(), 100003u);
  EXPECT_EQ(db_.spamMessages, 4u);
  EXPECT_EQ(db_.hamMessages, 5u);
  EXPECT_TRUE(db_.IsModified());
}

TEST_F(BayesDatabaseTest, SavesTheExampleFile) {
  ASSERT_TRUE(db_.AddHam("meeting", 1));
  ASSERT_TRUE(db_.AddSpam("free", 1));
  db_.spamMessages = 1;
  db_.hamMessages = 1;
  ASSERT_TRUE(db_.Save());
  EXPECT_EQ(StoredFile(), Lines({"100003", "1", "1", "free", "1", "0", "meeting", "0", "1"}));
  EXPECT_FALSE(db_.IsModified());
  EXPECT_FALSE(FileExists(dir_.File("database.tmp")));
}

TEST_F(BayesDatabaseTest, LoadsTheExampleFile) {
  StoreFile(Lines({"100003", "1", "1", "free", "1", "0", "meeting", "0", "1"}));
  ASSERT_TRUE(db_.Load());
  EXPECT_EQ(db_.SlotCount(), 100003u);
  EXPECT_EQ(db_.EntryCount(), 2u);
  EXPECT_EQ(db_.spamMessages, 1u);
  EXPECT_EQ(db_.hamMessages, 1u);
  EXPECT_EQ(Find("free"), (Counts{1, 0}));
  EXPECT_EQ(Find("meeting"), (Counts{0, 1}));
  EXPECT_FALSE(db_.IsModified());
}

TEST_F(BayesDatabaseTest, ASavedDatabaseLoadsWithEveryWordAndBothTotals) {
  for (int i = 0; i < 3000; ++i) ASSERT_TRUE(db_.AddSpam("word" + std::to_string(i), static_cast<uint32_t>(i + 1)));
  ASSERT_TRUE(db_.AddHam("ham", 7));
  db_.spamMessages = 3000;
  db_.hamMessages = 1;
  SaveAndReload();
  EXPECT_EQ(reloaded_.EntryCount(), 3001u);
  EXPECT_EQ(reloaded_.spamMessages, 3000u);
  EXPECT_EQ(reloaded_.hamMessages, 1u);
  EXPECT_EQ(FindIn(reloaded_, "word2999"), (Counts{3000, 0}));
  EXPECT_EQ(FindIn(reloaded_, "ham"), (Counts{0, 7}));
  EXPECT_FALSE(reloaded_.IsModified());
}

TEST_F(BayesDatabaseTest, SaveOnAnUnmodifiedDatabaseWritesNothing) {
  StoreFile(Lines({"100003", "1", "1", "free", "1", "0"}));
  ASSERT_TRUE(db_.Load());
  StoreFile("changed behind the database's back");
  EXPECT_TRUE(db_.Save());
  EXPECT_EQ(StoredFile(), "changed behind the database's back");
  EXPECT_FALSE(FileExists(dir_.File("database.tmp")));
}

TEST_F(BayesDatabaseTest, LoadFallsBackToTheBackupName) {
  WriteFileBytes(dir_.File("database.tmp"), Lines({"100003", "2", "3", "free", "1", "0"}));
  ASSERT_TRUE(db_.Load());
  EXPECT_EQ(Find("free"), (Counts{1, 0}));
  EXPECT_EQ(db_.spamMessages, 2u);
}

TEST_F(BayesDatabaseTest, LoadWithoutAFileFailsAndLeavesAnEmptyModifiedDatabase) {
  ASSERT_TRUE(db_.AddSpam("word", 1));
  db_.spamMessages = 3;
  EXPECT_FALSE(db_.Load());
  EXPECT_EQ(db_.EntryCount(), 0u);
  EXPECT_EQ(db_.spamMessages, 3u) << "the totals are kept as Clear keeps them";
  EXPECT_TRUE(db_.IsModified());
}

TEST_F(BayesDatabaseTest, LoadReplacesTheContent) {
  ASSERT_TRUE(db_.AddSpam("before", 1));
  StoreFile(Lines({"100003", "0", "0", "after", "0", "2"}));
  ASSERT_TRUE(db_.Load());
  EXPECT_EQ(Find("before"), std::nullopt);
  EXPECT_EQ(Find("after"), (Counts{0, 2}));
  EXPECT_EQ(db_.spamMessages, 0u);
}

TEST_F(BayesDatabaseTest, AnEmptyFileLoadsAsAnEmptyDatabaseWithZeroTotals) {
  db_.spamMessages = 3;
  StoreFile("");
  ASSERT_TRUE(db_.Load());
  EXPECT_EQ(db_.EntryCount(), 0u);
  EXPECT_EQ(db_.SlotCount(), 100003u);
  EXPECT_EQ(db_.spamMessages, 0u);
}

TEST_F(BayesDatabaseTest, CompressRemovesRareAndShortEntries) {
  StoreFile(Lines({"100003", "0", "0", "once", "1", "0", "twice", "1", "1", "ab", "5", "5", "S*ab", "4", "0",
                   "S*abc", "4", "0", "huge", "4294967295", "1"}));
  ASSERT_TRUE(db_.Load());
  ASSERT_TRUE(db_.Compress(2));
  EXPECT_EQ(Find("once"), std::nullopt);
  EXPECT_EQ(Find("ab"), std::nullopt);
  EXPECT_EQ(Find("S*ab"), std::nullopt);
  EXPECT_EQ(Find("twice"), (Counts{1, 1}));
  EXPECT_EQ(Find("S*abc"), (Counts{4, 0}));
  EXPECT_EQ(Find("huge"), (Counts{4294967295u, 1})) << "a sum past 2^32 is not rare";
  EXPECT_TRUE(db_.IsModified());
}

TEST_F(BayesDatabaseTest, CompressRemovesEntriesStoredUnderAnotherHashLimit) {
  settings_.StringToHashLimit = 25;
  ApplySettings();
  ASSERT_TRUE(db_.AddSpam("twentycharacterword1", 1));
  settings_.StringToHashLimit = 10;
  ApplySettings();
  ASSERT_TRUE(db_.Compress(2));
  EXPECT_EQ(db_.EntryCount(), 0u);
}

TEST_F(BayesDatabaseTest, CompressWithNothingToRemoveChangesNothing) {
  ASSERT_TRUE(db_.AddSpam("word", 5));
  ASSERT_TRUE(db_.Save());
  ASSERT_TRUE(db_.Compress(2));
  EXPECT_FALSE(db_.IsModified());
  ASSERT_TRUE(db_.AddSpam("word", 1));
  ASSERT_TRUE(db_.Save());
  EXPECT_TRUE(StoredFile().starts_with(Lines({"100003"})));
}

TEST_F(BayesDatabaseTest, AfterCompressTheSizeHintIsThatOfANewTable) {
  StoreFile(Lines({"200003", "0", "0", "once", "1", "0", "kept", "3", "0"}));
  ASSERT_TRUE(db_.Load());
  ASSERT_EQ(db_.SlotCount(), 200003u) << "a 200003-slot table reloads at that size";
  ASSERT_TRUE(db_.Compress(2));
  SaveAndReload();
  EXPECT_TRUE(StoredFile().starts_with(Lines({"100000"})));
  EXPECT_EQ(reloaded_.SlotCount(), 100003u);
  EXPECT_EQ(FindIn(reloaded_, "kept"), (Counts{3, 0}));
}

TEST_F(BayesDatabaseTest, ALargerTableKeepsItsSizeThroughSaveAndLoad) {
  StoreFile(Lines({"200003", "0", "0"}));
  ASSERT_TRUE(db_.Load());
  ASSERT_TRUE(db_.AddSpam("word", 1));
  SaveAndReload();
  EXPECT_TRUE(StoredFile().starts_with(Lines({"200003"})));
  EXPECT_EQ(reloaded_.SlotCount(), 200003u);
}

TEST_F(BayesDatabaseTest, ATableGrownByLearningReloadsAtItsGrownSize) {
  uint32_t i = 0;
  while (db_.SlotCount() == 100003u) ASSERT_TRUE(db_.AddSpam("word" + std::to_string(i++), 1));
  EXPECT_EQ(db_.SlotCount(), 200003u);
  SaveAndReload();
  EXPECT_EQ(reloaded_.SlotCount(), 200003u);
  EXPECT_EQ(reloaded_.EntryCount(), i);
  EXPECT_EQ(FindIn(reloaded_, "word0"), (Counts{1, 0}));
}

TEST_F(BayesDatabaseTest, ACountThatWrappedToZeroDoesNotCutTheFile) {
  ASSERT_TRUE(db_.AddSpam("wrapped", 0xFFFFFFFF));
  ASSERT_TRUE(db_.AddSpam("wrapped", 1));
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(db_.AddHam("after" + std::to_string(i), 1));
  SaveAndReload();
  EXPECT_EQ(reloaded_.EntryCount(), 100u);
}

TEST_F(BayesDatabaseTest, CloseSavesAndClears) {
  ASSERT_TRUE(db_.AddSpam("word", 1));
  EXPECT_TRUE(db_.Close());
  EXPECT_EQ(db_.EntryCount(), 0u);
  ASSERT_TRUE(reloaded_.Load());
  EXPECT_EQ(FindIn(reloaded_, "word"), (Counts{1, 0}));
}

TEST_F(BayesDatabaseTest, CloseReportsAFailedSave) {
  settings_.DatabasePath = dir_.File("missing/database.dat");
  ApplySettings();
  ASSERT_TRUE(db_.AddSpam("word", 1));
  EXPECT_FALSE(db_.Save());
  EXPECT_TRUE(db_.IsModified());
  EXPECT_FALSE(db_.Close());
}

}  // namespace
}  // namespace trellisk
