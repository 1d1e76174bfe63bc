#include "rules/regexp_filter.h"

#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <stdexcept>
#include <string>

#include "base/log.h"
#include "base/text_source.h"
#include "plugin/component_options.h"
#include "plugin/settings.h"
#include "tests/support/fault_injection_file_system.h"
#include "tests/support/temp_directory.h"
#include "tests/support/throwing_file_system.h"

namespace trellisk {
namespace {

using testing::ReadFileBytes;
using testing::WriteFileBytes;

constexpr const char* kHeader =
    "From: Alice <alice@example.com>\r\n"
    "To: bob@example.org\r\n"
    "Cc: carol@example.net\r\n"
    "Subject: Cheap =?iso-8859-1?q?pills?=\r\n"
    "X-Mailer: Mailer 1.0\r\n";
constexpr const char* kCollectedHeader =
    "From: Alice <alice@example.com>\n"
    "To: bob@example.org\n"
    "Cc: carol@example.net\n"
    "Subject: Cheap pills\n"
    "X-Mailer: Mailer 1.0";
constexpr const char* kBody = "Hello world\r\nBuy now\r\n";
constexpr const char* kCollectedBody = "Hello world\nBuy now";

// One message as the pipeline hands it over; a text left empty (nullopt)
// is passed as null.
struct Message {
  std::optional<std::string> rawHeader = kHeader;
  std::optional<std::string> rawBody = kBody;
  std::optional<std::string> headerText = kCollectedHeader;
  std::optional<std::string> bodyText = kCollectedBody;
  size_t size = 2048;
};

const std::string* Pointer(const std::optional<std::string>& text) { return text ? &*text : nullptr; }

class RegExpFilterTest : public ::testing::Test {
 protected:
  RegExpFilterTest() {
    settings_.RegExpPath = rulePath_;
    ApplySettings();
    log_.Open(logPath_, true);
  }

  // The filter takes the settings as they are now.
  void ApplySettings() { filter_.SetOptions(RuleFilterOptionsOf(settings_)); }

  void LoadRules(const std::string& text) {
    WriteFileBytes(rulePath_, text);
    ASSERT_TRUE(filter_.Load());
  }

  RuleFilterResult Score(const Message& message = Message()) {
    const RuleFilterInput input{7,
                                Pointer(message.rawHeader),
                                Pointer(message.rawBody),
                                Pointer(message.headerText),
                                Pointer(message.bodyText),
                                message.size,
                                settings_.VerboseLogfile != 0};
    return filter_.ScoreMail(input);
  }

  // The total for the default message under these rules.
  float TotalFor(const std::string& rules, const Message& message = Message()) {
    LoadRules(rules);
    return Score(message).total;
  }

  std::string LogText() {
    log_.FlushBlock(7);
    log_.Close();
    return ReadFileBytes(logPath_);
  }

  testing::TempDirectory dir_;
  std::string rulePath_ = dir_.File("filters.dat");
  std::string logPath_ = dir_.File("trellisk.log");
  Settings settings_;
  BuiltinTexts texts_;
  Log log_{&texts_};
  CRegExpFilter filter_{RuleFilterOptionsOf(settings_), log_, platform::DefaultFileSystem()};
};

TEST_F(RegExpFilterTest, NoRulesGiveZeroAndAnEmptyTrace) {
  EXPECT_EQ(Score().total, 0);
  EXPECT_EQ(Score().trace, "");
  LoadRules("# only a comment\n\n");
  EXPECT_EQ(filter_.RuleCount(), 0u);
  EXPECT_EQ(Score().total, 0);
  EXPECT_EQ(Score().trace, "");
}

TEST_F(RegExpFilterTest, MissingRuleFileLoadsNothing) {
  LoadRules("SUBJECT: 5 \"cheap\"");
  ASSERT_EQ(filter_.RuleCount(), 1u);
  settings_.RegExpPath = dir_.File("absent.dat");
  ApplySettings();
  EXPECT_FALSE(filter_.Load());
  EXPECT_EQ(filter_.RuleCount(), 0u);
  EXPECT_EQ(Score().total, 0);
}

TEST_F(RegExpFilterTest, CloseDropsTheRules) {
  LoadRules("SUBJECT: 5 \"cheap\"");
  filter_.Close();
  EXPECT_EQ(filter_.RuleCount(), 0u);
  EXPECT_EQ(Score().total, 0);
}

TEST_F(RegExpFilterTest, TextRulesLookInTheirPartIgnoringCase) {
  struct Case {
    const char* rule;
    float total;
  } cases[] = {
      {"SUBJECT: 1 \"CHEAP\"", 1},          {"subject: 1 \"cheap\"", 1},
      {"SUBJECT: 1 \"Buy\"", 0},            {"MATCH: 1 \"x-mailer: mailer\"", 1},
      {"COMPLETEHEADER: 1 \"carol@\"", 1},  {"MATCH: 1 \"Buy now\"", 0},
      {"BODY: 1 \"buy NOW\"", 1},           {"LINE: 1 \"hello\"", 1},
      {"BODY: 1 \"Subject\"", 0},           {"ANY-SENDER: 1 \"alice@\"", 1},
      {"ANY-SENDER: 1 \"bob@\"", 0},        {"ANY-RECIPIENT: 1 \"carol@\"", 1},
      {"ANY-RECIPIENT: 1 \"alice@\"", 0},   {"X-MAILER: 1 \"mailer 1\"", 1},
      {"HEADER: 1 \"x-mailer\"", 1},        {"HEADER: 1 \"X-Spam\"", 0},
      {"FROM: 1 \"example.com\"", 1},       {"TO: 1 \"example.com\"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(TotalFor(c.rule), c.total) << c.rule;
}

TEST_F(RegExpFilterTest, ExpressionRulesLookInTheirPart) {
  struct Case {
    const char* rule;
    float total;
  } cases[] = {
      {"SUBJECT: 1 {^cheap\\s+=\\?}", 1},
      {"MATCH: 1 {^subject: cheap}", 1},
      // MATCH keeps "." within a line, COMPLETEHEADER lets it cross lines.
      {"MATCH: 1 {alice.*carol}", 0},
      {"COMPLETEHEADER: 1 {alice.*carol}", 1},
      {"LINE: 1 {world.*buy}", 0},
      {"BODY: 1 {world.*buy}", 1},
      {"ANY-RECIPIENT: 1 {^carol@}", 1},
      {"TO: 1 {^bob@example\\.org$}", 1},
      {"HEADER: 1 {x-mailer}", 1},
      // An expression on SIZE looks for a header field named SIZE.
      {"SIZE: 1 {.}", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(TotalFor(c.rule), c.total) << c.rule;
}

TEST_F(RegExpFilterTest, CollectedTextsWithTilde) {
  struct Case {
    const char* rule;
    float total;
  } cases[] = {
      {"SUBJECT: 1 \"cheap pills\"", 0},    {"~SUBJECT: 1 \"cheap pills\"", 1},
      {"MATCH: 1 \"cheap pills\"", 0},      {"~MATCH: 1 \"cheap pills\"", 1},
      {"BODY: 1 {world\\r\\nbuy}", 1},       {"~BODY: 1 {world\\r\\nbuy}", 0},
      {"~LINE: 1 {^buy now$}", 1},           {"~ANY-SENDER: 1 \"alice\"", 1},
      {"~HEADER: 1 \"subject\"", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(TotalFor(c.rule), c.total) << c.rule;
}

TEST_F(RegExpFilterTest, EmptyQuotesAreNeverFound) {
  EXPECT_EQ(TotalFor("SUBJECT: 5 \"\""), 0);
  EXPECT_EQ(TotalFor("-SUBJECT: 5 \"\""), 5);
  EXPECT_EQ(TotalFor("BODY: 5 \"\""), 0);
}

TEST_F(RegExpFilterTest, SizeIsAnUpperBound) {
  Message exact;
  exact.size = 2048;
  Message larger;
  larger.size = 2049;
  EXPECT_EQ(TotalFor("SIZE: 3 \"2048\"", exact), 3);
  EXPECT_EQ(TotalFor("SIZE: 3 \"2048\"", larger), 0);
  EXPECT_EQ(TotalFor("-SIZE: 3 \"2048\"", exact), 0);
  EXPECT_EQ(TotalFor("-SIZE: 3 \"2048\"", larger), 3);
  EXPECT_EQ(TotalFor("SIZE: 3 \"  +2048kb\"", exact), 3);
  EXPECT_EQ(TotalFor("SIZE: 3 \"-1\"", exact), 0);
  EXPECT_EQ(TotalFor("SIZE: 3 \"none\"", exact), 0);
  EXPECT_EQ(TotalFor("SIZE: 3 \"99999999999999999999999\"", exact), 3);
}

TEST_F(RegExpFilterTest, BlankBeforeTheColonNamesAFieldThatNeverExists) {
  EXPECT_EQ(TotalFor("SUBJECT : 5 \"cheap\""), 0);
  EXPECT_EQ(TotalFor("-SUBJECT : 5 \"cheap\""), 5);
}

TEST_F(RegExpFilterTest, FieldRuleFiresOnceForSeveralFields) {
  Message message;
  message.rawHeader = "From: first@example.com\r\nFrom: second@spam.example\r\nFrom: third@spam.example\r\n";
  LoadRules("FROM: 4 \"spam.example\"");
  const RuleFilterResult result = Score(message);
  EXPECT_EQ(result.total, 4);
  EXPECT_EQ(result.trace, "4.00 FROM \n");
}

TEST_F(RegExpFilterTest, StopEndsTheEvaluation) {
  LoadRules("=SUBJECT: 5 \"cheap\" [stop]\nBODY: 7 \"buy\" [later]\n");
  const RuleFilterResult result = Score();
  EXPECT_EQ(result.total, 5);
  EXPECT_EQ(result.trace, "5.00 SUBJECT stop\n");
}

TEST_F(RegExpFilterTest, StopWithoutFiringGoesOn) {
  EXPECT_EQ(TotalFor("=SUBJECT: 5 \"absent\"\nBODY: 7 \"buy\""), 7);
}

TEST_F(RegExpFilterTest, ZeroScoreNeitherTracesNorStops) {
  LoadRules("=SUBJECT: 0 \"cheap\" [zero]\nBODY: 4 \"buy\" [body]\n");
  const RuleFilterResult result = Score();
  EXPECT_EQ(result.total, 4);
  EXPECT_EQ(result.trace, "4.00 BODY body\n");
}

TEST_F(RegExpFilterTest, BrokenChainScoresNothingAndTheNextChainStartsFresh) {
  LoadRules(
      "@SUBJECT: 9 \"absent\" [cond]\n"
      "BODY: 7 \"buy\" [chained]\n"
      "BODY: 3 \"hello\" [fresh]\n");
  const RuleFilterResult result = Score();
  EXPECT_EQ(result.total, 3);
  EXPECT_EQ(result.trace, "3.00 BODY fresh\n");
}

TEST_F(RegExpFilterTest, ChainScoresWhenEveryConditionHolds) {
  struct Case {
    const char* rules;
    float total;
  } cases[] = {
      {"@SUBJECT: 9 \"cheap\"\n@FROM: 9 \"alice\"\nBODY: 7 \"buy\"", 7},
      {"@SUBJECT: 9 \"cheap\"\n@FROM: 9 \"absent\"\nBODY: 7 \"buy\"", 0},
      {"@SUBJECT: 9 \"absent\"\n@FROM: 9 \"alice\"\nBODY: 7 \"buy\"", 0},
      {"@SUBJECT: 9 \"cheap\"\n@FROM: 9 \"absent\"\n@TO: 9 \"bob\"\nBODY: 7 \"buy\"", 0},
      {"@-SUBJECT: 9 \"absent\"\nBODY: 7 \"buy\"", 0},
      {"-@SUBJECT: 9 \"absent\"\nBODY: 7 \"buy\"", 7},
      {"-@SUBJECT: 9 \"cheap\"\nBODY: 7 \"buy\"", 0},
      {"@SUBJECT: 9 \"cheap\"\n-BODY: 7 \"absent\"", 7},
      {"@SUBJECT: 9 \"absent\"\n-BODY: 7 \"absent\"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(TotalFor(c.rules), c.total) << c.rules;
}

TEST_F(RegExpFilterTest, NegateFiresWhenNotFound) {
  EXPECT_EQ(TotalFor("-SUBJECT: 2 \"absent\""), 2);
  EXPECT_EQ(TotalFor("-SUBJECT: 2 \"cheap\""), 0);
  EXPECT_EQ(TotalFor("-X-SPAM: 2 \"yes\""), 2);
}

TEST_F(RegExpFilterTest, CommentsAndFlagsOutOfOrder) {
  EXPECT_EQ(TotalFor("#SUBJECT: 5 \"cheap\"\n   # SUBJECT: 5 \"cheap\""), 0);
  EXPECT_EQ(filter_.RuleCount(), 0u);
  // "@" before "-" is a field named "-SUBJECT".
  EXPECT_EQ(TotalFor("@-SUBJECT: 5 \"cheap\"\nBODY: 2 \"buy\""), 0);
  EXPECT_EQ(filter_.RuleCount(), 2u);
}

TEST_F(RegExpFilterTest, ScoresAddUpAsFloatsAndTraceWithTwoDecimals) {
  LoadRules(
      "SUBJECT: 2.5 \"cheap\" [half]\n"
      "BODY: -10 \"buy\" [minus]\n"
      "FROM: .05 \"alice\"\n"
      "TO: 99 \"absent\"\n");
  const RuleFilterResult result = Score();
  EXPECT_FLOAT_EQ(result.total, 2.5f - 10.0f + 0.05f);
  EXPECT_EQ(result.trace, "2.50 SUBJECT half\n-10.00 BODY minus\n0.05 FROM \n");
}

TEST_F(RegExpFilterTest, NullTextsContainNothing) {
  Message none;
  none.rawHeader.reset();
  none.rawBody.reset();
  none.headerText.reset();
  none.bodyText.reset();
  struct Case {
    const char* rule;
    float total;
  } cases[] = {
      {"MATCH: 1 \"from\"", 0},       {"-MATCH: 1 \"from\"", 1},   {"~MATCH: 1 {.}", 0},
      {"-ANY-SENDER: 1 \"a\"", 1},    {"HEADER: 1 \"From\"", 0},   {"BODY: 1 \"buy\"", 0},
      {"-BODY: 1 {buy}", 1},          {"SIZE: 1 \"4096\"", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(TotalFor(c.rule, none), c.total) << c.rule;
}

TEST_F(RegExpFilterTest, HeaderFieldsNeedBothHeaderTexts) {
  Message noCollected;
  noCollected.headerText.reset();
  EXPECT_EQ(TotalFor("SUBJECT: 1 \"cheap\"", noCollected), 0);
  EXPECT_EQ(TotalFor("MATCH: 1 \"cheap\"", noCollected), 1);
}

TEST_F(RegExpFilterTest, LineAndBodyWithoutCollectedBodyAreFieldNames) {
  Message noBodyText;
  noBodyText.bodyText.reset();
  EXPECT_EQ(TotalFor("BODY: 1 \"buy\"", noBodyText), 0);
  EXPECT_EQ(TotalFor("LINE: 1 {buy}", noBodyText), 0);
  EXPECT_EQ(TotalFor("-BODY: 1 \"buy\"", noBodyText), 1);
  noBodyText.rawHeader = std::string(kHeader) + "Body: buy this\r\n";
  noBodyText.headerText = std::string(kCollectedHeader) + "\nBody: buy this";
  EXPECT_EQ(TotalFor("BODY: 1 \"buy\"", noBodyText), 1);
}

TEST_F(RegExpFilterTest, ExpressionThatDidNotCompile) {
  struct Case {
    const char* rules;
    float total;
  } cases[] = {
      // Whole-text rules are left out: not even "-" fires.
      {"-MATCH: 5 {(}", 0},
      {"-COMPLETEHEADER: 5 {(}", 0},
      {"-BODY: 5 {[}", 0},
      {"-LINE: 5 {[}", 0},
      // Left out means no effect on the chain either: a MATCH rule that
      // did not hold would have mended the chain broken by "@SUBJECT".
      {"@SUBJECT: 9 \"absent\"\nMATCH: 1 {(}\n@BODY: 9 \"buy\"\nBODY: 7 \"hello\"", 0},
      {"@SUBJECT: 9 \"absent\"\nMATCH: 1 \"absent\"\n@BODY: 9 \"buy\"\nBODY: 7 \"hello\"", 7},
      // Field rules count as not found.
      {"-FROM: 5 {(}", 5},
      {"-ANY-SENDER: 5 {(}", 5},
      {"FROM: 5 {(}", 0},
      // HEADER does not use the expression.
      {"HEADER: 5 {Subject}", 5},
      {"-HEADER: 5 {X(}", 5},
  };
  for (const Case& c : cases) EXPECT_EQ(TotalFor(c.rules), c.total) << c.rules;
}

TEST_F(RegExpFilterTest, HeaderRuleFindsFieldsWhoseNameDoesNotCompile) {
  Message odd;
  odd.rawHeader = std::string(kHeader) + "(: odd field\r\n";
  odd.headerText = std::string(kCollectedHeader) + "\n(: odd field";
  EXPECT_EQ(TotalFor("HEADER: 5 {(}", odd), 5);
}

TEST_F(RegExpFilterTest, CollectedValueOfRepeatedFieldsIsTheLastLine) {
  Message received;
  received.rawHeader = "Received: from a\r\nReceived: from b\r\n";
  received.headerText = "Received: from a\nReceived: from b";
  EXPECT_EQ(TotalFor("~RECEIVED: 1 \"from a\"", received), 0);
  EXPECT_EQ(TotalFor("~RECEIVED: 1 \"from b\"", received), 1);
  EXPECT_EQ(TotalFor("RECEIVED: 1 \"from a\"", received), 1);
}

TEST_F(RegExpFilterTest, IncludedRulesComeAfterTheMainFile) {
  WriteFileBytes(dir_.File("more.dat"), "SUBJECT: 1 \"cheap\" [included]\n");
  LoadRules("B_INCLUDE_LIST more.dat\nBODY: 2 \"buy\" [main]\nB_INCLUDE_LIST missing.dat\n");
  EXPECT_EQ(filter_.RuleCount(), 2u);
  EXPECT_EQ(Score().trace, "2.00 BODY main\n1.00 SUBJECT included\n");
}

TEST_F(RegExpFilterTest, CatastrophicExpressionGivesUpAndIsReportedOnce) {
  Message aaa;
  aaa.rawBody = std::string(30, 'a') + "!";
  aaa.bodyText = aaa.rawBody;
  LoadRules("BODY: 5 {(a+)+$}\n-BODY: 3 {(a+)+$}\nLINE: 1 \"aaa\"\n");
  EXPECT_EQ(Score(aaa).total, 3 + 1);
  EXPECT_EQ(Score(aaa).total, 3 + 1);
  const std::string log = LogText();
  const std::string report = "{(a+)+$} of a BODY rule reached the match limit";
  const size_t first = log.find(report);
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_NE(log.find(report, first + 1), std::string::npos) << "one report per rule";
  EXPECT_EQ(log.find(report, log.find(report, first + 1) + 1), std::string::npos) << log;
}

// Without time left after the first rule, the rest are left out, which the
// log says once.
TEST_F(RegExpFilterTest, ARulePassOutOfTimeLeavesTheRestOut) {
  RuleFilterOptions options = RuleFilterOptionsOf(settings_);
  options.passBudgetMs = 0;
  filter_.SetOptions(options);
  LoadRules("SUBJECT: 2 \"cheap\"\nSUBJECT: 3 \"pills\"\n");
  EXPECT_EQ(Score().total, 2);
  EXPECT_EQ(Score().total, 2);
  const std::string log = LogText();
  const std::string line = "The rule filter spent more than 0 ms on one message; the rules from 2 {pills} on were left out.";
  ASSERT_NE(log.find(line), std::string::npos) << log;
  EXPECT_EQ(log.find(line, log.find(line) + 1), std::string::npos) << "once per rule set";
}

TEST_F(RegExpFilterTest, VerboseLogShowsStartAndTime) {
  settings_.VerboseLogfile = 1;
  ApplySettings();
  LoadRules("SUBJECT: 1 \"cheap\"");
  Score();
  const std::string log = LogText();
  EXPECT_NE(log.find("Regular Expression Filter loaded...\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Regular Expression Filter started...\n"), std::string::npos) << log;
  EXPECT_TRUE(std::regex_search(log, std::regex(R"(Regular Expression Filter finished\.\.\.\(\d+\.\d\dms\)\n)"))) << log;
}

TEST_F(RegExpFilterTest, QuietLogWithoutVerbose) {
  settings_.VerboseLogfile = 0;
  ApplySettings();
  LoadRules("SUBJECT: 1 \"cheap\"");
  Score();
  EXPECT_EQ(LogText(), "");
}

TEST_F(RegExpFilterTest, GetReturnsTheFileOrNothing) {
  EXPECT_EQ(filter_.Get(), std::nullopt);
  WriteFileBytes(rulePath_, "SUBJECT: 1 \"x\"\r\n# note\r\n");
  EXPECT_EQ(filter_.Get(), "SUBJECT: 1 \"x\"\r\n# note\r\n");
}

TEST_F(RegExpFilterTest, SaveWritesLineEndsAndKeepsTheRulesInForce) {
  LoadRules("SUBJECT: 1 \"cheap\"");
  filter_.Save("BODY: 2 \"buy\"\rSUBJECT: 3 \"cheap\"\r");
  EXPECT_EQ(ReadFileBytes(rulePath_), "BODY: 2 \"buy\"\nSUBJECT: 3 \"cheap\"\n");
  EXPECT_EQ(Score().total, 1);
  ASSERT_TRUE(filter_.Load());
  EXPECT_EQ(Score().total, 5);
}

TEST_F(RegExpFilterTest, SaveWithoutTextEmptiesTheFile) {
  WriteFileBytes(rulePath_, "SUBJECT: 1 \"cheap\"");
  filter_.Save(nullptr);
  EXPECT_TRUE(testing::FileExists(rulePath_));
  EXPECT_EQ(ReadFileBytes(rulePath_), "");
}

TEST_F(RegExpFilterTest, FailedSaveLeavesTheOldFile) {
  WriteFileBytes(rulePath_, "SUBJECT: 1 \"cheap\"");
  testing::FaultInjectionFileSystem faulty(platform::DefaultFileSystem());
  CRegExpFilter filter(RuleFilterOptionsOf(settings_), log_, faulty);
  faulty.FailWriteOperation(1);
  filter.Save("BODY: 2 \"buy\"");
  EXPECT_EQ(ReadFileBytes(rulePath_), "SUBJECT: 1 \"cheap\"");
}

TEST_F(RegExpFilterTest, ExceptionsAreReportedWithTheOperation) {
  testing::ThrowingFileSystem throwing;
  CRegExpFilter filter(RuleFilterOptionsOf(settings_), log_, throwing);
  EXPECT_FALSE(filter.Load());
  EXPECT_EQ(filter.Get(), std::nullopt);
  filter.Save("x");
  const std::string log = LogText();
  for (const char* where : {"CRegExpFilter::Load", "CRegExpFilter::Get", "CRegExpFilter::Save"}) {
    EXPECT_NE(log.find("An unexpected exception occured! Please send a report to the author (bugs@trellisk.org) -=> " +
                       std::string(where) + "\n"),
              std::string::npos)
        << where;
  }
}

}  // namespace
}  // namespace trellisk
