#include "plugin/scan_report.h"

#include <atomic>
#include <string>
#include <utility>

#include "base/exception_report.h"
#include "base/text_id.h"
#include "platform/sync.h"

namespace trellisk {

// What the core and its report threads share: FeedCount, FeedActivity and
// ReportRunning.
struct ReportState {
  std::atomic<uint32_t> count{0};
  std::atomic<bool> activity{false};
  std::atomic<bool> running{false};
};

namespace {

// The window opens once more requests than this have come.
constexpr uint32_t kWindowAbove = 10;
// A batch ends after this many cycles in a row without a new request.
constexpr uint32_t kQuietCyclesToEnd = 4;

// The texts of one report, loaded when its batch begins.
struct ReportTexts {
  std::string title;
  std::string scanningProcessOf;
  std::string mailsCompleted;
  std::string finished;

  static ReportTexts Load(const TextSource& texts) {
    return {texts.Load(kTextAlreadyScannedMails), texts.Load(kTextScanningProcessOf),
            texts.Load(kTextMailsCompleted), texts.Load(kTextFinished)};
  }
};

// One report, on its own thread, from the first request of a batch to the
// batch's end.
class ReportRun {
 public:
  ReportRun(ScanReportServices services, std::shared_ptr<ReportState> state, std::stop_token stop,
            ReportTexts texts, uint32_t doNotReportBelow)
      : services_(std::move(services)),
        state_(std::move(state)),
        stop_(std::move(stop)),
        texts_(std::move(texts)),
        doNotReportBelow_(doNotReportBelow) {}

  void Run() {
    GuardedCall(services_.log, "DODozev::ReportingThread", [&] {
      WatchBatch();
      CloseWindow();
      if (!stop_.stop_requested()) TellUserWhenDue();
    });
    window_.reset();
    // The count is cleared before the report stops running: a request that
    // comes in between is counted for the next batch, never cleared from it.
    state_->count = 0;
    state_->running = false;
  }

 private:
  void WatchBatch() {
    uint32_t idle = 0;
    while (idle < kQuietCyclesToEnd && !stop_.stop_requested()) {
      if (state_->activity.exchange(false)) idle = 0;
      ++idle;
      ShowCountOfLargeBatch();
      services_.waitCycle(stop_, ScanReport::kCycleMs);
    }
  }

  void ShowCountOfLargeBatch() {
    const uint32_t count = state_->count;
    if (count <= kWindowAbove) return;
    if (!window_) {
      window_ = services_.makeWindow();
      window_->Show(texts_.title);
    }
    window_->SetCount(count);
  }

  void CloseWindow() {
    if (window_) window_->Close();
  }

  void TellUserWhenDue() {
    const uint32_t count = state_->count;
    if (doNotReportBelow_ == 0 || count < doNotReportBelow_) return;
    const std::string text = texts_.scanningProcessOf + " " + std::to_string(count) + " " + texts_.mailsCompleted;
    services_.boxes.Show(texts_.finished, text, platform::MessageBoxIcon::Information);
  }

  const ScanReportServices services_;
  const std::shared_ptr<ReportState> state_;
  const std::stop_token stop_;
  const ReportTexts texts_;
  const uint32_t doNotReportBelow_;
  std::unique_ptr<platform::ProgressWindow> window_;
};

}  // namespace

void WaitReportCycle(std::stop_token stop, uint32_t milliseconds) {
  platform::ManualResetEvent stopped;
  const std::stop_callback wake(stop, [&stopped] { stopped.Set(); });
  stopped.Wait(milliseconds);
}

ScanReport::ScanReport(ScanReportServices services)
    : services_(std::move(services)), state_(std::make_shared<ReportState>()) {}

ScanReport::~ScanReport() { Stop(kReportStopWaitMs); }

void ScanReport::NoteActivity() { state_->activity = true; }

uint32_t ScanReport::count() const { return state_->count; }
bool ScanReport::activity() const { return state_->activity; }
bool ScanReport::running() const { return state_->running; }

void ScanReport::CountRequest(uint32_t doNotReportBelow, const TextSource& texts) {
  ++state_->count;
  if (doNotReportBelow == 0 || state_->running.exchange(true)) return;
  StartReport(doNotReportBelow, texts);
}

void ScanReport::StartReport(uint32_t doNotReportBelow, const TextSource& texts) {
  std::lock_guard<std::mutex> lock(runMutex_);
  stop_ = std::stop_source();
  const auto run =
      std::make_shared<ReportRun>(services_, state_, stop_.get_token(), ReportTexts::Load(texts), doNotReportBelow);
  thread_ = platform::WaitableThread::Start([run] { run->Run(); });
  if (!thread_) state_->running = false;
}

bool ScanReport::Stop(uint32_t timeoutMs) {
  std::unique_ptr<platform::WaitableThread> thread;
  {
    std::lock_guard<std::mutex> lock(runMutex_);
    stop_.request_stop();
    thread = std::move(thread_);
  }
  return !thread || thread->WaitEnded(timeoutMs);
}

}  // namespace trellisk
