#include "platform/file_lock.h"

#include <gtest/gtest.h>

#include "tests/support/temp_directory.h"

namespace trellisk::platform {
namespace {

TEST(FileLock, TryAcquireFailsWhileAnotherHolderHasTheLock) {
  testing::TempDirectory dir;
  const std::string path = dir.File("trellisk.lock");
  std::string error;
  auto held = FileLock::TryAcquire(path, error);
  ASSERT_NE(held, nullptr) << error;
  EXPECT_EQ(FileLock::TryAcquire(path, error), nullptr) << "a second holder in the same process is refused";
  EXPECT_EQ(error, "") << "being held is no error";
  held.reset();
  EXPECT_NE(FileLock::TryAcquire(path, error), nullptr) << error;
  EXPECT_EQ(FileLock::TryAcquire(dir.File("missing/x.lock"), error), nullptr);
  EXPECT_NE(error, "");
}

}  // namespace
}  // namespace trellisk::platform
