// Helpers of the store tests: files in memory, file texts in the stores'
// line end, and a fixture with settings and a log inside a fresh directory.
// Test-only; one test uses its own instances from one thread.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "base/log.h"
#include "base/text_line_end.h"
#include "base/text_source.h"
#include "platform/file_system.h"
#include "platform/memory_file_system.h"
#include "plugin/settings.h"
#include "tests/support/temp_directory.h"
#include "tests/support/throwing_file_system.h"

namespace trellisk::testing {

// The lines, each followed by the stores' line end.
inline std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    text.append(line);
    text.append(kTextLineEnd);
  }
  return text;
}

class MemoryWritableFile final : public platform::WritableFile {
 public:
  bool Append(std::string_view data) override {
    content.append(data);
    return true;
  }
  bool Flush() override { return true; }
  bool Sync() override { return true; }
  bool Close() override { return true; }

  std::string content;
};

// Settings with both store files inside a fresh directory, and a log file
// there that tests can read back.
class StoreTest : public ::testing::Test {
 protected:
  StoreTest() {
    settings_.DatabasePath = dir_.File("database.dat");
    settings_.UndodataPath = dir_.File("undo.dat");
    settings_.VerboseLogfile = 0;
    log_.Open(dir_.File("trellisk.log"), false);
  }

  // Closes the log and returns what it holds.
  std::string LogText() {
    log_.Close();
    return ReadFileBytes(dir_.File("trellisk.log"));
  }

  TempDirectory dir_;
  Settings settings_;
  BuiltinTexts texts_;
  Log log_{&texts_};
};

}  // namespace trellisk::testing
