#include "plugin/learning.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace trellisk {
namespace {

int TBP_CALL ReadHello(MessageHandle, int, char* buffer, int size) {
  if (!buffer) return 5;
  std::memcpy(buffer, "hello", static_cast<size_t>(std::min(size, 5)));
  return std::min(size, 5);
}

TEST(LearnRequest, TheThreadTakesTheMessageWhileTheStarterWaits) {
  LearnRequest request(true, 7, &ReadHello);
  std::optional<MessageText> text;
  std::thread learner([&] { text = request.TakeMessage(); });
  EXPECT_TRUE(request.WaitTaken(kHandOverWaitMs));
  learner.join();
  ASSERT_TRUE(text);
  EXPECT_EQ(text->bytes.c_str(), std::string("hello"));
  EXPECT_FALSE(request.abandoned());
}

// A thread that begins after its starter gave up never calls the host.
TEST(LearnRequest, AStarterThatGaveUpIsNeverReadFor) {
  LearnRequest request(false, 7, &ReadHello);
  EXPECT_FALSE(request.WaitTaken(1));
  EXPECT_TRUE(request.abandoned());
  EXPECT_EQ(request.TakeMessage(), std::nullopt);
}

}  // namespace
}  // namespace trellisk
