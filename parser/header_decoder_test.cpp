#include "parser/header_decoder.h"

#include <gtest/gtest.h>

#include "base/log.h"
#include "base/text_source.h"

namespace trellisk {
namespace {

struct HeaderCase {
  const char* name;
  std::string line;
  std::string decoded;
};

class DecodeHeaderTable : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(DecodeHeaderTable, Decodes) {
  BuiltinTexts texts;
  Log log(&texts);
  EXPECT_EQ(DecodeHeaderPart(GetParam().line, nullptr, log), GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(
    Header, DecodeHeaderTable,
    ::testing::Values(
        HeaderCase{"QuotedPrintableWord", "Subject: =?iso-8859-1?Q?Gr=FC=DFe?=", "iso-8859-1 Gr\xFC\xDF" "e"},
        HeaderCase{"ByteAfterTheWordIsSkipped", "Subject: =?utf-8?B?SGFsbG8=?= Welt", "utf-8 HalloWelt"},
        HeaderCase{"TextBeforeTheWordIsLost", "Subject: Re: =?x?Q?abc?=", "x abc"},
        HeaderCase{"LowerCaseQ", "Subject: =?x?q?a=41?=", "x aA"},
        HeaderCase{"LowerCaseB", "Subject: =?x?b?QUJD?=", "x ABC"},
        HeaderCase{"MissingEncodingLetter", "Subject: =?x??abc?=", ""},
        HeaderCase{"UnknownEncodingLetter", "Subject: =?x?z?abc?=", ""},
        HeaderCase{"InvalidBase64KeepsValidBytes", "Subject: =?x?B?S*G!E?=", "x Ha"},
        HeaderCase{"FailingQuotedPrintableKeepsTheCharset", "Subject: =?x?Q?a=?=", "x"},
        HeaderCase{"WordsRunToTheLastClose", "Subject: =?a?Q?one?= and =?a?Q?two?=", "a"},
        HeaderCase{"UnderscoreStays", "Subject: =?x?Q?a_b?=", "x a_b"},
        HeaderCase{"DecodedZeroByteEndsTheText", "Subject: =?x?Q?ab=00cd?=", "x ab"},
        HeaderCase{"NoEncodedWord", "Subject: plain", ""},
        HeaderCase{"EmptyCharsetIsNoWord", "Subject: =??Q?abc?=", ""}),
    [](const auto& info) { return info.param.name; });

TEST(DecodeHeaderPart, ReplacesTheWordInTheCollectedHeader) {
  BuiltinTexts texts;
  Log log(&texts);
  std::string header = "From: x\nSubject: =?iso-8859-1?Q?_Hallo_?= Welt";
  EXPECT_EQ(DecodeHeaderPart("Subject: =?iso-8859-1?Q?_Hallo_?= Welt", &header, log), "iso-8859-1 _Hallo_Welt");
  EXPECT_EQ(header, "From: x\nSubject: iso-8859-1 _Hallo_ Welt");
}

TEST(DecodeHeaderPart, CollectingTrimsThePiece) {
  BuiltinTexts texts;
  Log log(&texts);
  std::string header = "Subject: =? x?Q?a=20?=";
  EXPECT_EQ(DecodeHeaderPart("Subject: =? x?Q?a=20?=", &header, log), "x a");
  EXPECT_EQ(header, "Subject: x a");
  EXPECT_EQ(DecodeHeaderPart("Subject: =? x?Q?a=20?=", nullptr, log), " x a ");
}

}  // namespace
}  // namespace trellisk
