// StoredTable is the machinery that every store kept in a file of records
// shares: one CountedStringTable behind the store's re-entrant mutex, the
// flag of unsaved changes, and loading and saving the table through the
// safe file replacement (safe_file_replace.h) with the store's own file
// format. A data file that exists but cannot be opened is remembered and
// never replaced by what the failed load left.
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

namespace trellisk {

class StoredTable {
 public:
  // The status lines of one store; kNoText for none. The unreadable-file
  // line is always written, the others only for a verbose store.
  struct StatusTexts {
    TextId unreadable = kNoText;
    TextId loaded = kNoText;
    TextId empty = kNoText;
    TextId saved = kNoText;
  };

  // Starts with an empty table of about `growStep` slots.
  StoredTable(uint32_t growStep, uint32_t poolStep, StatusTexts texts, Log& log, platform::FileSystem& files);
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
  // table and may mark records as changes. kUnreadable when a file exists
  // but could not be opened: later saves then refuse to replace it.
  LoadOutcome Load(const std::string& path, bool verbose, const std::function<void(platform::ReadableFile&)>& read);

  // When there are unsaved changes, writes the table with `write` and puts
  // the new file in place of `path`. True when nothing was to be saved or
  // the new file is in place (the changes then count as saved); false when
  // the last load found an unreadable file or the write failed, and the
  // changes stay unsaved.
  bool Save(const std::string& path, bool verbose, const std::function<bool(platform::WritableFile&)>& write);

 private:
  void StatusLine(TextId text, bool verbose);

  const StatusTexts texts_;
  Log& log_;
  platform::FileSystem& files_;
  platform::RecursiveMutex mutex_;
  bool modified_ = false;
  bool storedFileUnreadable_ = false;
  CountedStringTable table_;
};

}  // namespace trellisk
