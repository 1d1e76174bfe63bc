// A process killed at a random moment while it saves the word database
// again and again must leave a file that loads with all the data of its
// last completed save (or of the save it was just completing), also when
// the kill cut a save short and left its half-written file behind.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "plugin/component_options.h"
#include "store/bayes_database.h"
#include "tests/support/child_process.h"
#include "tests/support/store_test_fixture.h"

namespace trellisk {
namespace {

constexpr int kWords = 100000;
constexpr int kRounds = 16;

std::string Word(int i) { return "word" + std::to_string(i); }

class CrashTest : public testing::StoreTest {
 protected:
  // The child: learns one more spam message containing every word, saves,
  // and appends the new spam total to the progress file; for ever.
  int LearnAndSaveUntilKilled() {
    CBayesDatabase db(WordDatabaseOptionsOf(settings_), log_, platform::DefaultFileSystem());
    if (!db.Load()) return 2;
    std::FILE* progress = std::fopen(progressPath_.c_str(), "a");
    if (!progress) return 3;
    for (;;) {
      for (int i = 0; i < kWords; ++i) db.AddSpam(Word(i), 1);
      ++db.spamMessages;
      if (!db.Save()) return 4;
      std::fprintf(progress, "%u\n", db.spamMessages.load());
      std::fflush(progress);
    }
  }

  // The spam total of the last save the child reported complete.
  uint32_t LastReportedSave() {
    std::ifstream progress(progressPath_);
    uint32_t last = 0;
    for (uint32_t value; progress >> value;) last = value;
    return last;
  }

  // Waits until the child reports a save beyond `previous`; false after a
  // minute without one.
  bool WaitForSaveBeyond(uint32_t previous) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (LastReportedSave() <= previous) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

  // Loads the stored database and checks that it is one whole save: every
  // word learned as often as the spam total says. Returns that total.
  uint32_t LoadWholeSave() {
    CBayesDatabase db(WordDatabaseOptionsOf(settings_), log_, platform::DefaultFileSystem());
    EXPECT_TRUE(db.Load());
    EXPECT_EQ(db.EntryCount(), static_cast<uint32_t>(kWords));
    const uint32_t total = db.spamMessages;
    uint32_t spam = 0, ham = 0;
    for (int i = 0; i < kWords; ++i) {
      if (!db.Find(Word(i), spam, ham) || spam != total || ham != 1) {
        ADD_FAILURE() << Word(i) << " has " << spam << "/" << ham << " in a save of " << total;
        break;
      }
    }
    return total;
  }

  std::string progressPath_ = dir_.File("progress.txt");
};

TEST_F(CrashTest, AKilledSaveLeavesTheLastCompleteDatabase) {
  const auto start = std::chrono::steady_clock::now();
  {
    CBayesDatabase db(WordDatabaseOptionsOf(settings_), log_, platform::DefaultFileSystem());
    for (int i = 0; i < kWords; ++i) {
      ASSERT_TRUE(db.AddSpam(Word(i), 1));
      ASSERT_TRUE(db.AddHam(Word(i), 1));
    }
    db.spamMessages = 1;
    ASSERT_TRUE(db.Save());
  }
  // Learning and saving once takes about as long as building the first
  // database did; each kill lands at a random moment of the next two rounds
  // of learning and saving after the child completed a save of its own.
  const auto cycle = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int64_t> delayMs(0, 2 * cycle.count());
  uint32_t lastLoaded = 1;
  int killedWhileWriting = 0;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    testing::ChildProcess child([&] { return LearnAndSaveUntilKilled(); });
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(WaitForSaveBeyond(lastLoaded)) << "the child completes no save";
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));
    child.Kill();
    // The new content is written beside the database and renamed over it,
    // so a file under the writing name means the kill cut a write short.
    if (std::filesystem::exists(dir_.File("database.tmp"))) ++killedWhileWriting;

    const uint32_t reported = LastReportedSave();
    const uint32_t loaded = LoadWholeSave();
    EXPECT_TRUE(loaded == reported || loaded == reported + 1)
        << "loaded the save of " << loaded << ", last reported " << reported;
    lastLoaded = loaded;
  }
  std::printf("%d of %d kills landed while the database was written\n", killedWhileWriting, kRounds);
  // Writing takes most of each cycle, so some of the kills land inside one.
  EXPECT_GT(killedWhileWriting, 0) << "no kill landed while the database was written";
}

}  // namespace
}  // namespace trellisk
