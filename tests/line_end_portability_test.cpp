// Store files move between machines: a word database, undo, list or DNS
// cache file written on Windows (CR LF line ends) loads on Linux, and one written
// on Linux (LF) loads on Windows. Each case saves a store, rewrites the file with the
// other platform's line ends, loads it into a new store, and checks that the
// content is the same and that the next save writes this platform's file
// again, byte for byte.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "base/log.h"
#include "base/text_source.h"
#include "dnsbl/dns_cache.h"
#include "lists/black_whitelist.h"
#include "platform/file_system.h"
#include "plugin/component_options.h"
#include "plugin/settings.h"
#include "store/bayes_database.h"
#include "store/undo_database.h"
#include "tests/support/temp_directory.h"
#include "tests/support/test_message_boxes.h"

namespace trellisk {
namespace {

using testing::ReadFileBytes;
using testing::WriteFileBytes;

enum class LineEnd { kLf, kCrLf };

// The text with every line end, LF or CR LF, written as `lineEnd`.
std::string WithLineEnds(const std::string& text, LineEnd lineEnd) {
  std::string converted;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n') converted += lineEnd == LineEnd::kCrLf ? "\r\n" : "\n";
    else converted += text[i];
  }
  return converted;
}

class LineEndPortability : public ::testing::TestWithParam<LineEnd> {
 protected:
  LineEndPortability() {
    settings_.DatabasePath = dir_.File("database.dat");
    settings_.UndodataPath = dir_.File("undo.dat");
    settings_.BlacklistPath = dir_.File("blacklist.txt");
    settings_.WhitelistPath = dir_.File("whitelist.txt");
    settings_.VerboseLogfile = 0;
  }

  // Rewrites `path` as the other platform writes it; returns the original.
  std::string MoveToTheOtherPlatform(const std::string& path) {
    const std::string written = ReadFileBytes(path);
    EXPECT_FALSE(written.empty());
    WriteFileBytes(path, WithLineEnds(written, GetParam()));
    return written;
  }

  testing::TempDirectory dir_;
  Settings settings_;
  BuiltinTexts texts_;
  Log log_{&texts_};
  platform::FileSystem& files_ = platform::DefaultFileSystem();
  testing::TestMessageBoxes messageBoxes_;
};

TEST_P(LineEndPortability, WordDatabase) {
  CBayesDatabase written(WordDatabaseOptionsOf(settings_), log_, files_);
  ASSERT_TRUE(written.AddSpam("free", 3));
  ASSERT_TRUE(written.AddHam("meeting", 2));
  ASSERT_TRUE(written.AddSpam("S*offer", 1));
  ASSERT_TRUE(written.AddSpam(std::string(40, 'x'), 1));  // stored by its hash
  written.spamMessages = 4;
  written.hamMessages = 2;
  ASSERT_TRUE(written.Save());
  const std::string original = MoveToTheOtherPlatform(settings_.DatabasePath);

  CBayesDatabase loaded(WordDatabaseOptionsOf(settings_), log_, files_);
  ASSERT_TRUE(loaded.Load());
  EXPECT_EQ(loaded.spamMessages, 4u);
  EXPECT_EQ(loaded.hamMessages, 2u);
  EXPECT_EQ(loaded.EntryCount(), 4u);
  uint32_t spam = 0;
  uint32_t ham = 0;
  ASSERT_TRUE(loaded.Find("meeting", spam, ham));
  EXPECT_EQ(spam, 0u);
  EXPECT_EQ(ham, 2u);
  ASSERT_TRUE(loaded.Find(std::string(40, 'x'), spam, ham));
  EXPECT_EQ(spam, 1u);
  // A change taken back makes the next save write the file anew.
  ASSERT_TRUE(loaded.AddHam("temporary", 1));
  ASSERT_TRUE(loaded.RemoveWord("temporary"));
  ASSERT_TRUE(loaded.Save());
  EXPECT_EQ(ReadFileBytes(settings_.DatabasePath), original);
}

TEST_P(LineEndPortability, UndoDatabase) {
  CUndo written(UndoOptionsOf(settings_), log_, files_, [] { return 1700000000u; });
  ASSERT_TRUE(written.Add("<one@example.com>", 1, 1699990000));
  ASSERT_TRUE(written.Add("<two@example.com>", 4, 1699999999));
  ASSERT_TRUE(written.Save());
  const std::string original = MoveToTheOtherPlatform(settings_.UndodataPath);

  CUndo loaded(UndoOptionsOf(settings_), log_, files_, [] { return 1700000000u; });
  ASSERT_TRUE(loaded.Load());
  EXPECT_EQ(loaded.EntryCount(), 2u);
  uint32_t kind = 0;
  uint32_t time = 0;
  ASSERT_TRUE(loaded.Find("<two@example.com>", kind, time));
  EXPECT_EQ(kind, 4u);
  EXPECT_EQ(time, 1699999999u);
  ASSERT_TRUE(loaded.Add("<temporary@example.com>", 1, 1700000000));
  ASSERT_TRUE(loaded.Remove("<temporary@example.com>"));
  ASSERT_TRUE(loaded.Save());
  EXPECT_EQ(ReadFileBytes(settings_.UndodataPath), original);
}

TEST_P(LineEndPortability, DnsCache) {
  const auto now = [] { return 1700000000u; };
  DnsCache written(DnsCacheOptionsOf(settings_), log_, files_, dir_.path(), now);
  ASSERT_TRUE(written.Add("192.0.2.7", 1699990000, 3));
  ASSERT_TRUE(written.Add("198.51.100.1", 1699999999, 1));
  ASSERT_TRUE(written.Save());
  const std::string original = MoveToTheOtherPlatform(written.path());

  DnsCache loaded(DnsCacheOptionsOf(settings_), log_, files_, dir_.path(), now);
  ASSERT_TRUE(loaded.Load());
  EXPECT_EQ(loaded.EntryCount(), 2u);
  uint32_t listings = 0;
  uint32_t lastListed = 0;
  ASSERT_TRUE(loaded.Find("192.0.2.7", listings, lastListed));
  EXPECT_EQ(listings, 3u);
  EXPECT_EQ(lastListed, 1699990000u);
  ASSERT_TRUE(loaded.Add("203.0.113.9", 1700000000, 1));
  ASSERT_TRUE(loaded.Remove("203.0.113.9"));
  ASSERT_TRUE(loaded.Save());
  EXPECT_EQ(ReadFileBytes(loaded.path()), original);
}

TEST_P(LineEndPortability, BlackList) {
  std::atomic<const TextSource*> texts{&texts_};
  CBlackWhitelist written(ListOptionsOf(settings_), log_, files_, texts, messageBoxes_);
  ASSERT_TRUE(written.Add("spammer@bad.example", kBlackText, 0));
  ASSERT_TRUE(written.Add("cheap (pills|meds)", kBlackRegExp, 1));
  ASSERT_TRUE(written.Save(kBlacklist));
  const std::string original = MoveToTheOtherPlatform(settings_.BlacklistPath);

  CBlackWhitelist loaded(ListOptionsOf(settings_), log_, files_, texts, messageBoxes_);
  loaded.Load(kBlacklist);
  ASSERT_EQ(loaded.blackCount(), 2u);
  ListMatch match;
  loaded.CheckBlackWhitelist(match, "from spammer@bad.example", true);
  EXPECT_EQ(match.matchedEntry, "spammer@bad.example") << "no CR is left on the entry";
  loaded.CheckBlackWhitelist(match, "cheap meds", true);
  EXPECT_EQ(match.matchedEntry, "cheap (pills|meds)");
  ASSERT_TRUE(loaded.Save(kBlacklist));
  EXPECT_EQ(ReadFileBytes(settings_.BlacklistPath), original);
}

INSTANTIATE_TEST_SUITE_P(WrittenWith, LineEndPortability, ::testing::Values(LineEnd::kLf, LineEnd::kCrLf),
                         [](const ::testing::TestParamInfo<LineEnd>& info) {
                           return info.param == LineEnd::kLf ? std::string("LinuxLineEnds")
                                                             : std::string("WindowsLineEnds");
                         });

}  // namespace
}  // namespace trellisk
