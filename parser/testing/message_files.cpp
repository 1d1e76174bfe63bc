#include "parser/testing/message_files.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "tests/support/temp_directory.h"

namespace trellisk::testing {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string SourceDirectory() {
  const std::string fromEnvironment = Environment("TRELLISK_SOURCE_DIR");
  return fromEnvironment.empty() ? TRELLISK_PARSER_SOURCE_ROOT : fromEnvironment;
}

}  // namespace

std::vector<std::string> FilesBelow(const std::string& directory) {
  std::vector<std::string> files;
  std::error_code error;
  if (directory.empty() || !std::filesystem::is_directory(directory, error)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(directory, error)) {
    if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::string> CorpusFiles() { return FilesBelow(Environment("TRELLISK_CORPUS_DIR")); }

std::vector<std::string> RegressionFiles() { return FilesBelow(SourceDirectory() + "/fuzz/regressions/parse_mail"); }

std::vector<std::string> FuzzSeedFiles() { return FilesBelow(SourceDirectory() + "/fuzz/seeds/parse_mail"); }

std::string ReadMessage(const std::string& path) {
  constexpr size_t kLongestMessage = 65535;
  std::string message = ReadFileBytes(path);
  if (message.size() > kLongestMessage) message.resize(kLongestMessage);
  return message;
}

}  // namespace trellisk::testing
