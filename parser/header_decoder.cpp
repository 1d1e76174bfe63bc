#include "parser/header_decoder.h"

#include "base/ascii.h"
#include "base/exception_report.h"
#include "parser/base64.h"
#include "parser/quoted_printable.h"
#include "parser/replace_all.h"
#include "parser/text_cut.h"

namespace trellisk {
namespace {

bool IsEncodingLetter(char c) { return c == 'q' || c == 'Q' || c == 'b' || c == 'B'; }

// Tries the pattern at one "=?"; `lastClose` is the last "?=" of the line.
std::optional<EncodedWord> MatchAt(std::string_view line, size_t begin, size_t lastClose) {
  const size_t charsetBegin = begin + 2;
  const size_t charsetEnd = line.find('?', charsetBegin);
  if (charsetEnd == std::string_view::npos || charsetEnd == charsetBegin) return std::nullopt;
  size_t textBegin = charsetEnd + 1;
  char encoding = 0;
  if (textBegin + 1 < line.size() && IsEncodingLetter(line[textBegin]) && line[textBegin + 1] == '?') {
    encoding = line[textBegin];
    textBegin += 2;
  } else if (textBegin < line.size() && line[textBegin] == '?') {
    textBegin += 1;
  } else {
    return std::nullopt;
  }
  if (lastClose == std::string_view::npos || lastClose < textBegin + 1) return std::nullopt;
  EncodedWord word;
  word.begin = begin;
  word.end = lastClose + 2;
  word.charset = line.substr(charsetBegin, charsetEnd - charsetBegin);
  word.encoding = encoding;
  word.text = line.substr(textBegin, lastClose - textBegin);
  return word;
}

// The decoded bytes of an encoded word, as the text they make up (up to a
// decoded zero byte); nullopt when the decoder fails.
std::optional<std::string> DecodeWordText(const EncodedWord& word) {
  std::string decoded;
  const bool ok = word.encoding == 'b' || word.encoding == 'B' ? DecodeBase64(word.text, decoded)
                                                               : DecodeQuotedPrintable(word.text, decoded);
  if (!ok) return std::nullopt;
  CutAtZeroByte(decoded);
  return decoded;
}

}  // namespace

std::optional<EncodedWord> FindEncodedWord(std::string_view line, size_t from) {
  const size_t lastClose = line.rfind("?=");
  for (size_t begin = line.find("=?", from); begin != std::string_view::npos; begin = line.find("=?", begin + 1)) {
    if (auto word = MatchAt(line, begin, lastClose)) return word;
  }
  return std::nullopt;
}

std::string DecodeHeaderPart(std::string_view line, std::string* headerText, Log& log) {
  std::string result;
  GuardedCall(log, "CMailParser::DecodeHeaderPart", [&] {
    bool decoded = false;
    size_t lastEnd = 0;
    for (auto word = FindEncodedWord(line, 0); word; word = FindEncodedWord(line, word->end)) {
      std::string piece(word->charset);
      if (IsEncodingLetter(word->encoding)) {
        if (auto text = DecodeWordText(*word)) {
          piece += ' ';
          piece += *text;
        }
        decoded = true;
      } else if (!decoded) {
        continue;
      }
      if (headerText) {
        piece = std::string(Trim(piece, kBlanks));
        ReplaceAll(*headerText, line.substr(word->begin, word->end - word->begin), piece);
      }
      if (!result.empty()) result += ' ';
      result += piece;
      lastEnd = word->end;
    }
    if (decoded && lastEnd + 1 < line.size()) result.append(line.substr(lastEnd + 1));
  });
  return result;
}

}  // namespace trellisk
