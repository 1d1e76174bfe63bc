// Sender-list checks on the real-mail corpus, as the scoring pipeline makes
// them: every message (cut to 65535 bytes) checked whole with a fresh record.
//
//   TRELLISK_CORPUS_DIR=.cache/corpus build/bench/lists_bench
//
// BM_CheckCorpus/<lists> reports messages per second (items_per_second) over
// the whole corpus for: 0 empty lists; 1 10,000 plain entries and 100
// expressions drawn from the corpus (many messages match); 2 10,000 plain
// addresses that never match and the same 100 expressions (every expression
// runs on every message); 3 the 10,000 never-matching addresses alone.
// BM_LiteralCheck/<lists> is the entry-by-entry scan on the first 100
// messages, for comparison. BM_AddThenCheck is the cost of a check right
// after an automatic insertion, which makes the lists prepare a new snapshot.
#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "lists/black_whitelist.h"
#include "lists/testing/list_corpus.h"
#include "lists/testing/literal_list_check.h"
#include "platform/message_box.h"
#include "plugin/component_options.h"

namespace {

using namespace trellisk;

constexpr uint32_t kPlainEntries = 10000;
constexpr uint32_t kExpressions = 100;

const std::vector<std::string>& Corpus() {
  static const std::vector<std::string> corpus = testing::LoadListCorpus();
  return corpus;
}

enum class ListsKind { kEmpty, kCorpusDrawn, kNeverMatchingWithExpressions, kNeverMatching };

std::vector<testing::CorpusListEntry> EntriesFor(ListsKind kind) {
  std::vector<testing::CorpusListEntry> entries;
  if (kind == ListsKind::kEmpty) return entries;
  if (kind == ListsKind::kCorpusDrawn) {
    entries = testing::CorpusListEntries(Corpus(), {.addresses = 7000, .words = 3000, .expressions = kExpressions});
  } else if (kind == ListsKind::kNeverMatchingWithExpressions) {
    entries = testing::CorpusListEntries(Corpus(), {.expressions = kExpressions});
  }
  uint32_t plain = 0;
  for (const auto& entry : entries) plain += entry.kind == kBlackText || entry.kind == kWhiteText;
  for (uint32_t i = 0; plain < kPlainEntries; ++i, ++plain) {
    entries.push_back({"user" + std::to_string(i) + "@nowhere" + std::to_string(i % 97) + ".invalid",
                       i % 4 ? kBlackText : kWhiteText});
  }
  return entries;
}

// Lists with settings, log and texts of their own.
struct BenchLists {
  explicit BenchLists(ListsKind kind) {
    uint32_t sequence = 0;
    for (const auto& entry : EntriesFor(kind)) lists.Add(entry.text, entry.kind, sequence++);
  }
  Settings settings;
  BuiltinTexts texts;
  std::atomic<const TextSource*> textSource{&texts};
  Log log{&texts};
  CBlackWhitelist lists{ListOptionsOf(settings), log, platform::DefaultFileSystem(), textSource, platform::SystemMessageBoxes()};
};

bool HaveCorpus(benchmark::State& state) {
  if (!Corpus().empty()) return true;
  state.SkipWithError("no corpus: set TRELLISK_CORPUS_DIR");
  return false;
}

void BM_CheckCorpus(benchmark::State& state) {
  if (!HaveCorpus(state)) return;
  BenchLists bench(static_cast<ListsKind>(state.range(0)));
  ListMatch warm;
  bench.lists.CheckBlackWhitelist(warm, "x", true);
  int64_t messages = 0;
  int64_t bytes = 0;
  int listed = 0;
  for (auto _ : state) {
    for (const std::string& message : Corpus()) {
      ListMatch record;
      bench.lists.CheckBlackWhitelist(record, message, true);
      listed += record.verdict != kNoDecision;
      bytes += static_cast<int64_t>(message.size());
    }
    messages += static_cast<int64_t>(Corpus().size());
  }
  state.SetItemsProcessed(messages);
  state.SetBytesProcessed(bytes);
  state.counters["listed_share"] = static_cast<double>(listed) / static_cast<double>(messages);
}
BENCHMARK(BM_CheckCorpus)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_LiteralCheck(benchmark::State& state) {
  if (!HaveCorpus(state)) return;
  BenchLists bench(static_cast<ListsKind>(state.range(0)));
  const size_t count = std::min<size_t>(100, Corpus().size());
  int64_t messages = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < count; ++i) {
      ListMatch record;
      testing::LiteralCheckBlackWhitelist(bench.lists, record, Corpus()[i], true, [](std::string_view, ListEntryKind) {});
    }
    messages += static_cast<int64_t>(count);
  }
  state.SetItemsProcessed(messages);
}
BENCHMARK(BM_LiteralCheck)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_AddThenCheck(benchmark::State& state) {
  if (!HaveCorpus(state)) return;
  BenchLists bench(ListsKind::kNeverMatchingWithExpressions);
  const std::string& message = Corpus().front();
  uint32_t added = 0;
  for (auto _ : state) {
    bench.lists.Add("new" + std::to_string(added) + "@sender.invalid", kBlackText, added);
    ++added;
    ListMatch record;
    bench.lists.CheckBlackWhitelist(record, message, true);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AddThenCheck)->Unit(benchmark::kMillisecond);

}  // namespace
