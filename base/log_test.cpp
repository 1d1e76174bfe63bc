#include "base/log.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>
#include <vector>

#include "base/exception_report.h"
#include "base/text_source.h"
#include "platform/memory_file_system.h"
#include "tests/support/temp_directory.h"

namespace trellisk {
namespace {

// The log on files in memory.
class LogTest : public ::testing::Test {
 protected:
  std::string Contents() {
    log_.Close();
    return File();
  }
  std::string File() { return files_.File(path_).value_or("(none)"); }

  const std::string path_ = "trellisk.log";
  platform::MemoryFileSystem files_;
  BuiltinTexts texts_;
  Log log_{&texts_, files_};
};

// "Tue, Dec 08 2026, 18:19:58, " in the C locale.
const char* const kTimestamp = R"([A-Za-z]{3}, [A-Za-z]{3} \d\d \d{4}, \d\d:\d\d:\d\d, )";

TEST_F(LogTest, PlainAndTimestampedLines) {
  ASSERT_TRUE(log_.Open(path_, false));
  EXPECT_TRUE(log_.PlainLine("plain"));
  EXPECT_TRUE(log_.WriteLine(kNoText, "stamped", true, true));
  EXPECT_TRUE(log_.WriteLine(kNoText, "no end", false, false));
  const std::string text = Contents();
  EXPECT_TRUE(std::regex_match(text, std::regex(std::string("plain\n") + kTimestamp + "stamped\nno end")))
      << text;
}

TEST_F(LogTest, EveryCompleteLineReachesTheFileAtOnce) {
  // A host that crashes right after a status line must leave it in the file.
  ASSERT_TRUE(log_.Open(path_, false));
  EXPECT_TRUE(log_.TextLine(kTextWordDatabaseSaved));
  EXPECT_EQ(File(), log_.LoadText(kTextWordDatabaseSaved) + "\n");
  EXPECT_TRUE(log_.WriteLine(kNoText, "partial", false, false));
  EXPECT_TRUE(log_.WriteLine(kNoText, " line", false, true));
  EXPECT_EQ(File(), log_.LoadText(kTextWordDatabaseSaved) + "\npartial line\n");
}

TEST_F(LogTest, OpenAppendsAndTruncateStartsAfresh) {
  files_.SetFile(path_, "old\n");
  ASSERT_TRUE(log_.Open(path_, false));
  EXPECT_FALSE(log_.Open(path_, false)) << "already open";
  log_.PlainLine("new");
  EXPECT_EQ(Contents(), "old\nnew\n");
  ASSERT_TRUE(log_.Open(path_, true));
  log_.PlainLine("only");
  EXPECT_EQ(Contents(), "only\n");
}

TEST_F(LogTest, BlockIsOneGroupAfterAnEmptyLineWithAnExtraLineEnd) {
  ASSERT_TRUE(log_.Open(path_, false));
  log_.AddToBlock(7, "first", true, true);
  log_.AddToBlock(7, "second", true, true);
  log_.PlainLine("direct");  // written at once, ahead of the block
  log_.AddToBlock(7, "table", false, true);
  EXPECT_TRUE(log_.FlushBlock(7));
  EXPECT_FALSE(log_.FlushBlock(7)) << "the block is gone";
  const std::string text = Contents();
  const std::string expected =
      std::string("direct\n\n") + kTimestamp + "first\n" + kTimestamp + "second\ntable\n\n";
  EXPECT_TRUE(std::regex_match(text, std::regex(expected))) << text;
}

TEST_F(LogTest, BlocksOfDifferentKeysDoNotMix) {
  ASSERT_TRUE(log_.Open(path_, false));
  log_.AddToBlock(1, "a1", false, true);
  log_.AddToBlock(2, "b1", false, true);
  log_.AddToBlock(1, "a2", false, true);
  log_.FlushBlock(2);
  log_.FlushBlock(1);
  EXPECT_EQ(Contents(), "\nb1\n\n\na1\na2\n\n");
}

TEST_F(LogTest, ConcurrentBlocksStayWhole) {
  ASSERT_TRUE(log_.Open(path_, false));
  std::vector<std::thread> threads;
  for (uint32_t key = 1; key <= 8; ++key) {
    threads.emplace_back([this, key] {
      for (int round = 0; round < 50; ++round) {
        for (int line = 0; line < 3; ++line) log_.AddToBlock(key, "k" + std::to_string(key), false, true);
        log_.FlushBlock(key);
      }
    });
  }
  for (auto& t : threads) t.join();
  const std::string text = Contents();
  // Every group is "\n" followed by three identical lines and "\n".
  const std::regex group(R"(\n(k\d)\n\1\n\1\n\n)");
  EXPECT_EQ(std::regex_replace(text, group, ""), "");
}

TEST_F(LogTest, TextNumbersLoggedBeforeOpenWaitInAQueueOfTen) {
  for (int i = 0; i < 11; ++i) {
    EXPECT_FALSE(log_.WriteLine(kTextSettingsLoaded + (i == 10 ? 1 : 0), "ignored", true, true));
  }
  EXPECT_FALSE(log_.PlainLine("composed text is lost"));
  ASSERT_TRUE(log_.Open(path_, false));
  std::string expected;
  for (int i = 0; i < 10; ++i) expected += "Settings loaded...\n";
  EXPECT_EQ(Contents(), expected) << "the eleventh (Settings saved...) is dropped";
}

TEST_F(LogTest, ReadAllTrimsAndIsEmptyWhenClosed) {
  EXPECT_EQ(log_.ReadAll(), "");
  ASSERT_TRUE(log_.Open(path_, false));
  log_.PlainLine("\n  one");
  log_.PlainLine("two  ");
  EXPECT_EQ(log_.ReadAll(), "one\ntwo");
  log_.PlainLine("three");  // writing goes on at the end after a read
  EXPECT_EQ(log_.ReadAll(), "one\ntwo  \nthree");
}

TEST_F(LogTest, CutToSizeKeepsWholeLinesFromTheEnd) {
  ASSERT_TRUE(log_.Open(path_, false));
  for (int i = 0; i < 10; ++i) log_.PlainLine("line number " + std::to_string(i));
  EXPECT_FALSE(log_.CutToSize(0)) << "0 means no limit";
  EXPECT_FALSE(log_.CutToSize(100000)) << "short enough";
  EXPECT_TRUE(log_.CutToSize(30));
  log_.PlainLine("after");
  EXPECT_EQ(Contents(), "line number 8\nline number 9\nafter\n");
}

TEST_F(LogTest, CutToSizeWithoutLineEndInTheTailLeavesOneLineEnd) {
  ASSERT_TRUE(log_.Open(path_, false));
  log_.WriteLine(kNoText, std::string(300, 'x'), false, false);
  EXPECT_TRUE(log_.CutToSize(100));
  EXPECT_EQ(Contents(), "\n");
}

TEST_F(LogTest, CutToSizeWhenClosedDoesNothing) { EXPECT_FALSE(log_.CutToSize(10)); }

TEST_F(LogTest, ExceptionReportNamesTheOperation) {
  ASSERT_TRUE(log_.Open(path_, false));
  const bool result = GuardedCall(log_, "CBayesDatabase::Load", false, []() -> bool {
    throw std::runtime_error("boom");
  });
  EXPECT_FALSE(result);
  GuardedCall(log_, "CUndo::Save", [] { throw 42; });
  EXPECT_EQ(GuardedCall(log_, "CMacro::Nothing", 7, [] { return 3; }), 3);
  const std::string report = texts_.Load(kTextUnexpectedException);
  EXPECT_EQ(Contents(), report + " CBayesDatabase::Load\n" + report + " CUndo::Save\n");
}

TEST_F(LogTest, ExceptionReportBeforeOpenIsQueuedAsItsTextNumber) {
  GuardedCall(log_, "CUndo::Load", [] { throw 1; });
  ASSERT_TRUE(log_.Open(path_, false));
  EXPECT_EQ(Contents(), texts_.Load(kTextUnexpectedException) + "\n");
}

TEST(LogOnDisk, OpenFailsForAnUnwritablePath) {
  testing::TempDirectory dir;
  BuiltinTexts texts;
  Log log(&texts);
  EXPECT_FALSE(log.Open(dir.File("missing/dir/x.log"), false));
  EXPECT_FALSE(log.PlainLine("x"));
  EXPECT_FALSE(log.IsOpen());
}

}  // namespace
}  // namespace trellisk
