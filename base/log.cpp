#include "base/log.h"

#include <algorithm>
#include <mutex>

#include "base/ascii.h"
#include "base/text_source.h"
#include "platform/local_time.h"

namespace trellisk {

using Lock = std::lock_guard<platform::RecursiveMutex>;

Log::Log(const TextSource* texts) : texts_(texts) {}

Log::~Log() {
  if (file_) std::fclose(file_);
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
  // The file is read back (ReadAll, CutToSize) as well as appended to.
  file_ = std::fopen(path.c_str(), truncate ? "w+" : "a+");
  if (!file_) return false;
  path_ = path;
  WritePending();
  return true;
}

bool Log::Close() {
  Lock lock(mutex_);
  if (!file_) return false;
  std::fflush(file_);
  if (std::fclose(file_) != 0) return false;
  file_ = nullptr;
  return true;
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
    // The platform's stream flush hands each complete line to the OS, so it
    // survives a crash of the host; a commit to the disk per line would cap
    // scoring at the disk's sync rate.
    std::fflush(file_);
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
  std::fflush(file_);
  std::fseek(file_, 0, SEEK_END);
  const long length = std::ftell(file_);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length));
    std::fseek(file_, 0, SEEK_SET);
    text.resize(std::fread(text.data(), 1, text.size(), file_));
  }
  std::fseek(file_, 0, SEEK_END);
  return std::string(Trim(text));
}

bool Log::CutToSize(uint32_t limit) {
  Lock lock(mutex_);
  if (!file_ || limit == 0) return false;
  std::fflush(file_);
  std::fseek(file_, 0, SEEK_END);
  const long length = std::ftell(file_);
  if (length < 0 || static_cast<unsigned long>(length) <= limit) return false;
  std::string tail(limit, '\0');
  std::fseek(file_, length - static_cast<long>(limit), SEEK_SET);
  tail.resize(std::fread(tail.data(), 1, tail.size(), file_));
  std::fseek(file_, 0, SEEK_END);
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
  return std::fwrite(text.data(), 1, text.size(), file_) == text.size();
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
