#include "plugin/settings_registry.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/log.h"
#include "base/text_source.h"
#include "platform/memory_registry.h"
#include "plugin/detection_counters.h"
#include "plugin/settings.h"
#include "tests/support/temp_directory.h"

namespace trellisk {
namespace {

using platform::RegistryHive;
using platform::RegistryValue;

class SettingsRegistryTest : public ::testing::Test {
 protected:
  SettingsRegistryTest() { log_.Open(logPath_, false); }

  platform::RegistryKey& Key(const char* path) {
    keys_.push_back(registry_.Create(RegistryHive::LocalMachine, path));
    return *keys_.back();
  }
  void SetNumber(const char* name, uint32_t value) { Key(kSettingsKey).Write(name, RegistryValue::Dword(value)); }
  void SetText(const char* name, const std::string& text) {
    Key(kSettingsKey).Write(name, RegistryValue::String(text));
  }
  std::optional<uint32_t> Number(const char* path, const char* name) {
    std::unique_ptr<platform::RegistryKey> key = registry_.Open(RegistryHive::LocalMachine, path);
    if (!key) return std::nullopt;
    const auto value = key->Read(name, 4);
    if (!value || value->type != platform::kRegDword) return std::nullopt;
    uint32_t number = 0;
    std::memcpy(&number, value->data.data(), 4);
    return number;
  }
  std::optional<std::string> Text(const char* name) {
    std::unique_ptr<platform::RegistryKey> key = registry_.Open(RegistryHive::LocalMachine, kSettingsKey);
    return key ? ReadRegistryText(*key, name, 65536) : std::nullopt;
  }
  void SetHostDirectory(const std::string& directory) {
    registry_.Create(RegistryHive::CurrentUser, kHostRegistryKey)
        ->Write("ProgramDir", RegistryValue::String(directory));
  }
  // A registry as a previous run left it: both keys exist.
  void PreviousRun() {
    Key(kStatisticsKey);
    Key(kSettingsKey);
  }
  std::string LogText() {
    log_.Close();
    const std::string text = testing::ReadFileBytes(logPath_);
    log_.Open(logPath_, true);
    return text;
  }

  testing::TempDirectory dir_;
  std::string logPath_ = dir_.File("log.txt");
  platform::MemoryRegistry registry_;
  std::vector<std::unique_ptr<platform::RegistryKey>> keys_;
  BuiltinTexts texts_;
  Log log_{&texts_};
  HostIntegration host_{registry_, platform::DefaultFileSystem(), log_};
  SettingsRegistry store_{registry_, host_, log_};
  Settings settings_;
  DetectionCounters counters_;
};

TEST_F(SettingsRegistryTest, FirstStartReadsNothingAndKeepsBareFileNames) {
  SetHostDirectory("/opt/mail/");
  EXPECT_FALSE(store_.Load(settings_, counters_));
  EXPECT_EQ(settings_.RunCount, 0u);
  EXPECT_EQ(settings_.DatabasePath, "database.dat");
  EXPECT_EQ(settings_.LogfilePath, "trellisk.log");
  EXPECT_EQ(LogText(), "");
}

TEST_F(SettingsRegistryTest, SaveCreatesBothKeys) {
  counters_.DetectedSpam = 7;
  counters_.FalseNegativ = 2;
  settings_.MinWordLength = 4;
  EXPECT_TRUE(store_.Save(settings_, counters_));
  EXPECT_EQ(Number(kStatisticsKey, "DetectedSpam"), 7u);
  EXPECT_EQ(Number(kStatisticsKey, "DetectedHam"), 0u);
  EXPECT_EQ(Number(kStatisticsKey, "FalseNegativ"), 2u);
  EXPECT_EQ(Number(kSettingsKey, "MinWordLength"), 4u);
  EXPECT_EQ(Number(kSettingsKey, "EditorRegExplistBottom"), 0u);
  EXPECT_EQ(Text("Version"), "v2.0.4");
  EXPECT_EQ(Text("DatabasePath"), "database.dat");
  EXPECT_EQ(Text("DNSServerlist"), settings_.DNSServerlist);
  EXPECT_EQ(LogText(),
            "Can't get the spamscore from tbplugin.ini. May be you use Secure Bat!.\n"
            "Settings saved...\n");
}

TEST_F(SettingsRegistryTest, RealsAreStoredTimesOneHundredThousand) {
  EXPECT_TRUE(store_.Save(settings_, counters_));
  EXPECT_EQ(Number(kSettingsKey, "HamWeight"), 100000u);
  EXPECT_EQ(Number(kSettingsKey, "UnknownWordStrength"), 1780u);
  EXPECT_EQ(Number(kSettingsKey, "UnknownWordPossibility"), 52000u);
  EXPECT_EQ(Number(kSettingsKey, "SignificanceCut"), 0u);
}

TEST_F(SettingsRegistryTest, RoundTripOfEveryValue) {
  SetHostDirectory("/opt/mail/");
  settings_.DatabasePath = "/data/words.dat";
  settings_.DNSServerlist = "a.example,b.example";
  settings_.Algorithm = 7;
  settings_.HamWeight = 2.5f;
  settings_.EditorBlacklistTop = 33;
  counters_.DetectedHam = 12;
  ASSERT_TRUE(store_.Save(settings_, counters_));
  Settings loaded;
  DetectionCounters loadedCounters;
  ASSERT_TRUE(store_.Load(loaded, loadedCounters));
  EXPECT_EQ(loaded.DatabasePath, "/data/words.dat");
  EXPECT_EQ(loaded.UndodataPath, "/opt/mail/undo.dat") << "a default name becomes a path in the host directory";
  EXPECT_EQ(loaded.DNSServerlist, "a.example,b.example");
  EXPECT_EQ(loaded.Algorithm, 7u);
  EXPECT_FLOAT_EQ(loaded.HamWeight, 2.5f);
  EXPECT_FLOAT_EQ(loaded.UnknownWordStrength, 0.0178f);
  EXPECT_EQ(loaded.EditorBlacklistTop, 33u);
  EXPECT_EQ(loadedCounters.DetectedHam.load(), 12u);
  EXPECT_EQ(loaded.RunCount, 1u);
}

TEST_F(SettingsRegistryTest, DefaultFileNamesBecomeHostPathsAndAreWrittenBack) {
  PreviousRun();
  SetHostDirectory("/opt/mail");
  SetText("DatabasePath", "DATABASE.DAT");
  SetText("WhitelistPath", "/lists/white.txt");
  ASSERT_TRUE(store_.Load(settings_, counters_));
  EXPECT_EQ(settings_.DatabasePath, "/opt/mail/database.dat");
  EXPECT_EQ(Text("DatabasePath"), "/opt/mail/database.dat");
  EXPECT_EQ(settings_.UndodataPath, "/opt/mail/undo.dat");
  EXPECT_EQ(Text("UndodataPath"), "/opt/mail/undo.dat");
  EXPECT_EQ(settings_.WhitelistPath, "/lists/white.txt");
  EXPECT_EQ(settings_.RegExpPath, "/opt/mail/filters.dat");
  EXPECT_EQ(Text("DNSServerlist"), settings_.DNSServerlist) << "a missing zone list is written back";
}

TEST_F(SettingsRegistryTest, WithoutTheHostEveryDefaultPathLooksItUpAgain) {
  PreviousRun();
  ASSERT_TRUE(store_.Load(settings_, counters_));
  EXPECT_EQ(settings_.DatabasePath, "database.dat");
  std::string expected;
  for (int i = 0; i < 6; ++i) expected += "Can't find the The Bat! Path.\n";
  EXPECT_EQ(LogText(), expected + "Settings loaded...\n");
}

TEST_F(SettingsRegistryTest, NumbersAreClampedAfterLoading) {
  PreviousRun();
  SetNumber("MaxThreadCount", 0);
  SetNumber("SignificantWords", 3);
  SetNumber("RunCount", 41);
  ASSERT_TRUE(store_.Load(settings_, counters_));
  EXPECT_EQ(settings_.MaxThreadCount, 1u);
  EXPECT_EQ(settings_.SignificantWords, 5u);
  EXPECT_EQ(settings_.RunCount, 42u);
}

TEST_F(SettingsRegistryTest, RealsOutsideTheirRangeKeepTheCurrentValue) {
  const struct {
    const char* name;
    uint32_t stored;
    float Settings::*field;
    float expected;
  } rows[] = {
      {"HamWeight", 99999, &Settings::HamWeight, 1.0f},
      {"HamWeight", 500001, &Settings::HamWeight, 1.0f},
      {"HamWeight", 250000, &Settings::HamWeight, 2.5f},
      {"HamWeight", 500000, &Settings::HamWeight, 5.0f},
      {"UnknownWordStrength", 0, &Settings::UnknownWordStrength, 0.0178f},
      {"UnknownWordStrength", 100000, &Settings::UnknownWordStrength, 1.0f},
      {"UnknownWordStrength", 100001, &Settings::UnknownWordStrength, 0.0178f},
      {"UnknownWordPossibility", 1, &Settings::UnknownWordPossibility, 0.00001f},
      {"SignificanceCut", 10000, &Settings::SignificanceCut, 0.1f},
      {"SignificanceCut", 49001, &Settings::SignificanceCut, 0.0f},
  };
  PreviousRun();
  for (const auto& row : rows) {
    SetNumber(row.name, row.stored);
    Settings settings;
    ASSERT_TRUE(store_.Load(settings, counters_));
    EXPECT_FLOAT_EQ(settings.*row.field, row.expected) << row.name << " " << row.stored;
  }
}

TEST_F(SettingsRegistryTest, WrongTypesCountAsMissing) {
  PreviousRun();
  SetHostDirectory("/opt/mail/");
  Key(kSettingsKey).Write("DatabasePath", RegistryValue::Dword(5));
  Key(kSettingsKey).Write("UndodataPath", RegistryValue{platform::kRegString, {'/', 'u'}});
  Key(kSettingsKey).Write("LogfilePath", RegistryValue{platform::kRegExpandString, {'%', 'x', '%', 0}});
  ASSERT_TRUE(store_.Load(settings_, counters_));
  EXPECT_EQ(settings_.DatabasePath, "/opt/mail/database.dat");
  EXPECT_EQ(settings_.UndodataPath, "/opt/mail/undo.dat");
  EXPECT_EQ(settings_.LogfilePath, "%x%") << "an expandable string is taken as it is";
}

TEST_F(SettingsRegistryTest, NumbersAreReadAsBytesWithoutATypeCheck) {
  PreviousRun();
  Key(kSettingsKey).Write("MinWordLength", RegistryValue{platform::kRegBinary, {0x07}});
  Key(kSettingsKey).Write("SpamScore", RegistryValue{platform::kRegBinary, {1, 2, 3, 4, 5}});
  settings_.MinWordLength = 0x0300;
  ASSERT_TRUE(store_.Load(settings_, counters_));
  EXPECT_EQ(settings_.MinWordLength, 0x0307u) << "one byte replaces the lowest byte";
  EXPECT_EQ(settings_.SpamScore, 90u) << "five bytes do not fit";
}

TEST_F(SettingsRegistryTest, SpamScoreIsTakenFromTheHostWhenKnown) {
  SetHostDirectory(dir_.path());
  registry_.Create(RegistryHive::CurrentUser, kHostRegistryKey)
      ->Write("Working Directory", RegistryValue::String(dir_.path()));
  settings_.SpamScore = 12;
  ASSERT_TRUE(store_.Save(settings_, counters_));
  EXPECT_EQ(Number(kSettingsKey, "SpamScore"), std::nullopt) << "no tbplugin.ini: nothing written";

  SetNumber("SpamScore", 77);
  ASSERT_TRUE(store_.Save(settings_, counters_));
  EXPECT_EQ(Number(kSettingsKey, "SpamScore"), 77u) << "the stored value stays";

  testing::WriteFileBytes(dir_.File("tbplugin.ini"), "Junk=1\nJunkScore=85\n");
  ASSERT_TRUE(store_.Save(settings_, counters_));
  EXPECT_EQ(Number(kSettingsKey, "SpamScore"), 85u);
}

TEST_F(SettingsRegistryTest, FailedCounterWriteLeavesTheMainKeyAlone) {
  registry_.FailWritesOfValue("FalsePositiv");
  settings_.MinWordLength = 9;
  EXPECT_FALSE(store_.Save(settings_, counters_));
  EXPECT_EQ(Number(kStatisticsKey, "DetectedSpam"), 0u) << "the other counters are written";
  EXPECT_EQ(Number(kSettingsKey, "MinWordLength"), std::nullopt);
}

TEST_F(SettingsRegistryTest, FailedValueWriteStillWritesTheRest) {
  registry_.FailWritesOfValue("MinWordLength");
  settings_.RegExpSpamThreshold = 300;
  EXPECT_FALSE(store_.Save(settings_, counters_));
  EXPECT_EQ(Number(kSettingsKey, "RegExpSpamThreshold"), 300u);
  EXPECT_EQ(Number(kSettingsKey, "EditorLogfileLeft"), 0u);
}

TEST_F(SettingsRegistryTest, NoKeysCanBeMade) {
  registry_.SetFailWrites(true);
  EXPECT_FALSE(store_.Save(settings_, counters_));
}

TEST_F(SettingsRegistryTest, StatusLinesOnlyWhenVerbose) {
  PreviousRun();
  SetHostDirectory("/x/");
  SetNumber("VerboseLogfile", 0);
  ASSERT_TRUE(store_.Load(settings_, counters_));
  ASSERT_TRUE(store_.Save(settings_, counters_));
  EXPECT_EQ(LogText(), "Can't get the spamscore from tbplugin.ini. May be you use Secure Bat!.\n");
}

}  // namespace
}  // namespace trellisk
