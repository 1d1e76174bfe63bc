// CMailParser turns the raw text of one message into a ParsedMail: it
// splits header and body, reads the header fields, walks the MIME parts of
// the body, decodes each text part, cleans HTML, asks the sender lists about
// every decoded part, and tokenizes everything into the WordVector.
//
// One parser serves one message. It works in place on the caller's text:
// SetMail writes a terminator after the header, and Content-Type and
// Content-Transfer-Encoding lines are upper-cased; the caller copies what it
// needs beforehand. The parser copies its options, borrows the log and the
// lists (which may be null: no lists) and owns everything else. A parser is used
// by one thread; different parsers run at the same time.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "base/list_match.h"
#include "base/sender_list_check.h"
#include "parser/cleaning_steps.h"
#include "parser/line_splitter.h"
#include "parser/parsed_mail.h"
#include "parser/tokenizer.h"

namespace trellisk {

class Log;

// What the parser takes from the settings (the owner fills every field).
struct ParserOptions {
  TokenizerOptions tokenizer;
  bool parseHtml = false;         // ParseHTML
  bool collectRuleTexts = false;  // the rule filter is on (bit 4 of Algorithm)
};

class CMailParser {
 public:
  CMailParser(const ParserOptions& options, Log& log, SenderListCheck* lists);
  // With other cleaning steps, for tests that compare algorithms.
  CMailParser(const ParserOptions& options, Log& log, SenderListCheck* lists, const CleaningSteps& steps);
  CMailParser(const CMailParser&) = delete;
  CMailParser& operator=(const CMailParser&) = delete;

  // `text` is the caller's zero-terminated buffer; `length` 0 means up to
  // the terminator. The text ends at its first zero byte in any case.
  // Finds the empty line that ends the header and terminates the header
  // there; without one nothing will be parsed.
  void SetMail(char* text, size_t length, bool noCollect);
  // Parses header and body once; the words, or null when there is no mail
  // or no word. The vector belongs to the parser.
  WordVector* ParseMail();

  // The sender text, or with `extractAddress` the first address in it.
  std::string GetFrom(bool extractAddress) const;
  // The Message-ID, or once made up from the Delivery-Date.
  std::string GetMessageId();
  ListMatch GetListResult() const;
  const ParsedMail& mail() const { return mail_; }

 private:
  using Line = std::span<char>;

  bool Collecting() const;
  void AppendCollected(std::optional<std::string>& buffer, std::string_view piece);

  void ParseHeader();
  void ParseHeaderLine(Line line);
  void ParseDecodedField(std::string_view line, std::string& field, WordPrefix prefix);
  void ScanRelays(std::string_view line);

  void ParseBody();
  void ParseSinglePart(std::string& part, Line line, LineSplitter& rest);
  void ParseBoundaryLine(std::string& part);
  void SetContentStart(Line line);

  bool CheckContentType(Line line);
  bool CheckTransferEncoding(Line line);
  void GetPartLine(std::string& partBuffer, std::string_view line);
  void ParsePart(std::string& partText);
  void CleanAndTokenize(std::string& text);

  const ParserOptions options_;
  Log& log_;
  SenderListCheck* lists_;
  const CleaningSteps& steps_;
  char* mailText_ = nullptr;
  size_t mailLength_ = 0;
  ParsedMail mail_;
  Tokenizer tokenizer_;
  // Body phase: the position where the content of a quoted-printable,
  // base64 or uuencoded part starts (after its empty line), or npos.
  size_t contentStart_ = std::string::npos;
  bool expectName_ = false;
};

}  // namespace trellisk
