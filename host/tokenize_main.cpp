// trellisk-tokenize FILE...: prints the word vector the parser makes of each
// message file, one "count word" line per entry, so that one stage of the
// pipeline can be looked at on its own. Options set the parser's settings:
//   --lower-case          LowerCase on
//   --no-special-markers  SpecialMarkers off (no F*, S*, H* prefixes)
//   --no-html             ParseHTML off
//   --keep-doublets       RemoveDoublets off
//   --min-word-length N   MinWordLength N
//   --collect             also print the collected header and body texts
// Messages are cut to their first 65535 bytes, as the plug-in does.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "base/log.h"
#include "base/text_source.h"
#include "parser/mail_parser.h"
#include "plugin/component_options.h"
#include "plugin/settings.h"

namespace {

using namespace trellisk;

constexpr size_t kLongestMessage = 65535;

int Usage() {
  std::cerr << "usage: trellisk-tokenize [--lower-case] [--no-special-markers] [--no-html] [--keep-doublets]\n"
               "                         [--min-word-length N] [--collect] FILE...\n";
  return 2;
}

bool ReadMessage(const std::string& path, std::string& message) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  message.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  if (message.size() > kLongestMessage) message.resize(kLongestMessage);
  return true;
}

void PrintMessage(const Settings& settings, Log& log, std::string message, bool collect) {
  CMailParser parser(ParserOptionsOf(settings), log, nullptr);
  parser.SetMail(message.data(), message.size(), false);
  if (const WordVector* words = parser.ParseMail()) {
    for (const WordEntry& entry : *words) std::cout << entry.count << ' ' << entry.word << '\n';
  }
  if (!collect) return;
  std::cout << "--- header text\n" << parser.mail().headerText.value_or("") << "\n--- body text\n"
            << parser.mail().bodyText.value_or("") << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  bool collect = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--lower-case") {
      settings.LowerCase = 1;
    } else if (argument == "--no-special-markers") {
      settings.SpecialMarkers = 0;
    } else if (argument == "--no-html") {
      settings.ParseHTML = 0;
    } else if (argument == "--keep-doublets") {
      settings.RemoveDoublets = 0;
    } else if (argument == "--min-word-length" && i + 1 < argc) {
      settings.MinWordLength = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (argument == "--collect") {
      collect = true;
      settings.Algorithm |= kAlgorithmRuleFilter;
    } else if (argument.starts_with("--")) {
      return Usage();
    } else {
      files.push_back(argument);
    }
  }
  if (files.empty()) return Usage();
  BuiltinTexts texts;
  Log log(&texts);
  int status = 0;
  for (const std::string& path : files) {
    std::string message;
    if (!ReadMessage(path, message)) {
      std::cerr << "trellisk-tokenize: cannot read " << path << '\n';
      status = 1;
      continue;
    }
    if (files.size() > 1) std::cout << "=== " << path << '\n';
    PrintMessage(settings, log, std::move(message), collect);
  }
  return status;
}
