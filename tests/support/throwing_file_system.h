// ThrowingFileSystem: a FileSystem of which every call throws, for the
// error-report convention of the stores, the lists and the rule filter.
// Test-only; thread-safe (it holds nothing).
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/file_system.h"

namespace trellisk::testing {

class ThrowingFileSystem final : public platform::FileSystem {
 public:
  std::unique_ptr<platform::ReadableFile> OpenForReading(const std::string&) override { Throw(); }
  std::unique_ptr<platform::WritableFile> OpenForWriting(const std::string&) override { Throw(); }
  std::unique_ptr<platform::WritableFile> OpenForAppending(const std::string&) override { Throw(); }
  bool Remove(const std::string&) override { Throw(); }
  bool Replace(const std::string&, const std::string&) override { Throw(); }
  bool Exists(const std::string&) override { Throw(); }
  std::optional<std::string> Identity(const std::string&) override { Throw(); }

 private:
  [[noreturn]] static void Throw() { throw std::runtime_error("file system failure"); }
};

}  // namespace trellisk::testing
