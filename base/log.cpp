#include "base/log.h"

#include <algorithm>
#include <mutex>

#include "base/ascii.h"
#include "base/text_line_end.h"
#include "base/text_source.h"
#include "platform/local_time.h"

namespace trellisk {

using Lock = std::lock_guard<platform::RecursiveMutex>;

namespace {

constexpr size_t kReadPiece = 64 * 1024;

}  // namespace

Log::Log(const TextSource* texts, platform::FileSystem& files) : texts_(texts), files_(files) {}

Log::~Log() {
  if (file_) file_->Close();
}

void Log::SetTexts(const TextSource* texts) {
  Lock lock(mutex_);
  texts_ = texts;
}

std::string Log::LoadText(int textId) {
  Lock lock(mutex_);
  return texts_ ? texts_->Load(textId) : std::string();
}

bool Log::Open(const std::string& path, bool truncate) {
  Lock lock(mutex_);
  if (file_) return false;
  file_ = truncate ? files_.OpenForWriting(path) : files_.OpenForAppending(path);
  if (!file_) return false;
  path_ = path;
  WritePending();
  return true;
}

bool Log::Close() {
  Lock lock(mutex_);
  if (!file_) return false;
  const bool closed = file_->Close();
  file_.reset();
  return closed;
}

bool Log::IsOpen() {
  Lock lock(mutex_);
  return file_ != nullptr;
}

bool Log::WriteLine(int textId, std::string_view text, bool timestamp, bool lineEnd) {
  Lock lock(mutex_);
  if (!file_) {
    if (textId != kNoText) Queue(textId);
    return false;
  }
  bool written = true;
  if (timestamp) written = WriteRaw(platform::LocaleTimestamp()) && written;
  written = WriteRaw(text) && written;
  if (lineEnd) {
    written = WriteRaw("\n") && written;
    // Each complete line goes to the OS, so it survives a crash of the
    // host; a commit to the disk per line would cap scoring at the disk's
    // sync rate.
    file_->Flush();
  }
  return written;
}

bool Log::TextLine(TextId textId) { return WriteLine(textId, LoadText(textId), false, true); }

bool Log::AddToBlock(BlockKey key, std::string_view text, bool timestamp, bool lineEnd) {
  Lock lock(mutex_);
  Block* block = FindBlock(key);
  if (!block) {
    blocks_.push_back(Block{key, "\n"});
    block = &blocks_.back();
  }
  if (timestamp) block->text += platform::LocaleTimestamp();
  block->text += text;
  if (lineEnd) block->text += '\n';
  return true;
}

bool Log::FlushBlock(BlockKey key) {
  Lock lock(mutex_);
  bool written = false;
  if (Block* block = FindBlock(key)) {
    const std::string text = std::move(block->text);
    blocks_.erase(blocks_.begin() + (block - blocks_.data()));
    written = WriteLine(kNoText, text, false, true);
  }
  return written;
}

std::string Log::ReadAll() {
  Lock lock(mutex_);
  if (!file_) return {};
  file_->Flush();
  return std::string(Trim(WithoutTextLineEnds(ReadFile(std::string::npos).bytes)));
}

Log::FileBytes Log::ReadFile(size_t keepLast) {
  FileBytes file;
  const std::unique_ptr<platform::ReadableFile> reader = files_.OpenForReading(path_);
  if (!reader) return file;
  std::vector<char> piece(kReadPiece);
  while (const size_t count = reader->Read(piece.data(), piece.size())) {
    file.bytes.append(piece.data(), count);
    file.size += count;
    // Only the tail is kept, so a huge file costs no more than its tail.
    if (file.bytes.size() > keepLast && file.bytes.size() - keepLast > kReadPiece) {
      file.bytes.erase(0, file.bytes.size() - keepLast);
    }
  }
  if (file.bytes.size() > keepLast) file.bytes.erase(0, file.bytes.size() - keepLast);
  return file;
}

bool Log::CutToSize(uint32_t limit) {
  Lock lock(mutex_);
  if (!file_ || limit == 0) return false;
  file_->Flush();
  const FileBytes file = ReadFile(limit);
  if (file.size <= limit) return false;
  const std::string tail = WithoutTextLineEnds(file.bytes);
  const size_t firstLineEnd = tail.find('\n');
  const std::string kept =
      firstLineEnd == std::string::npos ? std::string() : std::string(Trim(std::string_view(tail).substr(firstLineEnd + 1)));
  if (!ReopenTruncated()) return false;
  return PlainLine(kept);
}

bool Log::ReopenTruncated() {
  Lock lock(mutex_);
  Close();
  return Open(path_, true);
}

void Log::ReportException(std::string_view where) noexcept {
  try {
    Lock lock(mutex_);
    std::string line = LoadText(kTextUnexpectedException);
    line += ' ';
    line += where;
    WriteLine(kTextUnexpectedException, line, false, true);
  } catch (...) {
    // Nothing is left to report the failure of the report to.
  }
}

bool Log::WriteRaw(std::string_view text) {
  if (kTextLineEnd == "\n") return file_->Append(text);
  return file_->Append(WithTextLineEnds(text));
}

void Log::Queue(int textId) {
  const auto slot = std::find(pending_.begin(), pending_.end(), kNoText);
  if (slot != pending_.end()) *slot = textId;
}

void Log::WritePending() {
  for (int& textId : pending_) {
    if (textId == kNoText) continue;
    const int queued = textId;
    textId = kNoText;
    WriteLine(queued, LoadText(queued), false, true);
  }
}

Log::Block* Log::FindBlock(BlockKey key) {
  const auto found = std::find_if(blocks_.begin(), blocks_.end(), [key](const Block& b) { return b.key == key; });
  return found == blocks_.end() ? nullptr : &*found;
}

}  // namespace trellisk
