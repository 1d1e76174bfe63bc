#include "plugin/text_copy.h"

#include <gtest/gtest.h>

#include <cstring>

namespace trellisk {
namespace {

TEST(CopyTextForHost, NullBufferOrNegativeSizeAsksForTheLength) {
  char buffer[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(CopyTextForHost("Trellisk", nullptr, 0), 8);
  EXPECT_EQ(CopyTextForHost("Trellisk", nullptr, 100), 8);
  EXPECT_EQ(CopyTextForHost("Trellisk", buffer, -1), 8);
  EXPECT_EQ(std::memcmp(buffer, "xxxx", 4), 0) << "nothing copied";
}

TEST(CopyTextForHost, CopiesAtMostSizeWithoutTerminator) {
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(CopyTextForHost("Trellisk", buffer, 3), 3);
  EXPECT_EQ(std::string(buffer, 4), "Tre#");
  EXPECT_EQ(CopyTextForHost("v2.0.4", buffer, 16), 6);
  EXPECT_EQ(std::string(buffer, 7), "v2.0.4#") << "no terminating zero";
}

TEST(CopyTextForHost, ZeroSizeCopiesNothing) {
  char buffer[2] = {'#', '#'};
  EXPECT_EQ(CopyTextForHost("v2.0.4", buffer, 0), 0);
  EXPECT_EQ(buffer[0], '#');
}

TEST(CopyTextForHost, EmptyTextGivesZero) {
  char buffer[2];
  EXPECT_EQ(CopyTextForHost("", buffer, 2), 0);
  EXPECT_EQ(CopyTextForHost("", nullptr, 0), 0);
}

}  // namespace
}  // namespace trellisk
