// ProgressBar draws "activity [#####     ] done/total" on standard error,
// redrawn in place, at most every 100 ms, and only when standard error is
// a terminal; Finish clears it. Thread-safe.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>

namespace trellisk::host {

class ProgressBar {
 public:
  ProgressBar(std::string activity, size_t total);
  ~ProgressBar() { Finish(); }

  void Update(size_t done);
  void Finish();

 private:
  void Draw(size_t done);

  std::mutex mutex_;
  std::string activity_;
  size_t total_;
  bool visible_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace trellisk::host
