// The real-mail corpus as the list tests and benchmarks use it, and list
// entries drawn from it: sender addresses and words that really occur, so
// that a good share of the messages match some entry.
//
// Tests and benchmarks only; not thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lists/list_entry_kind.h"

namespace trellisk::testing {

// Every message below TRELLISK_CORPUS_DIR (*.txt), cut to 65535 bytes as
// the callers of the check cut them, in path order; empty without a corpus.
std::vector<std::string> LoadListCorpus();

struct CorpusListEntry {
  std::string text;
  ListEntryKind kind;
};

struct CorpusEntryMix {
  uint32_t addresses = 0;
  uint32_t words = 0;
  uint32_t expressions = 0;
  // One in whiteEvery entries goes to the white list.
  uint32_t whiteEvery = 4;
  // Adds "(" followed by a word: an expression that does not compile.
  bool invalidExpression = false;
  uint32_t seed = 1;
};

// Entries drawn from the messages; texts are distinct, some differ from
// another entry in case only. Fewer than asked when the messages run out of
// distinct addresses or words.
std::vector<CorpusListEntry> CorpusListEntries(const std::vector<std::string>& messages, const CorpusEntryMix& mix);

}  // namespace trellisk::testing
