// Safe replacement of a store's data file. A store is written to its backup
// name (the path up to and including its last "." followed by "tmp"; a path
// without "." gives "tmp"), committed to the disk, and only then renamed over
// the data file in one atomic step. So there is never a moment without a
// complete data file: a crash or a failed write leaves the previous file as
// it was, and an incomplete backup file is removed.
//
// Loading falls back to the backup name when the data file cannot be opened,
// which also picks up data left there by older versions that deleted the
// data file before renaming.
//
// Free functions; they are as thread-safe as the FileSystem, but two saves
// of the same path must not run at once (each store saves under its lock).
#pragma once

#include <functional>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace trellisk {

std::string BackupPathFor(std::string_view path);

// The data file, or else its backup; null when neither can be opened.
// `openedPath`, when given, learns which of the two was opened.
std::unique_ptr<platform::ReadableFile> OpenStoredFile(platform::FileSystem& files, const std::string& path,
                                                       std::string* openedPath = nullptr);

// Copies the file at `path` to a new file beside it named `path` + `suffix`
// + `time` ("database.dat.corrupt-1765268000"; "-2", "-3" ... follow when
// that name is taken), committed to the disk. The copy's name, or nothing
// when it could not be made (a partial copy is removed).
std::optional<std::string> KeepCopyOf(platform::FileSystem& files, const std::string& path, std::string_view suffix,
                                      uint32_t time);

// True when the data file or its backup exists, whether or not it can be
// opened: a store that could not read such a file must not replace it.
bool StoredFileExists(platform::FileSystem& files, const std::string& path);
// Writes the new content with `write` (false when a write failed) and puts
// it in place of `path`. True only when the new file is in place; otherwise
// the file at `path` is untouched.

bool ReplaceStoredFile(platform::FileSystem& files, const std::string& path,
                       const std::function<bool(platform::WritableFile&)>& write);
// Whether the data file at `path` holds exactly `content`, so that a store
// whose text is built in memory need not rewrite an unchanged file.
bool StoredFileHolds(platform::FileSystem& files, const std::string& path, std::string_view content);

}  // namespace trellisk
