#include "store/undo_database.h"

#include <mutex>
#include <string>

#include "platform/clock.h"
#include "plugin/exception_report.h"
#include "store/safe_file_replace.h"
#include "store/undo_file.h"

namespace trellisk {

using Lock = std::lock_guard<platform::RecursiveMutex>;

CUndo::CUndo(const Settings& settings, Log& log, platform::FileSystem& files, Clock now)
    : settings_(settings), log_(log), files_(files), now_(std::move(now)),
      table_(kUndoTableGrowStep, kUndoTablePoolStep) {
  table_.Init(kUndoTableInitialSize);
}

CUndo::Clock CUndo::DefaultClock() { return [] { return platform::CalendarTimeSeconds(); }; }

bool CUndo::Add(std::string_view key, uint32_t kind, uint32_t time) {
  if (key.empty()) return false;
  return GuardedCall(log_, "CUndo::Add", false, [&] {
    Lock lock(mutex_);
    return AddLocked(key, kind, time);
  });
}

bool CUndo::AddLocked(std::string_view key, uint32_t kind, uint32_t time) {
  if (key.empty()) return false;
  modified_ = true;
  // A new record, not a sum: the old one goes first.
  table_.Remove(key);
  return table_.Add(key, kind, time);
}

bool CUndo::Find(std::string_view key, uint32_t& kind, uint32_t& time) {
  if (key.empty()) return false;
  return GuardedCall(log_, "CUndo::Find", false, [&] {
    Lock lock(mutex_);
    uint32_t foundKind = 0;
    uint32_t foundTime = 0;
    if (!table_.Lookup(key, foundKind, foundTime)) return false;
    kind = foundKind;
    time = foundTime;
    return true;
  });
}

bool CUndo::Remove(std::string_view key) {
  return GuardedCall(log_, "CUndo::Remove", false, [&] {
    Lock lock(mutex_);
    if (!table_.Remove(key)) return false;
    modified_ = true;
    return true;
  });
}

bool CUndo::Clear() {
  return GuardedCall(log_, "CUndo::Clear", false, [&] {
    Lock lock(mutex_);
    modified_ = true;
    return table_.Clear();
  });
}

bool CUndo::Compress(uint32_t maxAgeSeconds) {
  return GuardedCall(log_, "CUndo::Compress", false, [&] {
    Lock lock(mutex_);
    std::string key;
    uint32_t kind = 0;
    uint32_t time = 0;
    for (uint32_t slot = 0; slot < table_.slotCount(); ++slot) {
      if (!table_.GetAt(slot, key, kind, time)) continue;
      // Without wrap-around: a time near 2^32 plus the age is not in the past.
      if (uint64_t{time} + maxAgeSeconds >= now_()) continue;
      modified_ = true;
      table_.Remove(key);
    }
    StatusLine(kTextUndoDatabaseCompressed);
    return true;
  });
}

bool CUndo::Load() {
  return GuardedCall(log_, "CUndo::Load", false, [&] {
    if (settings_.UndodataPath.empty()) return false;
    Lock lock(mutex_);
    table_.Clear();
    modified_ = false;
    const auto file = OpenStoredFile(files_, settings_.UndodataPath);
    // A file that exists but could not be read is never replaced.
    storedFileUnreadable_ = !file && StoredFileExists(files_, settings_.UndodataPath);
    if (storedFileUnreadable_) log_.TextLine(kTextUndoDatabaseUnreadable);
    if (!file) return true;
    // Loaded records count as changes, so a loaded store is written back.
    ReadUndoRecords(*file, [&](const UndoRecord& record) { AddLocked(record.key, record.kind, record.time); });
    StatusLine(kTextUndoDatabaseLoaded);
    if (table_.entryCount() == 0) StatusLine(kTextUndoDatabaseEmpty);
    return true;
  });
}

bool CUndo::Save() {
  return GuardedCall(log_, "CUndo::Save", false, [&] {
    Lock lock(mutex_);
    if (!modified_) return true;
    if (settings_.UndodataPath.empty() || storedFileUnreadable_) return false;
    const bool replaced = ReplaceStoredFile(files_, settings_.UndodataPath, [&](platform::WritableFile& file) {
      return WriteUndoRecords(file, table_);
    });
    if (!replaced) return false;
    StatusLine(kTextUndoDatabaseSaved);
    modified_ = false;
    return true;
  });
}

uint32_t CUndo::EntryCount() {
  Lock lock(mutex_);
  return table_.entryCount();
}

bool CUndo::IsModified() {
  Lock lock(mutex_);
  return modified_;
}

void CUndo::StatusLine(TextId text) {
  if (settings_.VerboseLogfile) log_.TextLine(text);
}

}  // namespace trellisk
