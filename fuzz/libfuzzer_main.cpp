// The libFuzzer entry point of one fuzz program; CMake names its target
// function in TRELLISK_FUZZ_ENTRY. A FuzzFailure escapes on purpose: the
// uncaught exception aborts, and libFuzzer keeps the input as a crash.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  trellisk::fuzz::TRELLISK_FUZZ_ENTRY(trellisk::fuzz::FuzzInput(data, size));
  return 0;
}
