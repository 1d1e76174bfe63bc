#include "plugin/message_text.h"

#include <gtest/gtest.h>

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
  const std::optional<std::string> text = ReadMessageText(1, HonestReader);
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, g_message);
  EXPECT_EQ(text->c_str()[text->size()], '\0');
}

TEST(ReadMessageText, NoTextFromFailingReaders) {
  EXPECT_FALSE(ReadMessageText(1, EmptyReader));
  EXPECT_FALSE(ReadMessageText(1, ThrowingReader));
  EXPECT_FALSE(ReadMessageText(1, BoastingReader)) << "more bytes than the buffer holds is not believed";
  EXPECT_FALSE(ReadMessageText(1, nullptr));
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
