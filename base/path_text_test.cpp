#include "base/path_text.h"

#include <gtest/gtest.h>

namespace trellisk {
namespace {

TEST(DirectoryOf, KeepsTheLastSeparator) {
  EXPECT_EQ(DirectoryOf("C:\\Bat\\filters.dat"), "C:\\Bat\\");
  EXPECT_EQ(DirectoryOf("/home/u/filters.dat"), "/home/u/");
  EXPECT_EQ(DirectoryOf("C:\\mixed/dir\\filters.dat"), "C:\\mixed/dir\\");
  EXPECT_EQ(DirectoryOf("filters.dat"), "");
  EXPECT_EQ(DirectoryOf("/"), "/");
  EXPECT_EQ(DirectoryOf(""), "");
}

}  // namespace
}  // namespace trellisk
