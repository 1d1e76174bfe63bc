#include "store/stored_table.h"

#include "store/safe_file_replace.h"

namespace trellisk {

StoredTable::StoredTable(uint32_t growStep, uint32_t poolStep, StatusTexts texts, Log& log,
                         platform::FileSystem& files)
    : texts_(texts), log_(log), files_(files), table_(growStep, poolStep) {
  table_.Clear();
}

bool StoredTable::Clear() {
  modified_ = true;
  return table_.Clear();
}

bool StoredTable::Reset() {
  modified_ = false;
  return table_.Clear();
}

StoredTable::LoadOutcome StoredTable::Load(const std::string& path, bool verbose,
                                           const std::function<void(platform::ReadableFile&)>& read) {
  table_.Clear();
  modified_ = false;
  const auto file = OpenStoredFile(files_, path);
  // Saving the empty table over a file that exists but could not be read
  // would lose everything stored in it; such a file is left alone.
  storedFileUnreadable_ = !file && StoredFileExists(files_, path);
  if (storedFileUnreadable_) {
    if (texts_.unreadable != kNoText) log_.TextLine(texts_.unreadable);
    return LoadOutcome::kUnreadable;
  }
  if (!file) return LoadOutcome::kNoFile;
  read(*file);
  StatusLine(texts_.loaded, verbose);
  if (table_.entryCount() == 0) StatusLine(texts_.empty, verbose);
  return LoadOutcome::kLoaded;
}

bool StoredTable::Save(const std::string& path, bool verbose,
                       const std::function<bool(platform::WritableFile&)>& write) {
  if (!modified_) return true;
  if (storedFileUnreadable_) return false;
  if (!ReplaceStoredFile(files_, path, write)) return false;
  StatusLine(texts_.saved, verbose);
  modified_ = false;
  return true;
}

void StoredTable::StatusLine(TextId text, bool verbose) {
  if (verbose && text != kNoText) log_.TextLine(text);
}

}  // namespace trellisk
