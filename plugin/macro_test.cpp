#include "plugin/macro.h"

#include <gtest/gtest.h>

#include "base/log.h"
#include "base/text_source.h"
#include "plugin/detection_counters.h"

namespace trellisk {
namespace {

TEST(DetectionAccuracy, Rules) {
  EXPECT_DOUBLE_EQ(DetectionAccuracy(200, 50), 75.0);
  EXPECT_DOUBLE_EQ(DetectionAccuracy(0, 0), 0.0);
  EXPECT_DOUBLE_EQ(DetectionAccuracy(0, 5), 0.0);
  EXPECT_DOUBLE_EQ(DetectionAccuracy(3, 5), 100.0);
  EXPECT_DOUBLE_EQ(DetectionAccuracy(3, 3), 0.0);
  EXPECT_DOUBLE_EQ(DetectionAccuracy(3, 0), 100.0);
}

TEST(GetSpamFilterVersion, NameAndVersion) { EXPECT_EQ(GetSpamFilterVersion(), "Trellisk v2.0.4"); }

TEST(CMacro, StatisticReport) {
  DetectionCounters counters;
  counters.DetectedSpam = 200;
  counters.DetectedHam = 1000;
  counters.FalsePositiv = 50;
  counters.FalseNegativ = 1;
  BuiltinTexts texts;
  Log log(&texts);
  EXPECT_EQ(CMacro(counters, texts, log).GetSpamFilterStatistic(300, 700),
            "HamMails:      700\n"
            "SpamMails:     300\n"
            "detected Ham:  1000 (99.90%)\n"
            "detected Spam: 200 (75.00%)\n"
            "FALSE Ham detected:  50\n"
            "FALSE Spam detected: 1\n");
}

TEST(CMacro, StatisticReportWithNothingDetected) {
  DetectionCounters counters;
  BuiltinTexts texts;
  Log log(&texts);
  const std::string report = CMacro(counters, texts, log).GetSpamFilterStatistic(0, 0);
  EXPECT_NE(report.find("detected Spam: 0 (0.00%)\n"), std::string::npos) << report;
  EXPECT_NE(report.find("detected Ham:  0 (0.00%)\n"), std::string::npos) << report;
}

}  // namespace
}  // namespace trellisk
