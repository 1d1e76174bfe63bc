#include "store/bayes_database.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/exception_report.h"
#include "store/word_database_file.h"

namespace trellisk {
namespace {

constexpr StoredTable::StatusTexts kStatusTexts{kTextWordDatabaseUnreadable, kTextWordDatabaseLoaded,
                                                kTextWordDatabaseEmpty, kTextWordDatabaseSaved,
                                                kTextWordDatabaseStoreFailed};

}  // namespace

CBayesDatabase::CBayesDatabase(const WordDatabaseOptions& options, Log& log, platform::FileSystem& files, Clock now)
    : log_(log),
      options_(options),
      stored_(kWordTableGrowStep, kWordTablePoolStep, kStatusTexts, kMaxWordFileBytes, log, files, std::move(now)) {
  Init();
}

void CBayesDatabase::SetOptions(const WordDatabaseOptions& options) {
  const auto lock = stored_.Lock();
  options_ = options;
}

WordKeyOptions CBayesDatabase::KeyOptions() {
  const auto lock = stored_.Lock();
  return options_.keys;
}

bool CBayesDatabase::Init() {
  return GuardedCall(log_, "CBayesDatabase::Init", false, [&] {
    const auto lock = stored_.Lock();
    compressed_ = false;
    spamMessages = 0;
    hamMessages = 0;
    return stored_.Reset();
  });
}

bool CBayesDatabase::Load() {
  return GuardedCall(log_, "CBayesDatabase::Load", false, [&] {
    const auto lock = stored_.Lock();
    TableImageWords totals{};
    const StoredTable::LoadOutcome outcome = stored_.LoadImaged(
        options_.path, options_.verbose,
        [&](platform::ReadableFile& file, DamageReport& damage) {
          const WordDatabaseHeader header = ReadWordDatabase(file, stored_.table(), damage);
          totals = {header.spamMessages, header.hamMessages, 0, 0};
        },
        totals, /*imageOnLoad=*/true);
    if (outcome == StoredTable::LoadOutcome::kLoaded) {
      spamMessages = totals[0];
      hamMessages = totals[1];
      return true;
    }
    // An empty database that was not read from a file counts as modified.
    stored_.MarkModified();
    return false;
  });
}

bool CBayesDatabase::Save() {
  return GuardedCall(log_, "CBayesDatabase::Save", false, [&] {
    const auto lock = stored_.Lock();
    return SaveLocked();
  });
}

bool CBayesDatabase::SaveLocked() {
  const CountedStringTable& table = stored_.table();
  const WordDatabaseHeader header{compressed_ ? kCompressedSizeHint : table.slotCount(), spamMessages, hamMessages};
  // A compressed database is to be reloaded into a small table, which only
  // building it from the file gives; and a table that the file does not give
  // back as it is must not be taken up again from an image either.
  std::optional<TableImageWords> totals;
  if (!compressed_) totals = TableImageWords{header.spamMessages, header.hamMessages, 0, 0};
  return stored_.SaveImaged(
      options_.path, options_.verbose,
      [&](platform::WritableFile& file) {
        bool asIs = false;
        const bool written = WriteWordDatabase(file, header, table, &asIs);
        if (!asIs) totals.reset();
        return written;
      },
      totals);
}

bool CBayesDatabase::Close() {
  return GuardedCall(log_, "CBayesDatabase::Close", false, [&] {
    const auto lock = stored_.Lock();
    const bool saved = SaveLocked();
    stored_.Clear();
    return saved;
  });
}

bool CBayesDatabase::MoveTo(const WordDatabaseOptions& options) {
  return GuardedCall(log_, "CBayesDatabase::MoveTo", false, [&] {
    const auto lock = stored_.Lock();
    if (!SaveLocked()) return false;
    options_ = options;
    // A new file that cannot be read starts with no totals, not the old file's.
    spamMessages = 0;
    hamMessages = 0;
    Load();
    return true;
  });
}

bool CBayesDatabase::Clear() {
  return GuardedCall(log_, "CBayesDatabase::Clear", false, [&] {
    const auto lock = stored_.Lock();
    return stored_.Clear();
  });
}

bool CBayesDatabase::AddSpam(std::string_view word, uint32_t amount) {
  return GuardedCall(log_, "CBayesDatabase::AddSpam", false, [&] { return AddCounts(word, amount, 0); });
}

bool CBayesDatabase::AddHam(std::string_view word, uint32_t amount) {
  return GuardedCall(log_, "CBayesDatabase::AddHam", false, [&] { return AddCounts(word, 0, amount); });
}

bool CBayesDatabase::AddCounts(std::string_view word, uint32_t spam, uint32_t ham) {
  const auto lock = stored_.Lock();
  if (EffectiveWordLength(word) < options_.keys.minWordLength) return true;
  WordKeyBuffer buffer;
  const std::string_view key = WordKey(word, options_.keys.stringToHashLimit, buffer);
  if (key.empty() || (spam == 0 && ham == 0)) return false;
  if (!stored_.table().Add(key, spam, ham)) return false;
  stored_.MarkModified();
  return true;
}

bool CBayesDatabase::AddAll(std::span<const std::string_view> words, uint32_t spam, uint32_t ham) {
  const char* where = spam != 0 ? "CBayesDatabase::AddSpam" : "CBayesDatabase::AddHam";
  return GuardedCall(log_, where, false, [&] {
    if (spam == 0 && ham == 0) return words.empty();
    constexpr size_t kAhead = 16;
    // The keys are made outside the lock, with the options of this moment.
    const WordKeyOptions options = KeyOptions();
    // Hashed keys live here; reserved up front, so views of them stay valid.
    std::vector<std::string> hashedKeys;
    hashedKeys.reserve(words.size());
    std::vector<std::string_view> keys;
    keys.reserve(words.size());
    for (std::string_view word : words) {
      if (EffectiveWordLength(word) < options.minWordLength) continue;
      WordKeyBuffer buffer;
      std::string_view key = WordKey(word, options.stringToHashLimit, buffer);
      if (key.data() == buffer.digits) key = hashedKeys.emplace_back(key);
      keys.push_back(key);
    }
    bool stored = true;
    const auto lock = stored_.Lock();
    CountedStringTable& table = stored_.table();
    for (size_t i = 0; i < keys.size(); ++i) {
      if (i + kAhead < keys.size()) table.Prefetch(keys[i + kAhead]);
      if (keys[i].empty() || !table.Add(keys[i], spam, ham)) {
        stored = false;
        continue;
      }
      stored_.MarkModified();
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
  const auto lock = stored_.Lock();
  WordKeyBuffer buffer;
  const std::string_view key = WordKey(word, options_.keys.stringToHashLimit, buffer);
  if (key.empty() || (spam == 0 && ham == 0)) return false;
  if (!stored_.table().Decrease(key, spam, ham)) return false;
  stored_.MarkModified();
  return true;
}

bool CBayesDatabase::RemoveWord(std::string_view word) {
  return GuardedCall(log_, "CBayesDatabase::RemoveWord", false, [&] {
    const auto lock = stored_.Lock();
    WordKeyBuffer buffer;
    const std::string_view key = WordKey(word, options_.keys.stringToHashLimit, buffer);
    if (key.empty() || !stored_.table().Remove(key)) return false;
    stored_.MarkModified();
    return true;
  });
}

bool CBayesDatabase::Find(std::string_view word, uint32_t& spam, uint32_t& ham) {
  if (word.empty()) return false;
  return GuardedCall(log_, "CBayesDatabase::Find", false, [&] {
    const auto lock = stored_.Lock();
    spam = 0;
    ham = 0;
    WordKeyBuffer buffer;
    return stored_.table().Lookup(WordKey(word, options_.keys.stringToHashLimit, buffer), spam, ham);
  });
}

void CBayesDatabase::FindMany(std::span<const std::string_view> words, std::span<WordCounts> results) {
  GuardedCall(log_, "CBayesDatabase::Find", [&] {
    constexpr size_t kChunk = 64;
    WordKeyBuffer buffers[kChunk];
    std::string_view keys[kChunk];
    const auto lock = stored_.Lock();
    const CountedStringTable& table = stored_.table();
    for (size_t start = 0; start < words.size(); start += kChunk) {
      const size_t count = std::min(kChunk, words.size() - start);
      for (size_t i = 0; i < count; ++i) {
        keys[i] = WordKey(words[start + i], options_.keys.stringToHashLimit, buffers[i]);
      }
      table.LookupMany(std::span(keys, count), results.subspan(start, count));
      // An empty word is never found.
      for (size_t i = 0; i < count; ++i) {
        if (words[start + i].empty()) results[start + i] = WordCounts{};
      }
    }
  });
}

bool CBayesDatabase::Compress(uint32_t threshold) {
  return GuardedCall(log_, "CBayesDatabase::Compress", false, [&] {
    const auto lock = stored_.Lock();
    CountedStringTable& table = stored_.table();
    std::string key;
    uint32_t spam = 0;
    uint32_t ham = 0;
    for (uint32_t slot = 0; slot < table.slotCount(); ++slot) {
      if (!table.GetAt(slot, key, spam, ham)) continue;
      // The sum must not wrap: a word seen 2^32 times is not rare.
      const bool rare = uint64_t{spam} + ham < threshold;
      if (!rare && EffectiveWordLength(key) >= options_.keys.minWordLength) continue;
      stored_.MarkModified();
      compressed_ = true;
      // The stored key itself: converting it again could give another key
      // when StringToHashLimit changed since it was stored.
      table.Remove(key);
    }
    if (options_.verbose) log_.TextLine(kTextWordDatabaseCompressed);
    return true;
  });
}

std::string CBayesDatabase::ConvertString(std::string_view word) {
  return GuardedCall(log_, "CBayesDatabase::ConvertString", std::string(), [&] {
    WordKeyBuffer buffer;
    return std::string(WordKey(word, KeyOptions().stringToHashLimit, buffer));
  });
}

uint32_t CBayesDatabase::SlotCount() {
  const auto lock = stored_.Lock();
  return stored_.table().slotCount();
}

uint32_t CBayesDatabase::EntryCount() {
  const auto lock = stored_.Lock();
  return stored_.table().entryCount();
}

bool CBayesDatabase::IsModified() {
  const auto lock = stored_.Lock();
  return stored_.modified();
}

}  // namespace trellisk
