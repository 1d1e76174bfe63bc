#include <gtest/gtest.h>

#include "base/text_source.h"

namespace trellisk {
namespace {

TEST(BuiltinTexts, LoadsNumberedTexts) {
  BuiltinTexts texts;
  EXPECT_EQ(texts.Load(kTextEmptyDatabase), "Empty Database");
  EXPECT_EQ(texts.Load(117), "Empty Database");
  EXPECT_EQ(texts.Load(176), "Can't get the spamscore from tbplugin.ini. May be you use Secure Bat!.");
  EXPECT_EQ(texts.Load(kTextUnexpectedException).rfind(
                "An unexpected exception occured! Please send a report to the author (", 0),
            0u);
  EXPECT_TRUE(texts.Load(kTextUnexpectedException).ends_with(") -=>"));
}

TEST(BuiltinTexts, UnknownIdsGiveEmptyText) {
  BuiltinTexts texts;
  EXPECT_EQ(texts.Load(0), "");
  EXPECT_EQ(texts.Load(116 + 1000), "");
  EXPECT_EQ(texts.Load(-1), "");
}

TEST(BuiltinTexts, NoTextExceedsTheLoaderBuffer) {
  BuiltinTexts texts;
  for (int id = 1; id < 1000; ++id) EXPECT_LE(texts.Load(id).size(), TextSource::kMaxTextLength);
}

}  // namespace
}  // namespace trellisk
