// Tokenizer cuts texts into words and appends them to a message's
// WordVector: ParseLine splits at the separator bytes and may put a header
// prefix ("F*", "S*", "H*") in front of each word, AddWordVector trims,
// filters and lower-cases one word, RemoveWordDoublets merges repeated words
// into one entry with a count.
//
// A Tokenizer copies its options, borrows the log and the vector of its
// parser, and is used by that parser's thread only. Every operation reports an exception
// through the log as "CMailParser::<Operation>" and keeps the words found
// before it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "parser/word_vector.h"

namespace trellisk {

class Log;

// What the tokenizer takes from the settings (the owner fills every field).
struct TokenizerOptions {
  uint32_t minWordLength = 0;  // MinWordLength
  bool lowerCase = false;      // LowerCase
  bool removeDoublets = false; // RemoveDoublets
  bool specialMarkers = false; // SpecialMarkers: the header prefixes
};

// Where a word came from; header words are kept apart by a prefix when the
// SpecialMarkers setting is on.
enum class WordPrefix { kNone, kFrom, kSubject, kHeader };

// The trim sets of the tokenizer and the HTML analysis.
inline constexpr std::string_view kWordTrimSet = ".-_!";
inline constexpr std::string_view kMarkerTrimSet = "\r\n\t .-_!";
inline constexpr std::string_view kLinkPieceTrimSet = ".-_!/?&";

// True for the bytes that end a word: control characters and the blank,
// '"', '(', ')', '*', ',', '/', ':' to '@', '[', '\', ']', '_', '{', '}' and
// DEL. Bytes 80 to FF belong to words.
bool IsWordSeparator(unsigned char c);

// Merges entries with byte-equal words into the first one, adding 1 to its
// count for every later copy; the first occurrences keep their order.
// Linear time; gives the same vector as comparing every pair.
void MergeWordDoublets(WordVector& words);

class Tokenizer {
 public:
  Tokenizer(const TokenizerOptions& options, Log& log, WordVector& words);

  // Cuts `text` into words at separators; the end of the text ends the last
  // word. Each word gets `prefix` when SpecialMarkers is on and is added
  // with the trim set ".-_!".
  void ParseLine(std::string_view text, WordPrefix prefix);
  // Trims `word` of the bytes in `trimSet` at both ends, drops it when it is
  // empty or shorter than MinWordLength (a prefix does not count),
  // lower-cases it when LowerCase is on and appends it with count 1.
  void AddWordVector(std::string_view word, std::string_view trimSet);
  // With RemoveDoublets on, merges repeated words (see MergeWordDoublets,
  // or the algorithm installed with SetDoubletMerger).
  void RemoveWordDoublets();

  // Replaces the doublet merge, for tests that compare it with the literal
  // pairwise algorithm. Null restores MergeWordDoublets.
  using DoubletMerger = void (*)(WordVector&);
  void SetDoubletMerger(DoubletMerger merger) { merger_ = merger ? merger : &MergeWordDoublets; }

 private:
  void AddWord(std::string_view word, std::string_view trimSet);
  void AddPrefixedWord(std::string_view prefix, std::string_view word);

  const TokenizerOptions options_;
  Log& log_;
  WordVector& words_;
  DoubletMerger merger_ = &MergeWordDoublets;
  std::string scratch_;
};

}  // namespace trellisk
