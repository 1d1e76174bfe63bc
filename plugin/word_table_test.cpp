#include "plugin/word_table.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "base/log.h"
#include "base/text_source.h"
#include "platform/file_system.h"
#include "plugin/component_options.h"
#include "plugin/settings.h"
#include "store/bayes_database.h"

namespace trellisk {
namespace {

class WordTableTest : public ::testing::Test {
 protected:
  Settings settings_;
  BuiltinTexts texts_;
  Log log_{&texts_};
  CBayesDatabase database_{WordDatabaseOptionsOf(settings_), log_, platform::DefaultFileSystem()};

  std::string Table(const WordVector& vector) {
    return BuildWordTable(vector, settings_.SignificantWords, settings_.StringToHashLimit, database_);
  }
};

TEST_F(WordTableTest, OneAlignedRowPerWord) {
  database_.AddSpam("viagra", 10);
  database_.AddHam("S*hello", 2);
  const WordVector vector = {{"viagra", 3, 0.5, 0.49, 0.99}, {"S*hello", 1, 0, 0.1, 0.4}};
  EXPECT_EQ(Table(vector),
            "viagra   |        3 |         10 |          0 | 0.99000000 | 0.50000000\n"
            "S*hello  |        1 |          0 |          2 | 0.40000000 | 0.00000000\n");
}

TEST_F(WordTableTest, LongWordsAndValuesAreCutToTheirColumns) {
  const std::string longWord(40, 'x');
  const WordVector vector = {{longWord, 123456789, 1.5, 0, 12345.6789}};
  EXPECT_EQ(Table(vector),
            std::string(25, 'x') + " | 12345678 |          0 |          0 | 12345.6789 | 1.50000000\n");
}

TEST_F(WordTableTest, RealsAreRoundedAsPrintfRoundsThem) {
  for (double value : {0.123456785, 0.999999995, 1e-9, 0.5, 0.000000005, 0.12345678499999}) {
    const WordVector vector = {{"w", 1, value, 0, value}};
    char expected[64];
    std::snprintf(expected, sizeof expected, "%10.8f", value);
    const std::string row = Table(vector);
    EXPECT_EQ(row.substr(row.size() - 24, 10), expected) << value;
    EXPECT_EQ(row.substr(row.size() - 11, 10), expected) << value;
  }
}

TEST_F(WordTableTest, OnlyTheSignificantWordsAreShown) {
  settings_.SignificantWords = 1;
  const WordVector vector = {{"first"}, {"second"}};
  EXPECT_EQ(Table(vector).find("second"), std::string::npos);
  EXPECT_EQ(Table({}), "");
}

}  // namespace
}  // namespace trellisk
