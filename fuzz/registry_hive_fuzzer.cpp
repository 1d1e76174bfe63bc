// A registry hive file in REGEDIT4 form: the first input byte picks the
// hive (its lowest bit), the rest is the file. A text that parses must
// write out as a text that parses again and writes out the same: the
// written form is canonical.
#include "fuzz/fuzz_targets.h"
#include "platform/regedit_format.h"

namespace trellisk::fuzz {

void FuzzRegistryHive(FuzzInput input) {
  if (input.empty()) return;
  const platform::RegistryHive hive =
      (input[0] & 1) ? platform::RegistryHive::CurrentUser : platform::RegistryHive::LocalMachine;
  const platform::RegeditParseResult parsed = platform::ParseRegedit(AsText(input.subspan(1)), hive);
  Expect(parsed.error.find('\n') == std::string::npos, "the parse error is not one line");
  Expect(parsed.ok() == (parsed.skippedLines == 0), "damage without skipped lines, or the other way round");
  // What a damaged hive kept is written and read back as a sound hive.
  const std::string written = platform::SerializeRegedit(parsed.tree, hive);
  const platform::RegeditParseResult reread = platform::ParseRegedit(written, hive);
  Expect(reread.ok(), "the written hive does not parse: " + reread.error);
  Expect(platform::SerializeRegedit(reread.tree, hive) == written, "the written hive is not canonical");
}

}  // namespace trellisk::fuzz
