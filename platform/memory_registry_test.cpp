#include "platform/memory_registry.h"

#include <gtest/gtest.h>

#include "platform/registry_test_printer.h"

namespace trellisk::platform {
namespace {

constexpr RegistryHive kHklm = RegistryHive::LocalMachine;

class MemoryRegistryFailures : public ::testing::Test {
 protected:
  std::unique_ptr<RegistryKey> Main() { return registry_.Create(kHklm, "Software\\Trellisk"); }

  MemoryRegistry registry_;
};

TEST_F(MemoryRegistryFailures, FailedWritesChangeNothing) {
  ASSERT_TRUE(Main()->Write("RunCount", RegistryValue::Dword(1)));
  registry_.SetFailWrites(true);
  EXPECT_FALSE(Main()->Write("RunCount", RegistryValue::Dword(2)));
  EXPECT_FALSE(Main()->Write("New", RegistryValue::Dword(3)));
  EXPECT_EQ(Main()->Read("RunCount", 4), RegistryValue::Dword(1));
  EXPECT_EQ(Main()->Read("New", 4), std::nullopt);
}

TEST_F(MemoryRegistryFailures, CreateFailsOnlyForKeysItWouldHaveToMake) {
  ASSERT_NE(Main(), nullptr);
  registry_.SetFailWrites(true);
  EXPECT_NE(Main(), nullptr);
  EXPECT_EQ(registry_.Create(kHklm, "Software\\Trellisk\\Statistics"), nullptr);
  EXPECT_EQ(registry_.Open(kHklm, "Software\\Trellisk\\Statistics"), nullptr);
}

TEST_F(MemoryRegistryFailures, WritesWorkAgainWhenTheFailureIsLifted) {
  registry_.SetFailWrites(true);
  EXPECT_EQ(Main(), nullptr);
  registry_.SetFailWrites(false);
  ASSERT_NE(Main(), nullptr);
  EXPECT_TRUE(Main()->Write("RunCount", RegistryValue::Dword(2)));
}

TEST_F(MemoryRegistryFailures, OneValueNameCanBeMadeToFail) {
  registry_.FailWritesOfValue("DetectedHam");
  EXPECT_TRUE(Main()->Write("DetectedSpam", RegistryValue::Dword(1)));
  EXPECT_FALSE(Main()->Write("DETECTEDHAM", RegistryValue::Dword(1)));
  EXPECT_FALSE(registry_.Create(kHklm, "Other")->Write("detectedham", RegistryValue::Dword(1)));
  EXPECT_TRUE(Main()->Write("FalsePositiv", RegistryValue::Dword(1)));
  EXPECT_EQ(Main()->Read("DetectedHam", 4), std::nullopt);
}

}  // namespace
}  // namespace trellisk::platform
