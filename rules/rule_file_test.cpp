#include "rules/rule_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <boost/regex.hpp>

#include <array>
#include <cfloat>
#include <random>
#include <string>
#include <vector>

#include "base/ascii.h"
#include "tests/support/temp_directory.h"

namespace trellisk {
namespace {

using testing::WriteFileBytes;

// The parts of a rule the tests compare, as one printable line:
// flags (% + = - @ ~ and E for an expression), field, score, pattern, options.
std::string Describe(const FilterRule& rule) {
  std::string flags;
  if (rule.percent) flags += '%';
  if (rule.plus) flags += '+';
  if (rule.stopAfter) flags += '=';
  if (rule.negate) flags += '-';
  if (rule.chainToNext) flags += '@';
  if (rule.useCollected) flags += '~';
  if (rule.isExpression) flags += 'E';
  return flags + "|" + rule.fieldName + "|" + std::to_string(rule.score) + "|" + rule.pattern + "|" + rule.options;
}

std::string DescribeLine(const std::string& line) {
  const std::optional<FilterRule> rule = ParseRuleLine(line);
  return rule ? Describe(*rule) : "none";
}

TEST(ParseRuleLine, ReadsBothForms) {
  struct Case {
    const char* line;
    const char* expected;
  } cases[] = {
      {R"(SUBJECT: 3.5 "viagra" [pharmacy])", "|SUBJECT|3.500000|viagra|pharmacy"},
      {R"(SUBJECT:3.5"viagra"[pharmacy])", "|SUBJECT|3.500000|viagra|pharmacy"},
      {R"(BODY: 10 {v[i1]agra})", "E|BODY|10.000000|v[i1]agra|"},
      {R"(FROM: "x")", "|FROM|0.000000|x|"},
      {R"(  	FROM: -2 "x"  	)", "|FROM|-2.000000|x|"},
      {R"(%+=-@~From: 1 "x")", "%+=-@~|From|1.000000|x|"},
      {R"(=~FROM: 1 "x")", "=~|FROM|1.000000|x|"},
      // Flags out of order become part of the field name.
      {R"(@-FROM: 1 "x")", "@|-FROM|1.000000|x|"},
      {R"(~=FROM: 1 "x")", "~|=FROM|1.000000|x|"},
      // A blank before the colon stays in the field name.
      {R"(FROM : 1 "x")", "|FROM |1.000000|x|"},
      {R"(X Custom Name: 1 "x")", "|X Custom Name|1.000000|x|"},
      {R"(FROM: 1 "")", "|FROM|1.000000||"},
      {R"(FROM: 1 {})", "E|FROM|1.000000||"},
      // The expression runs to the last brace before the options.
      {R"(BODY: 1 {a{2}b} [x])", "E|BODY|1.000000|a{2}b|x"},
      {R"(BODY: 1 {a}b} [x] )", "E|BODY|1.000000|a}b|x"},
      {R"(BODY: 1 {a"b"c})", "E|BODY|1.000000|a\"b\"c|"},
      {R"(BODY: 1 "a:b" [c:d])", "|BODY|1.000000|a:b|c:d"},
      {R"(BODY: 1 "x" [])", "|BODY|1.000000|x|"},
      {R"(BODY: 1.2.3 "x")", "|BODY|1.200000|x|"},
      {R"(BODY: -.5 "x")", "|BODY|-0.500000|x|"},
      {R"(BODY: 5- "x")", "|BODY|5.000000|x|"},
      {R"(BODY: -- "x")", "|BODY|0.000000|x|"},
  };
  for (const Case& c : cases) EXPECT_EQ(DescribeLine(c.line), c.expected) << c.line;
}

// The rule forms as first written, the oracle of the ones in use.
std::string DescribeLiterally(const std::string& untrimmed) {
  static const boost::regex expression(
      R"((%)?(\+)?(=)?(\-)?(@)?(~)?([^:]+):\s*([0-9\.\-]*)?\s*(\{.*\})\s*(\[.*\])?)",
      boost::regex::perl | boost::regex::icase);
  static const boost::regex text(
      R"((%)?(\+)?(=)?(\-)?(@)?(~)?([^:]+):\s*([0-9\.\-]*)?\s*("[^"]*")\s*(\[.*\])?)",
      boost::regex::perl | boost::regex::icase);
  const std::string line(Trim(untrimmed));
  if (line.empty() || line[0] == '#') return "none";
  boost::smatch groups;
  const bool isExpression = boost::regex_match(line, groups, expression);
  if (!isExpression && !boost::regex_match(line, groups, text)) return "none";
  std::string flags;
  for (int group = 1; group <= 6; ++group) {
    if (groups[group].matched) flags += "%+=-@~"[group - 1];
  }
  if (isExpression) flags += 'E';
  const auto inner = [&](int group) {
    const std::string all = groups[group].str();
    return all.size() < 2 ? std::string() : all.substr(1, all.size() - 2);
  };
  return flags + "|" + groups[7].str() + "|" + std::to_string(ParseScore(groups[8].str())) + "|" + inner(9) + "|" +
         inner(10);
}

// Lines put together from the pieces of the rule forms, near misses
// included, with now and then one stray character.
class RuleLineGenerator {
 public:
  std::string Next() {
    std::string line;
    for (const auto& pieces : kPieces) line += Pick(pieces);
    if (Chance(4)) line.insert(Below(line.size() + 1), 1, Pick(kStray));
    return line;
  }

 private:
  template <size_t N>
  const char* Pick(const std::array<const char*, N>& pieces) {
    return pieces[Below(N)];
  }
  char Pick(std::string_view characters) { return characters[Below(characters.size())]; }
  size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }
  bool Chance(size_t oneIn) { return Below(oneIn) == 0; }

  static constexpr std::string_view kStray = " \t1.-:{}[]\"aB@~=%+#";
  static constexpr std::array<std::array<const char*, 9>, 8> kPieces{{
      {"", "", "%", "=", "-", "@", "~", "%+=-@~", "-@"},
      {"", "", "", "@", "~", "=", "-~", "@-", "+%"},
      {"SUBJECT", "Body", "a b", "x-y ", " A", "", "ANY-SENDER", "B{", "\"q\""},
      {":", ":", ":", ":", "::", " :", "", ":{", ":\""},
      {"", " ", "  ", "\t", " 1", "-2.5 ", "1.2.3", "--", " . "},
      {"", " ", "", "1 2", " 7", "", "", "", " "},
      {"\"x\"", "\"\"", "{a}", "{a}b}", "{", "\"x", "{}", "{\"}\"}", "\"a:b\""},
      {"", "", " [o]", "[]", " [a]b]", " [", " x", "[o] ", " [o] [p]"},
  }};
  std::mt19937 random_{20240607};
};

TEST(ParseRuleLine, AgreesWithTheLiteralFormsOnGeneratedLines) {
  RuleLineGenerator generator;
  int rules = 0;
  for (int i = 0; i < 50000; ++i) {
    const std::string line = generator.Next();
    const std::string expected = DescribeLiterally(line);
    if (expected != "none") ++rules;
    ASSERT_EQ(DescribeLine(line), expected) << line;
  }
  EXPECT_GT(rules, 5000) << "the generator must reach rule lines";
}

TEST(ParseRuleLine, LongBlankLinesAreNoRuleAndCheap) {
  EXPECT_EQ(DescribeLine("A:" + std::string(100000, ' ') + "1" + std::string(100000, ' ')), "none");
  EXPECT_EQ(DescribeLine("A:" + std::string(100000, ' ') + "1" + std::string(100000, ' ') + "\"x\""),
            "|A|1.000000|x|");
}

TEST(ParseRuleLine, IgnoresWhatIsNoRule) {
  for (const char* line : {
           "",
           "   ",
           R"(# SUBJECT: 1 "x")",
           R"(   #SUBJECT: 1 "x")",
           "B_INCLUDE_LIST more.dat",
           R"(SUBJECT 1 "x")",
           R"(: 1 "x")",
           R"(SUBJECT: 1 "x)",
           R"(SUBJECT: 1 "x" junk)",
           R"(SUBJECT: 1 "x" "y")",
           R"(SUBJECT: 1 x)",
           R"(SUBJECT: 1e3 "x")",
           R"(SUBJECT: 1 {x)",
       }) {
    EXPECT_EQ(DescribeLine(line), "none") << line;
  }
}

TEST(ParseRuleLine, ClassifiesTheFieldName) {
  struct Case {
    const char* line;
    RuleTarget target;
  } cases[] = {
      {R"(match: "x")", RuleTarget::kMatch},
      {R"(CompleteHeader: "x")", RuleTarget::kCompleteHeader},
      {R"(HEADER: {x})", RuleTarget::kHeader},
      {R"(SIZE: "100")", RuleTarget::kSize},
      {R"(SIZE: {100})", RuleTarget::kField},
      {R"(any-sender: "x")", RuleTarget::kAnySender},
      {R"(ANY-RECIPIENT: "x")", RuleTarget::kAnyRecipient},
      {R"(Line: "x")", RuleTarget::kLine},
      {R"(BODY: "x")", RuleTarget::kBody},
      {R"(BODY : "x")", RuleTarget::kField},
      {R"(SUBJECT: "x")", RuleTarget::kField},
  };
  for (const Case& c : cases) {
    const std::optional<FilterRule> rule = ParseRuleLine(c.line);
    ASSERT_TRUE(rule) << c.line;
    EXPECT_EQ(rule->target, c.target) << c.line;
  }
}

TEST(ParseRuleLine, CompilesExpressionsOnce) {
  EXPECT_TRUE(ParseRuleLine("BODY: {a+b}")->compiled.compiled());
  EXPECT_FALSE(ParseRuleLine("BODY: {(}")->compiled.compiled());
  EXPECT_FALSE(ParseRuleLine("BODY: \"a+b\"")->compiled.compiled());
}

TEST(ParseRuleLine, DotCrossesLinesForTheListedFields) {
  MatchScratch scratch;
  for (const char* field : {"COMPLETEHEADER", "FROM", "sender", "REPLY-TO", "X-SENDER", "ENVELOPE-FROM",
                            "X-ENVELOPE-FROM", "TO", "CC", "BCC", "ENVELOPE-TO", "X-ENVELOPE-TO", "body"}) {
    const std::optional<FilterRule> rule = ParseRuleLine(std::string(field) + ": {a.b}");
    EXPECT_EQ(rule->compiled.Match("a\nb", scratch), MatchOutcome::kFound) << field;
  }
  for (const char* field : {"MATCH", "LINE", "SUBJECT", "ANY-SENDER", "ANY-RECIPIENT", "RECEIVED"}) {
    const std::optional<FilterRule> rule = ParseRuleLine(std::string(field) + ": {a.b}");
    EXPECT_EQ(rule->compiled.Match("a\nb", scratch), MatchOutcome::kNotFound) << field;
  }
}

TEST(ParseScore, ReadsTheLeadingDecimal) {
  struct Case {
    const char* text;
    float expected;
  } cases[] = {
      {"", 0},        {"5", 5},         {"-5", -5},        {"2.5", 2.5f},   {".25", 0.25f},
      {"-.5", -0.5f}, {"5.", 5},        {"1.2.3", 1.2f},   {"1-2", 1},      {"-", 0},
      {".", 0},       {"--3", 0},       {"0.0000001", 1e-7f},
      {"1000000000000000000000000000000000000000000", FLT_MAX},
      {"-1000000000000000000000000000000000000000000", -FLT_MAX},
      {"0.00000000000000000000000000000000000000000000000001", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseScore(c.text), c.expected) << c.text;
  EXPECT_EQ(ParseScore(std::string(400, '9')), FLT_MAX);
  EXPECT_EQ(ParseScore("0." + std::string(400, '0') + "1"), 0);
}

TEST(ParseRules, SplitsAtEveryLineEnd) {
  const std::vector<FilterRule> rules = ParseRules("A: 1 \"a\"\r\nB: 2 \"b\"\rC: 3 \"c\"\n\n\r\nnoise\nD: 4 \"d\"");
  std::vector<std::string> names;
  for (const FilterRule& rule : rules) names.push_back(rule.fieldName);
  EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "C", "D"}));
}

class RuleTextTest : public ::testing::Test {
 protected:
  void Write(const std::string& name, const std::string& text) { WriteFileBytes(dir_.File(name), text); }
  std::optional<std::string> Read() {
    const std::optional<RuleText> rules = ReadRuleText(platform::DefaultFileSystem(), dir_.File("filters.dat"));
    return rules ? std::optional<std::string>(rules->text) : std::nullopt;
  }

  testing::TempDirectory dir_;
};

TEST_F(RuleTextTest, MissingMainFile) { EXPECT_EQ(Read(), std::nullopt); }

TEST_F(RuleTextTest, WithoutIncludesTheTextIsTheFile) {
  Write("filters.dat", "A: \"a\"\r\n");
  EXPECT_EQ(Read(), "A: \"a\"\r\n");
}

TEST_F(RuleTextTest, IncludedTextIsAppendedWhereverTheLineStands) {
  Write("filters.dat", "B_INCLUDE_LIST one.dat\nA: \"a\"\n");
  Write("one.dat", "B: \"b\"\n");
  EXPECT_EQ(Read(), "B_INCLUDE_LIST one.dat\nA: \"a\"\n\nB: \"b\"\n");
}

TEST_F(RuleTextTest, MissingIncludeChangesNothing) {
  Write("filters.dat", "A: \"a\"\nB_INCLUDE_LIST missing.dat\n");
  EXPECT_EQ(Read(), "A: \"a\"\nB_INCLUDE_LIST missing.dat\n");
}

TEST_F(RuleTextTest, IncludesInTheOrderFoundAndNested) {
  Write("filters.dat", "B_INCLUDE_LIST one.dat\r\nB_INCLUDE_LIST two.dat\r\n");
  Write("one.dat", "B_INCLUDE_LIST three.dat\nONE");
  Write("two.dat", "TWO");
  Write("three.dat", "THREE");
  EXPECT_EQ(Read(), "B_INCLUDE_LIST one.dat\r\nB_INCLUDE_LIST two.dat\r\n\nB_INCLUDE_LIST three.dat\nONE\nTWO\nTHREE");
}

TEST_F(RuleTextTest, CyclesAndRepeatsReadEachFileOnce) {
  Write("filters.dat", "B_INCLUDE_LIST filters.dat\nB_INCLUDE_LIST one.dat\nMAIN");
  Write("one.dat", "B_INCLUDE_LIST two.dat\nB_INCLUDE_LIST one.dat\nONE");
  Write("two.dat", "B_INCLUDE_LIST one.dat\nB_INCLUDE_LIST filters.dat\nTWO");
  EXPECT_EQ(Read(),
            "B_INCLUDE_LIST filters.dat\nB_INCLUDE_LIST one.dat\nMAIN"
            "\nB_INCLUDE_LIST two.dat\nB_INCLUDE_LIST one.dat\nONE"
            "\nB_INCLUDE_LIST one.dat\nB_INCLUDE_LIST filters.dat\nTWO");
}

TEST_F(RuleTextTest, AFileIncludedUnderAnotherNameIsStillReadOnce) {
  std::string main;
  for (int i = 0; i < 50; ++i) {
    std::filesystem::create_directory(dir_.File("d" + std::to_string(i)));
    main += "B_INCLUDE_LIST d" + std::to_string(i) + "/../filters.dat\n";
  }
  Write("filters.dat", main + "MAIN");
  EXPECT_EQ(Read(), main + "MAIN");
}

TEST_F(RuleTextTest, IncludesStopAtTheLimit) {
  const size_t files = kMaxIncludedFiles + 10;
  for (size_t i = 0; i < files; ++i) Write(std::to_string(i) + ".dat", "B_INCLUDE_LIST " + std::to_string(i + 1) + ".dat");
  Write("filters.dat", "B_INCLUDE_LIST 0.dat");
  const std::optional<RuleText> rules = ReadRuleText(platform::DefaultFileSystem(), dir_.File("filters.dat"));
  ASSERT_TRUE(rules);
  EXPECT_TRUE(rules->includeLimitReached);
  EXPECT_NE(rules->text.find("B_INCLUDE_LIST " + std::to_string(kMaxIncludedFiles) + ".dat"), std::string::npos);
  EXPECT_EQ(rules->text.find("B_INCLUDE_LIST " + std::to_string(kMaxIncludedFiles + 1) + ".dat"), std::string::npos);
}

TEST_F(RuleTextTest, IncludeLineMustStartTheLineInCapitals) {
  Write("filters.dat", "  B_INCLUDE_LIST one.dat\nb_include_list one.dat\nX B_INCLUDE_LIST one.dat\nB_INCLUDE_LISTone.dat");
  Write("one.dat", "ONE");
  EXPECT_EQ(Read()->find("ONE"), std::string::npos);
}

TEST_F(RuleTextTest, IncludeNameIsTheRestOfTheLine) {
  Write("filters.dat", "B_INCLUDE_LIST \t one.dat\r\nA");
  Write("one.dat", "ONE");
  Write("one.dat ", "WRONG");
  EXPECT_EQ(Read(), "B_INCLUDE_LIST \t one.dat\r\nA\nONE");
}

TEST_F(RuleTextTest, IncludeWithoutNameIsSkipped) {
  Write("filters.dat", "B_INCLUDE_LIST  ");
  EXPECT_EQ(Read(), "B_INCLUDE_LIST  ");
}

TEST_F(RuleTextTest, IncludesComeFromTheRuleFilesDirectory) {
  testing::TempDirectory other;
  WriteFileBytes(other.File("filters.dat"), "B_INCLUDE_LIST one.dat");
  WriteFileBytes(other.File("one.dat"), "OTHER");
  Write("one.dat", "HERE");
  EXPECT_EQ(ReadRuleText(platform::DefaultFileSystem(), other.File("filters.dat"))->text,
            "B_INCLUDE_LIST one.dat\nOTHER");
}

}  // namespace
}  // namespace trellisk
