#include "rules/header_fields.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace trellisk {
namespace {

// "name=value|altValue" per field, joined by "; ", CR LF shown as "/".
std::string Describe(const HeaderFields& fields) {
  std::string text;
  for (const HeaderField& field : fields) {
    if (!text.empty()) text += "; ";
    text += field.name + "=" + field.value + "|" + field.altValue;
  }
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.replace(at, 2, "/");
  return text;
}

std::string Parse(const std::optional<std::string>& header, const std::optional<std::string>& collected) {
  HeaderFields fields;
  ParseHeader(header ? &*header : nullptr, collected ? &*collected : nullptr, fields);
  return Describe(fields);
}

TEST(ParseHeader, BuildsFieldsFromBothTexts) {
  struct Case {
    const char* name;
    const char* header;
    const char* collected;
    const char* expected;
  } cases[] = {
      {"plain fields", "From: a\r\nTo: b\r\n", "From: A\nTo: B", "From=a|A; To=b|B"},
      {"names and values are trimmed", "Subject \t:  hi there \r\n", "Subject \t: x", "Subject=hi there|"},
      {"value after the first colon", "X-Time: 12:30\r\n", "X-Time: 12:30", "X-Time=12:30|12:30"},
      {"continuation lines join with CR LF", "Subject: one\r\n\ttwo\r\n  three\r\n", "Subject: ONE\n two",
       "Subject=one/two/three|ONE/two"},
      {"a line without colon continues", "Subject: one\r\nplain words\r\n", "Subject: x",
       "Subject=one/plain words|x"},
      {"a blank first byte continues even with a colon", "A: 1\r\n B: 2\r\n", "", "A=1/B: 2|"},
      {"continuation before the first field is dropped", " lost\r\nA: 1\r\n", " lost\nA: x", "A=1|x"},
      {"bytes above 127 do not start a field", "A: 1\r\n\xE4: 2\r\n", "\xE4: 3", "A=1/\xE4: 2|"},
      {"DEL starts a field", "\x7F: 1\r\n", "\x7F: 2", "\x7F=1|2"},
      {"empty lines vanish", "A: 1\r\n\r\n\r\n more\r\n", "A: 2\n\n\n more", "A=1/more|2/more"},
      {"collected names compare byte for byte", "Subject: a\r\n", "subject: b\nSubject : c", "Subject=a|"},
      {"a collected line of no field stops continuations", "A: 1\r\n", "A: 2\nB: 3\n more", "A=1|2"},
      {"same name: every field gets the last line", "R: 1\r\nR: 2\r\nS: 3\r\n", "R: x\nR: y\nS: z",
       "R=1|y; R=2|y; S=3|z"},
      {"same name: continuations go to the last field", "R: 1\r\nR: 2\r\n", "R: x\n more", "R=1|x; R=2|x/more"},
      {"empty texts", "", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Parse(c.header, c.collected), c.expected) << c.name;
}

TEST(ParseHeader, NothingWithoutEitherText) {
  EXPECT_EQ(Parse(std::nullopt, "A: 1"), "");
  EXPECT_EQ(Parse("A: 1", std::nullopt), "");
  EXPECT_EQ(Parse(std::nullopt, std::nullopt), "");
}

TEST(ParseHeader, ManyFieldsOfOneName) {
  std::string header;
  std::string collected;
  for (int i = 0; i < 3000; ++i) {
    header += "Received: from " + std::to_string(i) + "\r\n";
    collected += "Received: by " + std::to_string(i) + "\n";
  }
  HeaderFields fields;
  ParseHeader(&header, &collected, fields);
  ASSERT_EQ(fields.size(), 3000u);
  EXPECT_EQ(fields.front().value, "from 0");
  EXPECT_EQ(fields.front().altValue, "by 2999");
  EXPECT_EQ(fields.back().altValue, "by 2999");
}

}  // namespace
}  // namespace trellisk
