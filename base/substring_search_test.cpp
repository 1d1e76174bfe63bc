#include "base/substring_search.h"

#include <gtest/gtest.h>

#include <string>

namespace trellisk {
namespace {

// The plain definition the fast search must agree with.
size_t Reference(std::string_view text, std::string_view pattern, size_t start) {
  if (pattern.empty() || text.empty()) return kNotFound;
  for (size_t at = start; at + pattern.size() <= text.size(); ++at) {
    bool same = true;
    for (size_t i = 0; i < pattern.size() && same; ++i) {
      auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
      same = lower(text[at + i]) == lower(pattern[i]);
    }
    if (same) return at;
  }
  return kNotFound;
}

TEST(FindIgnoringCase, FoldsAsciiLettersOnly) {
  EXPECT_EQ(FindIgnoringCase("Buy CHEAP pills", "cheap"), 4u);
  EXPECT_EQ(FindIgnoringCase("Buy CHEAP pills", "cheap pills"), 4u);
  EXPECT_EQ(FindIgnoringCase("gr\xDC\xDF", "gr\xFC\xDF"), kNotFound) << "Latin-1 letters are compared exactly";
  EXPECT_EQ(FindIgnoringCase("a[b", "A{B"), kNotFound) << "[ and { differ by 32 but are not letters";
}

TEST(FindIgnoringCase, EmptyPatternOrTextIsNeverFound) {
  EXPECT_EQ(FindIgnoringCase("text", ""), kNotFound);
  EXPECT_EQ(FindIgnoringCase("", "x"), kNotFound);
  EXPECT_FALSE(ContainsIgnoringCase("", ""));
}

TEST(FindIgnoringCase, StartsAtTheGivenPosition) {
  EXPECT_EQ(FindIgnoringCase("abcabc", "ABC", 1), 3u);
  EXPECT_EQ(FindIgnoringCase("abcabc", "abc", 4), kNotFound);
  EXPECT_EQ(FindIgnoringCase("abc", "c", 99), kNotFound);
}

TEST(FindIgnoringCase, AgreesWithThePlainScanOnEveryLength) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += static_cast<char>("aAbB\x80\xFF.-"[(i * 7 + i / 13) % 8]);
  for (size_t length : {1u, 2u, 3u, 17u, 255u, 256u, 257u, 300u}) {
    for (size_t from : {0u, 5u, 1000u, 2700u}) {
      const std::string pattern = text.substr(from, std::min(length, text.size() - from));
      for (size_t start : {0u, 3u, 1500u}) {
        EXPECT_EQ(FindIgnoringCase(text, pattern, start), Reference(text, pattern, start))
            << length << " " << from << " " << start;
      }
    }
  }
}

}  // namespace
}  // namespace trellisk
