#include "platform/zeroed_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/file_system.h"
#include "tests/support/temp_directory.h"

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

// A file whose part at 64 KiB is followed by other bytes in the same page,
// read as a block through the real file system (mapped on Linux).
class ZeroedBlockFromFile : public ::testing::Test {
 protected:
  static constexpr uint64_t kOffset = ZeroedBlock::kFileOffsetAlignment;
  ZeroedBlockFromFile() {
    std::string bytes(kOffset, 'h');
    bytes += std::string(5000, 'p') + std::string(300, 'q');
    testing::WriteFileBytes(path_, bytes);
  }
  ZeroedBlock Read(uint64_t offset, size_t fileBytes, size_t blockBytes) {
    return DefaultFileSystem().ReadBlock(path_, offset, fileBytes, blockBytes);
  }
  testing::TempDirectory directory_;
  const std::string path_ = directory_.File("image");
};

TEST_F(ZeroedBlockFromFile, HoldsThePartOfTheFileThenZerosAndKeepsItsWritesToItself) {
  ZeroedBlock block = Read(kOffset, 5000, 20000);
  ASSERT_TRUE(block);
  const char* bytes = block.as<char>();
  EXPECT_TRUE(std::all_of(bytes, bytes + 5000, [](char c) { return c == 'p'; }));
  EXPECT_TRUE(std::all_of(bytes + 5000, bytes + 20000, [](char c) { return c == 0; }))
      << "not the bytes after the part, though they share its last page";
  std::memset(block.as<char>(), 'w', 100);
  EXPECT_EQ(testing::ReadFileBytes(path_).substr(kOffset, 100), std::string(100, 'p'));
  ASSERT_TRUE(block.Grow(3 << 20));
  EXPECT_EQ(std::string(block.as<char>(), 101), std::string(100, 'w') + 'p');
  EXPECT_EQ(block.as<char>()[(3 << 20) - 1], 0);
}

TEST_F(ZeroedBlockFromFile, IsEmptyForAFileTooShortAnOffsetOutOfStepOrNoFile) {
  EXPECT_FALSE(Read(kOffset, 5301, 6000)) << "one byte past the end";
  EXPECT_TRUE(Read(kOffset, 5300, 6000));
  EXPECT_FALSE(Read(4096, 100, 100));
  EXPECT_FALSE(Read(kOffset, 200, 100)) << "more file bytes than the block holds";
  EXPECT_FALSE(DefaultFileSystem().ReadBlock(directory_.File("missing"), 0, 10, 10));
}

}  // namespace
}  // namespace trellisk::platform
