// Stopwatch measures elapsed milliseconds with the high-resolution counter:
// tick difference x 1000 / tick frequency, less the cost of one start/stop
// pair, which is measured once per process like the frequency.
//
// A Stopwatch is used by one thread; the process-wide calibration is
// thread-safe.
#pragma once

#include <cstdint>

namespace trellisk {

class Stopwatch {
 public:
  // Starts at construction.
  Stopwatch();
  void Restart();
  // Milliseconds since the start, less the calibrated start/stop cost.
  double ElapsedMilliseconds() const;

 private:
  int64_t startTicks_;
};

}  // namespace trellisk
