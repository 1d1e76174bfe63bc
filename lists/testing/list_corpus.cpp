#include "lists/testing/list_corpus.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>

#include "base/ascii.h"

namespace trellisk::testing {
namespace {

constexpr size_t kMessageLimit = 65535;

bool IsAddressByte(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_' || c == '@';
}
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Runs of bytes that `belongs` accepts, passed to `take`.
template <typename Belongs, typename Take>
void ForEachRun(const std::string& text, Belongs belongs, Take take) {
  size_t start = 0;
  while (start < text.size()) {
    while (start < text.size() && !belongs(text[start])) ++start;
    size_t end = start;
    while (end < text.size() && belongs(text[end])) ++end;
    if (end > start) take(std::string_view(text).substr(start, end - start));
    start = end;
  }
}

void CollectCandidates(const std::vector<std::string>& messages, std::vector<std::string>& addresses,
                       std::vector<std::string>& words) {
  std::set<std::string> seenAddresses;
  std::set<std::string> seenWords;
  for (size_t i = 0; i < messages.size(); i += 3) {
    ForEachRun(messages[i], IsAddressByte, [&](std::string_view run) {
      const size_t at = run.find('@');
      if (at == std::string_view::npos || at == 0 || run.size() - at < 5 || run.size() > 60) return;
      if (seenAddresses.insert(std::string(run)).second) addresses.emplace_back(run);
    });
    ForEachRun(messages[i], IsLetter, [&](std::string_view run) {
      if (run.size() < 7 || run.size() > 14) return;
      if (seenWords.insert(std::string(run)).second) words.emplace_back(run);
    });
  }
}

std::string ExpressionFrom(const std::string& word, const std::string& other, uint32_t shape) {
  switch (shape % 5) {
    case 0: return "^Subject:.*\\b" + word + "\\b";
    case 1: return word + "\\s+" + other;
    case 2: return "^From:.*" + word;
    case 3: return "\\b" + word.substr(0, 4) + "[a-z]*" + other.substr(0, 3);
    default: return word + "|" + other + "[0-9]+";
  }
}

}  // namespace

std::vector<std::string> LoadListCorpus() {
  const char* configured = std::getenv("TRELLISK_CORPUS_DIR");
  std::vector<std::string> messages;
  std::error_code error;
  if (!configured || !std::filesystem::is_directory(configured, error)) return messages;
  std::vector<std::filesystem::path> paths;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(configured, error)) {
    if (entry.is_regular_file() && entry.path().extension() == ".txt") paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  for (const auto& path : paths) {
    std::ifstream file(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (text.size() > kMessageLimit) text.resize(kMessageLimit);
    messages.push_back(std::move(text));
  }
  return messages;
}

std::vector<CorpusListEntry> CorpusListEntries(const std::vector<std::string>& messages, const CorpusEntryMix& mix) {
  std::vector<std::string> addresses;
  std::vector<std::string> words;
  CollectCandidates(messages, addresses, words);
  std::mt19937 random(mix.seed);
  std::shuffle(addresses.begin(), addresses.end(), random);
  std::shuffle(words.begin(), words.end(), random);

  std::vector<CorpusListEntry> entries;
  auto kindFor = [&](size_t index, ListEntryKind black, ListEntryKind white) {
    return index % mix.whiteEvery == 0 ? white : black;
  };
  for (size_t i = 0; i < std::min<size_t>(mix.addresses, addresses.size()); ++i) {
    entries.push_back({addresses[i], kindFor(i, kBlackText, kWhiteText)});
  }
  const size_t wordCount = std::min<size_t>(mix.words, words.size());
  for (size_t i = 0; i < wordCount; ++i) entries.push_back({words[i], kindFor(i + 1, kBlackText, kWhiteText)});
  // The same word in the other list with its case changed: both lists match.
  for (size_t i = 0; i < wordCount / 10; ++i) {
    std::string upper = words[i];
    AsciiUpperInPlace(upper);
    if (upper != words[i]) entries.push_back({upper, kindFor(i, kWhiteText, kBlackText)});
  }
  for (size_t i = 0; i < mix.expressions && words.size() > 1; ++i) {
    const std::string& word = words[(i * 7) % words.size()];
    const std::string& other = words[(i * 13 + 1) % words.size()];
    entries.push_back({ExpressionFrom(word, other, static_cast<uint32_t>(i)), kindFor(i, kBlackRegExp, kWhiteRegExp)});
  }
  if (mix.invalidExpression && !words.empty()) entries.push_back({"(" + words.back(), kBlackRegExp});
  std::shuffle(entries.begin(), entries.end(), random);
  return entries;
}

}  // namespace trellisk::testing
