// CUndo remembers, per message, how the plug-in last dealt with it (an
// UndoKind, see undo_kind.h) and when, so that a later correction by the
// user can take back what was learned and a message is not learned twice.
// The key is the message identifier. The store lives in memory, is loaded
// at start-up, aged and saved at shutdown, in the file of its options' path
// (undo_file.h); an empty path keeps it in memory only.
//
// The core owns the one process-wide instance; it refers to the log and the
// file system, which must outlive it, and keeps a copy of its options. The
// clock gives the current time in seconds since 1970 (for Compress).
// Thread-safety: every operation may be called from any thread; each takes
// the store's re-entrant mutex for its whole duration and reads the options
// under it. Every operation
// reports an unexpected exception to the log as "CUndo::<operation>" and
// then returns its failure value.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include <string>

#include "base/log.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "store/stored_table.h"

namespace trellisk {

// What the undo database takes from the settings (the owner fills every field).
struct UndoOptions {
  std::string path;      // UndodataPath
  bool verbose = false;  // VerboseLogfile: status lines
};

class CUndo {
 public:
  using Clock = std::function<uint32_t()>;

  // Starts empty, with a table of 1009 slots.
  CUndo(const UndoOptions& options, Log& log, platform::FileSystem& files,
        Clock now = platform::CalendarTimeSeconds);
  CUndo(const CUndo&) = delete;
  CUndo& operator=(const CUndo&) = delete;

  // The options of every later operation. A new path is not loaded: the
  // next save writes there.
  void SetOptions(const UndoOptions& options);

  // Records (kind, time) for the key, replacing any earlier record. False
  // for an empty key.
  bool Add(std::string_view key, uint32_t kind, uint32_t time);
  // The key's record; false (outputs untouched) for an empty or unknown key.
  bool Find(std::string_view key, uint32_t& kind, uint32_t& time);
  bool Remove(std::string_view key);
  // Empties the store (1009 slots again) and marks it modified.
  bool Clear();
  // Removes every record older than maxAgeSeconds.
  bool Compress(uint32_t maxAgeSeconds);
  // Replaces the content with the file's (or its backup's); a missing file
  // gives an empty store. False only for an empty path.
  bool Load();
  // Writes the file when there are unsaved changes. False for an empty
  // path or when the new file could not be put in place (the old
  // file is then untouched and the changes stay unsaved).
  bool Save();
  // Moves the store to the file of `options`: saves what changed to the old
  // file, then takes the new options and loads the new file, all under one
  // lock. False, with nothing changed, when that save failed.
  bool MoveTo(const UndoOptions& options);

  uint32_t EntryCount();
  // Whether there are changes not yet saved.
  bool IsModified();

 private:
  bool AddLocked(std::string_view key, uint32_t kind, uint32_t time);

  Log& log_;
  UndoOptions options_;
  Clock now_;
  StoredTable stored_;
};

}  // namespace trellisk
