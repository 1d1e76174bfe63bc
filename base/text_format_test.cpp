#include "base/text_format.h"

#include <gtest/gtest.h>

namespace trellisk {
namespace {

TEST(FormatText, PlaceholdersTakeTheArgumentsInOrder) {
  const struct {
    const char* pattern;
    const char* expected;
  } cases[] = {
      {"%1 at line %2", "words.dat at line 7"},
      {"%2 before %1", "7 before words.dat"},
      {"%1 and %1", "words.dat and words.dat"},
      {"%3 has no argument, 100% stays", "%3 has no argument, 100% stays"},
      {"ends with %", "ends with %"},
      {"%0 is no placeholder", "%0 is no placeholder"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatText(c.pattern, {"words.dat", "7"}), c.expected) << c.pattern;
}

}  // namespace
}  // namespace trellisk
