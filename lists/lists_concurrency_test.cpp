// Several threads check texts while others change and reload the lists, as
// scoring threads, learning threads and the setup dialog do. Run under the
// thread sanitizer; the assertions hold whatever the interleaving.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "lists/black_whitelist.h"
#include "plugin/component_options.h"
#include "tests/support/temp_directory.h"
#include "tests/support/test_message_boxes.h"

namespace trellisk {
namespace {

TEST(ListsConcurrencyTest, ChecksWhileEntriesComeAndGoAndListsReload) {
  testing::TempDirectory dir;
  Settings settings;
  settings.BlacklistPath = dir.File("blacklist.txt");
  settings.WhitelistPath = dir.File("whitelist.txt");
  settings.VerboseLogfile = 1;
  testing::WriteFileBytes(settings.BlacklistPath, "TEXT: always@spam.example\nREGEXP: ^Subject:.*casino\n");
  testing::WriteFileBytes(settings.WhitelistPath, "TEXT: friend@home.example\n");
  BuiltinTexts texts;
  std::atomic<const TextSource*> textSource{&texts};
  Log log(&texts);
  log.Open(dir.File("trellisk.log"), true);
  testing::TestMessageBoxes boxes;
  CBlackWhitelist lists(ListOptionsOf(settings), log, platform::DefaultFileSystem(), textSource, boxes);
  lists.Load(kBothLists);

  std::atomic<bool> stop{false};
  std::atomic<int> wrongVerdicts{0};
  std::vector<std::thread> checkers;
  for (int t = 0; t < 3; ++t) {
    checkers.emplace_back([&, t] {
      int round = 0;
      while (!stop) {
        ListMatch record;
        // The files always hold these entries, whatever was added or
        // removed, and a reload is one step to a check: never missing.
        lists.CheckBlackWhitelist(record, "From: always@spam.example\nSubject: hi " + std::to_string(t), true);
        if (record.verdict != kBlacklisted) ++wrongVerdicts;
        lists.CheckBlackWhitelist(record, "friend@home.example", false);
        if (record.verdict != kWhitelisted) ++wrongVerdicts;
        lists.CheckBlackWhitelist(record, "sender" + std::to_string(round++ % 50) + "@x.example", true);
      }
    });
  }
  std::thread learner([&] {
    for (int i = 0; i < 400; ++i) {
      const std::string sender = "sender" + std::to_string(i % 50) + "@x.example";
      const ListEntryKind kind = i % 2 ? kBlackText : kWhiteText;
      if (!lists.Add(sender, kind, i % 2 ? lists.blackCount() : lists.whiteCount())) lists.Remove(sender, kind);
    }
  });
  std::thread dialog([&] {
    for (int i = 0; i < 20; ++i) {
      lists.Save(kBothLists);
      lists.Load(i % 2 ? kBlacklist : kBothLists);
      std::string text;
      ListEntryKind kind{};
      uint32_t sequence = 0;
      for (uint32_t slot = 0; slot < lists.SlotCount(); ++slot) lists.GetByIndex(slot, text, kind, sequence);
    }
  });
  learner.join();
  dialog.join();
  stop = true;
  for (std::thread& checker : checkers) checker.join();

  EXPECT_EQ(wrongVerdicts, 0);
  lists.Load(kBothLists);
  EXPECT_GE(lists.blackCount(), 2u);
  EXPECT_GE(lists.whiteCount(), 1u);
  ListMatch record;
  lists.CheckBlackWhitelist(record, "Subject: Casino night", true);
  EXPECT_EQ(record.verdict, kBlacklisted);
  EXPECT_TRUE(lists.Close());
}

}  // namespace
}  // namespace trellisk
