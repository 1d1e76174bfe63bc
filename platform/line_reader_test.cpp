#include "platform/line_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace trellisk::platform {
namespace {

// Hands out the content in reads of at most `step` bytes, to cross every
// chunk boundary the reader may meet.
class StringFile final : public ReadableFile {
 public:
  StringFile(std::string content, size_t step) : content_(std::move(content)), step_(step) {}
  size_t Read(char* buffer, size_t capacity) override {
    const size_t n = std::min({capacity, step_, content_.size() - pos_});
    std::memcpy(buffer, content_.data() + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  std::string content_;
  size_t step_;
  size_t pos_ = 0;
};

struct ReadResult {
  std::vector<std::string> lines;
  std::vector<bool> endAfter;  // AtEnd() after each successful read
};

ReadResult ReadAll(const std::string& content, size_t bufferSize, size_t step) {
  StringFile file(content, step);
  LineReader reader(file);
  ReadResult result;
  std::string_view line;
  while (reader.ReadLine(bufferSize, line)) {
    result.lines.emplace_back(line);
    result.endAfter.push_back(reader.AtEnd());
  }
  EXPECT_TRUE(reader.AtEnd());
  return result;
}

TEST(LineReader, KeepsLineFeedsAndReportsEndOnlyAfterRunningIntoIt) {
  for (size_t step : {1, 2, 3, 7, 100000}) {
    const ReadResult r = ReadAll("ab\ncd\n", 2048, step);
    ASSERT_EQ(r.lines, (std::vector<std::string>{"ab\n", "cd\n"})) << step;
    EXPECT_EQ(r.endAfter, (std::vector<bool>{false, false})) << step;
  }
}

TEST(LineReader, LastLineWithoutLineFeedRaisesEndWithTheLine) {
  for (size_t step : {1, 4, 100000}) {
    const ReadResult r = ReadAll("ab\ncd", 2048, step);
    ASSERT_EQ(r.lines, (std::vector<std::string>{"ab\n", "cd"}));
    EXPECT_EQ(r.endAfter, (std::vector<bool>{false, true}));
  }
}

TEST(LineReader, LongLinesArriveInPiecesOfBufferSizeLessOne) {
  for (size_t step : {1, 3, 100000}) {
    const ReadResult r = ReadAll("abcdefg\nxy\n", 4, step);
    EXPECT_EQ(r.lines, (std::vector<std::string>{"abc", "def", "g\n", "xy\n"}));
  }
  // A line of exactly size - 1 bytes leaves its line feed for the next read.
  EXPECT_EQ(ReadAll("abc\n", 4, 1).lines, (std::vector<std::string>{"abc", "\n"}));
}

TEST(LineReader, EmptyFileReadsNothing) {
  EXPECT_TRUE(ReadAll("", 2048, 1).lines.empty());
}

TEST(LineReader, LinesLongerThanOneChunkAreAssembled) {
  const std::string longLine(200000, 'x');
  const ReadResult r = ReadAll(longLine + "\nend\n", 300000, 100000);
  ASSERT_EQ(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[0], longLine + "\n");
  EXPECT_EQ(r.lines[1], "end\n");
}

}  // namespace
}  // namespace trellisk::platform
