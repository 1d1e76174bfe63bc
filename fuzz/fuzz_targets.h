// The fuzz targets: one entry function per input format the plug-in reads.
// Each takes one input, feeds it to the real reading code (and, where the
// format is written back, through a save and a second load), and throws
// FuzzFailure when a property that must hold for every input does not. The
// libFuzzer programs (libfuzzer_main.cpp) call one entry each; the replay
// test runs every entry over its committed seeds and regressions.
//
// The entries keep no state between calls apart from constant fixtures, so
// each input gives the same outcome wherever it runs. Not thread-safe: one
// call at a time per process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace trellisk::fuzz {

using FuzzInput = std::span<const uint8_t>;
using FuzzEntry = void (*)(FuzzInput);

// A broken property of the code under test, with what broke.
class FuzzFailure : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// Throws FuzzFailure(what) unless `holds`.
void Expect(bool holds, const std::string& what);

// The input as text.
std::string_view AsText(FuzzInput input);
// The input cut at every `separator` byte into exactly `count` pieces: the
// last piece keeps any further separators, missing pieces are empty.
std::vector<std::string_view> SplitInput(FuzzInput input, char separator, size_t count);

void FuzzWordDatabase(FuzzInput input);
void FuzzUndoFile(FuzzInput input);
void FuzzListFiles(FuzzInput input);
void FuzzRuleFiles(FuzzInput input);
void FuzzDnsCache(FuzzInput input);
void FuzzRegistryHive(FuzzInput input);
void FuzzHostIni(FuzzInput input);
void FuzzDecoders(FuzzInput input);
void FuzzTableOperations(FuzzInput input);
void FuzzLanguageFile(FuzzInput input);

struct FuzzTarget {
  const char* name;  // also the folder of its seeds and regressions
  FuzzEntry entry;
};

inline constexpr FuzzTarget kFuzzTargets[] = {
    {"word_database", &FuzzWordDatabase}, {"undo_file", &FuzzUndoFile},
    {"list_files", &FuzzListFiles},       {"rule_files", &FuzzRuleFiles},
    {"dns_cache", &FuzzDnsCache},         {"registry_hive", &FuzzRegistryHive},
    {"host_ini", &FuzzHostIni},           {"decoders", &FuzzDecoders},
    {"table_operations", &FuzzTableOperations}, {"language_file", &FuzzLanguageFile},
};

}  // namespace trellisk::fuzz
