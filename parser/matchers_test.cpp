// The linear matchers and cleaning steps against the literal Boost.Regex
// algorithms on many random texts built from the pieces HTML, headers and
// addresses are made of.
#include <gtest/gtest.h>

#include <random>

#include "parser/testing/literal_steps.h"
#include "parser/testing/parser_harness.h"

namespace trellisk {
namespace {

using testing::ParserHarness;
using testing::WordsOf;

const std::vector<std::string> kHtmlPieces = {
    "<", ">", " ", "\n", "\r\n", "\t", "=", "\"", "'", "a", "A", "form", "href", "HREF", "action", "img", "input",
    "src", "font", "color", "size", "h1", "H8", "h9", "body", "table", "td", "tr", "bgcolor", "text",
    "bordercolor", "bordercolorlight", "bordercolordark", "meta", "charset", "background-color", "font-weight",
    "font-size", "text-decoration", ":", ";", "red", "#ff0000", "+2", "mailto:", "MAILTO:", "x", "@", "y.com",
    "?subject=", "Hi", "http://", "/", "%41", "%2", "?", "#", "&", "a.b", "<!--", "-->", "--", "!", "...", "___",
    "&#", "&#x", "41", "1F", "8364", "65", "&amp;", "&nbsp;", "&quot;", "\xE4", "\xFC", "_", "-", ".", "b", "<b>"};

const std::vector<std::string> kHeaderPieces = {
    "=?", "?=", "?", "=", "q", "Q", "b", "B", "iso-8859-1", "SGFsbG8", "=41", "=FC", "_", " ", "a", "x", "@",
    ".", "de", "com", "1", "12", "123", "1234", "-", "\xE4", "\xF6", "host", "_x", "..", "Re:", "<", ">"};

std::string RandomText(std::mt19937& random, const std::vector<std::string>& pieces, size_t maxPieces) {
  std::uniform_int_distribution<size_t> count(0, maxPieces);
  std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
  std::string text;
  for (size_t n = count(random); n > 0; --n) text += pieces[pick(random)];
  return text;
}

template <typename Span>
std::vector<std::pair<size_t, size_t>> AllSpans(std::string_view text, Span find) {
  std::vector<std::pair<size_t, size_t>> spans;
  for (auto span = find(text, 0); span; span = find(text, span->end)) spans.emplace_back(span->begin, span->end);
  return spans;
}

TEST(Matchers, HeaderMatchersAgreeWithBoost) {
  std::mt19937 random(11);
  for (int i = 0; i < 20000; ++i) {
    const std::string text = RandomText(random, kHeaderPieces, 14);
    EXPECT_EQ(AllSpans(text, FindDottedQuad), AllSpans(text, oracle::FindDottedQuad)) << text;
    EXPECT_EQ(AllSpans(text, FindHostName), AllSpans(text, oracle::FindHostName)) << text;
    EXPECT_EQ(FindSenderAddress(text), oracle::FindSenderAddress(text)) << text;
    const auto link = FindMailLinkAddress(text);
    const auto literalLink = oracle::FindMailLinkAddress(text);
    ASSERT_EQ(link.has_value(), literalLink.has_value()) << text;
    if (link) {
      EXPECT_EQ(link->address, literalLink->address) << text;
      EXPECT_EQ(link->subjectPart, literalLink->subjectPart) << text;
    }
    const auto word = FindEncodedWord(text, 0);
    const auto literalWord = oracle::FindEncodedWord(text, 0);
    ASSERT_EQ(word.has_value(), literalWord.has_value()) << text;
    if (word) {
      EXPECT_EQ(word->begin, literalWord->begin) << text;
      EXPECT_EQ(word->end, literalWord->end) << text;
      EXPECT_EQ(word->charset, literalWord->charset) << text;
      EXPECT_EQ(word->encoding, literalWord->encoding) << text;
      EXPECT_EQ(word->text, literalWord->text) << text;
    }
  }
}

struct StepResult {
  std::vector<std::string> words;
  std::string text;
  bool operator==(const StepResult&) const = default;
};

StepResult RunSteps(const CleaningSteps& steps, std::string text) {
  ParserHarness harness;
  harness.settings.MinWordLength = 1;
  WordVector words;
  Tokenizer tokenizer = harness.MakeTokenizer(words);
  steps.removeTricks(text);
  steps.removeHtmlComments(text, tokenizer);
  steps.parseHtml(text, tokenizer);
  steps.removeHtmlTags(text);
  steps.mergeWordDoublets(words);
  return {testing::CountsOf(words), text};
}

TEST(Matchers, HtmlStepsAgreeWithTheLiteralAlgorithms) {
  std::mt19937 random(5);
  for (int i = 0; i < 20000; ++i) {
    const std::string text = RandomText(random, kHtmlPieces, 30);
    const StepResult linear = RunSteps(LinearCleaningSteps(), text);
    const StepResult literal = RunSteps(oracle::LiteralCleaningSteps(), text);
    ASSERT_EQ(linear.words, literal.words) << text;
    ASSERT_EQ(linear.text, literal.text) << text;
  }
}

TEST(Matchers, EachHtmlStepAgreesOnItsOwn) {
  std::mt19937 random(9);
  for (int i = 0; i < 5000; ++i) {
    const std::string text = RandomText(random, kHtmlPieces, 30);
    std::string a = text, b = text;
    LinearCleaningSteps().removeTricks(a);
    oracle::LiteralCleaningSteps().removeTricks(b);
    ASSERT_EQ(a, b) << text;
    a = b = text;
    LinearCleaningSteps().removeHtmlTags(a);
    oracle::LiteralCleaningSteps().removeHtmlTags(b);
    ASSERT_EQ(a, b) << text;
  }
}

}  // namespace
}  // namespace trellisk
