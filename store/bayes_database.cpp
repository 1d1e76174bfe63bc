#include "store/bayes_database.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "plugin/exception_report.h"
#include "store/safe_file_replace.h"
#include "store/word_database_file.h"
#include "store/word_key.h"

namespace trellisk {

using Lock = std::lock_guard<platform::RecursiveMutex>;

CBayesDatabase::CBayesDatabase(const Settings& settings, Log& log, platform::FileSystem& files)
    : settings_(settings), log_(log), files_(files), table_(kWordTableGrowStep, kWordTablePoolStep) {
  Init();
}

bool CBayesDatabase::Init() {
  return GuardedCall(log_, "CBayesDatabase::Init", false, [&] {
    Lock lock(mutex_);
    modified_ = false;
    compressed_ = false;
    spamMessages = 0;
    hamMessages = 0;
    return table_.Init(kWordTableInitialSize);
  });
}

bool CBayesDatabase::Load() {
  return GuardedCall(log_, "CBayesDatabase::Load", false, [&] {
    Lock lock(mutex_);
    ClearLocked();
    const auto file = OpenStoredFile(files_, settings_.DatabasePath);
    // Saving the empty database over a file that exists but could not be
    // read would lose everything learned; such a file is left alone.
    storedFileUnreadable_ = !file && StoredFileExists(files_, settings_.DatabasePath);
    if (storedFileUnreadable_) log_.TextLine(kTextWordDatabaseUnreadable);
    if (!file) return false;
    const WordDatabaseHeader header = ReadWordDatabase(*file, table_);
    spamMessages = header.spamMessages;
    hamMessages = header.hamMessages;
    StatusLine(kTextWordDatabaseLoaded);
    if (table_.entryCount() == 0) StatusLine(kTextWordDatabaseEmpty);
    modified_ = false;
    return true;
  });
}

bool CBayesDatabase::Save() {
  return GuardedCall(log_, "CBayesDatabase::Save", false, [&] {
    Lock lock(mutex_);
    return SaveLocked();
  });
}

bool CBayesDatabase::SaveLocked() {
  if (!modified_) return true;
  if (storedFileUnreadable_) return false;
  const WordDatabaseHeader header{compressed_ ? kCompressedSizeHint : table_.slotCount(), spamMessages,
                                  hamMessages};
  const bool replaced = ReplaceStoredFile(files_, settings_.DatabasePath, [&](platform::WritableFile& file) {
    return WriteWordDatabase(file, header, table_);
  });
  if (!replaced) return false;
  StatusLine(kTextWordDatabaseSaved);
  modified_ = false;
  return true;
}

bool CBayesDatabase::Close() {
  return GuardedCall(log_, "CBayesDatabase::Close", false, [&] {
    Lock lock(mutex_);
    const bool saved = SaveLocked();
    ClearLocked();
    return saved;
  });
}

bool CBayesDatabase::Clear() {
  return GuardedCall(log_, "CBayesDatabase::Clear", false, [&] {
    Lock lock(mutex_);
    return ClearLocked();
  });
}

bool CBayesDatabase::ClearLocked() {
  modified_ = true;
  return table_.Init(kWordTableInitialSize);
}

bool CBayesDatabase::AddSpam(std::string_view word, uint32_t amount) {
  return GuardedCall(log_, "CBayesDatabase::AddSpam", false, [&] { return AddCounts(word, amount, 0); });
}

bool CBayesDatabase::AddHam(std::string_view word, uint32_t amount) {
  return GuardedCall(log_, "CBayesDatabase::AddHam", false, [&] { return AddCounts(word, 0, amount); });
}

bool CBayesDatabase::AddCounts(std::string_view word, uint32_t spam, uint32_t ham) {
  if (EffectiveWordLength(word) < settings_.MinWordLength) return true;
  Lock lock(mutex_);
  WordKeyBuffer buffer;
  const std::string_view key = WordKey(word, settings_.StringToHashLimit, buffer);
  if (key.empty() || (spam == 0 && ham == 0)) return false;
  if (!table_.Add(key, spam, ham)) return false;
  modified_ = true;
  return true;
}

bool CBayesDatabase::AddAll(std::span<const std::string_view> words, uint32_t spam, uint32_t ham) {
  const char* where = spam != 0 ? "CBayesDatabase::AddSpam" : "CBayesDatabase::AddHam";
  return GuardedCall(log_, where, false, [&] {
    if (spam == 0 && ham == 0) return words.empty();
    constexpr size_t kAhead = 16;
    // Hashed keys live here; reserved up front, so views of them stay valid.
    std::vector<std::string> hashedKeys;
    hashedKeys.reserve(words.size());
    std::vector<std::string_view> keys;
    keys.reserve(words.size());
    for (std::string_view word : words) {
      if (EffectiveWordLength(word) < settings_.MinWordLength) continue;
      WordKeyBuffer buffer;
      std::string_view key = WordKey(word, settings_.StringToHashLimit, buffer);
      if (key.data() == buffer.digits) key = hashedKeys.emplace_back(key);
      keys.push_back(key);
    }
    bool stored = true;
    Lock lock(mutex_);
    for (size_t i = 0; i < keys.size(); ++i) {
      if (i + kAhead < keys.size()) table_.Prefetch(keys[i + kAhead]);
      if (keys[i].empty() || !table_.Add(keys[i], spam, ham)) {
        stored = false;
        continue;
      }
      modified_ = true;
    }
    return stored;
  });
}

bool CBayesDatabase::RemoveSpam(std::string_view word, uint32_t amount) {
  return GuardedCall(log_, "CBayesDatabase::RemoveSpam", false, [&] { return DecreaseCounts(word, amount, 0); });
}

bool CBayesDatabase::RemoveHam(std::string_view word, uint32_t amount) {
  return GuardedCall(log_, "CBayesDatabase::RemoveHam", false, [&] { return DecreaseCounts(word, 0, amount); });
}

bool CBayesDatabase::DecreaseCounts(std::string_view word, uint32_t spam, uint32_t ham) {
  Lock lock(mutex_);
  WordKeyBuffer buffer;
  const std::string_view key = WordKey(word, settings_.StringToHashLimit, buffer);
  if (key.empty() || (spam == 0 && ham == 0)) return false;
  if (!table_.Decrease(key, spam, ham)) return false;
  modified_ = true;
  return true;
}

bool CBayesDatabase::RemoveWord(std::string_view word) {
  return GuardedCall(log_, "CBayesDatabase::RemoveWord", false, [&] {
    Lock lock(mutex_);
    WordKeyBuffer buffer;
    const std::string_view key = WordKey(word, settings_.StringToHashLimit, buffer);
    if (key.empty() || !table_.Remove(key)) return false;
    modified_ = true;
    return true;
  });
}

bool CBayesDatabase::Find(std::string_view word, uint32_t& spam, uint32_t& ham) {
  if (word.empty()) return false;
  return GuardedCall(log_, "CBayesDatabase::Find", false, [&] {
    Lock lock(mutex_);
    spam = 0;
    ham = 0;
    WordKeyBuffer buffer;
    return table_.Lookup(WordKey(word, settings_.StringToHashLimit, buffer), spam, ham);
  });
}

void CBayesDatabase::FindMany(std::span<const std::string_view> words, std::span<WordCounts> results) {
  GuardedCall(log_, "CBayesDatabase::Find", [&] {
    constexpr size_t kChunk = 64;
    WordKeyBuffer buffers[kChunk];
    std::string_view keys[kChunk];
    Lock lock(mutex_);
    for (size_t start = 0; start < words.size(); start += kChunk) {
      const size_t count = std::min(kChunk, words.size() - start);
      for (size_t i = 0; i < count; ++i) {
        keys[i] = WordKey(words[start + i], settings_.StringToHashLimit, buffers[i]);
      }
      table_.LookupMany(std::span(keys, count), results.subspan(start, count));
      // An empty word is never found.
      for (size_t i = 0; i < count; ++i) {
        if (words[start + i].empty()) results[start + i] = WordCounts{};
      }
    }
  });
}

bool CBayesDatabase::Compress(uint32_t threshold) {
  return GuardedCall(log_, "CBayesDatabase::Compress", false, [&] {
    Lock lock(mutex_);
    std::string key;
    uint32_t spam = 0;
    uint32_t ham = 0;
    for (uint32_t slot = 0; slot < table_.slotCount(); ++slot) {
      if (!table_.GetAt(slot, key, spam, ham)) continue;
      // The sum must not wrap: a word seen 2^32 times is not rare.
      const bool rare = uint64_t{spam} + ham < threshold;
      if (!rare && EffectiveWordLength(key) >= settings_.MinWordLength) continue;
      modified_ = true;
      compressed_ = true;
      // The stored key itself: converting it again could give another key
      // when StringToHashLimit changed since it was stored.
      table_.Remove(key);
    }
    StatusLine(kTextWordDatabaseCompressed);
    return true;
  });
}

std::string CBayesDatabase::ConvertString(std::string_view word) const {
  return GuardedCall(log_, "CBayesDatabase::ConvertString", std::string(), [&] {
    WordKeyBuffer buffer;
    return std::string(WordKey(word, settings_.StringToHashLimit, buffer));
  });
}

uint32_t CBayesDatabase::SlotCount() {
  Lock lock(mutex_);
  return table_.slotCount();
}

uint32_t CBayesDatabase::EntryCount() {
  Lock lock(mutex_);
  return table_.entryCount();
}

bool CBayesDatabase::IsModified() {
  Lock lock(mutex_);
  return modified_;
}

void CBayesDatabase::StatusLine(TextId text) {
  if (settings_.VerboseLogfile) log_.TextLine(text);
}

}  // namespace trellisk
