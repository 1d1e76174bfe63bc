// Several threads learning, unlearning, looking up and saving at once: no
// count may be lost. Run under ThreadSanitizer as well
// (-DTRELLISK_SANITIZE=thread).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "plugin/component_options.h"
#include "store/bayes_database.h"
#include "store/undo_database.h"
#include "tests/support/store_test_fixture.h"

namespace trellisk {
namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 1000;
constexpr int kOwnWords = 50;

std::string OwnWord(int thread, int n) { return "own" + std::to_string(thread) + "_" + std::to_string(n); }

class StoreConcurrencyTest : public testing::StoreTest {
 protected:
  // Runs `body(thread)` on kThreads threads and `background()` on one more
  // until they end. The background (a save, which holds the store's lock
  // while it writes and syncs the file) pauses between its runs, so that
  // the workers are not starved of the lock.
  template <typename Body, typename Background>
  void RunConcurrently(Body body, Background background) {
    std::atomic<bool> done{false};
    std::thread side([&] {
      while (!done) {
        background();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    });
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) workers.emplace_back([&, t] { body(t); });
    for (std::thread& worker : workers) worker.join();
    done = true;
    side.join();
  }
};

TEST_F(StoreConcurrencyTest, WordDatabaseCountsAddUp) {
  CBayesDatabase db(WordDatabaseOptionsOf(settings_), log_, platform::DefaultFileSystem());
  RunConcurrently(
      [&](int t) {
        uint32_t spam = 0, ham = 0;
        for (int r = 0; r < kRounds; ++r) {
          const std::string own = OwnWord(t, r % kOwnWords);
          db.AddSpam("shared", 1);
          db.AddHam(own, 1);
          if (r % 2 == 1) db.RemoveHam(own, 1);
          db.Find("shared", spam, ham);
          db.spamMessages++;
        }
      },
      [&] {
        db.Save();
        db.Compress(0);
      });
  uint32_t spam = 0, ham = 0;
  ASSERT_TRUE(db.Find("shared", spam, ham));
  EXPECT_EQ(spam, static_cast<uint32_t>(kThreads * kRounds));
  EXPECT_EQ(db.spamMessages, static_cast<uint32_t>(kThreads * kRounds));
  for (int t = 0; t < kThreads; ++t) {
    for (int n = 0; n < kOwnWords; ++n) {
      const bool learned = db.Find(OwnWord(t, n), spam, ham);
      // Even rounds add, odd rounds add and take back; a word of odd rounds
      // only went back to 0 and was removed.
      EXPECT_EQ(learned, n % 2 == 0) << OwnWord(t, n);
      if (learned) {
        EXPECT_EQ(ham, static_cast<uint32_t>(kRounds / kOwnWords));
      }
    }
  }
  ASSERT_TRUE(db.Save());
  CBayesDatabase reloaded(WordDatabaseOptionsOf(settings_), log_, platform::DefaultFileSystem());
  ASSERT_TRUE(reloaded.Load());
  EXPECT_EQ(reloaded.EntryCount(), db.EntryCount());
}

TEST_F(StoreConcurrencyTest, UndoRecordsOfEveryThreadSurvive) {
  // A clock at the epoch: Compress finds nothing old enough to remove.
  CUndo undo(UndoOptionsOf(settings_), log_, platform::DefaultFileSystem(), [] { return 0u; });
  RunConcurrently(
      [&](int t) {
        uint32_t kind = 0, time = 0;
        for (int r = 0; r < kRounds; ++r) {
          const std::string own = OwnWord(t, r % kOwnWords);
          undo.Add(own, static_cast<uint32_t>(r % 4), static_cast<uint32_t>(r));
          undo.Find(own, kind, time);
          if (r % kOwnWords == 0) undo.Remove(own);
        }
      },
      [&] {
        undo.Save();
        undo.Compress(2592000);
      });
  EXPECT_EQ(undo.EntryCount(), static_cast<uint32_t>(kThreads * (kOwnWords - 1)));
  uint32_t kind = 0, time = 0;
  ASSERT_TRUE(undo.Find(OwnWord(2, 7), kind, time));
  EXPECT_EQ(time, static_cast<uint32_t>(kRounds - kOwnWords + 7));
  EXPECT_EQ(kind, time % 4);
}

}  // namespace
}  // namespace trellisk
