#include "plugin/message_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace trellisk {
namespace {

// Readers with different behaviours, chosen by the message handle.
std::string g_message;

int TBP_CALL HonestReader(MessageHandle, int property, char* buffer, int size) {
  if (property != TBP_PROPERTY_RAW_MESSAGE) return 0;
  if (!buffer) return static_cast<int>(g_message.size());
  const int n = std::min<int>(size, static_cast<int>(g_message.size()));
  std::memcpy(buffer, g_message.data(), static_cast<size_t>(n));
  return n;
}

int TBP_CALL BoastingReader(MessageHandle, int, char* buffer, int size) { return buffer ? size + 10 : 5; }

int TBP_CALL ThrowingReader(MessageHandle, int, char*, int) { throw std::runtime_error("host failed"); }

int TBP_CALL EmptyReader(MessageHandle, int, char*, int) { return 0; }

TEST(ReadMessageText, ReadsTheRawMessage) {
  g_message = std::string("Subject: x\r\n\r\nbody\0more", 23);
  const std::optional<MessageText> text = ReadMessageText(1, HonestReader);
  ASSERT_TRUE(text);
  EXPECT_EQ(text->bytes, g_message);
  EXPECT_EQ(text->bytes.c_str()[text->bytes.size()], '\0');
  EXPECT_EQ(text->deliveredLength, g_message.size());
}

// Announces 2 GB and records the largest copy it was asked for.
int g_largestRequest = 0;
int TBP_CALL HugeReader(MessageHandle, int, char* buffer, int size) {
  if (!buffer) return 0x7FFFFFFF;
  g_largestRequest = std::max(g_largestRequest, size);
  std::memset(buffer, 'x', static_cast<size_t>(size));
  return size;
}

TEST(ReadMessageText, ReadsOnlyTheHeadOfAHugeMessageButKeepsItsLength) {
  const std::optional<MessageText> text = ReadMessageText(1, HugeReader);
  ASSERT_TRUE(text);
  EXPECT_EQ(g_largestRequest, 65537) << "one byte beyond 64 KB decides the cut";
  EXPECT_EQ(text->bytes.size(), 65537u);
  EXPECT_EQ(text->deliveredLength, 0x7FFFFFFFu);
}

// Announces 1000 bytes and gives 10.
int TBP_CALL ShortReader(MessageHandle, int, char* buffer, int) {
  if (!buffer) return 1000;
  std::memcpy(buffer, "Subject: x", 10);
  return 10;
}

TEST(ReadMessageText, AShortCopyIsTheWholeDeliveredText) {
  const std::optional<MessageText> text = ReadMessageText(1, ShortReader);
  ASSERT_TRUE(text);
  EXPECT_EQ(text->bytes, "Subject: x");
  EXPECT_EQ(text->deliveredLength, 10u);
}

int TBP_CALL NegativeReader(MessageHandle, int, char* buffer, int) { return buffer ? -5 : -1; }
int TBP_CALL NegativeCopyReader(MessageHandle, int, char* buffer, int) { return buffer ? -5 : 100; }

TEST(ReadMessageText, NoTextFromFailingReaders) {
  EXPECT_FALSE(ReadMessageText(1, EmptyReader));
  EXPECT_FALSE(ReadMessageText(1, ThrowingReader));
  EXPECT_FALSE(ReadMessageText(1, BoastingReader)) << "more bytes than the buffer holds is not believed";
  EXPECT_FALSE(ReadMessageText(1, nullptr));
  EXPECT_FALSE(ReadMessageText(1, NegativeReader)) << "a negative size";
  EXPECT_FALSE(ReadMessageText(1, NegativeCopyReader)) << "a negative count copied";
}

TEST(CutLongMessage, CutsOnlyBeyondSixtyFourKilobytes) {
  std::string exact(65536, 'x');
  CutLongMessage(exact);
  EXPECT_EQ(exact.size(), 65536u);
  std::string longer(65537, 'x');
  CutLongMessage(longer);
  EXPECT_EQ(longer.size(), 65535u);
  EXPECT_EQ(longer.c_str()[65535], '\0');
}

}  // namespace
}  // namespace trellisk
