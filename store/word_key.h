// How a word becomes its key in the word database. Words longer than the
// StringToHashLimit setting are stored by a hash written in lowercase hex:
// a 64-bit hash when the limit is above 16, a 32-bit one when it is 9 to 16;
// with a limit of 8 or less every word is its own key. Hashed keys are at
// most 16 bytes, so they convert to themselves under the limit that made them.
//
// Pure functions, thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace trellisk {

// What key conversion and the length limit take from the settings (the
// owner fills every field).
struct WordKeyOptions {
  uint32_t minWordLength = 0;      // MinWordLength
  uint32_t stringToHashLimit = 0;  // StringToHashLimit
};

// Room for the longest hashed key (16 hex digits).
struct WordKeyBuffer {
  char digits[16];
};

// The key of `word`: the word itself (a view of it) or its hash written into
// `buffer` (a view of the buffer).
std::string_view WordKey(std::string_view word, uint32_t hashLimit, WordKeyBuffer& buffer);

// The length the length limits see: a two-byte type prefix such as "S*"
// (any word whose second byte is "*") does not count.
size_t EffectiveWordLength(std::string_view word);

}  // namespace trellisk
