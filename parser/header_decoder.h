// Decoding of encoded words in the sender and subject header lines: a
// character-set name, the letter B or Q and the encoded text between "=?"
// and "?=". The character-set name is never interpreted; it stays in the
// decoded text as a word of its own.
//
// Pure functions apart from the optional collected header text the caller
// passes in; thread-safe for distinct arguments.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace trellisk {

class Log;

// One match of the encoded-word pattern =\?([^\?]+)\?(q|b)?\?(.+)\?= in a
// line. The third group is greedy, so a match runs to the last "?=" of the
// line.
struct EncodedWord {
  size_t begin = 0;  // of the "=?"
  size_t end = 0;    // just after the closing "?="
  std::string_view charset;
  char encoding = 0;  // 'q', 'Q', 'b', 'B', or 0 when the letter is missing
  std::string_view text;
};

// The leftmost encoded word that starts at or after `from`, found in linear
// time with the pattern's exact semantics (case-insensitive).
std::optional<EncodedWord> FindEncodedWord(std::string_view line, size_t from);

// The decoded value of a header line (the whole trimmed line, keyword
// included): the character-set name, a blank and the decoded bytes of the
// encoded word, then the rest of the line after the character that follows
// the word. Empty when the line has no usable encoded word. When
// `headerText` is given (the collected header), the encoded word is
// replaced there by its trimmed decoded text. Reports an exception as
// "CMailParser::DecodeHeaderPart" and returns what it built so far.
std::string DecodeHeaderPart(std::string_view line, std::string* headerText, Log& log);

}  // namespace trellisk
