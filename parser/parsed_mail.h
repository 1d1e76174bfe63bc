// ParsedMail is what a CMailParser knows about one message: the header
// fields other subsystems read, the relay addresses of the Received lines,
// the words, the collected header and body texts for the rule filter, the
// sender-list verdict of the decoded parts, and the state of the MIME walk.
//
// The record belongs to its parser and is read by the parser's thread (or by
// its owner after parsing). HashText is a pure function.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/list_match.h"
#include "parser/word_vector.h"

namespace trellisk {

// Kind of the current MIME part.
enum ContentKind : int32_t {
  kContentOther = -1,  // none, or anything but plain text and HTML
  kContentPlain = 1,   // "TEXT/PLAIN"
  kContentHtml = 2,    // "TEXT/HTML"
};

// Content-Transfer-Encoding of the current part.
enum TransferEncoding : int32_t {
  kEncodingUnknown = -1,
  kEncoding8Bit = 0,
  kEncoding7Bit = 1,
  kEncodingQuotedPrintable = 2,
  kEncodingBase64 = 3,
  kEncodingUuencode = 4,
};

enum BoundaryState : int32_t {
  // Before the first boundary line, or after the boundary was redefined in
  // the body.
  kBeforeBoundary = 0,
  // After a boundary line, or when the boundary came from a header line of
  // its own.
  kAfterBoundary = 1,
};

struct ParsedMail {
  int32_t bodyOffset = -1;  // -1 when the message has no empty line
  WordVector words;
  bool isMultipart = false;
  ContentKind contentKind = kContentOther;
  TransferEncoding transferEncoding = kEncodingUnknown;
  BoundaryState boundaryState = kBeforeBoundary;
  std::string boundary;  // "--" and the boundary; empty when none
  bool headerParsed = false;
  bool bodyParsed = false;
  ListMatch listMatch;
  // Collected only when the rule filter is active (Algorithm bit 4) and the
  // caller did not pass noCollect: header lines and body pieces, each
  // joined by "\n".
  std::optional<std::string> headerText;
  std::optional<std::string> bodyText;
  bool noCollect = false;
  std::string from, to, cc, subject, date, deliveryDate, messageId;
  std::vector<std::string> relays;  // dotted quads of "Received: from" lines, in order
};

// The message identifier made from a text: 64-bit value * 33 + byte over the
// bytes 32 to 127, wrapping, in lower-case hexadecimal ("0" for none).
std::string HashText(std::string_view text);

}  // namespace trellisk
