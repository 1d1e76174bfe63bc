// CBlackWhitelist holds the user's black list and white list of senders and
// tells whether a text contains anything one of them names. Each list is a
// text file (the paths of its options, list_file_format.h)
// loaded into one table keyed by the entry text, so a text is in one list
// only, as one kind; the table's first counter is the ListEntryKind, the
// second the entry's sequence, its position in its list's file.
//
// The core owns the one instance of a session; it refers to the log, the
// file system, the current text source and the message boxes, which must
// outlive it, and keeps a copy of its options, read under its mutex.
//
// Thread-safety: every operation may be called from any thread. Each takes
// the lists' mutex for its own duration only. A check works on an immutable
// snapshot of the lists (list_snapshot.h), made after a change by the first
// check that needs it: the entries of the last full build plus those added
// and removed since, until so many have changed that a full build pays. So a
// check never holds the mutex while it searches
// and never waits for the user: the invalid-expression notice is shown with
// the mutex released. An entry added or removed during a check may or may
// not count for it. Unexpected exceptions are reported to the log as
// "CBlackWhitelist::<operation>" and the operation returns its failure value.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/list_match.h"
#include "base/log.h"
#include "base/text_source.h"
#include "lists/list_entry_kind.h"
#include "lists/list_selection.h"
#include "lists/list_snapshot.h"
#include "lists/search_budget.h"
#include "lists/sender_lists.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/sync.h"
#include "store/counted_string_table.h"

namespace trellisk {

// What the lists take from the settings (the owner fills every field).
struct ListOptions {
  std::string blacklistPath;    // BlacklistPath
  std::string whitelistPath;    // WhitelistPath
  uint32_t maxSizeOfLists = 0;  // MaxSizeOfLists: bytes kept of each file
  bool verbose = false;         // VerboseLogfile: status lines
  // Characters one expression search, and all searches of one check, may
  // read (search_budget.h).
  uint64_t expressionSearchBudget = kExpressionSearchBudget;
  uint64_t expressionCheckBudget = kExpressionCheckBudget;
};

class CBlackWhitelist final : public SenderLists {
 public:
  // Starts with empty lists (a table of 1009 slots); Load fills them.
  CBlackWhitelist(const ListOptions& options, Log& log, platform::FileSystem& files,
                  const std::atomic<const TextSource*>& texts, platform::MessageBoxes& boxes);
  CBlackWhitelist(const CBlackWhitelist&) = delete;
  CBlackWhitelist& operator=(const CBlackWhitelist&) = delete;

  // The options of every later operation. New paths are not loaded: the
  // next save of a changed list writes there.
  void SetOptions(const ListOptions& options);

  // Searches `text` (up to its first 0 byte) for every entry. A white match
  // sets the verdict to white-listed and ends the check; a black match sets
  // it to black-listed, the last one in table slot order counting. With
  // `reset` the verdict is cleared first; a white verdict already in the
  // record stays without a search. The first expression entry that does not
  // compile is shown to the user once per record and ends that check with
  // the verdict found so far (false returned); later checks with the record
  // skip it. False also for an empty text, which changes nothing.
  bool CheckBlackWhitelist(ListMatch& record, std::string_view text, bool reset) override;

  // Inserts an entry unless the text is empty or in either list already.
  bool Add(std::string_view text, ListEntryKind kind, uint32_t sequence) override;
  // Removes the entry only when it is listed with exactly this kind.
  bool Remove(std::string_view text, ListEntryKind kind) override;
  uint32_t blackCount() override;
  uint32_t whiteCount() override;

  // Empty one list: the user replaces it, so its file will be written even
  // if it could not be read before.
  void RemoveBlacklist();
  void RemoveWhitelist();

  // Enumeration by table slot: walk slot = 0 .. SlotCount() - 1; false (the
  // outputs untouched) for an empty or deleted slot.
  uint32_t SlotCount();
  bool GetByIndex(uint32_t slot, std::string& text, ListEntryKind& kind, uint32_t& sequence);

  // Replaces the chosen lists (the black list first) by their files' entries,
  // read from the backup name when the file cannot be opened. A loaded list
  // counts as changed, so it is written back.
  void Load(ListSelection which);
  // Writes each chosen list that has changes to its file, safely replaced.
  // False when a list could not be written; its changes then stay unsaved
  // and its file as it was. A list whose existing file could not be read is
  // never written over (until the user replaces the whole list).
  bool Save(ListSelection which);
  // Moves the chosen list to the file of `options`: saves its changes to the
  // old file, then takes the new options and loads the new file, all under
  // the lists' lock. False, with nothing changed, when that save failed.
  bool MoveTo(ListSelection which, const ListOptions& options);
  // At shutdown: saves what has changed, then empties both lists. False when
  // a save failed.
  bool Close();
  // Whether either list has changes not yet saved.
  bool listsModified();

 private:
  enum ListIndex { kBlackIndex = 0, kWhiteIndex = 1 };

  // What differs between the two lists.
  struct ListTraits {
    ListSelection selection;
    ListEntryKind textKind;
    ListEntryKind expressionKind;
    std::string ListOptions::* path;
    TextId loaded, saved, empty, loadFailed, storeFailed, falseExpression;
  };
  struct ListState {
    uint32_t count = 0;
    bool modified = false;
    // The list file exists but Load could not open it: never replace it.
    bool fileUnreadable = false;
  };

  static const ListTraits& TraitsOf(ListIndex list);
  static ListIndex ListOf(ListEntryKind kind);

  bool AddLocked(std::string_view text, ListEntryKind kind, uint32_t sequence);
  void RemoveListLocked(ListIndex list);
  void MarkChanged(ListIndex list);
  void LoadList(ListIndex list);
  void ReadListFile(platform::ReadableFile& file, ListIndex list);
  bool SaveList(ListIndex list);
  std::string ListText(ListIndex list);
  bool SaveLocked(ListSelection which);
  void NoteAdded(std::string_view text, ListEntryKind kind);
  void NoteRemoved(uint32_t slot);
  std::shared_ptr<const ListSnapshot> CurrentSnapshot();
  std::vector<ListEntry> AllEntries();
  void ShowExpressionNotice(const ListEntry& entry);
  SearchBudget NewSearchBudget();
  void ReportOutOfBudget(const ListEntry& entry);
  void StatusLine(TextId text);

  Log& log_;
  platform::FileSystem& files_;
  const std::atomic<const TextSource*>& texts_;
  platform::MessageBoxes& boxes_;
  ListOptions options_;  // guarded by mutex_

  platform::RecursiveMutex mutex_;
  CountedStringTable table_;
  std::array<ListState, 2> lists_;
  // The snapshot of the table as it was when last made; stale after a change
  // (kept to build the next one from).
  std::shared_ptr<const ListSnapshot> snapshot_;
  bool snapshotCurrent_ = false;
  // Changes since the snapshot's settled group was built, and the table
  // size it was built for: its slots hold only while the table keeps it.
  std::vector<ListEntry> addedSinceBuild_;
  std::vector<uint32_t> removedSinceBuild_;
  bool needsFullBuild_ = true;
  uint32_t builtSlotCount_ = 0;
  // Entries logged since the last load for running out of search budget.
  std::set<std::string> outOfBudgetReported_;
};

}  // namespace trellisk
