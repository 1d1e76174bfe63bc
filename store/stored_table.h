// StoredTable is the machinery that every store kept in a file of records
// shares: one CountedStringTable behind the store's re-entrant mutex, the
// flag of unsaved changes, and loading and saving the table through the
// safe file replacement (safe_file_replace.h) with the store's own file
// format.
//
// Nothing that could not be read is destroyed by a later save:
// - a data file that exists but cannot be opened is never replaced;
// - a file whose reader reports damage (file_damage.h) is copied aside as
//   "<file>.corrupt-<time>" first, with one log line naming the file, the
//   line and what was found there (when the copy fails, the file is never
//   replaced); the store goes on with what was read;
// - a backup file that holds data beside an empty or damaged data file is
//   copied aside as "<backup>.kept-<time>" before a save can replace it;
// - a file larger than the store's limit is read only that far, logged, and
//   never replaced.
// A failed save is logged.
//
// The owning store takes Lock() at the start of every public operation and
// calls everything else with the lock held. The table refers to the log and
// the file system, which must outlive it.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "base/log.h"
#include "base/text_id.h"
#include "platform/file_system.h"
#include "platform/sync.h"
#include "store/counted_string_table.h"
#include "store/file_damage.h"
#include "store/table_image.h"

namespace trellisk {

class StoredTable {
 public:
  // The status lines of one store; kNoText for none. The unreadable-file and
  // failed-save lines are always written, the others only when verbose.
  struct StatusTexts {
    TextId unreadable = kNoText;
    TextId loaded = kNoText;
    TextId empty = kNoText;
    TextId saved = kNoText;
    TextId saveFailed = kNoText;
  };
  using Clock = std::function<uint32_t()>;
  using Reader = std::function<void(platform::ReadableFile&, DamageReport&)>;
  using Writer = std::function<bool(platform::WritableFile&)>;

  // Starts with an empty table of about `growStep` slots. A file larger than
  // `maxFileBytes` is read only that far; `now` gives the time in the names
  // of kept files.
  StoredTable(uint32_t growStep, uint32_t poolStep, StatusTexts texts, uint64_t maxFileBytes, Log& log,
              platform::FileSystem& files, Clock now);
  StoredTable(const StoredTable&) = delete;
  StoredTable& operator=(const StoredTable&) = delete;

  [[nodiscard]] std::unique_lock<platform::RecursiveMutex> Lock() {
    return std::unique_lock<platform::RecursiveMutex>(mutex_);
  }

  CountedStringTable& table() { return table_; }
  bool modified() const { return modified_; }
  void MarkModified() { modified_ = true; }

  // Empties the table (about growStep slots again) and marks it modified.
  bool Clear();
  // Empties the table with nothing left unsaved.
  bool Reset();

  enum class LoadOutcome { kLoaded, kNoFile, kUnreadable };
  // Empties the table and clears the modified flag, then opens the data
  // file at `path` (or its backup) and hands it to `read`, which fills the
  // table, may mark records as changes and reports damage. kUnreadable when
  // a file exists but could not be opened.
  LoadOutcome Load(const std::string& path, bool verbose, const Reader& read);
  // Load for a table that is costly to build, with a side image of it
  // (table_image.h) beside the data file. When the image matches the data
  // file, the table and `words` come from it and `read` is not called.
  // Otherwise `read` fills both from the file, and when it read the data
  // file whole and sound and `imageOnLoad` is set, an image of what it gave
  // is written (for a store that is seldom saved).
  LoadOutcome LoadImaged(const std::string& path, bool verbose, const Reader& read, TableImageWords& words,
                         bool imageOnLoad);

  // When there are unsaved changes, writes the table with `write` and puts
  // the new file in place of `path`. True when nothing was to be saved or
  // the new file is in place (the changes then count as saved); false, with
  // a log line, when the file must not be replaced or the write failed, and
  // the changes stay unsaved.
  bool Save(const std::string& path, bool verbose, const Writer& write);
  // Save for a table loaded with LoadImaged: once the new file is in place,
  // the deleted slots of the table are dropped and the image beside the
  // file is rewritten with `words`; it is removed instead when there are no
  // words (a table that must not be taken up again as it is) or the slots
  // could not be dropped. `words` is read once the file is written, so the
  // writer can still withdraw them.
  bool SaveImaged(const std::string& path, bool verbose, const Writer& write,
                  const std::optional<TableImageWords>& words);

 private:
  LoadOutcome LoadWith(const std::string& path, bool verbose, const Reader& read, TableImageWords* words,
                       bool imageOnLoad);
  bool LoadImage(const std::string& path, TableImageWords& words);
  // Reads the opened file (the data file at `path` or its backup) and keeps
  // a backup beside the data file that the read could not stand for. True
  // when the file was read whole and without damage.
  bool ReadText(platform::ReadableFile& file, const std::string& openedPath, const std::string& path,
                const Reader& read);
  // True when the file was read whole and without damage.
  bool ReadLimited(platform::ReadableFile& file, const std::string& openedPath, const Reader& read);
  bool Replace(const std::string& path, bool verbose, const Writer& write);
  void KeepDamagedFile(const std::string& openedPath, const FileDamage& damage);
  void KeepBackupBeside(const std::string& path);
  void StatusLine(TextId text, bool verbose);

  const StatusTexts texts_;
  const uint64_t maxFileBytes_;
  Log& log_;
  platform::FileSystem& files_;
  const Clock now_;
  platform::RecursiveMutex mutex_;
  bool modified_ = false;
  // The last load left a file that must not be replaced.
  bool keepStoredFile_ = false;
  CountedStringTable table_;
};

}  // namespace trellisk
