// CBayesDatabase holds what the plug-in has learned: for every word the
// number of learned spam and ham messages it occurred in, and the totals of
// learned spam and ham messages. The classifier reads it for every scored
// message, training writes it, start-up and shutdown load, compress and
// save it (to the file of its options' path, see word_database_file.h).
//
// Words are stored under their keys (word_key.h): long words by a hash.
// Length limits (MinWordLength) discount a two-byte type prefix such as "S*".
//
// The core owns the one process-wide instance; it refers to the log and the
// file system, which must outlive it, and keeps a copy of its options.
// Thread-safety: every operation may be called from any thread. Each takes
// the database's re-entrant mutex for its whole duration and reads the
// options under it, so SetOptions never takes effect in the middle of an
// operation. The message totals are atomic: training threads change them
// directly and the classifier reads them.
// Every operation reports an unexpected exception to the log as
// "CBayesDatabase::<operation>" and then returns its failure value.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <span>
#include <string_view>

#include "base/log.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "store/counted_string_table.h"
#include "store/stored_table.h"
#include "store/word_key.h"

namespace trellisk {

// What the word database takes from the settings (the owner fills every field).
struct WordDatabaseOptions {
  std::string path;  // DatabasePath
  WordKeyOptions keys;
  bool verbose = false;  // VerboseLogfile: status lines
};

class CBayesDatabase {
 public:
  using Clock = StoredTable::Clock;

  // Starts empty (Init). `now` gives the time in the names of kept files.
  CBayesDatabase(const WordDatabaseOptions& options, Log& log, platform::FileSystem& files,
                 Clock now = platform::CalendarTimeSeconds);
  CBayesDatabase(const CBayesDatabase&) = delete;
  CBayesDatabase& operator=(const CBayesDatabase&) = delete;

  // The options of every later operation. A new path is not loaded: the
  // next save writes there.
  void SetOptions(const WordDatabaseOptions& options);

  // A new empty table of 100003 slots; clears both totals and both flags.
  bool Init();
  // Replaces the content with the file's (or its backup's). False when
  // neither can be opened: the database is then empty and counts as modified.
  bool Load();
  // Writes the file when there are unsaved changes. False when the new file
  // could not be put in place; the old file is then untouched and the
  // changes stay unsaved.
  bool Save();
  // Save when modified, then Clear. False when that save failed.
  bool Close();
  // Moves the database to the file of `options`: saves what changed to the
  // old file, then takes the new options and loads the new file (with its
  // totals; none when it cannot be read), all under one lock. False, with
  // nothing changed, when that save failed.
  bool MoveTo(const WordDatabaseOptions& options);
  // Empties the table (100003 slots again) and marks it modified; the
  // message totals are kept.
  bool Clear();

  // Add amount to the word's spam (ham) count. A word shorter than
  // MinWordLength is ignored and reported as success. False for an empty key,
  // a zero amount, or a table that could not grow.
  bool AddSpam(std::string_view word, uint32_t amount);
  bool AddHam(std::string_view word, uint32_t amount);
  // AddSpam (spam amount) or AddHam (ham amount) for every word of a message
  // under one lock; false when some word could not be stored.
  bool AddAll(std::span<const std::string_view> words, uint32_t spam, uint32_t ham);
  // Subtract from the word's spam (ham) count, never below 0; a word whose
  // counts both reach 0 is removed. False when the word is unknown.
  bool RemoveSpam(std::string_view word, uint32_t amount);
  bool RemoveHam(std::string_view word, uint32_t amount);
  bool RemoveWord(std::string_view word);
  // The word's counts; false when it is unknown (then both are 0, except for
  // an empty word, which leaves them untouched).
  bool Find(std::string_view word, uint32_t& spam, uint32_t& ham);
  // Find for many words under one lock, with their table lookups batched:
  // results[i] is what Find(words[i]) gives (found, spam, ham). The
  // classifier looks up every word of a message this way.
  using WordCounts = CountedStringTable::LookupResult;
  void FindMany(std::span<const std::string_view> words, std::span<WordCounts> results);
  // Removes every entry seen fewer than `threshold` times in all, and every
  // entry whose key is shorter than MinWordLength. Later saves store the
  // size hint of a new table.
  bool Compress(uint32_t threshold);
  // The key a word is stored under.
  std::string ConvertString(std::string_view word);

  uint32_t SlotCount();
  uint32_t EntryCount();
  // Whether there are changes not yet saved.
  bool IsModified();

  // The message totals: read by the classifier, changed by training on several threads.
  std::atomic<uint32_t> spamMessages{0};
  std::atomic<uint32_t> hamMessages{0};

 private:
  WordKeyOptions KeyOptions();
  bool AddCounts(std::string_view word, uint32_t spam, uint32_t ham);
  bool DecreaseCounts(std::string_view word, uint32_t spam, uint32_t ham);
  bool SaveLocked();

  Log& log_;
  WordDatabaseOptions options_;
  StoredTable stored_;
  bool compressed_ = false;  // Compress removed entries since Init
};

}  // namespace trellisk
