// SenderLists is the core's view of the black and white lists: the check of
// a text against them, and the automatic insertion and removal of sender
// addresses when messages are scored and trained. The core works without
// lists (a null SenderLists): then nothing is listed and nothing inserted.
//
// Implementations are thread-safe.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/sender_list_check.h"
#include "lists/list_entry_kind.h"

namespace trellisk {

class SenderLists : public SenderListCheck {
 public:
  // Appends an entry unless the text is empty or listed already; true when
  // it was inserted. `sequence` orders the entries of a list in its file.
  virtual bool Add(std::string_view text, ListEntryKind kind, uint32_t sequence) = 0;
  // Removes the entry only when it is listed with exactly this kind.
  virtual bool Remove(std::string_view text, ListEntryKind kind) = 0;
  virtual uint32_t blackCount() = 0;
  virtual uint32_t whiteCount() = 0;
};

}  // namespace trellisk
