// The word store at the size of a large database: lookups of present and
// absent keys in a table of a million entries (target: 20 million a second
// on one core; a tenth of that size shows the cost when the table is
// mostly in cache), CBayesDatabase::Find as the classifier calls it, and
// Load and Save of a million-word database (target: under 0.5 s each).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/log.h"
#include "base/text_source.h"
#include "bench/synthetic_words.h"
#include "plugin/component_options.h"
#include "plugin/settings.h"
#include "store/bayes_database.h"
#include "store/counted_string_table.h"
#include "store/word_database_file.h"
#include "tests/support/temp_directory.h"

namespace trellisk::bench {
namespace {

constexpr size_t kWords = 1000000;
constexpr uint32_t kSeed = 20240611;

// Keys packed one after another and visited in a shuffled order, so that
// neither the slot array nor the pool is walked in the order it was filled.
class KeyStream {
 public:
  explicit KeyStream(std::vector<std::string> words) {
    std::shuffle(words.begin(), words.end(), std::mt19937(kSeed));
    for (const std::string& word : words) {
      starts_.push_back(text_.size());
      text_ += word;
    }
    starts_.push_back(text_.size());
  }
  size_t size() const { return starts_.size() - 1; }
  std::string_view operator[](size_t i) const {
    return std::string_view(text_).substr(starts_[i], starts_[i + 1] - starts_[i]);
  }

 private:
  std::string text_;
  std::vector<size_t> starts_;
};

const std::vector<std::string>& Words() {
  static const std::vector<std::string> words = SyntheticWords(kWords, kSeed);
  return words;
}

// The first `count` words, grown from a new database's size by adding one
// word after another, as learning grows it.
std::unique_ptr<CountedStringTable> LearnedTable(size_t count) {
  auto table = std::make_unique<CountedStringTable>(kWordTableGrowStep, kWordTablePoolStep);
  table->Init(kWordTableInitialSize);
  for (size_t i = 0; i < count; ++i) table->Add(Words()[i], i % 7, i % 3);
  return table;
}

struct LookupData {
  explicit LookupData(size_t count)
      : table(LearnedTable(count)),
        present(std::vector<std::string>(Words().begin(), Words().begin() + count)),
        absent(AbsentWords(count, kSeed)) {}
  std::unique_ptr<CountedStringTable> table;
  KeyStream present;
  KeyStream absent;
};

const LookupData& DataFor(size_t count) {
  static std::map<size_t, std::unique_ptr<LookupData>> data;
  auto& entry = data[count];
  if (!entry) entry = std::make_unique<LookupData>(count);
  return *entry;
}

void LookUp(benchmark::State& state, bool present) {
  const LookupData& data = DataFor(static_cast<size_t>(state.range(0)));
  const KeyStream& keys = present ? data.present : data.absent;
  const CountedStringTable& table = *data.table;
  state.counters["slots"] = table.slotCount();
  size_t i = 0;
  int64_t found = 0;
  uint32_t first = 0;
  uint32_t second = 0;
  for (auto _ : state) {
    found += table.Lookup(keys[i], first, second);
    if (++i == keys.size()) i = 0;
  }
  benchmark::DoNotOptimize(first + second);
  state.SetItemsProcessed(state.iterations());
  if (found != (present ? state.iterations() : 0)) state.SkipWithError("a lookup gave the wrong answer");
}

void BM_TableLookupPresent(benchmark::State& state) { LookUp(state, true); }
void BM_TableLookupAbsent(benchmark::State& state) { LookUp(state, false); }
BENCHMARK(BM_TableLookupPresent)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_TableLookupAbsent)->Arg(100000)->Arg(1000000);

// The same lookups in batches of a message's size, as the classifier makes
// them (CountedStringTable::LookupMany).
void LookUpMany(benchmark::State& state, bool present) {
  const LookupData& data = DataFor(static_cast<size_t>(state.range(0)));
  const KeyStream& keys = present ? data.present : data.absent;
  const CountedStringTable& table = *data.table;
  constexpr size_t kBatch = 200;
  std::vector<std::string_view> batch(kBatch);
  std::vector<CountedStringTable::LookupResult> results(kBatch);
  size_t next = 0;
  int64_t found = 0;
  int64_t looked = 0;
  for (auto _ : state) {
    for (std::string_view& key : batch) {
      key = keys[next];
      if (++next == keys.size()) next = 0;
    }
    table.LookupMany(batch, results);
    for (const auto& result : results) found += result.found;
    looked += kBatch;
  }
  state.SetItemsProcessed(looked);
  if (found != (present ? looked : 0)) state.SkipWithError("a lookup gave the wrong answer");
}

void BM_TableLookupManyPresent(benchmark::State& state) { LookUpMany(state, true); }
void BM_TableLookupManyAbsent(benchmark::State& state) { LookUpMany(state, false); }
BENCHMARK(BM_TableLookupManyPresent)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_TableLookupManyAbsent)->Arg(100000)->Arg(1000000);

const KeyStream& PresentKeys() { return DataFor(kWords).present; }

// A database of a million words saved in a directory of its own.
class MillionWordDatabase {
 public:
  MillionWordDatabase() {
    settings_.DatabasePath = directory_.File("database.dat");
    database_.SetOptions(WordDatabaseOptionsOf(settings_));
    LearnSyntheticWords(database_, Words(), kSeed);
    database_.Save();
  }
  CBayesDatabase& database() { return database_; }

 private:
  testing::TempDirectory directory_;
  Settings settings_;
  BuiltinTexts texts_;
  Log log_{&texts_};
  CBayesDatabase database_{WordDatabaseOptionsOf(settings_), log_, platform::DefaultFileSystem()};
};

MillionWordDatabase& Database() {
  static MillionWordDatabase database;
  return database;
}

void BM_DatabaseFind(benchmark::State& state) {
  CBayesDatabase& database = Database().database();
  const KeyStream& keys = PresentKeys();
  size_t i = 0;
  uint32_t spam = 0;
  uint32_t ham = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(database.Find(keys[i], spam, ham));
    if (++i == keys.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DatabaseFind);

void BM_DatabaseLoad(benchmark::State& state) {
  CBayesDatabase& database = Database().database();
  for (auto _ : state) {
    if (!database.Load()) state.SkipWithError("load failed");
  }
  state.counters["entries"] = database.EntryCount();
}
BENCHMARK(BM_DatabaseLoad)->Unit(benchmark::kMillisecond)->Iterations(5);

// Includes committing the file to the disk.
void BM_DatabaseSave(benchmark::State& state) {
  CBayesDatabase& database = Database().database();
  for (auto _ : state) {
    state.PauseTiming();
    database.AddSpam(Words()[0], 1);
    state.ResumeTiming();
    if (!database.Save()) state.SkipWithError("save failed");
  }
  state.counters["entries"] = database.EntryCount();
}
BENCHMARK(BM_DatabaseSave)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace trellisk::bench
