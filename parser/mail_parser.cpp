#include "parser/mail_parser.h"

#include <cstring>
#include <limits>

#include "base/ascii.h"
#include "base/exception_report.h"
#include "parser/address_match.h"
#include "parser/base64.h"
#include "parser/header_decoder.h"
#include "parser/html_cleaner.h"
#include "parser/quoted_printable.h"
#include "parser/relay_scan.h"
#include "parser/text_cut.h"
#include "parser/uuencode.h"

namespace trellisk {
namespace {

constexpr std::string_view kBlankAndTab = " \t";

std::string_view View(std::span<char> line) { return {line.data(), line.size()}; }

void UpperCaseInPlace(std::span<char> line) {
  for (char& c : line) c = AsciiUpper(c);
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// A header value: everything after the first blank of the line (every
// keyword ends with that blank).
std::string_view ValueOf(std::string_view line) { return line.substr(line.find(' ') + 1); }

// "--" and `line` from `begin` up to, not including, its last byte; empty
// (no boundary) when the line is too short to hold a value there.
std::string BoundaryFrom(std::string_view line, size_t begin) {
  if (line.empty() || begin > line.size() - 1) return {};
  return "--" + std::string(line.substr(begin, line.size() - 1 - begin));
}

// "BOUNDARY=" and a quotation mark take the first ten bytes.
constexpr size_t kBoundaryLineValueStart = 10;

}  // namespace

CMailParser::CMailParser(const ParserOptions& options, Log& log, SenderListCheck* lists)
    : CMailParser(options, log, lists, LinearCleaningSteps()) {}

CMailParser::CMailParser(const ParserOptions& options, Log& log, SenderListCheck* lists, const CleaningSteps& steps)
    : options_(options), log_(log), lists_(lists), steps_(steps), tokenizer_(options.tokenizer, log, mail_.words) {
  tokenizer_.SetDoubletMerger(steps.mergeWordDoublets);
}

void CMailParser::SetMail(char* text, size_t length, bool noCollect) {
  mail_.noCollect = noCollect;
  mailText_ = text;
  if (!text) return;
  const std::string_view mail = TextBeforeZeroByte(text, length ? length : std::strlen(text));
  mailLength_ = mail.size();
  size_t separator = mail.find("\r\n\r\n");
  if (separator == std::string_view::npos) separator = mail.find("\n\n");
  if (separator == std::string_view::npos || separator + 2 > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    mail_.bodyOffset = -1;
    return;
  }
  text[separator + 1] = '\0';
  mail_.bodyOffset = static_cast<int32_t>(separator + 2);
}

WordVector* CMailParser::ParseMail() {
  return GuardedCall(log_, "CMailParser::ParseMail", static_cast<WordVector*>(nullptr), [&]() -> WordVector* {
    if (!mailText_) return nullptr;
    // About one word per eight bytes of mail.
    mail_.words.reserve(mail_.words.size() + mailLength_ / 8);
    ParseHeader();
    ParseBody();
    return mail_.words.empty() ? nullptr : &mail_.words;
  });
}

std::string CMailParser::GetFrom(bool extractAddress) const {
  if (!extractAddress || mail_.from.empty()) return mail_.from;
  const auto address = FindSenderAddress(mail_.from);
  return address ? std::string(*address) : std::string();
}

std::string CMailParser::GetMessageId() {
  if (mail_.messageId.empty()) mail_.messageId = HashText(mail_.deliveryDate);
  return mail_.messageId;
}

ListMatch CMailParser::GetListResult() const { return mail_.listMatch; }

bool CMailParser::Collecting() const { return options_.collectRuleTexts && !mail_.noCollect; }

void CMailParser::AppendCollected(std::optional<std::string>& buffer, std::string_view piece) {
  if (!Collecting()) return;
  if (!buffer) {
    buffer.emplace(piece);
    return;
  }
  buffer->reserve(buffer->size() + piece.size() + 1);
  *buffer += '\n';
  buffer->append(piece);
}

// ---------------------------------------------------------------- header

void CMailParser::ParseHeader() {
  GuardedCall(log_, "CMailParser::ParseHeader", [&] {
    if (mail_.headerParsed || mail_.bodyOffset < 1) return;
    mail_.headerParsed = true;
    LineSplitter lines(std::span<char>(mailText_, static_cast<size_t>(mail_.bodyOffset - 1)));
    while (auto line = lines.Next()) {
      AppendCollected(mail_.headerText, View(*line));
      const std::string_view trimmed = Trim(View(*line), kBlanks);
      if (trimmed.empty()) continue;
      ParseHeaderLine(line->subspan(static_cast<size_t>(trimmed.data() - line->data()), trimmed.size()));
    }
    tokenizer_.RemoveWordDoublets();
  });
}

void CMailParser::ParseHeaderLine(Line line) {
  const std::string_view text = View(line);
  auto trimmedValue = [&] { return std::string(Trim(ValueOf(text), kBlankAndTab)); };
  if (StartsWithIgnoreCase(text, "FROM: ")) {
    ParseDecodedField(text, mail_.from, WordPrefix::kFrom);
  } else if (StartsWithIgnoreCase(text, "TO: ")) {
    mail_.to = trimmedValue();
  } else if (StartsWithIgnoreCase(text, "CC: ")) {
    mail_.cc = trimmedValue();
  } else if (StartsWithIgnoreCase(text, "SUBJECT: ")) {
    ParseDecodedField(text, mail_.subject, WordPrefix::kSubject);
  } else if (StartsWithIgnoreCase(text, "MESSAGE-ID: ")) {
    mail_.messageId = std::string(Trim(ValueOf(text), " \t<>"));
  } else if (StartsWithIgnoreCase(text, "DATE: ")) {
    mail_.date = trimmedValue();
  } else if (StartsWithIgnoreCase(text, "DELIVERY-DATE: ")) {
    mail_.deliveryDate = trimmedValue();
  } else if (StartsWithIgnoreCase(text, "X-MAILER: ")) {
    tokenizer_.ParseLine(ValueOf(text), WordPrefix::kHeader);
  } else if (CheckContentType(line) || CheckTransferEncoding(line)) {
    // The checks record kind, encoding and boundary themselves.
  } else if (StartsWithIgnoreCase(text, "BOUNDARY=")) {
    mail_.boundary = BoundaryFrom(text, kBoundaryLineValueStart);
    mail_.boundaryState = kAfterBoundary;
  } else if (Contains(text, "Received: from")) {
    ScanRelays(text);
  }
}

// From and Subject: the decoded encoded word when the line has one, else
// the plain value.
void CMailParser::ParseDecodedField(std::string_view line, std::string& field, WordPrefix prefix) {
  field.clear();
  field = DecodeHeaderPart(line, Collecting() && mail_.headerText ? &*mail_.headerText : nullptr, log_);
  if (!field.empty()) {
    tokenizer_.ParseLine(field, prefix);
    return;
  }
  const std::string_view value = ValueOf(line);
  tokenizer_.ParseLine(value, prefix);
  field = std::string(Trim(value, kBlankAndTab));
}

void CMailParser::ScanRelays(std::string_view line) {
  for (auto quad = FindDottedQuad(line, 0); quad; quad = FindDottedQuad(line, quad->end)) {
    mail_.relays.emplace_back(line.substr(quad->begin, quad->end - quad->begin));
  }
  for (auto host = FindHostName(line, 0); host; host = FindHostName(line, host->end)) {
    tokenizer_.ParseLine(line.substr(host->begin, host->end - host->begin), WordPrefix::kHeader);
  }
}

bool CMailParser::CheckContentType(Line line) {
  return GuardedCall(log_, "CMailParser::CheckContentType", false, [&] {
    const std::string_view text = View(line);
    constexpr std::string_view kContentType = "CONTENT-TYPE:";
    if (StartsWithIgnoreCase(text, "CONTENT-DISPOSITION:")) return true;
    if (!StartsWithIgnoreCase(text, kContentType)) return false;
    UpperCaseInPlace(line);
    const std::string_view rest = text.substr(kContentType.size());
    if (!mail_.isMultipart && Contains(rest, "MULTIPART")) {
      mail_.isMultipart = true;
      mail_.contentKind = kContentOther;
    } else {
      mail_.contentKind = Contains(rest, "TEXT/PLAIN") ? kContentPlain
                          : Contains(rest, "TEXT/HTML") ? kContentHtml
                                                        : kContentOther;
    }
    if (const size_t charset = rest.find("CHARSET="); charset != std::string_view::npos) {
      tokenizer_.ParseLine(rest.substr(charset + 8), WordPrefix::kNone);
    } else if (const size_t name = rest.find("NAME=\""); name != std::string_view::npos) {
      const size_t close = rest.find('"', name + 6);
      if (close != std::string_view::npos) tokenizer_.ParseLine(rest.substr(name + 6, close - name - 6), WordPrefix::kNone);
    } else if (const size_t boundary = rest.find("BOUNDARY="); boundary != std::string_view::npos) {
      // The value starts two bytes after the "=", past its quotation mark.
      mail_.boundary = BoundaryFrom(text, kContentType.size() + boundary + 10);
    }
    return true;
  });
}

bool CMailParser::CheckTransferEncoding(Line line) {
  constexpr std::string_view kKeyword = "CONTENT-TRANSFER-ENCODING:";
  if (!StartsWithIgnoreCase(View(line), kKeyword)) return false;
  UpperCaseInPlace(line);
  const std::string_view rest = View(line).substr(kKeyword.size());
  mail_.transferEncoding = Contains(rest, "QUOTED-PRINTABLE") ? kEncodingQuotedPrintable
                           : Contains(rest, "8BIT")           ? kEncoding8Bit
                           : Contains(rest, "7BIT")           ? kEncoding7Bit
                           : Contains(rest, "BASE64")         ? kEncodingBase64
                           : Contains(rest, "UUENCODE")       ? kEncodingUuencode
                                                              : kEncodingUnknown;
  return true;
}

// ---------------------------------------------------------------- body

void CMailParser::ParseBody() {
  GuardedCall(log_, "CMailParser::ParseBody", [&] {
    if (mail_.bodyParsed || mail_.bodyOffset < 1) return;
    mail_.bodyParsed = true;
    const size_t bodyOffset = static_cast<size_t>(mail_.bodyOffset);
    LineSplitter lines(std::span<char>(mailText_ + bodyOffset, mailLength_ - bodyOffset));
    std::string part;
    contentStart_ = std::string::npos;
    expectName_ = false;
    while (auto line = lines.Next()) {
      const std::string_view raw = View(*line);
      const size_t skipped = std::min(raw.find_first_not_of(kBlankAndTab), raw.size());
      const Line s = line->subspan(skipped);
      const std::string_view text = View(s);
      // Upper-casing changes the line in place; the collected text keeps it
      // as it came.
      const std::string rawCopy = Collecting() ? std::string(raw) : std::string();
      if (StartsWithIgnoreCase(text, "BOUNDARY=")) {
        AppendCollected(mail_.bodyText, rawCopy);
        mail_.boundary = BoundaryFrom(text, kBoundaryLineValueStart);
        mail_.boundaryState = kBeforeBoundary;
      } else if (expectName_ && StartsWithIgnoreCase(text, "NAME=\"")) {
        AppendCollected(mail_.bodyText, rawCopy);
        const size_t close = text.find('"', 6);
        if (close != std::string_view::npos) tokenizer_.ParseLine(text.substr(6, close - 6), WordPrefix::kNone);
        expectName_ = false;
      } else if (CheckContentType(s)) {
        AppendCollected(mail_.bodyText, rawCopy);
        part.clear();
        expectName_ = true;
      } else if (CheckTransferEncoding(s)) {
        AppendCollected(mail_.bodyText, rawCopy);
        part.clear();
        SetContentStart(*line);
      } else if (!mail_.isMultipart && mail_.contentKind != kContentOther) {
        ParseSinglePart(part, s, lines);
        break;
      } else if (!mail_.boundary.empty() && StartsWithIgnoreCase(text, mail_.boundary)) {
        ParseBoundaryLine(part);
      } else if ((mail_.boundaryState == kAfterBoundary && mail_.contentKind != kContentOther) ||
                 (mail_.boundaryState == kBeforeBoundary && mail_.contentKind == kContentOther)) {
        const size_t lineOffset = static_cast<size_t>(line->data() - mailText_);
        if (contentStart_ != std::string::npos && lineOffset < contentStart_) {
          // A part header line between the encoding line and the part's
          // empty line.
          AppendCollected(mail_.bodyText, rawCopy);
          tokenizer_.ParseLine(text, WordPrefix::kNone);
        } else {
          contentStart_ = std::string::npos;
          GetPartLine(part, text);
        }
      }
    }
    if (!part.empty()) {
      // Text after the last boundary, or a body without any Content-Type.
      mail_.contentKind = kContentPlain;
      mail_.transferEncoding = kEncoding8Bit;
      ParsePart(part);
    }
    tokenizer_.RemoveWordDoublets();
  });
}

// For quoted-printable, base64 and uuencoded parts: the content starts after
// the first LF CR LF behind the encoding line. The line's own terminating
// byte does not count, so a bare-LF message has no such position.
void CMailParser::SetContentStart(Line line) {
  if (mail_.transferEncoding != kEncodingQuotedPrintable && mail_.transferEncoding != kEncodingBase64 &&
      mail_.transferEncoding != kEncodingUuencode) {
    return;
  }
  const size_t searchFrom = static_cast<size_t>(line.data() - mailText_) + line.size() + 1;
  const std::string_view mail(mailText_, mailLength_);
  const size_t found = searchFrom < mail.size() ? mail.find("\n\r\n", searchFrom) : std::string_view::npos;
  contentStart_ = found == std::string_view::npos ? std::string::npos : found + 3;
}

// A single-part text message: this line and every remaining one make the
// part, whatever they contain.
void CMailParser::ParseSinglePart(std::string& part, Line line, LineSplitter& rest) {
  if (!part.empty()) AppendCollected(mail_.bodyText, part);
  part.clear();
  GetPartLine(part, View(line));
  while (auto next = rest.Next()) {
    const std::string_view text = View(*next);
    GetPartLine(part, text.substr(std::min(text.find_first_not_of(kBlankAndTab), text.size())));
  }
  ParsePart(part);
  part.clear();
}

void CMailParser::ParseBoundaryLine(std::string& part) {
  if (mail_.boundaryState == kBeforeBoundary) {
    mail_.boundaryState = kAfterBoundary;
    part.clear();
    return;
  }
  if (mail_.contentKind != kContentOther && !part.empty()) ParsePart(part);
  part.clear();
  mail_.contentKind = kContentOther;
  mail_.transferEncoding = kEncodingUnknown;
}

void CMailParser::GetPartLine(std::string& partBuffer, std::string_view line) {
  GuardedCall(log_, "CMailParser::GetPartLine", [&] {
    if (mail_.transferEncoding == kEncodingQuotedPrintable) {
      line = line.substr(0, line.find_last_not_of(kBlanks) + 1);
      if (line.ends_with('=')) {
        partBuffer.append(line.substr(0, line.size() - 1));
      } else if (line.ends_with("=20")) {
        partBuffer.append(line);
      } else {
        partBuffer.append(line);
        partBuffer += ' ';
      }
    } else if (mail_.transferEncoding == kEncodingBase64) {
      partBuffer.append(line.substr(0, line.find_last_not_of(kBlanks) + 1));
    } else {
      partBuffer.append(line);
      partBuffer += ' ';
    }
  });
}

void CMailParser::ParsePart(std::string& partText) {
  GuardedCall(log_, "CMailParser::ParsePart", [&] {
    std::string decoded;
    bool decoderUsed = true;
    bool ok = true;
    switch (mail_.transferEncoding) {
      case kEncodingQuotedPrintable: ok = DecodeQuotedPrintable(partText, decoded); break;
      case kEncodingBase64: ok = DecodeBase64(partText, decoded); break;
      case kEncodingUuencode: ok = DecodeUuencode(partText, decoded); break;
      default: decoderUsed = false; break;
    }
    if (!ok) mail_.contentKind = kContentOther;
    std::string& text = decoderUsed ? decoded : partText;
    if (decoderUsed) CutAtZeroByte(decoded);
    AppendCollected(mail_.bodyText, text);
    // A listed text hidden inside an encoded part is still found.
    if (decoderUsed && lists_) lists_->CheckBlackWhitelist(mail_.listMatch, text, false);
    CleanAndTokenize(text);
  });
}

void CMailParser::CleanAndTokenize(std::string& text) {
  // Parts of other kinds give no words, so their text is not cleaned.
  if (mail_.contentKind != kContentPlain && mail_.contentKind != kContentHtml) return;
  GuardedCall(log_, "CMailParser::RemoveTricks", [&] { steps_.removeTricks(text); });
  if (mail_.contentKind == kContentHtml) {
    if (options_.parseHtml) {
      GuardedCall(log_, "CMailParser::RemoveHTMLComments", [&] { steps_.removeHtmlComments(text, tokenizer_); });
      GuardedCall(log_, "CMailParser::ParseHTML", [&] { steps_.parseHtml(text, tokenizer_); });
    }
    GuardedCall(log_, "CMailParser::RemoveHTMLTags", [&] { steps_.removeHtmlTags(text); });
  }
  tokenizer_.ParseLine(text, WordPrefix::kNone);
}

// ---------------------------------------------------------------- helpers

std::string HashText(std::string_view text) {
  uint64_t value = 0;
  for (char c : text) {
    if (static_cast<signed char>(c) >= 32) value = value * 33 + static_cast<unsigned char>(c);
  }
  char digits[17];
  int length = 0;
  do {
    digits[length++] = "0123456789abcdef"[value % 16];
    value /= 16;
  } while (value != 0);
  return std::string(std::make_reverse_iterator(digits + length), std::make_reverse_iterator(digits));
}

const CleaningSteps& LinearCleaningSteps() {
  static const CleaningSteps steps = {&RemoveTricks, &RemoveHTMLComments, &ParseHTML, &RemoveHTMLTags,
                                      &MergeWordDoublets};
  return steps;
}

}  // namespace trellisk
