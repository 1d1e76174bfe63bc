// WordVector holds the words of one message in the order they were first
// found. Each WordEntry carries the word (with its "F*", "S*" or "H*" prefix
// for words of the From and Subject headers and of the X-Mailer and Received
// lines), how often it occurred, and three values the classifier fills in.
//
// A vector belongs to the parser that filled it and is used by one thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trellisk {

struct WordEntry {
  std::string word;
  uint32_t count = 1;
  double frequency = 0;
  double significance = 0;
  double probability = 0;
};

using WordVector = std::vector<WordEntry>;

}  // namespace trellisk
