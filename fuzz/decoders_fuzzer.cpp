// The decoders of the mail parser: the first input byte picks one (its
// value modulo the number of decoders), the rest is its input, handed over
// as a view of exactly its bytes so the address sanitizer sees any read
// past it. Base64, quoted-printable and percent-decoding never give more
// bytes than they read; an encoded word found in a line lies within it.
#include <string>

#include "base/log.h"
#include "base/text_source.h"
#include "fuzz/fuzz_targets.h"
#include "parser/base64.h"
#include "parser/header_decoder.h"
#include "parser/quoted_printable.h"
#include "parser/url_decode.h"
#include "parser/uuencode.h"

namespace trellisk::fuzz {
namespace {

void CheckShrinks(bool (*decode)(std::string_view, std::string&), std::string_view text, const char* name) {
  std::string output = "left over";
  decode(text, output);
  Expect(output.size() <= text.size(), std::string(name) + " gave more bytes than it read");
}

void CheckUuencode(std::string_view text) {
  std::string output;
  DecodeUuencode(text, output);
}

bool Within(std::string_view part, std::string_view line) {
  return part.data() >= line.data() && part.data() + part.size() <= line.data() + line.size();
}

void CheckEncodedWords(std::string_view line) {
  for (size_t from = 0; from <= line.size();) {
    const std::optional<EncodedWord> word = FindEncodedWord(line, from);
    if (!word) break;
    Expect(word->begin >= from && word->begin < word->end && word->end <= line.size(),
           "an encoded word outside the searched part of the line");
    Expect(Within(word->charset, line) && Within(word->text, line), "an encoded word's parts outside the line");
    from = word->begin + 1;
  }
}

void CheckHeaderPart(std::string_view line) {
  static const BuiltinTexts texts;
  static Log log(&texts);
  std::string headerText(line);
  DecodeHeaderPart(line, &headerText, log);
  DecodeHeaderPart(line, nullptr, log);
}

}  // namespace

void FuzzDecoders(FuzzInput input) {
  if (input.empty()) return;
  const std::string_view text = AsText(input.subspan(1));
  switch (input[0] % 6) {
    case 0: return CheckShrinks(&DecodeBase64, text, "base64");
    case 1: return CheckShrinks(&DecodeQuotedPrintable, text, "quoted-printable");
    case 2: return CheckShrinks(&DecodeUrl, text, "percent-decoding");
    case 3: return CheckUuencode(text);
    case 4: return CheckEncodedWords(text);
    default: return CheckHeaderPart(text);
  }
}

}  // namespace trellisk::fuzz
