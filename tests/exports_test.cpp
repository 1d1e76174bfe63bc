// The plug-in library as the host sees it: loaded with the platform's
// library loader, driven only through its twelve TBP_ exports, with the
// registry in files of a fresh directory.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <cstring>
#include <regex>
#include <thread>
#include <vector>

#include "host/macro_sink.h"
#include "host/message_table.h"
#include "host/plugin_api.h"
#include "platform/environment.h"
#include "platform/file_registry.h"
#include "plugin/host_integration.h"
#include "tests/support/temp_directory.h"
#include "tests/support/training_stress.h"

namespace trellisk {
namespace {

using host::CollectingMacroSink;
using host::HostedMessage;
using host::MessageTable;
using host::PluginApi;
using testing::ReadFileBytes;

std::string Mail(int n, bool spam) {
  const std::string id = std::to_string(n) + (spam ? "@spam.test" : "@ham.test");
  const std::string body = spam ? "Cheap pills viagra casino winner money offer " + std::to_string(n % 7)
                                 : "Meeting agenda project review tomorrow notes " + std::to_string(n % 5);
  return "From: " + std::string(spam ? "promo@deals.example" : "colleague@work.example") +
         "\r\nSubject: " + (spam ? "Amazing offer" : "Project meeting") + "\r\nMessage-ID: <" + id +
         ">\r\n\r\n" + body + "\r\n";
}

class ExportsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The host runs in its own directory, where a first start keeps its files.
    previousDirectory_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    platform::SetEnvironmentVariable("TRELLISK_REGISTRY", dir_.File("registry"));
    platform::FileRegistry registry(dir_.File("registry"), [](const std::string&) {});
    auto key = registry.Create(platform::RegistryHive::CurrentUser, kHostRegistryKey);
    key->Write("ProgramDir", platform::RegistryValue::String(dir_.path() + "/"));
    key->Write("Working Directory", platform::RegistryValue::String(dir_.path() + "/"));
    // No test asks the public DNS blacklists of the default zone list.
    registry.Create(platform::RegistryHive::LocalMachine, "Software\\Trellisk\\Statistics");
    registry.Create(platform::RegistryHive::LocalMachine, "Software\\Trellisk")
        ->Write("DNSBlacklist", platform::RegistryValue::Dword(0));
    testing::WriteFileBytes(dir_.File("tbplugin.ini"), "Junk=1\nJunkScore=90\n");
    std::string error;
    plugin_ = PluginApi::Load(TRELLISK_PLUGIN_FILE, error);
    ASSERT_TRUE(plugin_) << error;
  }
  void TearDown() override { std::filesystem::current_path(previousDirectory_); }

  // Training runs on learning threads that go on after FeedSpam returns; a
  // stop waits for them, and a start loads what they learned.
  void Settle() {
    plugin_->Finalize();
    plugin_->Initialize();
  }

  // The plug-in keeps its files in the host directory from the second start
  // on; the first start creates the registry keys. `settings` are stored
  // in between, as if the user had set them.
  void StartTwice(const std::vector<std::pair<const char*, uint32_t>>& settings = {}) {
    plugin_->Initialize();
    plugin_->Finalize();
    platform::FileRegistry registry(dir_.File("registry"), [](const std::string&) {});
    auto key = registry.Create(platform::RegistryHive::LocalMachine, "Software\\Trellisk");
    for (const auto& [name, value] : settings) key->Write(name, platform::RegistryValue::Dword(value));
    plugin_->Initialize();
  }

  int Score(const std::string& text) {
    HostedMessage message(text);
    return plugin_->GetSpamScore(message.handle(), &MessageTable::ReadProperty);
  }
  void Train(const std::string& text, bool spam) {
    HostedMessage message(text);
    EXPECT_EQ(plugin_->FeedSpam(message.handle(), spam, &MessageTable::ReadProperty), 0);
  }
  // Trains messages 0 .. count-1 as spam and as ham.
  void TrainPairs(int count) {
    for (int n = 0; n < count; ++n) {
      Train(Mail(n, true), true);
      Train(Mail(n, false), false);
    }
  }
  std::string Macro(const char* name, int* result = nullptr) {
    CollectingMacroSink sink;
    const int number = plugin_->ExecMacro(name, 1, sink.sink(), nullptr);
    if (result) *result = number;
    return sink.text();
  }

  testing::TempDirectory dir_;
  std::filesystem::path previousDirectory_;
  std::unique_ptr<PluginApi> plugin_;
};

TEST_F(ExportsTest, IdentityExports) {
  char buffer[64];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(plugin_->GetName(nullptr, 0), 8);
  EXPECT_EQ(plugin_->GetName(buffer, 3), 3);
  EXPECT_EQ(std::string(buffer, 4), "Tre#");
  EXPECT_EQ(plugin_->GetVersion(buffer, 0), 0);
  EXPECT_EQ(PluginApi::ReadText(plugin_->GetVersion), "v2.0.4");
  EXPECT_EQ(plugin_->GetMacroList(nullptr, 0), 37);
  EXPECT_EQ(PluginApi::ReadText(plugin_->GetMacroList), "SPAMFILTERVERSION\nSPAMFILTERSTATISTIC");
  EXPECT_EQ(plugin_->GetStatus(), 0);
  EXPECT_EQ(plugin_->NeedCOM(), 0);
  EXPECT_EQ(plugin_->NeedConfig(), 1);
}

TEST_F(ExportsTest, StartAndStopKeepSettingsInTheRegistryFiles) {
  StartTwice();
  plugin_->Finalize();
  const std::string machine = ReadFileBytes(dir_.File("registry/HKEY_LOCAL_MACHINE.reg"));
  EXPECT_EQ(machine.rfind("REGEDIT4", 0), 0u);
  EXPECT_NE(machine.find("[HKEY_LOCAL_MACHINE\\Software\\Trellisk\\Statistics]"), std::string::npos);
  // Both starts found the settings key (made in SetUp) and counted a run.
  EXPECT_NE(machine.find("\"RunCount\"=dword:00000002"), std::string::npos) << machine;
  EXPECT_NE(machine.find("\"DatabasePath\"=\"" + dir_.File("database.dat") + "\""), std::string::npos);
  EXPECT_NE(machine.find("\"SpamScore\"=dword:0000005a"), std::string::npos);
  const std::string log = ReadFileBytes(dir_.File("trellisk.log"));
  EXPECT_NE(log.find("Settings loaded...\nWord Database loaded...\n"), std::string::npos) << log;
}

TEST_F(ExportsTest, ADamagedSettingsHiveIsSetAsideAndLogged) {
  StartTwice();
  plugin_->Finalize();
  const std::string hive = dir_.File("registry/HKEY_LOCAL_MACHINE.reg");
  testing::WriteFileBytes(hive, "this is not a registry file\n");
  plugin_->Initialize();  // a first start again: nothing to read
  plugin_->Finalize();
  bool setAside = false;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.File("registry"))) {
    if (entry.path().filename().string().rfind("HKEY_LOCAL_MACHINE.reg.corrupt-", 0) == 0) {
      setAside = ReadFileBytes(entry.path().string()) == "this is not a registry file\n";
    }
  }
  EXPECT_TRUE(setAside);
  EXPECT_EQ(ReadFileBytes(hive).rfind("REGEDIT4", 0), 0u) << "a fresh hive replaces it";
  const std::string log = ReadFileBytes(dir_.File("trellisk.log"));
  EXPECT_NE(log.find("Registry hive file " + hive + " is damaged"), std::string::npos) << log;
}

TEST_F(ExportsTest, MacrosExpandIntoTheHostsSink) {
  StartTwice();
  int result = 0;
  EXPECT_EQ(Macro("spamfilterversion", &result), "Trellisk v2.0.4");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(Macro("SPAMFILTERSTATISTIC", &result),
            "HamMails:      0\nSpamMails:     0\ndetected Ham:  0 (0.00%)\ndetected Spam: 0 (0.00%)\n"
            "FALSE Ham detected:  0\nFALSE Spam detected: 0\n");
  EXPECT_EQ(result, 2);
  EXPECT_EQ(Macro("UNKNOWN", &result), "");
  EXPECT_EQ(result, 0);
  CollectingMacroSink sink;
  EXPECT_EQ(plugin_->ExecMacro("SPAMFILTERVERSION", 0, sink.sink(), nullptr), 0);
  EXPECT_EQ(sink.calls(), 0);
  plugin_->Finalize();
}

TEST_F(ExportsTest, TrainedFilterSeparatesSpamFromHam) {
  StartTwice();
  TrainPairs(30);
  Settle();
  EXPECT_GE(Score(Mail(100, true)), 90);
  EXPECT_LE(Score(Mail(100, false)), 10);
  Settle();  // what was learned is saved and loaded again, with the two scored messages learned automatically
  EXPECT_EQ(Macro("SPAMFILTERSTATISTIC").rfind("HamMails:      31\nSpamMails:     31\n", 0), 0u)
      << Macro("SPAMFILTERSTATISTIC");
  plugin_->Finalize();
}

TEST_F(ExportsTest, CorrectionsCountAsFalseDetections) {
  StartTwice();
  TrainPairs(10);
  Train(Mail(3, true), false);  // learned as spam, corrected to ham
  Settle();
  const std::string statistic = Macro("SPAMFILTERSTATISTIC");
  EXPECT_NE(statistic.find("FALSE Spam detected: 1\n"), std::string::npos) << statistic;
  plugin_->Finalize();
}

TEST_F(ExportsTest, ExportsAreSafeBeforeStartAndAfterStop) {
  EXPECT_EQ(Score(Mail(1, true)), 50);
  Train(Mail(1, true), true);
  EXPECT_EQ(Macro("SPAMFILTERSTATISTIC"), "");
  plugin_->Finalize();
  StartTwice();
  plugin_->Finalize();
  EXPECT_EQ(Score(Mail(1, true)), 50);
}

// Thousands of trainings from several host threads: every call returns and
// every message is learned.
TEST_F(ExportsTest, ManyTrainingsFromSeveralHostThreadsAllComplete) {
  StartTwice({{"AutoLearning", 0}, {"MaxSizeOfLogfile", 0}});
  testing::FeedFromThreads(*plugin_, 4, 500);
  Settle();
  EXPECT_EQ(testing::LearnedMessages(*plugin_), 2000);
  plugin_->Finalize();
}

// Several host threads score and train at once; afterwards every call is
// counted exactly once.
TEST_F(ExportsTest, ConcurrentScoringAndTrainingKeepExactCounts) {
  StartTwice({{"MaxSizeOfLogfile", 0}});
  TrainPairs(10);
  constexpr int kScorers = 4;
  constexpr int kTrainers = 2;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  std::atomic<int> scored{0};
  std::atomic<int> trained{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kScorers + kTrainers; ++t) {
    threads.emplace_back([&, t] {
      for (int n = 0; std::chrono::steady_clock::now() < deadline; ++n) {
        const int id = 1000 + t * 100000 + n;
        if (t < kScorers) {
          const int score = Score(Mail(id, n % 2 == 0));
          EXPECT_GE(score, 0);
          EXPECT_LE(score, 100);
          ++scored;
        } else {
          Train(Mail(id, n % 2 == 0), n % 2 == 0);
          ++trained;
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  plugin_->Finalize();  // waits for the automatic learners
  plugin_->Initialize();
  const std::string statistic = Macro("SPAMFILTERSTATISTIC");
  std::smatch numbers;
  ASSERT_TRUE(std::regex_search(statistic, numbers,
                                std::regex(R"(HamMails: +(\d+)\nSpamMails: +(\d+)\ndetected Ham: +(\d+) .*\n)"
                                           R"(detected Spam: +(\d+) )")))
      << statistic;
  const long learned = std::stol(numbers[1]) + std::stol(numbers[2]);
  const long detected = std::stol(numbers[3]) + std::stol(numbers[4]);
  EXPECT_EQ(detected, scored.load());
  // Every training request is learned, and so is every scored message whose
  // log block announces automatic learning.
  const std::string log = ReadFileBytes(dir_.File("trellisk.log"));
  long autoLearned = 0;
  for (size_t at = log.find("AUTOLEARNING "); at != std::string::npos; at = log.find("AUTOLEARNING ", at + 1)) {
    ++autoLearned;
  }
  EXPECT_GT(autoLearned, 0);
  EXPECT_EQ(learned, 20 + trained.load() + autoLearned);
  EXPECT_EQ(log.find("An unexpected exception"), std::string::npos);
  plugin_->Finalize();
}

}  // namespace
}  // namespace trellisk
