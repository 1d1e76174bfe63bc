// Training through PluginCore::FeedSpam: the undo table, train-on-error,
// the thread limit and shutdown.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <thread>

#include "host/message_table.h"
#include "platform/clock.h"
#include "store/undo_kind.h"
#include "tests/support/core_fixture.h"

namespace trellisk {
namespace {

using testing::FakeDnsCheck;
using testing::FakeSenderLists;
using testing::TestMail;

constexpr uint32_t kLearnedHam = static_cast<uint32_t>(UndoKind::LearnedHam);
constexpr uint32_t kLearnedSpam = static_cast<uint32_t>(UndoKind::LearnedSpam);
constexpr uint32_t kScoredHam = static_cast<uint32_t>(UndoKind::ScoredHam);
constexpr uint32_t kScoredSpam = static_cast<uint32_t>(UndoKind::ScoredSpam);
constexpr uint32_t kNoRecord = 99;

class TrainingTest : public testing::CoreFixture {
 protected:
  void SetUp() override {
    SetSetting("AutoLearning", 0);
    Start();
    session().lists = &lists_;
    session().dns = &dns_;
  }
  std::string Mail(const std::string& id, const std::string& body = "alpha beta gamma") {
    TestMail mail;
    mail.from = "sender@example.com";
    mail.subject = "";
    mail.messageId = id;
    mail.extraHeaders = {"Received: from relay (relay [10.9.8.7])"};
    mail.body = body;
    return mail.Text();
  }
  void TrainAndWait(const std::string& text, bool spam) {
    Train(text, spam);
    WaitForLearners();
  }
  void Remember(const std::string& id, uint32_t kind) {
    session().undo.Add(id, kind, platform::CalendarTimeSeconds());
  }
  uint32_t KindOf(const std::string& id) {
    uint32_t kind = kNoRecord, time = 0;
    session().undo.Find(id, kind, time);
    return kind;
  }
  // The message "strong" was learned as spam (its word now 51 spam, 1 ham,
  // with 101 spam and 100 ham learned) and the user trains it as ham.
  void CorrectLearnedSpamToHam() {
    session().database.spamMessages = 101;
    session().database.hamMessages = 100;
    session().database.AddSpam("strong", 51);
    session().database.AddHam("strong", 1);
    Remember("c@test", kLearnedSpam);
    TrainAndWait(Mail("c@test", "strong"), false);
  }
  std::pair<uint32_t, uint32_t> Counts(const std::string& word) {
    uint32_t spam = 0, ham = 0;
    session().database.Find(word, spam, ham);
    return {spam, ham};
  }

  FakeSenderLists lists_;
  FakeDnsCheck dns_{false};
};

TEST_F(TrainingTest, LearnsTheWordsOnceEach) {
  TrainAndWait(Mail("m1@test", "alpha alpha beta"), true);
  EXPECT_EQ(session().database.spamMessages.load(), 1u);
  EXPECT_EQ(Counts("alpha"), std::make_pair(1u, 0u)) << "once per message, whatever the count in it";
  EXPECT_EQ(Counts("beta"), std::make_pair(1u, 0u));
  EXPECT_EQ(Counts("F*sender"), std::make_pair(1u, 0u));
  EXPECT_EQ(KindOf("m1@test"), kLearnedSpam);
  TrainAndWait(Mail("m1@test", "alpha alpha beta"), true);
  EXPECT_EQ(Counts("alpha"), std::make_pair(2u, 0u)) << "trained twice the same way counts twice";
  EXPECT_EQ(session().database.spamMessages.load(), 2u);
  const std::string log = LogText();
  EXPECT_NE(log.find("ADD SPAM, Message-ID: m1@test, From: sender@example.com, Subject: , Learningtime: "),
            std::string::npos)
      << log;
}

TEST_F(TrainingTest, UndoTableRows) {
  const struct {
    uint32_t kind;
    bool spam;
    uint32_t falsePositiv;
    uint32_t falseNegativ;
  } rows[] = {
      {kLearnedHam, true, 1, 0},  {kLearnedHam, false, 0, 0}, {kLearnedSpam, false, 0, 1},
      {kLearnedSpam, true, 0, 0}, {kScoredHam, true, 1, 0},   {kScoredHam, false, 0, 0},
      {kScoredSpam, false, 0, 1}, {kScoredSpam, true, 0, 0},  {kNoRecord, true, 0, 0},
  };
  int n = 0;
  for (const auto& row : rows) {
    counters().FalsePositiv = 0;
    counters().FalseNegativ = 0;
    const std::string id = "row" + std::to_string(n++) + "@test";
    if (row.kind != kNoRecord) Remember(id, row.kind);
    TrainAndWait(Mail(id), row.spam);
    EXPECT_EQ(counters().FalsePositiv.load(), row.falsePositiv) << row.kind << " " << row.spam;
    EXPECT_EQ(counters().FalseNegativ.load(), row.falseNegativ) << row.kind << " " << row.spam;
    EXPECT_EQ(KindOf(id), row.spam ? kLearnedSpam : kLearnedHam) << row.kind << " " << row.spam;
  }
}

TEST_F(TrainingTest, ScoredSpamTrainedAsHamTakesTheSenderOffTheBlackList) {
  ChangeSettings([&](Settings& s) { s.AutoInsertBlacklist = 1; });
  Remember("s@test", kScoredSpam);
  TrainAndWait(Mail("s@test"), false);
  EXPECT_EQ(counters().FalseNegativ.load(), 1u);
  EXPECT_EQ(KindOf("s@test"), kLearnedHam);
  EXPECT_EQ(Counts("alpha"), std::make_pair(0u, 1u)) << "added as ham once";
  ASSERT_EQ(lists_.removed_.size(), 1u);
  EXPECT_EQ(lists_.removed_[0].text, "sender@example.com");
  EXPECT_EQ(lists_.removed_[0].kind, kBlackText);
  EXPECT_EQ(LogText().find("UNDO"), std::string::npos) << "nothing was learned before";
}

TEST_F(TrainingTest, ScoredHamTrainedAsSpamTakesTheSenderOffTheWhiteList) {
  ChangeSettings([&](Settings& s) { s.AutoInsertWhitelist = 1; });
  Remember("h@test", kScoredHam);
  TrainAndWait(Mail("h@test"), true);
  ASSERT_EQ(lists_.removed_.size(), 1u);
  EXPECT_EQ(lists_.removed_[0].kind, kWhiteText);
}

TEST_F(TrainingTest, LearnedSpamTrainedAsHamIsTakenBackUntilItScoresAsHam) {
  CorrectLearnedSpamToHam();
  EXPECT_EQ(counters().FalseNegativ.load(), 1u);
  EXPECT_EQ(session().database.spamMessages.load(), 100u);
  EXPECT_EQ(session().database.hamMessages.load(), 101u);
  // Each round adds one ham count; at 6 the word's probability drops below 0.9.
  EXPECT_EQ(Counts("strong"), std::make_pair(50u, 6u));
  ASSERT_EQ(dns_.removed_.size(), 1u);
  EXPECT_EQ(dns_.removed_[0], "10.9.8.7") << "the relays leave the DNS cache";
  const std::string log = LogText();
  EXPECT_NE(log.find("UNDO SPAM, Message-ID: c@test, From: sender@example.com, Subject: \n"), std::string::npos)
      << log;
  EXPECT_NE(log.find("ADD HAM, Message-ID: c@test"), std::string::npos);
}

TEST_F(TrainingTest, WithoutTrainOnErrorTheCorrectionLearnsOnce) {
  ChangeSettings([&](Settings& s) { s.TrainOnError = 0; });
  CorrectLearnedSpamToHam();
  EXPECT_EQ(Counts("strong"), std::make_pair(50u, 2u));
}

TEST_F(TrainingTest, TrainOnErrorStopsAtItsLimit) {
  ChangeSettings([&](Settings& s) { s.SpamScore = 0; });  // no score is below 0
  TrainAndWait(Mail("x@test", "zzz"), true);
  TrainAndWait(Mail("x@test", "zzz"), false);
  EXPECT_EQ(Counts("zzz"), std::make_pair(0u, 25u));
  EXPECT_NE(LogText().find("TRAIN ON ERROR STOPPED, Message-ID: x@test, From: sender@example.com, Subject: , Score: 50"),
            std::string::npos);
}

TEST_F(TrainingTest, UndoOfHamNeverTakesTheTotalBelowZero) {
  for (uint32_t before : {1u, 0u}) {
    session().database.hamMessages = before;
    const std::string id = "u" + std::to_string(before) + "@test";
    Remember(id, kLearnedHam);
    TrainAndWait(Mail(id), true);
    EXPECT_EQ(session().database.hamMessages.load(), 0u) << before;
  }
}

TEST_F(TrainingTest, MessagesWithoutWordsOnlyCorrectTheRecord) {
  Remember("empty@test", kScoredSpam);
  TestMail mail;
  mail.from = mail.subject = mail.to = "";
  mail.messageId = "empty@test";
  mail.body = "a b";
  TrainAndWait(mail.Text(), false);
  EXPECT_EQ(counters().FalseNegativ.load(), 1u);
  EXPECT_EQ(KindOf("empty@test"), kNoRecord) << "removed, and nothing learned to record";
  EXPECT_EQ(session().database.hamMessages.load(), 0u);
}

TEST_F(TrainingTest, SendersAreInsertedWhenTrainingIfBothSwitchesAreOn) {
  ChangeSettings([&](Settings& s) { s.AutoInsertBlacklist = 1; });
  TrainAndWait(Mail("a@test"), true);
  EXPECT_TRUE(lists_.added_.empty());
  ChangeSettings([&](Settings& s) { s.AutoInsertBlacklistTrain = 1; });
  TrainAndWait(Mail("b@test"), true);
  ASSERT_EQ(lists_.added_.size(), 1u);
  EXPECT_EQ(lists_.added_[0].kind, kBlackText);
  ChangeSettings([&](Settings& s) { s.AutoInsertWhitelist = s.AutoInsertWhitelistTrain = 1; });
  TrainAndWait(Mail("c@test"), false);
  ASSERT_EQ(lists_.added_.size(), 2u);
  EXPECT_EQ(lists_.added_[1].kind, kWhiteText);
}

TEST_F(TrainingTest, UnreadableMessageLearnsNothing) {
  TrainAndWait("", true);
  EXPECT_EQ(session().database.spamMessages.load(), 0u);
  EXPECT_EQ(core_->ActiveLearners(), 0u);
}

TEST_F(TrainingTest, AFailingLearnerStillEndsCleanly) {
  lists_.throwOnAdd_ = true;
  ChangeSettings([&](Settings& s) { s.AutoInsertBlacklist = s.AutoInsertBlacklistTrain = 1; });
  TrainAndWait(Mail("boom@test"), true);
  EXPECT_EQ(core_->ActiveLearners(), 0u);
  EXPECT_NE(LogText().find("DODozev::LearningThread"), std::string::npos);
}

// A reader that holds the message with handle `blocked` until released.
std::mutex g_gateMutex;
std::condition_variable g_gateOpened;
bool g_gateOpen = false;
MessageHandle g_blocked = 0;

int TBP_CALL GatedReader(MessageHandle message, int property, char* buffer, int size) {
  if (message == g_blocked && buffer != nullptr) {
    std::unique_lock<std::mutex> lock(g_gateMutex);
    g_gateOpened.wait(lock, [] { return g_gateOpen; });
  }
  return host::MessageTable::ReadProperty(message, property, buffer, size);
}

TEST_F(TrainingTest, WithOneThreadASecondRequestWaitsForTheFirst) {
  ChangeSettings([&](Settings& s) { s.MaxThreadCount = 1; });
  onSleep_ = [](uint32_t milliseconds) {
    if (milliseconds != 50) return;
    std::lock_guard<std::mutex> lock(g_gateMutex);
    g_gateOpen = true;
    g_gateOpened.notify_all();
  };
  host::HostedMessage first(Mail("first@test"));
  host::HostedMessage second(Mail("second@test"));
  g_blocked = first.handle();
  g_gateOpen = false;
  std::thread firstCaller([&] { core_->FeedSpam(first.handle(), 1, GatedReader); });
  while (core_->ActiveLearners() == 0) std::this_thread::yield();
  core_->FeedSpam(second.handle(), 1, GatedReader);
  firstCaller.join();
  WaitForLearners();
  const std::vector<uint32_t> sleeps = Sleeps();
  EXPECT_NE(std::find(sleeps.begin(), sleeps.end(), 50u), sleeps.end()) << "the second request waited";
  EXPECT_EQ(session().database.spamMessages.load(), 2u);
  EXPECT_EQ(core_->FeedCount(), 2u);
}

std::atomic<int> g_reads{0};
int TBP_CALL CountingReader(MessageHandle message, int property, char* buffer, int size) {
  ++g_reads;
  return host::MessageTable::ReadProperty(message, property, buffer, size);
}

TEST_F(TrainingTest, FeedingAfterShutdownBeganReadsNothing) {
  ChangeSettings([&](Settings& s) { s.SaveDelay = 1; });
  host::HostedMessage message(Mail("late@test"));
  g_reads = 0;
  onSleep_ = [&](uint32_t milliseconds) {
    if (milliseconds == 1000) core_->FeedSpam(message.handle(), 1, CountingReader);
  };
  Stop();
  EXPECT_EQ(g_reads.load(), 0);
  EXPECT_TRUE(core_->ShutdownRequested());
}

}  // namespace
}  // namespace trellisk
