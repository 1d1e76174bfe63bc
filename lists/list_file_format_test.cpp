#include "lists/list_file_format.h"

#include <gtest/gtest.h>

#include <string>

namespace trellisk {
namespace {

struct LineCase {
  const char* name;
  std::string line;
  std::string text;
  bool expression;
};

class ParseListLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ParseListLineTest, GivesEntry) {
  const ListLine parsed = ParseListLine(GetParam().line);
  EXPECT_EQ(parsed.text, GetParam().text);
  EXPECT_EQ(parsed.expression, GetParam().expression);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseListLineTest,
    ::testing::Values(
        LineCase{"TextPrefix", "TEXT:Cheap Pills\n", "Cheap Pills", false},
        LineCase{"TextPrefixAnyCaseWithBlanks", "  tExT: \t friend@example.com \r\n", "friend@example.com", false},
        LineCase{"ExpressionPrefixLowerCaseWithBlanks", "regexp:    ^From:.*casino\r\n", "^From:.*casino", true},
        LineCase{"ExpressionPrefixMixedCase", "ReGeXp:a+b", "a+b", true},
        LineCase{"NoPrefixIsPlainText", "\tspam@example.com  \n", "spam@example.com", false},
        LineCase{"PrefixNotAtStartIsText", "my TEXT: x", "my TEXT: x", false},
        LineCase{"OnlyOnePrefixRemoved", "TEXT: text: x", "text: x", false},
        LineCase{"TextPrefixAfterExpressionPrefixStays", "REGEXP: TEXT:x", "TEXT:x", true},
        LineCase{"BarePrefixIsBlank", "TEXT:  \r\n", "", false},
        LineCase{"BlankLine", " \t\r\n", "", false},
        LineCase{"EmptyLine", "", "", false},
        LineCase{"EndsAtZeroByte", std::string("abc\0def\n", 8), "abc", false},
        LineCase{"PrefixWithoutColonIsText", "TEXTabc", "TEXTabc", false}),
    [](const auto& info) { return info.param.name; });

TEST(FormatListLineTest, EveryEntryCarriesItsPrefix) {
  EXPECT_EQ(FormatListLine("a@b.c", false), "TEXT: a@b.c\n");
  EXPECT_EQ(FormatListLine("^From:.*x", true), "REGEXP: ^From:.*x\n");
  EXPECT_EQ(FormatListLine("text:x", false), "TEXT: text:x\n");
  EXPECT_EQ(FormatListLine("REGEXP:x", true), "REGEXP: REGEXP:x\n");
}

TEST(FormatListLineTest, EntriesStartingWithAPrefixReadBackUnchanged) {
  for (const auto& [text, expression] : {std::pair{"text:x", false}, std::pair{"REGEXP: y", true},
                                         std::pair{"REGEXP:z", false}, std::pair{"TEXT:w", true}}) {
    const std::string line = FormatListLine(text, expression);
    const ListLine parsed = ParseListLine(line);
    EXPECT_EQ(parsed.text, text);
    EXPECT_EQ(parsed.expression, expression);
  }
}

struct CutCase {
  const char* name;
  std::string text;
  uint32_t limit;
  std::string kept;
};

class KeepNewestLinesTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(KeepNewestLinesTest, Keeps) {
  EXPECT_EQ(KeepNewestLines(GetParam().text, GetParam().limit), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, KeepNewestLinesTest,
    ::testing::Values(CutCase{"NoLimit", "old\nmiddle\nnew\n", 0, "old\nmiddle\nnew\n"},
                      CutCase{"WithinLimit", "old\nnew\n", 8, "old\nnew\n"},
                      CutCase{"CutInsideALine", "old\nmiddle\nnew\n", 9, "new\n"},
                      CutCase{"CutAtALineStartStillDropsThatLine", "old\nmiddle\nnew\n", 11, "new\n"},
                      CutCase{"LimitEqualToNewestLineAndLineEnd", "old\nnew\n", 4, ""},
                      CutCase{"LimitSmallerThanNewestLine", "old\nnewest\n", 3, ""},
                      CutCase{"OneMoreThanNewestLineKeepsIt", "old\nnew\n", 5, "new\n"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace trellisk
