// Parser throughput on the real-mail corpus and on hostile 64 KB inputs.
//
//   TRELLISK_CORPUS_DIR=.cache/corpus build/bench/parser_bench
//
// BM_ParseCorpus parses and tokenizes every message (cut to 65535 bytes as
// the callers do) with default settings and reports bytes per second.
// BM_CorpusMessageTimes times each message alone (best of three runs) and
// reports the median, the 99th percentile and the slowest message in
// microseconds. BM_Hostile/<n> parses one hostile message as an HTML part.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
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

struct Message {
  std::string name;
  std::string text;
};

std::vector<Message> LoadCorpus() {
  const char* configured = std::getenv("TRELLISK_CORPUS_DIR");
  const std::filesystem::path root = configured ? configured : ".cache/corpus";
  std::vector<Message> messages;
  std::error_code error;
  if (!std::filesystem::is_directory(root, error)) return messages;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".txt") continue;
    std::ifstream file(entry.path(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (text.size() > 65535) text.resize(65535);
    messages.push_back({entry.path().string(), std::move(text)});
  }
  std::sort(messages.begin(), messages.end(), [](const Message& a, const Message& b) { return a.name < b.name; });
  return messages;
}

const std::vector<Message>& Corpus() {
  static const std::vector<Message> corpus = LoadCorpus();
  return corpus;
}

// Parses one message the way the scoring pipeline does: a private copy of
// the text, a fresh parser, default settings.
class ParseRunner {
 public:
  size_t Parse(const std::string& message) {
    buffer_.assign(message.begin(), message.end());
    buffer_.push_back('\0');
    CMailParser parser(ParserOptionsOf(settings_), log_, nullptr);
    parser.SetMail(buffer_.data(), message.size(), false);
    const WordVector* words = parser.ParseMail();
    return words ? words->size() : 0;
  }

 private:
  Settings settings_;
  BuiltinTexts texts_;
  Log log_{&texts_};
  std::vector<char> buffer_;
};

void BM_ParseCorpus(benchmark::State& state) {
  const auto& corpus = Corpus();
  if (corpus.empty()) {
    state.SkipWithError("no corpus: run scripts/fetch-corpus.sh and set TRELLISK_CORPUS_DIR");
    return;
  }
  ParseRunner runner;
  size_t bytes = 0;
  size_t words = 0;
  for (auto _ : state) {
    for (const Message& message : corpus) {
      words += runner.Parse(message.text);
      bytes += message.text.size();
    }
  }
  benchmark::DoNotOptimize(words);
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  state.counters["messages/s"] = benchmark::Counter(static_cast<double>(corpus.size() * state.iterations()),
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ParseCorpus)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_CorpusMessageTimes(benchmark::State& state) {
  const auto& corpus = Corpus();
  if (corpus.empty()) {
    state.SkipWithError("no corpus");
    return;
  }
  ParseRunner runner;
  std::vector<std::pair<double, size_t>> times(corpus.size());
  for (auto _ : state) {
    for (size_t i = 0; i < corpus.size(); ++i) {
      double best = 1e30;
      for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(runner.Parse(corpus[i].text));
        best = std::min(best, std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
      }
      times[i] = {best, i};
    }
  }
  std::sort(times.begin(), times.end());
  state.counters["median_us"] = times[times.size() / 2].first;
  state.counters["p99_us"] = times[times.size() * 99 / 100].first;
  state.counters["max_us"] = times.back().first;
  std::cerr << "slowest message: " << corpus[times.back().second].name << " ("
            << corpus[times.back().second].text.size() << " bytes, " << times.back().first << " us)\n";
}
BENCHMARK(BM_CorpusMessageTimes)->Iterations(1)->Unit(benchmark::kMillisecond);

constexpr size_t kHostileSize = 65536;

std::string Repeat(const std::string& piece) {
  std::string text;
  while (text.size() + piece.size() <= kHostileSize) text += piece;
  return text;
}

std::string DistinctWords() {
  std::string text;
  for (int i = 0; text.size() < kHostileSize && i < 5000; ++i) text += "word" + std::to_string(i) + " ";
  return text;
}

std::string NestedMultiparts() {
  std::string text = "Content-Type: multipart/mixed; boundary=\"b0\"\r\n\r\n";
  for (int level = 1; text.size() < kHostileSize - 200; ++level) {
    text += "--b" + std::to_string(level - 1) + "\r\nContent-Type: multipart/mixed; boundary=\"b" +
            std::to_string(level) + "\"\r\n\r\n";
  }
  return text + "--b1\r\nContent-Type: text/plain\r\n\r\nfinally some words\r\n";
}

struct Hostile {
  const char* name;
  std::string message;
};

const std::vector<Hostile>& HostileMessages() {
  static const std::vector<Hostile> messages = [] {
    const std::string html = "Content-Type: text/html\r\n\r\n";
    std::vector<Hostile> list = {
        {"all_lt", html + std::string(kHostileSize, '<')},
        {"repeated_b_tag", html + Repeat("<b>")},
        {"repeated_comment_open", html + Repeat("<!--")},
        {"repeated_entity", html + Repeat("&#65;")},
        {"dots", html + std::string(kHostileSize, '.')},
        {"one_long_word", html + std::string(kHostileSize, 'x')},
        {"distinct_words", html + DistinctWords()},
        {"one_word_5000_times", html + Repeat("spam ")},
        {"nested_multiparts", NestedMultiparts()},
        {"unclosed_link_tags", html + Repeat("<a href=x ") + ">"},
        {"style_properties", html + Repeat("color:red;")},
    };
    return list;
  }();
  return messages;
}

void BM_Hostile(benchmark::State& state) {
  const Hostile& hostile = HostileMessages()[static_cast<size_t>(state.range(0))];
  state.SetLabel(hostile.name);
  ParseRunner runner;
  for (auto _ : state) benchmark::DoNotOptimize(runner.Parse(hostile.message));
  state.SetBytesProcessed(static_cast<int64_t>(hostile.message.size() * state.iterations()));
}
BENCHMARK(BM_Hostile)->DenseRange(0, 10)->Unit(benchmark::kMillisecond);

}  // namespace
