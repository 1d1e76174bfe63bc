#include "lists/black_whitelist.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "base/exception_report.h"
#include "base/text_format.h"
#include "base/text_line_end.h"
#include "lists/list_file_format.h"
#include "platform/limited_file.h"
#include "platform/line_reader.h"
#include "store/safe_file_replace.h"

namespace trellisk {
namespace {

using Lock = std::lock_guard<platform::RecursiveMutex>;

constexpr uint32_t kTableGrowStep = 1000;
constexpr uint32_t kTablePoolStep = 100000;
constexpr uint32_t kTableInitialSize = 1000;
// A larger list file is read only this far.
constexpr uint64_t kMaxListFileBytes = 16ull * 1024 * 1024;
// Changes a snapshot carries beside its settled group before a full build:
// the added entries are searched once more per check, and their group is
// rebuilt with every change.
constexpr size_t kMaxChangesSinceBuild = 256;

// Texts reach the lists as C strings: they end at their first 0 byte.
std::string_view BeforeZeroByte(std::string_view text) { return text.substr(0, text.find('\0')); }

bool IsListKind(uint32_t kind) { return kind >= kBlackText && kind <= kWhiteRegExp; }

}  // namespace

CBlackWhitelist::CBlackWhitelist(const ListOptions& options, Log& log, platform::FileSystem& files,
                                 const std::atomic<const TextSource*>& texts, platform::MessageBoxes& boxes)
    : log_(log), files_(files), texts_(texts), boxes_(boxes), options_(options),
      table_(kTableGrowStep, kTablePoolStep) {
  table_.Init(kTableInitialSize);
}

void CBlackWhitelist::SetOptions(const ListOptions& options) {
  Lock lock(mutex_);
  options_ = options;
}

const CBlackWhitelist::ListTraits& CBlackWhitelist::TraitsOf(ListIndex list) {
  static const ListTraits kTraits[] = {
      {kBlacklist, kBlackText, kBlackRegExp, &ListOptions::blacklistPath, kTextBlacklistLoaded, kTextBlacklistSaved,
       kTextBlacklistEmpty, kTextBlacklistLoadFailed, kTextBlacklistStoreFailed, kTextFalseRegExpBlacklist},
      {kWhitelist, kWhiteText, kWhiteRegExp, &ListOptions::whitelistPath, kTextWhitelistLoaded, kTextWhitelistSaved,
       kTextWhitelistEmpty, kTextWhitelistLoadFailed, kTextWhitelistStoreFailed, kTextFalseRegExpWhitelist},
  };
  return kTraits[list];
}

CBlackWhitelist::ListIndex CBlackWhitelist::ListOf(ListEntryKind kind) {
  return IsWhiteKind(kind) ? kWhiteIndex : kBlackIndex;
}

bool CBlackWhitelist::CheckBlackWhitelist(ListMatch& record, std::string_view text, bool reset) {
  return GuardedCall(log_, "CBlackWhitelist::CheckBlackWhitelist", false, [&] {
    text = BeforeZeroByte(text);
    if (text.empty()) return false;
    if (reset) {
      record.verdict = kNoDecision;
      record.matchedEntry.clear();
    }
    if (record.verdict == kWhitelisted) return true;
    const std::shared_ptr<const ListSnapshot> snapshot = CurrentSnapshot();
    if (snapshot->empty()) return true;
    SearchBudget budget = NewSearchBudget();
    const ListSnapshot::CheckNotes notes = snapshot->Check(record, text, budget);
    for (const ListEntry* entry : notes.outOfBudget) ReportOutOfBudget(*entry);
    if (!notes.invalid) return true;
    record.expressionNoticeShown = true;
    ShowExpressionNotice(*notes.invalid);
    return false;
  });
}

SearchBudget CBlackWhitelist::NewSearchBudget() {
  Lock lock(mutex_);
  return SearchBudget(options_.expressionSearchBudget, options_.expressionCheckBudget);
}

// Once per entry and load: the entry may be costly on every message.
void CBlackWhitelist::ReportOutOfBudget(const ListEntry& entry) {
  {
    Lock lock(mutex_);
    if (!outOfBudgetReported_.insert(entry.text).second) return;
  }
  log_.PlainLine(FormatText(log_.LoadText(kTextListExpressionOutOfBudget), {entry.text}));
}

std::shared_ptr<const ListSnapshot> CBlackWhitelist::CurrentSnapshot() {
  Lock lock(mutex_);
  if (snapshotCurrent_) return snapshot_;
  const ListSnapshot* previous = snapshot_.get();
  const auto compiledBefore = [previous](const std::string& text) {
    return previous ? previous->CompiledFor(text) : nullptr;
  };
  const size_t changes = addedSinceBuild_.size() + removedSinceBuild_.size();
  if (needsFullBuild_ || !previous || changes > kMaxChangesSinceBuild) {
    auto settled = std::make_shared<const ListEntryGroup>(AllEntries(), compiledBefore);
    snapshot_ = std::make_shared<const ListSnapshot>(std::move(settled), nullptr, std::vector<uint32_t>{});
    addedSinceBuild_.clear();
    removedSinceBuild_.clear();
    needsFullBuild_ = false;
    builtSlotCount_ = table_.slotCount();
  } else {
    std::shared_ptr<const ListEntryGroup> recent;
    if (!addedSinceBuild_.empty()) recent = std::make_shared<const ListEntryGroup>(addedSinceBuild_, compiledBefore);
    snapshot_ = std::make_shared<const ListSnapshot>(previous->settled(), std::move(recent), removedSinceBuild_);
  }
  snapshotCurrent_ = true;
  return snapshot_;
}

std::vector<ListEntry> CBlackWhitelist::AllEntries() {
  std::vector<ListEntry> entries;
  entries.reserve(table_.entryCount());
  std::string text;
  uint32_t kind = 0;
  uint32_t sequence = 0;
  for (uint32_t slot = 0; slot < table_.slotCount(); ++slot) {
    if (table_.GetAt(slot, text, kind, sequence)) entries.push_back({text, static_cast<ListEntryKind>(kind), slot});
  }
  return entries;
}

void CBlackWhitelist::ShowExpressionNotice(const ListEntry& entry) {
  const std::string caption = texts_.load()->Load(TraitsOf(ListOf(entry.kind)).falseExpression);
  boxes_.Show(caption, entry.text, platform::MessageBoxIcon::Error);
}

bool CBlackWhitelist::Add(std::string_view text, ListEntryKind kind, uint32_t sequence) {
  return GuardedCall(log_, "CBlackWhitelist::Add", false, [&] {
    Lock lock(mutex_);
    return AddLocked(text, kind, sequence);
  });
}

bool CBlackWhitelist::AddLocked(std::string_view text, ListEntryKind kind, uint32_t sequence) {
  text = BeforeZeroByte(text);
  if (text.empty() || !IsListKind(kind)) return false;
  uint32_t storedKind = 0;
  uint32_t storedSequence = 0;
  if (table_.Lookup(text, storedKind, storedSequence)) return false;
  if (!table_.Add(text, kind, sequence)) return false;
  NoteAdded(text, kind);
  const ListIndex list = ListOf(kind);
  ++lists_[list].count;
  MarkChanged(list);
  return true;
}

bool CBlackWhitelist::Remove(std::string_view text, ListEntryKind kind) {
  return GuardedCall(log_, "CBlackWhitelist::Remove", false, [&] {
    text = BeforeZeroByte(text);
    if (text.empty()) return false;
    Lock lock(mutex_);
    uint32_t storedKind = 0;
    uint32_t sequence = 0;
    uint32_t slot = 0;
    if (!table_.Lookup(text, storedKind, sequence) || storedKind != kind || !table_.FindSlot(text, slot)) return false;
    table_.Remove(text);
    NoteRemoved(slot);
    const ListIndex list = ListOf(kind);
    --lists_[list].count;
    MarkChanged(list);
    return true;
  });
}

// Slots stay where they are until the table grows (or is cleared), which
// moves every entry: then only a full build is right.
void CBlackWhitelist::NoteAdded(std::string_view text, ListEntryKind kind) {
  uint32_t slot = 0;
  if (table_.slotCount() != builtSlotCount_ || !table_.FindSlot(text, slot)) {
    needsFullBuild_ = true;
    return;
  }
  addedSinceBuild_.push_back({std::string(text), kind, slot});
}

// A removed slot is never used again before the table grows, so the slot
// names the entry.
void CBlackWhitelist::NoteRemoved(uint32_t slot) {
  const auto added = std::find_if(addedSinceBuild_.begin(), addedSinceBuild_.end(),
                                  [slot](const ListEntry& entry) { return entry.slot == slot; });
  if (added != addedSinceBuild_.end()) {
    addedSinceBuild_.erase(added);
  } else {
    removedSinceBuild_.push_back(slot);
  }
}

void CBlackWhitelist::MarkChanged(ListIndex list) {
  lists_[list].modified = true;
  snapshotCurrent_ = false;
}

void CBlackWhitelist::RemoveBlacklist() {
  GuardedCall(log_, "CBlackWhitelist::RemoveBlacklist", [&] {
    Lock lock(mutex_);
    RemoveListLocked(kBlackIndex);
    lists_[kBlackIndex].fileUnreadable = false;
  });
}

void CBlackWhitelist::RemoveWhitelist() {
  GuardedCall(log_, "CBlackWhitelist::RemoveWhitelist", [&] {
    Lock lock(mutex_);
    RemoveListLocked(kWhiteIndex);
    lists_[kWhiteIndex].fileUnreadable = false;
  });
}

void CBlackWhitelist::RemoveListLocked(ListIndex list) {
  const ListTraits& traits = TraitsOf(list);
  std::string text;
  uint32_t kind = 0;
  uint32_t sequence = 0;
  for (uint32_t slot = 0; slot < table_.slotCount(); ++slot) {
    if (!table_.GetAt(slot, text, kind, sequence)) continue;
    if (kind == traits.textKind || kind == traits.expressionKind) table_.Remove(text);
  }
  // Removal never frees pool bytes; once nothing is left, a fresh table
  // gives them back, so reloading the lists again and again does not grow it.
  if (table_.entryCount() == 0) table_.Clear();
  needsFullBuild_ = true;
  lists_[list].count = 0;
  MarkChanged(list);
}

uint32_t CBlackWhitelist::blackCount() {
  Lock lock(mutex_);
  return lists_[kBlackIndex].count;
}

uint32_t CBlackWhitelist::whiteCount() {
  Lock lock(mutex_);
  return lists_[kWhiteIndex].count;
}

uint32_t CBlackWhitelist::SlotCount() {
  Lock lock(mutex_);
  return table_.slotCount();
}

bool CBlackWhitelist::GetByIndex(uint32_t slot, std::string& text, ListEntryKind& kind, uint32_t& sequence) {
  return GuardedCall(log_, "CBlackWhitelist::GetByIndex", false, [&] {
    Lock lock(mutex_);
    std::string storedText;
    uint32_t storedKind = 0;
    uint32_t storedSequence = 0;
    if (!table_.GetAt(slot, storedText, storedKind, storedSequence)) return false;
    text = std::move(storedText);
    kind = static_cast<ListEntryKind>(storedKind);
    sequence = storedSequence;
    return true;
  });
}

void CBlackWhitelist::Load(ListSelection which) {
  GuardedCall(log_, "CBlackWhitelist::Load", [&] {
    Lock lock(mutex_);
    outOfBudgetReported_.clear();
    for (ListIndex list : {kBlackIndex, kWhiteIndex}) {
      if (which & TraitsOf(list).selection) LoadList(list);
    }
  });
}

void CBlackWhitelist::LoadList(ListIndex list) {
  const ListTraits& traits = TraitsOf(list);
  ListState& state = lists_[list];
  // Emptying marks the list changed again, so a loaded list is written back.
  state.modified = false;
  RemoveListLocked(list);
  state.fileUnreadable = false;
  const std::string path = options_.*traits.path;
  if (path.empty()) return;
  const std::unique_ptr<platform::ReadableFile> file = OpenStoredFile(files_, path);
  if (!file) {
    // A file that is there but cannot be read must survive the next save.
    state.fileUnreadable = StoredFileExists(files_, path);
    if (state.fileUnreadable) log_.TextLine(traits.loadFailed);
    return;
  }
  platform::LimitedFile limited(*file, kMaxListFileBytes);
  ReadListFile(limited, list);
  if (limited.exceeded()) {
    // What lies past the limit would be lost by the next save.
    state.fileUnreadable = true;
    const std::string megabytes = std::to_string(kMaxListFileBytes / (1024 * 1024));
    log_.PlainLine(FormatText(log_.LoadText(kTextStoreFileTooLarge), {path, megabytes}));
  }
  StatusLine(traits.loaded);
  if (state.count == 0) StatusLine(traits.empty);
}

void CBlackWhitelist::ReadListFile(platform::ReadableFile& file, ListIndex list) {
  const ListTraits& traits = TraitsOf(list);
  try {
    platform::LineReader reader(file);
    std::string_view line;
    uint32_t added = 0;
    while (reader.ReadLine(kListLineBuffer, line)) {
      const ListLine entry = ParseListLine(line);
      if (AddLocked(entry.text, entry.expression ? traits.expressionKind : traits.textKind, added)) ++added;
    }
  } catch (...) {
    log_.TextLine(traits.loadFailed);
  }
}

bool CBlackWhitelist::Save(ListSelection which) {
  return GuardedCall(log_, "CBlackWhitelist::Save", false, [&] {
    Lock lock(mutex_);
    return SaveLocked(which);
  });
}

bool CBlackWhitelist::MoveTo(ListSelection which, const ListOptions& options) {
  return GuardedCall(log_, "CBlackWhitelist::MoveTo", false, [&] {
    Lock lock(mutex_);
    if (!SaveLocked(which)) return false;
    options_ = options;
    for (ListIndex list : {kBlackIndex, kWhiteIndex}) {
      if (which & TraitsOf(list).selection) LoadList(list);
    }
    return true;
  });
}

bool CBlackWhitelist::SaveLocked(ListSelection which) {
  bool saved = true;
  for (ListIndex list : {kBlackIndex, kWhiteIndex}) {
    if ((which & TraitsOf(list).selection) && !SaveList(list)) saved = false;
  }
  return saved;
}

bool CBlackWhitelist::SaveList(ListIndex list) {
  const ListTraits& traits = TraitsOf(list);
  ListState& state = lists_[list];
  if (!state.modified) return true;
  const std::string path = options_.*traits.path;
  if (path.empty()) {
    state.modified = false;
    return true;
  }
  if (state.fileUnreadable) return false;
  bool replaced = false;
  try {
    const std::string text = ListText(list);
    const std::string content = WithTextLineEnds(KeepNewestLines(text, options_.maxSizeOfLists));
    // A list written back as its file holds it already (after loading, say)
    // leaves the file as it is.
    replaced = StoredFileHolds(files_, path, content) ||
               ReplaceStoredFile(files_, path, [&](platform::WritableFile& file) { return file.Append(content); });
  } catch (...) {
    replaced = false;
  }
  if (!replaced) {
    log_.TextLine(traits.storeFailed);
    return false;
  }
  state.modified = false;
  StatusLine(traits.saved);
  return true;
}

// The list's lines in ascending sequence; entries with equal numbers keep
// their slot order.
std::string CBlackWhitelist::ListText(ListIndex list) {
  const ListTraits& traits = TraitsOf(list);
  struct Line {
    uint32_t sequence;
    std::string text;
    bool expression;
  };
  std::vector<Line> lines;
  std::string text;
  uint32_t kind = 0;
  uint32_t sequence = 0;
  for (uint32_t slot = 0; slot < table_.slotCount(); ++slot) {
    if (!table_.GetAt(slot, text, kind, sequence)) continue;
    if (kind == traits.textKind || kind == traits.expressionKind) {
      lines.push_back({sequence, text, kind == traits.expressionKind});
    }
  }
  std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.sequence < b.sequence; });
  std::string content;
  for (const Line& line : lines) content += FormatListLine(line.text, line.expression);
  return content;
}

bool CBlackWhitelist::Close() {
  return GuardedCall(log_, "CBlackWhitelist::Close", false, [&] {
    Lock lock(mutex_);
    const bool saved = SaveLocked(kBothLists);
    table_.Clear();
    for (ListState& state : lists_) {
      state.count = 0;
      // The lists are gone, not changed: nothing may be written from now on.
      state.modified = false;
    }
    snapshot_.reset();
    snapshotCurrent_ = false;
    needsFullBuild_ = true;
    return saved;
  });
}

bool CBlackWhitelist::listsModified() {
  Lock lock(mutex_);
  return lists_[kBlackIndex].modified || lists_[kWhiteIndex].modified;
}

void CBlackWhitelist::StatusLine(TextId text) {
  if (options_.verbose) log_.TextLine(text);
}

}  // namespace trellisk
