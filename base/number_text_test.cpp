#include "base/number_text.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace trellisk {
namespace {

TEST(ParseUnsignedDecimal, ReadsLikeStrtoulModuloTwoToThe32) {
  struct Case {
    const char* text;
    uint32_t expected;
  } cases[] = {
      {"42", 42},           {"  \t42\r\n", 42},      {"+7", 7},
      {"-1", 4294967295u},  {"12abc", 12},           {"abc", 0},
      {"", 0},              {"4294967295", 4294967295u},
      {"4294967296", 0},    {"4294967297", 1},       {"- 5", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseUnsignedDecimal(c.text), c.expected) << c.text;
}

TEST(FormatTwoDecimals, FixedPointWithTwoDigits) {
  EXPECT_EQ(FormatTwoDecimals(2.5), "2.50");
  EXPECT_EQ(FormatTwoDecimals(0.05), "0.05");
  EXPECT_EQ(FormatTwoDecimals(-10), "-10.00");
  EXPECT_EQ(FormatTwoDecimals(75), "75.00");
  EXPECT_EQ(FormatTwoDecimals(0.004), "0.00");
  EXPECT_EQ(FormatTwoDecimals(1234567.891), "1234567.89");
}

TEST(FormatTwoDecimals, RoundsExactlyAsPrintfDoes) {
  for (double value : {0.125, 0.375, 2.675, 1.005, -0.005, 1e300, -1e300, 123456789.125, 0.0, -0.0}) {
    char expected[400];
    std::snprintf(expected, sizeof expected, "%.2f", value);
    EXPECT_EQ(FormatTwoDecimals(value), expected) << value;
  }
}

}  // namespace
}  // namespace trellisk
