// ListMatch is the record of one sender-list check: the verdict the check
// reached (no decision, black-listed or white-listed) and the list entry that
// set it. A record is checked against several texts of one message in turn
// (the raw message, then every decoded part), so a white verdict, once found,
// stays, and a black one can still turn white.
//
// A record belongs to one caller and one message; it is not shared between
// threads.
#pragma once

#include <string>

#include "base/scan_state.h"

namespace trellisk {

struct ListMatch {
  ScanState verdict = kNoDecision;
  // The text of the entry that set the verdict; empty when none did.
  std::string matchedEntry;
  // An invalid expression entry has been reported to the user through this
  // record already; later checks with it skip such entries silently.
  bool expressionNoticeShown = false;
};

}  // namespace trellisk
