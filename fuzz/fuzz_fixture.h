// FuzzFixture: what every store under fuzzing borrows -- settings at their
// defaults, the built-in texts, a log that writes nowhere, message boxes
// that nobody sees, and an in-memory file system -- made afresh for each
// input, so no input sees another's files. Not thread-safe; one per call.
#pragma once

#include <atomic>

#include "base/log.h"
#include "base/text_source.h"
#include "platform/memory_file_system.h"
#include "plugin/settings.h"
#include "tests/support/test_message_boxes.h"

namespace trellisk::fuzz {

struct FuzzFixture {
  Settings settings;
  BuiltinTexts texts;
  std::atomic<const TextSource*> textSource{&texts};
  Log log{&texts};
  testing::TestMessageBoxes boxes;
  platform::MemoryFileSystem files;
};

}  // namespace trellisk::fuzz
