#include "lists/black_whitelist.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/text_line_end.h"
#include "platform/message_box.h"
#include "plugin/component_options.h"
#include "tests/support/fault_injection_file_system.h"
#include "tests/support/store_test_fixture.h"
#include "tests/support/temp_directory.h"
#include "tests/support/test_message_boxes.h"

namespace trellisk {
namespace {

using testing::ReadFileBytes;
using testing::WriteFileBytes;

struct Box {
  std::string caption;
  std::string text;
};

struct Entry {
  std::string text;
  ListEntryKind kind;
  uint32_t sequence;
  bool operator==(const Entry&) const = default;
};

class BlackWhitelistTest : public ::testing::Test {
 protected:
  BlackWhitelistTest() {
    settings_.BlacklistPath = dir_.File("blacklist.txt");
    settings_.WhitelistPath = dir_.File("whitelist.txt");
    settings_.MaxSizeOfLists = 0;
    settings_.VerboseLogfile = 1;
    ApplySettings();
    log_.Open(dir_.File("trellisk.log"), true);
    messageBoxes_.Observe([this](std::string_view caption, std::string_view text, platform::MessageBoxIcon icon) {
      EXPECT_EQ(icon, platform::MessageBoxIcon::Error);
      boxes_.push_back({std::string(caption), std::string(text)});
    });
  }
  // The lists take the settings as they are now.
  void ApplySettings() { lists_.SetOptions(ListOptionsOf(settings_)); }

  void WriteBlack(const std::string& content) { WriteFileBytes(settings_.BlacklistPath, content); }
  void WriteWhite(const std::string& content) { WriteFileBytes(settings_.WhitelistPath, content); }
  std::string Black() { return ReadFileBytes(settings_.BlacklistPath); }
  std::string White() { return ReadFileBytes(settings_.WhitelistPath); }
  std::string LogText() {
    log_.Close();
    return ReadFileBytes(dir_.File("trellisk.log"));
  }

  ListMatch Check(std::string_view text) {
    ListMatch record;
    lists_.CheckBlackWhitelist(record, text, true);
    return record;
  }
  // Every entry, in slot order.
  std::vector<Entry> Entries() { return EntriesOf(lists_); }
  static std::vector<Entry> EntriesOf(CBlackWhitelist& lists) {
    std::vector<Entry> entries;
    Entry entry;
    for (uint32_t slot = 0; slot < lists.SlotCount(); ++slot) {
      if (lists.GetByIndex(slot, entry.text, entry.kind, entry.sequence)) entries.push_back(entry);
    }
    return entries;
  }

  testing::TempDirectory dir_;
  Settings settings_;
  BuiltinTexts texts_;
  std::atomic<const TextSource*> textSource_{&texts_};
  Log log_{&texts_};
  std::vector<Box> boxes_;
  testing::TestMessageBoxes messageBoxes_;
  CBlackWhitelist lists_{ListOptionsOf(settings_), log_, platform::DefaultFileSystem(), textSource_, messageBoxes_};
};

// --- checking ---

TEST_F(BlackWhitelistTest, WhiteWinsOverBlackWhateverTheSlotOrder) {
  // Several pairs, so that white comes before black in some slots and after in others.
  for (int i = 0; i < 20; ++i) {
    const std::string black = "black" + std::to_string(i);
    const std::string white = "white" + std::to_string(i);
    ASSERT_TRUE(lists_.Add(black, kBlackText, i));
    ASSERT_TRUE(lists_.Add(white, kWhiteText, i));
    const ListMatch match = Check("x " + black + " y " + white);
    EXPECT_EQ(match.verdict, kWhitelisted);
    EXPECT_EQ(match.matchedEntry, white);
  }
}

TEST_F(BlackWhitelistTest, PlainTextMatchesWithoutRegardToCase) {
  WriteBlack("TEXT:Cheap Pills\n");
  lists_.Load(kBlacklist);
  const ListMatch match = Check("Buy cheap PILLS now");
  EXPECT_EQ(match.verdict, kBlacklisted);
  EXPECT_EQ(match.matchedEntry, "Cheap Pills");
  EXPECT_EQ(Check("cheap pill").verdict, kNoDecision);
}

TEST_F(BlackWhitelistTest, ExpressionsIgnoreCaseAndDotStopsAtLineBreaks) {
  ASSERT_TRUE(lists_.Add("^subject:.*CASINO", kBlackRegExp, 0));
  EXPECT_EQ(Check("From: a\nSubject: big casino\n").verdict, kBlacklisted);
  EXPECT_EQ(Check("From: a\nSubject: big\ncasino\n").verdict, kNoDecision);
}

TEST_F(BlackWhitelistTest, ResetClearsTheVerdictButAWhiteVerdictStaysWithoutReset) {
  ASSERT_TRUE(lists_.Add("friend", kWhiteText, 0));
  ASSERT_TRUE(lists_.Add("spam", kBlackText, 0));
  ListMatch record;
  lists_.CheckBlackWhitelist(record, "friend", true);
  lists_.CheckBlackWhitelist(record, "spam", false);
  EXPECT_EQ(record.verdict, kWhitelisted);
  EXPECT_EQ(record.matchedEntry, "friend");
  lists_.CheckBlackWhitelist(record, "spam", true);
  EXPECT_EQ(record.verdict, kBlacklisted);
  lists_.CheckBlackWhitelist(record, "nothing", false);
  EXPECT_EQ(record.verdict, kBlacklisted);
  EXPECT_EQ(record.matchedEntry, "spam");
  lists_.CheckBlackWhitelist(record, "a friend", false);
  EXPECT_EQ(record.verdict, kWhitelisted);
}

TEST_F(BlackWhitelistTest, AnEmptyTextChangesNothing) {
  ASSERT_TRUE(lists_.Add("spam", kBlackText, 0));
  ListMatch record{kBlacklisted, "old", false};
  EXPECT_FALSE(lists_.CheckBlackWhitelist(record, "", true));
  EXPECT_FALSE(lists_.CheckBlackWhitelist(record, std::string_view("\0spam", 5), true));
  EXPECT_EQ(record.verdict, kBlacklisted);
  EXPECT_EQ(record.matchedEntry, "old");
}

TEST_F(BlackWhitelistTest, TheTextEndsAtItsFirstZeroByte) {
  ASSERT_TRUE(lists_.Add("spam", kBlackText, 0));
  EXPECT_EQ(Check(std::string_view("ok\0spam", 7)).verdict, kNoDecision);
}

TEST_F(BlackWhitelistTest, InvalidExpressionEndsTheCheckWithTheVerdictSoFar) {
  // Only one entry ahead of the invalid one in slot order can be known, so
  // search for a key that lands before it.
  ASSERT_TRUE(lists_.Add("[bad", kBlackRegExp, 0));
  std::string earlier;
  for (int i = 0; earlier.empty(); ++i) {
    const std::string candidate = "spam" + std::to_string(i);
    lists_.Add(candidate, kBlackText, 1);
    const std::vector<Entry> entries = Entries();
    if (entries.front().text == candidate) earlier = candidate;
    else lists_.Remove(candidate, kBlackText);
  }
  ListMatch record;
  EXPECT_FALSE(lists_.CheckBlackWhitelist(record, "this is " + earlier, true));
  EXPECT_EQ(record.verdict, kBlacklisted);
  EXPECT_EQ(record.matchedEntry, earlier);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "False Regular Expression (Blacklist)");
  EXPECT_EQ(boxes_[0].text, "[bad");
  // The same record skips it silently from now on; a fresh one shows it again.
  EXPECT_TRUE(lists_.CheckBlackWhitelist(record, "more", false));
  EXPECT_EQ(boxes_.size(), 1u);
  Check("text");
  EXPECT_EQ(boxes_.size(), 2u);
  ASSERT_TRUE(lists_.Add("friend", kWhiteText, 0));
  EXPECT_TRUE(lists_.CheckBlackWhitelist(record, "a friend", false));
  EXPECT_EQ(record.verdict, kWhitelisted);
  EXPECT_EQ(boxes_.size(), 2u);
}

TEST_F(BlackWhitelistTest, AnExpressionTooComplexToSearchIsNoMatch) {
  ASSERT_TRUE(lists_.Add("(a*)*(b*)*(c*)*(d*)*(e*)*$x", kBlackRegExp, 0));
  ASSERT_TRUE(lists_.Add("((a|aa)+)+y", kBlackRegExp, 1));
  const ListMatch match = Check(std::string(20000, 'a'));
  EXPECT_EQ(match.verdict, kNoDecision);
  EXPECT_TRUE(boxes_.empty());
}

// --- adding and removing ---

TEST_F(BlackWhitelistTest, AddRefusesEmptyTextsAndTextsListedAlready) {
  EXPECT_FALSE(lists_.Add("", kBlackText, 0));
  EXPECT_FALSE(lists_.listsModified());
  EXPECT_TRUE(lists_.Add("a@b.c", kBlackText, 0));
  EXPECT_FALSE(lists_.Add("a@b.c", kWhiteText, 0));
  EXPECT_FALSE(lists_.Add("a@b.c", kBlackRegExp, 0));
  EXPECT_TRUE(lists_.Add("A@b.c", kWhiteText, 0));
  EXPECT_EQ(lists_.blackCount(), 1u);
  EXPECT_EQ(lists_.whiteCount(), 1u);
  EXPECT_TRUE(lists_.listsModified());
}

TEST_F(BlackWhitelistTest, RemoveNeedsTheSameKind) {
  ASSERT_TRUE(lists_.Add("a@b.c", kBlackText, 0));
  ASSERT_TRUE(lists_.Save(kBothLists));
  EXPECT_FALSE(lists_.Remove("a@b.c", kWhiteText));
  EXPECT_FALSE(lists_.Remove("a@b.c", kBlackRegExp));
  EXPECT_FALSE(lists_.Remove("", kBlackText));
  EXPECT_FALSE(lists_.Remove("other", kBlackText));
  EXPECT_FALSE(lists_.listsModified());
  EXPECT_EQ(lists_.blackCount(), 1u);
  EXPECT_TRUE(lists_.Remove("a@b.c", kBlackText));
  EXPECT_EQ(lists_.blackCount(), 0u);
  EXPECT_TRUE(lists_.listsModified());
  EXPECT_EQ(Check("a@b.c").verdict, kNoDecision);
}

TEST_F(BlackWhitelistTest, RemovingOneListKeepsTheOther) {
  lists_.Add("b1", kBlackText, 0);
  lists_.Add("b2", kBlackRegExp, 1);
  lists_.Add("w1", kWhiteText, 0);
  lists_.RemoveBlacklist();
  EXPECT_EQ(Entries(), (std::vector<Entry>{{"w1", kWhiteText, 0}}));
  EXPECT_EQ(lists_.blackCount(), 0u);
  lists_.RemoveWhitelist();
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(lists_.whiteCount(), 0u);
}

TEST_F(BlackWhitelistTest, GetByIndexLeavesTheOutputsOfAnEmptySlot) {
  std::string text = "keep";
  ListEntryKind kind = kWhiteRegExp;
  uint32_t sequence = 7;
  EXPECT_FALSE(lists_.GetByIndex(0, text, kind, sequence));
  EXPECT_FALSE(lists_.GetByIndex(lists_.SlotCount() + 5, text, kind, sequence));
  EXPECT_EQ(text, "keep");
  EXPECT_EQ(lists_.SlotCount(), 1009u);
}

// --- loading ---

TEST_F(BlackWhitelistTest, LoadReadsPrefixesAndNumbersTheEntriesInFileOrder) {
  WriteBlack("TEXT: first\r\n\r\n  regexp:   ^x.*y  \r\nthird\nfirst\nTEXT:\n");
  lists_.Load(kBlacklist);
  std::vector<Entry> entries = Entries();
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.sequence < b.sequence; });
  EXPECT_EQ(entries, (std::vector<Entry>{{"first", kBlackText, 0}, {"^x.*y", kBlackRegExp, 1}, {"third", kBlackText, 2}}));
  EXPECT_EQ(lists_.blackCount(), 3u);
  EXPECT_TRUE(lists_.listsModified());
}

TEST_F(BlackWhitelistTest, TheSameTextInBothFilesBelongsToTheBlackListOnly) {
  WriteBlack("TEXT: both@x.org\n");
  WriteWhite("TEXT: both@x.org\nTEXT: friend@x.org\n");
  lists_.Load(kBothLists);
  EXPECT_EQ(lists_.blackCount(), 1u);
  EXPECT_EQ(lists_.whiteCount(), 1u);
  EXPECT_EQ(Check("both@x.org").verdict, kBlacklisted);
  std::vector<Entry> entries = Entries();
  EXPECT_NE(std::find(entries.begin(), entries.end(), Entry{"friend@x.org", kWhiteText, 0}), entries.end());
}

TEST_F(BlackWhitelistTest, ALineLongerThanTheReadBufferGivesSeveralEntries) {
  const std::string longLine = std::string(4095, 'a') + std::string(10, 'b');
  WriteBlack(longLine + "\n");
  lists_.Load(kBlacklist);
  std::vector<Entry> entries = Entries();
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.sequence < b.sequence; });
  EXPECT_EQ(entries, (std::vector<Entry>{{std::string(4095, 'a'), kBlackText, 0}, {std::string(10, 'b'), kBlackText, 1}}));
}

TEST_F(BlackWhitelistTest, LoadReplacesTheChosenListOnly) {
  lists_.Add("old black", kBlackText, 0);
  lists_.Add("old white", kWhiteText, 0);
  WriteBlack("new black\n");
  lists_.Load(kBlacklist);
  EXPECT_EQ(Check("old black").verdict, kNoDecision);
  EXPECT_EQ(Check("new black").verdict, kBlacklisted);
  EXPECT_EQ(Check("old white").verdict, kWhitelisted);
}

TEST_F(BlackWhitelistTest, AListWrittenBackAsItsFileHoldsItRewritesNothing) {
  const std::string canonical = WithTextLineEnds("TEXT: a@example.com\nREGEXP: ^b\n");
  WriteBlack(canonical);
  lists_.Load(kBlacklist);
  std::filesystem::last_write_time(settings_.BlacklistPath, std::filesystem::file_time_type{});
  EXPECT_TRUE(lists_.Save(kBlacklist));
  EXPECT_EQ(std::filesystem::last_write_time(settings_.BlacklistPath), std::filesystem::file_time_type{});
  EXPECT_FALSE(lists_.listsModified());

  WriteBlack("a@example.com\n");
  lists_.Load(kBlacklist);
  EXPECT_TRUE(lists_.Save(kBlacklist));
  EXPECT_EQ(Black(), WithTextLineEnds("TEXT: a@example.com\n")) << "a file in another form is written anew";
}

TEST_F(BlackWhitelistTest, LoadFallsBackToTheBackupFile) {
  WriteFileBytes(dir_.File("blacklist.tmp"), "TEXT: from backup\n");
  lists_.Load(kBlacklist);
  EXPECT_EQ(Check("from backup").verdict, kBlacklisted);
}

TEST_F(BlackWhitelistTest, MissingFilesGiveEmptyListsWithoutAMessage) {
  lists_.Load(kBothLists);
  EXPECT_EQ(lists_.blackCount() + lists_.whiteCount(), 0u);
  EXPECT_EQ(LogText(), "");
}

TEST_F(BlackWhitelistTest, VerboseLogNamesLoadedAndEmptyLists) {
  WriteBlack(" \r\n\n");
  WriteWhite("friend\n");
  lists_.Load(kBothLists);
  EXPECT_EQ(LogText(), "Blacklist loaded...\nThe Blacklist is empty.\nWhitelist loaded...\n");
}

TEST_F(BlackWhitelistTest, QuietLogWithoutVerbose) {
  settings_.VerboseLogfile = 0;
  ApplySettings();
  WriteBlack("x\n");
  lists_.Load(kBothLists);
  lists_.Save(kBothLists);
  EXPECT_EQ(LogText(), "");
}

// --- saving ---

TEST_F(BlackWhitelistTest, SaveWritesEachListInSequenceOrderWithPrefixes) {
  lists_.Add("third", kBlackText, 2);
  lists_.Add("^first", kBlackRegExp, 0);
  lists_.Add("second", kBlackText, 1);
  lists_.Add("friend", kWhiteText, 0);
  lists_.Add("text:odd", kWhiteText, 1);
  ASSERT_TRUE(lists_.Save(kBothLists));
  EXPECT_EQ(Black(), "REGEXP: ^first\nTEXT: second\nTEXT: third\n");
  EXPECT_EQ(White(), "TEXT: friend\nTEXT: text:odd\n");
  EXPECT_FALSE(lists_.listsModified());
  EXPECT_EQ(LogText(), "Blacklist saved...\nWhitelist saved...\n");
}

TEST_F(BlackWhitelistTest, SavedListsLoadBackUnchanged) {
  lists_.Add("a@b.c", kBlackText, 0);
  lists_.Add("REGEXP:x", kBlackText, 1);
  lists_.Add("^From:.*y", kBlackRegExp, 2);
  lists_.Add("friend", kWhiteText, 0);
  ASSERT_TRUE(lists_.Save(kBothLists));
  CBlackWhitelist reloaded(ListOptionsOf(settings_), log_, platform::DefaultFileSystem(), textSource_, messageBoxes_);
  reloaded.Load(kBothLists);
  std::vector<Entry> before = Entries();
  std::vector<Entry> after = EntriesOf(reloaded);
  EXPECT_EQ(after, before);
}

TEST_F(BlackWhitelistTest, SaveDoesNothingWithoutChanges) {
  WriteBlack("TEXT: a\n");
  lists_.Load(kBlacklist);
  ASSERT_TRUE(lists_.Save(kBlacklist));
  WriteBlack("changed by the user\n");
  EXPECT_TRUE(lists_.Save(kBothLists));
  EXPECT_EQ(Black(), "changed by the user\n");
}

TEST_F(BlackWhitelistTest, SavingOneListKeepsTheOthersChanges) {
  lists_.Add("black", kBlackText, 0);
  lists_.Add("white", kWhiteText, 0);
  ASSERT_TRUE(lists_.Save(kBlacklist));
  EXPECT_TRUE(lists_.listsModified());
  EXPECT_FALSE(testing::FileExists(settings_.WhitelistPath));
  WriteBlack("TEXT: reloaded\n");
  lists_.Load(kBlacklist);
  ASSERT_TRUE(lists_.Close());
  EXPECT_EQ(White(), "TEXT: white\n");
}

TEST_F(BlackWhitelistTest, SaveAfterRemoveWritesTheOtherEntries) {
  WriteBlack("TEXT: a\nTEXT: b\nTEXT: c\n");
  lists_.Load(kBlacklist);
  ASSERT_TRUE(lists_.Remove("b", kBlackText));
  ASSERT_TRUE(lists_.Save(kBlacklist));
  EXPECT_EQ(Black(), "TEXT: a\nTEXT: c\n");
}

struct LimitCase {
  const char* name;
  uint32_t limit;
  std::string file;
};

class BlackWhitelistLimitTest : public BlackWhitelistTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(BlackWhitelistLimitTest, CutsTheOldestLines) {
  settings_.MaxSizeOfLists = GetParam().limit;
  ApplySettings();
  lists_.Add("old", kBlackText, 0);
  lists_.Add("newer", kBlackText, 1);
  lists_.Add("newest", kBlackText, 2);
  ASSERT_TRUE(lists_.Save(kBlacklist));
  EXPECT_EQ(Black(), GetParam().file);
  EXPECT_EQ(lists_.blackCount(), 3u);
}

// The lines are "TEXT: old\n" (10 bytes), "TEXT: newer\n" (12), "TEXT: newest\n" (13).
INSTANTIATE_TEST_SUITE_P(Limits, BlackWhitelistLimitTest,
                         ::testing::Values(LimitCase{"NoLimit", 0, "TEXT: old\nTEXT: newer\nTEXT: newest\n"},
                                           LimitCase{"SmallerThanNewestLine", 5, ""},
                                           LimitCase{"EqualToNewestLine", 13, ""},
                                           LimitCase{"OneMoreThanNewestLine", 14, "TEXT: newest\n"},
                                           LimitCase{"CutAtALineStart", 25, "TEXT: newest\n"},
                                           LimitCase{"WholeText", 35, "TEXT: old\nTEXT: newer\nTEXT: newest\n"}),
                         [](const auto& info) { return info.param.name; });

TEST_F(BlackWhitelistTest, AnEmptyPathIsSkipped) {
  settings_.WhitelistPath.clear();
  ApplySettings();
  lists_.Add("w", kWhiteText, 0);
  EXPECT_TRUE(lists_.Save(kBothLists));
  EXPECT_FALSE(lists_.listsModified());
  lists_.Load(kWhitelist);
  EXPECT_EQ(lists_.whiteCount(), 0u);
}

TEST_F(BlackWhitelistTest, CloseSavesAndEmptiesTheLists) {
  lists_.Add("b", kBlackText, 0);
  lists_.Add("w", kWhiteText, 0);
  ASSERT_TRUE(lists_.Close());
  EXPECT_EQ(Black(), "TEXT: b\n");
  EXPECT_EQ(White(), "TEXT: w\n");
  EXPECT_EQ(lists_.blackCount() + lists_.whiteCount(), 0u);
  EXPECT_TRUE(Entries().empty());
  EXPECT_FALSE(lists_.listsModified());
  EXPECT_EQ(Check("b w").verdict, kNoDecision);
}

// --- failures ---

class BlackWhitelistFaultTest : public BlackWhitelistTest {
 protected:
  testing::FaultInjectionFileSystem files_{platform::DefaultFileSystem()};
  CBlackWhitelist faulty_{ListOptionsOf(settings_), log_, files_, textSource_, messageBoxes_};
};

TEST_F(BlackWhitelistFaultTest, AFailedWriteKeepsTheOldFileAndTheChanges) {
  WriteBlack("TEXT: old\n");
  faulty_.Load(kBlacklist);
  faulty_.Add("new", kBlackText, 1);
  for (int failing = 1; failing <= 4; ++failing) {  // Append, Sync, Close, Replace
    files_.FailWriteOperation(failing);
    EXPECT_FALSE(faulty_.Save(kBlacklist)) << failing;
    EXPECT_TRUE(faulty_.listsModified());
    EXPECT_EQ(Black(), "TEXT: old\n");
    EXPECT_FALSE(testing::FileExists(dir_.File("blacklist.tmp")));
  }
  files_.FailWriteOperation(0);
  EXPECT_TRUE(faulty_.Save(kBlacklist));
  EXPECT_EQ(Black(), "TEXT: old\nTEXT: new\n");
  EXPECT_NE(LogText().find("Storing of the blacklist failed!\n"), std::string::npos);
}

TEST_F(BlackWhitelistFaultTest, AFileThatCannotBeReadIsNeverReplaced) {
  WriteBlack("TEXT: precious\n");
  files_.SetFailOpenForReading(true);
  faulty_.Load(kBlacklist);
  files_.SetFailOpenForReading(false);
  EXPECT_EQ(faulty_.blackCount(), 0u);
  faulty_.Add("auto", kBlackText, 0);
  EXPECT_FALSE(faulty_.Close());
  EXPECT_EQ(Black(), "TEXT: precious\n");
  EXPECT_NE(LogText().find("Loading of the blacklist failed!\n"), std::string::npos);
}

TEST_F(BlackWhitelistFaultTest, TheUserMayReplaceAListWhoseFileCouldNotBeRead) {
  WriteBlack("TEXT: precious\n");
  files_.SetFailOpenForReading(true);
  faulty_.Load(kBlacklist);
  files_.SetFailOpenForReading(false);
  faulty_.RemoveBlacklist();
  faulty_.Add("typed", kBlackText, 0);
  EXPECT_TRUE(faulty_.Save(kBlacklist));
  EXPECT_EQ(Black(), "TEXT: typed\n");
}

// A user's expression that backtracks for seconds on a long run of one
// letter gives up within its budget and is logged once per load.
TEST_F(BlackWhitelistTest, AnExpressionOutOfBudgetCountsAsNoMatchAndIsLoggedOnce) {
  const std::string costly = "ll*" + std::string(80, 'l') + "spam";
  WriteBlack("REGEXP: " + costly + "\n");
  lists_.Load(kBothLists);
  const std::string text = "From: offers@spam.example\n" + std::string(3000, 'l');
  EXPECT_EQ(Check(text).verdict, kNoDecision);
  EXPECT_EQ(Check(text).verdict, kNoDecision);
  const std::string log = LogText();
  const std::string line = "The list expression {" + costly + "} needed more work than one check allows";
  const size_t first = log.find(line);
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_EQ(log.find(line, first + 1), std::string::npos) << "once per load";
}

TEST_F(BlackWhitelistTest, ExceptionsAreReportedAndTurnIntoFailures) {
  testing::ThrowingFileSystem throwing;
  CBlackWhitelist lists(ListOptionsOf(settings_), log_, throwing, textSource_, messageBoxes_);
  lists.Load(kBothLists);
  lists.Add("x", kBlackText, 0);
  EXPECT_FALSE(lists.Save(kBlacklist));
  EXPECT_TRUE(lists.listsModified());
  const std::string log = LogText();
  EXPECT_NE(log.find(" CBlackWhitelist::Load\n"), std::string::npos);
  EXPECT_NE(log.find("Storing of the blacklist failed!\n"), std::string::npos);
}

}  // namespace
}  // namespace trellisk
