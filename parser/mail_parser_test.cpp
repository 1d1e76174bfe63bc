#include "parser/mail_parser.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "parser/testing/parser_harness.h"
#include "plugin/component_options.h"
#include "tests/support/temp_directory.h"

namespace trellisk {
namespace {

using testing::CountsOf;
using testing::ParserHarness;
using Words = std::vector<std::string>;

// Lines joined with CR LF, each line ended by one.
std::string Message(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

struct MessageCase {
  const char* name;
  std::string message;
  Words words;
};

class MessageWordsTable : public ::testing::TestWithParam<MessageCase> {};

TEST_P(MessageWordsTable, GivesTheWords) {
  ParserHarness harness;
  harness.Parse(GetParam().message);
  EXPECT_EQ(harness.Words(), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    MailParser, MessageWordsTable,
    ::testing::Values(
        MessageCase{"EncodedSubject", Message({"Subject: =?iso-8859-1?Q?Hallo?=", ""}), {"S*iso-8859-1", "S*Hallo"}},
        MessageCase{"FromWithoutBlankIsNoSender", Message({"From:Peter", ""}), {}},
        MessageCase{"FoldedSubjectKeepsOnlyItsFirstLine", Message({"Subject: first line", " second words", ""}),
                    {"S*first", "S*line"}},
        MessageCase{"XMailerWords", Message({"X-Mailer: Super Mailer 5.0", ""}), {"H*Super", "H*Mailer", "H*5.0"}},
        MessageCase{"ReceivedHostsAndAddresses",
                    Message({"Received: from a.b.c (d.e.f [10.1.2.3])", "received: from x.y.z ([10.9.9.9])", ""}),
                    {"H*a.b.c", "H*d.e.f", "H*10.1.2.3"}},
        MessageCase{"HostNameUnderscoreSeparates", Message({"Received: from my_host.example.com", ""}),
                    {"H*host.example.com"}},
        MessageCase{"CharsetIsTokenizedAndHidesTheBoundary",
                    Message({"Content-Type: multipart/alternative; charset=utf-8; boundary=\"y\"", ""}),
                    {"UTF-8", "BOUNDARY"}},
        MessageCase{"QuotedNameIsTokenized", Message({"Content-Type: application/zip; name=\"cheap pills.zip\"", ""}),
                    {"CHEAP", "PILLS.ZIP"}},
        MessageCase{"BodyWithoutContentTypeIsPlainText", Message({"Subject: x", "", "plain words here", "more"}),
                    {"plain", "words", "here", "more"}},
        MessageCase{"SinglePartBase64DecodedAsAWhole",
                    Message({"Content-Type: text/plain", "Content-Transfer-Encoding: base64", "", "SGFsbG8g",
                             "V2VsdA=="}),
                    {"Hallo", "Welt"}},
        MessageCase{"SinglePartQuotedPrintableJoinsSoftBreaks",
                    Message({"Content-Type: text/plain", "Content-Transfer-Encoding: quoted-printable", "",
                             "Gro=DFart=", "ig und=20", "sch=F6n"}),
                    {"Gro\xDF" "artig", "und", "sch\xF6n"}},
        MessageCase{"HtmlPartMarkersAndJoinedWords",
                    Message({"Content-Type: text/html", "",
                             "<body bgcolor=red>Ca<b></b>sino &amp; <font color=blue>x</font></body>"}),
                    {"BLUE", "RED", "Casino"}},
        MessageCase{"MultipartReadsTextPartsOnly",
                    Message({"Content-Type: multipart/mixed; boundary=\"abc\"", "", "preamble text", "--abc",
                             "Content-Type: text/plain", "", "hello world", "--abc", "Content-Type: image/gif",
                             "Content-Transfer-Encoding: base64", "", "R0lGODlh", "--abc--", "epilogue text"}),
                    {"hello", "world"}},
        MessageCase{"FailingQuotedPrintablePartGivesNoWords",
                    Message({"Content-Type: multipart/mixed; boundary=\"b1\"", "", "--b1", "Content-Type: text/plain",
                             "Content-Transfer-Encoding: quoted-printable", "", "bad a = b", "--b1",
                             "Content-Type: text/plain", "", "good words", "--b1--"}),
                    {"good", "words"}},
        MessageCase{"UuencodeWithBeginLineDecodesToNothing",
                    Message({"Content-Type: text/plain", "Content-Transfer-Encoding: x-uuencode", "",
                             "begin 644 file.txt", "%2&%L;&\\`", "`", "end"}),
                    {}},
        MessageCase{"UuencodeWithoutBeginLine",
                    Message({"Content-Type: text/plain", "Content-Transfer-Encoding: x-uuencode", "", "%2&%L;&\\`"}),
                    {"Hallo"}},
        MessageCase{"PartHeaderLinesBeforeTheContentAreWords",
                    Message({"Content-Type: multipart/mixed; boundary=\"b\"", "", "--b", "Content-Type: text/plain",
                             "Content-Transfer-Encoding: base64", "Content-Description: secret label", "",
                             "SGFsbG8=", "--b--"}),
                    {"Content-Description", "secret", "label", "Hallo"}},
        MessageCase{"BoundaryRedefinedInTheBody",
                    Message({"Content-Type: multipart/mixed;", " boundary=\"outer\"", "", "--outer",
                             "Content-Type: text/plain;", " boundary=\"zz\"", "", "--zz", "Content-Type: text/plain",
                             "", "inside", "--zz--"}),
                    {"inside"}},
        MessageCase{"NoEmptyLineNoWords", "Subject: hello\r\nFrom: someone\r\n", {}},
        MessageCase{"LineFeedsOnly", "Subject: hello\n\nbody words\n", {"S*hello", "body", "words"}},
        MessageCase{"TooShortBoundaryLines",
                    Message({"Content-Type: multipart/mixed; boundary=", "boundary=", "", "boundary=x", "b",
                             "text here"}),
                    {"text", "here"}}),
    [](const auto& info) { return info.param.name; });

TEST(MailParser, NestedMultipartUsesTheInnerBoundary) {
  ParserHarness harness;
  const CMailParser& parser = harness.Parse(Message({"Content-Type: multipart/mixed; boundary=\"outer\"", "", "--outer",
                         "Content-Type: multipart/alternative; boundary=\"inner\"", "", "--inner",
                         "Content-Type: text/plain", "", "inner words", "--inner--", "--outer",
                         "Content-Type: text/plain", "", "outer words", "--outer--"}));
  // The outer boundary is forgotten, so its closing line is read as text.
  EXPECT_EQ(CountsOf(parser.mail().words), (Words{"inner:1", "words:2", "outer:2"}));
}

TEST(MailParser, HeaderFields) {
  ParserHarness harness;
  const CMailParser& parser = harness.Parse(
      Message({"From: \"Peter\" <peter.x@host-a.example.de>", "To:  you@there.org ", "Cc: \tothers@there.org",
               "Message-ID: < <id.1@host> >", "Date: Mon, 1 Jan 2024", "Delivery-Date: Tue, 2 Jan 2024",
               "Received: from [1.2.3.4] by 5.6.7.8", "", "body"}));
  const ParsedMail& mail = parser.mail();
  EXPECT_EQ(mail.from, "\"Peter\" <peter.x@host-a.example.de>");
  EXPECT_EQ(mail.to, "you@there.org");
  EXPECT_EQ(mail.cc, "others@there.org");
  EXPECT_EQ(mail.messageId, "id.1@host");
  EXPECT_EQ(mail.date, "Mon, 1 Jan 2024");
  EXPECT_EQ(mail.deliveryDate, "Tue, 2 Jan 2024");
  EXPECT_EQ(mail.relays, (Words{"1.2.3.4", "5.6.7.8"}));
  EXPECT_EQ(parser.GetFrom(true), "peter.x@host-a.example.de");
  EXPECT_EQ(parser.GetFrom(false), mail.from);
}

TEST(MailParser, EncodedSenderKeepsTheRestOfTheLine) {
  ParserHarness harness;
  const CMailParser& parser = harness.Parse(Message({"From: =?utf-8?B?UGV0ZXI=?= <p@x.org>", ""}));
  EXPECT_EQ(parser.mail().from, "utf-8 Peter<p@x.org>");
  EXPECT_EQ(parser.GetFrom(true), "p@x.org");
  EXPECT_EQ(harness.Words(), (Words{"F*utf-8", "F*Peter", "F*x.org"}));
}

TEST(MailParser, FromWithoutAddress) {
  ParserHarness harness;
  EXPECT_EQ(harness.Parse(Message({"From: nobody", ""})).GetFrom(true), "");
  EXPECT_EQ(harness.Parse(Message({"Subject: x", ""})).GetFrom(true), "");
}

TEST(MailParser, MessageIdFallsBackToTheDeliveryDateHash) {
  ParserHarness harness;
  EXPECT_EQ(harness.Parse(Message({"Subject: x", ""})).GetMessageId(), "0");
  EXPECT_EQ(harness.Parse(Message({"Delivery-Date: ab", ""})).GetMessageId(), "ce3");
  CMailParser& parser = harness.Parse(Message({"Message-ID: <m@h>", "Delivery-Date: ab", ""}));
  EXPECT_EQ(parser.GetMessageId(), "m@h");
}

TEST(MailParser, HashTextSkipsControlAndHighBytes) {
  EXPECT_EQ(HashText(""), "0");
  EXPECT_EQ(HashText("ab"), "ce3");
  EXPECT_EQ(HashText("a\xFF\x01\t"), "61");
}

TEST(MailParser, NoEmptyLineLeavesEverythingAsInit) {
  ParserHarness harness;
  CMailParser& parser = harness.Parse("Subject: hello\r\nMessage-ID: <x@y>\r\n");
  EXPECT_EQ(parser.ParseMail(), nullptr);
  EXPECT_EQ(parser.mail().bodyOffset, -1);
  EXPECT_EQ(parser.mail().subject, "");
  EXPECT_EQ(parser.mail().messageId, "");
}

TEST(MailParser, SetMailTerminatesTheHeaderAndFindsTheBody) {
  ParserHarness harness;
  CMailParser& parser = harness.Parse("Subject: a\r\n\r\nbody\r\n");
  // The header keeps the first byte of the separator; the body starts with
  // its second half.
  EXPECT_EQ(parser.mail().bodyOffset, 12);
  EXPECT_EQ(harness.buffer()[11], '\0');
  EXPECT_EQ(harness.buffer().substr(0, 11), "Subject: a\r");
  EXPECT_EQ(harness.Parse("Subject: a\n\nbody").mail().bodyOffset, 12);
}

TEST(MailParser, TextEndsAtItsFirstZeroByte) {
  ParserHarness harness;
  std::string message = "Subject: before\r\n";
  message += '\0';
  message += "\r\n\r\nhidden words";
  EXPECT_EQ(harness.Parse(message).mail().bodyOffset, -1);
}

TEST(MailParser, ContentTypeLinesAreUpperCasedInPlace) {
  ParserHarness harness;
  harness.Parse(Message({"Content-Type: text/plain; charset=us-ascii", "", "x"}));
  EXPECT_NE(harness.buffer().find("CONTENT-TYPE: TEXT/PLAIN; CHARSET=US-ASCII"), std::string::npos);
}

TEST(MailParser, ParseMailRunsOnce) {
  ParserHarness harness;
  CMailParser& parser = harness.Parse(Message({"Subject: hello", "", "body"}));
  WordVector* first = parser.ParseMail();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(CountsOf(*first), (Words{"S*hello:1", "body:1"}));
  EXPECT_EQ(parser.ParseMail(), first);
  EXPECT_EQ(CountsOf(*first), (Words{"S*hello:1", "body:1"}));
}

TEST(MailParser, WithoutMailThereIsNothing) {
  ParserHarness harness;
  CMailParser parser(ParserOptionsOf(harness.settings), harness.log, nullptr);
  EXPECT_EQ(parser.ParseMail(), nullptr);
  EXPECT_EQ(parser.GetMessageId(), "0");
  EXPECT_EQ(parser.GetListResult().verdict, kNoDecision);
}

TEST(MailParser, HtmlWithoutParseHtmlLosesTagsButGivesNoMarkers) {
  ParserHarness harness;
  harness.settings.ParseHTML = 0;
  harness.Parse(Message({"Content-Type: text/html", "",
                         "<body bgcolor=red>Ca<b></b>sino <!-- hidden --> &amp; <font color=blue>x</font></body>"}));
  EXPECT_EQ(harness.Words(), (Words{"Casino"}));
}

TEST(MailParser, CollectsHeaderAndBodyForTheRuleFilter) {
  ParserHarness harness;
  harness.settings.Algorithm = kAlgorithmRuleFilter | 1;
  const CMailParser& parser =
      harness.Parse(Message({"Subject: =?x?Q?abc?=", "Content-Type: text/plain", "", "body text", "more"}));
  EXPECT_EQ(parser.mail().headerText, "Subject: x abc\nContent-Type: text/plain");
  EXPECT_EQ(parser.mail().bodyText, "body text more ");
}

TEST(MailParser, CollectedBodyKeepsPartHeadersAsTheyCame) {
  ParserHarness harness;
  harness.settings.Algorithm = kAlgorithmRuleFilter;
  const CMailParser& parser = harness.Parse(Message({"Content-Type: multipart/mixed; boundary=\"b\"", "", "--b",
                                                     "Content-Type: text/plain", "Content-Transfer-Encoding: base64",
                                                     "", "SGFsbG8=", "--b--"}));
  EXPECT_EQ(parser.mail().bodyText, "Content-Type: text/plain\nContent-Transfer-Encoding: base64\nHallo");
}

TEST(MailParser, NothingIsCollectedWithNoCollectOrWithoutTheRuleFilter) {
  ParserHarness harness;
  harness.settings.Algorithm = kAlgorithmRuleFilter;
  EXPECT_FALSE(harness.Parse(Message({"Subject: x", "", "body"}), true).mail().headerText);
  harness.settings.Algorithm = 1;
  EXPECT_FALSE(harness.Parse(Message({"Subject: x", "", "body"})).mail().bodyText);
}

// Records what the parser asks and black-lists texts that contain "evil".
class RecordingLists : public SenderListCheck {
 public:
  bool CheckBlackWhitelist(ListMatch& record, std::string_view text, bool reset) override {
    texts.emplace_back(text);
    resets.push_back(reset);
    if (text.find("evil") != std::string_view::npos) {
      record.verdict = kBlacklisted;
      record.matchedEntry = "evil";
    }
    return true;
  }
  std::vector<std::string> texts;
  std::vector<bool> resets;
};

TEST(MailParser, DecodedPartsGoToTheListsWithoutReset) {
  ParserHarness harness;
  RecordingLists lists;
  const CMailParser& parser = harness.Parse(
      Message({"Content-Type: multipart/mixed; boundary=\"b\"", "", "--b", "Content-Type: text/plain", "",
               "plain evil text", "--b", "Content-Type: text/plain", "Content-Transfer-Encoding: base64", "",
               "ZXZpbEBzcGFtLmNvbQ==", "--b--"}),
      false, &lists);
  EXPECT_EQ(lists.texts, (Words{"evil@spam.com"}));
  EXPECT_EQ(lists.resets, (std::vector<bool>{false}));
  EXPECT_EQ(parser.GetListResult().verdict, kBlacklisted);
  EXPECT_EQ(parser.GetListResult().matchedEntry, "evil");
}

}  // namespace
}  // namespace trellisk

namespace trellisk {
namespace {

void ThrowingParseHtml(std::string_view, Tokenizer&) { throw std::runtime_error("matcher gave up"); }

TEST(MailParser, AFailingStepIsReportedAndTheParseGoesOn) {
  ParserHarness harness;
  trellisk::testing::TempDirectory directory;
  const std::string logPath = directory.File("parser.log");
  ASSERT_TRUE(harness.log.Open(logPath, true));
  CleaningSteps steps = LinearCleaningSteps();
  steps.parseHtml = &ThrowingParseHtml;
  harness.Parse(Message({"Subject: before", "Content-Type: text/html", "", "<b>still</b> tokenized"}), false, nullptr,
                &steps);
  EXPECT_EQ(harness.Words(), (Words{"S*before", "still", "tokenized"}));
  harness.log.Close();
  EXPECT_EQ(trellisk::testing::ReadFileBytes(logPath),
            harness.log.LoadText(kTextUnexpectedException) + " CMailParser::ParseHTML\n");
}

}  // namespace
}  // namespace trellisk

namespace trellisk {
namespace {

struct BoundaryCase {
  const char* name;
  std::string message;
  std::string boundary;
  BoundaryState state;
};

class BoundaryTable : public ::testing::TestWithParam<BoundaryCase> {};

TEST_P(BoundaryTable, SetsTheBoundary) {
  ParserHarness harness;
  const ParsedMail& mail = harness.Parse(GetParam().message).mail();
  EXPECT_EQ(mail.boundary, GetParam().boundary);
  EXPECT_EQ(mail.boundaryState, GetParam().state);
}

INSTANTIATE_TEST_SUITE_P(
    MailParser, BoundaryTable,
    ::testing::Values(
        BoundaryCase{"QuotedOnTheContentTypeLineIsUpperCased",
                     Message({"Content-Type: multipart/mixed; boundary=\"abc\"", ""}), "--ABC", kBeforeBoundary},
        BoundaryCase{"QuotedOnALineOfItsOwn", Message({"Content-Type: multipart/mixed;", "\tboundary=\"abc\"", ""}),
                     "--abc", kAfterBoundary},
        BoundaryCase{"UnquotedLosesItsFirstAndLastBytes", Message({"Content-Type: multipart/mixed;", " boundary=abcd", ""}),
                     "--bc", kAfterBoundary},
        BoundaryCase{"TooShortGivesNone", Message({"Content-Type: multipart/mixed;", " boundary=a", ""}), "",
                     kAfterBoundary},
        BoundaryCase{"RedefinedInTheBody",
                     Message({"Content-Type: multipart/mixed; boundary=\"a\"", "", "--a", "boundary=\"inner\""}),
                     "--inner", kBeforeBoundary}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace trellisk
