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
#include <string>

#include "base/log.h"
#include "base/text_id.h"
#include "platform/file_system.h"
#include "platform/sync.h"
#include "store/counted_string_table.h"
#include "store/file_damage.h"

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

  // When there are unsaved changes, writes the table with `write` and puts
  // the new file in place of `path`. True when nothing was to be saved or
  // the new file is in place (the changes then count as saved); false, with
  // a log line, when the file must not be replaced or the write failed, and
  // the changes stay unsaved.
  bool Save(const std::string& path, bool verbose, const Writer& write);

 private:
  void ReadLimited(platform::ReadableFile& file, const std::string& openedPath, const Reader& read);
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
