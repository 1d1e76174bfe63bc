// layer_check ROOT FOLDER:RANK...: reads every #include "..." of the source
// files below the layer folders of ROOT and reports, as "file:line: ...",
// each include of a folder that is not below the including one: a folder of
// a higher rank, another folder of the same rank, or a folder that is no
// layer at all (tests/, fuzz/, bench/). Test code may include anything:
// files named *_test.cpp, *_test.h or *_fixture.h, and files in a testing/
// folder. Exits 0 when every include goes downwards, 1 when one does not,
// 2 on bad arguments.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Ranks = std::map<std::string, int>;

std::optional<Ranks> ParseRanks(int argc, char** argv) {
  Ranks ranks;
  for (int i = 2; i < argc; ++i) {
    const std::string entry = argv[i];
    const size_t colon = entry.find(':');
    if (colon == std::string::npos || colon == 0) return std::nullopt;
    ranks[entry.substr(0, colon)] = std::stoi(entry.substr(colon + 1));
  }
  if (ranks.empty()) return std::nullopt;
  return ranks;
}

bool IsSource(const fs::path& path) {
  const std::string extension = path.extension().string();
  return extension == ".cpp" || extension == ".h" || extension == ".rc" || extension == ".def";
}

bool IsTestCode(const fs::path& relative) {
  const std::string name = relative.filename().string();
  for (const char* suffix : {"_test.cpp", "_test.h", "_fixture.h"}) {
    if (name.ends_with(suffix)) return true;
  }
  const auto folders = std::vector<fs::path>(relative.begin(), relative.end());
  return std::find(folders.begin(), folders.end() - 1, "testing") != folders.end() - 1;
}

// The reason the include breaks the layering, or nothing when it is allowed.
std::optional<std::string> Violation(const std::string& folder, const std::string& included, const Ranks& ranks) {
  const size_t slash = included.find('/');
  if (slash == std::string::npos) return std::nullopt;
  const std::string target = included.substr(0, slash);
  if (target == folder) return std::nullopt;
  const auto found = ranks.find(target);
  if (found == ranks.end()) return target + "/ is not a layer";
  const int own = ranks.at(folder);
  if (found->second > own) return target + "/ is a layer above " + folder + "/";
  if (found->second == own) return target + "/ is a layer beside " + folder + "/";
  return std::nullopt;
}

int CheckFile(const fs::path& root, const fs::path& file, const std::string& folder, const Ranks& ranks) {
  static const std::regex kInclude(R"re(^\s*#\s*include\s*"([^"]+)")re");
  std::ifstream in(file);
  std::string line;
  int violations = 0;
  for (int number = 1; std::getline(in, line); ++number) {
    std::smatch match;
    if (!std::regex_search(line, match, kInclude)) continue;
    if (const auto reason = Violation(folder, match[1].str(), ranks)) {
      std::cout << fs::relative(file, root).generic_string() << ":" << number << ": includes \"" << match[1].str()
                << "\": " << *reason << "\n";
      ++violations;
    }
  }
  return violations;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Ranks> ranks = argc >= 3 ? ParseRanks(argc, argv) : std::nullopt;
  if (!ranks) {
    std::cerr << "usage: layer_check ROOT FOLDER:RANK...\n";
    return 2;
  }
  const fs::path root = argv[1];
  int violations = 0;
  int files = 0;
  for (const auto& [folder, rank] : *ranks) {
    if (!fs::is_directory(root / folder)) continue;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root / folder)) {
      if (!entry.is_regular_file() || !IsSource(entry.path())) continue;
      if (IsTestCode(fs::relative(entry.path(), root / folder))) continue;
      ++files;
      violations += CheckFile(root, entry.path(), folder, *ranks);
    }
  }
  std::cout << files << " files checked, " << violations << " includes against the layers\n";
  return violations == 0 ? 0 : 1;
}
