// The system registry as the core uses it, on Windows: each test works in a
// key of its own under HKEY_CURRENT_USER\Software\TrelliskTest (and the same
// path under HKEY_LOCAL_MACHINE), deleted again afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/registry.h"
#include "platform/registry_test_printer.h"

namespace trellisk::platform {
namespace {

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = "Software\\TrelliskTest\\" + std::to_string(GetCurrentProcessId()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    DeleteTree();
  }
  void TearDown() override { DeleteTree(); }

  std::string Path(const std::string& below) const { return below.empty() ? root_ : root_ + "\\" + below; }
  std::unique_ptr<RegistryKey> Create(const std::string& below, RegistryHive hive = RegistryHive::CurrentUser) {
    return registry_->Create(hive, Path(below));
  }
  std::unique_ptr<RegistryKey> Open(const std::string& below, RegistryHive hive = RegistryHive::CurrentUser) {
    return registry_->Open(hive, Path(below));
  }
  // Writes through a newly created key and reads back through a newly opened one.
  std::optional<RegistryValue> WriteThenRead(const RegistryValue& value, size_t maxBytes) {
    EXPECT_TRUE(Create("Trellisk")->Write("Value", value));
    return Open("Trellisk")->Read("Value", maxBytes);
  }

  std::unique_ptr<Registry> registry_ = OpenSystemRegistry(nullptr);

 private:
  void DeleteTree() {
    RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, root_.c_str());
  }
  std::string root_;
};

TEST_F(Win32RegistryTest, OpenFailsForAMissingKey) {
  EXPECT_EQ(Open("Trellisk"), nullptr);
  ASSERT_NE(Create(""), nullptr);
  EXPECT_EQ(Open("Trellisk"), nullptr);
}

TEST_F(Win32RegistryTest, CreateMakesTheMissingParents) {
  ASSERT_NE(Create("Trellisk\\Statistics"), nullptr);
  EXPECT_NE(Open("Trellisk"), nullptr);
  EXPECT_NE(Open("Trellisk\\Statistics"), nullptr);
}

TEST_F(Win32RegistryTest, TheMachineHiveIsUsedForLocalMachineKeys) {
  ASSERT_TRUE(Create("Trellisk", RegistryHive::LocalMachine)->Write("RunCount", RegistryValue::Dword(7)));
  EXPECT_EQ(Open("Trellisk"), nullptr) << "not in the user's hive";
  EXPECT_EQ(Open("Trellisk", RegistryHive::LocalMachine)->Read("RunCount", 4), RegistryValue::Dword(7));
}

TEST_F(Win32RegistryTest, KeyAndValueNamesIgnoreCase) {
  ASSERT_TRUE(Create("Trellisk")->Write("SpamScore", RegistryValue::Dword(90)));
  const std::unique_ptr<RegistryKey> key = registry_->Open(RegistryHive::CurrentUser, Path("TRELLISK"));
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->Read("spamscore", 4), RegistryValue::Dword(90));
}

TEST_F(Win32RegistryTest, ValuesKeepTheirTypeAndBytes) {
  const std::vector<RegistryValue> values = {
      RegistryValue::Dword(0xA1B2C3D4),
      RegistryValue::String("C:\\Program Files\\The Bat!\\database.dat"),
      RegistryValue::String(""),
      RegistryValue{kRegExpandString, {'%', 'A', '%', 0}},
      RegistryValue{kRegBinary, {0, 1, 2, 0xFF}},
      RegistryValue{kRegBinary, {}},
  };
  for (const RegistryValue& value : values) EXPECT_EQ(WriteThenRead(value, 64), value);
}

TEST_F(Win32RegistryTest, ReadFailsForDataLongerThanMaxBytes) {
  const RegistryValue value = RegistryValue::String(std::string(260, 'p'));  // 261 bytes with the zero
  EXPECT_EQ(WriteThenRead(value, 260), std::nullopt);
  EXPECT_EQ(WriteThenRead(value, 261), value);
  EXPECT_EQ(WriteThenRead(RegistryValue::Dword(5), 3), std::nullopt);
}

TEST_F(Win32RegistryTest, AMissingValueCannotBeRead) {
  ASSERT_NE(Create("Trellisk"), nullptr);
  EXPECT_EQ(Open("Trellisk")->Read("Absent", 260), std::nullopt);
}

TEST_F(Win32RegistryTest, ALongListOfZonesIsReadWhole) {
  const RegistryValue zones = RegistryValue::String(std::string(65535, 'z'));
  EXPECT_EQ(WriteThenRead(zones, 65536), zones);
}

TEST_F(Win32RegistryTest, ThreadsWriteAndReadTheirOwnValues) {
  ASSERT_NE(Create("Trellisk"), nullptr);
  std::vector<std::thread> threads;
  for (uint32_t t = 0; t < 4; ++t) {
    threads.emplace_back([this, t] {
      const std::unique_ptr<RegistryKey> key = Open("Trellisk");
      const std::string name = "Value" + std::to_string(t);
      for (uint32_t n = 0; n < 50; ++n) {
        EXPECT_TRUE(key->Write(name, RegistryValue::Dword(n)));
        EXPECT_EQ(key->Read(name, 4), RegistryValue::Dword(n));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
}

}  // namespace
}  // namespace trellisk::platform
