#include "base/stopwatch.h"

#include "platform/clock.h"

namespace trellisk {
namespace {

struct Calibration {
  double millisecondsPerTick;
  double startStopCostMs;
};

const Calibration& ProcessCalibration() {
  static const Calibration calibration = [] {
    Calibration c{1000.0 / static_cast<double>(platform::HighResolutionFrequency()), 0.0};
    const int64_t start = platform::HighResolutionTicks();
    const int64_t stop = platform::HighResolutionTicks();
    c.startStopCostMs = static_cast<double>(stop - start) * c.millisecondsPerTick;
    return c;
  }();
  return calibration;
}

}  // namespace

Stopwatch::Stopwatch() {
  ProcessCalibration();
  startTicks_ = platform::HighResolutionTicks();
}

void Stopwatch::Restart() { startTicks_ = platform::HighResolutionTicks(); }

double Stopwatch::ElapsedMilliseconds() const {
  const Calibration& c = ProcessCalibration();
  const double elapsed = static_cast<double>(platform::HighResolutionTicks() - startTicks_) * c.millisecondsPerTick;
  return elapsed - c.startStopCostMs;
}

}  // namespace trellisk
