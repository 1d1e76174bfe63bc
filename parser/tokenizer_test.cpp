#include "parser/tokenizer.h"

#include <gtest/gtest.h>

#include "parser/testing/parser_harness.h"

namespace trellisk {
namespace {

using testing::ParserHarness;
using testing::WordsOf;
using Words = std::vector<std::string>;

struct TokenizeCase {
  const char* name;
  std::string text;
  WordPrefix prefix;
  Words expected;
};

class TokenizeTable : public ::testing::TestWithParam<TokenizeCase> {};

TEST_P(TokenizeTable, GivesTheWords) {
  ParserHarness harness;
  EXPECT_EQ(harness.Tokenize(GetParam().text, GetParam().prefix), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tokenizer, TokenizeTable,
    ::testing::Values(
        TokenizeCase{"SubjectWordsWithPrefix", "Re: Cheap_Watches!!! 50% off", WordPrefix::kSubject,
                     {"S*Cheap", "S*Watches", "S*50%", "S*off"}},
        TokenizeCase{"AddressSplitsAtTheAt", "john.q.public@mail-host.example.org", WordPrefix::kNone,
                     {"john.q.public", "mail-host.example.org"}},
        TokenizeCase{"UrlSplitsAtSlashColonQuestion", "http://www.host.com/path?id=123", WordPrefix::kNone,
                     {"http", "www.host.com", "path", "123"}},
        TokenizeCase{"RunsOfTrimBytesVanish", "word ... --- !!! word2", WordPrefix::kNone, {"word", "word2"}},
        TokenizeCase{"TrimOnlyAtTheEnds", "...Hello!! e-mail", WordPrefix::kNone, {"Hello", "e-mail"}},
        TokenizeCase{"PrefixShieldsLeadingTrimBytes", "...Hello", WordPrefix::kFrom, {"F*...Hello"}},
        TokenizeCase{"HighBytesBelongToWords", "Gr\xFC\xDF" "e \xA0\xA0\xA0", WordPrefix::kNone,
                     {"Gr\xFC\xDF" "e", "\xA0\xA0\xA0"}},
        TokenizeCase{"EverySeparatorSeparates",
                     std::string("aaa\x01" "bbb\"ccc(ddd)eee*fff,ggg/hhh:iii;jjj<kkk=lll>mmm?nnn@ooo[ppp\\qqq]rrr_sss{ttt}uuu\x7Fvvv"),
                     WordPrefix::kNone,
                     {"aaa", "bbb", "ccc", "ddd", "eee", "fff", "ggg", "hhh", "iii", "jjj", "kkk", "lll", "mmm", "nnn",
                      "ooo", "ppp", "qqq", "rrr", "sss", "ttt", "uuu", "vvv"}},
        TokenizeCase{"WordBytesStayTogether", "a#$%&'+-.^`|~b", WordPrefix::kNone, {"a#$%&'+-.^`|~b"}},
        TokenizeCase{"EndOfTextEndsTheLastWord", "alpha beta", WordPrefix::kNone, {"alpha", "beta"}},
        TokenizeCase{"ShortWordsDropped", "ab abc a", WordPrefix::kNone, {"abc"}},
        TokenizeCase{"EmptyText", "", WordPrefix::kNone, {}}),
    [](const auto& info) { return info.param.name; });

TEST(Tokenizer, MinWordLengthCountsWithoutThePrefix) {
  ParserHarness harness;
  harness.settings.MinWordLength = 4;
  EXPECT_EQ(harness.Tokenize("Re: Cheap_Watches!!! 50% off", WordPrefix::kSubject), (Words{"S*Cheap", "S*Watches"}));
  EXPECT_EQ(harness.Tokenize("abcd abc", WordPrefix::kSubject), (Words{"S*abcd"}));
}

TEST(Tokenizer, PrefixesNeedSpecialMarkers) {
  ParserHarness harness;
  harness.settings.SpecialMarkers = 0;
  EXPECT_EQ(harness.Tokenize("Hallo", WordPrefix::kSubject), (Words{"Hallo"}));
}

TEST(Tokenizer, LowerCaseTakesThePrefixAlong) {
  ParserHarness harness;
  harness.settings.LowerCase = 1;
  EXPECT_EQ(harness.Tokenize("Hallo \xC4RGER", WordPrefix::kSubject), (Words{"s*hallo", "s*\xC4rger"}));
}

TEST(Tokenizer, AddWordVectorTrimsFiltersAndKeepsInnerBytes) {
  ParserHarness harness;
  WordVector words;
  Tokenizer tokenizer = harness.MakeTokenizer(words);
  tokenizer.AddWordVector("--a b--", kWordTrimSet);
  tokenizer.AddWordVector("..", kWordTrimSet);
  tokenizer.AddWordVector("x*yz", "");  // a "*" second byte reads as a prefix
  tokenizer.AddWordVector("xy*abc", "");
  EXPECT_EQ(WordsOf(words), (Words{"a b", "xy*abc"}));
  EXPECT_EQ(words[0].count, 1u);
  EXPECT_EQ(words[0].probability, 0.0);
}

TEST(Tokenizer, BarePrefixCountsAsEmptyWord) {
  ParserHarness harness;
  harness.settings.MinWordLength = 0;
  EXPECT_EQ(harness.Tokenize("...", WordPrefix::kFrom), (Words{"F*"}));
}

TEST(Tokenizer, DoubletsMergeIntoTheFirstWithCounts) {
  ParserHarness harness;
  WordVector words;
  Tokenizer tokenizer = harness.MakeTokenizer(words);
  tokenizer.ParseLine("Hallo", WordPrefix::kSubject);
  tokenizer.ParseLine("Hallo Welt Hallo hallo Hallo", WordPrefix::kNone);
  tokenizer.RemoveWordDoublets();
  EXPECT_EQ(testing::CountsOf(words), (Words{"S*Hallo:1", "Hallo:3", "Welt:1", "hallo:1"}));
}

TEST(Tokenizer, DoubletsStayWhenRemoveDoubletsIsOff) {
  ParserHarness harness;
  harness.settings.RemoveDoublets = 0;
  WordVector words;
  Tokenizer tokenizer = harness.MakeTokenizer(words);
  tokenizer.ParseLine("same same same", WordPrefix::kNone);
  tokenizer.RemoveWordDoublets();
  EXPECT_EQ(testing::CountsOf(words), (Words{"same:1", "same:1", "same:1"}));
}

TEST(Tokenizer, MergeAddsOnePerLaterCopy) {
  WordVector words = {{"a", 3}, {"b", 1}, {"a", 5}, {"a", 1}};
  MergeWordDoublets(words);
  EXPECT_EQ(testing::CountsOf(words), (Words{"a:5", "b:1"}));
}

TEST(Tokenizer, SeparatorTableMatchesTheList) {
  std::string separators;
  for (int c = 0; c < 256; ++c) {
    if (IsWordSeparator(static_cast<unsigned char>(c)) && c > 0x20) separators += static_cast<char>(c);
  }
  EXPECT_EQ(separators, "\"()*,/:;<=>?@[\\]_{}\x7F");
  for (int c = 0; c <= 0x20; ++c) EXPECT_TRUE(IsWordSeparator(static_cast<unsigned char>(c))) << c;
}

}  // namespace
}  // namespace trellisk
