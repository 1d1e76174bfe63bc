// The sender lists, the rule filter and the DNS blacklists as the running
// plug-in uses them: loaded from their files at start-up, deciding scored
// messages, growing by automatic insertion, shrinking when training is taken
// back, and saved at shutdown for the next start. DNS look-ups go to the
// fixture's resolver, which answers only what a test lists.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/core_fixture.h"

namespace trellisk {
namespace {

using testing::ReadFileBytes;
using testing::TestMail;
using testing::WriteFileBytes;

class ChecksTest : public testing::CoreFixture {
 protected:
  ChecksTest() {
    SetSetting("AutoLearning", 0);
    SetSetting("DNSBlacklist", 0);
    SetTextSetting("BlacklistPath", dir_.File("black.txt"));
    SetTextSetting("WhitelistPath", dir_.File("white.txt"));
    SetTextSetting("RegExpPath", dir_.File("rules.dat"));
  }

  // Trains a few clear words so that the classifier has an opinion.
  void LearnWords() {
    session().database.spamMessages = 100;
    session().database.hamMessages = 100;
    session().database.AddSpam("viagra", 99);
    session().database.AddHam("viagra", 1);
    session().database.AddSpam("meeting", 1);
    session().database.AddHam("meeting", 99);
  }

  static TestMail Mail(const std::string& from, const std::string& subject, const std::string& body) {
    TestMail mail;
    mail.from = from;
    mail.subject = subject;
    mail.body = body;
    return mail;
  }

  bool LogHas(const std::string& text) { return LogText().find(text) != std::string::npos; }
};

TEST_F(ChecksTest, ListsFromTheirFilesDecideAndWhiteWinsOverBlack) {
  WriteFileBytes(dir_.File("black.txt"), "TEXT:Cheap Pills\r\nspammer@bad.example\r\n");
  WriteFileBytes(dir_.File("white.txt"), "regexp:   friend@[a-z]+\\.example\r\n");
  Start();
  EXPECT_EQ(session().blackWhitelist.blackCount(), 2u);
  EXPECT_EQ(session().blackWhitelist.whiteCount(), 1u);

  EXPECT_EQ(Score(Mail("someone@shop.example", "offer", "cheap PILLS here").Text()), 100);
  EXPECT_TRUE(LogHas("BLACKLISTED, Message-ID: 0, From: someone@shop.example, Subject: offer, Score: 100, "
                     "Reason: Cheap Pills, "));
  EXPECT_EQ(Score(Mail("friend@home.example", "fwd", "cheap pills, a joke").Text()), 0);
  EXPECT_TRUE(LogHas("WHITELISTED, Message-ID: 0, From: friend@home.example, Subject: fwd, Score: 0, "
                     "Reason: friend@[a-z]+\\.example, "));
}

TEST_F(ChecksTest, AnEntryInADecodedPartCountsAndTheReasonsAreJoined) {
  WriteFileBytes(dir_.File("black.txt"), "cheap\n");
  Start();
  TestMail mail = Mail("a@b.example", "cheap", "Y2hlYXAgcGlsbHM=");  // "cheap pills"
  mail.extraHeaders = {"Content-Type: text/plain", "Content-Transfer-Encoding: base64"};
  EXPECT_EQ(Score(mail.Text()), 100);
  EXPECT_TRUE(LogHas("Score: 100, Reason: cheap cheap, "));
}

TEST_F(ChecksTest, SendersInsertedWhileScoringAreSavedAndListedAtTheNextStart) {
  SetSetting("AutoInsertBlacklist", 1);
  Start();
  LearnWords();
  EXPECT_GE(Score(Mail("Spammer <spammer@bad.com>", "buy", "viagra").Text()), 90);
  EXPECT_EQ(session().blackWhitelist.blackCount(), 1u);
  Stop();
  EXPECT_EQ(ReadFileBytes(dir_.File("black.txt")), "TEXT: spammer@bad.com\n");

  Start();
  EXPECT_EQ(Score(Mail("spammer@bad.com", "hello", "meeting").Text()), 100);
  EXPECT_TRUE(LogHas("BLACKLISTED"));
}

TEST_F(ChecksTest, TrainingAScoredSpamAsHamTakesItsSenderOffTheBlackList) {
  SetSetting("AutoInsertBlacklist", 1);
  Start();
  LearnWords();
  TestMail mail = Mail("spammer@bad.com", "buy", "viagra");
  mail.messageId = "wrong@test";
  EXPECT_GE(Score(mail.Text()), 90);
  ASSERT_EQ(session().blackWhitelist.blackCount(), 1u);
  Train(mail.Text(), false);
  WaitForLearners();
  EXPECT_EQ(session().blackWhitelist.blackCount(), 0u);
  Stop();
  EXPECT_EQ(ReadFileBytes(dir_.File("black.txt")), "");
}

TEST_F(ChecksTest, RulesFromTheirFileFilterAtTheThreshold) {
  SetSetting("Algorithm", 1 | kAlgorithmRuleFilter);
  WriteFileBytes(dir_.File("rules.dat"),
                 "# rules of the test\r\n"
                 "SUBJECT: 499.9 \"pharmacy\" [pharmacy offer]\r\n"
                 "SUBJECT: 498.99 \"drugstore\"\r\n"
                 "B_INCLUDE_LIST more.dat\r\n");
  WriteFileBytes(dir_.File("more.dat"), "-SUBJECT: 0.5 {pharmacy|drugstore}\n");
  Start();
  EXPECT_EQ(session().regExpFilter.RuleCount(), 3u);
  LearnWords();

  EXPECT_EQ(Score(Mail("a@b.example", "Pharmacy", "meeting").Text()), 100);
  EXPECT_TRUE(LogHas("REGEXP FILTERED, Message-ID: 0, From: a@b.example, Subject: Pharmacy, Score: 100, "
                     "Reason: 499.90, "));
  EXPECT_TRUE(LogHas("499.90 SUBJECT pharmacy offer\n"));

  EXPECT_LT(Score(Mail("a@b.example", "drugstore", "meeting").Text()), 90);
  EXPECT_TRUE(LogHas("498.99 SUBJECT \n"));
  EXPECT_LT(Score(Mail("a@b.example", "hello", "meeting").Text()), 90);
  EXPECT_TRUE(LogHas("0.50 SUBJECT \n")) << "the included rule counts";
}

TEST_F(ChecksTest, RulesAreOnlyLoadedWhenTheFilterIsSwitchedOn) {
  WriteFileBytes(dir_.File("rules.dat"), "SUBJECT: 1000 \"pharmacy\"\n");
  Start();
  EXPECT_EQ(session().regExpFilter.RuleCount(), 0u);
  LearnWords();
  EXPECT_LT(Score(Mail("a@b.example", "pharmacy", "meeting").Text()), 90);
}

// A message relayed by 10.1.2.3, whose own words say ham.
std::string RelayedMail(const std::string& id) {
  TestMail mail;
  mail.messageId = id;
  mail.extraHeaders = {"Received: from relay (relay [10.1.2.3]) by mx"};
  mail.body = "meeting";
  return mail.Text();
}

TEST_F(ChecksTest, ListedRelaysAreDnsBlacklistedAndCachedAcrossStarts) {
  SetSetting("DNSBlacklist", 1);
  SetSetting("DNSBlacklistSpamCount", 2);
  SetTextSetting("DNSServerlist", ",bl.test,, dnsbl.test ,other.test,");
  Start();
  LearnWords();
  resolver_->List("3.2.1.10.bl.test");
  resolver_->List("3.2.1.10.dnsbl.test");
  EXPECT_EQ(Score(RelayedMail("relayed@test")), 100);
  const std::string log = LogText();
  const bool namedInEitherOrder =
      log.find("Reason: bl.test(10.1.2.3), dnsbl.test(10.1.2.3), ") != std::string::npos ||
      log.find("Reason: dnsbl.test(10.1.2.3), bl.test(10.1.2.3), ") != std::string::npos;
  EXPECT_TRUE(namedInEitherOrder) << log;
  EXPECT_TRUE(LogHas("DNS-BLACKLISTED, Message-ID: relayed@test"));
  Stop();
  EXPECT_NE(ReadFileBytes(dir_.File("cache.dat")).find("10.1.2.3\n2\n"), std::string::npos)
      << "the cache lies beside the plug-in's file";

  Start();  // a new resolver that lists nothing: the cache decides
  EXPECT_EQ(Score(RelayedMail("again@test")), 100);
  EXPECT_TRUE(LogHas("Score: 100, Reason: cached DNS request, "));
  EXPECT_TRUE(resolver_->names().empty()) << "a cached listing needs no look-up";
}

TEST_F(ChecksTest, TakingBackSpamTrainingForgetsTheCachedRelays) {
  SetSetting("DNSBlacklist", 1);
  Start();
  session().dnsBlacklist.Add("10.1.2.3", 1000, 5);
  Train(RelayedMail("trained@test"), true);
  WaitForLearners();
  Train(RelayedMail("trained@test"), false);
  WaitForLearners();
  uint32_t listings = 0, lastListed = 0;
  EXPECT_FALSE(session().dnsBlacklist.Find("10.1.2.3", listings, lastListed));
  EXPECT_TRUE(LogHas("UNDO SPAM"));
}

// Host threads score while the user's reloads of the lists and the rules
// come in: every message still gets the verdict its lists and rules give.
TEST_F(ChecksTest, ScoringGoesOnWhileTheListsAndRulesAreReloaded) {
  SetSetting("Algorithm", 1 | kAlgorithmRuleFilter);
  SetSetting("VerboseLogfile", 0);
  WriteFileBytes(dir_.File("black.txt"), "cheap pills\n");
  WriteFileBytes(dir_.File("white.txt"), "friend@home.example\n");
  WriteFileBytes(dir_.File("rules.dat"), "SUBJECT: 1000 {pharm[a-z]+}\n");
  Start();
  LearnWords();
  const std::string black = Mail("x@y.example", "hi", "cheap pills").Text();
  const std::string white = Mail("friend@home.example", "hi", "viagra").Text();
  const std::string ruled = Mail("x@y.example", "pharmacy", "meeting").Text();

  std::atomic<bool> done{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> scorers;
  for (int t = 0; t < 3; ++t) {
    scorers.emplace_back([&] {
      for (int i = 0; i < 150; ++i) {
        if (Score(black) != 100) ++wrong;
        if (Score(white) != 0) ++wrong;
        if (Score(ruled) != 100) ++wrong;
      }
    });
  }
  std::thread reloader([&] {
    while (!done) {
      session().blackWhitelist.Save(kBothLists);
      session().blackWhitelist.Load(kBothLists);
      session().regExpFilter.Load();
    }
  });
  for (std::thread& scorer : scorers) scorer.join();
  done = true;
  reloader.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace trellisk
