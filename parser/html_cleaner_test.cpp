#include "parser/html_cleaner.h"

#include <gtest/gtest.h>

#include "parser/testing/literal_steps.h"
#include "parser/testing/parser_harness.h"

namespace trellisk {
namespace {

using testing::ParserHarness;
using testing::WordsOf;
using Words = std::vector<std::string>;

// Every row runs through the parser's step and through the literal oracle.
struct Implementation {
  const char* name;
  const CleaningSteps* steps;
};
const Implementation kImplementations[] = {{"linear", &LinearCleaningSteps()},
                                           {"literal", &oracle::LiteralCleaningSteps()}};

struct TextCase {
  const char* name;
  std::string input;
  std::string expected;
};

class RemoveTricksTable : public ::testing::TestWithParam<TextCase> {};

TEST_P(RemoveTricksTable, CleansTheText) {
  for (const Implementation& implementation : kImplementations) {
    std::string text = GetParam().input;
    implementation.steps->removeTricks(text);
    EXPECT_EQ(text, GetParam().expected) << implementation.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Html, RemoveTricksTable,
    ::testing::Values(
        TextCase{"NamedEntities", "a&nbsp;b&amp;c&uuml;&Uuml;&ouml;&Ouml;&auml;&Auml;&szlig;&quot;",
                 "a b&c\xFC\xDC\xF6\xD6\xE4\xC4\xDF\""},
        TextCase{"EntityNamesAreCaseSensitive", "&Nbsp;&NBSP;&eacute;", "&Nbsp;&NBSP;&eacute;"},
        TextCase{"EntitiesAreReplacedInTableOrder", "&amp;nbsp; &amp;quot;", "&nbsp; \""},
        TextCase{"Runs", "Hello.....World a---b c__________d ..x --y", "Hello.World a-b c_d ..x --y"},
        TextCase{"DecimalAndHexReferences", "&#72;&#x65;llo", "Hello"},
        TextCase{"HexReferenceAnyCase", "&#X4a;&#x4A;", "JJ"},
        TextCase{"OutOfRangeReferencesGetAHash", "&#8364; &#x1F; &#32;", "&#8364# &#x1F# &#32#"},
        TextCase{"LowerCaseHexStaysWhenOutOfRange", "&#x1f;", "&#x1f;"},
        TextCase{"TooManyDigitsIsNoReference", "&#000065; &#x00041;", "&#000065; &#x00041#"},
        TextCase{"FiveDigitsDecimal", "&#00065;", "A"},
        TextCase{"ReferenceMayMakeAnAmpersand", "&#x26;#65;", "A"},
        TextCase{"DecodedDotsDoNotCollapse", "&#46;&#46;&#46;", "..."},
        TextCase{"NoSemicolon", "&#65 &#x41", "&#65 &#x41"}),
    [](const auto& info) { return info.param.name; });

class RemoveTagsTable : public ::testing::TestWithParam<TextCase> {};

TEST_P(RemoveTagsTable, RemovesTags) {
  for (const Implementation& implementation : kImplementations) {
    std::string text = GetParam().input;
    implementation.steps->removeHtmlTags(text);
    EXPECT_EQ(text, GetParam().expected) << implementation.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Html, RemoveTagsTable,
    ::testing::Values(TextCase{"SplitWordJoins", "Ca<b></b>sino", "Casino"},
                      TextCase{"TagsThatFormWhenClosingUp", "a<<b>>c<<<i>>>d", "acd"},
                      TextCase{"LoneBrackets", "a < b > c", "a  c"},
                      TextCase{"OpenBeforeOpen", "x<y<z>", "x<y"},
                      TextCase{"TooLong", "<" + std::string(257, 'x') + ">", "<" + std::string(257, 'x') + ">"},
                      TextCase{"LongestTag", "a<" + std::string(256, 'x') + ">b", "ab"},
                      TextCase{"ShortCommentIsATag", "a<!-- c -->b", "ab"},
                      TextCase{"CommentWithTagInside", "a<!-- <b> -->b", "ab"},
                      TextCase{"Unclosed", "a<b", "a<b"}),
    [](const auto& info) { return info.param.name; });

struct WordsCase {
  const char* name;
  std::string input;
  Words words;
  std::string remaining;  // the text after the step
};

class CommentsTable : public ::testing::TestWithParam<WordsCase> {};

TEST_P(CommentsTable, TokenizesAndRemoves) {
  for (const Implementation& implementation : kImplementations) {
    ParserHarness harness;
    WordVector words;
    Tokenizer tokenizer = harness.MakeTokenizer(words);
    std::string text = GetParam().input;
    implementation.steps->removeHtmlComments(text, tokenizer);
    EXPECT_EQ(WordsOf(words), GetParam().words) << implementation.name;
    EXPECT_EQ(text, GetParam().remaining) << implementation.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Html, CommentsTable,
    ::testing::Values(
        WordsCase{"SpanningVisibleText", "pre <!-- alpha --> visible <!-- beta --> post", {"alpha", "visible", "beta"},
                  "pre  post"},
        WordsCase{"Unclosed", "a <!-- never closed", {}, "a <!-- never closed"},
        WordsCase{"EmptyComment", "x<!---->y", {}, "xy"},
        WordsCase{"OpeningDashesDoNotClose", "x<!-->y", {}, "x<!-->y"},
        WordsCase{"CloseBeforeOpenIgnored", "--> abc <!-- def", {}, "--> abc <!-- def"},
        WordsCase{"ExtraAngles", "<!-- word -->>> tail", {"word"}, ">> tail"}),
    [](const auto& info) { return info.param.name; });

class ParseHtmlTable : public ::testing::TestWithParam<WordsCase> {};

TEST_P(ParseHtmlTable, AddsMarkers) {
  for (const Implementation& implementation : kImplementations) {
    ParserHarness harness;
    WordVector words;
    Tokenizer tokenizer = harness.MakeTokenizer(words);
    implementation.steps->parseHtml(GetParam().input, tokenizer);
    EXPECT_EQ(WordsOf(words), GetParam().words) << implementation.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Html, ParseHtmlTable,
    ::testing::Values(
        WordsCase{"FontColorAndSize", "<font color=red size=7>", {"RED", "SIZE=7"}, ""},
        WordsCase{"QuotedColour", "<FONT COLOR=\"#ff0000\">", {"#FF0000"}, ""},
        WordsCase{"SizeKeepsSign", "<font size=+2>", {"SIZE=+2"}, ""},
        WordsCase{"Headings", "<H3> < h1 > <h9> <h0>", {"HEADERSIZE3", "HEADERSIZE1"}, ""},
        WordsCase{"Link", "<a href=\"http://a.b/dir/page.html?id=5&x=1\">",
                  {"a.b", "dir", "page.html", "?id=5", "&x=1"}, ""},
        WordsCase{"RelativeLink", "<a href=page.html>", {"page.html"}, ""},
        WordsCase{"PercentEncodedLink", "<a href=http://host.com/%41%42C>", {"host.com", "ABC"}, ""},
        WordsCase{"MailLinkWithSubject", "<a href=\"mailto:sales@shop.com?subject=Hello\">",
                  {"sales@shop.com", "Hello"}, ""},
        WordsCase{"MailLinkSubjectEndsAtBlank", "<a href=mailto:sales@shop.com?subject=Buy now>",
                  {"sales@shop.com", "Buy"}, ""},
        WordsCase{"CapitalMailtoIsALink", "<a href=MAILTO:x@y.com>", {"MAILTO:x@y.com"}, ""},
        WordsCase{"MailLinkWithoutAddress", "<a href=mailto:nobody>", {}, ""},
        WordsCase{"ImageSourceIsNeverAMailLink", "<img src=\"mailto:1.2.3.4/images/a.jpg\">",
                  {"mailto:1.2.3.4", "images", "a.jpg"}, ""},
        WordsCase{"FormAction", "<form method=post action=/cgi-bin/go.pl>", {"cgi-bin", "go.pl"}, ""},
        WordsCase{"LastAttributeWins", "<a href=one.html href=two.html>", {"two.html"}, ""},
        WordsCase{"ImageSource", "<img border=0 src=\"http://img.host.net/pic.gif\">", {"img.host.net", "pic.gif"}, ""},
        WordsCase{"TableColours", "<table bgcolor=#FFFFFF><td bordercolorlight=navy><body text=red>",
                  {"#FFFFFF", "NAVY", "RED"}, ""},
        WordsCase{"MetaCharset", "<meta http-equiv=Content-Type content=text/html; charset=iso-8859-1>",
                  {"ISO-8859-1"}, ""},
        WordsCase{"StyleProperties", "<p style=\"color: red; font-size:12px\">",
                  {"STYLESHEETRED", "STYLESHEET12PX"}, ""},
        WordsCase{"StyleValueOfBlanksOnly", "color: ;", {"STYLESHEET"}, ""},
        WordsCase{"StyleInPlainText", "background-color:#fff", {"STYLESHEET#FFF"}, ""},
        WordsCase{"NoClosingBracket", "<a href=x.html", {}, ""},
        WordsCase{"AttributeNeedsAByteAfterTheName", "<ahref=x.html>", {}, ""}),
    [](const auto& info) { return info.param.name; });

TEST(ParseHtml, WordsFollowTheSettings) {
  ParserHarness harness;
  harness.settings.LowerCase = 1;
  harness.settings.MinWordLength = 4;
  WordVector words;
  Tokenizer tokenizer = harness.MakeTokenizer(words);
  ParseHTML("<font color=red size=7><h1>", tokenizer);
  EXPECT_EQ(WordsOf(words), (Words{"size=7", "headersize1"}));
}

TEST(RegexReplace, ExtendedFormatGroupsWithParentheses) {
  std::string text = "&#8364; and &#x1F;";
  RegexReplace(text, "(&#x?[0-9A-F]{1,5});", "($1#)");
  EXPECT_EQ(text, "&#8364# and &#x1F#");
  text = "abc";
  RegexReplace(text, "b", "longer");
  EXPECT_EQ(text, "abc");
}

// Hostile texts must not take long; the oracle is not run on them.
TEST(HtmlCleaner, HostileInputsFinish) {
  const std::string inputs[] = {std::string(65536, '<'), [] {
                                  std::string s;
                                  while (s.size() < 65536) s += "<b>";
                                  return s;
                                }(),
                                [] {
                                  std::string s;
                                  while (s.size() < 65536) s += "<a href=x ";
                                  return s + ">";
                                }(),
                                [] {
                                  std::string s;
                                  while (s.size() < 65536) s += "<!--";
                                  return s;
                                }()};
  for (const std::string& input : inputs) {
    ParserHarness harness;
    WordVector words;
    Tokenizer tokenizer = harness.MakeTokenizer(words);
    std::string text = input;
    RemoveTricks(text);
    RemoveHTMLComments(text, tokenizer);
    ParseHTML(text, tokenizer);
    RemoveHTMLTags(text);
  }
}

}  // namespace
}  // namespace trellisk
