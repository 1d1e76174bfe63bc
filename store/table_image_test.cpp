// The side image of a stored table: taken instead of the file only while it
// matches the file and is intact, rebuilt from the file otherwise, and never
// made of a table that the file would not give back as it is.
#include "store/table_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "base/log.h"
#include "base/text_source.h"
#include "platform/memory_file_system.h"
#include "store/safe_file_replace.h"
#include "store/stored_table.h"
#include "store/undo_file.h"

namespace trellisk {
namespace {

constexpr const char *kPath = "undo.dat";

// A stored table of undo records on files in memory; counts its file reads.
class TableImageTest : public ::testing::Test {
 public:
  std::unique_ptr<StoredTable> MakeStore() {
    return std::make_unique<StoredTable>(kUndoTableGrowStep, kUndoTablePoolStep, StoredTable::StatusTexts{},
                                         kMaxUndoFileBytes, log_, files_, [] { return 1'700'000'000u; });
  }
  // Loads into `store` and returns the words; counts whether the file was read.
  TableImageWords Load(StoredTable &store) {
    TableImageWords words{};
    store.LoadImaged(
        kPath, false,
        [&](platform::ReadableFile &file, DamageReport &damage) {
          ++fileReads_;
          ReadUndoRecords(
              file, [&](const UndoRecord &r) { store.table().Add(r.key, r.kind, r.time); }, damage);
          words = {7, 7, 7, 7};
        },
        words, /*imageOnLoad=*/true);
    return words;
  }
  bool Save(StoredTable &store, const TableImageWords &words) {
    store.MarkModified();
    std::optional<TableImageWords> imageWords = words;
    return store.SaveImaged(
        kPath, false,
        [&](platform::WritableFile &file) {
          bool asIs = false;
          const bool written = WriteUndoRecords(file, store.table(), &asIs);
          if (!asIs) imageWords.reset();
          return written;
        },
        imageWords);
  }
  // A saved store of `count` records, some removed again.
  std::unique_ptr<StoredTable> SavedStore(int count) {
    auto store = MakeStore();
    for (int i = 0; i < count; ++i) store->table().Add("id" + std::to_string(i), i % 4, 1000 + i);
    for (int i = 0; i < count; i += 7) store->table().Remove("id" + std::to_string(i));
    EXPECT_TRUE(Save(*store, {1, 2, 3, 4}));
    return store;
  }
  static bool SameTable(const CountedStringTable &a, const CountedStringTable &b) {
    const auto x = a.raw();
    const auto y = b.raw();
    return x.slotCount == y.slotCount && x.entryCount == y.entryCount && x.poolUsed == y.poolUsed &&
           x.primeIndex == y.primeIndex && a.RawSlots() == b.RawSlots() && a.RawPool() == b.RawPool();
  }
  std::string &ImageBytes() { return image_ = files_.File(TableImagePath(kPath)).value_or(""); }
  void StoreImage() { files_.SetFile(TableImagePath(kPath), image_); }

  BuiltinTexts texts_;
  platform::MemoryFileSystem files_;
  Log log_{&texts_, files_};
  int fileReads_ = 0;
  std::string image_;
};

TEST_F(TableImageTest, AReloadTakesTheImageAndGetsTheSavedTableWithoutItsDeletedSlots) {
  const auto saved = SavedStore(3000);
  EXPECT_EQ(saved->table().deletedSlotCount(), 0u) << "dropped before the image was made";
  const auto reloaded = MakeStore();
  EXPECT_EQ(Load(*reloaded), (TableImageWords{1, 2, 3, 4}));
  EXPECT_EQ(fileReads_, 0);
  EXPECT_TRUE(SameTable(saved->table(), reloaded->table()));
  uint32_t kind = 0, time = 0;
  EXPECT_TRUE(reloaded->table().Lookup("id1", kind, time));
  EXPECT_EQ(time, 1001u);
  EXPECT_FALSE(reloaded->modified());
}

TEST_F(TableImageTest, AnImageThatDoesNotMatchOrIsDamagedGivesWayToTheFileAndIsRebuilt) {
  struct Case {
    const char *what;
    void (*spoil)(TableImageTest &);
  };
  const Case cases[] = {
      {"file changed, same length",
       [](TableImageTest &t) {
         std::string text = *t.files_.File(kPath);
         text[2] = text[2] == 'd' ? 'x' : 'd';
         t.files_.SetFile(kPath, text);
       }},
      {"a pool byte flipped",
       [](TableImageTest &t) {
         t.ImageBytes().back() ^= 1;
         t.StoreImage();
       }},
      {"a slot byte flipped",
       [](TableImageTest &t) {
         t.ImageBytes()[65536 + 3] ^= 1;
         t.StoreImage();
       }},
      {"cut short",
       [](TableImageTest &t) {
         t.ImageBytes().resize(t.image_.size() - 1);
         t.StoreImage();
       }},
      {"header only",
       [](TableImageTest &t) {
         t.ImageBytes().resize(88);
         t.StoreImage();
       }},
      {"another byte order",
       [](TableImageTest &t) {
         std::string &image = t.ImageBytes();
         std::reverse(image.begin() + 8, image.begin() + 12);
         t.StoreImage();
       }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    files_.Remove(kPath);
    files_.Remove(TableImagePath(kPath));
    SavedStore(500);
    c.spoil(*this);
    const std::string text = *files_.File(kPath);
    fileReads_ = 0;
    const auto fromFile = MakeStore();
    EXPECT_EQ(Load(*fromFile), (TableImageWords{7, 7, 7, 7}));
    EXPECT_EQ(fileReads_, 1);
    const auto again = MakeStore();
    EXPECT_EQ(Load(*again), (TableImageWords{7, 7, 7, 7})) << "the image made from the file";
    EXPECT_EQ(fileReads_, 1);
    EXPECT_TRUE(SameTable(fromFile->table(), again->table()));
    EXPECT_EQ(*files_.File(kPath), text) << "loading never writes the file";
  }
}

TEST_F(TableImageTest, NoImageIsMadeOfATableTheFileDoesNotGiveBackOrOfADamagedFileOrItsBackup) {
  auto store = MakeStore();
  store->table().Add("id", 1, 2);
  store->table().Add(" padded", 1, 2);
  ASSERT_TRUE(Save(*store, {1, 2, 3, 4}));
  EXPECT_FALSE(files_.Exists(TableImagePath(kPath))) << "the reader trims the key";

  files_.SetFile(kPath, "id1\n1\n1100000000\nid2\n0\n");
  Load(*MakeStore());
  EXPECT_FALSE(files_.Exists(TableImagePath(kPath))) << "a record cut short";

  files_.Remove(kPath);
  files_.SetFile(BackupPathFor(kPath), "id1\n1\n1100000000\n");
  Load(*MakeStore());
  EXPECT_FALSE(files_.Exists(TableImagePath(kPath)));
}

}  // namespace
}  // namespace trellisk
