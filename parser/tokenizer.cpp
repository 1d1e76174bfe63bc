#include "parser/tokenizer.h"

#include <array>
#include <vector>

#include "base/ascii.h"
#include "base/exception_report.h"

namespace trellisk {
namespace {

constexpr std::array<bool, 256> MakeSeparatorTable() {
  std::array<bool, 256> table{};
  for (int c = 0x00; c <= 0x20; ++c) table[c] = true;
  for (int c = 0x3A; c <= 0x40; ++c) table[c] = true;
  for (unsigned char c : {0x22, 0x28, 0x29, 0x2A, 0x2C, 0x2F, 0x5B, 0x5C, 0x5D, 0x5F, 0x7B, 0x7D, 0x7F}) {
    table[c] = true;
  }
  return table;
}

constexpr std::array<bool, 256> kSeparators = MakeSeparatorTable();

std::string_view PrefixText(WordPrefix prefix) {
  switch (prefix) {
    case WordPrefix::kFrom: return "F*";
    case WordPrefix::kSubject: return "S*";
    case WordPrefix::kHeader: return "H*";
    case WordPrefix::kNone: break;
  }
  return {};
}

// A word's length as MinWordLength sees it: a two-character prefix such as
// "S*" does not count.
size_t MeasuredLength(std::string_view word) {
  return word.size() > 1 && word[1] == '*' ? word.size() - 2 : word.size();
}

// FNV-1a: words are short, and this is cheaper than the library hash.
uint64_t HashWord(std::string_view word) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : word) hash = (hash ^ c) * 1099511628211ull;
  return hash ^ (hash >> 29);
}

}  // namespace

bool IsWordSeparator(unsigned char c) { return kSeparators[c]; }

void MergeWordDoublets(WordVector& words) {
  if (words.size() < 2) return;
  // Open addressing over indexes of first occurrences; the table is at
  // least twice as large as the vector, so probes stay short.
  size_t capacity = 16;
  while (capacity < words.size() * 2) capacity *= 2;
  const size_t mask = capacity - 1;
  constexpr uint32_t kEmpty = UINT32_MAX;
  std::vector<uint32_t> slots(capacity, kEmpty);
  std::vector<uint32_t> firstOf(words.size());
  for (uint32_t i = 0; i < words.size(); ++i) {
    const std::string_view word = words[i].word;
    size_t slot = HashWord(word) & mask;
    while (slots[slot] != kEmpty && words[slots[slot]].word != word) slot = (slot + 1) & mask;
    if (slots[slot] == kEmpty) slots[slot] = i;
    firstOf[i] = slots[slot];
  }
  size_t kept = 0;
  std::vector<uint32_t> newIndex(words.size());
  for (uint32_t i = 0; i < words.size(); ++i) {
    if (firstOf[i] == i) {
      newIndex[i] = static_cast<uint32_t>(kept);
      if (kept != i) words[kept] = std::move(words[i]);
      ++kept;
    } else {
      words[newIndex[firstOf[i]]].count += 1;
    }
  }
  words.resize(kept);
}

Tokenizer::Tokenizer(const TokenizerOptions& options, Log& log, WordVector& words)
    : options_(options), log_(log), words_(words) {}

void Tokenizer::ParseLine(std::string_view text, WordPrefix prefix) {
  GuardedCall(log_, "CMailParser::ParseLine", [&] {
    const std::string_view prefixText = options_.specialMarkers ? PrefixText(prefix) : std::string_view();
    size_t start = 0;
    for (size_t j = 0; j <= text.size(); ++j) {
      if (j < text.size() && !kSeparators[static_cast<unsigned char>(text[j])]) continue;
      if (j > start) {
        if (prefixText.empty()) {
          AddWordVector(text.substr(start, j - start), kWordTrimSet);
        } else {
          AddPrefixedWord(prefixText, text.substr(start, j - start));
        }
      }
      start = j + 1;
    }
  });
}

void Tokenizer::AddPrefixedWord(std::string_view prefix, std::string_view word) {
  scratch_.assign(prefix);
  scratch_.append(word);
  AddWordVector(scratch_, kWordTrimSet);
}

void Tokenizer::AddWordVector(std::string_view word, std::string_view trimSet) {
  GuardedCall(log_, "CMailParser::AddWordVector", [&] { AddWord(word, trimSet); });
}

void Tokenizer::AddWord(std::string_view word, std::string_view trimSet) {
  if (!trimSet.empty()) word = Trim(word, trimSet);
  if (word.empty()) return;
  if (MeasuredLength(word) < options_.minWordLength) return;
  WordEntry& entry = words_.emplace_back();
  entry.word.assign(word);
  if (options_.lowerCase) AsciiLowerInPlace(entry.word);
}

void Tokenizer::RemoveWordDoublets() {
  if (!options_.removeDoublets) return;
  GuardedCall(log_, "CMailParser::RemoveWordDoublets", [&] { merger_(words_); });
}

}  // namespace trellisk
