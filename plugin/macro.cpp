#include "plugin/macro.h"

#include "base/log.h"
#include "base/number_text.h"
#include "base/text_source.h"
#include "plugin/detection_counters.h"
#include "plugin/settings.h"

namespace trellisk {

std::string GetSpamFilterVersion() { return std::string(kProductName) + " " + kProductVersion; }

double DetectionAccuracy(uint32_t detected, uint32_t corrected) {
  if (detected == 0) return 0;
  if (detected < corrected) return 100;
  return (static_cast<double>(detected) - corrected) * 100 / detected;
}

CMacro::CMacro(const DetectionCounters& counters, const TextSource& texts, Log& log)
    : counters_(counters), texts_(texts), log_(log) {}

std::string CMacro::GetSpamFilterStatistic(uint32_t spamMessages, uint32_t hamMessages) {
  std::string text;
  try {
    const uint32_t detectedSpam = counters_.DetectedSpam;
    const uint32_t detectedHam = counters_.DetectedHam;
    const uint32_t falsePositiv = counters_.FalsePositiv;
    const uint32_t falseNegativ = counters_.FalseNegativ;
    auto line = [&](TextId label, const char* separator, const std::string& value) {
      text += texts_.Load(label) + separator + value + "\n";
    };
    auto accuracy = [](uint32_t detected, uint32_t corrected) {
      return " (" + FormatTwoDecimals(DetectionAccuracy(detected, corrected)) + "%)";
    };
    line(kTextHamMails, ":      ", std::to_string(hamMessages));
    line(kTextSpamMails, ":     ", std::to_string(spamMessages));
    line(kTextDetectedHam, ":  ", std::to_string(detectedHam) + accuracy(detectedHam, falseNegativ));
    line(kTextDetectedSpam, ": ", std::to_string(detectedSpam) + accuracy(detectedSpam, falsePositiv));
    line(kTextFalseHamDetected, ":  ", std::to_string(falsePositiv));
    line(kTextFalseSpamDetected, ": ", std::to_string(falseNegativ));
  } catch (...) {
    log_.ReportException("CMacro::GetSpamFilterStatistic");
  }
  return text;
}

}  // namespace trellisk
