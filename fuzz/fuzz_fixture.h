// FuzzFixture: what every store under fuzzing borrows -- settings at their
// defaults, the built-in texts, a log that writes nowhere, and an in-memory
// file system -- made afresh for each input, so no input sees another's
// files. Not thread-safe; one per call.
#pragma once

#include <atomic>

#include "fuzz/memory_file_system.h"
#include "plugin/log.h"
#include "plugin/settings.h"
#include "plugin/text_source.h"

namespace trellisk::fuzz {

struct FuzzFixture {
  Settings settings;
  BuiltinTexts texts;
  std::atomic<const TextSource*> textSource{&texts};
  Log log{&texts};
  MemoryFileSystem files;
};

}  // namespace trellisk::fuzz
