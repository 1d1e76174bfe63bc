#include "plugin/host_integration.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/log.h"
#include "base/text_source.h"
#include "platform/environment.h"
#include "platform/memory_registry.h"
#include "tests/support/temp_directory.h"

namespace trellisk {
namespace {

using platform::RegistryHive;
using platform::RegistryValue;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

class HostIntegrationTest : public ::testing::Test {
 protected:
  HostIntegrationTest() { log_.Open(dir_.File("log.txt"), false); }

  void SetHostValue(const char* name, const std::string& text) {
    registry_.Create(RegistryHive::CurrentUser, kHostRegistryKey)->Write(name, RegistryValue::String(text));
  }
  // Writes tbplugin.ini into the working directory named in the host key.
  void WriteIni(const std::string& text) {
    SetHostValue("Working Directory", dir_.path());
    WriteFileBytes(dir_.File("tbplugin.ini"), text);
  }
  std::string LogText() {
    log_.Close();
    const std::string text = ReadFileBytes(dir_.File("log.txt"));
    log_.Open(dir_.File("log.txt"), false);
    return text;
  }

  testing::TempDirectory dir_;
  platform::MemoryRegistry registry_;
  BuiltinTexts texts_;
  Log log_{&texts_};
  HostIntegration host_{registry_, platform::DefaultFileSystem(), log_};
};

TEST_F(HostIntegrationTest, NoHostKeyMeansNoDirectory) {
  EXPECT_EQ(host_.HostDirectory(), "");
  EXPECT_EQ(LogText(), "Can't find the The Bat! Path.\n");
}

TEST_F(HostIntegrationTest, ProgramDirGetsATrailingSeparator) {
  SetHostValue("ProgramDir", "/opt/mail");
  EXPECT_EQ(host_.HostDirectory(), "/opt/mail/");
  SetHostValue("ProgramDir", "/opt/mail/");
  EXPECT_EQ(host_.HostDirectory(), "/opt/mail/");
  EXPECT_EQ(LogText(), "");
}

TEST_F(HostIntegrationTest, ExePathWinsOverProgramDir) {
  SetHostValue("ProgramDir", "/opt/mail");
  SetHostValue("EXE path", "/usr/local/mail/bin/client.exe");
  EXPECT_EQ(host_.HostDirectory(), "/usr/local/mail/bin/");
  SetHostValue("EXE path", "client.exe");
  EXPECT_EQ(host_.HostDirectory(), "") << "a file name without a directory leaves none";
}

TEST_F(HostIntegrationTest, EmptyKeyMeansNoDirectory) {
  registry_.Create(RegistryHive::CurrentUser, kHostRegistryKey);
  EXPECT_EQ(host_.HostDirectory(), "");
  EXPECT_EQ(LogText(), "");
}

TEST_F(HostIntegrationTest, NonTextValuesDoNotCount) {
  registry_.Create(RegistryHive::CurrentUser, kHostRegistryKey)->Write("ProgramDir", RegistryValue::Dword(7));
  EXPECT_EQ(host_.HostDirectory(), "");
  RegistryValue unterminated{platform::kRegString, {'/', 'x'}};
  registry_.Create(RegistryHive::CurrentUser, kHostRegistryKey)->Write("ProgramDir", unterminated);
  EXPECT_EQ(host_.HostDirectory(), "");
  RegistryValue expandable{platform::kRegExpandString, {'/', 'y', 0}};
  registry_.Create(RegistryHive::CurrentUser, kHostRegistryKey)->Write("ProgramDir", expandable);
  EXPECT_EQ(host_.HostDirectory(), "/y/");
}

TEST_F(HostIntegrationTest, JunkThresholdTable) {
  const struct {
    const char* ini;
    uint32_t expected;
    const char* logged;
  } rows[] = {
      {"Junk=1\nJunkScore=80\nDelete=1\nDeleteScore=95\n", 95, ""},
      {"Junk=1\nJunkScore=80\nDelete=0\nDeleteScore=95\n", 80, ""},
      {"Junk=1\nJunkScore=95\nDelete=1\nDeleteScore=80\n", 95, ""},
      {"Junk=0\nJunkScore=80\nDelete=1\nDeleteScore=95\n", 95, ""},
      {"JunkScore=80\n", 80,
       "The spam filtering is not activated. Enable it in the The Bat! preferences if you want to use it!\n"},
      {"[Antispam]\r\n  junkscore = 70 \r\njunk=1\r\n", 70, ""},
      {"Junk=1\nJunkScore=60\nJunkScore=75\n", 75, ""},
      {"Junk=1\n", 0, ""},
      {"", 0, "Can't get the spamscore from tbplugin.ini. May be you use Secure Bat!.\n"},
      // Lines are matched by their beginning: "Junkyard=3" switches Junk on.
      {"Junkyard=3\nDeleteScoreless\n", 0, ""},
  };
  for (const auto& row : rows) {
    WriteIni(row.ini);
    EXPECT_EQ(host_.JunkThreshold(), row.expected) << row.ini;
    log_.Close();
    EXPECT_EQ(ReadFileBytes(dir_.File("log.txt")), row.logged) << row.ini;
    log_.Open(dir_.File("log.txt"), true);
  }
}

TEST_F(HostIntegrationTest, NoWorkingDirectoryOrFileGivesZero) {
  EXPECT_EQ(host_.JunkThreshold(), 0u);
  SetHostValue("Working Directory", dir_.File("missing"));
  EXPECT_EQ(host_.JunkThreshold(), 0u);
  EXPECT_EQ(LogText(),
            "Can't get the spamscore from tbplugin.ini. May be you use Secure Bat!.\n"
            "Can't get the spamscore from tbplugin.ini. May be you use Secure Bat!.\n");
}

TEST_F(HostIntegrationTest, WorkingDirectoryExpandsAppDataAndIsTrimmed) {
  const std::string previous = platform::EnvironmentVariable("APPDATA").value_or("");
  platform::SetEnvironmentVariable("APPDATA", dir_.path());
  std::filesystem::create_directory(dir_.File("sub"));
  WriteFileBytes(dir_.File("sub/tbplugin.ini"), "Junk=1\nJunkScore=42\n");
  SetHostValue("Working Directory", " %APPDATA%/sub/ ");
  EXPECT_EQ(host_.JunkThreshold(), 42u);
  SetHostValue("Working Directory", "\t%APPDATA%/sub\r\n");
  EXPECT_EQ(host_.JunkThreshold(), 42u) << "the separator is added";
  platform::SetEnvironmentVariable("APPDATA", previous);
}

}  // namespace
}  // namespace trellisk
