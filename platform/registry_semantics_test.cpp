// The behaviour every Registry shares, checked on the in-memory registry and
// on the file registry alike.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_registry.h"
#include "platform/memory_registry.h"
#include "platform/registry_test_printer.h"
#include "tests/support/temp_directory.h"

namespace trellisk::platform {
namespace {

constexpr RegistryHive kHklm = RegistryHive::LocalMachine;
constexpr RegistryHive kHkcu = RegistryHive::CurrentUser;

struct Implementation {
  const char* name;
  std::function<std::unique_ptr<Registry>(const std::string& directory)> make;
  friend void PrintTo(const Implementation& i, std::ostream* out) { *out << i.name; }
};

class RegistrySemantics : public ::testing::TestWithParam<Implementation> {
 protected:
  void SetUp() override { registry_ = GetParam().make(directory_.path() + "/registry"); }

  std::unique_ptr<RegistryKey> Create(std::string_view path, RegistryHive hive = kHklm) {
    return registry_->Create(hive, path);
  }
  std::unique_ptr<RegistryKey> Open(std::string_view path, RegistryHive hive = kHklm) {
    return registry_->Open(hive, path);
  }
  // Writes through a newly created key and reads back through a newly opened one.
  std::optional<RegistryValue> WriteThenRead(const RegistryValue& value, size_t maxBytes) {
    EXPECT_TRUE(Create("Software\\Trellisk")->Write("Value", value));
    return Open("Software\\Trellisk")->Read("Value", maxBytes);
  }

  testing::TempDirectory directory_;
  std::unique_ptr<Registry> registry_;
};

TEST_P(RegistrySemantics, OpenFailsForAMissingKey) {
  EXPECT_EQ(Open("Software\\Trellisk"), nullptr);
  ASSERT_NE(Create("Software"), nullptr);
  EXPECT_EQ(Open("Software\\Trellisk"), nullptr);
}

TEST_P(RegistrySemantics, CreateMakesTheMissingParents) {
  ASSERT_NE(Create("Software\\Trellisk\\Statistics"), nullptr);
  EXPECT_NE(Open("Software"), nullptr);
  EXPECT_NE(Open("Software\\Trellisk"), nullptr);
  EXPECT_NE(Open("Software\\Trellisk\\Statistics"), nullptr);
}

TEST_P(RegistrySemantics, CreateOpensAnExistingKeyWithItsValues) {
  ASSERT_TRUE(Create("Software\\Trellisk")->Write("RunCount", RegistryValue::Dword(7)));
  EXPECT_EQ(Create("Software\\Trellisk")->Read("RunCount", 4), RegistryValue::Dword(7));
}

TEST_P(RegistrySemantics, KeyAndValueNamesIgnoreCase) {
  ASSERT_TRUE(Create("Software\\Trellisk")->Write("SpamScore", RegistryValue::Dword(90)));
  const std::unique_ptr<RegistryKey> key = Open("SOFTWARE\\trellisk");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->Read("spamscore", 4), RegistryValue::Dword(90));
  ASSERT_TRUE(key->Write("SPAMSCORE", RegistryValue::Dword(80)));
  EXPECT_EQ(Open("software\\TRELLISK")->Read("SpamScore", 4), RegistryValue::Dword(80));
}

TEST_P(RegistrySemantics, ReadFailsForDataLongerThanMaxBytes) {
  const RegistryValue value = RegistryValue::String(std::string(260, 'p'));  // 261 bytes with the zero
  EXPECT_EQ(WriteThenRead(value, 260), std::nullopt);
  EXPECT_EQ(WriteThenRead(value, 261), value);
}

TEST_P(RegistrySemantics, ReadFailsForAMissingValue) {
  ASSERT_NE(Create("Software\\Trellisk"), nullptr);
  EXPECT_EQ(Open("Software\\Trellisk")->Read("Missing", 65536), std::nullopt);
}

TEST_P(RegistrySemantics, EveryValueTypeComesBackByteForByte) {
  const std::vector<RegistryValue> values = {
      RegistryValue::String(""),
      RegistryValue::String("C:\\Program Files\\\"Mail\"\\"),
      RegistryValue::String("\xe4\xf6\xfc\x80\xff"),
      RegistryValue::String("two\r\nlines"),
      RegistryValue{kRegString, {'n', 'o', ' ', 'z', 'e', 'r', 'o'}},
      RegistryValue::Dword(0),
      RegistryValue::Dword(0xFFFFFFFF),
      RegistryValue{kRegDword, {1, 2}},
      RegistryValue{kRegExpandString, {'%', 'A', '%', 0}},
      RegistryValue{kRegBinary, {}},
      RegistryValue{kRegBinary, std::vector<uint8_t>(1000, 0xAB)},
      RegistryValue{kRegNone, {0}},
      RegistryValue{7, {'a', 0, 'b', 0, 0}},
  };
  for (const RegistryValue& value : values) EXPECT_EQ(WriteThenRead(value, 65536), value);
}

TEST_P(RegistrySemantics, TheDefaultValueHasTheEmptyName) {
  ASSERT_TRUE(Create("Software\\Trellisk")->Write("", RegistryValue::String("default")));
  EXPECT_EQ(Open("Software\\Trellisk")->Read("", 100), RegistryValue::String("default"));
}

TEST_P(RegistrySemantics, TheHivesAreSeparate) {
  ASSERT_TRUE(Create("Software\\Trellisk", kHklm)->Write("Where", RegistryValue::String("machine")));
  EXPECT_EQ(Open("Software\\Trellisk", kHkcu), nullptr);
  ASSERT_TRUE(Create("Software\\Trellisk", kHkcu)->Write("Where", RegistryValue::String("user")));
  EXPECT_EQ(Open("Software\\Trellisk", kHklm)->Read("Where", 100), RegistryValue::String("machine"));
  EXPECT_EQ(Open("Software\\Trellisk", kHkcu)->Read("Where", 100), RegistryValue::String("user"));
}

TEST_P(RegistrySemantics, MalformedPathsAreRefused) {
  for (const char* path : {"\\Software", "Software\\", "Software\\\\Trellisk", "Soft\nware"}) {
    EXPECT_EQ(Create(path), nullptr) << path;
    EXPECT_EQ(Open(path), nullptr) << path;
  }
}

TEST_P(RegistrySemantics, TheEmptyPathIsTheHiveItself) {
  ASSERT_NE(Create(""), nullptr);
  ASSERT_TRUE(Open("")->Write("Top", RegistryValue::Dword(1)));
  EXPECT_EQ(Open("")->Read("TOP", 4), RegistryValue::Dword(1));
}

TEST_P(RegistrySemantics, ValueNamesALineCannotCarryAreRefused) {
  const std::unique_ptr<RegistryKey> key = Create("Software\\Trellisk");
  EXPECT_FALSE(key->Write("two\nlines", RegistryValue::Dword(1)));
  EXPECT_FALSE(key->Write(std::string_view("nul\0", 4), RegistryValue::Dword(1)));
  EXPECT_TRUE(key->Write("tab\tand ; \"quotes\" = [ok]", RegistryValue::Dword(1)));
  EXPECT_EQ(key->Read("TAB\tAND ; \"QUOTES\" = [OK]", 4), RegistryValue::Dword(1));
}

TEST_P(RegistrySemantics, KeysOutliveTheRegistry) {
  std::unique_ptr<RegistryKey> key = Create("Software\\Trellisk");
  registry_.reset();
  ASSERT_TRUE(key->Write("Late", RegistryValue::Dword(5)));
  EXPECT_EQ(key->Read("Late", 4), RegistryValue::Dword(5));
}

TEST_P(RegistrySemantics, ThreadsWritingAtOnceLoseNothing) {
  constexpr int kThreads = 4;
  constexpr int kValuesEach = 25;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t] {
      const std::unique_ptr<RegistryKey> key = Create("Software\\Trellisk");
      for (int i = 0; i < kValuesEach; ++i) {
        const std::string name = "T" + std::to_string(t) + "V" + std::to_string(i);
        EXPECT_TRUE(key->Write(name, RegistryValue::Dword(static_cast<uint32_t>(i))));
        EXPECT_EQ(key->Read(name, 4), RegistryValue::Dword(static_cast<uint32_t>(i)));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  const std::unique_ptr<RegistryKey> key = Open("Software\\Trellisk");
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kValuesEach; ++i) {
      EXPECT_EQ(key->Read("t" + std::to_string(t) + "v" + std::to_string(i), 4),
                RegistryValue::Dword(static_cast<uint32_t>(i)));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    BothRegistries, RegistrySemantics,
    ::testing::Values(Implementation{"Memory", [](const std::string&) -> std::unique_ptr<Registry> {
                                       return std::make_unique<MemoryRegistry>();
                                     }},
                      Implementation{"File", [](const std::string& directory) -> std::unique_ptr<Registry> {
                                       return std::make_unique<FileRegistry>(directory, nullptr);
                                     }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace trellisk::platform
