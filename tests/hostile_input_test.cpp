// Hostile and odd input for the running plug-in: host readers that lie about
// the message, messages built to hurt the parser, damaged registry values,
// store paths that are not files, store files that cannot be changed, and
// rules and list expressions that are broken or backtrack without end. Each
// case states what the plug-in does instead of crashing, hanging or losing
// data.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "plugin/session.h"
#include "plugin/settings.h"
#include "tests/support/core_fixture.h"

namespace trellisk {
namespace {

using testing::ReadFileBytes;
using testing::TestMail;
using testing::WriteFileBytes;

// What the lying reader serves: `announced` bytes claimed, `text` copied
// (as much of it as the buffer takes), and the largest copy asked for.
struct ReaderScript {
  int announced = 0;
  std::optional<int> copyResult;  // the count returned; the bytes copied when empty
  std::string text;
  std::atomic<int> largestRequest{0};
};
ReaderScript g_script;

int TBP_CALL ScriptedReader(MessageHandle, int property, char* buffer, int size) {
  if (property != TBP_PROPERTY_RAW_MESSAGE) return 0;
  if (buffer == nullptr) return g_script.announced;
  g_script.largestRequest = std::max(g_script.largestRequest.load(), size);
  const int copied = std::min<int>(size, static_cast<int>(g_script.text.size()));
  if (copied > 0) std::memcpy(buffer, g_script.text.data(), static_cast<size_t>(copied));
  return g_script.copyResult.value_or(copied);
}

class HostileInputTest : public testing::CoreFixture {
 protected:
  HostileInputTest() {
    SetSetting("DNSBlacklist", 0);
    SetSetting("AutoLearning", 0);
    g_script.announced = 0;
    g_script.copyResult.reset();
    g_script.text.clear();
    g_script.largestRequest = 0;
    messageBoxes_.Observe([this](std::string_view caption, std::string_view text, platform::MessageBoxIcon) {
      std::lock_guard<std::mutex> lock(boxesMutex_);
      boxes_.push_back(std::string(caption) + "|" + std::string(text));
    });
  }

  void Serve(std::string text, int announced) {
    g_script.text = std::move(text);
    g_script.announced = announced;
  }
  int ScoreServed() { return core_->GetSpamScore(7, &ScriptedReader); }
  void TrainServed(bool spam) {
    core_->FeedSpam(7, spam ? 1 : 0, &ScriptedReader);
    WaitForLearners();
  }
  uint32_t HamTotal() { return session().database.hamMessages; }
  uint32_t SpamTotal() { return session().database.spamMessages; }
  bool LogHas(const std::string& text) { return LogText().find(text) != std::string::npos; }
  size_t LogCount(const std::string& text) {
    const std::string log = LogText();
    size_t count = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
    return count;
  }

  std::mutex boxesMutex_;
  std::vector<std::string> boxes_;
};

std::string PlainMail(const std::string& body) {
  TestMail mail;
  mail.body = body;
  return mail.Text();
}

// --- readers that lie --------------------------------------------------------

TEST_F(HostileInputTest, AMessageAnnouncedAsTwoGigabytesIsReadOnlyAsFarAsTheCut) {
  Start();
  Serve(PlainMail(std::string(70000, 'x') + " tail"), 0x7FFFFFFF);
  const int score = ScoreServed();
  EXPECT_GE(score, 0);
  EXPECT_LE(score, 100);
  EXPECT_EQ(g_script.largestRequest, 65537) << "no 2 GB buffer: only the head that survives the cut is asked for";
  EXPECT_EQ(LogCount("RECEIVED, "), 1u) << "the message is judged and logged";
  TrainServed(false);
  EXPECT_EQ(HamTotal(), 1u) << "training reads it the same way";
  EXPECT_EQ(g_script.largestRequest, 65537);
}

TEST_F(HostileInputTest, TheRuleFilterStillSeesTheAnnouncedSizeOfAHugeMessage) {
  SetSetting("Algorithm", 1 | 4);
  SetTextSetting("RegExpPath", dir_.File("rules.dat"));
  // SIZE fires for messages of at most the given size.
  WriteFileBytes(dir_.File("rules.dat"), "SIZE: 1000 \"100000\"\n");
  Start();
  Serve(PlainMail(std::string(70000, 'x')), 200000);
  EXPECT_NE(ScoreServed(), 100) << "a 200,000-byte message is not taken for one of 65,537";
  Serve(PlainMail(std::string(70000, 'x')), 90000);
  EXPECT_EQ(ScoreServed(), 100);
}

TEST_F(HostileInputTest, AReaderGivingFewerBytesThanAnnouncedIsTakenAtItsWord) {
  Start();
  Serve(PlainMail("short but real"), 1000);
  EXPECT_EQ(ScoreServed(), 50);
  EXPECT_EQ(LogCount("HAM RECEIVED"), 1u);
  TrainServed(true);
  EXPECT_EQ(SpamTotal(), 1u);
  uint32_t spam = 0, ham = 0;
  EXPECT_TRUE(session().database.Find("real", spam, ham));
  EXPECT_EQ(spam, 1u);
}

TEST_F(HostileInputTest, NegativeSizesAndCountsGiveNoTextAndNothingIsLearned) {
  Start();
  Serve(PlainMail("anything"), -1);
  EXPECT_EQ(ScoreServed(), 50);
  TrainServed(true);
  Serve(PlainMail("anything"), 100);
  g_script.copyResult = -5;
  EXPECT_EQ(ScoreServed(), 50);
  TrainServed(false);
  g_script.copyResult = 1000;  // more than the buffer it was given
  EXPECT_EQ(ScoreServed(), 50);
  TrainServed(false);
  EXPECT_EQ(SpamTotal(), 0u);
  EXPECT_EQ(HamTotal(), 0u);
  EXPECT_EQ(g_script.largestRequest, 100);
}

// --- messages built to hurt the parser ----------------------------------------

struct OddMessage {
  const char* name;
  std::string (*make)();
  // A word that training the message as spam must learn; null when the
  // message has no words at all.
  const char* learnedWord;
};

// A real header, then 64 KB of random bytes other than zero.
std::string BinaryGarbage() {
  std::mt19937 random(20240601);
  std::string text = "Subject: garbage\r\n\r\n";
  for (int i = 0; i < 65536; ++i) text += static_cast<char>(1 + random() % 255);
  return text;
}

// The parser reads the text as a C string: what follows a zero byte is not
// there for it, but what precedes it is.
std::string NulBytesInTheBody() {
  return std::string("Subject: zeros\r\nContent-Type: text/html\r\n\r\n<p>visible") + '\0' + "hidden<b" + '\0' +
         ">words</b>\r\n";
}

std::string NulByteInTheHeader() { return std::string("From: a") + '\0' + "b@example.com\r\n\r\nbody words\r\n"; }

std::string LongLines() {
  return "From: a@example.com\r\nSubject: " + std::string(65000, 'S') + "\r\n\r\n" + std::string(65000, 'w') +
         " " + std::string(65000, 'z');
}

std::string LongEncodedLines() {
  return "Subject: =?iso-8859-1?q?encoded_" + std::string(30000, 'Q') +
         "?=\r\nContent-Transfer-Encoding: base64\r\n\r\n" + std::string(65000, 'Q');
}

// Each part is a multipart that holds the next one, 1000 deep.
std::string NestedMultiparts() {
  std::string text = "From: a@example.com\r\nSubject: nested\r\n";
  for (int depth = 0; depth < 1000; ++depth) {
    text += "Content-Type: multipart/mixed; boundary=\"" + std::to_string(depth) + "\"\r\n\r\n--" +
            std::to_string(depth) + "\r\n";
  }
  text += "Content-Type: text/plain\r\n\r\ninnermost words\r\n";
  for (int depth = 999; depth >= 0; --depth) text += "--" + std::to_string(depth) + "--\r\n";
  return text;
}

// Without an empty line there is no body, and nothing is parsed at all.
std::string HeaderWithoutBody() { return "From: a@example.com\r\nSubject: only a header"; }

std::string HtmlCommentsWithoutEnd() {
  std::string text = "Subject: comments\r\nContent-Type: text/html\r\n\r\n";
  for (int i = 0; i < 5000; ++i) text += "<!-- <a href=\"http://x";
  return text;
}

const OddMessage kOddMessages[] = {
    {"BinaryGarbage", BinaryGarbage, "S*garbage"},
    {"NulBytesInTheBody", NulBytesInTheBody, "visible"},
    {"NulByteInTheHeader", NulByteInTheHeader, nullptr},
    {"LinesOf64KB", LongLines, "F*example.com"},
    {"EncodedLinesOf64KB", LongEncodedLines, "S*encoded"},
    {"ThousandNestedMultiparts", NestedMultiparts, "S*nested"},
    {"HeaderWithoutBody", HeaderWithoutBody, nullptr},
    {"HtmlCommentsWithoutEnd", HtmlCommentsWithoutEnd, "S*comments"},
};

class OddMessageTest : public HostileInputTest, public ::testing::WithParamInterface<OddMessage> {};

TEST_P(OddMessageTest, IsScoredLoggedAndLearned) {
  Start();
  const std::string text = GetParam().make();
  const int score = Score(text);
  EXPECT_GE(score, 0);
  EXPECT_LE(score, 100);
  EXPECT_EQ(LogCount("RECEIVED, "), 1u) << "one verdict line for the message";
  Train(text, true);
  WaitForLearners();
  const char* word = GetParam().learnedWord;
  EXPECT_EQ(SpamTotal(), word ? 1u : 0u);
  uint32_t spam = 0, ham = 0;
  if (word) {
    EXPECT_TRUE(session().database.Find(word, spam, ham) && spam == 1) << word;
  }
  EXPECT_FALSE(LogHas("exception")) << LogText();
}

INSTANTIATE_TEST_SUITE_P(Messages, OddMessageTest, ::testing::ValuesIn(kOddMessages),
                         [](const ::testing::TestParamInfo<OddMessage>& info) { return info.param.name; });

// --- damaged registry values ---------------------------------------------------

TEST_F(HostileInputTest, RegistryValuesOfTheWrongTypeOrLengthAreReadAsTheirPlatformDoes) {
  auto key = registry_.Create(platform::RegistryHive::LocalMachine, kSettingsKey);
  key->Write("MinWordLength", {platform::kRegBinary, {5, 0}});            // two bytes replace the low two
  key->Write("SignificantWords", {platform::kRegBinary, std::vector<uint8_t>(8, 1)});  // too long: not read
  key->Write("SpamScore", {platform::kRegString, {'9', '\0'}});           // a text read as a number
  key->Write("DatabasePath", platform::RegistryValue::Dword(7));           // a number where a path belongs
  key->Write("UndodataPath", {platform::kRegString, {'u', '.', 'd'}});    // text without its zero byte
  key->Write("HamWeight", {platform::kRegBinary, {}});                     // empty
  Start();
  EXPECT_EQ(settings().MinWordLength, 5u);
  EXPECT_EQ(settings().SignificantWords, 20u);
  EXPECT_EQ(settings().SpamScore, static_cast<uint32_t>('9'));
  EXPECT_EQ(settings().DatabasePath, dir_.File("database.dat"));
  EXPECT_EQ(settings().UndodataPath, dir_.File("undo.dat"));
  EXPECT_FLOAT_EQ(settings().HamWeight, 1.0f);
  Train(PlainMail("remembered"), false);
  WaitForLearners();
  Stop();
  EXPECT_NE(ReadFileBytes(dir_.File("database.dat")).find("remembered"), std::string::npos);
}

// --- store paths that are not files, store files that cannot change -------------

TEST_F(HostileInputTest, ADatabasePathNamingADirectoryLeavesTheDirectoryAndTheRestWorks) {
  std::filesystem::create_directory(dir_.File("words"));
  WriteFileBytes(dir_.File("words/inside.txt"), "kept");
  SetTextSetting("DatabasePath", dir_.File("words"));
  Start();
  EXPECT_EQ(HamTotal(), 0u);
  Train(PlainMail("learned words"), false);
  WaitForLearners();
  EXPECT_EQ(Score(PlainMail("learned words")), Score(PlainMail("learned words")));
  Stop();
  EXPECT_TRUE(std::filesystem::is_directory(dir_.File("words")));
  EXPECT_EQ(ReadFileBytes(dir_.File("words/inside.txt")), "kept");
  EXPECT_TRUE(std::filesystem::exists(dir_.File("undo.dat"))) << "the other stores are saved";
}

// Makes files immutable with chattr (root cannot write them either) and
// always takes the attribute back, so that the directory can be removed.
class ImmutableFiles {
 public:
  bool Set(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
      if (std::system(("chattr +i '" + path + "' 2>/dev/null").c_str()) != 0) return false;
      paths_.push_back(path);
    }
    return true;
  }
  ~ImmutableFiles() {
    for (const std::string& path : paths_) std::system(("chattr -i '" + path + "' 2>/dev/null").c_str());
  }

 private:
  std::vector<std::string> paths_;
};

TEST_F(HostileInputTest, StoreFilesThatCannotBeReplacedKeepTheirContentAndTheFailureIsLogged) {
  SetSetting("AutoInsertBlacklist", 1);
  SetSetting("AutoInsertBlacklistTrain", 1);
  Start();
  Train(PlainMail("first words"), true);
  WaitForLearners();
  Stop();
  const std::vector<std::string> stores = {dir_.File("database.dat"), dir_.File("undo.dat"),
                                           dir_.File("blacklist.txt")};
  std::vector<std::string> before;
  for (const std::string& path : stores) before.push_back(ReadFileBytes(path));
  ImmutableFiles immutable;
  if (!immutable.Set(stores)) GTEST_SKIP() << "chattr +i is not available here";

  Start();
  EXPECT_EQ(SpamTotal(), 1u) << "an unchangeable file is still read";
  TestMail other;
  other.from = "other@example.net";
  other.body = "second words";
  Train(other.Text(), true);
  WaitForLearners();
  Stop();
  for (size_t i = 0; i < stores.size(); ++i) EXPECT_EQ(ReadFileBytes(stores[i]), before[i]) << stores[i];
  EXPECT_TRUE(LogHas("Storing of the blacklist failed!")) << LogText();
}

// --- broken rules and list expressions -------------------------------------------

TEST_F(HostileInputTest, ARuleThatBacktracksWithoutEndGivesUpAndTheMessageIsScored) {
  SetSetting("Algorithm", 1 | 4);
  SetTextSetting("RegExpPath", dir_.File("rules.dat"));
  WriteFileBytes(dir_.File("rules.dat"),
                 "BODY: 1000 {(a+)+b}\n"
                 "LINE: 1000 {(a|aa)+$x}\n"
                 "SUBJECT: 1000 {(.*a){30}z}\n"
                 "BODY: 1 {aaaa}\n");
  Start();
  TestMail mail;
  mail.subject = std::string(60, 'a');
  mail.body = std::string(5000, 'a');
  // Unbounded, the first rule alone would take 2^5000 steps; the test ends
  // at all only because each execution is bounded.
  EXPECT_LT(Score(mail.Text()), 100);
  EXPECT_EQ(LogCount("HAM RECEIVED"), 1u);
}

TEST_F(HostileInputTest, AListExpressionThatBacktracksWithoutEndDoesNotListTheMessage) {
  SetTextSetting("BlacklistPath", dir_.File("black.txt"));
  WriteFileBytes(dir_.File("black.txt"), "regexp:(a+)+b\n");
  Start();
  EXPECT_EQ(Score(PlainMail(std::string(3000, 'a'))), 50);
  EXPECT_EQ(LogCount("HAM RECEIVED"), 1u);
}

TEST_F(HostileInputTest, AListExpressionThatDoesNotCompileIsShownOncePerCheckAndTheMessageIsStillScored) {
  SetTextSetting("BlacklistPath", dir_.File("black.txt"));
  WriteFileBytes(dir_.File("black.txt"), "regexp:([unclosed\n");
  Start();
  session().database.spamMessages = 100;
  session().database.hamMessages = 100;
  session().database.AddSpam("viagra", 99);
  session().database.AddHam("viagra", 1);
  EXPECT_GE(Score(PlainMail("viagra viagra")), 90);
  EXPECT_EQ(LogCount("SPAM RECEIVED"), 1u);
  const size_t boxesPerMessage = boxes_.size();
  ASSERT_GE(boxesPerMessage, 1u);
  EXPECT_LE(boxesPerMessage, 2u) << "one from the raw-text check, one from the parser's";
  EXPECT_EQ(boxes_.front(), "False Regular Expression (Blacklist)|([unclosed");
  EXPECT_LT(Score(PlainMail("meeting notes")), 90);
  EXPECT_EQ(boxes_.size(), 2 * boxesPerMessage) << "again for the next message, once per check";
  EXPECT_EQ(LogCount("HAM RECEIVED"), 1u);
}

}  // namespace
}  // namespace trellisk
