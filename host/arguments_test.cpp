#include "host/arguments.h"

#include <gtest/gtest.h>

namespace trellisk::host {
namespace {

const std::vector<OptionDefinition> kSpecs = {{"jobs", true, 'j'}, {"spam", false}, {"setting", true}};

TEST(Arguments, OptionsValuesAndPositionals) {
  Arguments arguments;
  std::string error;
  ASSERT_TRUE(arguments.Parse({"a", "-j", "4", "--spam", "b", "--setting=X=1", "--setting", "Y=2", "--", "--c"},
                              kSpecs, error))
      << error;
  EXPECT_EQ(arguments.positionals(), (std::vector<std::string>{"a", "b", "--c"}));
  EXPECT_TRUE(arguments.Has("spam"));
  EXPECT_EQ(arguments.Value("jobs"), "4");
  EXPECT_EQ(arguments.Values("setting"), (std::vector<std::string>{"X=1", "Y=2"}));
  unsigned long jobs = 0;
  EXPECT_TRUE(arguments.Number("jobs", 1, jobs, error));
  EXPECT_EQ(jobs, 4u);
  EXPECT_TRUE(arguments.Number("missing", 7, jobs, error));
  EXPECT_EQ(jobs, 7u);
}

TEST(Arguments, Errors) {
  std::string error;
  EXPECT_FALSE(Arguments().Parse({"--unknown"}, kSpecs, error));
  EXPECT_EQ(error, "unknown option --unknown");
  EXPECT_FALSE(Arguments().Parse({"--jobs"}, kSpecs, error));
  EXPECT_EQ(error, "option --jobs needs a value");
  EXPECT_FALSE(Arguments().Parse({"--spam=1"}, kSpecs, error));
  Arguments notANumber;
  ASSERT_TRUE(notANumber.Parse({"-j", "four"}, kSpecs, error));
  unsigned long jobs = 0;
  EXPECT_FALSE(notANumber.Number("jobs", 1, jobs, error));
}

}  // namespace
}  // namespace trellisk::host
