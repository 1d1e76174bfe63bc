// Log is the plug-in's one log file. Decisions, status lines and error
// reports of every thread go here. Lines written directly appear at once;
// the lines of one scored message are collected in a message block under the
// message's key and written as one group when the block is flushed, so
// concurrent messages never mix their lines. Lines with a text number that
// are logged before the file is open wait in a queue of ten and are written
// when it opens. The file is reached through the file system it is given
// and written with the platform's line ends (text_line_end.h).
//
// The core owns the process-wide instance; tests make their own.
// Thread-safety: every operation takes the log's re-entrant mutex, which a
// caller may also hold around several calls (see Mutex()).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/log_block_key.h"
#include "base/text_id.h"
#include "platform/file_system.h"
#include "platform/sync.h"

namespace trellisk {

class TextSource;

class Log {
 public:
  using BlockKey = LogBlockKey;
  static constexpr size_t kPendingSlots = 10;

  // `texts` supplies the texts of queued text numbers and of the error
  // report; it must outlive the log or be replaced with SetTexts. The file
  // system must outlive the log.
  explicit Log(const TextSource* texts, platform::FileSystem& files = platform::DefaultFileSystem());
  ~Log();
  Log(const Log&) = delete;
  Log& operator=(const Log&) = delete;

  void SetTexts(const TextSource* texts);
  // The text with this number from the current text source.
  std::string LoadText(int textId);

  // Opens `path` for appending (or truncated), unless a file is open already;
  // then writes every queued text number as a plain line. Returns whether a
  // file was opened by this call.
  bool Open(const std::string& path, bool truncate);
  // Flushes and closes; the log counts as closed only when closing worked.
  bool Close();
  bool IsOpen();

  // Writes [timestamp] + text [+ "\n"]. While the file is closed, a non-zero
  // text number is queued and false returned.
  bool WriteLine(int textId, std::string_view text, bool timestamp, bool lineEnd);
  // A plain line: no timestamp, with line end.
  bool PlainLine(std::string_view text) { return WriteLine(kNoText, text, false, true); }
  // The numbered text as a plain line (status lines such as "Settings loaded...").
  bool TextLine(TextId textId);

  // Appends to the key's block, creating it with a leading "\n" when missing.
  bool AddToBlock(BlockKey key, std::string_view text, bool timestamp, bool lineEnd);
  // Writes the key's block as one line and removes it, then flushes the file.
  // False when the key has no block or the write failed.
  bool FlushBlock(BlockKey key);

  // The whole file, trimmed of blanks and line breaks at both ends; empty
  // when the file is not open.
  std::string ReadAll();
  // Keeps only the last `limit` bytes, from the first line start within
  // them; returns true when it cut.
  bool CutToSize(uint32_t limit);
  // Close, then open the same path truncated.
  bool ReopenTruncated();

  // The error report of the plug-in: text 184, a blank and `where`
  // ("CBayesDatabase::Load"), as a plain line. Never throws.
  void ReportException(std::string_view where) noexcept;

  // The log's re-entrant mutex, for callers that build a text from several
  // sources under it (the verbose word table).
  platform::RecursiveMutex& Mutex() { return mutex_; }

 private:
  struct Block {
    BlockKey key;
    std::string text;
  };

  // The file's size and its last `keepLast` bytes.
  struct FileBytes {
    uint64_t size = 0;
    std::string bytes;
  };
  bool WriteRaw(std::string_view text);
  FileBytes ReadFile(size_t keepLast);
  void Queue(int textId);
  void WritePending();
  Block* FindBlock(BlockKey key);

  platform::RecursiveMutex mutex_;
  const TextSource* texts_;
  platform::FileSystem& files_;
  std::unique_ptr<platform::WritableFile> file_;
  std::string path_;
  std::array<int, kPendingSlots> pending_{};
  std::vector<Block> blocks_;
};

}  // namespace trellisk
