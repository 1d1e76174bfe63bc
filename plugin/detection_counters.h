// DetectionCounters are the four detection statistics of the plug-in (the
// registry key "Software\Trellisk\Statistics"): messages scored as spam and
// as ham, and the corrections of each by the user's training. They belong to
// the session, not to a settings snapshot, so that a change of settings
// never loses a count.
//
// Thread-safe: every counter is atomic; scoring calls and learning threads
// count at once.
#pragma once

#include <atomic>
#include <cstdint>

namespace trellisk {

struct DetectionCounters {
  std::atomic<uint32_t> DetectedSpam{0};
  std::atomic<uint32_t> DetectedHam{0};
  std::atomic<uint32_t> FalsePositiv{0};
  std::atomic<uint32_t> FalseNegativ{0};

  void Reset() {
    DetectedSpam = 0;
    DetectedHam = 0;
    FalsePositiv = 0;
    FalseNegativ = 0;
  }
};

}  // namespace trellisk
