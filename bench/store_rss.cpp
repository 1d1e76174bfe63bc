// Peak resident memory of a process that loads a word database.
//   store_rss make <file>   writes a database of a million synthetic words
//   store_rss load <file>   loads it and prints the load time and the
//                           process's peak (VmHWM) and current (VmRSS)
//                           resident set from /proc/self/status (Linux)
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "base/log.h"
#include "base/text_source.h"
#include "bench/synthetic_words.h"
#include "plugin/component_options.h"
#include "plugin/settings.h"
#include "store/bayes_database.h"

namespace {

constexpr size_t kWords = 1000000;
constexpr uint32_t kSeed = 20240611;

void PrintMemory() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM", 0) == 0 || line.rfind("VmRSS", 0) == 0) std::printf("%s\n", line.c_str());
  }
}

int Make(trellisk::CBayesDatabase& database) {
  trellisk::bench::LearnSyntheticWords(database, trellisk::bench::SyntheticWords(kWords, kSeed), kSeed);
  return database.Save() ? 0 : 1;
}

int Load(trellisk::CBayesDatabase& database) {
  const auto start = std::chrono::steady_clock::now();
  if (!database.Load()) return 1;
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  std::printf("entries %u, slots %u, load %.3f s\n", database.EntryCount(), database.SlotCount(), seconds.count());
  PrintMemory();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: store_rss make|load <file>\n");
    return 2;
  }
  const std::string mode = argv[1];
  trellisk::Settings settings;
  settings.DatabasePath = argv[2];
  trellisk::BuiltinTexts texts;
  trellisk::Log log(&texts);
  trellisk::CBayesDatabase database(WordDatabaseOptionsOf(settings), log, trellisk::platform::DefaultFileSystem());
  if (mode == "make") return Make(database);
  if (mode == "load") return Load(database);
  return 2;
}
