#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "parser/base64.h"
#include "parser/quoted_printable.h"
#include "parser/replace_all.h"
#include "parser/url_decode.h"
#include "parser/uuencode.h"

namespace trellisk {
namespace {

using Decoder = bool (*)(std::string_view, std::string&);

struct DecodeCase {
  const char* name;
  Decoder decoder;
  std::string input;
  bool ok;
  std::string output;
};

class DecodeTable : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTable, DecodesAndReportsFailure) {
  const DecodeCase& c = GetParam();
  std::string output = "stale";
  EXPECT_EQ(c.decoder(c.input, output), c.ok);
  EXPECT_EQ(output, c.output);
}

INSTANTIATE_TEST_SUITE_P(
    QuotedPrintable, DecodeTable,
    ::testing::Values(
        DecodeCase{"Escapes", DecodeQuotedPrintable, "Gr=FC=DFe", true, "Gr\xFC\xDF" "e"},
        DecodeCase{"LowerCaseHex", DecodeQuotedPrintable, "=3d=3D", true, "=="},
        DecodeCase{"LetterBeyondFEndsTheNumber", DecodeQuotedPrintable, "=3Gx", true, std::string("\x03x")},
        DecodeCase{"NonHexLetterGivesZero", DecodeQuotedPrintable, "a=ZZb", true, std::string("a\0b", 3)},
        DecodeCase{"SoftBreak", DecodeQuotedPrintable, "ab=\r\ncd", true, "abcd"},
        DecodeCase{"LineBreaksDropped", DecodeQuotedPrintable, "a\r\nb\nc", true, "abc"},
        DecodeCase{"UnderscoreStays", DecodeQuotedPrintable, "a_b", true, "a_b"},
        DecodeCase{"BlankAfterEqualsFails", DecodeQuotedPrintable, "a = b", false, "a "},
        DecodeCase{"LoneEqualsAtEndFails", DecodeQuotedPrintable, "abc=", false, "abc"},
        DecodeCase{"OneCharAfterEqualsAtEndFails", DecodeQuotedPrintable, "abc=4", false, "abc"},
        DecodeCase{"EqualsCrAtEndFails", DecodeQuotedPrintable, "abc=\r", false, "abc"},
        DecodeCase{"Empty", DecodeQuotedPrintable, "", true, ""}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Base64, DecodeTable,
    ::testing::Values(DecodeCase{"Clean", DecodeBase64, "SGFsbG8gV2VsdA==", true, "Hallo Welt"},
                      DecodeCase{"LineBreaksBlanksNoPadding", DecodeBase64, "SGFs\r\nbG8g V2\nVsdA", true, "Hallo Welt"},
                      DecodeCase{"ThreeLeftOverGiveTwoBytes", DecodeBase64, "SGFsbG8", true, "Hallo"},
                      DecodeCase{"TwoLeftOverGiveOneByte", DecodeBase64, "SGE", true, "Ha"},
                      DecodeCase{"OneLeftOverGivesNothing", DecodeBase64, "SGFsS", true, "Hal"},
                      DecodeCase{"GarbageIsSkipped", DecodeBase64, "S*G!F~s", true, "Hal"},
                      DecodeCase{"PaddingInTheMiddleSkipped", DecodeBase64, "SG=Fs", true, "Hal"}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Uuencode, DecodeTable,
    ::testing::Values(
        DecodeCase{"OneLine", DecodeUuencode, "%2&%L;&\\`", true, "Hallo"},
        DecodeCase{"BeginAndEndLinesSkipped", DecodeUuencode, "begin 644 x.txt\n%2&%L;&\\`\n`\nend\n", true, "Hallo"},
        DecodeCase{"BlankReadsAsEmptyLine", DecodeUuencode, "#2&%L \";&\\`", true, "Hallo"},
        DecodeCase{"BeginWithoutLineBreaksSkipsEverything", DecodeUuencode, "begin 644 x %2&%L;&\\`", true, ""},
        DecodeCase{"EndInAnyCase", DecodeUuencode, "END\n#2&%L", true, "Hal"},
        DecodeCase{"MissingCharactersCountAsZero", DecodeUuencode, "#2&", true, std::string("H`\0", 3)},
        DecodeCase{"LineBreakInsideAGroupFails", DecodeUuencode, "%2&%\nL;&\\`", false, ""},
        DecodeCase{"GraveAccentIsZeroLength", DecodeUuencode, "`\n%2&%L;&\\`", true, "Hallo"}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Url, DecodeTable,
    ::testing::Values(DecodeCase{"Escapes", DecodeUrl, "a%41%2fb+c", true, "aA/b+c"},
                      DecodeCase{"IncompleteEscapeEndsTheOutput", DecodeUrl, "%41%2", false, "A"},
                      DecodeCase{"PercentAtEnd", DecodeUrl, "ab%", false, "ab"},
                      DecodeCase{"NonHexCountsAsMinusOne", DecodeUrl, "%zz%0g", true, "\xEF\xFF"}),
    [](const auto& info) { return info.param.name; });

std::string EncodeBase64(std::string_view bytes) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t group = 0;
    const size_t n = std::min<size_t>(3, bytes.size() - i);
    for (size_t k = 0; k < 3; ++k) group = (group << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0);
    for (size_t k = 0; k < 4; ++k) out += k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 63] : '=';
    if (out.size() % 78 == 76) out += "\r\n";
  }
  return out;
}

std::string EncodeQuotedPrintable(std::string_view bytes) {
  std::string out;
  char hex[4];
  for (char c : bytes) {
    std::snprintf(hex, sizeof hex, "=%02X", static_cast<unsigned char>(c));
    out += hex;
    if (out.size() % 75 == 0) out += "=\r\n";
  }
  return out;
}

TEST(Decoders, RoundTripsOfEveryLength) {
  std::mt19937 random(7);
  for (size_t length = 0; length < 200; ++length) {
    std::string bytes(length, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    std::string decoded;
    EXPECT_TRUE(DecodeBase64(EncodeBase64(bytes), decoded));
    EXPECT_EQ(decoded, bytes) << length;
    EXPECT_TRUE(DecodeQuotedPrintable(EncodeQuotedPrintable(bytes), decoded));
    EXPECT_EQ(decoded, bytes) << length;
  }
}

TEST(Decoders, NeverReadPastTheInput) {
  // Each prefix of awkward inputs is decoded from a buffer of exactly its
  // size, so the address sanitizer sees any read beyond it.
  const std::string inputs[] = {"=4", "=\r\n=", "%4%", "M86%L", "begi", "en", "SGFsbG8"};
  std::string output;
  for (const std::string& input : inputs) {
    for (size_t length = 0; length <= input.size(); ++length) {
      const std::unique_ptr<char[]> exact(new char[length]);
      std::memcpy(exact.get(), input.data(), length);
      const std::string_view view(exact.get(), length);
      DecodeQuotedPrintable(view, output);
      DecodeBase64(view, output);
      DecodeUuencode(view, output);
      DecodeUrl(view, output);
    }
  }
}

struct ReplaceCase {
  const char* name;
  std::string text, find, replacement, expected;
};

class ReplaceAllTable : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceAllTable, Replaces) {
  std::string text = GetParam().text;
  ReplaceAll(text, GetParam().find, GetParam().replacement);
  EXPECT_EQ(text, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    ReplaceAll, ReplaceAllTable,
    ::testing::Values(ReplaceCase{"Every", "a&amp;b&amp;&amp;c", "&amp;", "&", "a&b&&c"},
                      ReplaceCase{"ResumesAfterTheReplacement", "&amp;amp;", "&amp;", "&", "&amp;"},
                      ReplaceCase{"CaseSensitive", "&NBSP;&nbsp;", "&nbsp;", " ", "&NBSP; "},
                      ReplaceCase{"LongerReplacementIgnored", "ab", "a", "xyz", "ab"},
                      ReplaceCase{"SameLength", "abab", "ab", "cd", "cdcd"},
                      ReplaceCase{"ToNothing", "xaxbx", "x", "", "ab"},
                      ReplaceCase{"NotFound", "abc", "d", "", "abc"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace trellisk
