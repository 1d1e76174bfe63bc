// The Windows plug-in library end to end, as the mail client runs it: the
// library trellisk.tbp beside this program is loaded with the system loader
// and driven through its exports, on a machine whose registry has never
// seen the plug-in. It learns the sample messages, scores new ones, shuts
// down (settings and statistics in the system registry, text files with
// CR LF line ends on disk) and loads all of it again at the next start.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "host/macro_sink.h"
#include "host/message_table.h"
#include "host/plugin_api.h"
#include "platform/environment.h"
#include "platform/registry.h"
#include "plugin/host_integration.h"
#include "tests/support/plugin_registry_keys.h"
#include "tests/support/temp_directory.h"
#include "tests/support/training_stress.h"

namespace trellisk {
namespace {

namespace fs = std::filesystem;
using host::CollectingMacroSink;
using host::HostedMessage;
using host::MessageTable;
using host::PluginApi;
using platform::RegistryHive;
using platform::RegistryValue;
using testing::ReadFileBytes;

constexpr const char* kSettingsKey = testing::kPluginSettingsKey;
constexpr const char* kStatisticsKey = "Software\\Trellisk\\Statistics";

std::string Directory(const std::string& path) { return path.substr(0, path.find_last_of("\\/") + 1); }

// The sample messages of one folder below samples/ whose names begin with
// `prefix`, in name order.
std::vector<std::string> Samples(const std::string& folder, const std::string& prefix = "") {
  const std::string root = platform::EnvironmentVariable("TRELLISK_SOURCE_DIR").value_or("..");
  std::vector<fs::path> paths;
  for (const auto& entry : fs::directory_iterator(fs::path(root) / "samples" / folder)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() == ".eml" && name.starts_with(prefix)) paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<std::string> messages;
  for (const fs::path& path : paths) messages.push_back(ReadFileBytes(path.string()));
  return messages;
}

bool HasBareLineFeed(const std::string& text) {
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    if (at == 0 || text[at - 1] != '\r') return true;
  }
  return false;
}

class WindowsEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::DeletePluginRegistryKeys());
    hostDirectory_ = dir_.path() + "\\";
    auto hostKey = registry_->Create(RegistryHive::CurrentUser, kHostRegistryKey);
    ASSERT_NE(hostKey, nullptr);
    ASSERT_TRUE(hostKey->Write("ProgramDir", RegistryValue::String(hostDirectory_)));
    ASSERT_TRUE(hostKey->Write("Working Directory", RegistryValue::String(hostDirectory_)));
    testing::WriteFileBytes(dir_.File("tbplugin.ini"), "Junk=1\r\nJunkScore=85\r\n");
    // A first start keeps its files in the current directory: the host's.
    previousDirectory_ = fs::current_path();
    fs::current_path(dir_.path());
    std::string error;
    plugin_ = PluginApi::Load(Directory(platform::ExecutablePath()) + "trellisk.tbp", error);
    ASSERT_TRUE(plugin_) << error;
  }
  // The keys name this test's directory, which goes with it: later users
  // of the machine's registry must not find them.
  void TearDown() override {
    plugin_.reset();
    fs::current_path(previousDirectory_);
    EXPECT_TRUE(testing::DeletePluginRegistryKeys());
  }


  std::optional<RegistryValue> Setting(const char* key, const char* name, size_t maxBytes = 65536) {
    const std::unique_ptr<platform::RegistryKey> opened = registry_->Open(RegistryHive::LocalMachine, key);
    if (!opened) return std::nullopt;
    return opened->Read(name, maxBytes);
  }
  int Score(const std::string& text) {
    HostedMessage message(text);
    return plugin_->GetSpamScore(message.handle(), &MessageTable::ReadProperty);
  }
  void Train(const std::vector<std::string>& messages, bool spam) {
    for (const std::string& text : messages) {
      HostedMessage message(text);
      EXPECT_EQ(plugin_->FeedSpam(message.handle(), spam, &MessageTable::ReadProperty), 0);
    }
  }
  std::string Statistic() {
    CollectingMacroSink sink;
    plugin_->ExecMacro("SPAMFILTERSTATISTIC", 1, sink.sink(), nullptr);
    return sink.text();
  }

  testing::TempDirectory dir_;
  std::string hostDirectory_;
  std::unique_ptr<platform::Registry> registry_ = platform::OpenSystemRegistry(nullptr);
  fs::path previousDirectory_;
  std::unique_ptr<PluginApi> plugin_;
};

TEST_F(WindowsEndToEnd, TheLibraryExportsTheHostInterface) {
  EXPECT_EQ(PluginApi::ReadText(plugin_->GetName), "Trellisk");
  EXPECT_EQ(PluginApi::ReadText(plugin_->GetVersion), "v2.0.4");
  EXPECT_EQ(PluginApi::ReadText(plugin_->GetMacroList), "SPAMFILTERVERSION\nSPAMFILTERSTATISTIC");
  EXPECT_EQ(plugin_->NeedConfig(), 1);
}

TEST_F(WindowsEndToEnd, AFirstStartCreatesTheKeysWithBareFileNames) {
  plugin_->Initialize();
  plugin_->Finalize();
  EXPECT_EQ(Setting(kStatisticsKey, "DetectedSpam"), RegistryValue::Dword(0));
  EXPECT_EQ(Setting(kSettingsKey, "RunCount"), RegistryValue::Dword(0)) << "nothing loaded, nothing counted";
  EXPECT_EQ(Setting(kSettingsKey, "DatabasePath"), RegistryValue::String("database.dat"));
  EXPECT_EQ(Setting(kSettingsKey, "Version"), RegistryValue::String("v2.0.4"));
  EXPECT_EQ(Setting(kSettingsKey, "SpamScore"), RegistryValue::Dword(85)) << "the host's junk threshold";
  EXPECT_EQ(Setting(kSettingsKey, "HamWeight"), RegistryValue::Dword(100000));
  EXPECT_EQ(Setting(kSettingsKey, "UnknownWordStrength"), RegistryValue::Dword(1780));
  EXPECT_TRUE(fs::exists(dir_.File("database.dat")));
  EXPECT_TRUE(fs::exists(dir_.File("trellisk.log")));
}

TEST_F(WindowsEndToEnd, LearnsScoresSavesAndLoadsAgain) {
  plugin_->Initialize();
  plugin_->Finalize();
  plugin_->Initialize();  // the second start moves the files into the host directory
  EXPECT_EQ(Setting(kSettingsKey, "DatabasePath"), RegistryValue::String(hostDirectory_ + "database.dat"));
  const std::vector<std::string> spam = Samples("train/spam");
  const std::vector<std::string> ham = Samples("train/ham");
  ASSERT_GE(spam.size(), 20u);
  ASSERT_GE(ham.size(), 20u);
  Train(spam, true);
  Train(ham, false);
  plugin_->Finalize();  // waits for the learning threads, then saves
  plugin_->Initialize();

  // New spam scores above every new ham message.
  int lowestSpam = 100;
  int highestHam = 0;
  const std::vector<std::string> newSpam = Samples("new", "spam-");
  const std::vector<std::string> newHam = Samples("new", "ham-");
  ASSERT_FALSE(newSpam.empty() || newHam.empty());
  for (const std::string& message : newSpam) lowestSpam = std::min(lowestSpam, Score(message));
  for (const std::string& message : newHam) highestHam = std::max(highestHam, Score(message));
  EXPECT_GT(lowestSpam, highestHam);
  plugin_->Finalize();

  EXPECT_EQ(Setting(kSettingsKey, "RunCount"), RegistryValue::Dword(2));
  const auto detectedSpam = Setting(kStatisticsKey, "DetectedSpam");
  const auto detectedHam = Setting(kStatisticsKey, "DetectedHam");
  ASSERT_TRUE(detectedSpam && detectedHam);
  EXPECT_EQ(detectedSpam->data[0] + detectedHam->data[0], static_cast<int>(newSpam.size() + newHam.size()));

  const std::string database = ReadFileBytes(hostDirectory_ + "database.dat");
  const std::string undo = ReadFileBytes(hostDirectory_ + "undo.dat");
  const std::string log = ReadFileBytes(hostDirectory_ + "trellisk.log");
  for (const std::string* text : {&database, &undo, &log}) {
    EXPECT_FALSE(text->empty());
    EXPECT_FALSE(HasBareLineFeed(*text)) << "text files have CR LF line ends on Windows";
  }
  EXPECT_NE(log.find("Settings loaded...\r\n"), std::string::npos) << log;

  plugin_->Initialize();  // everything loads again
  // Every trained message is in the loaded database (scored ones may have
  // been learned automatically on top).
  std::smatch counts;
  const std::string statistic = Statistic();
  ASSERT_TRUE(std::regex_search(statistic, counts, std::regex(R"(HamMails: +(\d+)\nSpamMails: +(\d+)\n)")))
      << statistic;
  EXPECT_GE(std::stoul(counts[1]), ham.size());
  EXPECT_GE(std::stoul(counts[2]), spam.size());
  plugin_->Finalize();
  EXPECT_EQ(Setting(kSettingsKey, "RunCount"), RegistryValue::Dword(3));
  EXPECT_EQ(log.find("An unexpected exception"), std::string::npos);
}

// Thousands of trainings from several host threads: every call returns (no
// learning thread ever leaves its starter waiting) and every message is
// learned.
TEST_F(WindowsEndToEnd, ManyTrainingsFromSeveralHostThreadsAllComplete) {
  plugin_->Initialize();
  testing::FeedFromThreads(*plugin_, 4, 400);
  plugin_->Finalize();
  plugin_->Initialize();
  EXPECT_EQ(testing::LearnedMessages(*plugin_), 1600);
  plugin_->Finalize();
  EXPECT_EQ(ReadFileBytes(dir_.File("trellisk.log")).find("did not take its message"), std::string::npos);
}

}  // namespace
}  // namespace trellisk
