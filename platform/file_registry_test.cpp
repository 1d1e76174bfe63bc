#include "platform/file_registry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/regedit_format.h"
#include "platform/registry_test_printer.h"
#include "tests/support/temp_directory.h"

namespace trellisk::platform {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

constexpr RegistryHive kHklm = RegistryHive::LocalMachine;
constexpr char kMainKey[] = "Software\\Trellisk";

// HKEY_LOCAL_MACHINE.reg.corrupt-<unix time>
bool IsCorruptName(const std::string& name) {
  const std::string prefix = "HKEY_LOCAL_MACHINE.reg.corrupt-";
  const std::string time = name.substr(std::min(prefix.size(), name.size()));
  return name.starts_with(prefix) && time.size() >= 10 &&
         time.find_first_not_of("0123456789") == std::string::npos;
}

class FileRegistryTest : public ::testing::Test {
 protected:
  std::unique_ptr<FileRegistry> MakeRegistry() {
    return std::make_unique<FileRegistry>(directory_.path(), [this](const std::string& problem) {
      problems_.push_back(problem);
    });
  }
  std::string HivePath() const { return directory_.File("HKEY_LOCAL_MACHINE.reg"); }
  std::string HiveText() const { return ReadFileBytes(HivePath()); }
  void WriteHive(const std::string& text) const { WriteFileBytes(HivePath(), text); }

  bool Write(Registry& registry, std::string_view name, const RegistryValue& value) {
    const std::unique_ptr<RegistryKey> key = registry.Create(kHklm, kMainKey);
    return key && key->Write(name, value);
  }
  std::optional<RegistryValue> Read(Registry& registry, std::string_view name) {
    const std::unique_ptr<RegistryKey> key = registry.Open(kHklm, kMainKey);
    if (!key) return std::nullopt;
    return key->Read(name, 1 << 20);
  }

  // The files of the directory that hold set-aside damaged hives.
  std::vector<std::string> CorruptFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory_.path())) {
      const std::string name = entry.path().filename().string();
      if (name.find(".corrupt-") != std::string::npos) names.push_back(name);
    }
    return names;
  }

  testing::TempDirectory directory_;
  std::vector<std::string> problems_;
};

TEST_F(FileRegistryTest, WritesTheCanonicalHiveFile) {
  const auto registry = MakeRegistry();
  ASSERT_TRUE(Write(*registry, "SpamScore", RegistryValue::Dword(90)));
  ASSERT_TRUE(Write(*registry, "LogfilePath", RegistryValue::String("C:\\trellisk.log")));
  EXPECT_EQ(HiveText(),
            "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n\n[HKEY_LOCAL_MACHINE\\Software\\Trellisk]\n"
            "\"SpamScore\"=dword:0000005a\n\"LogfilePath\"=\"C:\\\\trellisk.log\"\n\n");
  EXPECT_EQ(registry->HivePath(kHklm), HivePath());
  EXPECT_FALSE(testing::FileExists(HivePath() + ".tmp"));
  EXPECT_TRUE(problems_.empty());
}

TEST_F(FileRegistryTest, EachHiveHasItsOwnFile) {
  const auto registry = MakeRegistry();
  ASSERT_NE(registry->Create(RegistryHive::CurrentUser, "Software\\RIT\\The Bat!"), nullptr);
  EXPECT_EQ(ReadFileBytes(directory_.File("HKEY_CURRENT_USER.reg")),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\RIT]\n\n"
            "[HKEY_CURRENT_USER\\Software\\RIT\\The Bat!]\n\n");
  EXPECT_FALSE(testing::FileExists(HivePath()));
}

TEST_F(FileRegistryTest, ValuesSurviveANewRegistryObject) {
  ASSERT_TRUE(Write(*MakeRegistry(), "DNSServerlist", RegistryValue::String("a.example,b.example")));
  EXPECT_EQ(Read(*MakeRegistry(), "dnsserverlist"), RegistryValue::String("a.example,b.example"));
}

TEST_F(FileRegistryTest, KeysKeepTheSpellingTheyWereCreatedWith) {
  const auto registry = MakeRegistry();
  ASSERT_NE(registry->Create(kHklm, "Software\\Trellisk"), nullptr);
  ASSERT_TRUE(registry->Create(kHklm, "SOFTWARE\\TRELLISK\\Statistics")->Write("DetectedSpam", RegistryValue::Dword(1)));
  EXPECT_NE(HiveText().find("[HKEY_LOCAL_MACHINE\\Software\\Trellisk\\Statistics]\n"), std::string::npos);
}

TEST_F(FileRegistryTest, ReadsSeeWritesOfOtherRegistryObjectsAtOnce) {
  const auto reader = MakeRegistry();
  const auto writer = MakeRegistry();
  ASSERT_TRUE(Write(*writer, "RunCount", RegistryValue::Dword(0)));
  const std::unique_ptr<RegistryKey> key = reader->Open(kHklm, kMainKey);
  ASSERT_NE(key, nullptr);
  // Same size, same second, possibly the same inode: only the content differs.
  for (uint32_t count = 1; count <= 50; ++count) {
    ASSERT_TRUE(Write(*writer, "RunCount", RegistryValue::Dword(count)));
    ASSERT_EQ(key->Read("RunCount", 4), RegistryValue::Dword(count));
  }
}

TEST_F(FileRegistryTest, ReadsSeeAFileEditedByHand) {
  const auto registry = MakeRegistry();
  ASSERT_TRUE(Write(*registry, "Language", RegistryValue::Dword(1)));
  ASSERT_EQ(Read(*registry, "Language"), RegistryValue::Dword(1));
  WriteHive("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Software\\Trellisk]\r\n\"Language\"=dword:00000002\r\n");
  EXPECT_EQ(Read(*registry, "Language"), RegistryValue::Dword(2));
}

TEST_F(FileRegistryTest, AnOldFileRewrittenInPlaceIsReadAgain) {
  WriteHive("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Trellisk]\n\"A\"=dword:00000001\n");
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  fs::last_write_time(HivePath(), old);
  const auto registry = MakeRegistry();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Read(*registry, "A"), RegistryValue::Dword(1));
  WriteHive("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Trellisk]\n\"A\"=dword:00000002\n");
  fs::last_write_time(HivePath(), old + std::chrono::seconds(1));
  EXPECT_EQ(Read(*registry, "A"), RegistryValue::Dword(2));
}

// Within one tick of a coarse file system clock a new file can look exactly
// like the cached one: same inode, size and modification time.
TEST_F(FileRegistryTest, AChangeWithinOneClockTickOfTheReadIsSeen) {
  WriteHive("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Trellisk]\n\"A\"=dword:00000001\n");
  const fs::file_time_type tick = fs::last_write_time(HivePath());
  const auto registry = MakeRegistry();
  ASSERT_EQ(Read(*registry, "A"), RegistryValue::Dword(1));
  WriteHive("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Trellisk]\n\"A\"=dword:00000002\n");
  fs::last_write_time(HivePath(), tick);
  EXPECT_EQ(Read(*registry, "A"), RegistryValue::Dword(2));
}

TEST_F(FileRegistryTest, AnUnchangedValueIsNotWrittenAgain) {
  const auto registry = MakeRegistry();
  ASSERT_TRUE(Write(*registry, "SaveDelay", RegistryValue::Dword(0)));
  struct stat before;
  ASSERT_EQ(::stat(HivePath().c_str(), &before), 0);
  ASSERT_TRUE(Write(*registry, "SAVEDELAY", RegistryValue::Dword(0)));
  ASSERT_NE(registry->Create(kHklm, kMainKey), nullptr);
  struct stat after;
  ASSERT_EQ(::stat(HivePath().c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
  ASSERT_TRUE(Write(*registry, "SaveDelay", RegistryValue{kRegBinary, {0, 0, 0, 0}}));
  ASSERT_EQ(::stat(HivePath().c_str(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino);
}

TEST_F(FileRegistryTest, ValuesWrittenTogetherMakeOneChangeOfTheFile) {
  const auto registry = MakeRegistry();
  const RegistryWrite writes[] = {
      {"Software\\A", "One", RegistryValue::Dword(1)},
      {"Software\\B\\C", "Two", RegistryValue::String("two")},
  };
  ASSERT_TRUE(registry->WriteValues(kHklm, writes));
  struct stat before;
  ASSERT_EQ(::stat(HivePath().c_str(), &before), 0);
  const auto read = MakeRegistry()->Open(kHklm, "Software\\B\\C");
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->Read("two", 64), RegistryValue::String("two"));
  ASSERT_TRUE(registry->WriteValues(kHklm, writes));
  struct stat after;
  ASSERT_EQ(::stat(HivePath().c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino) << "values the file holds already are not written again";
  const RegistryWrite unstorable[] = {{"Software\\A", "One", RegistryValue::Dword(5)}, {"Software\\\\", "x", {}}};
  EXPECT_FALSE(registry->WriteValues(kHklm, unstorable));
  EXPECT_EQ(MakeRegistry()->Open(kHklm, "Software\\A")->Read("One", 4), RegistryValue::Dword(5));
}

TEST_F(FileRegistryTest, AHiveThatIsNoRegularFileIsNeverRead) {
  fs::create_directories(directory_.path());
  ASSERT_EQ(::mkfifo(HivePath().c_str(), 0600), 0);
  const auto registry = MakeRegistry();
  EXPECT_EQ(registry->Open(kHklm, kMainKey), nullptr) << "returns at once instead of waiting for a writer";
  EXPECT_FALSE(Write(*registry, "A", RegistryValue::Dword(1)));
  EXPECT_TRUE(fs::is_fifo(HivePath())) << "and is never replaced";
}

TEST_F(FileRegistryTest, ReadingNeverCreatesTheDirectory) {
  const std::string missing = directory_.File("not/there");
  FileRegistry registry(missing, nullptr);
  EXPECT_EQ(registry.Open(kHklm, kMainKey), nullptr);
  EXPECT_FALSE(testing::FileExists(missing));
}

TEST_F(FileRegistryTest, TheFirstWriteCreatesThePrivateDirectory) {
  const std::string nested = directory_.File("config/trellisk");
  FileRegistry registry(nested, nullptr);
  ASSERT_TRUE(Write(registry, "RunCount", RegistryValue::Dword(1)));
  EXPECT_TRUE(testing::FileExists(nested + "/HKEY_LOCAL_MACHINE.reg"));
  struct stat info;
  ASSERT_EQ(::stat(nested.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(FileRegistryTest, AKeyLostFromTheFileFailsReadsAndComesBackOnWrite) {
  const auto registry = MakeRegistry();
  const std::unique_ptr<RegistryKey> key = registry->Create(kHklm, kMainKey);
  ASSERT_TRUE(key->Write("A", RegistryValue::Dword(1)));
  WriteHive("REGEDIT4\n");
  EXPECT_EQ(key->Read("A", 4), std::nullopt);
  ASSERT_TRUE(key->Write("B", RegistryValue::Dword(2)));
  EXPECT_EQ(Read(*registry, "B"), RegistryValue::Dword(2));
}

TEST_F(FileRegistryTest, AFailedWriteIsReportedOnceAndReturnsFalse) {
  WriteFileBytes(directory_.File("blocker"), "a file where the directory should be");
  FileRegistry registry(directory_.File("blocker/trellisk"), [this](const std::string& p) { problems_.push_back(p); });
  EXPECT_EQ(registry.Create(kHklm, kMainKey), nullptr);
  EXPECT_EQ(registry.Create(kHklm, kMainKey), nullptr);
  ASSERT_EQ(problems_.size(), 1u);
  EXPECT_NE(problems_[0].find("blocker/trellisk"), std::string::npos) << problems_[0];
}

TEST_F(FileRegistryTest, AFailedWriteLeavesTheFileAndTheCacheAsTheyWere) {
  const auto registry = MakeRegistry();
  ASSERT_TRUE(Write(*registry, "A", RegistryValue::Dword(1)));
  const std::string before = HiveText();
  // A directory in the place of the temporary file makes the write fail.
  fs::create_directory(HivePath() + ".tmp");
  EXPECT_FALSE(Write(*registry, "A", RegistryValue::Dword(2)));
  EXPECT_EQ(HiveText(), before);
  EXPECT_EQ(Read(*registry, "A"), RegistryValue::Dword(1));
  EXPECT_EQ(problems_.size(), 1u);
  fs::remove(HivePath() + ".tmp");
  EXPECT_TRUE(Write(*registry, "A", RegistryValue::Dword(3)));
  EXPECT_EQ(Read(*MakeRegistry(), "A"), RegistryValue::Dword(3));
}

struct DamagedHive {
  const char* behaviour;
  const char* text;
  const char* reason;
  bool keyKept = false;  // its section line parsed, so Software\Trellisk is there
  friend void PrintTo(const DamagedHive& c, std::ostream* out) { *out << c.behaviour; }
};

class FileRegistryDamage : public FileRegistryTest, public ::testing::WithParamInterface<DamagedHive> {
 protected:
  // Checks the one report and the set-aside copy; returns the copy's name.
  std::string ExpectSetAside() {
    const std::vector<std::string> corrupt = CorruptFiles();
    EXPECT_EQ(corrupt.size(), 1u);
    if (corrupt.size() != 1) return {};
    EXPECT_TRUE(IsCorruptName(corrupt[0])) << corrupt[0];
    EXPECT_EQ(ReadFileBytes(directory_.File(corrupt[0])), GetParam().text);
    EXPECT_EQ(problems_.size(), 1u);
    if (problems_.size() == 1) {
      EXPECT_EQ(problems_[0].find('\n'), std::string::npos);
      EXPECT_NE(problems_[0].find(HivePath() + " is damaged"), std::string::npos) << problems_[0];
      EXPECT_NE(problems_[0].find(GetParam().reason), std::string::npos) << problems_[0];
      EXPECT_NE(problems_[0].find(directory_.File(corrupt[0])), std::string::npos) << problems_[0];
    }
    return corrupt[0];
  }
};

TEST_P(FileRegistryDamage, AReadSetsTheFileAsideAndKeepsWhatParsed) {
  WriteHive(GetParam().text);
  const auto registry = MakeRegistry();
  EXPECT_EQ(registry->Open(kHklm, kMainKey) != nullptr, GetParam().keyKept);
  ExpectSetAside();
  EXPECT_TRUE(testing::FileExists(HivePath())) << "what parsed is the hive file at once";
  EXPECT_EQ(MakeRegistry()->Open(kHklm, kMainKey) != nullptr, GetParam().keyKept);
  EXPECT_EQ(problems_.size(), 1u);
}

TEST_F(FileRegistryTest, OneDamagedLineCostsOnlyItsOwnValue) {
  WriteHive("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Trellisk]\n\"A\"=dword:00000001\n\"B\"=hex:zz\n"
            "\"C\"=dword:00000003\n");
  const auto registry = MakeRegistry();
  EXPECT_EQ(Read(*registry, "A"), RegistryValue::Dword(1));
  EXPECT_EQ(Read(*registry, "B"), std::nullopt);
  EXPECT_EQ(Read(*registry, "C"), RegistryValue::Dword(3));
  ASSERT_EQ(problems_.size(), 1u);
  EXPECT_NE(problems_[0].find("(1 line skipped)"), std::string::npos) << problems_[0];
}

TEST_F(FileRegistryTest, KeysNestedTooDeeplyAreDropped) {
  std::string path = "HKEY_LOCAL_MACHINE\\Software\\Trellisk";
  for (int i = 0; i < 100; ++i) path += "\\k";
  WriteHive("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Trellisk]\n\"A\"=dword:00000001\n[" + path +
            "]\n\"Deep\"=dword:00000002\n");
  const auto registry = MakeRegistry();
  EXPECT_EQ(Read(*registry, "A"), RegistryValue::Dword(1));
  ASSERT_EQ(problems_.size(), 1u);
  EXPECT_NE(problems_[0].find("nested deeper than 64 levels"), std::string::npos) << problems_[0];
  EXPECT_EQ(HiveText().find("\\k\\k"), std::string::npos) << "the deep key is not written back";
}

TEST_P(FileRegistryDamage, TheNextWriteStartsAFreshValidHive) {
  WriteHive(GetParam().text);
  const auto registry = MakeRegistry();
  ASSERT_TRUE(Write(*registry, "RunCount", RegistryValue::Dword(1)));
  ExpectSetAside();
  EXPECT_EQ(HiveText(),
            "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n\n[HKEY_LOCAL_MACHINE\\Software\\Trellisk]\n"
            "\"RunCount\"=dword:00000001\n\n");
}

INSTANTIATE_TEST_SUITE_P(
    EveryKindOfDamage, FileRegistryDamage,
    ::testing::Values(
        DamagedHive{"GarbageFirstLine", "\x89PNG\r\n\x1a\n binary", "does not start with REGEDIT4"},
        DamagedHive{"EmptyFile", "", "does not start with REGEDIT4"},
        DamagedHive{"UnterminatedSection", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\n", "line 3: unterminated section"},
        DamagedHive{"BadHex", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Trellisk]\n\"A\"=hex:01,zz\n",
                    "line 3: malformed hex byte", true},
        DamagedHive{"TruncatedInAText", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Trellisk]\n\"DatabasePath\"=\"C:\\\\Ma",
                    "line 3: unterminated quoted text", true},
        DamagedHive{"TruncatedInAHexList",
                    "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Trellisk]\n\"A\"=hex:01,02,\\\n  03,04",
                    "line 3: hex list cut off at the end of the file", true}),
    [](const auto& info) { return std::string(info.param.behaviour); });

TEST_F(FileRegistryTest, DamageFoundTwiceInOneSecondKeepsBothCopies) {
  const auto registry = MakeRegistry();
  WriteHive("first damage");
  EXPECT_EQ(registry->Open(kHklm, "Software"), nullptr);
  WriteHive("second damage");
  EXPECT_EQ(registry->Open(kHklm, "Software"), nullptr);
  std::vector<std::string> contents;
  for (const std::string& name : CorruptFiles()) contents.push_back(ReadFileBytes(directory_.File(name)));
  std::sort(contents.begin(), contents.end());
  EXPECT_EQ(contents, (std::vector<std::string>{"first damage", "second damage"}));
  EXPECT_EQ(problems_.size(), 2u);
}

// Makes a directory append-only while it lives: files can be added to it
// but none renamed or removed, not even by root.
class AppendOnlyDirectory {
 public:
  explicit AppendOnlyDirectory(const std::string& path) : descriptor_(::open(path.c_str(), O_RDONLY | O_DIRECTORY)) {
    int flags = 0;
    if (descriptor_ < 0 || ::ioctl(descriptor_, FS_IOC_GETFLAGS, &flags) != 0) return;
    flags |= FS_APPEND_FL;
    set_ = ::ioctl(descriptor_, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ~AppendOnlyDirectory() {
    int flags = 0;
    if (set_ && ::ioctl(descriptor_, FS_IOC_GETFLAGS, &flags) == 0) {
      flags &= ~FS_APPEND_FL;
      ::ioctl(descriptor_, FS_IOC_SETFLAGS, &flags);
    }
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  bool set() const { return set_; }

 private:
  int descriptor_;
  bool set_ = false;
};

TEST_F(FileRegistryTest, ADamagedFileThatCannotBeMovedIsNeverOverwritten) {
  WriteHive("damaged");
  const auto registry = MakeRegistry();
  {
    const AppendOnlyDirectory appendOnly(directory_.path());
    if (!appendOnly.set()) GTEST_SKIP() << "this file system cannot make a directory append-only";
    EXPECT_EQ(registry->Open(kHklm, "Software"), nullptr);
    EXPECT_FALSE(Write(*registry, "A", RegistryValue::Dword(1)));
    EXPECT_EQ(registry->Open(kHklm, "Software"), nullptr);
    EXPECT_EQ(HiveText(), "damaged");
    ASSERT_EQ(problems_.size(), 1u);
    EXPECT_NE(problems_[0].find("is damaged (line 1: the file does not start with REGEDIT4) and was left as it is"),
              std::string::npos)
        << problems_[0];
  }
  ASSERT_TRUE(Write(*registry, "A", RegistryValue::Dword(1)));
  EXPECT_EQ(CorruptFiles().size(), 1u);
  EXPECT_EQ(Read(*MakeRegistry(), "A"), RegistryValue::Dword(1));
  EXPECT_EQ(problems_.size(), 2u);
}

// Each child writes its own values through a registry object made before
// the fork, so the children also share everything the object holds.
TEST_F(FileRegistryTest, TwoProcessesWritingAtOnceLoseNoValue) {
  constexpr int kValuesEach = 200;
  const auto registry = MakeRegistry();
  int start[2];
  ASSERT_EQ(::pipe(start), 0);
  std::vector<pid_t> children;
  for (const char* prefix : {"first", "second"}) {
    std::fflush(nullptr);  // so that the child holds no buffered output to repeat
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(start[1]);
      char go;
      (void)!::read(start[0], &go, 1);  // returns 0 when the parent closes the pipe
      bool allWritten = true;
      const std::unique_ptr<RegistryKey> key = registry->Create(kHklm, kMainKey);
      for (int i = 0; i < kValuesEach; ++i) {
        allWritten = key && key->Write(prefix + std::to_string(i), RegistryValue::Dword(static_cast<uint32_t>(i))) &&
                     allWritten;
      }
      ::_exit(allWritten ? 0 : 1);
    }
    children.push_back(child);
  }
  ::close(start[0]);
  ::close(start[1]);
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const std::unique_ptr<RegistryKey> key = MakeRegistry()->Open(kHklm, kMainKey);
  ASSERT_NE(key, nullptr);
  for (const char* prefix : {"first", "second"}) {
    for (int i = 0; i < kValuesEach; ++i) {
      EXPECT_EQ(key->Read(prefix + std::to_string(i), 4), RegistryValue::Dword(static_cast<uint32_t>(i))) << prefix << i;
    }
  }
  EXPECT_TRUE(problems_.empty());
  EXPECT_TRUE(CorruptFiles().empty());
}

// A blob whose bytes all tell the generation that wrote it: any mix of two
// files, or a cut-off one, shows.
RegistryValue GenerationBlob(uint32_t generation) {
  return RegistryValue{kRegBinary, std::vector<uint8_t>(3000, static_cast<uint8_t>(generation))};
}

TEST_F(FileRegistryTest, AReadWhileAnotherProcessWritesSeesAWholeHive) {
  constexpr uint32_t kGenerations = 150;
  ASSERT_TRUE(Write(*MakeRegistry(), "Blob", GenerationBlob(0)));
  std::fflush(nullptr);  // so that the child holds no buffered output to repeat
  const pid_t writer = ::fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    FileRegistry registry(directory_.path(), nullptr);
    bool allWritten = true;
    for (uint32_t generation = 1; generation <= kGenerations; ++generation) {
      allWritten = Write(registry, "Blob", GenerationBlob(generation)) && allWritten;
    }
    ::_exit(allWritten ? 0 : 1);
  }
  const auto reader = MakeRegistry();
  size_t reads = 0;
  int status = 0;
  bool running = true;
  while (running) {
    running = ::waitpid(writer, &status, WNOHANG) == 0;
    const RegeditParseResult file = ParseRegedit(HiveText(), kHklm);
    ASSERT_TRUE(file.ok()) << file.error;
    const std::optional<RegistryValue> blob = Read(*reader, "Blob");
    ASSERT_TRUE(blob.has_value());
    ASSERT_EQ(blob->data.size(), 3000u);
    ASSERT_EQ(*blob, GenerationBlob(blob->data[0]));
    ++reads;
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(Read(*reader, "Blob"), GenerationBlob(kGenerations));
  EXPECT_GT(reads, 1u);
  EXPECT_TRUE(problems_.empty());
}

// Sets an environment variable for one test and restores it afterwards.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

struct DirectoryCase {
  const char* behaviour;
  const char* registry;
  const char* configHome;
  const char* home;
  const char* expected;
  friend void PrintTo(const DirectoryCase& c, std::ostream* out) { *out << c.behaviour; }
};

class SystemRegistryDirectoryTest : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(SystemRegistryDirectoryTest, FollowsTheEnvironment) {
  const DirectoryCase& c = GetParam();
  ScopedVariable registry("TRELLISK_REGISTRY", c.registry);
  ScopedVariable configHome("XDG_CONFIG_HOME", c.configHome);
  ScopedVariable home("HOME", c.home);
  EXPECT_EQ(SystemRegistryDirectory(), std::optional<std::string>(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Resolution, SystemRegistryDirectoryTest,
    ::testing::Values(
        DirectoryCase{"RegistryVariableWins", "/srv/reg", "/cfg", "/home/u", "/srv/reg"},
        DirectoryCase{"RelativeRegistryVariableIsTaken", "reg", "/cfg", "/home/u", "reg"},
        DirectoryCase{"ThenXdgConfigHome", nullptr, "/cfg", "/home/u", "/cfg/trellisk"},
        DirectoryCase{"EmptyRegistryVariableIsUnset", "", "/cfg", "/home/u", "/cfg/trellisk"},
        DirectoryCase{"ThenHome", nullptr, nullptr, "/home/u", "/home/u/.config/trellisk"},
        DirectoryCase{"EmptyXdgConfigHomeIsUnset", nullptr, "", "/home/u", "/home/u/.config/trellisk"},
        DirectoryCase{"RelativeXdgConfigHomeIsIgnored", nullptr, "cfg", "/home/u", "/home/u/.config/trellisk"}),
    [](const auto& info) { return std::string(info.param.behaviour); });

TEST(SystemRegistryDirectory, WithoutHomeTheUsersHomeDirectoryServes) {
  ScopedVariable registry("TRELLISK_REGISTRY", nullptr);
  ScopedVariable configHome("XDG_CONFIG_HOME", nullptr);
  ScopedVariable home("HOME", nullptr);
  const std::optional<std::string> directory = SystemRegistryDirectory();
  ASSERT_TRUE(directory.has_value());
  EXPECT_EQ(directory->front(), '/');
  EXPECT_TRUE(directory->ends_with("/.config/trellisk")) << *directory;
}

TEST(OpenSystemRegistry, KeepsItsFilesInTheResolvedDirectory) {
  testing::TempDirectory directory;
  ScopedVariable variable("TRELLISK_REGISTRY", directory.File("registry").c_str());
  const std::unique_ptr<Registry> registry = OpenSystemRegistry(nullptr);
  ASSERT_TRUE(registry->Create(kHklm, kMainKey)->Write("Version", RegistryValue::String("v2.0.4")));
  EXPECT_NE(ReadFileBytes(directory.File("registry/HKEY_LOCAL_MACHINE.reg")).find("\"Version\"=\"v2.0.4\""),
            std::string::npos);
}

}  // namespace
}  // namespace trellisk::platform
