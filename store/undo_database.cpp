#include "store/undo_database.h"

#include <string>

#include "base/exception_report.h"
#include "store/undo_file.h"

namespace trellisk {
namespace {

constexpr StoredTable::StatusTexts kStatusTexts{kTextUndoDatabaseUnreadable, kTextUndoDatabaseLoaded,
                                                kTextUndoDatabaseEmpty, kTextUndoDatabaseSaved,
                                                kTextUndoDatabaseStoreFailed};

}  // namespace

CUndo::CUndo(const UndoOptions& options, Log& log, platform::FileSystem& files, Clock now)
    : log_(log), options_(options), now_(std::move(now)),
      stored_(kUndoTableGrowStep, kUndoTablePoolStep, kStatusTexts, kMaxUndoFileBytes, log, files, now_) {}

void CUndo::SetOptions(const UndoOptions& options) {
  const auto lock = stored_.Lock();
  options_ = options;
}

bool CUndo::Add(std::string_view key, uint32_t kind, uint32_t time) {
  if (key.empty()) return false;
  return GuardedCall(log_, "CUndo::Add", false, [&] {
    const auto lock = stored_.Lock();
    return AddLocked(key, kind, time);
  });
}

bool CUndo::AddLocked(std::string_view key, uint32_t kind, uint32_t time) {
  if (key.empty()) return false;
  stored_.MarkModified();
  // A new record, not a sum: the old one goes first.
  stored_.table().Remove(key);
  return stored_.table().Add(key, kind, time);
}

bool CUndo::Find(std::string_view key, uint32_t& kind, uint32_t& time) {
  if (key.empty()) return false;
  return GuardedCall(log_, "CUndo::Find", false, [&] {
    const auto lock = stored_.Lock();
    uint32_t foundKind = 0;
    uint32_t foundTime = 0;
    if (!stored_.table().Lookup(key, foundKind, foundTime)) return false;
    kind = foundKind;
    time = foundTime;
    return true;
  });
}

bool CUndo::Remove(std::string_view key) {
  return GuardedCall(log_, "CUndo::Remove", false, [&] {
    const auto lock = stored_.Lock();
    if (!stored_.table().Remove(key)) return false;
    stored_.MarkModified();
    return true;
  });
}

bool CUndo::Clear() {
  return GuardedCall(log_, "CUndo::Clear", false, [&] {
    const auto lock = stored_.Lock();
    return stored_.Clear();
  });
}

bool CUndo::Compress(uint32_t maxAgeSeconds) {
  return GuardedCall(log_, "CUndo::Compress", false, [&] {
    const auto lock = stored_.Lock();
    CountedStringTable& table = stored_.table();
    std::string key;
    uint32_t kind = 0;
    uint32_t time = 0;
    for (uint32_t slot = 0; slot < table.slotCount(); ++slot) {
      if (!table.GetAt(slot, key, kind, time)) continue;
      // Without wrap-around: a time near 2^32 plus the age is not in the past.
      if (uint64_t{time} + maxAgeSeconds >= now_()) continue;
      stored_.MarkModified();
      table.Remove(key);
    }
    if (options_.verbose) log_.TextLine(kTextUndoDatabaseCompressed);
    return true;
  });
}

bool CUndo::Load() {
  return GuardedCall(log_, "CUndo::Load", false, [&] {
    const auto lock = stored_.Lock();
    if (options_.path.empty()) return false;
    TableImageWords none{};
    stored_.LoadImaged(
        options_.path, options_.verbose,
        [&](platform::ReadableFile& file, DamageReport& damage) {
          ReadUndoRecords(
              file, [&](const UndoRecord& record) { AddLocked(record.key, record.kind, record.time); }, damage);
        },
        none, /*imageOnLoad=*/false);
    // Loaded records count as changes, so a loaded store is written back
    // (aged on the way), whether it came from the file or from its image.
    if (stored_.table().entryCount() > 0) stored_.MarkModified();
    return true;
  });
}

bool CUndo::MoveTo(const UndoOptions& options) {
  return GuardedCall(log_, "CUndo::MoveTo", false, [&] {
    const auto lock = stored_.Lock();
    if (!Save() && !options_.path.empty()) return false;
    options_ = options;
    Load();
    return true;
  });
}

bool CUndo::Save() {
  return GuardedCall(log_, "CUndo::Save", false, [&] {
    const auto lock = stored_.Lock();
    if (!stored_.modified()) return true;
    if (options_.path.empty()) return false;
    // A table that the file does not give back as it is has no image.
    std::optional<TableImageWords> imageWords = TableImageWords{};
    return stored_.SaveImaged(
        options_.path, options_.verbose,
        [&](platform::WritableFile& file) {
          bool asIs = false;
          const bool written = WriteUndoRecords(file, stored_.table(), &asIs);
          if (!asIs) imageWords.reset();
          return written;
        },
        imageWords);
  });
}

uint32_t CUndo::EntryCount() {
  const auto lock = stored_.Lock();
  return stored_.table().entryCount();
}

bool CUndo::IsModified() {
  const auto lock = stored_.Lock();
  return stored_.modified();
}

}  // namespace trellisk
