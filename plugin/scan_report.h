// ScanReport shows the user the progress of a batch of training requests,
// the TBP_FeedSpam calls that arrive in quick succession when many messages
// are trained at once. The first request of a batch starts the report
// thread (when the DoNotReportBelow setting is not 0); the thread looks at
// the count once a cycle (a second). Once more than ten requests have come
// it opens the progress window (platform/progress_window.h) and shows the
// count there every cycle. Four cycles in a row without a new request end
// the batch: the window closes and, when at least DoNotReportBelow requests
// were counted, a message box says how many; the count then starts again
// from 0. A report works with the threshold in force when its batch began;
// its texts are loaded from the text source when they are shown.
//
// Shutdown (Stop) ends a running report at once: its window closes, its
// final box is skipped, and Stop waits for the thread to end, at most a
// given time. Only a box that was already open when Stop came can keep the
// thread longer, until the user closes it; the thread then uses only the
// state it shares with this object, the message boxes and the log, and on
// Windows it keeps the library loaded until it ends (platform/threads.h).
//
// Thread-safety: NoteActivity, CountRequest and the accessors may be called
// from any number of threads at once; the count and the two flags are
// atomics shared with the thread, and the test-and-set of the running flag
// lets at most one report run. Stop and the destructor are called while no
// request arrives (the shutdown sequence). The window belongs to the report
// thread, which runs no message loop of its own: its cycle wait is the
// message-pumping wait, so the window's pending messages are dispatched
// between cycles and it paints. The message boxes and the log given to a
// ScanReport must outlive every report thread it starts.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>

#include "base/log.h"
#include "base/text_source.h"
#include "platform/message_box.h"
#include "platform/progress_window.h"
#include "platform/threads.h"

namespace trellisk {

// How long shutdown waits for a report thread: long enough for any thread
// that is not held by an open box, short enough not to hold up the host.
inline constexpr uint32_t kReportStopWaitMs = 5000;

// Waits one cycle of `milliseconds`, or less once `stop` is requested.
using ReportCycleWait = std::function<void(std::stop_token stop, uint32_t milliseconds)>;

// The system's cycle wait: the message-pumping wait of sync.h.
void WaitReportCycle(std::stop_token stop, uint32_t milliseconds);

struct ScanReportServices {
  platform::MessageBoxes& boxes;
  Log& log;
  ReportCycleWait waitCycle;
  // Makes the window of one report, on its thread.
  std::function<std::unique_ptr<platform::ProgressWindow>()> makeWindow;
};

// The count and the flags that the core and the report thread share.
struct ReportState;

class ScanReport {
 public:
  static constexpr uint32_t kCycleMs = 1000;

  explicit ScanReport(ScanReportServices services);
  // Stops a running report (Stop with kReportStopWaitMs).
  ~ScanReport();
  ScanReport(const ScanReport&) = delete;
  ScanReport& operator=(const ScanReport&) = delete;

  // A request has come, or is still waiting for a learner: the batch goes on.
  void NoteActivity();
  // Counts a request and starts the report when none runs and
  // `doNotReportBelow` is not 0; its texts are loaded from `texts` now.
  void CountRequest(uint32_t doNotReportBelow, const TextSource& texts);

  // FeedCount, FeedActivity and ReportRunning.
  uint32_t count() const;
  bool activity() const;
  bool running() const;

  // Ends a running report without its final box and waits for its thread,
  // at most `timeoutMs`; true when no report thread runs any more.
  bool Stop(uint32_t timeoutMs);

 private:
  void StartReport(uint32_t doNotReportBelow, const TextSource& texts);

  const ScanReportServices services_;
  const std::shared_ptr<ReportState> state_;

  std::mutex runMutex_;
  std::stop_source stop_;
  std::unique_ptr<platform::WaitableThread> thread_;
};

}  // namespace trellisk
