// Runs every fuzz target over its committed inputs: the hand-made seeds and
// every input a fuzzing run found fault with (fuzz/seeds/<target>/ and
// fuzz/regressions/<target>/). A target that throws FuzzFailure, or any
// other exception, fails the case; a crash fails the whole program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "fuzz/fuzz_targets.h"
#include "tests/support/temp_directory.h"

namespace trellisk::fuzz {
namespace {

namespace fs = std::filesystem;

fs::path SourceDirectory() {
  const char* root = std::getenv("TRELLISK_SOURCE_DIR");
  return root ? fs::path(root) : fs::path(TRELLISK_FUZZ_SOURCE_ROOT);
}

std::vector<fs::path> InputsOf(const FuzzTarget& target, const char* kind) {
  std::vector<fs::path> inputs;
  const fs::path folder = SourceDirectory() / "fuzz" / kind / target.name;
  if (!fs::is_directory(folder)) return inputs;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

void Replay(const FuzzTarget& target, const fs::path& file) {
  SCOPED_TRACE(file.string());
  const std::string bytes = testing::ReadFileBytes(file.string());
  // An exact-size heap copy, so reads past the input reach the sanitizer.
  const std::vector<uint8_t> input(bytes.begin(), bytes.end());
  try {
    target.entry(FuzzInput(input.data(), input.size()));
  } catch (const std::exception& failure) {
    ADD_FAILURE() << target.name << ": " << failure.what();
  }
}

}  // namespace

// The target's name instead of its bytes in gtest's messages.
void PrintTo(const FuzzTarget& target, std::ostream* out) { *out << target.name; }

namespace {

class ReplayTest : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(ReplayTest, SeedsPass) {
  const std::vector<fs::path> seeds = InputsOf(GetParam(), "seeds");
  EXPECT_FALSE(seeds.empty()) << "no seeds for " << GetParam().name;
  for (const fs::path& seed : seeds) Replay(GetParam(), seed);
}

TEST_P(ReplayTest, RegressionsPass) {
  for (const fs::path& regression : InputsOf(GetParam(), "regressions")) Replay(GetParam(), regression);
}

TEST(ReplayInputs, EmptyAndOneByteInputsPassEveryTarget) {
  for (const FuzzTarget& target : kFuzzTargets) {
    for (const std::vector<uint8_t>& input : {std::vector<uint8_t>{}, std::vector<uint8_t>{0}, std::vector<uint8_t>{0x1e}}) {
      EXPECT_NO_THROW(target.entry(FuzzInput(input.data(), input.size()))) << target.name;
    }
  }
}

TEST(SplitInput, CutsAtTheSeparatorIntoExactlyTheCount) {
  const std::string text = "a\x1e" "b\x1e" "c\x1e" "d";
  const FuzzInput input(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  EXPECT_EQ(SplitInput(input, '\x1e', 3), (std::vector<std::string_view>{"a", "b", "c\x1e" "d"}));
  EXPECT_EQ(SplitInput(input, '\x1e', 6), (std::vector<std::string_view>{"a", "b", "c", "d", "", ""}));
  EXPECT_EQ(SplitInput(input, '\x1e', 1), (std::vector<std::string_view>{text}));
}

INSTANTIATE_TEST_SUITE_P(EveryTarget, ReplayTest, ::testing::ValuesIn(kFuzzTargets),
                         [](const ::testing::TestParamInfo<FuzzTarget>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace trellisk::fuzz
