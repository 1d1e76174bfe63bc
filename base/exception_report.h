// The error-report convention of every class: an operation that meets an
// exception writes one line to the log -- text 184, a blank, then the class
// and operation name joined by "::" -- and returns its failure value. No
// exception leaves an operation that is guarded this way.
//
//   return GuardedCall(log, "CBayesDatabase::Load", false, [&] { ... });
//
// Thread-safe as far as the log is (see log.h).
#pragma once

#include <type_traits>
#include <utility>

#include "base/log.h"

namespace trellisk {

// Runs `body` and returns its result; when it throws, reports `where` and
// returns `failure`.
template <typename Result, typename Body>
Result GuardedCall(Log& log, const char* where, Result failure, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    log.ReportException(where);
    return failure;
  }
}

// For operations without a result.
template <typename Body>
void GuardedCall(Log& log, const char* where, Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
  } catch (...) {
    log.ReportException(where);
  }
}

}  // namespace trellisk
