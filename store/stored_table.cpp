#include "store/stored_table.h"

#include "base/ascii.h"
#include "base/text_format.h"
#include "platform/limited_file.h"
#include "store/hashed_file.h"
#include "store/safe_file_replace.h"

namespace trellisk {
namespace {

constexpr uint64_t kBytesPerMegabyte = 1024 * 1024;

// Whether the file holds anything but blanks.
bool HoldsData(platform::FileSystem& files, const std::string& path) {
  const std::unique_ptr<platform::ReadableFile> file = files.OpenForReading(path);
  if (!file) return false;
  char buffer[4096];
  while (const size_t count = file->Read(buffer, sizeof buffer)) {
    if (!Trim(std::string_view(buffer, count)).empty()) return true;
  }
  return false;
}

}  // namespace

StoredTable::StoredTable(uint32_t growStep, uint32_t poolStep, StatusTexts texts, uint64_t maxFileBytes, Log& log,
                         platform::FileSystem& files, Clock now)
    : texts_(texts), maxFileBytes_(maxFileBytes), log_(log), files_(files), now_(std::move(now)),
      table_(growStep, poolStep) {
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

StoredTable::LoadOutcome StoredTable::Load(const std::string& path, bool verbose, const Reader& read) {
  return LoadWith(path, verbose, read, nullptr, false);
}

StoredTable::LoadOutcome StoredTable::LoadImaged(const std::string& path, bool verbose, const Reader& read,
                                                 TableImageWords& words, bool imageOnLoad) {
  return LoadWith(path, verbose, read, &words, imageOnLoad);
}

StoredTable::LoadOutcome StoredTable::LoadWith(const std::string& path, bool verbose, const Reader& read,
                                               TableImageWords* words, bool imageOnLoad) {
  table_.Clear();
  modified_ = false;
  keepStoredFile_ = false;
  std::string openedPath;
  const auto file = OpenStoredFile(files_, path, &openedPath);
  if (!file) {
    // Saving the empty table over a file that exists but could not be read
    // would lose everything stored in it; such a file is left alone.
    keepStoredFile_ = StoredFileExists(files_, path);
    if (!keepStoredFile_) return LoadOutcome::kNoFile;
    if (texts_.unreadable != kNoText) log_.TextLine(texts_.unreadable);
    return LoadOutcome::kUnreadable;
  }
  // An image only ever stands for the data file itself, never its backup.
  const bool imaged = words != nullptr && openedPath == path;
  if (imaged && LoadImage(path, *words)) {
    if (table_.entryCount() == 0) KeepBackupBeside(path);
  } else if (imaged && imageOnLoad) {
    // The text is hashed as it is read, for the image made of it.
    HashedReader hashed(*file);
    if (ReadText(hashed, openedPath, path, read) && !keepStoredFile_) {
      WriteTableImage(files_, TableImagePath(path), hashed.TagOfWholeFile(), *words, table_);
    }
  } else {
    ReadText(*file, openedPath, path, read);
  }
  StatusLine(texts_.loaded, verbose);
  if (table_.entryCount() == 0) StatusLine(texts_.empty, verbose);
  return LoadOutcome::kLoaded;
}

// The image is taken only when it was made from exactly the bytes the data
// file holds now; the data file is hashed first (a read of the text, far
// cheaper than building the table from it).
bool StoredTable::LoadImage(const std::string& path, TableImageWords& words) {
  const std::string imagePath = TableImagePath(path);
  if (!files_.Exists(imagePath)) return false;
  const std::unique_ptr<platform::ReadableFile> text = files_.OpenForReading(path);
  if (!text) return false;
  platform::LimitedFile limited(*text, maxFileBytes_);
  HashedReader hashed(limited);
  const TextFileTag tag = hashed.TagOfWholeFile();
  return !limited.exceeded() && ReadTableImage(files_, imagePath, tag, words, table_);
}

bool StoredTable::ReadText(platform::ReadableFile& file, const std::string& openedPath, const std::string& path,
                           const Reader& read) {
  const bool whole = ReadLimited(file, openedPath, read);
  if (openedPath == path && (keepStoredFile_ || table_.entryCount() == 0)) KeepBackupBeside(path);
  return whole;
}

bool StoredTable::ReadLimited(platform::ReadableFile& file, const std::string& openedPath, const Reader& read) {
  platform::LimitedFile limited(file, maxFileBytes_);
  DamageReport damage;
  read(limited, damage);
  if (limited.exceeded()) {
    keepStoredFile_ = true;
    const std::string megabytes = std::to_string(maxFileBytes_ / kBytesPerMegabyte);
    log_.PlainLine(FormatText(log_.LoadText(kTextStoreFileTooLarge), {openedPath, megabytes}));
    return false;
  }
  if (!damage.first()) return true;
  KeepDamagedFile(openedPath, *damage.first());
  return false;
}

void StoredTable::KeepDamagedFile(const std::string& openedPath, const FileDamage& damage) {
  const std::string line = std::to_string(damage.line);
  const std::string what = log_.LoadText(damage.what);
  if (const std::optional<std::string> kept = KeepCopyOf(files_, openedPath, ".corrupt-", now_())) {
    log_.PlainLine(FormatText(log_.LoadText(kTextStoreFileDamaged), {openedPath, line, what, *kept}));
    return;
  }
  keepStoredFile_ = true;
  log_.PlainLine(FormatText(log_.LoadText(kTextStoreFileDamagedNotKept), {openedPath, line, what}));
}

// A backup beside the data file is what an interrupted save left, or an
// older complete save: the next save would write over it.
void StoredTable::KeepBackupBeside(const std::string& path) {
  const std::string backup = BackupPathFor(path);
  if (!HoldsData(files_, backup)) return;
  if (const std::optional<std::string> kept = KeepCopyOf(files_, backup, ".kept-", now_())) {
    log_.PlainLine(FormatText(log_.LoadText(kTextStoreBackupKept), {path, backup, *kept}));
    return;
  }
  keepStoredFile_ = true;
}

bool StoredTable::Save(const std::string& path, bool verbose, const Writer& write) {
  return !modified_ || Replace(path, verbose, write);
}

bool StoredTable::SaveImaged(const std::string& path, bool verbose, const Writer& write,
                             const std::optional<TableImageWords>& words) {
  if (!modified_) return true;
  TextFileTag tag;
  const bool saved = Replace(path, verbose, [&](platform::WritableFile& file) {
    HashedWriter hashed(file);
    const bool written = write(hashed);
    tag = hashed.tag();
    return written;
  });
  if (!saved) return false;
  // Deleted slots are never reused; a table rebuilt from the file has none.
  // An image that carried them over would let them pile up from start to
  // start, growing the table each time a probe runs into them, so they are
  // dropped first; when that fails, the next start rebuilds from the file.
  if (words && table_.DropDeletedSlots()) {
    WriteTableImage(files_, TableImagePath(path), tag, *words, table_);
  } else {
    files_.Remove(TableImagePath(path));
  }
  return true;
}

bool StoredTable::Replace(const std::string& path, bool verbose, const Writer& write) {
  if (keepStoredFile_ || path.empty() || !ReplaceStoredFile(files_, path, write)) {
    if (texts_.saveFailed != kNoText) log_.TextLine(texts_.saveFailed);
    return false;
  }
  StatusLine(texts_.saved, verbose);
  modified_ = false;
  return true;
}

void StoredTable::StatusLine(TextId text, bool verbose) {
  if (verbose && text != kNoText) log_.TextLine(text);
}

}  // namespace trellisk
