#include "host/message_inputs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_directory.h"

namespace trellisk::host {
namespace {

using testing::TempDirectory;
using testing::WriteFileBytes;

const char* const kPostmarkA = "From alice@example.com Thu Aug 22 13:17:22 2002\n";
const char* const kPostmarkB = "From bob@example.com  Fri Aug 23 01:02:03 2002\n";

std::vector<std::string> Names(const MessageInputs& inputs) {
  std::vector<std::string> names;
  for (const MessageInput& input : inputs.messages()) names.push_back(input.name);
  return names;
}

// The input's messages as "name: bytes" lines.
std::string Load(const MessageInput& input) {
  std::string error;
  std::vector<LoadedMessage> messages;
  if (!LoadMessages(input, messages, error)) return "<" + error + ">";
  std::string text;
  for (const LoadedMessage& message : messages) text += message.name + ": " + message.bytes;
  return text;
}

TEST(SplitMbox, SplitsAtPostmarksAfterBlankLines) {
  const std::string text = std::string(kPostmarkA) + "Subject: a\n\nFrom here on\n\n" + kPostmarkB + "Subject: b\n\nbody\n";
  const auto messages = SplitMbox(text);
  ASSERT_TRUE(messages);
  ASSERT_EQ(messages->size(), 2u);
  EXPECT_EQ(text.substr((*messages)[0].first, (*messages)[0].second), "Subject: a\n\nFrom here on\n\n");
  EXPECT_EQ(text.substr((*messages)[1].first, (*messages)[1].second), "Subject: b\n\nbody\n");
}

TEST(SplitMbox, OnlyRealPostmarksSeparate) {
  const std::string text = std::string(kPostmarkA) + "a\n\nFrom me to you: hello\n\nFrom x Thu Foo 1\n\n" + kPostmarkB +
                           "b\n";
  const auto messages = SplitMbox(text);
  ASSERT_TRUE(messages);
  EXPECT_EQ(messages->size(), 2u);
}

TEST(SplitMbox, AFileWithOnePostmarkIsAMessage) {
  EXPECT_FALSE(SplitMbox(std::string(kPostmarkA) + "Subject: a\n\nbody\n"));
  EXPECT_FALSE(SplitMbox("Subject: a\n\n" + std::string(kPostmarkA) + "x\n\n" + kPostmarkB));
  EXPECT_FALSE(SplitMbox(""));
}

TEST(MessageInputs, FilesDirectoriesMboxAndMaildir) {
  TempDirectory dir;
  std::filesystem::create_directories(dir.File("mail/sub"));
  std::filesystem::create_directories(dir.File("maildir/cur"));
  std::filesystem::create_directories(dir.File("maildir/new"));
  std::filesystem::create_directories(dir.File("maildir/tmp"));
  WriteFileBytes(dir.File("mail/b.eml"), "Subject: b\n\nb\n");
  WriteFileBytes(dir.File("mail/a.eml"), "Subject: a\n\na\n");
  WriteFileBytes(dir.File("mail/sub/c.eml"), "Subject: c\n\nc\n");
  WriteFileBytes(dir.File("box.mbox"), std::string(kPostmarkA) + "Subject: 1\n\n1\n\n" + kPostmarkB + "Subject: 2\n\n2\n");
  WriteFileBytes(dir.File("maildir/new/2"), "Subject: new\n\nn\n");
  WriteFileBytes(dir.File("maildir/cur/1"), "Subject: cur\n\nc\n");
  WriteFileBytes(dir.File("maildir/tmp/0"), "Subject: partial\n");

  MessageInputs inputs;
  inputs.Add(dir.File("mail"), "mail");
  inputs.Add(dir.File("box.mbox"), "box.mbox");
  inputs.Add(dir.File("maildir"), "maildir");
  inputs.Add(dir.File("missing"), "missing");
  EXPECT_EQ(Names(inputs), (std::vector<std::string>{"mail/a.eml", "mail/b.eml", "mail/sub/c.eml", "box.mbox",
                                                      "maildir/cur/1", "maildir/new/2"}));
  ASSERT_EQ(inputs.problems().size(), 1u);
  EXPECT_EQ(inputs.problems()[0].path, "missing");
  EXPECT_EQ(Load(inputs.messages()[0]), "mail/a.eml: Subject: a\n\na\n");
  EXPECT_EQ(Load(inputs.messages()[3]), "box.mbox#1: Subject: 1\n\n1\n\nbox.mbox#2: Subject: 2\n\n2\n");

  inputs.ExpandMboxFiles();
  EXPECT_EQ(Names(inputs), (std::vector<std::string>{"mail/a.eml", "mail/b.eml", "mail/sub/c.eml", "box.mbox#1",
                                                      "box.mbox#2", "maildir/cur/1", "maildir/new/2"}));
  EXPECT_EQ(Load(inputs.messages()[4]), "box.mbox#2: Subject: 2\n\n2\n");
}

TEST(MessageInputs, AMessageFileWithItsPostmarkStaysWhole) {
  TempDirectory dir;
  const std::string text = std::string(kPostmarkA) + "Subject: a\n\nbody\n";
  WriteFileBytes(dir.File("one.txt"), text);
  MessageInputs inputs;
  inputs.Add(dir.File("one.txt"), "one.txt");
  inputs.ExpandMboxFiles();
  ASSERT_EQ(inputs.messages().size(), 1u);
  EXPECT_EQ(Load(inputs.messages()[0]), "one.txt: " + text);
}

TEST(MessageInputs, AFileThatVanishedAfterListingIsReportedWhenLoaded) {
  TempDirectory dir;
  WriteFileBytes(dir.File("gone.eml"), "x");
  MessageInputs inputs;
  inputs.Add(dir.File("gone.eml"), "gone.eml");
  std::filesystem::remove(dir.File("gone.eml"));
  EXPECT_EQ(Load(inputs.messages()[0]), "<cannot be read>");
}

}  // namespace
}  // namespace trellisk::host
