// Settings changed while host threads score and train: every scoring call
// works with one whole snapshot, so its log block shows the settings either
// before or after a change, never a mix of both, and no detection is lost.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/core_fixture.h"

namespace trellisk {
namespace {

constexpr int kCallers = 8;
constexpr int kRoundsPerCaller = 30;

// Two settings that leave a different trace in every message block: with
// the first every message is spam and the block carries the word table,
// with the second every message is ham and the block has no table.
void SpamWithTable(Settings& settings) {
  settings.SpamScore = 0;
  settings.VerboseLogfile = 1;
}
void HamWithoutTable(Settings& settings) {
  settings.SpamScore = 101;
  settings.VerboseLogfile = 0;
}

struct BlockCounts {
  int spamWithTable = 0;
  int hamWithoutTable = 0;
  std::vector<std::string> mixed;
};

// Every block of a scored message: its verdict line, then the word table's
// rows (which hold " | ") up to the blank line that ends the block.
BlockCounts CountBlocks(const std::string& log) {
  BlockCounts counts;
  std::istringstream lines(log);
  std::string line;
  while (std::getline(lines, line)) {
    const bool spam = line.find("SPAM RECEIVED") != std::string::npos;
    const bool ham = line.find("HAM RECEIVED") != std::string::npos;
    if (!spam && !ham) continue;
    int rows = 0;
    std::string row;
    while (std::getline(lines, row) && !row.empty()) rows += row.find(" | ") != std::string::npos ? 1 : 0;
    if (spam && rows > 0) {
      ++counts.spamWithTable;
    } else if (ham && rows == 0) {
      ++counts.hamWithoutTable;
    } else {
      counts.mixed.push_back(line);
    }
  }
  return counts;
}

class SettingsSnapshotTest : public testing::CoreFixture {};

TEST_F(SettingsSnapshotTest, EveryCallSeesTheOldOrTheNewSettingsWhole) {
  SetSetting("AutoLearning", 0);
  SetSetting("DNSBlacklist", 0);
  // Every word stays in the table, so no table is empty.
  SetSetting("RemoveNonSignificant", 0);
  Start();
  ChangeSettings(HamWithoutTable);
  std::atomic<bool> callersDone{false};
  std::thread changer([&] {
    for (int change = 0; !callersDone; ++change) {
      ChangeSettings(change % 2 ? SpamWithTable : HamWithoutTable);
      std::this_thread::yield();
    }
  });
  std::vector<std::thread> callers;
  for (int c = 0; c < kCallers; ++c) {
    callers.emplace_back([&, c] {
      for (int round = 0; round < kRoundsPerCaller; ++round) {
        testing::TestMail mail;
        mail.messageId = "m" + std::to_string(c) + "." + std::to_string(round) + "@test";
        mail.body = "offer meeting invoice number " + std::to_string(round);
        Score(mail.Text());
        if (round % 3 == 0) Train(mail.Text(), round % 2 == 0);
      }
    });
  }
  for (std::thread& caller : callers) caller.join();
  callersDone = true;
  changer.join();
  WaitForLearners();

  const BlockCounts counts = CountBlocks(LogText());
  EXPECT_TRUE(counts.mixed.empty()) << counts.mixed.size() << " mixed blocks, first: " << counts.mixed.front();
  EXPECT_EQ(counts.spamWithTable + counts.hamWithoutTable, kCallers * kRoundsPerCaller);
  EXPECT_GT(counts.spamWithTable, 0) << "the settings changed during the run";
  EXPECT_GT(counts.hamWithoutTable, 0);
  EXPECT_EQ(counters().DetectedSpam + counters().DetectedHam, static_cast<uint32_t>(kCallers * kRoundsPerCaller))
      << "no detection is lost to a change of settings";
}

}  // namespace
}  // namespace trellisk
