#include "platform/zeroed_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace trellisk::platform {
namespace {

TEST(ZeroedBlock, GrowingKeepsTheBytesAndAddsZeroBytes) {
  ZeroedBlock block = ZeroedBlock::Allocate(1500);
  ASSERT_TRUE(block);
  EXPECT_TRUE(std::all_of(block.as<char>(), block.as<char>() + 1500, [](char c) { return c == 0; }));
  std::memset(block.as<char>(), 'x', 1500);
  for (const size_t size : {3000, 5000, 3 << 20}) {
    ASSERT_TRUE(block.Grow(size)) << size;
    EXPECT_EQ(block.size(), size);
    const char* bytes = block.as<char>();
    EXPECT_TRUE(std::all_of(bytes, bytes + 1500, [](char c) { return c == 'x'; })) << size;
    EXPECT_TRUE(std::all_of(bytes + 1500, bytes + size, [](char c) { return c == 0; })) << size;
  }
  ZeroedBlock moved = std::move(block);
  EXPECT_FALSE(block);
  EXPECT_EQ(moved.as<char>()[0], 'x');
}

}  // namespace
}  // namespace trellisk::platform
