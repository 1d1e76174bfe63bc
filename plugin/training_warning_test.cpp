#include "plugin/training_warning.h"

#include <gtest/gtest.h>

namespace trellisk {
namespace {

struct Row {
  uint32_t spam;
  uint32_t ham;
  TextId caption;  // kNoText: no warning
  TextId text;
};

TEST(TrainingWarning, OneWarningForEachShortage) {
  const Row rows[] = {
      {0, 0, kTextEmptyDatabase, kTextDatabaseEmptyWarning},
      {5, 0, kTextMissingHamMails, kTextNoHamWarning},
      {500, 0, kTextMissingHamMails, kTextNoHamWarning},
      {0, 5, kTextMissingSpamMails, kTextNoSpamWarning},
      {0, 500, kTextMissingSpamMails, kTextNoSpamWarning},
      {99, 49, kTextEmptyDatabase, kTextFewSpamAndHamWarning},
      {1, 1, kTextEmptyDatabase, kTextFewSpamAndHamWarning},
      {100, 49, kTextMissingHamMails, kTextFewHamWarning},
      {99, 50, kTextMissingSpamMails, kTextFewSpamWarning},
      {100, 50, kNoText, kNoText},
      {100000, 100000, kNoText, kNoText},
  };
  for (const Row& row : rows) {
    const std::optional<TrainingWarning> warning = TrainingWarningFor(row.spam, row.ham);
    if (row.caption == kNoText) {
      EXPECT_FALSE(warning) << row.spam << "/" << row.ham;
      continue;
    }
    ASSERT_TRUE(warning) << row.spam << "/" << row.ham;
    EXPECT_EQ(warning->caption, row.caption) << row.spam << "/" << row.ham;
    EXPECT_EQ(warning->text, row.text) << row.spam << "/" << row.ham;
  }
}

}  // namespace
}  // namespace trellisk
