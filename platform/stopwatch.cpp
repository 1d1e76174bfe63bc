#include "platform/stopwatch.h"

#include "platform/clock.h"

namespace trellisk::platform {
namespace {

struct Calibration {
  double millisecondsPerTick;
  double startStopCostMs;
};

const Calibration& ProcessCalibration() {
  static const Calibration calibration = [] {
    Calibration c{1000.0 / static_cast<double>(HighResolutionFrequency()), 0.0};
    const int64_t start = HighResolutionTicks();
    const int64_t stop = HighResolutionTicks();
    c.startStopCostMs = static_cast<double>(stop - start) * c.millisecondsPerTick;
    return c;
  }();
  return calibration;
}

}  // namespace

Stopwatch::Stopwatch() {
  ProcessCalibration();
  startTicks_ = HighResolutionTicks();
}

void Stopwatch::Restart() { startTicks_ = HighResolutionTicks(); }

double Stopwatch::ElapsedMilliseconds() const {
  const Calibration& c = ProcessCalibration();
  const double elapsed = static_cast<double>(HighResolutionTicks() - startTicks_) * c.millisecondsPerTick;
  return elapsed - c.startStopCostMs;
}

}  // namespace trellisk::platform
