// The scoring pipeline through PluginCore::GetSpamScore: the order of the
// checks, the scores and log lines of every outcome, the statistics, the
// sender insertion and the automatic learning.
#include <gtest/gtest.h>

#include <regex>

#include "store/undo_kind.h"
#include "tests/support/core_fixture.h"

namespace trellisk {
namespace {

using testing::FakeDnsCheck;
using testing::FakeRuleFilter;
using testing::FakeSenderLists;
using testing::TestMail;

// A message whose only word is `word`; a relayed one also has the word
// H*10.1.2.3 of its Received line.
std::string OneWordMail(const std::string& word, const std::string& id = "one@test", bool relayed = false) {
  TestMail mail;
  mail.from = mail.to = mail.subject = "";
  mail.messageId = id;
  mail.extraHeaders = {"X-Test: 1"};
  if (relayed) mail.extraHeaders.push_back("Received: from relay (relay [10.1.2.3])");
  mail.body = word;
  return mail.Text();
}

class PipelineTest : public testing::CoreFixture {
 protected:
  void SetUp() override {
    SetSetting("AutoLearning", 0);
    Start();
    session().database.spamMessages = 100;
    session().database.hamMessages = 100;
    // Probabilities with 100 messages learned each way.
    Learn("spammy90", 9, 1);   // 0.9
    Learn("spammy95", 19, 1);  // 0.95
    Learn("hammy3", 3, 97);    // 0.03
    Learn("neutral", 3, 3);    // 0.5
  }
  void Learn(const std::string& word, uint32_t spam, uint32_t ham) {
    session().database.AddSpam(word, spam);
    session().database.AddHam(word, ham);
  }
  uint32_t UndoKindOf(const std::string& id) {
    uint32_t kind = 99, time = 0;
    session().undo.Find(id, kind, time);
    return kind;
  }

  FakeSenderLists lists_;
};

TEST_F(PipelineTest, ClassifierScoresAndTheDecisionIsRemembered) {
  EXPECT_EQ(Score(OneWordMail("spammy95", "a@test")), 95);
  EXPECT_EQ(Score(OneWordMail("hammy3", "b@test")), 3);
  EXPECT_EQ(Score(OneWordMail("neutral", "c@test")), 50) << "no significant word";
  EXPECT_EQ(Score(OneWordMail("unknownword", "d@test")), 40);
  EXPECT_EQ(counters().DetectedSpam.load(), 1u);
  EXPECT_EQ(counters().DetectedHam.load(), 3u);
  EXPECT_EQ(UndoKindOf("a@test"), static_cast<uint32_t>(UndoKind::ScoredSpam));
  EXPECT_EQ(UndoKindOf("b@test"), static_cast<uint32_t>(UndoKind::ScoredHam));
}

TEST_F(PipelineTest, ResultLinesOfTheClassifier) {
  Score(OneWordMail("spammy95", "a@test"));
  Score(OneWordMail("hammy3", "b@test"));
  const std::string log = LogText();
  const std::string stamp = R"([A-Za-z]{3}, [A-Za-z]{3} \d\d \d{4}, \d\d:\d\d:\d\d, )";
  EXPECT_TRUE(std::regex_search(log, std::regex("\n\n" + stamp +
                                                "SPAM RECEIVED, Message-ID: a@test, From: , Subject: , Score: 95, "
                                                R"(Filtertime: \d+\.\d\dms\n)"
                                                R"(spammy95  \|        1 \|         19 \|          1 \| 0\.95000000 \| 0\.19000000\n\n)")))
      << log;
  EXPECT_TRUE(std::regex_search(log, std::regex("HAM RECEIVED, Message-ID: b@test, From: , Subject: , Score: 3, "
                                                R"(Filtertime: \d+\.\d\dms\n)")))
      << log;
  EXPECT_EQ(log.find("Reason"), std::string::npos);
}

TEST_F(PipelineTest, NoWordTableWithoutVerboseLogging) {
  ChangeSettings([&](Settings& s) { s.VerboseLogfile = 0; });
  Score(OneWordMail("spammy95"));
  EXPECT_EQ(LogText().find("0.95000000"), std::string::npos);
}

TEST_F(PipelineTest, UnreadableMessageScoresFiftyUnderIdentifierZero) {
  EXPECT_EQ(Score(""), 50);
  EXPECT_EQ(counters().DetectedHam.load(), 1u);
  EXPECT_EQ(UndoKindOf("0"), static_cast<uint32_t>(UndoKind::ScoredHam));
}

TEST_F(PipelineTest, ScoreAtTheThresholdIsSpamAndSkipsTheSecondLine) {
  FakeRuleFilter rules(1000);
  FakeDnsCheck dns(true);
  session().ruleFilter = &rules;
  session().dns = &dns;
  ChangeSettings([&](Settings& s) { s.Algorithm |= kAlgorithmRuleFilter; });
  EXPECT_EQ(Score(OneWordMail("spammy90")), 90);
  EXPECT_EQ(rules.calls_, 0);
  EXPECT_EQ(dns.calls_.load(), 0);
  EXPECT_NE(LogText().find("SPAM RECEIVED"), std::string::npos);
}

TEST_F(PipelineTest, RuleFilterTotalAtTheThresholdMakesSpam) {
  FakeRuleFilter rules(499.9f);
  FakeDnsCheck dns(true);
  session().ruleFilter = &rules;
  session().dns = &dns;
  ChangeSettings([&](Settings& s) { s.Algorithm |= kAlgorithmRuleFilter; });
  const std::string text = OneWordMail("hammy3");
  EXPECT_EQ(Score(text), 100);
  EXPECT_EQ(dns.calls_.load(), 0) << "a rule-filtered message needs no DNS look-up";
  EXPECT_EQ(rules.lastSize, text.size());
  EXPECT_EQ(rules.lastRawHeader, "Message-ID: <one@test>\r\nX-Test: 1\r");
  EXPECT_EQ(rules.lastRawBody, "\r\nhammy3\r\n");
  const std::string log = LogText();
  EXPECT_NE(log.find("REGEXP FILTERED, Message-ID: one@test, From: , Subject: , Score: 100, Reason: 499.90, "),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("3.50 SUBJECT pharmacy\n"), std::string::npos) << "the trace is logged";
  EXPECT_EQ(log.find("HAM RECEIVED"), std::string::npos);
  EXPECT_EQ(counters().DetectedSpam.load(), 1u);
}

TEST_F(PipelineTest, RuleFilterTotalBelowTheThresholdDoesNot) {
  FakeRuleFilter rules(498.99f);
  session().ruleFilter = &rules;
  ChangeSettings([&](Settings& s) { s.Algorithm |= kAlgorithmRuleFilter; });
  ChangeSettings([&](Settings& s) { s.DNSBlacklist = 0; });
  EXPECT_EQ(Score(OneWordMail("hammy3")), 3);
  const std::string log = LogText();
  EXPECT_NE(log.find("HAM RECEIVED"), std::string::npos);
  EXPECT_NE(log.find("3.50 SUBJECT pharmacy\n"), std::string::npos) << "the trace is logged all the same";
}

TEST_F(PipelineTest, RuleFilterIsOnlyAskedWhenSwitchedOn) {
  FakeRuleFilter rules(1000);
  session().ruleFilter = &rules;
  EXPECT_EQ(Score(OneWordMail("hammy3")), 3);
  EXPECT_EQ(rules.calls_, 0);
}

TEST_F(PipelineTest, DnsBlacklistedRelayMakesSpam) {
  FakeDnsCheck dns(true);
  session().dns = &dns;
  EXPECT_EQ(Score(OneWordMail("hammy3", "one@test", true)), 100);
  const std::string log = LogText();
  EXPECT_NE(log.find("DNS-BLACKLISTED, Message-ID: one@test, From: , Subject: , Score: 100, "
                     "Reason: zone.example(10.1.2.3), "),
            std::string::npos)
      << log;
  EXPECT_EQ(log.find("HAM RECEIVED"), std::string::npos);
  ChangeSettings([&](Settings& s) { s.DNSBlacklist = 0; });
  // The low word beside the neutral relay word is noise: only 0.4 remains.
  EXPECT_EQ(Score(OneWordMail("hammy3", "one@test", true)), 40);
}

TEST_F(PipelineTest, WhiteInAPartWinsOverBlackInTheRawText) {
  session().lists = &lists_;
  lists_.List("black@spam.example", kBlackText);
  lists_.List("white@friend.example", kWhiteText);
  TestMail mail;
  mail.from = "black@spam.example";
  mail.extraHeaders = {"Content-Type: text/plain", "Content-Transfer-Encoding: base64"};
  mail.body = "d2hpdGVAZnJpZW5kLmV4YW1wbGU=";  // white@friend.example
  EXPECT_EQ(Score(mail.Text()), 0);
  const std::string log = LogText();
  EXPECT_NE(log.find("WHITELISTED, Message-ID: "), std::string::npos) << log;
  EXPECT_NE(log.find("Score: 0, Reason: white@friend.example, Filtertime: "), std::string::npos) << log;
}

TEST_F(PipelineTest, TwoBlackMatchesAreJoinedRawFirst) {
  session().lists = &lists_;
  lists_.List("cheap", kBlackText);
  TestMail mail;
  mail.subject = "cheap";
  mail.extraHeaders = {"Content-Type: text/plain", "Content-Transfer-Encoding: base64"};
  mail.body = "Y2hlYXAgcGlsbHM=";  // cheap pills
  EXPECT_EQ(Score(mail.Text()), 100);
  EXPECT_NE(LogText().find("BLACKLISTED, Message-ID: 0, From: Sender <sender@example.com>, Subject: cheap, Score: 100, "
                       "Reason: cheap cheap, "),
            std::string::npos);
  EXPECT_EQ(counters().DetectedSpam.load(), 1u);
}

TEST_F(PipelineTest, ListedMessagesWithoutBlackWhiteLearningAreNeitherLearnedNorRemembered) {
  session().lists = &lists_;
  lists_.List("sender@example.com", kBlackText);
  ChangeSettings([&](Settings& s) { s.AutoLearning = 3; });
  ChangeSettings([&](Settings& s) { s.BlackWhiteLearning = 0; });
  TestMail mail;
  mail.messageId = "listed@test";
  EXPECT_EQ(Score(mail.Text()), 100);
  WaitForLearners();
  EXPECT_EQ(counters().DetectedSpam.load(), 1u);
  EXPECT_EQ(session().database.spamMessages.load(), 100u);
  EXPECT_EQ(UndoKindOf("listed@test"), 99u);
}

TEST_F(PipelineTest, ListedMessagesAreLearnedWithBlackWhiteLearning) {
  session().lists = &lists_;
  lists_.List("sender@example.com", kWhiteText);
  ChangeSettings([&](Settings& s) { s.AutoLearning = 3; });
  TestMail mail;
  mail.messageId = "listed@test";
  EXPECT_EQ(Score(mail.Text()), 0);
  WaitForLearners();
  EXPECT_EQ(session().database.hamMessages.load(), 101u);
  EXPECT_EQ(UndoKindOf("listed@test"), static_cast<uint32_t>(UndoKind::LearnedHam));
}

TEST_F(PipelineTest, AutomaticLearningModes) {
  const struct {
    uint32_t mode;
    const char* word;
    uint32_t spamAfter;
    uint32_t hamAfter;
    UndoKind kind;
  } rows[] = {
      {3, "spammy95", 101, 100, UndoKind::LearnedSpam}, {3, "hammy3", 100, 101, UndoKind::LearnedHam},
      {3, "neutral", 100, 100, UndoKind::ScoredHam},    {1, "spammy95", 101, 100, UndoKind::LearnedSpam},
      {1, "hammy3", 100, 100, UndoKind::ScoredHam},     {2, "spammy95", 100, 100, UndoKind::ScoredSpam},
      {2, "hammy3", 100, 101, UndoKind::LearnedHam},    {0, "spammy95", 100, 100, UndoKind::ScoredSpam},
      {7, "hammy3", 100, 100, UndoKind::ScoredHam},
  };
  int n = 0;
  for (const auto& row : rows) {
    session().database.spamMessages = 100;
    session().database.hamMessages = 100;
    ChangeSettings([&](Settings& s) { s.AutoLearning = row.mode; });
    const std::string id = "auto" + std::to_string(n++) + "@test";
    Score(OneWordMail(row.word, id));
    WaitForLearners();
    EXPECT_EQ(session().database.spamMessages.load(), row.spamAfter) << row.mode << " " << row.word;
    EXPECT_EQ(session().database.hamMessages.load(), row.hamAfter) << row.mode << " " << row.word;
    EXPECT_EQ(UndoKindOf(id), static_cast<uint32_t>(row.kind)) << row.mode << " " << row.word;
  }
  const std::string log = LogText();
  EXPECT_NE(log.find("AUTOLEARNING SPAM, Message-ID: auto0@test, From: , Subject: \n"), std::string::npos) << log;
  EXPECT_NE(log.find("AUTOLEARNING HAM, Message-ID: auto1@test, From: , Subject: \n"), std::string::npos) << log;
  EXPECT_NE(log.find("ADD SPAM, Message-ID: auto0@test, From: , Subject: , Learningtime: "), std::string::npos);
}

TEST_F(PipelineTest, GradesAreStrictBounds) {
  ChangeSettings([&](Settings& s) { s.AutoLearning = 3; });
  ChangeSettings([&](Settings& s) { s.AutoLearningGradeAbove = 95; });
  Score(OneWordMail("spammy95", "edge@test"));
  WaitForLearners();
  EXPECT_EQ(UndoKindOf("edge@test"), static_cast<uint32_t>(UndoKind::ScoredSpam));
}

TEST_F(PipelineTest, SendersOfSpamGoOnTheBlackListUnlessTheyAreRecipients) {
  session().lists = &lists_;
  ChangeSettings([&](Settings& s) { s.AutoInsertBlacklist = 1; });
  ChangeSettings([&](Settings& s) { s.AutoInsertWhitelist = 1; });
  ChangeSettings([&](Settings& s) { s.SpamScore = 70; });  // the unknown header words pull the spam down to 79
  TestMail spam;
  spam.body = "spammy95";
  Score(spam.Text());
  TestMail toSelf = spam;
  toSelf.to = "Me <SENDER@example.com>";
  Score(toSelf.Text());
  TestMail ham;
  ham.from = "friend@example.net";
  ham.body = "hammy3";
  Score(ham.Text());
  ASSERT_EQ(lists_.added_.size(), 2u);
  EXPECT_EQ(lists_.added_[0].text, "sender@example.com");
  EXPECT_EQ(lists_.added_[0].kind, kBlackText);
  EXPECT_EQ(lists_.added_[1].text, "friend@example.net");
  EXPECT_EQ(lists_.added_[1].kind, kWhiteText);
}

TEST_F(PipelineTest, ThresholdComesFromTheSettings) {
  ChangeSettings([&](Settings& s) { s.SpamScore = 40; });
  EXPECT_EQ(Score(OneWordMail("unknownword", "u@test")), 40);
  EXPECT_EQ(counters().DetectedSpam.load(), 1u);
  EXPECT_EQ(UndoKindOf("u@test"), static_cast<uint32_t>(UndoKind::ScoredSpam));
}

}  // namespace
}  // namespace trellisk
