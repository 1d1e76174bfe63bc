// Start-up, shutdown and setup of the core, as the host drives them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/clock.h"
#include "platform/message_box.h"
#include "plugin/settings_registry.h"
#include "tests/support/core_fixture.h"

namespace trellisk {
namespace {

using testing::CoreFixture;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

class LifecycleTest : public CoreFixture {};

TEST_F(LifecycleTest, StoresLiveInTheHostDirectory) {
  Start();
  EXPECT_EQ(settings().DatabasePath, dir_.File("database.dat"));
  EXPECT_EQ(settings().UndodataPath, dir_.File("undo.dat"));
  EXPECT_EQ(settings().LogfilePath, dir_.File("trellisk.log"));
  EXPECT_EQ(settings().RunCount, 1u);
  Stop();
  EXPECT_EQ(StoredSetting("RunCount"), 1u);
  EXPECT_TRUE(std::filesystem::exists(dir_.File("database.dat"))) << "a database that did not load is saved";
  const std::string log = LogText();
  EXPECT_NE(log.find("Settings loaded...\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Word Database saved...\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Settings saved...\n"), std::string::npos) << log;
}

TEST_F(LifecycleTest, FirstStartUsesBareFileNamesInTheCurrentDirectory) {
  platform::MemoryRegistry fresh;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir_.path());
  {
    PluginCore core(CoreServices{fresh, platform::DefaultFileSystem(), messageBoxes_, "", [](uint32_t) {}, nullptr, nullptr});
    core.Initialize();
    EXPECT_EQ(core.session()->CurrentSettings()->DatabasePath, "database.dat");
    EXPECT_EQ(core.session()->CurrentSettings()->RunCount, 0u);
    core.Finalize();
  }
  std::filesystem::current_path(previous);
  EXPECT_TRUE(std::filesystem::exists(dir_.File("database.dat")));
  EXPECT_TRUE(fresh.Open(platform::RegistryHive::LocalMachine, kStatisticsKey));
  EXPECT_TRUE(fresh.Open(platform::RegistryHive::LocalMachine, kSettingsKey));
}

TEST_F(LifecycleTest, LearnedWordsSurviveARestart) {
  Start();
  session().database.AddSpam("viagra", 3);
  session().database.spamMessages = 3;
  session().undo.Add("id@x", 1, platform::CalendarTimeSeconds());
  Stop();
  Start();
  uint32_t spam = 0, ham = 0, kind = 0, time = 0;
  EXPECT_TRUE(session().database.Find("viagra", spam, ham));
  EXPECT_EQ(spam, 3u);
  EXPECT_EQ(session().database.spamMessages.load(), 3u);
  EXPECT_TRUE(session().undo.Find("id@x", kind, time));
  EXPECT_EQ(kind, 1u);
}

TEST_F(LifecycleTest, EveryHundredthRunCompressesBothStores) {
  SetSetting("RunCount", 99);
  Start();
  EXPECT_EQ(settings().RunCount, 100u);
  session().database.AddSpam("once", 1);
  session().database.AddSpam("often", 5);
  session().undo.Add("old", 0, platform::CalendarTimeSeconds() - 31 * 86400);
  session().undo.Add("new", 0, platform::CalendarTimeSeconds() - 29 * 86400);
  Stop();
  EXPECT_EQ(StoredSetting("RunCount"), 0u);
  Start();
  uint32_t a = 0, b = 0;
  EXPECT_FALSE(session().database.Find("once", a, b));
  EXPECT_TRUE(session().database.Find("often", a, b));
  EXPECT_FALSE(session().undo.Find("old", a, b));
  EXPECT_TRUE(session().undo.Find("new", a, b));
  EXPECT_EQ(settings().RunCount, 1u);
}

TEST_F(LifecycleTest, NoCompressionBeforeTheRunCountIsReached) {
  SetSetting("RunCount", 50);
  Start();
  session().database.AddSpam("once", 1);
  Stop();
  EXPECT_EQ(StoredSetting("RunCount"), 51u);
  Start();
  uint32_t a = 0, b = 0;
  EXPECT_TRUE(session().database.Find("once", a, b));
}

TEST_F(LifecycleTest, SaveDelayPausesBeforeSaving) {
  SetSetting("SaveDelay", 2);
  Start();
  Stop();
  const std::vector<uint32_t> sleeps = Sleeps();
  EXPECT_NE(std::find(sleeps.begin(), sleeps.end(), 2000u), sleeps.end());
}

TEST_F(LifecycleTest, LogIsCutToItsLimitAtShutdown) {
  SetSetting("MaxSizeOfLogfile", 200);
  WriteFileBytes(dir_.File("trellisk.log"), std::string(5000, 'x') + "\nkept line\n");
  Start();
  Stop();
  const std::string log = LogText();
  EXPECT_LE(log.size(), 200u);
  EXPECT_EQ(log.find('x'), std::string::npos) << log;
}

TEST_F(LifecycleTest, CallsOutsideASessionAreHarmless) {
  EXPECT_EQ(Score(testing::TestMail{}.Text()), 50);
  Train(testing::TestMail{}.Text(), true);
  EXPECT_EQ(core_->Setup(), 0);
  core_->Finalize();
  Start();
  Start();  // a second start changes nothing
  Stop();
  EXPECT_EQ(Score(testing::TestMail{}.Text()), 50);
}

class SetupTest : public CoreFixture {
 protected:
  SetupTest() {
    messageBoxes_.Observe([this](std::string_view caption, std::string_view text, platform::MessageBoxIcon icon) {
      boxes_.push_back(std::string(caption) + "|" + std::string(text));
      icons_.push_back(icon);
    });
  }

  std::vector<std::string> SetupWith(uint32_t spam, uint32_t ham) {
    boxes_.clear();
    session().database.spamMessages = spam;
    session().database.hamMessages = ham;
    EXPECT_EQ(core_->Setup(), 0);
    return boxes_;
  }

  std::vector<std::string> boxes_;
  std::vector<platform::MessageBoxIcon> icons_;
};

TEST_F(SetupTest, WarnsWhenTheDatabaseNeedsTraining) {
  Start();
  using Boxes = std::vector<std::string>;
  EXPECT_EQ(SetupWith(0, 0), Boxes{"Empty Database|The database of the Trellisk is empty. Please train the filter!"});
  EXPECT_EQ(icons_.back(), platform::MessageBoxIcon::Information);
  EXPECT_EQ(SetupWith(100, 49),
            Boxes{"Missing NON Spam Mails|The database of the Trellisk contains to less NON spam (<50) mails. "
                  "Please train the filter!"});
  EXPECT_EQ(SetupWith(99, 50),
            Boxes{"Missing Spam Mails|The database of the Trellisk contains to less spam (<100) mails. "
                  "Please train the filter!"});
  EXPECT_EQ(SetupWith(99, 49),
            Boxes{"Empty Database|The database of the Trellisk contains to less spam (<100) and NON spam (<50) "
                  "mails. Please train the filter!"});
  EXPECT_EQ(SetupWith(100, 50), Boxes{});
}

}  // namespace
}  // namespace trellisk
