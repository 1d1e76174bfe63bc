// CMacro builds the texts of the plug-in's two template macros: the product
// name with its version (SPAMFILTERVERSION) and a six-line statistics report
// (SPAMFILTERSTATISTIC) with the learned message totals, the detection
// counters and the detection accuracies. Each call builds a fresh text.
// Thread-safe: the counters are atomic.
#pragma once

#include <cstdint>
#include <string>

namespace trellisk {

class Log;
class TextSource;
struct DetectionCounters;

// The macro names the host may expand, and the numbers it receives them by.
inline constexpr const char* kVersionMacro = "SPAMFILTERVERSION";
inline constexpr const char* kStatisticMacro = "SPAMFILTERSTATISTIC";
inline constexpr int kVersionMacroNumber = 1;
inline constexpr int kStatisticMacroNumber = 2;

// "Trellisk v2.0.4".
std::string GetSpamFilterVersion();

class CMacro {
 public:
  CMacro(const DetectionCounters& counters, const TextSource& texts, Log& log);

  // The report, given the word database's learned message totals. On an
  // unexpected failure the text built so far.
  std::string GetSpamFilterStatistic(uint32_t spamMessages, uint32_t hamMessages);

 private:
  const DetectionCounters& counters_;
  const TextSource& texts_;
  Log& log_;
};

// Detection accuracy in percent: 0 without detections, 100 when there are
// fewer detections than corrections, else the share of the detections that
// stood.
double DetectionAccuracy(uint32_t detected, uint32_t corrected);

}  // namespace trellisk
