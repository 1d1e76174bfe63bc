#include "host/verdict_headers.h"

#include <gtest/gtest.h>

#include "host/mbox_postmark.h"

namespace trellisk::host {
namespace {

// A literal's bytes, NUL bytes included.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

TEST(VerdictHeadersTest, AddedAtTheEndOfTheHeaderInItsLineEnds) {
  struct Case {
    const char* name;
    std::string message;
    std::string filtered;
  };
  const std::string body = "body\r\n\r\nFrom: not a header\r\n";
  const Case cases[] = {
      {"CR LF", "A: 1\r\nB: 2\r\n\r\n" + body,
       "A: 1\r\nB: 2\r\nX-Trellisk-Score: 97\r\nX-Trellisk-Status: Spam\r\n\r\n" + body},
      {"LF after a CR LF postmark line", "From a@b Thu Aug 22 13:17:22 2002\r\nA: 1\n\nx\n",
       "From a@b Thu Aug 22 13:17:22 2002\r\nA: 1\nX-Trellisk-Score: 97\nX-Trellisk-Status: Spam\n\nx\n"},
      {"an earlier pair replaced, folded lines too",
       "x-trellisk-status: Ham\r\n  folded\r\nA: 1\r\nX-Trellisk-Score: 3\r\nX-Trellisk-Scores: kept\r\n\r\n",
       "A: 1\r\nX-Trellisk-Scores: kept\r\nX-Trellisk-Score: 97\r\nX-Trellisk-Status: Spam\r\n\r\n"},
      {"no separator", "A: 1\r\nB: 2", "A: 1\r\nB: 2\r\nX-Trellisk-Score: 97\r\nX-Trellisk-Status: Spam\r\n"},
      {"empty", "", "X-Trellisk-Score: 97\nX-Trellisk-Status: Spam\n"},
      {"8-bit and NUL bytes", Bytes("S: \xE4\0\xFF\n\n\xFE\0"),
       Bytes("S: \xE4\0\xFF\nX-Trellisk-Score: 97\nX-Trellisk-Status: Spam\n\n\xFE\0")},
  };
  for (const Case& c : cases) EXPECT_EQ(WithVerdictHeaders(c.message, 97, true), c.filtered) << c.name;
  EXPECT_EQ(WithVerdictHeaders("A: 1\n\n", 4, false), "A: 1\nX-Trellisk-Score: 4\nX-Trellisk-Status: Ham\n\n");
}

TEST(VerdictHeadersTest, TheBodyBeyondTheScoredBytesPassesWhole) {
  const std::string body(200000, 'b');
  const std::string filtered = WithVerdictHeaders("A: 1\n\n" + body, 10, false);
  EXPECT_EQ(filtered, "A: 1\nX-Trellisk-Score: 10\nX-Trellisk-Status: Ham\n\n" + body);
}

TEST(VerdictHeadersTest, PostmarkLeftOutOfTheScoredPart) {
  EXPECT_EQ(WithoutPostmark("From a@b Thu Aug 22 13:17:22 2002\nA: 1\n"), "A: 1\n");
  EXPECT_EQ(WithoutPostmark("From: a@b\n"), "From: a@b\n");
}

}  // namespace
}  // namespace trellisk::host
