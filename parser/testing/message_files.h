// Finds the message files the corpus suites read: the real-mail corpus named
// by TRELLISK_CORPUS_DIR, and the parser's fuzz seeds and regression inputs
// kept in the repository under fuzz/. Tests only; not thread-safe.
#pragma once

#include <string>
#include <vector>

namespace trellisk::testing {

// Every regular file below `directory`, sorted; empty when it is missing.
std::vector<std::string> FilesBelow(const std::string& directory);
// The real-mail corpus files, or empty when it has not been fetched.
std::vector<std::string> CorpusFiles();
// fuzz/regressions/parse_mail and fuzz/seeds/parse_mail of the source tree.
std::vector<std::string> RegressionFiles();
std::vector<std::string> FuzzSeedFiles();

// What callers hand the parser: at most the first 65535 bytes.
std::string ReadMessage(const std::string& path);

}  // namespace trellisk::testing
