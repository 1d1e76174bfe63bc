#include "store/safe_file_replace.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_directory.h"

namespace trellisk {
namespace {

using testing::FileExists;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

TEST(BackupPath, IsThePathUpToItsLastDotFollowedByTmp) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"database.dat", "database.tmp"},
      {"C:\\Mail\\database.dat", "C:\\Mail\\database.tmp"},
      {"archive.tar.gz", "archive.tar.tmp"},
      {"dir.d/undo", "dir.tmp"},
      {"a.", "a.tmp"},
      {"noextension", "tmp"},
      {"", "tmp"},
  };
  for (const auto& [path, backup] : cases) EXPECT_EQ(BackupPathFor(path), backup) << path;
}

class SafeFileReplaceTest : public ::testing::Test {
 protected:
  bool Save(const std::string& content, bool writeSucceeds = true) {
    return ReplaceStoredFile(files_, path_, [&](platform::WritableFile& file) {
      return file.Append(content) && writeSucceeds;
    });
  }
  std::string ReadStored() {
    auto file = OpenStoredFile(files_, path_);
    if (!file) return "<none>";
    std::string content(4096, '\0');
    content.resize(file->Read(content.data(), content.size()));
    return content;
  }
  size_t FilesInDirectory() {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir_.path()), {}));
  }

  testing::TempDirectory dir_;
  platform::FileSystem& files_ = platform::DefaultFileSystem();
  std::string path_ = dir_.File("store.dat");
};

TEST_F(SafeFileReplaceTest, PutsTheNewContentInPlaceAndLeavesNoBackup) {
  WriteFileBytes(path_, "old");
  EXPECT_TRUE(Save("new"));
  EXPECT_EQ(ReadFileBytes(path_), "new");
  EXPECT_FALSE(FileExists(dir_.File("store.tmp")));
}

TEST_F(SafeFileReplaceTest, HoldsComparesTheWholeDataFile) {
  const std::string big(200000, 'x');
  EXPECT_FALSE(StoredFileHolds(files_, path_, "")) << "no file";
  WriteFileBytes(path_, big);
  EXPECT_TRUE(StoredFileHolds(files_, path_, big));
  EXPECT_FALSE(StoredFileHolds(files_, path_, big + "y"));
  EXPECT_FALSE(StoredFileHolds(files_, path_, big.substr(1)));
  EXPECT_FALSE(StoredFileHolds(files_, path_, "y" + big.substr(1)));
  WriteFileBytes(path_, "");
  EXPECT_TRUE(StoredFileHolds(files_, path_, ""));
}

TEST_F(SafeFileReplaceTest, AFailedWriteKeepsTheOldFileAndRemovesTheBackup) {
  WriteFileBytes(path_, "old");
  EXPECT_FALSE(Save("new", false));
  EXPECT_EQ(ReadFileBytes(path_), "old");
  EXPECT_EQ(FilesInDirectory(), 1u);
}

TEST_F(SafeFileReplaceTest, AnUnwritableBackupFails) {
  path_ = dir_.File("missing/store.dat");
  EXPECT_FALSE(Save("new"));
}

TEST_F(SafeFileReplaceTest, ADataFileNamedLikeItsBackupIsNotTruncatedByTheWrite) {
  path_ = dir_.File("store.tmp");
  WriteFileBytes(path_, "old");
  EXPECT_TRUE(Save("new"));
  EXPECT_EQ(ReadFileBytes(path_), "new");
  EXPECT_EQ(FilesInDirectory(), 1u);
}

TEST_F(SafeFileReplaceTest, ReadingFallsBackToTheBackupName) {
  EXPECT_EQ(ReadStored(), "<none>");
  WriteFileBytes(dir_.File("store.tmp"), "backup");
  EXPECT_EQ(ReadStored(), "backup");
  WriteFileBytes(path_, "data");
  EXPECT_EQ(ReadStored(), "data");
}

}  // namespace
}  // namespace trellisk
