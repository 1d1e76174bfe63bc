// The host's tbplugin.ini: the input is the file, found through the host's
// registry key as the plug-in finds it. The junk threshold must come out
// the same on every read, and be 0 for a file without any of the four
// items it is made of.
#include "base/ascii.h"
#include "fuzz/fuzz_fixture.h"
#include "fuzz/fuzz_targets.h"
#include "platform/memory_registry.h"
#include "plugin/host_integration.h"

namespace trellisk::fuzz {
namespace {

constexpr std::string_view kWorkingDirectory = "host/";

platform::RegistryValue TextValue(std::string_view text) {
  platform::RegistryValue value;
  value.type = platform::kRegString;
  value.data.assign(text.begin(), text.end());
  value.data.push_back(0);
  return value;
}

// Whether some line could name an item: every item's keyword starts with
// "Delete" or "Junk".
bool MentionsAnItem(std::string_view text) {
  std::string folded(text);
  AsciiLowerInPlace(folded);
  return folded.find("delete") != std::string::npos || folded.find("junk") != std::string::npos;
}

}  // namespace

void FuzzHostIni(FuzzInput input) {
  FuzzFixture fixture;
  platform::MemoryRegistry registry;
  const auto key = registry.Create(platform::RegistryHive::CurrentUser, kHostRegistryKey);
  Expect(key && key->Write("Working Directory", TextValue(kWorkingDirectory)), "the host key could not be made");
  fixture.files.SetFile(std::string(kWorkingDirectory) + kHostIniFileName, std::string(AsText(input)));
  HostIntegration host(registry, fixture.files, fixture.log);
  const uint32_t threshold = host.JunkThreshold();
  Expect(host.JunkThreshold() == threshold, "the threshold changed between two reads");
  Expect(threshold == 0 || MentionsAnItem(AsText(input)), "a threshold from a file without its items");
}

}  // namespace trellisk::fuzz
